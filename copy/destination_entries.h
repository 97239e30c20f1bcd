// Where the entries of one source folder land in their destination folder,
// as the destination's drive decides it, so that two entries of the source
// never become one entry there.
//
// A drive that ignores letter case takes "Natal" and "natal" for one name;
// exFAT and Windows also take "σ" and "ς" for one, which no lower-case form
// shows. So what the copy believes is checked against what the drive does: a
// folder it expected to be new that turns out to exist lands on an entry it
// did not expect, and is refused unless it is the one entry of that name the
// destination held before the copy and no other entry of the source went
// there.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/file_system.h"

namespace bt {

struct SourceEntry {
  std::string name;
  bool folder = false;
};

class DestinationEntries {
 public:
  // destination ends in "\". destinationIsNew: the copy has just made it,
  // so it holds nothing the copy did not put there.
  DestinationEntries(FileSystem& files, std::string source, std::string destination, bool destinationIsNew);

  // Refuses (58) before anything is copied: two folders of the source whose
  // names differ only in letter case, and two such files where the drive
  // cannot keep them apart or where both would replace one file there
  // ("FOTO.JPG" for "foto.jpg" and "Foto.jpg").
  void RefuseLetterCaseTwins(const std::vector<SourceEntry>& entries);

  // Creates the folder for the source's subfolder `name`, or takes the one
  // the destination holds already. Returns whether it was created. Throws
  // 58 when the drive puts it onto a folder another subfolder of the source
  // went to, or onto one the copy cannot tell; 75 when a file stands there.
  bool TakeFolder(const std::string& name);

 private:
  const std::vector<std::string>& Listed();
  void Know(const std::string& entry);
  std::optional<std::string> Expected(const std::string& name);
  [[noreturn]] void RefuseOneFolder(const std::string& name, const std::string& other) const;

  FileSystem& files_;
  std::string source_;
  std::string destination_;
  bool new_;
  std::optional<std::vector<std::string>> listed_;  // what the destination held before
  std::map<std::string, std::string> taken_;        // destination entry -> source name
  // What the destination holds, before the copy and from it, by CaseFoldKey.
  std::unordered_map<std::string, std::vector<std::string>> known_;
};

}  // namespace bt
