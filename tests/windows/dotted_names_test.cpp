// Names ending in a dot or a blank, which a Linux disk seen through Wine or
// a network share can hold beside the same name without it: each is read
// as itself, never as the other, and a Windows destination is never given
// one (Windows' own tools could neither open nor remove it).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "copy/copy_files.h"
#include "platform/wide_text.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

// "\\?\" paths take names exactly as given, trailing dots and blanks too.
std::wstring Literal(const std::string& host) { return L"\\\\?\\" + Utf8ToWide(host); }

void WriteLiteral(const std::string& host, const std::string& content) {
  const HANDLE file = ::CreateFileW(Literal(host).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(file);
}

std::string ReadLiteral(const std::string& host) {
  const HANDLE file =
      ::CreateFileW(Literal(host).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(nenhum)";
  char buffer[256];
  DWORD read = 0;
  ::ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  ::CloseHandle(file);
  return std::string(buffer, read);
}

class DottedNames : public ::testing::Test {
 protected:
  DottedNames() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.MakeFolder("C:\\Fotos");
    drives_.MakeFolder("D:\\Fotos");
    WriteLiteral(drives_.Host("C:\\Fotos\\foto"), "sem ponto");
    WriteLiteral(drives_.Host("C:\\Fotos\\foto."), "com ponto");
    WriteLiteral(drives_.Host("C:\\Fotos\\foto "), "com espaço");
    files_ = drives_.MakeFileSystem();
  }
  // The drives' own clean-up goes by names Windows trims.
  ~DottedNames() override {
    for (const char* name : {"C:\\Fotos\\foto.", "C:\\Fotos\\foto ", "D:\\Fotos\\foto.", "D:\\Fotos\\foto "}) {
      ::DeleteFileW(Literal(drives_.Host(name)).c_str());
    }
  }

  std::vector<std::string> Listed(const std::string& pattern) {
    std::vector<std::string> names = doubles::NamesOf(doubles::ListAll(*files_, pattern));
    std::sort(names.begin(), names.end());
    return names;
  }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
};

TEST_F(DottedNames, EachNameAsListedIsTheFileOpened) {
  EXPECT_EQ(Listed("C:\\Fotos\\*.*"), (std::vector<std::string>{".", "..", "foto", "foto ", "foto."}));
  files_->CopyWholeFile("C:\\Fotos\\foto.", "D:\\com-ponto.jpg");
  files_->CopyWholeFile("C:\\Fotos\\foto ", "D:\\com-espaco.jpg");
  files_->CopyWholeFile("C:\\Fotos\\foto", "D:\\sem-ponto.jpg");
  EXPECT_EQ(drives_.ReadFile("D:\\com-ponto.jpg"), "com ponto");
  EXPECT_EQ(drives_.ReadFile("D:\\com-espaco.jpg"), "com espaço");
  EXPECT_EQ(drives_.ReadFile("D:\\sem-ponto.jpg"), "sem ponto");
}

TEST_F(DottedNames, APhotoFolderHoldingFotoAndFotoDotFailsNamingTheOneWindowsCannotHold) {
  try {
    CopyPath(*files_, "C:\\Fotos\\", "D:\\Fotos");
    FAIL() << "the copy said it succeeded";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), kErrPathFileAccess);
    const bool namesOne =
        error.detail().find("a unidade de destino não aceita o nome \"foto.\"") != std::string::npos ||
        error.detail().find("a unidade de destino não aceita o nome \"foto \"") != std::string::npos;
    EXPECT_TRUE(namesOne) << error.detail();
  }
  // Never another file in its place, and never a name Windows cannot open.
  const std::string plain = ReadLiteral(drives_.Host("D:\\Fotos\\foto"));
  EXPECT_TRUE(plain == "sem ponto" || plain == "(nenhum)") << plain;
  EXPECT_EQ(ReadLiteral(drives_.Host("D:\\Fotos\\foto.")), "(nenhum)");
  EXPECT_EQ(ReadLiteral(drives_.Host("D:\\Fotos\\foto ")), "(nenhum)");
}

TEST_F(DottedNames, AFolderWhoseNameEndsInADotIsNotCreated) {
  try {
    files_->CreateFolder("D:\\Fotos\\Clientes.");
    FAIL() << "the folder was created";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), kErrPathFileAccess);
    EXPECT_NE(error.detail().find("a unidade de destino não aceita o nome \"Clientes.\""), std::string::npos)
        << error.detail();
  }
  EXPECT_EQ(::GetFileAttributesW(Literal(drives_.Host("D:\\Fotos\\Clientes.")).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(::GetFileAttributesW(Literal(drives_.Host("D:\\Fotos\\Clientes")).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace bt
