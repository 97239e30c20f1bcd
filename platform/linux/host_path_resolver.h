// Windows names onto host names, ignoring letter case as Wine does.
//
// Each name is looked up in its host folder: the exact host name first, else
// the one entry whose name matches ignoring letter case (Unicode-aware). A
// name found neither way stays as given, for an operation that creates it or
// fails on it. Where two or more entries match ignoring case and none
// exactly, the path is ambiguous and Resolve throws AppError 75 naming them,
// rather than pick one by listing order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/linux/folder_name_cache.h"
#include "platform/linux/open_folders.h"

namespace bt {

struct HostPath {
  std::string path;    // the whole host path
  std::string folder;  // the host folder that holds the last name; "" for a root
  std::string name;    // the last host name; "" for a root
  // The last name as given, in host bytes, when `name` was found only by
  // ignoring letter case; "" otherwise.
  std::string givenName;
  // The last name was looked up in the name cache, which found the folder's
  // list current.
  bool folderMatched = false;
  // The last name was found on the host, exactly or ignoring letter case.
  bool exists = false;
};

std::string JoinHostPath(const std::string& folder, const std::string& name);

class HostPathResolver {
 public:
  // Also throws AppError 75 for a name that cannot be a host name (one whose
  // carrier characters stand for "/", NUL, "." or "..").
  HostPath Resolve(const std::string& hostRoot, const std::vector<std::string>& windowsNames);

  FolderNameCache& cache() { return cache_; }

  // While folders are held (a tree copy runs), the folders that paths lead
  // through are kept open and the names in them looked up relative to them
  // (see open_folders.h); released, nothing is held and every look goes by
  // the whole path.
  void HoldFolders() { holding_ = true; }
  void ReleaseFolders() {
    holding_ = false;
    folders_.ForgetAll();
  }
  // The host folder, open, while folders are held; else nullptr, as when it
  // cannot be opened.
  OpenFolderRef Folder(const std::string& hostFolder) { return holding_ ? folders_.Open(hostFolder) : nullptr; }
  // hostFolder and what was below it are gone.
  void Removed(const std::string& hostFolder) { folders_.Forget(hostFolder); }

 private:
  // The entry of hostFolder that hostName stands for ignoring case: the one
  // match, or hostName itself when none matches; nullopt when the folder
  // cannot be read. Throws AppError 75 for two or more matches.
  std::optional<std::string> MatchIgnoringCase(const std::string& hostFolder, const std::string& hostName,
                                               const std::string& windowsName);

  // The host folder of the last path resolved, by its Windows names: a tree
  // copy resolves file after file in one folder.
  struct LastFolder {
    std::string hostRoot;
    std::vector<std::string> windowsNames;
    std::vector<std::string> hostNames;
    std::string exactFolder;
  };
  // The host names of windowsNames and the folder the first `count` of them
  // make under hostRoot, exactly as given.
  const LastFolder& ExactFolder(const std::string& hostRoot, const std::vector<std::string>& windowsNames,
                                std::size_t count);

  FolderNameCache cache_;
  LastFolder last_;
  OpenFolders folders_;
  bool holding_ = false;
};

}  // namespace bt
