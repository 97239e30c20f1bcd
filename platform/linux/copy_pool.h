// Copies of a tree's files handed to a few worker threads, so that the next
// file is found and named while the last one's bytes still move: on a tree
// of many small files the work is nearly all in the kernel, and two cores do
// it side by side.
//
// What the caller sees stays as if each copy ran in its turn: the failure
// reported is that of the earliest copy submitted that failed, no copy is
// started once a failure is known, and Finish waits for all of them, so
// that nothing after a failure passes for a success. Memory stays flat:
// Submit waits while the queue is full.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace bt {

class CopyPool {
 public:
  // With no workers every job runs at once, inside Submit.
  explicit CopyPool(int workers);
  ~CopyPool();  // waits for the jobs; a failure left unreported is dropped
  CopyPool(const CopyPool&) = delete;
  CopyPool& operator=(const CopyPool&) = delete;

  bool background() const { return !workers_.empty(); }

  // Runs job, now or on a worker. Throws, instead, the failure of an
  // earlier job once it is known, and forgets it.
  void Submit(std::function<void()> job);

  // Throws the failure of an earlier job if one is known already, without
  // waiting, and forgets it.
  void ThrowKnownFailure();

  // Waits until every job submitted has ended; throws the failure of the
  // earliest one that failed, if any, and forgets it.
  void Finish();

 private:
  struct Job {
    std::uint64_t number = 0;
    std::function<void()> run;
  };
  void Work();
  // Called with the lock held: throws (and forgets) the first failure.
  void ThrowFirstFailure(std::unique_lock<std::mutex>& lock);

  // Wakes the submitter only when it may go on: with room for a batch of
  // jobs, or with every job ended, or on a failure.
  void WakeWaiter(std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  // Two signals, so that a job handed over wakes one worker and a job ended
  // does not wake the other workers: on a tree of small files each wake-up
  // costs as much as the copy.
  std::condition_variable jobQueued_;
  std::condition_variable jobEnded_;
  std::size_t endWaiters_ = 0;
  std::deque<Job> queue_;
  std::size_t running_ = 0;
  std::uint64_t nextNumber_ = 0;
  // The earliest failure by submission number; later ones are dropped.
  std::uint64_t failedNumber_ = 0;
  std::exception_ptr failure_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace bt
