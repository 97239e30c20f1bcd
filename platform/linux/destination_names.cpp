#include "platform/linux/destination_names.h"

#include <algorithm>
#include <optional>

#include "platform/error.h"
#include "platform/linux/host_names.h"

namespace bt {
namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// What the entry that `hostName` finds in hostFolder is called in the
// folder's listing: itself, the one entry differing only in letter case, or
// nullopt when the listing knows no such entry (or cannot be read).
std::optional<std::string> ListedName(FolderNameCache& cache, const std::string& hostFolder,
                                      const std::string& hostName) {
  const auto names = cache.Matches(hostFolder, CaseKey(hostName));
  if (!names || names->empty()) return std::nullopt;
  if (Contains(*names, hostName)) return hostName;
  if (names->size() == 1) return names->front();
  return std::nullopt;
}

AppError CannotHoldBoth(const std::string& given, const std::string& other, const std::string& hostFolder) {
  return AppError(kErrFileExists,
                  "a unidade de destino não diferencia maiúsculas de minúsculas e já recebeu \"" +
                      HostNameToWindows(other) + "\", outro arquivo da mesma pasta; \"" +
                      HostNameToWindows(given) + "\" o substituiria",
                  "\"" + given + "\" and \"" + other + "\" are one name on the drive of \"" + hostFolder +
                      "\", which ignores letter case");
}

}  // namespace

std::string SettleDestinationName(FolderNameCache& cache, const HostPath& from, const HostPath& to) {
  if (!to.exists || to.name.empty()) return to.name;
  const std::string given = to.givenName.empty() ? to.name : to.givenName;
  std::string found = to.name;
  // Found only by ignoring letter case: the exact name is free on this drive.
  const bool driveTellsCaseApart = !to.givenName.empty();
  if (driveTellsCaseApart == false) {
    std::optional<std::string> listed = ListedName(cache, to.folder, given);
    if (!listed) {
      // Read again, in case another program changed the folder just now.
      cache.Forget(to.folder);
      listed = ListedName(cache, to.folder, given);
    }
    if (!listed) {
      throw AppError(kErrFileExists,
                     "a unidade de destino guarda \"" + HostNameToWindows(given) +
                         "\" com outro nome, que já pertence a outro arquivo",
                     "\"" + given + "\" finds an entry of \"" + to.folder + "\" that its listing names otherwise");
    }
    if (*listed == given) return given;
    found = *listed;
  }
  // The entry differs from the given name in letter case. Another file of
  // the source's folder under that very name would be overwritten by this
  // one: two photos become one.
  const auto sourceNames = cache.Matches(from.folder, CaseKey(found));
  const std::optional<std::string> sourceListed = ListedName(cache, from.folder, from.name);
  const bool anotherSourceFile = sourceNames && Contains(*sourceNames, found) && sourceListed != found;
  if (!anotherSourceFile) return found;
  if (driveTellsCaseApart) return given;
  throw CannotHoldBoth(given, found, to.folder);
}

bool NameMayBeAltered(const std::string& hostName) {
  return !hostName.empty() && (hostName.back() == '.' || hostName.back() == ' ');
}

bool ListedExactly(FolderNameCache& cache, const std::string& hostFolder, const std::string& hostName) {
  cache.Forget(hostFolder);
  const auto names = cache.Matches(hostFolder, CaseKey(hostName));
  return names && Contains(*names, hostName);
}

}  // namespace bt
