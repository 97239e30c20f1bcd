// What one backup run made, so that a run that fails can take it back: a
// half-made set must never pass for a backup when the user later picks "the
// newest one".
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/forwarding_file_system.h"

namespace bt {

// Notes the folders that its CreateFolder created and the files copied into
// those folders. TakeBack removes them: only them, so a folder that was
// there before, or a file someone else put into one of these folders (which
// then keeps its folder too), stays.
class CreationJournal final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

  void CreateFolder(const std::string& path) override;
  using FileSystem::CopyWholeFile;
  void CopyWholeFile(const std::string& source, const std::string& destination, Durability durability,
                     DestinationLinks links) override;

  // Removes what was noted, files first, then each folder that is empty,
  // deepest first. What cannot be removed stays. Never throws.
  void TakeBack();

 private:
  bool Made(const std::string& folder) const;

  std::vector<std::string> folders_;  // as created, without a trailing "\"
  std::unordered_set<std::string> made_;  // the same, to look up
  std::vector<std::string> files_;
};

}  // namespace bt
