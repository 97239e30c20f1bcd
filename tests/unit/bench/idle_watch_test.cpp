#include "bench/idle_watch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace bt::bench {
namespace {

TEST(IdleWatch, AThreadBlockedInPollIsWaitingForEvents) {
#if defined(__x86_64__)
  EXPECT_TRUE(IsEventWait("7 0x55d0 0x3 0xffffffff 0x0 0x0 0x0 0x7ffd 0x7f12"));    // poll
  EXPECT_TRUE(IsEventWait("271 0x55d0 0x3 0x7ffd 0x0 0x8 0x0 0x7ffd 0x7f12"));      // ppoll
  EXPECT_FALSE(IsEventWait("202 0x7f12 0x80 0x0 0x0 0x0 0x0 0x7ffd 0x7f12"));       // futex
  EXPECT_FALSE(IsEventWait("0 0x3 0x7ffd 0x1000 0x0 0x0 0x0 0x7ffd 0x7f12"));       // read
#endif
  EXPECT_FALSE(IsEventWait("running"));
  EXPECT_FALSE(IsEventWait("-1 0x7ffd 0x7f12"));
  EXPECT_FALSE(IsEventWait(""));
}

TEST(IdleWatch, MemoryFieldsAreReadFromTheStatusText) {
  const std::string status =
      "Name:\tBackupTarvel\nVmPeak:\t  500000 kB\nVmHWM:\t   31744 kB\nVmRSS:\t   30720 kB\n";
  EXPECT_EQ(StatusFieldKib(status, "VmRSS:"), 30720);
  EXPECT_EQ(StatusFieldKib(status, "VmHWM:"), 31744);
  EXPECT_EQ(StatusFieldKib(status, "VmSwap:"), 0);
}

TEST(IdleWatch, OurOwnStatusHasAResidentSize) {
  std::ifstream in("/proc/self/status");
  const std::string status((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_GT(StatusFieldKib(status, "VmRSS:"), 0);
  EXPECT_GE(StatusFieldKib(status, "VmHWM:"), StatusFieldKib(status, "VmRSS:"));
}

TEST(IdleWatch, AProcessThatIsGoneNeverBecomesIdle) {
  // Above any pid_max the kernel allows.
  EXPECT_FALSE(WatchFirstIdle(1 << 23, 0, 0.01, 1e12).has_value());
}

}  // namespace
}  // namespace bt::bench
