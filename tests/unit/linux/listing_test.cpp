// Folder listings with FindFirstFileA, FindNextFileA and FindClose.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/file_system.h"
#include "platform/temporary_names.h"
#include "testing/host_conditions.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::HostNames;
using doubles::ListAll;
using doubles::Listed;
using doubles::NamesOf;
using doubles::ThrownNumber;
using Names = std::vector<std::string>;

class Listing : public ::testing::Test {
 protected:
  Listing() {
    drives_.AddDrive('C');
    drives_.AddDrive('A', /*openable=*/false);
    drives_.WriteFile("C:\\Fotos\\a.jpg", "a");
    drives_.WriteFile("C:\\Fotos\\b.jpg", "b");
    drives_.WriteFile("C:\\Fotos\\Thumbs.db", "t");
    drives_.MakeFolder("C:\\Fotos\\Natal");
    drives_.MakeFolder("C:\\Vazia");
    files_ = drives_.MakeFileSystem();
  }

  std::vector<Listed> Entries(const std::string& pattern) { return ListAll(*files_, pattern); }

  // The names after "." and "..".
  Names Below(const std::string& pattern) {
    Names names = NamesOf(Entries(pattern));
    EXPECT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], ".");
    EXPECT_EQ(names[1], "..");
    return Names(names.begin() + 2, names.end());
  }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
};

TEST_F(Listing, DotAndDotDotComeFirstThenTheHostsOrder) {
  const std::vector<Listed> entries = Entries("C:\\Fotos\\*.*");
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0], (Listed{".", kAttrDirectory}));
  EXPECT_EQ(entries[1], (Listed{"..", kAttrDirectory}));
  EXPECT_EQ(Below("C:\\Fotos\\*.*"), HostNames(drives_.Host("C:\\Fotos")));  // as readdir yields them
  for (const Listed& entry : entries) {
    EXPECT_EQ(entry.attributes, entry.name == "Natal" || entry.name.starts_with(".") ? kAttrDirectory : kAttrArchive)
        << entry.name;
  }
}

TEST_F(Listing, StarAndStarDotStarListTheSame) {
  EXPECT_EQ(Entries("C:\\Fotos\\*"), Entries("C:\\Fotos\\*.*"));
  EXPECT_EQ(Entries("c:/fotos/*.*"), Entries("C:\\Fotos\\*.*"));
}

TEST_F(Listing, AnEmptyFolderAndADriveRootStillHoldDotAndDotDot) {
  EXPECT_TRUE(Below("C:\\Vazia\\*.*").empty());
  EXPECT_EQ(Below("C:\\*.*").size(), 2u);  // Fotos, Vazia
}

TEST_F(Listing, HiddenAndSystemEntriesAreListed) {
  drives_.WriteFile("C:\\Fotos\\.oculto", "");
  const std::vector<Listed> entries = Entries("C:\\Fotos\\*.*");
  EXPECT_NE(std::find(entries.begin(), entries.end(), Listed{".oculto", kAttrArchive | kAttrHidden}),
            entries.end());
}

TEST_F(Listing, UnfinishedCopiesAreLeftOutButNotFilesThatMerelyLookLikeThem) {
  const std::string unfinished = TemporaryCopyName(9, WallClock::now());
  drives_.WriteFile("C:\\Fotos\\" + unfinished, "half");
  drives_.WriteFile("C:\\Fotos\\.BackupTarvel-Ab3xZ9.tmp", "a user's own file, named like an old one");
  drives_.WriteFile("C:\\Fotos\\.BackupTarvel-notas.txt", "a user's own file");
  const Names names = Below("C:\\Fotos\\*.*");
  EXPECT_EQ(std::count(names.begin(), names.end(), unfinished), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), ".BackupTarvel-Ab3xZ9.tmp"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), ".BackupTarvel-notas.txt"), 1);
}

TEST_F(Listing, LinksAreFollowedButNeverBackUpTheTree) {
  const std::string fotos = drives_.Host("C:\\Fotos");
  fs::create_directory_symlink(".", fotos + "/eu-mesma");
  fs::create_directory_symlink("..", fotos + "/acima");
  fs::create_directory_symlink(drives_.root(), fotos + "/fora-do-drive");  // an ancestor above the drive
  fs::create_directory_symlink("../Vazia", fotos + "/irma");
  fs::create_symlink("a.jpg", fotos + "/atalho.jpg");
  fs::create_symlink("nada.jpg", fotos + "/quebrado.jpg");
  fs::create_symlink("ciclo", fotos + "/ciclo");
  const std::vector<Listed> entries = Entries("C:\\Fotos\\*.*");
  Names names = NamesOf(entries);
  std::sort(names.begin(), names.end());
  // Links leading nowhere are listed as the links they are, so that a copy
  // meets them and fails rather than pass over them in silence.
  EXPECT_EQ(names, (Names{".", "..", "Natal", "Thumbs.db", "a.jpg", "atalho.jpg", "b.jpg", "ciclo", "irma",
                          "quebrado.jpg"}));
  for (const Listed& entry : entries) {
    std::uint32_t expected = kAttrArchive;
    if (entry.name == "irma") expected = kAttrDirectory | kAttrReparsePoint;
    if (entry.name == "atalho.jpg" || entry.name == "quebrado.jpg" || entry.name == "ciclo") {
      expected = kAttrArchive | kAttrReparsePoint;
    }
    if (entry.name == "Natal" || entry.name == "." || entry.name == "..") expected = kAttrDirectory;
    EXPECT_EQ(entry.attributes, expected) << entry.name;
  }
}

TEST_F(Listing, ALinkBackThroughALinkedFolderIsLeftOutToo) {
  // C:\Atalho leads to C:\Fotos\Natal; inside it a link leads to C:\, which
  // is an ancestor along the way the copy walks, not along the real path.
  fs::create_directory_symlink(drives_.Host("C:\\Fotos\\Natal"), drives_.Host("C:\\Atalho"));
  fs::create_directory_symlink(drives_.Host("C:\\"), drives_.Host("C:\\Fotos\\Natal\\raiz"));
  EXPECT_TRUE(Below("C:\\Atalho\\*.*").empty());
}

TEST_F(Listing, APlainNameListsThatOneEntryWhateverItsCase) {
  const std::vector<Listed> entries = Entries("C:\\Fotos\\NATAL");
  EXPECT_EQ(entries, (std::vector<Listed>{{"Natal", kAttrDirectory}}));
  FindData record;
  EXPECT_EQ(files_->FindFirstFileA("C:\\Fotos\\c.jpg", &record), kInvalidHandle);
  EXPECT_EQ(files_->LastFindFailure(), std::nullopt);  // the folder exists; nothing matched
}

TEST_F(Listing, OtherWildcardsAreNotSupported) {
  FindData record;
  EXPECT_EQ(ThrownNumber([&] { files_->FindFirstFileA("C:\\Fotos\\*.jpg", &record); }), kErrInvalidCall);
  EXPECT_EQ(ThrownNumber([&] { files_->FindFirstFileA("C:\\Fotos\\?.jpg", &record); }), kErrInvalidCall);
}

TEST_F(Listing, AListingThatCannotStartSaysWhy) {
  FindData record;
  const auto failure = [&](const std::string& pattern) {
    EXPECT_EQ(files_->FindFirstFileA(pattern, &record), kInvalidHandle) << pattern;
    return files_->LastFindFailure().value_or(AppError(0)).number();
  };
  EXPECT_EQ(failure("C:\\Nada\\*.*"), kErrPathNotFound);
  EXPECT_EQ(failure("C:\\Fotos\\a.jpg\\*.*"), kErrPathNotFound);
  EXPECT_EQ(failure("C:\\Nada\\a.jpg"), kErrPathNotFound);
  EXPECT_EQ(failure("A:\\*.*"), kErrDiskNotReady);
  EXPECT_EQ(failure("Fotos\\*.*"), kErrPathNotFound);
  // A listing that starts clears the last failure.
  const FindHandle handle = files_->FindFirstFileA("C:\\Fotos\\*.*", &record);
  EXPECT_NE(handle, kInvalidHandle);
  EXPECT_EQ(files_->LastFindFailure(), std::nullopt);
  files_->FindClose(handle);
}

TEST(ListingAsOrdinaryUser, AFolderThatMayNotBeReadIsPermissionDenied) {
  doubles::OrdinaryUser user;
  doubles::TempDrives drives;
  drives.AddDrive('C');
  drives.WriteFile("C:\\Fechada\\x.jpg", "x");
  fs::permissions(drives.Host("C:\\Fechada"), fs::perms::none);
  const auto files = drives.MakeFileSystem();
  FindData record;
  EXPECT_EQ(files->FindFirstFileA("C:\\Fechada\\*.*", &record), kInvalidHandle);
  EXPECT_EQ(files->LastFindFailure().value_or(AppError(0)).number(), kErrPermissionDenied);
}

TEST_F(Listing, ListingsRunSideBySideAndEndCleanly) {
  FindData first;
  FindData second;
  const FindHandle fotos = files_->FindFirstFileA("C:\\Fotos\\*.*", &first);
  const FindHandle root = files_->FindFirstFileA("C:\\*.*", &second);
  ASSERT_NE(fotos, kInvalidHandle);
  ASSERT_NE(root, kInvalidHandle);
  EXPECT_NE(fotos, root);
  int fotosCount = 1;
  while (files_->FindNextFileA(fotos, &first) != 0) ++fotosCount;
  EXPECT_EQ(fotosCount, 6);
  EXPECT_EQ(files_->FindNextFileA(fotos, &first), 0);  // stays at the end
  EXPECT_EQ(files_->FindNextFileA(root, &second), 1);
  files_->FindClose(fotos);
  files_->FindClose(root);
  EXPECT_EQ(files_->FindNextFileA(fotos, &first), 0);
  files_->FindClose(fotos);  // closing twice does no harm
}

TEST_F(Listing, AnEntryRemovedWhileListingIsSkipped) {
  FindData record;
  const FindHandle handle = files_->FindFirstFileA("C:\\Fotos\\*.*", &record);
  fs::remove(drives_.Host("C:\\Fotos\\b.jpg"));
  Names names;
  while (files_->FindNextFileA(handle, &record) != 0) names.push_back(record.cFileName);
  files_->FindClose(handle);
  EXPECT_EQ(std::count(names.begin(), names.end(), "b.jpg"), 0);
  EXPECT_EQ(names.size(), 4u);  // .., a.jpg, Thumbs.db, Natal
}

}  // namespace
}  // namespace bt
