// A realistic Tarvel installation and a backup set on temporary drives, the
// host trees read back byte for byte, and the checks that a run left
// nothing lost, half-written or behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/temporary_names.h"
#include "testing/temp_drives.h"

namespace bt::doubles {

// Every plain file below a host folder, by its path relative to it, with its
// bytes. Links are not followed.
using TreeFiles = std::map<std::string, std::string>;

inline std::string ReadHostFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline TreeFiles ReadTree(const std::string& hostFolder) {
  namespace fs = std::filesystem;
  TreeFiles files;
  if (!fs::exists(hostFolder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(hostFolder)) {
    if (entry.is_regular_file() && !entry.is_symlink()) {
      files[fs::relative(entry.path(), hostFolder).generic_string()] = ReadHostFile(entry.path());
    }
  }
  return files;
}

// The temporary files of unfinished copies anywhere below a host folder.
inline std::vector<std::string> TemporaryFilesBelow(const std::string& hostFolder) {
  namespace fs = std::filesystem;
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(hostFolder)) {
    if (IsTemporaryCopyName(entry.path().filename().string())) found.push_back(entry.path().string());
  }
  return found;
}

// Where two trees differ, by path, for a readable failure; empty when equal.
inline std::string TreeDifference(const TreeFiles& expected, const TreeFiles& actual) {
  std::string difference;
  for (const auto& [path, bytes] : expected) {
    const auto it = actual.find(path);
    if (it == actual.end()) {
      difference += " missing " + path + ";";
    } else if (it->second != bytes) {
      difference += " " + path + " differs (" + std::to_string(it->second.size()) + " of " +
                    std::to_string(bytes.size()) + " bytes);";
    }
  }
  for (const auto& entry : actual) {
    if (!expected.contains(entry.first)) difference += " extra " + entry.first + ";";
  }
  return difference;
}

// Bytes that differ from file to file and run over several read buffers.
inline std::string Bytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned value = seed * 2654435761u + 1;
  for (char& c : bytes) {
    value = value * 1103515245u + 12345u;
    c = static_cast<char>(value >> 16);
  }
  return bytes;
}

// The installation "C:\Tarvel" as a shop has it: a database larger than one
// read buffer, the options file, and photos in subfolders, with a
// "Thumbs.db" and an empty file. With `generation` 2 every file has other
// content, as a backup made later would.
inline void WriteInstallation(const TempDrives& drives, const std::string& folder, unsigned generation) {
  drives.WriteFile(folder + "\\vendrial.mdb", Bytes(600 << 10, generation));
  drives.WriteFile(folder + "\\tarvel.ini", "[Opcoes]\nLoja=" + std::to_string(generation) + "\n");
  drives.WriteFile(folder + "\\Fotos\\produto1.jpg", Bytes(3000, generation + 10));
  drives.WriteFile(folder + "\\Fotos\\Thumbs.db", "miniaturas " + std::to_string(generation));
  drives.WriteFile(folder + "\\Fotos\\2009\\produto2.jpg", Bytes(5000, generation + 20));
  drives.WriteFile(folder + "\\Fotos\\2009\\vazio.jpg", "");
  drives.WriteFile(folder + "\\Fotos\\2010\\Natal\\produto3.jpg", Bytes(7000, generation + 30));
}

// What a backup set made from `installation` must hold: everything but the
// "Thumbs.db" files.
inline TreeFiles ExpectedSet(const TreeFiles& installation) {
  TreeFiles set;
  for (const auto& [path, bytes] : installation) {
    if (path != "Thumbs.db" && !path.ends_with("/Thumbs.db")) set[path] = bytes;
  }
  return set;
}

// Each file of `now` is whole: byte-identical to its `before` or its
// `incoming` version; and every file of `before` is still there.
inline void ExpectEachFileWholeOldOrNew(const TreeFiles& before, const TreeFiles& incoming, const TreeFiles& now,
                                        const std::string& run) {
  for (const auto& [path, bytes] : before) {
    const auto it = now.find(path);
    if (it == now.end()) {
      ADD_FAILURE() << run << ": " << path << " is missing";
      continue;
    }
    const auto newer = incoming.find(path);
    if (it->second != bytes && (newer == incoming.end() || it->second != newer->second)) {
      ADD_FAILURE() << run << ": " << path << " is neither its old nor its new content (" << it->second.size()
                    << " bytes)";
    }
  }
  for (const auto& [path, bytes] : now) {
    if (before.contains(path)) continue;
    const auto newer = incoming.find(path);
    if (newer == incoming.end()) {
      ADD_FAILURE() << run << ": " << path << " appeared from nowhere";
    } else if (newer->second != bytes) {
      ADD_FAILURE() << run << ": " << path << " arrived half-written (" << bytes.size() << " of "
                    << newer->second.size() << " bytes)";
    }
  }
}

}  // namespace bt::doubles
