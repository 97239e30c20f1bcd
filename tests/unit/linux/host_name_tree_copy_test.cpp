// A tree copied through the Windows-side calls (listing, CreateFolder,
// CopyWholeFile) reproduces every host name byte for byte, also the names
// Windows itself could not hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/file_system.h"
#include "testing/temp_drives.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

// Copies the contents of folder source into the existing folder destination,
// the way the system's recursive copy drives these calls.
void CopyTree(FileSystem& files, const std::string& source, const std::string& destination) {
  std::vector<std::string> folders;
  FindData record;
  const FindHandle handle = files.FindFirstFileA(source + "\\*.*", &record);
  ASSERT_NE(handle, kInvalidHandle);
  do {
    const std::string name = record.cFileName;
    if (name == "." || name == "..") continue;
    if (record.dwFileAttributes & kAttrDirectory) {
      files.CreateFolder(destination + "\\" + name);
      folders.push_back(name);
    } else {
      files.CopyWholeFile(source + "\\" + name, destination + "\\" + name);
    }
  } while (files.FindNextFileA(handle, &record) != 0);
  files.FindClose(handle);
  for (const std::string& name : folders) CopyTree(files, source + "\\" + name, destination + "\\" + name);
}

// Every host path below root (as bytes) with the content of its file, or
// "<folder>" for a folder.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = entry.path().string().substr(root.size());
    if (entry.is_directory()) {
      tree[relative] = "<folder>";
    } else {
      std::ifstream in(entry.path(), std::ios::binary);
      tree[relative] = std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
  }
  return tree;
}

TEST(HostNameTreeCopy, EveryNameArrivesByteForByte) {
  doubles::TempDrives drives;
  const std::string c = drives.AddDrive('C');
  const std::string d = drives.AddDrive('D');
  const std::vector<std::string> names = {
      "a\\b.jpg", "c:d.jpg",   "e*f?.jpg",  "g\"h<i>j|k", "ctl\x01\x1f", "ponto.",      "espaco ",
      "caf\xE9",  "\xFF\xFE",  "x\uF05Cy",  "ação.jpg",   "Thumbs.db",   ".oculto",     "...",
      "Foto.JPG", "foto.jpg",  "tab\tname", "new\nline",  "日本語.png",  "a.b.c.",      " "};
  fs::create_directories(c + "/Fotos/sub:pasta./funda\\mais");
  for (const std::string& name : names) {
    std::ofstream(c + "/Fotos/" + name, std::ios::binary) << "conteudo de " << name;
    std::ofstream(c + "/Fotos/sub:pasta./" + name, std::ios::binary) << name;
  }
  std::ofstream(c + "/Fotos/sub:pasta./funda\\mais/ultimo\x80", std::ios::binary) << "fim";

  const auto files = drives.MakeFileSystem();
  files->CreateFolder("D:\\Fotos");
  CopyTree(*files, "C:\\Fotos", "D:\\Fotos");

  EXPECT_EQ(Snapshot(d + "/Fotos"), Snapshot(c + "/Fotos"));
}

}  // namespace
}  // namespace bt
