#include "platform/testing/faulty_file_system.h"

#include <cerrno>
#include <stdexcept>

namespace bt::testing {

std::string_view NameOf(CopyStep step) {
  switch (step) {
    case CopyStep::Open: return "open";
    case CopyStep::Read: return "read";
    case CopyStep::Write: return "write";
    case CopyStep::Clone: return "clone";
    case CopyStep::CopyRange: return "copy_file_range";
    case CopyStep::Fsync: return "fsync";
    case CopyStep::Rename: return "rename";
    case CopyStep::Close: return "close";
    case CopyStep::Link: return "link";
    case CopyStep::Syncfs: return "syncfs";
    case CopyStep::kCount: break;
  }
  return "?";
}

FaultyFileSystem* FaultyFileSystem::active_ = nullptr;

FaultyFileSystem::FaultyFileSystem(FileSystem& target) : target_(target), savedCalls_(CopyCalls()) {
  if (active_ != nullptr) throw std::logic_error("only one FaultyFileSystem may live at a time");
  active_ = this;
  CopyCalls() = HostCopyCalls{Open, Read, Write, Clone, CopyRange, Fsync, Rename, RenameNoReplace, Close, Link, Syncfs};
}

FaultyFileSystem::~FaultyFileSystem() {
  CopyCalls() = savedCalls_;
  active_ = nullptr;
}

void FaultyFileSystem::FailStep(CopyStep step, int nth, int hostErrno, bool persistent) {
  stepPlans_[StepIndex(step)] = StepPlan{nth, persistent, hostErrno, false};
}

void FaultyFileSystem::ShortWriteOn(int nth) {
  stepPlans_[StepIndex(CopyStep::Write)] = StepPlan{nth, false, ENOSPC, true};
}

std::optional<FaultyFileSystem::StepPlan> FaultyFileSystem::HostStep(CopyStep step) {
  ++stepCalls_[StepIndex(step)];
  StepPlan& plan = stepPlans_[StepIndex(step)];
  if (plan.hostErrno == 0) return std::nullopt;
  if (plan.countdown > 1) {
    --plan.countdown;
    return std::nullopt;
  }
  const StepPlan fired = plan;
  if (!plan.persistent) plan = StepPlan{};
  fired_ = true;
  return fired;
}

// Each call counts as a step and either fails as planned or does the real
// work through the table that was in place before this object.
int FaultyFileSystem::Open(const char* path, int flags, mode_t mode) {
  if (auto plan = active_->HostStep(CopyStep::Open)) {
    errno = plan->hostErrno;
    return -1;
  }
  return active_->savedCalls_.open(path, flags, mode);
}

ssize_t FaultyFileSystem::Read(int fd, void* buffer, std::size_t size) {
  if (auto plan = active_->HostStep(CopyStep::Read)) {
    errno = plan->hostErrno;
    return -1;
  }
  return active_->savedCalls_.read(fd, buffer, size);
}

ssize_t FaultyFileSystem::Write(int fd, const void* buffer, std::size_t size) {
  FaultyFileSystem& self = *active_;
  auto plan = self.HostStep(CopyStep::Write);
  if (self.diskFilled_) {
    errno = ENOSPC;
    return -1;
  }
  if (plan && plan->shortWrite && size > 1) {
    self.diskFilled_ = true;
    return self.savedCalls_.write(fd, buffer, size / 2);
  }
  if (plan) {
    errno = plan->hostErrno;
    return -1;
  }
  return self.savedCalls_.write(fd, buffer, size);
}

int FaultyFileSystem::Clone(int in, int out) {
  if (auto plan = active_->HostStep(CopyStep::Clone)) {
    errno = plan->hostErrno;
    return -1;
  }
  if (active_->forceReadWrite_) {
    errno = EXDEV;
    return -1;
  }
  return active_->savedCalls_.clone(in, out);
}

ssize_t FaultyFileSystem::CopyRange(int in, int out, std::size_t size) {
  FaultyFileSystem& self = *active_;
  auto plan = self.HostStep(CopyStep::CopyRange);
  if (plan || self.diskFilled_) {
    errno = plan ? plan->hostErrno : ENOSPC;
    return -1;
  }
  if (self.forceReadWrite_) {
    errno = EXDEV;
    return -1;
  }
  return self.savedCalls_.copyFileRange(in, out, size);
}

int FaultyFileSystem::Fsync(int fd) {
  if (auto plan = active_->HostStep(CopyStep::Fsync)) {
    errno = plan->hostErrno;
    return -1;
  }
  return active_->savedCalls_.fsync(fd);
}

int FaultyFileSystem::Rename(const char* from, const char* to) {
  if (auto plan = active_->HostStep(CopyStep::Rename)) {
    errno = plan->hostErrno;
    return -1;
  }
  return active_->savedCalls_.rename(from, to);
}

int FaultyFileSystem::RenameNoReplace(const char* from, const char* to) {
  if (auto plan = active_->HostStep(CopyStep::Rename)) {
    errno = plan->hostErrno;
    return -1;
  }
  return active_->savedCalls_.renameNoReplace(from, to);
}

int FaultyFileSystem::Link(int fd, const char* to) {
  if (auto plan = active_->HostStep(CopyStep::Link)) {
    errno = plan->hostErrno;
    return -1;
  }
  return active_->savedCalls_.link(fd, to);
}

int FaultyFileSystem::Syncfs(int fd) {
  if (auto plan = active_->HostStep(CopyStep::Syncfs)) {
    errno = plan->hostErrno;
    return -1;
  }
  return active_->savedCalls_.syncfs(fd);
}

// A failed close still releases the descriptor, as close(2) does on Linux.
int FaultyFileSystem::Close(int fd) {
  const auto plan = active_->HostStep(CopyStep::Close);
  const int result = active_->savedCalls_.close(fd);
  if (plan) {
    errno = plan->hostErrno;
    return -1;
  }
  return result;
}

void FaultyFileSystem::FailOn(FsOp op, int nth, const AppError& error, bool persistent) {
  plans_[Index(op)] = Plan{nth, persistent, error};
}

void FaultyFileSystem::Heal() {
  plans_ = {};
  stepPlans_ = {};
  diskFilled_ = false;
}

std::optional<AppError> FaultyFileSystem::Step(FsOp op) {
  ++calls_[Index(op)];
  Plan& plan = plans_[Index(op)];
  if (!plan.error) return std::nullopt;
  if (plan.countdown > 1) {
    --plan.countdown;
    return std::nullopt;
  }
  std::optional<AppError> error = plan.error;
  if (!plan.persistent) plan = Plan{};
  fired_ = true;
  return error;
}

std::uint32_t FaultyFileSystem::GetAttributes(const std::string& path) {
  if (auto error = Step(FsOp::GetAttributes)) throw *error;
  return target_.GetAttributes(path);
}

bool FaultyFileSystem::OrdinaryFileExists(const std::string& path) {
  if (Step(FsOp::OrdinaryFileExists)) return false;
  return target_.OrdinaryFileExists(path);
}

void FaultyFileSystem::CreateFolder(const std::string& path) {
  if (auto error = Step(FsOp::CreateFolder)) throw *error;
  target_.CreateFolder(path);
}

void FaultyFileSystem::CopyWholeFile(const std::string& source, const std::string& destination,
                                     Durability durability, DestinationLinks links) {
  if (auto error = Step(FsOp::CopyWholeFile)) throw *error;
  target_.CopyWholeFile(source, destination, durability, links);
}

void FaultyFileSystem::FlushWrites() {
  if (auto error = Step(FsOp::FlushWrites)) throw *error;
  target_.FlushWrites();
}

bool FaultyFileSystem::LiesWithin(const std::string& path, const std::string& folder) {
  if (Step(FsOp::LiesWithin)) return false;
  return target_.LiesWithin(path, folder);
}

FindHandle FaultyFileSystem::FindFirstFileA(const std::string& pattern, FindData* record) {
  injectedFindFailure_.reset();
  if (auto error = Step(FsOp::FindFirst)) {
    injectedFindFailure_ = error;
    return kInvalidHandle;
  }
  const FindHandle handle = target_.FindFirstFileA(pattern, record);
  if (handle != kInvalidHandle) ++openListings_;
  return handle;
}

void FaultyFileSystem::FindClose(FindHandle handle) {
  --openListings_;
  target_.FindClose(handle);
}

int FaultyFileSystem::FindNextFileA(FindHandle handle, FindData* record) {
  injectedFindFailure_.reset();
  if (auto error = Step(FsOp::FindNext)) {
    injectedFindFailure_ = error;
    return 0;
  }
  return target_.FindNextFileA(handle, record);
}

std::optional<AppError> FaultyFileSystem::LastFindFailure() const {
  if (injectedFindFailure_) return injectedFindFailure_;
  return target_.LastFindFailure();
}

}  // namespace bt::testing
