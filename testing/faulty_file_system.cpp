#include "testing/faulty_file_system.h"

namespace bt::doubles {

void FaultyFileSystem::FailOn(FsOp op, int nth, const AppError& error, bool persistent) {
  plans_[Index(op)] = Plan{nth, persistent, error};
}

void FaultyFileSystem::Heal() {
  plans_ = {};
  steps_.Heal();
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

void FaultyFileSystem::RemoveFile(const std::string& path) {
  if (auto error = Step(FsOp::RemoveFile)) throw *error;
  target_.RemoveFile(path);
}

void FaultyFileSystem::RemoveEmptyFolder(const std::string& path) {
  if (auto error = Step(FsOp::RemoveEmptyFolder)) throw *error;
  target_.RemoveEmptyFolder(path);
}

void FaultyFileSystem::RenameFolder(const std::string& path, const std::string& newName) {
  if (auto error = Step(FsOp::RenameFolder)) throw *error;
  target_.RenameFolder(path, newName);
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

}  // namespace bt::doubles
