#include "platform/linux/copy_pool.h"

namespace bt {
namespace {

// Enough to keep the workers busy between two files the caller finds, few
// enough that a failure stops the copy soon after it happens.
constexpr std::size_t kQueuedPerWorker = 8;

// Waits on `signal` for `ready`, counted as a waiter the workers wake.
template <typename Ready>
void WaitCounted(std::condition_variable& signal, std::unique_lock<std::mutex>& lock, std::size_t& waiters,
                 Ready ready) {
  ++waiters;
  signal.wait(lock, ready);
  --waiters;
}

}  // namespace

CopyPool::CopyPool(int workers) {
  for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
}

CopyPool::~CopyPool() {
  {
    std::unique_lock lock(mutex_);
    stopping_ = true;
  }
  jobQueued_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void CopyPool::Submit(std::function<void()> job) {
  if (workers_.empty()) {
    ThrowKnownFailure();
    job();
    return;
  }
  std::unique_lock lock(mutex_);
  WaitCounted(jobEnded_, lock, endWaiters_,
              [&] { return failure_ || queue_.size() < kQueuedPerWorker * workers_.size(); });
  if (failure_) ThrowFirstFailure(lock);
  queue_.push_back(Job{++nextNumber_, std::move(job)});
  lock.unlock();
  jobQueued_.notify_one();
}

void CopyPool::ThrowKnownFailure() {
  std::unique_lock lock(mutex_);
  if (failure_) ThrowFirstFailure(lock);
}

void CopyPool::Finish() {
  std::unique_lock lock(mutex_);
  WaitCounted(jobEnded_, lock, endWaiters_, [&] { return queue_.empty() && running_ == 0; });
  if (failure_) ThrowFirstFailure(lock);
}

void CopyPool::ThrowFirstFailure(std::unique_lock<std::mutex>& lock) {
  // Jobs submitted before the failing one, running or still queued, may
  // end in an earlier failure: wait for them, so that the earliest is told.
  WaitCounted(jobEnded_, lock, endWaiters_,
              [&] { return running_ == 0 && (queue_.empty() || queue_.front().number > failedNumber_); });
  // Nothing queued after a failure is started.
  queue_.clear();
  std::exception_ptr failure = failure_;
  failure_ = nullptr;
  failedNumber_ = 0;
  lock.unlock();
  jobEnded_.notify_all();
  std::rethrow_exception(failure);
}

void CopyPool::WakeWaiter(std::unique_lock<std::mutex>& lock) {
  if (endWaiters_ == 0) return;
  // Half the queue at once: the submitter refills it in one turn.
  const bool room = queue_.size() <= kQueuedPerWorker * workers_.size() / 2;
  if (!room && running_ != 0 && !failure_) return;
  lock.unlock();
  jobEnded_.notify_all();
  lock.lock();
}

void CopyPool::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    jobQueued_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, nothing left
    Job job = std::move(queue_.front());
    queue_.pop_front();
    // A copy after a known failure would be work the caller never sees.
    if (failure_ && job.number > failedNumber_) {
      WakeWaiter(lock);
      continue;
    }
    ++running_;
    lock.unlock();
    std::exception_ptr failed;
    try {
      job.run();
    } catch (...) {
      failed = std::current_exception();
    }
    lock.lock();
    --running_;
    if (failed && (!failure_ || job.number < failedNumber_)) {
      failure_ = failed;
      failedNumber_ = job.number;
    }
    WakeWaiter(lock);
  }
}

}  // namespace bt
