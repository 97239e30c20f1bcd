// Keeping only the newest backup sets of a location, as a scheduled backup
// asks after it has made its set.
//
// A backup set here is only a folder whose name is a stamp as TimestampName
// writes it ("yyyymmdd_hhnnss") and that holds the database file. Nothing
// else in the location is ever touched, whatever its name: not a
// stamp-named folder without a database, not a link, not a file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/file_system.h"

namespace bt {

// A set that could not be removed whole.
struct SetRemovalFailure {
  std::string set;       // the set's folder, under its own name
  // Where what is left of it stays, under a name that no longer passes for
  // a set; "" when the set is still whole under its own name.
  std::string leftover;
  AppError error;
};

struct RetentionOutcome {
  std::vector<std::string> removed;  // the sets removed whole, oldest first
  std::vector<SetRemovalFailure> failures;
};

// The suffix a set takes while it is being removed.
inline constexpr const char* kBeingRemovedSuffix = "-apagando";

// "yyyymmdd_hhnnss" with a month, day, hour, minute and second that a clock
// can show.
bool IsStampName(std::string_view name);

// The names of the backup sets directly in location (given without a
// trailing "\"), oldest first. Throws when location cannot be listed.
std::vector<std::string> BackupSetsIn(FileSystem& files, const std::string& location);

// Removes the oldest sets of location so that the `keep` newest remain
// (keep >= 1), newSet (the set just made, a folder in location) always
// among them, whatever its name says of its age. Each set is taken whole or
// not at all as far as the file system allows: it is renamed first, then
// emptied; a set whose first removal fails gets its name back. A set that
// fails does not stop the others. Throws (before removing anything) only
// when location cannot be listed.
RetentionOutcome KeepNewestSets(FileSystem& files, const std::string& location, const std::string& newSet,
                                int keep);

}  // namespace bt
