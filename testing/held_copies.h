// Copies beside the walk held back until a test lets them go: while an
// object lives, a copy that starts on any thread but the one that made the
// object waits at its first host call (the source's open) until Release().
// It owns the copy's table of host calls meanwhile, as CopyStepFaults does;
// made after one of those, it keeps that one's calls beneath its own.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace bt::doubles {

class HeldCopies {
 public:
  HeldCopies();
  // Lets every copy go, then puts the table back: destroy it once no copy
  // runs any more (the file system finished or destroyed).
  ~HeldCopies();
  HeldCopies(const HeldCopies&) = delete;
  HeldCopies& operator=(const HeldCopies&) = delete;

  // Waits until `count` copies are being held.
  void WaitUntilHeld(int count);
  // Lets every held copy go on, and every later one pass.
  void Release();

  // For the table's call: holds the calling thread if it must wait.
  void HoldIfBackground();

 private:
  struct SavedCalls;

  std::thread::id owner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int held_ = 0;
  bool released_ = false;
  std::unique_ptr<SavedCalls> saved_;
};

}  // namespace bt::doubles
