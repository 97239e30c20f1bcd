#include "platform/temporary_names.h"

namespace bt {
namespace {

constexpr std::string_view kPrefix = ".BackupTarvel-";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kRandomLength = 6;

bool InAlphabet(char c) { return kAlphabet.find(c) != std::string_view::npos; }

}  // namespace

std::string TemporaryCopyName(std::uint64_t random) {
  std::string name(kPrefix);
  for (std::size_t i = 0; i < kRandomLength; ++i) {
    name += kAlphabet[random % kAlphabet.size()];
    random /= kAlphabet.size();
  }
  name += kSuffix;
  return name;
}

bool IsTemporaryCopyName(std::string_view name) {
  if (name.size() != kPrefix.size() + kRandomLength + kSuffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(kSuffix)) {
    return false;
  }
  for (char c : name.substr(kPrefix.size(), kRandomLength)) {
    if (!InAlphabet(c)) return false;
  }
  return true;
}

}  // namespace bt
