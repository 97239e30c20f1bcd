// What every file system of the system promises, stated once and checked
// against each: the Linux one (native build), the Win32 one (under Wine) and
// the fault-injecting double wrapped around either. Scenarios run on
// temporary drives C: and D:, and A:, a drive without a disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/temporary_names.h"
#include "testing/copy_step_faults.h"
#include "testing/faulty_file_system.h"
#include "testing/open_for_writing.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

struct Flavour {
  const char* name;
  bool faultInjecting;  // the double, wrapped around the native one and healed
};

using doubles::ListAll;
using doubles::NamesOf;
using doubles::Thrown;
using doubles::ThrownNumber;

fs::path HostPath(const std::string& host) { return fs::path(std::u8string(host.begin(), host.end())); }

class FileSystemContract : public ::testing::TestWithParam<Flavour> {
 protected:
  FileSystemContract() {
    drives_.AddDrive('A', /*openable=*/false);
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco original");
    drives_.WriteFile("C:\\Tarvel\\Fotos\\2009\\produto.jpg", "foto");
    Open();
  }

  void Open(const std::string& workingFolder = {}) {
    faulty_.reset();
    native_ = drives_.MakeFileSystem(workingFolder);
    if (GetParam().faultInjecting) faulty_ = std::make_unique<doubles::FaultyFileSystem>(*native_);
  }

  FileSystem& files() { return faulty_ ? static_cast<FileSystem&>(*faulty_) : *native_; }

  // The next copy's second write fails for a full disk after the first
  // wrote half of its bytes.
  void FillTheDiskDuringTheNextCopy() {
    if (faulty_) {
      faulty_->ForceReadWrite();
      faulty_->ShortWriteOn(1);
      return;
    }
    steps_ = std::make_unique<doubles::CopyStepFaults>();
    steps_->ForceReadWrite(true);
    steps_->ShortWriteOn(1);
  }

  std::vector<std::string> Listed(const std::string& pattern) { return NamesOf(ListAll(files(), pattern)); }

  bool TemporaryFilesLeft() const {
    for (const auto& entry : fs::recursive_directory_iterator(HostPath(drives_.root()))) {
      const std::u8string name = entry.path().filename().u8string();
      if (IsTemporaryCopyName(std::string(name.begin(), name.end()))) return true;
    }
    return false;
  }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> native_;
  std::unique_ptr<doubles::FaultyFileSystem> faulty_;
  std::unique_ptr<doubles::CopyStepFaults> steps_;
};

TEST_P(FileSystemContract, AttributesTellFoldersFromFilesAndMissingPathsFromDrivesWithoutADisk) {
  EXPECT_EQ(files().GetAttributes("C:\\Tarvel"), kAttrDirectory);
  EXPECT_EQ(files().GetAttributes("c:\\TARVEL\\Vendrial.MDB"), kAttrArchive);
  EXPECT_EQ(files().GetAttributes("C:\\"), kAttrDirectory);
  EXPECT_TRUE(files().OrdinaryFileExists("C:\\Tarvel\\vendrial.mdb"));
  EXPECT_FALSE(files().OrdinaryFileExists("C:\\Tarvel\\Fotos"));
  EXPECT_EQ(ThrownNumber([&] { files().GetAttributes("C:\\Tarvel\\tarvel.ini"); }), kErrFileNotFound);
  EXPECT_EQ(ThrownNumber([&] { files().GetAttributes("C:\\Falta\\tarvel.ini"); }), kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { files().GetAttributes("C:\\Tarvel\\vendrial.mdb\\"); }), kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { files().GetAttributes("A:\\foto.jpg"); }), kErrDiskNotReady);
  EXPECT_FALSE(files().OrdinaryFileExists("A:\\foto.jpg"));
}

TEST_P(FileSystemContract, AFolderIsCreatedOnlyWhereItsParentExistsAndItDoesNot) {
  files().CreateFolder("C:\\Copias");
  EXPECT_TRUE(fs::is_directory(HostPath(drives_.Host("C:\\Copias"))));
  EXPECT_EQ(ThrownNumber([&] { files().CreateFolder("C:\\Copias"); }), kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files().CreateFolder("C:\\COPIAS"); }), kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files().CreateFolder("C:\\"); }), kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files().CreateFolder("C:\\Falta\\Nova"); }), kErrPathNotFound);
  EXPECT_FALSE(fs::exists(HostPath(drives_.Host("C:\\Falta"))));
}

TEST_P(FileSystemContract, RemovalTakesOneFileOrOneEmptyFolderAndNothingElse) {
  drives_.WriteFile("D:\\Copias\\Set\\vendrial.mdb", "copia");
  drives_.WriteFile("D:\\Copias\\Set\\Fotos\\a.jpg", "foto");
  EXPECT_EQ(ThrownNumber([&] { files().RemoveEmptyFolder("D:\\Copias\\Set\\Fotos"); }), kErrPathFileAccess);
  EXPECT_TRUE(fs::exists(HostPath(drives_.Host("D:\\Copias\\Set\\Fotos\\a.jpg"))));
  EXPECT_EQ(ThrownNumber([&] { files().RemoveFile("D:\\Copias\\Set\\Fotos"); }), kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files().RemoveEmptyFolder("D:\\Copias\\Set\\vendrial.mdb"); }), kErrPathFileAccess);

  files().RemoveFile("D:\\COPIAS\\Set\\Fotos\\A.JPG");  // letter case ignored, as everywhere
  files().RemoveEmptyFolder("D:\\Copias\\Set\\Fotos");
  EXPECT_FALSE(fs::exists(HostPath(drives_.Host("D:\\Copias\\Set\\Fotos"))));
  EXPECT_EQ(ThrownNumber([&] { files().RemoveFile("D:\\Copias\\Set\\Fotos\\a.jpg"); }), kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { files().RemoveFile("D:\\Copias\\Set\\tarvel.ini"); }), kErrFileNotFound);
  EXPECT_EQ(ThrownNumber([&] { files().RemoveEmptyFolder("D:\\Copias\\Set\\Fotos"); }), kErrPathNotFound);
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\Set\\vendrial.mdb"), "copia");
}

TEST_P(FileSystemContract, AFolderIsRenamedWholeAndNeverOverAnotherEntry) {
  drives_.WriteFile("D:\\Copias\\20240301_020000\\vendrial.mdb", "copia antiga");
  drives_.WriteFile("D:\\Copias\\20240301_020000\\Fotos\\a.jpg", "foto");
  drives_.WriteFile("D:\\Copias\\20240302_020000\\vendrial.mdb", "copia nova");
  drives_.WriteFile("D:\\Copias\\leia.txt", "arquivo");

  // Onto a folder or a file that exists, in any letter case: nothing moves.
  EXPECT_EQ(ThrownNumber([&] { files().RenameFolder("D:\\Copias\\20240301_020000", "20240302_020000"); }),
            kErrFileExists);
  EXPECT_EQ(ThrownNumber([&] { files().RenameFolder("D:\\Copias\\20240301_020000", "LEIA.TXT"); }), kErrFileExists);
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20240302_020000\\vendrial.mdb"), "copia nova");
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\leia.txt"), "arquivo");
  // What is not a folder, or is missing, or a name that is a path.
  EXPECT_EQ(ThrownNumber([&] { files().RenameFolder("D:\\Copias\\leia.txt", "outro"); }), kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files().RenameFolder("D:\\", "outro"); }), kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files().RenameFolder("D:\\Copias\\Falta", "outro"); }), kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { files().RenameFolder("D:\\Copias\\20240301_020000", "..\\fora"); }),
            kErrPathFileAccess);
  EXPECT_TRUE(fs::exists(HostPath(drives_.Host("D:\\Copias\\20240301_020000\\Fotos\\a.jpg"))));

  files().RenameFolder("D:\\COPIAS\\20240301_020000", "20240301_020000-apagando");
  EXPECT_FALSE(fs::exists(HostPath(drives_.Host("D:\\Copias\\20240301_020000"))));
  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\20240301_020000-apagando\\Fotos\\a.jpg"), "foto");
  // The new name is there at once for the next call, the old one gone.
  EXPECT_EQ(files().GetAttributes("D:\\Copias\\20240301_020000-apagando"), kAttrDirectory);
  EXPECT_EQ(ThrownNumber([&] { files().GetAttributes("D:\\Copias\\20240301_020000"); }), kErrFileNotFound);
}

TEST_P(FileSystemContract, ACopyIsWholeKeepsTheSourceTimeAndReplacesWhateverTheCaseOfTheName) {
  const std::string content(3 << 20, 'x');  // several writes' worth
  drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", content);
  // Whole seconds: some file systems keep no finer times.
  const auto time = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now()) -
                    std::chrono::hours(24 * 400);
  fs::last_write_time(HostPath(drives_.Host("C:\\Tarvel\\vendrial.mdb")), time);
  drives_.WriteFile("D:\\Vendrial.MDB", "antigo");

  files().CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb", Durability::kNow);
  files().CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\nova.mdb", Durability::kAtFlush);
  files().FlushWrites();

  EXPECT_EQ(drives_.ReadFile("D:\\Vendrial.MDB"), content);
  EXPECT_EQ(drives_.ReadFile("D:\\nova.mdb"), content);
  const auto seconds = [](fs::file_time_type t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
  };
  EXPECT_EQ(seconds(fs::last_write_time(HostPath(drives_.Host("D:\\nova.mdb")))), seconds(time));
  EXPECT_EQ(Listed("D:\\*.*").size(), 4u);  // ".", "..", one database, the new one
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_P(FileSystemContract, ACopyThatCannotBeMadeLeavesEverythingAsItWas) {
  drives_.WriteFile("D:\\vendrial.mdb", "do backup");
  const auto expectRefused = [&](int number, const std::string& source, const std::string& destination) {
    EXPECT_EQ(ThrownNumber([&] { files().CopyWholeFile(source, destination); }), number)
        << source << " -> " << destination;
  };
  expectRefused(kErrPathNotFound, "C:\\Tarvel\\vendrial.mdb", "D:\\Falta\\vendrial.mdb");
  expectRefused(kErrPathFileAccess, "C:\\Tarvel\\vendrial.mdb", "C:\\Tarvel\\Fotos");
  expectRefused(kErrFileNotFound, "C:\\Tarvel\\tarvel.ini", "D:\\tarvel.ini");
  expectRefused(kErrPathNotFound, "C:\\Falta\\tarvel.ini", "D:\\tarvel.ini");
  expectRefused(kErrPermissionDenied, "C:\\Tarvel\\vendrial.mdb", "c:\\TARVEL\\Vendrial.mdb");
  expectRefused(kErrDiskNotReady, "C:\\Tarvel\\vendrial.mdb", "A:\\vendrial.mdb");

  fs::permissions(HostPath(drives_.Host("D:\\vendrial.mdb")),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
  expectRefused(kErrPermissionDenied, "C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb");

  EXPECT_EQ(drives_.ReadFile("D:\\vendrial.mdb"), "do backup");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco original");
  EXPECT_FALSE(fs::exists(HostPath(drives_.Host("D:\\Falta"))));
  EXPECT_FALSE(fs::exists(HostPath(drives_.Host("D:\\tarvel.ini"))));
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_P(FileSystemContract, ADiskFillingUpHalfWayKeepsTheOldFileWholeAndShowsNoHalfCopy) {
  drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", std::string(3 << 20, 'n'));
  drives_.WriteFile("D:\\vendrial.mdb", "do backup");
  FillTheDiskDuringTheNextCopy();
  EXPECT_EQ(ThrownNumber([&] { files().CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb"); }),
            kErrDiskFull);
  EXPECT_EQ(ThrownNumber([&] { files().CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\novo.mdb"); }),
            kErrDiskFull);
  EXPECT_EQ(drives_.ReadFile("D:\\vendrial.mdb"), "do backup");
  EXPECT_FALSE(fs::exists(HostPath(drives_.Host("D:\\novo.mdb"))));
  EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_P(FileSystemContract, AFileAnotherProgramWritesIsNeitherCopiedNorReplaced) {
  drives_.WriteFile("D:\\vendrial.mdb", "do backup");
  {
    doubles::OpenForWriting tarvel(drives_.Host("C:\\Tarvel\\vendrial.mdb"));
    EXPECT_EQ(ThrownNumber([&] { files().CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb"); }),
              kErrPermissionDenied);
  }
  {
    doubles::OpenForWriting tarvel(drives_.Host("D:\\vendrial.mdb"));
    EXPECT_EQ(ThrownNumber([&] { files().CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\vendrial.mdb"); }),
              kErrPermissionDenied);
  }
  EXPECT_EQ(drives_.ReadFile("D:\\vendrial.mdb"), "do backup");
  EXPECT_FALSE(TemporaryFilesLeft());
}

// Two names that differ only in letter case, side by side in a folder that
// tells case apart: copied one after the other, neither may replace the
// other. A drive that also tells case apart keeps both; one that ignores it
// refuses the second (58).
TEST_P(FileSystemContract, NamesDifferingOnlyInCaseNeverBecomeOneFile) {
  drives_.WriteFile("C:\\Fotos\\a.jpg", "um");
  drives_.WriteFile("C:\\Fotos\\A.jpg", "dois");
  if (fs::file_size(HostPath(drives_.Host("C:\\Fotos\\a.jpg"))) != 2) GTEST_SKIP() << "this host ignores case";
  files().CreateFolder("D:\\Fotos");
  files().CopyWholeFile("C:\\Fotos\\a.jpg", "D:\\Fotos\\a.jpg");
  const int second = ThrownNumber([&] { files().CopyWholeFile("C:\\Fotos\\A.jpg", "D:\\Fotos\\A.jpg"); });
  EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\a.jpg"), "um");
  if (second == 0) {
    EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\A.jpg"), "dois");
  } else {
    EXPECT_EQ(second, kErrFileExists);
  }
}

TEST_P(FileSystemContract, AListingShowsDotsFirstThenStoredNamesButNoTemporaryFile) {
  drives_.WriteFile("C:\\Fotos\\Ação.jpg", "a");
  drives_.WriteFile("C:\\Fotos\\日本\\x.jpg", "b");
  drives_.WriteFile("C:\\Fotos\\" + TemporaryCopyName(42, WallClock::now()), "meia copia");

  std::vector<std::string> names = Listed("C:\\Fotos\\*.*");
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(names[0], ".");
  EXPECT_EQ(names[1], "..");
  std::sort(names.begin() + 2, names.end());
  EXPECT_EQ(std::vector<std::string>(names.begin() + 2, names.end()), (std::vector<std::string>{"Ação.jpg", "日本"}));

  FindData record;
  const FindHandle one = files().FindFirstFileA("c:\\fotos\\AÇÃO.JPG", &record);
  ASSERT_NE(one, kInvalidHandle);
  EXPECT_EQ(std::string(record.cFileName), "Ação.jpg");
  EXPECT_EQ(record.dwFileAttributes, kAttrArchive);
  EXPECT_EQ(files().FindNextFileA(one, &record), 0);
  EXPECT_FALSE(files().LastFindFailure());
  files().FindClose(one);

  EXPECT_EQ(files().FindFirstFileA("C:\\Fotos\\nada.jpg", &record), kInvalidHandle);
  EXPECT_FALSE(files().LastFindFailure());  // the folder is there, nothing matched
  EXPECT_EQ(files().FindFirstFileA("C:\\Falta\\*.*", &record), kInvalidHandle);
  ASSERT_TRUE(files().LastFindFailure());
  EXPECT_EQ(files().LastFindFailure()->number(), kErrPathNotFound);
}

TEST_P(FileSystemContract, AUsersFileNamedLikeATemporaryFileIsListedCopiedAndNeverSwept) {
  const std::string lookalike = ".BackupTarvel-abc123.tmp";
  drives_.WriteFile("C:\\Tarvel\\Fotos\\" + lookalike, "do usuario");
  drives_.WriteFile("D:\\Fotos\\" + lookalike, "do usuario, antigo");
  // Left alone for an hour, as a copy's leftover would be.
  for (const char* folder : {"C:\\Tarvel\\Fotos\\", "D:\\Fotos\\"}) {
    fs::last_write_time(HostPath(drives_.Host(folder + lookalike)),
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
  }
  const std::vector<std::string> names = Listed("C:\\Tarvel\\Fotos\\*.*");
  EXPECT_EQ(std::count(names.begin(), names.end(), lookalike), 1);

  // Copied like any other file, and a copy into the folders that hold it,
  // which sweeps them for leftovers, leaves it.
  files().CopyWholeFile("C:\\Tarvel\\Fotos\\" + lookalike, "D:\\Fotos\\" + lookalike, Durability::kAtFlush);
  files().CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "C:\\Tarvel\\Fotos\\banco.mdb", Durability::kAtFlush);
  files().FlushWrites();
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\" + lookalike), "do usuario");
  EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\" + lookalike), "do usuario");
}

TEST_P(FileSystemContract, PathsBeyondTwoHundredSixtyCharactersWork) {
  std::string folder = "C:\\Tarvel\\Fotos";
  for (int level = 0; level < 6; ++level) {
    folder += "\\" + std::string(50, static_cast<char>('a' + level));
    files().CreateFolder(folder);
  }
  ASSERT_GT(folder.size(), 300u);
  files().CopyWholeFile("C:\\Tarvel\\vendrial.mdb", folder + "\\vendrial.mdb");
  files().CopyWholeFile(folder + "\\vendrial.mdb", "D:\\vendrial.mdb");
  EXPECT_EQ(files().GetAttributes(folder + "\\vendrial.mdb"), kAttrArchive);
  EXPECT_EQ(Listed(folder + "\\*.*"), (std::vector<std::string>{".", "..", "vendrial.mdb"}));
  EXPECT_EQ(drives_.ReadFile("D:\\vendrial.mdb"), "banco original");
}

TEST_P(FileSystemContract, LiesWithinGoesByTheFoldersThemselvesNotByTheText) {
  EXPECT_TRUE(files().LiesWithin("C:\\Tarvel\\Fotos\\2009", "C:\\Tarvel"));
  EXPECT_TRUE(files().LiesWithin("c:\\TARVEL\\fotos", "C:\\Tarvel\\"));
  EXPECT_TRUE(files().LiesWithin("C:\\Tarvel", "C:\\Tarvel"));
  EXPECT_TRUE(files().LiesWithin("C:\\Tarvel\\Fotos\\..\\Nova\\Ainda", "C:\\Tarvel"));  // not made yet
  EXPECT_FALSE(files().LiesWithin("C:\\Tarvelho", "C:\\Tarvel"));
  EXPECT_FALSE(files().LiesWithin("D:\\Tarvel", "C:\\Tarvel"));
  EXPECT_FALSE(files().LiesWithin("C:\\Tarvel", "C:\\Falta"));
}

TEST_P(FileSystemContract, DrivesAreListedInOrderAndOpenAtTheirCurrentFolder) {
  std::vector<char> letters;
  for (const DriveInfo& drive : files().Drives()) letters.push_back(drive.letter);
  EXPECT_EQ(letters, (std::vector<char>{'A', 'C', 'D'}));
  EXPECT_EQ(files().CurrentFolder('c'), "C:\\");
  EXPECT_EQ(ThrownNumber([&] { files().CurrentFolder('A'); }), kErrDiskNotReady);
  EXPECT_EQ(ThrownNumber([&] { files().CurrentFolder('Q'); }), kErrDeviceUnavailable);

  drives_.MakeFolder("C:\\Copias\\2024");
  Open("C:\\Copias");
  EXPECT_EQ(files().CurrentFolder('C'), "C:\\Copias");
  EXPECT_EQ(files().CurrentFolder('D'), "D:\\");
  EXPECT_EQ(files().GetAttributes("C:2024"), kAttrDirectory);  // relative to the drive's current folder
}

TEST_P(FileSystemContract, TheUsersDetailNamesOnlyWindowsPathsInPortuguese) {
  const AppError missing = Thrown([&] { files().GetAttributes("C:\\Falta\\x.mdb"); });
  EXPECT_EQ(missing.detail(), "Ao examinar \"C:\\Falta\\x.mdb\"");
  const AppError folder = Thrown([&] { files().CreateFolder("C:\\Falta\\Nova"); });
  EXPECT_EQ(folder.detail(), "Ao criar a pasta \"C:\\Falta\\Nova\"");
  const AppError copy = Thrown([&] { files().CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "C:\\TARVEL\\VENDRIAL.MDB"); });
  EXPECT_EQ(copy.detail(), "Ao copiar \"C:\\Tarvel\\vendrial.mdb\" para \"C:\\TARVEL\\VENDRIAL.MDB\": "
                           "a origem e o destino são o mesmo arquivo");
  for (const AppError* error : {&missing, &folder, &copy}) {
    EXPECT_EQ(error->detail().find(drives_.root()), std::string::npos) << error->detail();
    EXPECT_NE(error->hostDetail(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFileSystem, FileSystemContract,
                         ::testing::Values(Flavour{"Native", false}, Flavour{"FaultInjectingDouble", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bt
