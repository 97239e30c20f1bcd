#include "platform/text.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/utf8.h"

namespace bt {
namespace {

// Every stride-th code point from first to last lowers to itself plus delta.
struct LowerRun {
  char32_t first;
  char32_t last;
  std::int32_t delta;
  std::uint32_t stride;
};

// Our own table rather than the host's: the C library and Windows disagree
// on some letters, and a path must fold alike on every build.
constexpr LowerRun kLowerRuns[] = {
#include "platform/lower_case_table.inc"
};

char32_t LowerChar(char32_t value) {
  const auto after = std::upper_bound(std::begin(kLowerRuns), std::end(kLowerRuns), value,
                                      [](char32_t v, const LowerRun& run) { return v < run.first; });
  if (after == std::begin(kLowerRuns)) return value;
  const LowerRun& run = *std::prev(after);
  if (value > run.last || (value - run.first) % run.stride != 0) return value;
  return static_cast<char32_t>(static_cast<std::int32_t>(value) + run.delta);
}

}  // namespace

std::string LowerCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const unsigned char byte = static_cast<unsigned char>(utf8[pos]);
    if (byte < 0x80) {
      out += static_cast<char>((byte >= 'A' && byte <= 'Z') ? byte + ('a' - 'A') : byte);
      ++pos;
      continue;
    }
    const Utf8Char ch = DecodeUtf8At(utf8, pos);
    if (ch.length == 0) {
      out += utf8[pos++];
      continue;
    }
    AppendUtf8(out, LowerChar(ch.value));
    pos += ch.length;
  }
  return out;
}

}  // namespace bt
