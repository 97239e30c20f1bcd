#include "ui/common/location_lists.h"

#include <algorithm>
#include <cctype>

#include "platform/windows_path.h"

namespace bt {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool IsDrive(FileSystem& files, char letter) {
  for (const DriveInfo& drive : files.Drives()) {
    if (drive.letter == letter) return true;
  }
  return false;
}

// Folder names ordered as the classic list orders them: ignoring the case of
// ASCII letters, then byte by byte so that the order is total.
bool NameBefore(const std::string& a, const std::string& b) {
  const auto folded = [](const std::string& s) {
    std::string out(s.size(), '\0');
    std::transform(s.begin(), s.end(), out.begin(), Lower);
    return out;
  };
  const std::string fa = folded(a), fb = folded(b);
  return fa != fb ? fa < fb : a < b;
}

// "C:" + the names, "\" between them; the root alone is "C:\".
std::string JoinPath(char drive, const std::vector<std::string>& names) {
  std::string path{drive, ':'};
  if (names.empty()) return path + "\\";
  for (const std::string& name : names) path += "\\" + name;
  return path;
}

// The names below the root of a full path, "." and ".." resolved; ".." at
// the root stays at the root, as on Windows.
std::vector<std::string> SplitBelowRoot(const std::string& path) {
  std::vector<std::string> names;
  std::size_t start = 3;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(start, end - start);
    if (name == "..") {
      if (!names.empty()) names.pop_back();
    } else if (!name.empty() && name != ".") {
      names.push_back(name);
    }
    start = end + 1;
  }
  return names;
}

}  // namespace

std::string DriveListText(const DriveInfo& drive) {
  std::string text{Lower(drive.letter), ':'};
  if (!drive.hint.empty()) text += " [" + drive.hint + "]";
  return text;
}

bool IsFloppyDrive(char letter) { return letter == 'A' || letter == 'B'; }

char DriveLetterOf(const std::string& text) {
  if (text.size() < 2 || text[1] != ':' || !std::isalpha(static_cast<unsigned char>(text[0]))) {
    return '\0';
  }
  return UpperDriveLetter(text[0]);
}

DriveListModel::DriveListModel(FileSystem& files) : files_(files) {}

std::vector<DriveListEntry> DriveListModel::Entries() const {
  std::vector<DriveListEntry> entries;
  for (const DriveInfo& drive : files_.Drives()) {
    entries.push_back({drive.letter, DriveListText(drive)});
  }
  return entries;
}

int DriveListModel::CurrentIndex() const {
  const char letter = CurrentLetter();
  const std::vector<DriveListEntry> entries = Entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].letter == letter) return static_cast<int>(i);
  }
  return -1;
}

bool DriveListModel::SetDrive(const std::string& text) {
  const char letter = DriveLetterOf(text);
  if (letter != '\0') {
    for (const DriveInfo& drive : files_.Drives()) {
      if (drive.letter != letter) continue;
      if (letter == CurrentLetter()) return false;
      current_ = DriveListText(drive);
      return true;
    }
  }
  throw AppError(kErrDeviceUnavailable, "a unidade \"" + text + "\" não existe");
}

FolderListModel::FolderListModel(FileSystem& files) : files_(files) {}

char FolderListModel::CurrentDrive() const { return path_.empty() ? 'C' : path_[0]; }

std::string FolderListModel::Resolve(const std::string& text) {
  std::string full;
  if (!text.empty() && text[0] == '\\') {
    full = std::string{CurrentDrive(), ':'} + text;
  } else if (const char letter = DriveLetterOf(text); letter != '\0') {
    if (text.size() >= 3 && text[2] == '\\') {
      full = text;
    } else if (text.size() == 2 || text[2] == ' ') {
      if (!IsDrive(files_, letter)) {
        throw AppError(kErrDeviceUnavailable, "a unidade \"" + text + "\" não existe");
      }
      full = files_.CurrentFolder(letter);
    }
  }
  const char letter = DriveLetterOf(full);
  if (letter == '\0' || full.size() < 3 || full[2] != '\\') {
    throw AppError(kErrPathNotFound, "\"" + text + "\" não é um caminho de pasta completo");
  }
  if (!IsDrive(files_, letter)) {
    throw AppError(kErrDeviceUnavailable, "a unidade de \"" + text + "\" não existe");
  }
  return JoinPath(letter, SplitBelowRoot(full));
}

std::vector<FolderListEntry> FolderListModel::ReadEntries(const std::string& path,
                                                          int* currentIndex) {
  std::uint32_t attributes = 0;
  try {
    attributes = files_.GetAttributes(path);
  } catch (const AppError& error) {
    // A folder list knows only paths: a missing last name is a missing path.
    if (error.number() != kErrFileNotFound) throw;
    throw AppError(kErrPathNotFound, error.detail());
  }
  if ((attributes & kAttrDirectory) == 0) {
    throw AppError(kErrPathNotFound, "\"" + path + "\" não é uma pasta");
  }

  std::vector<std::string> subfolders;
  FindData record;
  const std::string pattern = path.back() == '\\' ? path + "*.*" : path + "\\*.*";
  const FindHandle handle = files_.FindFirstFileA(pattern, &record);
  if (handle == kInvalidHandle) {
    if (std::optional<AppError> failure = files_.LastFindFailure()) throw *failure;
  } else {
    do {
      const std::string name = record.cFileName;
      if ((record.dwFileAttributes & kAttrDirectory) != 0 &&
          (record.dwFileAttributes & kAttrHidden) == 0 && name != "." && name != "..") {
        subfolders.push_back(name);
      }
    } while (files_.FindNextFileA(handle, &record) != 0);
    // A listing that broke off would show a folder with subfolders missing.
    std::optional<AppError> failure = files_.LastFindFailure();
    files_.FindClose(handle);
    if (failure) throw *failure;
  }
  std::sort(subfolders.begin(), subfolders.end(), NameBefore);

  std::vector<FolderListEntry> entries;
  const char drive = path[0];
  std::vector<std::string> chain;
  entries.push_back({std::string{drive, ':', '\\'}, JoinPath(drive, chain), 0, true});
  for (const std::string& name : SplitBelowRoot(path)) {
    chain.push_back(name);
    entries.push_back({name, JoinPath(drive, chain), static_cast<int>(chain.size()), true});
  }
  *currentIndex = static_cast<int>(entries.size()) - 1;
  const int indent = static_cast<int>(chain.size()) + 1;
  for (const std::string& name : subfolders) {
    chain.push_back(name);
    entries.push_back({name, JoinPath(drive, chain), indent, false});
    chain.pop_back();
  }
  return entries;
}

bool FolderListModel::SetPath(const std::string& text) {
  const std::string path = Resolve(text);
  int index = -1;
  std::vector<FolderListEntry> entries = ReadEntries(path, &index);
  const bool changed = path != path_;
  path_ = path;
  entries_ = std::move(entries);
  currentIndex_ = index;
  return changed;
}

void FolderListModel::Refresh() {
  if (path_.empty()) return;
  int index = -1;
  std::vector<FolderListEntry> entries = ReadEntries(path_, &index);
  entries_ = std::move(entries);
  currentIndex_ = index;
}

FolderListModel::Opening FolderListModel::UserOpens(int index) {
  if (index < 0 || index >= static_cast<int>(entries_.size())) return Opening::None;
  const std::string path = entries_[static_cast<std::size_t>(index)].path;
  try {
    return SetPath(path) ? Opening::Changed : Opening::Same;
  } catch (const AppError&) {
    try {
      Refresh();
    } catch (const AppError&) {
      // The current folder cannot be read either; the entries stay.
    }
    return Opening::Failed;
  }
}

}  // namespace bt
