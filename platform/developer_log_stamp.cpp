#include <cstdio>

#include "platform/developer_log.h"

namespace bt {

std::string LogLineStamp(const LocalDateTime& when) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", when.year, when.month, when.day, when.hour,
                when.minute, when.second);
  return stamp;
}

}  // namespace bt
