#include "platform/posix/host_path_resolver.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/posix/host_names.h"

namespace bt {

std::string JoinHostPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

std::string HostPathResolver::ResolveName(const std::string& hostFolder, const std::string& windowsName) {
  std::string hostName = WindowsNameToHost(windowsName);
  if (!IsUsableHostName(hostName)) {
    throw AppError(kErrPathFileAccess, "\"" + windowsName + "\" cannot be a file name here");
  }
  struct stat st {};
  if (lstat(JoinHostPath(hostFolder, hostName).c_str(), &st) == 0 || errno != ENOENT) {
    return hostName;  // found exactly, or failing for another reason the caller will meet
  }
  const std::vector<std::string> matches = cache_.Matches(hostFolder, CaseKey(hostName));
  if (matches.size() == 1) return matches.front();
  if (matches.size() > 1) {
    std::string candidates;
    for (const std::string& match : matches) candidates += (candidates.empty() ? "\"" : ", \"") + match + "\"";
    throw AppError(kErrPathFileAccess, "\"" + windowsName + "\" in \"" + hostFolder +
                                           "\" matches several names differing only in letter case: " +
                                           candidates);
  }
  return hostName;
}

HostPath HostPathResolver::Resolve(const std::string& hostRoot, const std::vector<std::string>& windowsNames) {
  HostPath result{hostRoot, "", "", ""};
  for (const std::string& windowsName : windowsNames) {
    result.folder = result.path;
    result.name = ResolveName(result.folder, windowsName);
    result.path = JoinHostPath(result.folder, result.name);
    const std::string given = WindowsNameToHost(windowsName);
    result.givenName = given == result.name ? std::string() : given;
  }
  return result;
}

}  // namespace bt
