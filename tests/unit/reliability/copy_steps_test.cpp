// One host file copy when its host calls misbehave without failing outright
// (partial writes, interruptions) and when the source changes under it; and
// the next copy into a folder clearing the leftovers of a killed one.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/linux/file_copy.h"
#include "platform/temporary_names.h"
#include "tests/unit/reliability/installation_snapshot.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::Bytes;
using doubles::ReadHostFile;

void WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Puts the copy's real host calls back however the test ends; bytes move by
// read and write, as between two file systems.
class CopyStepsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CopyCalls().clone = [](int, int) { errno = EOPNOTSUPP; return -1; };
    CopyCalls().copyFileRange = [](int, int, std::size_t) -> ssize_t { errno = EXDEV; return -1; };
    std::string pattern = fs::temp_directory_path().string() + "/bt-steps-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    source_ = folder_ + "/vendrial.mdb";
    destination_ = folder_ + "/copia.mdb";
  }
  void TearDown() override {
    CopyCalls() = RealCopyCalls();
    fs::remove_all(folder_);
  }
  void Copy() {
    CopyMethods methods;
    CopyHostFile(source_, destination_, true, true, methods);
  }
  bool LeftoversIn(const std::string& folder) const {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (IsTemporaryCopyName(entry.path().filename().string())) return true;
    }
    return false;
  }

  std::string folder_, source_, destination_;
  // What the hooks below act on.
  static inline std::string changing_;
  static inline int calls_ = 0;
};

TEST_F(CopyStepsTest, WritesThatTakeOnlyPartOfTheirBytesStillGiveTheWholeFile) {
  const std::string database = Bytes(700 << 10, 1);
  WriteHostFile(source_, database);
  CopyCalls().write = [](int fd, const void* buffer, std::size_t size) {
    return RealCopyCalls().write(fd, buffer, std::min<std::size_t>(size, 4093));
  };
  Copy();
  EXPECT_EQ(ReadHostFile(destination_), database);
}

TEST_F(CopyStepsTest, InterruptedReadsAndWritesAreTakenUpAgain) {
  const std::string database = Bytes(700 << 10, 2);
  WriteHostFile(source_, database);
  calls_ = 0;
  CopyCalls().read = [](int fd, void* buffer, std::size_t size) -> ssize_t {
    if (++calls_ % 2 == 1) {
      errno = EINTR;
      return -1;
    }
    return RealCopyCalls().read(fd, buffer, size);
  };
  CopyCalls().write = [](int fd, const void* buffer, std::size_t size) -> ssize_t {
    if (++calls_ % 3 == 0) {
      errno = EINTR;
      return -1;
    }
    return RealCopyCalls().write(fd, buffer, size);
  };
  Copy();
  EXPECT_EQ(ReadHostFile(destination_), database);
}

TEST_F(CopyStepsTest, AFileThatGrowsDuringTheCopyArrivesWithAllItsBytes) {
  const std::string start = Bytes(300 << 10, 3);
  const std::string added = Bytes(500 << 10, 4);
  WriteHostFile(source_, start);
  changing_ = source_;
  calls_ = 0;
  // Another program appends once the copy has begun reading.
  CopyCalls().read = [](int fd, void* buffer, std::size_t size) {
    if (calls_++ == 0) std::ofstream(changing_, std::ios::binary | std::ios::app) << Bytes(500 << 10, 4);
    return RealCopyCalls().read(fd, buffer, size);
  };
  Copy();
  EXPECT_EQ(ReadHostFile(destination_), start + added);
}

TEST_F(CopyStepsTest, AFileCutShortDuringTheCopyArrivesAsItEndsNotPaddedWithGarbage) {
  WriteHostFile(source_, Bytes(900 << 10, 5));
  changing_ = source_;
  calls_ = 0;
  CopyCalls().read = [](int fd, void* buffer, std::size_t size) {
    if (calls_++ == 1) fs::resize_file(changing_, 100 << 10);
    return RealCopyCalls().read(fd, buffer, size);
  };
  Copy();
  const std::string copied = ReadHostFile(destination_);
  // What the file held up to where reading met its new end: a prefix of
  // the old content, never bytes it did not hold.
  EXPECT_EQ(copied, Bytes(900 << 10, 5).substr(0, copied.size()));
  EXPECT_LE(copied.size(), std::size_t{256 << 10});
}

TEST_F(CopyStepsTest, AFileDeletedOnceOpenedIsCopiedWholeAsItWasOpened) {
  const std::string database = Bytes(600 << 10, 6);
  WriteHostFile(source_, database);
  changing_ = source_;
  calls_ = 0;
  CopyCalls().open = [](int folder, const char* name, int flags, mode_t mode) {
    const int fd = RealCopyCalls().open(folder, name, flags, mode);
    if (calls_++ == 0) ::unlink(changing_.c_str());
    return fd;
  };
  Copy();
  EXPECT_EQ(ReadHostFile(destination_), database);
}

TEST_F(CopyStepsTest, AFileThatVanishesBeforeItIsOpenedIsNotFoundAndReplacesNothing) {
  WriteHostFile(source_, "novo");
  WriteHostFile(destination_, "antigo");
  changing_ = source_;
  CopyCalls().open = [](int folder, const char* name, int flags, mode_t mode) {
    ::unlink(changing_.c_str());
    return RealCopyCalls().open(folder, name, flags, mode);
  };
  try {
    Copy();
    FAIL() << "a vanished file was copied";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), kErrFileNotFound);
  }
  EXPECT_EQ(ReadHostFile(destination_), "antigo");
  EXPECT_FALSE(LeftoversIn(folder_));
}

TEST_F(CopyStepsTest, TheFirstCopyIntoAFolderRemovesTheStaleLeftoversOfAKilledOne) {
  WriteHostFile(source_, "banco");
  const std::string leftover = folder_ + "/" + TemporaryCopyName(42, WallClock::now());
  WriteHostFile(leftover, "meio banco");
  fs::create_directory(folder_ + "/outra");
  const std::string elsewhere = folder_ + "/outra/" + TemporaryCopyName(43, WallClock::now());
  WriteHostFile(elsewhere, "meio banco");

  // A fresh leftover may be a live copy's on another machine: kept.
  CopyMethods patient;
  CopyHostFile(source_, destination_, true, true, patient);
  EXPECT_TRUE(fs::exists(leftover));

  CopyMethods methods;
  methods.staleTemporaryAge = std::chrono::seconds(0);
  CopyHostFile(source_, destination_, true, true, methods);
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_TRUE(fs::exists(elsewhere)) << "only the folder copied into is cleared";
  EXPECT_EQ(ReadHostFile(destination_), "banco");
}

}  // namespace
}  // namespace bt
