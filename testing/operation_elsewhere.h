// Another program's backup or restore, holding the operation lock of a
// folder: a file system of its own over the same drives, on a thread of its
// own (a lock is let go on the thread that took it).
#pragma once

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/file_system.h"
#include "testing/temp_drives.h"

namespace bt::doubles {

class OperationElsewhere {
 public:
  // Returns once the lock is taken, or refused: see refusal().
  OperationElsewhere(const TempDrives& drives, const std::string& folder) {
    std::future<void> taken = taken_.get_future();
    thread_ = std::thread([this, &drives, folder, letGo = letGo_.get_future()]() mutable {
      const std::unique_ptr<FileSystem> files = drives.MakeFileSystem();
      std::unique_ptr<OperationLock> lock;
      try {
        lock = files->LockForOperation(folder, std::chrono::milliseconds(0));
      } catch (const AppError& error) {
        refusal_ = error.number();
      }
      taken_.set_value();
      const std::chrono::milliseconds after = letGo.get();
      std::this_thread::sleep_for(after);
      lettingGoNow_ = true;
      lock.reset();
    });
    taken.wait();
  }
  ~OperationElsewhere() { Finish(); }
  OperationElsewhere(const OperationElsewhere&) = delete;
  OperationElsewhere& operator=(const OperationElsewhere&) = delete;

  // The number it was refused with when another held the lock first.
  std::optional<int> refusal() const { return refusal_; }

  // Whether it has let go (or is letting go) of the lock.
  bool letGo() const { return lettingGoNow_; }

  // Lets go of the lock after `after` and returns at once.
  void LetGoAfter(std::chrono::milliseconds after) {
    if (!lettingGo_) letGo_.set_value(after);
    lettingGo_ = true;
  }
  // Lets go of the lock now and returns once it has.
  void Finish() {
    LetGoAfter(std::chrono::milliseconds(0));
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::promise<void> taken_;
  std::promise<std::chrono::milliseconds> letGo_;
  bool lettingGo_ = false;
  std::optional<int> refusal_;
  std::atomic<bool> lettingGoNow_{false};
  std::thread thread_;
};

}  // namespace bt::doubles
