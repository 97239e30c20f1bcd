// The entries the last two listings delivered, by Windows path. The source
// of a tree copy is, as a rule, one of them, delivered a moment ago (the
// copy lists a folder, and may list its destination, before it copies the
// folder's files): where it is on the host and its user.DOSATTRIB are
// known, and are not asked for again.
#pragma once

#include <string>
#include <unordered_map>

#include "platform/linux/dos_attributes.h"
#include "platform/linux/wine/drive_mapping.h"

namespace bt {

struct ListedEntry {
  const DriveMapping* drive = nullptr;
  std::string hostFolder;
  std::string hostName;
  DosAttribValue dosAttrib;
};

class ListedEntries {
 public:
  // A new listing starts: the older of the last two is forgotten.
  void StartListing();
  // The entry at windowsPath that the listing started last just delivered.
  void Note(const std::string& windowsPath, ListedEntry entry);
  // nullptr when neither of the last two listings delivered it.
  const ListedEntry* Find(const std::string& windowsPath) const;

 private:
  std::unordered_map<std::string, ListedEntry> listed_[2];  // the last listing's, the one before's
};

}  // namespace bt
