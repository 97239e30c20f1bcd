// What another thread of this process is doing, as the kernel shows it: a
// test lets a held job go only once the thread it waits on is blocked, so
// that what that thread does before blocking is surely done.
#pragma once

#include <sys/types.h>

namespace bt::doubles {

// The kernel's id of the calling thread.
pid_t CurrentThreadId();

// Whether that thread of this process is asleep: waiting on a lock, a
// condition or another thread (state S under /proc). False once it is gone.
bool ThreadIsAsleep(pid_t threadId);

}  // namespace bt::doubles
