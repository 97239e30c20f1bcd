#include "platform/linux/host_errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "testing/temp_drives.h"

namespace bt {
namespace {

TEST(HostErrors, EachHostCauseHasItsClassicNumber) {
  const std::pair<int, int> table[] = {
      {ENOTDIR, 76}, {EACCES, 70}, {EPERM, 70},  {EROFS, 70},     {EBUSY, 70}, {ETXTBSY, 70},
      {ENOSPC, 61},  {EDQUOT, 61}, {EEXIST, 58}, {EIO, 57},       {ENOMEDIUM, 71},
      {ENXIO, 71},   {ENODEV, 71}, {ENOMEM, 7},  {ENAMETOOLONG, 75}, {ELOOP, 75},
  };
  for (const auto& [hostErrno, number] : table) EXPECT_EQ(ErrorNumberOf(hostErrno), number) << hostErrno;
  EXPECT_EQ(ErrorNumberOf(ENOENT), 53);
  EXPECT_EQ(ErrorNumberOf(ENOENT, 76), 76);
}

TEST(HostErrors, AMissingEntryIsAMissingFileOnlyWhenItsFolderExists) {
  doubles::TempDrives drives;
  const std::string c = drives.AddDrive('C');
  EXPECT_EQ(HostError(ENOENT, "open", c + "/vendrial.mdb").number(), kErrFileNotFound);
  EXPECT_EQ(HostError(ENOENT, "open", c + "/Tarvel/vendrial.mdb").number(), kErrPathNotFound);
  // As on Windows, a missing last name is "not found" even when it was to be
  // a folder; only a missing folder on the way makes the path not found.
  EXPECT_EQ(HostError(ENOENT, "open", c + "/Tarvel/").number(), kErrFileNotFound);
}

TEST(HostErrors, TheHostsCauseIsForTheDevelopersOnly) {
  const AppError error = HostError(EACCES, "open", "/srv/tarvel/vendrial.mdb");
  EXPECT_EQ(error.number(), kErrPermissionDenied);
  EXPECT_EQ(error.detail(), "");
  EXPECT_EQ(error.hostDetail(), std::string("open \"/srv/tarvel/vendrial.mdb\": ") + std::strerror(EACCES));
}

}  // namespace
}  // namespace bt
