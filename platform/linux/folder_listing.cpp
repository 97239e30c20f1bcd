#include "platform/linux/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/linux/dos_attributes.h"
#include "platform/linux/host_errors.h"
#include "platform/linux/host_names.h"
#include "platform/linux/host_path_resolver.h"
#include "platform/temporary_names.h"

namespace bt {
namespace {

// A host name has at most NAME_MAX (255) bytes; carried byte by byte it
// takes three bytes each, and the record still has room for its NUL.
static_assert(3 * 255 < kFindNameBytes);

AppError FolderError(int hostErrno, const std::string& hostFolder) {
  return HostErrorNumbered(ErrorNumberOf(hostErrno, kErrPathNotFound), hostErrno, "list", hostFolder);
}

}  // namespace

FolderListing::FolderListing(std::string hostFolder) : hostFolder_(std::move(hostFolder)) {}

FolderListing::~FolderListing() {
  if (folderFd_ >= 0) close(folderFd_);
}

void FolderListing::OpenHostFolder(const bt::OpenFolder* open) {
  folderFd_ = open != nullptr && open->path() == hostFolder_ ? fcntl(open->fd(), F_DUPFD_CLOEXEC, 0)
                                                             : ::open(hostFolder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (folderFd_ < 0) throw FolderError(errno, hostFolder_);
  procFolder_ = "/proc/self/fd/" + std::to_string(folderFd_) + "/";
}

std::unique_ptr<FolderListing> FolderListing::All(const std::string& hostFolder, const bt::OpenFolder* open) {
  std::unique_ptr<FolderListing> listing(new FolderListing(hostFolder));
  listing->OpenHostFolder(open);
  listing->names_ = {".", ".."};
  listing->mayBeLink_ = {false, false};
  listing->ReadNames();
  struct stat st {};
  if (fstat(listing->folderFd_, &st) != 0) throw FolderError(errno, hostFolder);
  listing->device_ = st.st_dev;
  return listing;
}

std::unique_ptr<FolderListing> FolderListing::One(const std::string& hostFolder, const std::string& hostName) {
  std::unique_ptr<FolderListing> listing(new FolderListing(hostFolder));
  struct stat st {};
  if (stat(hostFolder.c_str(), &st) != 0) throw FolderError(errno, hostFolder);
  if (!S_ISDIR(st.st_mode)) throw FolderError(ENOTDIR, hostFolder);
  listing->OpenHostFolder(nullptr);
  if (!IsOwnWorkingName(hostName)) {
    listing->names_ = {hostName};
    listing->mayBeLink_ = {true};
  }
  listing->device_ = st.st_dev;
  return listing;
}

void FolderListing::ReadNames() {
  const int fd = openat(folderFd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd >= 0 ? fdopendir(fd) : nullptr;
  if (dir == nullptr) {
    const int error = errno;
    if (fd >= 0) close(fd);
    throw FolderError(error, hostFolder_);
  }
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir);
    if (entry == nullptr) break;
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || IsOwnWorkingName(name)) continue;
    names_.emplace_back(name);
    mayBeLink_.push_back(entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN);
  }
  const int readError = errno;
  closedir(dir);
  if (readError != 0) throw FolderError(readError, hostFolder_);
}

// The folders on the way from "/" to the listed folder, as the path walks
// them (through links as written, not as resolved): a tree copy descends
// along the same way.
void FolderListing::NoteAncestors() {
  ancestorsNoted_ = true;
  std::string prefix;
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = hostFolder_.find('/', pos + 1);
    prefix = pos == std::string::npos ? hostFolder_ : hostFolder_.substr(0, std::max<std::size_t>(pos, 1));
    struct stat st {};
    if (stat(prefix.c_str(), &st) == 0) ancestors_.emplace_back(st.st_dev, st.st_ino);
  }
  struct stat root {};
  if (stat("/", &root) == 0) ancestors_.emplace_back(root.st_dev, root.st_ino);
}

bool FolderListing::LeadsBack(const struct stat& st) {
  if (!ancestorsNoted_) NoteAncestors();
  return std::find(ancestors_.begin(), ancestors_.end(), std::make_pair(st.st_dev, st.st_ino)) !=
         ancestors_.end();
}

bool FolderListing::Next(FindData* record) {
  while (next_ < names_.size()) {
    const bool mayBeLink = mayBeLink_[next_];
    const std::string& name = names_[next_++];
    const bool dots = name == "." || name == "..";
    // For messages; the calls go relative to the open folder.
    const std::string path = name == "." ? hostFolder_ : JoinHostPath(hostFolder_, name);
    const char* relative = name.c_str();

    struct stat st {};
    std::uint32_t link = 0;
    if (fstatat(folderFd_, relative, &st, 0) != 0) {
      const int statError = errno;
      struct stat own {};
      if (fstatat(folderFd_, relative, &own, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) continue;  // gone since the listing started
        throw HostError(errno, "examine", path);
      }
      // A link leading nowhere, or into a folder this user may not enter:
      // listed as the link it is, so that copying it fails loudly.
      if (statError != ENOENT && statError != ELOOP && statError != EACCES) {
        throw HostError(statError, "examine", path);
      }
      st = own;
      st.st_mode = (st.st_mode & ~S_IFMT) | S_IFREG;
      link = kAttrReparsePoint;
    } else if (mayBeLink) {
      struct stat own {};
      if (fstatat(folderFd_, relative, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(own.st_mode)) {
        link = kAttrReparsePoint;
      }
    }
    // Only a link or a mount point can lead back up the tree.
    const bool mayLeadBack = mayBeLink || st.st_dev != device_;
    if (!dots && S_ISDIR(st.st_mode) && mayLeadBack && LeadsBack(st)) continue;

    const std::string windowsName = HostNameToWindows(name);
    if (windowsName.size() >= kFindNameBytes) {
      throw HostErrorNumbered(kErrPathFileAccess, ENAMETOOLONG, "list", path);
    }
    record->dwFileAttributes = DosAttributes(procFolder_ + name, name, st, &lastDosAttrib_) | link;
    lastHostName_ = name;
    std::memcpy(record->cFileName, windowsName.c_str(), windowsName.size() + 1);
    return true;
  }
  return false;
}

}  // namespace bt
