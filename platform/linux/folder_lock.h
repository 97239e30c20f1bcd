// The lock of one installation folder on Linux: flock on the folder itself,
// opened for reading. Every process of every user that can open the folder
// meets the same lock, whatever path led there (a link, a second drive
// letter), and the kernel drops it when its holder ends, however it ends.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace bt {

// Takes the lock of hostFolder, trying again after short pauses for up to
// wait; throws 70 (kOperationUnderWay) when another holder kept it that
// long. A folder that cannot be opened, or whose file system takes no
// locks, gives a lock that holds nothing.
std::unique_ptr<OperationLock> LockHostFolder(const std::string& hostFolder, std::chrono::milliseconds wait);

}  // namespace bt
