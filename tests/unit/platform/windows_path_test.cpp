#include "platform/windows_path.h"

#include <gtest/gtest.h>

#include "tests/unit/support.h"

namespace bt {
namespace {

using doubles::ThrownNumber;
using Names = std::vector<std::string>;

TEST(WindowsPath, DriveRootsKeepTheirSeparatorWhenFormatted) {
  const WindowsPath root = ParseWindowsPath("c:\\");
  EXPECT_EQ(root.drive, 'C');
  EXPECT_TRUE(root.names.empty());
  EXPECT_EQ(FormatWindowsPath(root), "C:\\");
  EXPECT_EQ(FormatWindowsPath(ParseWindowsPath("D:/Copias/")), "D:\\Copias");
}

TEST(WindowsPath, BothSeparatorsAndDoubledOnesAreAccepted) {
  EXPECT_EQ(ParseWindowsPath("C:/Tarvel\\Fotos//a.jpg").names, (Names{"Tarvel", "Fotos", "a.jpg"}));
}

TEST(WindowsPath, DotsFoldAndNeverClimbAboveTheRoot) {
  EXPECT_EQ(ParseWindowsPath("C:\\A\\.\\B\\..\\C").names, (Names{"A", "C"}));
  EXPECT_EQ(ParseWindowsPath("C:\\..\\..\\Windows").names, (Names{"Windows"}));
  EXPECT_TRUE(ParseWindowsPath("C:\\A\\..\\..").names.empty());
  EXPECT_EQ(ParseWindowsPath("C:\\...\\a..").names, (Names{"...", "a.."}));  // names, not steps
}

TEST(WindowsPath, ATrailingSeparatorOrDotNamesAFolder) {
  EXPECT_TRUE(ParseWindowsPath("C:\\Fotos\\").folderOnly);
  EXPECT_TRUE(ParseWindowsPath("C:\\Fotos\\.").folderOnly);
  EXPECT_TRUE(ParseWindowsPath("C:\\Fotos\\x\\..").folderOnly);
  EXPECT_FALSE(ParseWindowsPath("C:\\Fotos").folderOnly);
}

TEST(WindowsPath, APathWithoutADriveLetterIsNotFound) {
  for (const char* text : {"Fotos\\a.jpg", "\\\\server\\share\\x", "\\Fotos", "", "C", "1:\\x", "ç:\\"}) {
    EXPECT_EQ(ThrownNumber([&] { ParseWindowsPath(text); }), kErrPathNotFound) << text;
  }
}

TEST(WindowsPath, ADriveRelativePathStartsAtTheDrivesCurrentFolder) {
  const CurrentFolderOf current = [](char drive) { return drive == 'C' ? "C:\\Copias" : "D:\\"; };
  EXPECT_EQ(FormatWindowsPath(ParseWindowsPath("c:Hoje", current)), "C:\\Copias\\Hoje");
  EXPECT_EQ(FormatWindowsPath(ParseWindowsPath("C:..\\x", current)), "C:\\x");
  const WindowsPath drive = ParseWindowsPath("C:", current);
  EXPECT_EQ(FormatWindowsPath(drive), "C:\\Copias");
  EXPECT_TRUE(drive.folderOnly);
  EXPECT_EQ(FormatWindowsPath(ParseWindowsPath("D:", current)), "D:\\");
  EXPECT_EQ(FormatWindowsPath(ParseWindowsPath("C:\\Hoje", current)), "C:\\Hoje");
}

}  // namespace
}  // namespace bt
