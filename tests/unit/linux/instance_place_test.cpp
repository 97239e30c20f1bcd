// Where the programs of one user and one Wine prefix meet (one window per
// user and prefix): the place is the prefix's, however its path is written,
// and it is private to the user.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/linux/instance_place.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

class InstancePlaceTest : public ::testing::Test {
 protected:
  InstancePlaceTest() {
    std::string pattern = (fs::temp_directory_path() / "bt-place-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    fs::create_directories(root_ / "runtime");
    fs::permissions(root_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directories(root_ / "home" / ".wine");
    fs::create_directory_symlink(root_ / "home" / ".wine", root_ / "atalho");
    variables_["XDG_RUNTIME_DIR"] = (root_ / "runtime").string();
    variables_["TMPDIR"] = (root_ / "tmp").string();
  }
  ~InstancePlaceTest() override { fs::remove_all(root_); }

  std::optional<InstancePlace> PlaceOf(const std::string& prefix) {
    return InstancePlaceFor(prefix, [this](const char* name) -> const char* {
      const auto found = variables_.find(name);
      return found == variables_.end() ? nullptr : found->second.c_str();
    });
  }

  fs::path root_;
  std::map<std::string, std::string> variables_;
};

TEST_F(InstancePlaceTest, APrefixReachedThroughALinkOrWithATrailingSlashIsTheSamePrefix) {
  const auto place = PlaceOf((root_ / "home" / ".wine").string());
  ASSERT_TRUE(place);
  for (const fs::path& same : {root_ / "atalho", root_ / "home" / ".wine/", root_ / "home" / "." / ".wine"}) {
    const auto other = PlaceOf(same.string());
    ASSERT_TRUE(other) << same;
    EXPECT_EQ(other->lockFile, place->lockFile) << same;
    EXPECT_EQ(other->socket, place->socket) << same;
  }
  fs::create_directories(root_ / "home" / ".wine-tarvel");
  const auto another = PlaceOf((root_ / "home" / ".wine-tarvel").string());
  ASSERT_TRUE(another);
  EXPECT_NE(another->lockFile, place->lockFile);
  EXPECT_NE(another->socket, place->socket);
}

TEST_F(InstancePlaceTest, ItLiesInTheUsersRuntimeFolderInAFolderOfItsOwnThatOnlyTheUserMayEnter) {
  const auto place = PlaceOf((root_ / "home" / ".wine").string());
  ASSERT_TRUE(place);
  const fs::path folder = root_ / "runtime" / "BackupTarvel";
  EXPECT_EQ(fs::path(place->lockFile).parent_path(), folder);
  EXPECT_EQ(fs::path(place->socket).parent_path(), folder);
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(InstancePlaceTest, WithoutARuntimeFolderAFolderOfTheUsersOwnUnderTheTemporaryOneServes) {
  variables_.erase("XDG_RUNTIME_DIR");
  fs::create_directories(root_ / "tmp");
  const auto place = PlaceOf((root_ / "home" / ".wine").string());
  ASSERT_TRUE(place);
  const fs::path folder = root_ / "tmp" / ("BackupTarvel-" + std::to_string(::geteuid()));
  EXPECT_EQ(fs::path(place->lockFile).parent_path(), folder);
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(InstancePlaceTest, AFolderOthersMayEnterOrALinkIsPassedOver) {
  fs::create_directories(root_ / "runtime" / "BackupTarvel");
  fs::permissions(root_ / "runtime" / "BackupTarvel", fs::perms::all, fs::perm_options::replace);
  fs::create_directories(root_ / "tmp" / "elsewhere");
  fs::create_directory_symlink(root_ / "tmp" / "elsewhere",
                               root_ / "tmp" / ("BackupTarvel-" + std::to_string(::geteuid())));

  const auto place = PlaceOf((root_ / "home" / ".wine").string());

  ASSERT_TRUE(place);
  EXPECT_EQ(fs::path(place->lockFile).parent_path(), fs::path("/tmp/BackupTarvel-" + std::to_string(::geteuid())));
}

TEST_F(InstancePlaceTest, TheLockIsTakenByOneHolderAtATimeAndFreeOnceItIsGone) {
  const auto place = PlaceOf((root_ / "home" / ".wine").string());
  ASSERT_TRUE(place);
  auto first = std::make_unique<InstanceLock>(place->lockFile);
  EXPECT_EQ(first->TryTake(), InstanceLock::State::kTaken);
  EXPECT_EQ(first->TryTake(), InstanceLock::State::kTaken);
  InstanceLock second(place->lockFile);
  EXPECT_EQ(second.TryTake(), InstanceLock::State::kHeldElsewhere);
  first.reset();
  EXPECT_EQ(second.TryTake(), InstanceLock::State::kTaken);
}

TEST_F(InstancePlaceTest, ALockFileThatCannotBeOpenedHoldsNobodyBack) {
  fs::create_directories(root_ / "runtime" / "BackupTarvel");
  fs::create_symlink(root_ / "nada", root_ / "runtime" / "BackupTarvel" / "window.lock");
  InstanceLock lock((root_ / "runtime" / "BackupTarvel" / "window.lock").string());
  EXPECT_EQ(lock.TryTake(), InstanceLock::State::kUnavailable);
}

}  // namespace
}  // namespace bt
