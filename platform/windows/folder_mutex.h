// The lock of one installation folder on Windows: a named mutex for what
// the folder is (its volume serial number and file index), so that every
// path to it, every process and, in the machine's namespace, every user
// meets the same one; Windows gives it up when its holder ends, however it
// ends.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace bt {

// Takes the lock of the folder at host (a "\\?\" path), waiting up to
// wait; throws 70 (kOperationUnderWay) when another holder kept it that
// long. The name is "Global\BackupTarvel-op-<volume serial>-<file index>",
// in the session's "Local\" namespace where the machine's is refused. A
// folder that cannot be opened gives a lock that holds nothing. The lock
// is released on the thread that took it; that thread asking again is
// refused at once (70), although a Windows mutex would let its owner in.
std::unique_ptr<OperationLock> LockFolderMutex(const std::wstring& host, std::chrono::milliseconds wait);

}  // namespace bt
