// The recursive copy on real folders: what lands where, and what it counts.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "copy/copy_files.h"
#include "testing/temp_drives.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::TempDrives;

class CopyPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    files_ = drives_.MakeFileSystem();
  }
  bool Exists(const std::string& windowsPath) const {
    return fs::exists(fs::symlink_status(drives_.Host(windowsPath)));
  }

  TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
};

TEST_F(CopyPathTest, AFileIsCopiedToExactlyTheDestinationPath) {
  drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "vendas");
  drives_.MakeFolder("D:\\Copias");

  EXPECT_EQ(CopyPath(*files_, "C:\\Tarvel\\vendrial.mdb", "D:\\Copias\\banco.mdb"), 1);

  EXPECT_EQ(drives_.ReadFile("D:\\Copias\\banco.mdb"), "vendas");
  EXPECT_TRUE(fs::is_regular_file(drives_.Host("D:\\Copias\\banco.mdb")));
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "vendas");
}

TEST_F(CopyPathTest, AFolderLandsDirectlyInANewDestinationThatCountsOne) {
  drives_.WriteFile("C:\\A\\a.jpg", "a");
  drives_.WriteFile("C:\\A\\x\\b.jpg", "b");
  drives_.WriteFile("C:\\A\\x\\y\\c.jpg", "c");

  // a.jpg, x, x\b.jpg, x\y, x\y\c.jpg below the source, plus the new folder.
  EXPECT_EQ(CopyPath(*files_, "C:\\A", "D:\\B"), 6);

  EXPECT_EQ(drives_.ReadFile("D:\\B\\a.jpg"), "a");
  EXPECT_EQ(drives_.ReadFile("D:\\B\\x\\b.jpg"), "b");
  EXPECT_EQ(drives_.ReadFile("D:\\B\\x\\y\\c.jpg"), "c");
  EXPECT_FALSE(Exists("D:\\B\\A"));
}

TEST_F(CopyPathTest, AnExistingDestinationIsNotCountedNorAFailure) {
  drives_.WriteFile("C:\\A\\a.jpg", "novo");
  drives_.WriteFile("D:\\B\\a.jpg", "velho");
  drives_.WriteFile("D:\\B\\outro.jpg", "fica");

  EXPECT_EQ(CopyPath(*files_, "C:\\A\\", "D:\\B\\"), 1);

  EXPECT_EQ(drives_.ReadFile("D:\\B\\a.jpg"), "novo");
  EXPECT_EQ(drives_.ReadFile("D:\\B\\outro.jpg"), "fica");
}

TEST_F(CopyPathTest, AnEmptyFolderCountsOnlyTheFolderItCreated) {
  drives_.MakeFolder("C:\\Vazia");
  EXPECT_EQ(CopyPath(*files_, "C:\\Vazia", "D:\\Nova"), 1);
  EXPECT_TRUE(fs::is_directory(drives_.Host("D:\\Nova")));
  EXPECT_EQ(CopyPath(*files_, "C:\\Vazia", "D:\\Nova"), 0);
}

TEST_F(CopyPathTest, ThumbsDbFileIsLeftOutButCounted) {
  drives_.WriteFile("C:\\Fotos\\Thumbs.db", "cache");
  drives_.WriteFile("C:\\Fotos\\a.jpg", "a");
  drives_.MakeFolder("D:\\Dest");

  EXPECT_EQ(CopyFolderContents(*files_, "C:\\Fotos\\", "D:\\Dest\\"), 2);

  EXPECT_EQ(drives_.ReadFile("D:\\Dest\\a.jpg"), "a");
  EXPECT_FALSE(Exists("D:\\Dest\\Thumbs.db"));
}

TEST_F(CopyPathTest, ThumbsDbIsMatchedExactlyAndOnlyAsAFile) {
  drives_.WriteFile("C:\\Fotos\\lower\\thumbs.db", "minusculo");
  drives_.WriteFile("C:\\Fotos\\upper\\THUMBS.DB", "maiusculo");
  drives_.WriteFile("C:\\Fotos\\Thumbs.db\\dentro.jpg", "pasta");

  EXPECT_EQ(CopyPath(*files_, "C:\\Fotos\\", "D:\\Fotos"), 7);

  EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\lower\\thumbs.db"), "minusculo");
  EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\upper\\THUMBS.DB"), "maiusculo");
  EXPECT_EQ(drives_.ReadFile("D:\\Fotos\\Thumbs.db\\dentro.jpg"), "pasta");
}

TEST_F(CopyPathTest, SubfoldersThatExistAtTheDestinationAreCopiedInto) {
  drives_.WriteFile("C:\\Backup\\Fotos\\2009\\a.jpg", "nova");
  drives_.WriteFile("C:\\Backup\\Fotos\\2009\\jan\\b.jpg", "nova b");
  drives_.WriteFile("D:\\Tarvel\\Fotos\\2009\\a.jpg", "antiga");
  drives_.WriteFile("D:\\Tarvel\\Fotos\\2009\\jan\\so-aqui.jpg", "fica");

  EXPECT_EQ(CopyPath(*files_, "C:\\Backup\\Fotos\\", "D:\\Tarvel\\Fotos"), 4);

  EXPECT_EQ(drives_.ReadFile("D:\\Tarvel\\Fotos\\2009\\a.jpg"), "nova");
  EXPECT_EQ(drives_.ReadFile("D:\\Tarvel\\Fotos\\2009\\jan\\b.jpg"), "nova b");
  EXPECT_EQ(drives_.ReadFile("D:\\Tarvel\\Fotos\\2009\\jan\\so-aqui.jpg"), "fica");
}

TEST_F(CopyPathTest, AFileWhereTheTreeHasAFolderIsAFailure) {
  drives_.WriteFile("C:\\A\\x\\b.jpg", "b");
  drives_.WriteFile("D:\\B\\x", "um arquivo, nao uma pasta");

  EXPECT_THROW(CopyPath(*files_, "C:\\A", "D:\\B"), AppError);
  EXPECT_EQ(drives_.ReadFile("D:\\B\\x"), "um arquivo, nao uma pasta");
}

TEST_F(CopyPathTest, AMissingSourceFailsAndCreatesNothing) {
  try {
    CopyPath(*files_, "C:\\NaoExiste\\", "D:\\B");
    FAIL() << "no failure";
  } catch (const AppError& e) {
    EXPECT_TRUE(e.number() == kErrFileNotFound || e.number() == kErrPathNotFound) << e.what();
  }
  EXPECT_FALSE(Exists("D:\\B"));
}

TEST_F(CopyPathTest, AMissingDestinationParentFailsAtTheFirstCopy) {
  drives_.WriteFile("C:\\A\\a.jpg", "a");
  EXPECT_THROW(CopyPath(*files_, "C:\\A", "D:\\Falta\\B"), AppError);
  EXPECT_FALSE(Exists("D:\\Falta"));
}

TEST_F(CopyPathTest, ADestinationInsideTheSourceIsRefusedBeforeAnythingIsCopied) {
  drives_.WriteFile("C:\\Tarvel\\Fotos\\a.jpg", "a");
  for (const char* destination :
       {"C:\\Tarvel\\Fotos\\Copias", "c:\\tarvel\\FOTOS\\copias\\", "C:\\Tarvel\\Fotos"}) {
    try {
      CopyPath(*files_, "C:\\Tarvel\\Fotos\\", destination);
      FAIL() << destination;
    } catch (const AppError& e) {
      EXPECT_EQ(e.number(), kErrPathFileAccess) << destination;
    }
  }
  EXPECT_FALSE(Exists("C:\\Tarvel\\Fotos\\Copias"));
  // A sibling whose name merely begins like the source is fine.
  EXPECT_EQ(CopyPath(*files_, "C:\\Tarvel\\Fotos", "C:\\Tarvel\\Fotos2"), 2);
}

TEST_F(CopyPathTest, ATreeAThousandFoldersDeepIsCopied) {
  std::string path = "C:\\D";
  for (int depth = 1; depth < 1000; ++depth) path += "\\d";
  drives_.WriteFile(path + "\\fundo.jpg", "fundo");

  // 999 folders below C:\D, the file, and the new destination folder.
  EXPECT_EQ(CopyPath(*files_, "C:\\D", "D:\\D"), 1001);
  EXPECT_EQ(drives_.ReadFile("D" + path.substr(1) + "\\fundo.jpg"), "fundo");
}

}  // namespace
}  // namespace bt
