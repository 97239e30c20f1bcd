#include "platform/linux/host_path_resolver.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/error.h"
#include "platform/linux/host_names.h"

namespace bt {

std::string JoinHostPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

namespace {

void RequireUsable(const std::string& windowsName, const std::string& hostName) {
  if (!IsUsableHostName(hostName)) {
    throw AppError(kErrPathFileAccess, "\"" + windowsName + "\" não pode ser um nome de arquivo nesta unidade",
                   "\"" + windowsName + "\" cannot be a host file name");
  }
}

}  // namespace

std::optional<std::string> HostPathResolver::MatchIgnoringCase(const std::string& hostFolder,
                                                               const std::string& hostName,
                                                               const std::string& windowsName) {
  const std::optional<std::vector<std::string>> matches = cache_.Matches(hostFolder, CaseKey(hostName));
  if (!matches) return std::nullopt;
  if (matches->size() == 1) return matches->front();
  if (matches->size() > 1) {
    std::string candidates;
    std::string windowsCandidates;
    for (const std::string& match : *matches) {
      candidates += (candidates.empty() ? "\"" : ", \"") + match + "\"";
      windowsCandidates += (windowsCandidates.empty() ? "\"" : ", \"") + HostNameToWindows(match) + "\"";
    }
    throw AppError(kErrPathFileAccess,
                   "\"" + windowsName + "\" corresponde a vários nomes que diferem só em maiúsculas e "
                   "minúsculas: " + windowsCandidates,
                   "\"" + windowsName + "\" in \"" + hostFolder +
                       "\" matches several names differing only in letter case: " + candidates);
  }
  return hostName;
}

const HostPathResolver::LastFolder& HostPathResolver::ExactFolder(const std::string& hostRoot,
                                                                  const std::vector<std::string>& windowsNames,
                                                                  std::size_t count) {
  if (last_.hostRoot == hostRoot && last_.windowsNames.size() == count &&
      std::equal(last_.windowsNames.begin(), last_.windowsNames.end(), windowsNames.begin())) {
    return last_;
  }
  LastFolder folder{hostRoot, {}, {}, hostRoot};
  for (std::size_t i = 0; i < count; ++i) {
    folder.windowsNames.push_back(windowsNames[i]);
    folder.hostNames.push_back(WindowsNameToHost(windowsNames[i]));
    RequireUsable(windowsNames[i], folder.hostNames.back());
    folder.exactFolder = JoinHostPath(folder.exactFolder, folder.hostNames.back());
  }
  last_ = std::move(folder);
  return last_;
}

HostPath HostPathResolver::Resolve(const std::string& hostRoot, const std::vector<std::string>& windowsNames) {
  HostPath result{hostRoot, "", "", "", false, true};
  if (windowsNames.empty()) return result;

  const std::size_t last = windowsNames.size() - 1;
  const LastFolder& folderNames = ExactFolder(hostRoot, windowsNames, last);
  std::vector<std::string> hostNames = folderNames.hostNames;
  const std::string exactFolder = folderNames.exactFolder;
  hostNames.push_back(WindowsNameToHost(windowsNames[last]));
  RequireUsable(windowsNames[last], hostNames.back());
  const auto settle = [&](const std::string& folder, std::size_t index, const std::string& name) {
    result.folder = folder;
    result.name = name;
    result.path = JoinHostPath(folder, name);
    result.givenName = hostNames[index] == name ? std::string() : hostNames[index];
  };

  // A folder this process has just written into is known without a look:
  // a file of a tree copy goes to a name its new folder does not hold (one
  // that another program takes meanwhile is met when the copy takes it).
  if (cache_.KnownAbsent(exactFolder, CaseKey(hostNames[last]))) {
    settle(exactFolder, last, hostNames[last]);
    result.folderMatched = true;
    result.exists = false;
    return result;
  }

  // Most paths exist exactly as given, or all but their last name does (a
  // file about to be created): one look at the whole path, or at the folder
  // through the name cache, then settles every name before the last.
  struct stat st {};
  const OpenFolderRef open = Folder(exactFolder);
  const EntryAt exact = EntryIn(open.get(), JoinHostPath(exactFolder, hostNames[last]));
  if (fstatat(exact.folder, exact.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    settle(exactFolder, last, hostNames[last]);
    result.exists = true;
    return result;
  }
  const int exactError = errno;
  if (exactError == ENOENT) {
    if (const auto name = MatchIgnoringCase(exactFolder, hostNames[last], windowsNames[last])) {
      settle(exactFolder, last, *name);
      result.folderMatched = true;
      result.exists = !result.givenName.empty();
      return result;
    }
  }

  // Name by name: the exact name first, else the one that matches ignoring
  // case; one found neither way stays as given, for the caller to meet.
  std::string folder = hostRoot;
  for (std::size_t i = 0; i <= last; ++i) {
    std::string name = hostNames[i];
    bool matched = false;
    bool exists = lstat(JoinHostPath(folder, name).c_str(), &st) == 0;
    if (!exists && errno == ENOENT) {
      const auto match = MatchIgnoringCase(folder, name, windowsNames[i]);
      matched = match.has_value();
      name = match.value_or(name);
      exists = name != hostNames[i];
    }
    settle(folder, i, name);
    result.folderMatched = matched;
    result.exists = exists;
    folder = result.path;
  }
  return result;
}

}  // namespace bt
