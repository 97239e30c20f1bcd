// The Linux host-call layer: each call of the copy's table counts as a step
// and either fails as planned or does the real work through the table that
// was in place before.
#include <cerrno>
#include <stdexcept>

#include "platform/linux/host_calls.h"
#include "testing/copy_step_faults.h"

namespace bt::doubles {

const int kHostDiskFull = ENOSPC;
const int kHostAccessDenied = EACCES;
const int kHostNotFound = ENOENT;
const int kHostNotReady = ENOMEDIUM;

struct CopyStepFaults::SavedCalls {
  HostCopyCalls calls;
};

namespace {

CopyStepFaults* active = nullptr;
HostCopyCalls saved;

// -1 and errno when the step is planned to fail.
template <typename Result>
bool Failed(CopyStep step, Result* result) {
  if (auto plan = active->Step(step)) {
    errno = plan->hostCode;
    *result = -1;
    return true;
  }
  return false;
}

int Open(int folder, const char* name, int flags, mode_t mode) {
  int result = 0;
  return Failed(CopyStep::Open, &result) ? result : saved.open(folder, name, flags, mode);
}

ssize_t Read(int fd, void* buffer, std::size_t size) {
  ssize_t result = 0;
  return Failed(CopyStep::Read, &result) ? result : saved.read(fd, buffer, size);
}

ssize_t Write(int fd, const void* buffer, std::size_t size) {
  auto plan = active->Step(CopyStep::Write);
  if (active->diskFilled) {
    errno = ENOSPC;
    return -1;
  }
  if (plan && plan->shortWrite && size > 1) {
    active->diskFilled = true;
    return saved.write(fd, buffer, size / 2);
  }
  if (plan) {
    errno = plan->hostCode;
    return -1;
  }
  return saved.write(fd, buffer, size);
}

int Clone(int in, int out) {
  int result = 0;
  if (Failed(CopyStep::Clone, &result)) return result;
  if (active->forceReadWrite()) {
    errno = EXDEV;
    return -1;
  }
  return saved.clone(in, out);
}

ssize_t CopyRange(int in, int out, std::size_t size) {
  auto plan = active->Step(CopyStep::CopyRange);
  if (plan || active->diskFilled) {
    errno = plan ? plan->hostCode : ENOSPC;
    return -1;
  }
  if (active->forceReadWrite()) {
    errno = EXDEV;
    return -1;
  }
  return saved.copyFileRange(in, out, size);
}

int Fsync(int fd) {
  int result = 0;
  return Failed(CopyStep::Fsync, &result) ? result : saved.fsync(fd);
}

int Rename(int fromFolder, const char* from, int toFolder, const char* to) {
  int result = 0;
  return Failed(CopyStep::Rename, &result) ? result : saved.rename(fromFolder, from, toFolder, to);
}

int RenameNoReplace(int fromFolder, const char* from, int toFolder, const char* to) {
  int result = 0;
  return Failed(CopyStep::Rename, &result) ? result : saved.renameNoReplace(fromFolder, from, toFolder, to);
}

int Syncfs(int fd) {
  int result = 0;
  return Failed(CopyStep::Syncfs, &result) ? result : saved.syncfs(fd);
}

int Link(int fd, int toFolder, const char* to) {
  int result = 0;
  return Failed(CopyStep::Link, &result) ? result : saved.link(fd, toFolder, to);
}

// A failed close still releases the descriptor, as close(2) does on Linux.
int Close(int fd) {
  const auto plan = active->Step(CopyStep::Close);
  const int result = saved.close(fd);
  if (plan) {
    errno = plan->hostCode;
    return -1;
  }
  return result;
}

}  // namespace

CopyStepFaults::CopyStepFaults() : saved_(std::make_unique<SavedCalls>(SavedCalls{CopyCalls()})) {
  if (active != nullptr) throw std::logic_error("only one CopyStepFaults may live at a time");
  active = this;
  saved = saved_->calls;
  CopyCalls() = HostCopyCalls{Open, Read, Write, Clone, CopyRange, Fsync, Rename, RenameNoReplace, Close, Link, Syncfs};
}

CopyStepFaults::~CopyStepFaults() {
  CopyCalls() = saved_->calls;
  active = nullptr;
}

}  // namespace bt::doubles
