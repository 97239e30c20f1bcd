// The local date and time, as the backup stamp needs it.
#pragma once

namespace bt {

struct LocalDateTime {
  int year = 0;    // four digits
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() = 0;
};

// The machine's clock, in the local time zone.
Clock& SystemClock();

}  // namespace bt
