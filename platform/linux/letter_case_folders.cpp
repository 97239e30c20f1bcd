#include "platform/linux/letter_case_folders.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>

#include "platform/temporary_names.h"

namespace bt {
namespace {

// The folder's own casefold flag (ext4, F2FS, tmpfs); false where the file
// system keeps no such flag.
bool FoldsCaseByFlag(int folder) {
  int flags = 0;
  return ::ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0;
}

std::string InCapitals(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name;
}

enum class Lookup { kFound, kMissing, kFailed };

Lookup LookUp(int folder, const std::string& name) {
  struct stat st {};
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return Lookup::kFound;
  return errno == ENOENT ? Lookup::kMissing : Lookup::kFailed;
}

// The folder opened for the probe; -1 when it cannot be.
class OpenFolder {
 public:
  explicit OpenFolder(const std::string& hostFolder)
      : fd_(::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK)) {}
  ~OpenFolder() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Makes a new entry and looks it up in capitals (temporary copy names always
// hold small letters). An entry's identity cannot settle it: FUSE may give
// one entry found under two spellings two inode numbers. nullopt when the
// folder could not be asked.
std::optional<bool> ProbeKeepsLetterCase(int folder) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string name = TemporaryCopyName(TemporaryNameRandom(), WallClock::now());
    const std::string capitals = InCapitals(name);
    // The capitals must be free before the entry exists for their finding
    // it to mean anything.
    const Lookup before = LookUp(folder, capitals);
    if (before == Lookup::kFailed) return std::nullopt;
    if (before == Lookup::kFound) continue;
    const int probe = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (probe < 0) {
      if (errno == EEXIST) continue;
      return std::nullopt;
    }
    ::close(probe);
    const Lookup after = LookUp(folder, capitals);
    ::unlinkat(folder, name.c_str(), 0);
    if (after == Lookup::kFailed) return std::nullopt;
    return after == Lookup::kMissing;
  }
  return std::nullopt;
}

}  // namespace

bool FolderKeepsLetterCase(const std::string& hostFolder) {
  const OpenFolder folder(hostFolder);
  if (folder.get() < 0 || FoldsCaseByFlag(folder.get())) return false;
  return ProbeKeepsLetterCase(folder.get()).value_or(false);
}

bool LetterCaseFolders::KeepsLetterCase(const std::string& hostFolder) {
  const auto known = byFolder_.find(hostFolder);
  if (known != byFolder_.end()) return known->second;
  const OpenFolder folder(hostFolder);
  struct stat st {};
  if (folder.get() < 0 || ::fstat(folder.get(), &st) != 0) return false;
  bool keeps = false;
  if (!FoldsCaseByFlag(folder.get())) {
    const auto probed = byFileSystem_.find(st.st_dev);
    if (probed != byFileSystem_.end()) {
      keeps = probed->second;
    } else if (const std::optional<bool> answer = ProbeKeepsLetterCase(folder.get())) {
      keeps = byFileSystem_[st.st_dev] = *answer;
    }
    // Unasked (a folder that may not be written): false, for this folder
    // alone; another folder of the file system may yet be asked.
  }
  if (byFolder_.size() >= 1024) byFolder_.clear();
  byFolder_[hostFolder] = keeps;
  return keeps;
}

void LetterCaseFolders::Forget() {
  byFolder_.clear();
  byFileSystem_.clear();
}

}  // namespace bt
