// A file system destroyed while copies beside the walk are still queued
// (the program always waits for them first, but a test or a failure path
// may not): the queued copies end before anything they use goes, and land
// whole. The sanitizer run catches any use of what is already gone.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/file_system.h"
#include "platform/linux/linux_file_system.h"
#include "testing/held_copies.h"
#include "testing/temp_drives.h"
#include "testing/thread_watch.h"

namespace bt {
namespace {

std::string Photo(int i) { return std::string(4096 + i, static_cast<char>('a' + i)); }

TEST(FileSystemTeardown, CopiesStillQueuedEndWholeBeforeTheFileSystemIsGone) {
  doubles::TempDrives drives;
  drives.AddDrive('C');
  drives.AddDrive('D');
  constexpr int kPhotos = 10;
  for (int i = 0; i < kPhotos; ++i) {
    drives.WriteFile("C:\\Fotos\\foto" + std::to_string(i) + ".jpg", Photo(i));
  }
  std::unique_ptr<FileSystem> files = MakeLinuxFileSystem(drives.table(), drives.root(), 2);
  files->CreateFolder("D:\\Fotos");
  // One copy made within its call, so that what copies remember is not empty.
  files->CopyWholeFile("C:\\Fotos\\foto0.jpg", "D:\\Fotos\\foto0.jpg", Durability::kNow);

  doubles::HeldCopies held;
  for (int i = 1; i < kPhotos; ++i) {
    const std::string name = "foto" + std::to_string(i) + ".jpg";
    files->CopyWholeFile("C:\\Fotos\\" + name, "D:\\Fotos\\" + name, Durability::kAtFlush);
  }
  held.WaitUntilHeld(2);  // one on each worker, the rest queued

  std::atomic<pid_t> destroyer = 0;
  std::atomic<bool> destroyed = false;
  std::thread destroying([&] {
    destroyer = doubles::CurrentThreadId();
    files.reset();
    destroyed = true;
  });
  // Asleep only once the destruction waits for the workers: whatever it
  // destroys before that is destroyed by the time the copies go on.
  while (destroyer == 0 || (!destroyed && !doubles::ThreadIsAsleep(destroyer))) std::this_thread::yield();
  held.Release();
  destroying.join();

  for (int i = 0; i < kPhotos; ++i) {
    EXPECT_EQ(drives.ReadFile("D:\\Fotos\\foto" + std::to_string(i) + ".jpg"), Photo(i));
  }
}

}  // namespace
}  // namespace bt
