// How RegQueryValueExA answers (platform/registry.h), the same whichever
// registry stands behind it: each one only finds the value and its bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace bt {

// Whether the arguments of a query break the call's rules before any value
// is looked for: a reserved pointer given, or a buffer without its size
// (the query then fails with kErrorInvalidParameter).
bool QueryArgumentsInvalid(const std::uint32_t* reserved, const std::uint8_t* data, const std::uint32_t* size);

// The bytes that cross the call for a value stored as `stored`: text
// (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ), stored as UTF-16LE, as UTF-8, its
// NUL with it when one was stored, a trailing odd byte dropped and a lone
// surrogate as U+FFFD; any other type as its bytes.
std::string CrossingBytes(std::uint32_t type, std::string_view stored);

// Answers a query for a value found with type `storedType` whose crossing
// bytes are `bytes`: stores the type in *type (when given), then with data
// null stores the size in *size (when given); with a buffer of *size bytes,
// copies the bytes and stores their number, or fails with kErrorMoreData,
// storing the size needed and copying nothing. kErrorNotEnoughMemory, and
// nothing stored, for bytes whose number does not fit a size.
std::int32_t AnswerQuery(std::uint32_t storedType, std::string_view bytes, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size);

}  // namespace bt
