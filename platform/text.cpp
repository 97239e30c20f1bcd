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

// Lower-case letters whose upper case is also that of another letter, and
// that letter's lower case (Unicode's simple case folding beyond lowering).
struct SharedUpperCase {
  char32_t letter;
  char32_t foldsTo;
};
constexpr SharedUpperCase kSharedUpperCase[] = {
    {0x00B5, 0x03BC},  // micro sign, Greek mu
    {0x0131, 0x0069},  // dotless i, i
    {0x017F, 0x0073},  // long s, s
    {0x0345, 0x03B9},  // combining ypogegrammeni, iota
    {0x03C2, 0x03C3},  // final sigma, sigma
    {0x03D0, 0x03B2},  // beta symbol
    {0x03D1, 0x03B8},  // theta symbol
    {0x03D5, 0x03C6},  // phi symbol
    {0x03D6, 0x03C0},  // pi symbol
    {0x03F0, 0x03BA},  // kappa symbol
    {0x03F1, 0x03C1},  // rho symbol
    {0x03F5, 0x03B5},  // lunate epsilon
    {0x1E9B, 0x1E61},  // long s with dot above
    {0x1FBE, 0x03B9},  // Greek prosgegrammeni, iota
};

char32_t FoldChar(char32_t value) {
  const char32_t lower = LowerChar(value);
  for (const SharedUpperCase& shared : kSharedUpperCase) {
    if (shared.letter == lower) return shared.foldsTo;
  }
  return lower;
}

template <char32_t (*Map)(char32_t)>
std::string MapLetters(std::string_view utf8) {
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
    AppendUtf8(out, Map(ch.value));
    pos += ch.length;
  }
  return out;
}

}  // namespace

std::string LowerCase(std::string_view utf8) { return MapLetters<LowerChar>(utf8); }

std::string CaseFoldKey(std::string_view utf8) { return MapLetters<FoldChar>(utf8); }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace bt
