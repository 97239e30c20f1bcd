#include <windows.h>

#include "platform/clock.h"

namespace bt {
namespace {

class Win32Clock final : public Clock {
 public:
  LocalDateTime Now() override {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  }
};

}  // namespace

Clock& SystemClock() {
  static Win32Clock clock;
  return clock;
}

}  // namespace bt
