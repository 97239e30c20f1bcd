// Counting that fails instead of wrapping: the copy counts entries in a
// signed 32-bit number and walks its subfolder lists with a signed 16-bit
// position, and a sum beyond either range is an overflow failure (6).
#pragma once

#include <cstdint>
#include <limits>

#include "platform/error.h"

namespace bt {

inline std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
  std::int32_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) {
    throw AppError(kErrOverflow, "contagem de entradas acima de 2147483647");
  }
  return sum;
}

// The most immediate subfolders one folder may have: the walk over them
// counts from 1 in a signed 16-bit number, which must also reach one past
// the last position.
constexpr std::int32_t kMaxSubfolders = std::numeric_limits<std::int16_t>::max() - 1;

}  // namespace bt
