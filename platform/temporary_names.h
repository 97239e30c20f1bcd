// The names of the files a copy keeps beside its destination for a moment:
// the temporary file it writes before renaming it into place
// (".BackupTarvel-<time>-<random>-<check>.tmp") and, on Windows, the file a
// replacement sets aside until the new one stands under its name (the same
// form ending in ".old").
//
// A name carries the time it was made and a check value computed from the
// rest of it with a constant of this program, so that a name a person or
// another program picks is not taken for one of ours by chance: only names
// that pass the check are left out of listings and ever removed as
// leftovers. A file merely looking like one is the user's, like any other.
// The leading dot hides them from Linux tools.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bt {

using WallClock = std::chrono::system_clock;

// A temporary file left unheld and unplaced for this long, judged by the
// time in its name, was abandoned by a copy that never finished.
constexpr std::chrono::seconds kStaleTemporaryAge{600};

// A name stamped further ahead of the clock than this was made under a clock
// set wrong, and counts as stale; less is the skew between two machines
// sharing a folder.
constexpr std::chrono::hours kFutureStampTolerance{24};

// A random number for a new name, from a generator of the calling thread's own.
std::uint64_t TemporaryNameRandom();

std::string TemporaryCopyName(std::uint64_t random, WallClock::time_point created);
std::string SetAsideName(std::uint64_t random, WallClock::time_point created);

// Names of this program's own making that pass the check.
bool IsTemporaryCopyName(std::string_view name);
bool IsSetAsideName(std::string_view name);
// Either kind: what listings leave out.
inline bool IsOwnWorkingName(std::string_view name) { return IsTemporaryCopyName(name) || IsSetAsideName(name); }

// When a name of either kind was made (to the second); nullopt for any other
// name.
std::optional<WallClock::time_point> CreatedAt(std::string_view name);

// A temporary copy name made at least `age` before now, or stamped
// implausibly far ahead of it. A set-aside file is never stale: it may hold
// the only copy of a replaced file.
bool IsStaleTemporaryCopyName(std::string_view name, WallClock::time_point now,
                              std::chrono::seconds age = kStaleTemporaryAge);

}  // namespace bt
