// The layout of a backup set and the path rule the operations share.
//
// A backup set is a folder named with the date-and-time stamp holding
// "vendrial.mdb" and, for a set made with everything included, "tarvel.ini"
// and the whole "Fotos" tree. Nothing else marks it: a folder is taken for a
// backup set by the database file in it.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "platform/clock.h"
#include "platform/file_system.h"

namespace bt {

inline constexpr const char* kDatabaseFile = "vendrial.mdb";
inline constexpr const char* kOptionsFile = "tarvel.ini";
inline constexpr const char* kPhotosFolder = "Fotos";

// The folder with one trailing "\" removed, if it ends with one; only the
// last character is looked at, so "C:\" becomes "C:" and "C:\A\\" keeps one.
// An empty text is an invalid argument (5).
std::string WithoutTrailingSeparator(const std::string& folder);

// The installation folder the window shows, without its trailing "\". An
// empty one (Tarvel 2.0 was not found at start-up) fails with 5, its detail
// naming what was looked for.
std::string InstallationWithoutSeparator(const std::string& installation);

// Copies the options file and the photo tree from one folder to another
// (the installation and a set, either way), both given without a trailing
// "\". The options file is flushed on its own when it replaces one; the
// photos at the next FlushWrites. links: how links met at `to` are taken.
void CopyOptionsAndPhotos(FileSystem& files, const std::string& from, const std::string& to,
                          DestinationLinks links);

// Runs the copies of an operation and makes them durable. A failure leaves
// it after the copies still running have ended, takeBack has run (a backup
// removes what it made), and what was already replaced has been made
// durable, so that the files the user is told about are on the disk
// whatever comes next; the failure reported is the first, which may be that
// of a copy still running when a later step failed.
template <typename Copies, typename TakeBack>
void RunCopies(FileSystem& files, Copies&& copies, TakeBack&& takeBack) {
  try {
    copies();
    files.FlushWrites();
  } catch (...) {
    std::exception_ptr first = std::current_exception();
    try {
      files.FinishCopies();
    } catch (...) {
      first = std::current_exception();
    }
    takeBack();
    try {
      files.FlushWrites();
    } catch (...) {
      // The first failure is the one to report.
    }
    std::rethrow_exception(first);
  }
}

template <typename Copies>
void RunCopies(FileSystem& files, Copies&& copies) {
  RunCopies(files, std::forward<Copies>(copies), [] {});
}

// The stamp of a backup set, "yyyymmdd_HhNnSs" with leading zeros:
// 17 January 2009 at 13:09:04 gives "20090117_130904".
std::string TimestampName(Clock& clock);

}  // namespace bt
