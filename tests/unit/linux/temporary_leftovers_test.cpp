// The leftovers of copies that never finished, on Linux: only a file of the
// program's own making (its name passes the check), old by its name and
// untouched as long, and held by no live copy, is ever removed.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/temporary_file.h"
#include "platform/temporary_names.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

class TemporaryLeftovers : public ::testing::Test {
 protected:
  TemporaryLeftovers() {
    char pattern[] = "/tmp/bt-leftovers-XXXXXX";
    folder_ = ::mkdtemp(pattern);
  }
  ~TemporaryLeftovers() override { fs::remove_all(folder_); }

  std::string Write(const std::string& name, const std::string& content) const {
    const std::string path = folder_ + "/" + name;
    std::ofstream(path) << content;
    return path;
  }

  std::string folder_;
};

TEST_F(TemporaryLeftovers, AUsersFileNamedLikeALeftoverIsNeverRemoved) {
  const std::string users = Write(".BackupTarvel-abc123.tmp", "anotações do usuário");
  const std::string leftover =
      Write(TemporaryCopyName(1, WallClock::now() - std::chrono::hours(1)), "meia cópia de uma cópia morta");
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder_, std::chrono::seconds(0)), 1);
  EXPECT_TRUE(fs::exists(users));
  EXPECT_FALSE(fs::exists(leftover));
}

TEST_F(TemporaryLeftovers, ALiveCopysNamedFileWhoseTimesAreOldIsNeverRemoved) {
  TemporaryFile live(folder_, /*unnamed=*/false, 0600);
  ASSERT_FALSE(live.unnamed());
  // The copy gives its file the source's times, which may be years old.
  const timespec old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
  ASSERT_EQ(::futimens(live.fd(), old), 0);
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder_), 0);
  EXPECT_EQ(RemoveStaleTemporaryFiles(folder_, std::chrono::seconds(0)), 0);
  EXPECT_TRUE(fs::exists(live.path()));
}

}  // namespace
}  // namespace bt
