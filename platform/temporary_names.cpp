#include "platform/temporary_names.h"

#include <random>

namespace bt {
namespace {

constexpr std::string_view kPrefix = ".BackupTarvel-";
constexpr std::string_view kCopySuffix = ".tmp";
constexpr std::string_view kSetAsideSuffix = ".old";
constexpr std::size_t kTimeDigits = 10;  // seconds since 1970, in hex: enough for 30,000 years
constexpr std::size_t kRandomDigits = 8;
constexpr std::size_t kCheckDigits = 12;  // 48 bits: a name picked by chance passes once in 2^48
constexpr std::size_t kBodyLength = kTimeDigits + 1 + kRandomDigits + 1 + kCheckDigits;
constexpr std::string_view kDigits = "0123456789abcdef";

// Mixed into every check value, so that only this program's names pass.
constexpr std::uint64_t kProgramConstant = 0x7a3c'91e5'd04b'6f28ULL;

void AppendHex(std::string& out, std::uint64_t value, std::size_t digits) {
  for (std::size_t i = digits; i-- > 0;) out += kDigits[(value >> (4 * i)) & 0xF];
}

std::optional<std::uint64_t> ParseHex(std::string_view text) {
  std::uint64_t value = 0;
  for (char c : text) {
    const auto digit = kDigits.find(c);
    if (digit == std::string_view::npos) return std::nullopt;  // lower case only, as written
    value = (value << 4) | digit;
  }
  return value;
}

// FNV-1a over the text, keyed and then mixed (the last step of SplitMix64),
// so that every bit of the text reaches every bit of the check.
std::uint64_t CheckValue(std::string_view text) {
  std::uint64_t hash = 0xcbf2'9ce4'8422'2325ULL ^ kProgramConstant;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x0000'0100'0000'01b3ULL;
  }
  hash ^= hash >> 30;
  hash *= 0xbf58'476d'1ce4'e5b9ULL;
  hash ^= hash >> 27;
  hash *= 0x94d0'49bb'1331'11ebULL;
  hash ^= hash >> 31;
  return hash & ((std::uint64_t{1} << (4 * kCheckDigits)) - 1);
}

std::int64_t SecondsOf(WallClock::time_point time) {
  return std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
}

std::string NameOf(std::uint64_t random, WallClock::time_point created, std::string_view suffix) {
  const std::int64_t seconds = SecondsOf(created);
  std::string name(kPrefix);
  AppendHex(name, seconds < 0 ? 0 : static_cast<std::uint64_t>(seconds), kTimeDigits);
  name += '-';
  AppendHex(name, random, kRandomDigits);
  name += '-';
  std::string checked = name;
  checked += suffix;
  AppendHex(name, CheckValue(checked), kCheckDigits);
  name += suffix;
  return name;
}

// The time of a name of the given kind that passes the check.
std::optional<WallClock::time_point> TimeOf(std::string_view name, std::string_view suffix) {
  if (name.size() != kPrefix.size() + kBodyLength + suffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(suffix)) {
    return std::nullopt;
  }
  const std::string_view body = name.substr(kPrefix.size(), kBodyLength);
  if (body[kTimeDigits] != '-' || body[kTimeDigits + 1 + kRandomDigits] != '-') return std::nullopt;
  const auto time = ParseHex(body.substr(0, kTimeDigits));
  const auto random = ParseHex(body.substr(kTimeDigits + 1, kRandomDigits));
  const auto check = ParseHex(body.substr(kBodyLength - kCheckDigits));
  if (!time || !random || !check) return std::nullopt;
  std::string checked(name.substr(0, kPrefix.size() + kBodyLength - kCheckDigits));
  checked += suffix;
  if (*check != CheckValue(checked)) return std::nullopt;
  return WallClock::time_point(std::chrono::seconds(static_cast<std::int64_t>(*time)));
}

}  // namespace

std::uint64_t TemporaryNameRandom() {
  thread_local std::mt19937_64 generator{[] {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
  }()};
  return generator();
}

std::string TemporaryCopyName(std::uint64_t random, WallClock::time_point created) {
  return NameOf(random, created, kCopySuffix);
}

std::string SetAsideName(std::uint64_t random, WallClock::time_point created) {
  return NameOf(random, created, kSetAsideSuffix);
}

bool IsTemporaryCopyName(std::string_view name) { return TimeOf(name, kCopySuffix).has_value(); }

bool IsSetAsideName(std::string_view name) { return TimeOf(name, kSetAsideSuffix).has_value(); }

std::optional<WallClock::time_point> CreatedAt(std::string_view name) {
  if (auto time = TimeOf(name, kCopySuffix)) return time;
  return TimeOf(name, kSetAsideSuffix);
}

bool IsStaleTemporaryCopyName(std::string_view name, WallClock::time_point now, std::chrono::seconds age) {
  const std::optional<WallClock::time_point> created = TimeOf(name, kCopySuffix);
  if (!created) return false;
  return *created + age <= now || *created > now + kFutureStampTolerance;
}

}  // namespace bt
