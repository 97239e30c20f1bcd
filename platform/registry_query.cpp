#include "platform/registry_query.h"

#include <cstring>
#include <limits>

#include "platform/registry.h"
#include "platform/utf8.h"

namespace bt {
namespace {

bool IsTextType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

}  // namespace

bool QueryArgumentsInvalid(const std::uint32_t* reserved, const std::uint8_t* data, const std::uint32_t* size) {
  return reserved != nullptr || (data != nullptr && size == nullptr);
}

std::string CrossingBytes(std::uint32_t type, std::string_view stored) {
  if (!IsTextType(type)) return std::string(stored);
  std::u16string text(stored.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto low = static_cast<unsigned char>(stored[2 * i]);
    const auto high = static_cast<unsigned char>(stored[2 * i + 1]);
    text[i] = static_cast<char16_t>(low | (high << 8));
  }
  return Utf16ToUtf8(text, LoneSurrogates::kReplace);
}

std::int32_t AnswerQuery(std::uint32_t storedType, std::string_view bytes, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) {
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) return kErrorNotEnoughMemory;
  const auto storedSize = static_cast<std::uint32_t>(bytes.size());
  if (type != nullptr) *type = storedType;
  if (data == nullptr) {
    if (size != nullptr) *size = storedSize;
    return kErrorSuccess;
  }
  if (storedSize > *size) {
    *size = storedSize;
    return kErrorMoreData;
  }
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  *size = storedSize;
  return kErrorSuccess;
}

}  // namespace bt
