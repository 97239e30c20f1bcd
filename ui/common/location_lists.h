// The state and rules of the two location lists of the main window, the drive
// list and the folder list, free of any toolkit. Each window backend (the Qt,
// the Win32 and the headless window) keeps one of each and only draws them
// and raises the change events; every rule about what a setting means, what
// it opens and when it counts as a change lives here.
//
// Neither model raises events. A setting returns whether the value really
// changed; the window raises the list's change event when, and only when, it
// returns true. A setting that fails throws AppError and leaves the model
// exactly as it was (value, entries and index).
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace bt {

// The drive list's text of a drive: the letter in lower case and a colon,
// then a blank and the hint in brackets when there is one ("c: [Disco local]",
// "d:"). Only the first two characters are meaningful to the application.
std::string DriveListText(const DriveInfo& drive);

// The drive letter (upper case) that a text beginning with a letter and a
// colon names ("d:", "D: [x]", "d:\Copias"); '\0' when the text does not
// begin so.
char DriveLetterOf(const std::string& text);

struct DriveListEntry {
  char letter = 'C';  // upper case
  std::string text;   // DriveListText of the drive

  // A list shows entries again only when they differ from those it shows.
  bool operator==(const DriveListEntry&) const = default;
};

// A: and B: are floppy drives, which the drive list draws as such.
bool IsFloppyDrive(char letter);

// The drive list: every drive of the file system, openable or not, in letter
// order, and the one chosen. Choosing a drive never opens it: a floppy drive
// without a disk can be the current drive; it is the folder list that refuses
// it.
class DriveListModel {
 public:
  explicit DriveListModel(FileSystem& files);

  // The drives as the list shows them now, read afresh from the file system.
  std::vector<DriveListEntry> Entries() const;

  // The current drive's text; empty until the first successful setting.
  const std::string& Current() const { return current_; }
  // The current drive's letter (upper case); '\0' until the first setting.
  char CurrentLetter() const { return DriveLetterOf(current_); }
  // The current drive's place in Entries(); -1 when there is none.
  int CurrentIndex() const;

  // Chooses the drive that a text beginning with a letter and a colon names.
  // Returns true when that is another drive than the current one (letters
  // compare ignoring case); choosing the current drive changes nothing, its
  // text included. Throws AppError 68 (device unavailable) when the text does
  // not name a drive of the file system.
  bool SetDrive(const std::string& text);

 private:
  FileSystem& files_;
  std::string current_;
};

struct FolderListEntry {
  std::string name;  // "C:\" for the drive root, else the folder's own name
  std::string path;  // the full path that opening this entry sets
  int indent = 0;    // steps from the left: the root 0, its child 1, ...
  bool open = false; // on the chain from the root to the current folder
};

// The folder list: one current folder, a full path, and what the classic
// Windows folder list shows for it.
//
// Path form: the drive letter in upper case, a colon, then "\"-separated
// names. A drive root keeps its trailing "\" ("C:\"); every other folder is
// reported without one ("C:\Copias"). Names keep the letter case in which they
// were given or listed.
//
// Entries: the chain of open folders from the drive root down to the current
// folder, each indented one step further than its parent; then the subfolders
// of the current folder, one step further still, sorted ignoring letter case.
// Only folders are listed; hidden ones (attribute 0x02) and the "." and ".."
// entries are left out. CurrentIndex() is the current folder's place in that
// list (the last open entry).
class FolderListModel {
 public:
  // Before its first setting the list has no path and its current drive is
  // C:, the drive "\" then refers to.
  explicit FolderListModel(FileSystem& files);

  // The current full path; empty until the first successful setting.
  const std::string& Path() const { return path_; }
  // The drive of the current path, upper case ('C' before the first setting).
  char CurrentDrive() const;

  const std::vector<FolderListEntry>& Entries() const { return entries_; }
  int CurrentIndex() const { return currentIndex_; }

  // Opens the folder that text names and makes it current. text is:
  //   - a full path, "C:\Copias" or "c:\copias\" (a trailing "\" is dropped,
  //     "." and ".." and doubled separators are resolved);
  //   - "\" for the root of the current drive, or "\Copias" for a folder
  //     under it;
  //   - a drive text as the drive list reports it ("d:", "d: [x]") for that
  //     drive's current folder (FileSystem::CurrentFolder).
  // Returns true when the resulting path differs from the current one
  // (compared exactly, letter case included); the entries are read again in
  // either case. Throws the file system's AppError when the folder cannot be
  // opened (71 a drive that is not ready, 76 a missing folder or one that is
  // a file, 68 a drive that does not exist) and leaves the list unchanged.
  bool SetPath(const std::string& text);

  // Reads the subfolders of the current folder again (a folder created or
  // removed since). Throws like SetPath, leaving the list unchanged; does
  // nothing before the first setting.
  void Refresh();

  enum class Opening {
    None,     // index is no entry's
    Same,     // the entry is the current folder
    Changed,  // the path changed: the list's change event is due
    Failed,   // the folder could not be opened: the window beeps
  };
  // The user opens the entry at index (a double click, Enter): its folder
  // becomes current, as SetPath. A folder that cannot be opened any more
  // (removed since the list was read) leaves the path as it was and the
  // subfolders read again, so that a vanished entry goes; when even that
  // fails the entries stay. Never throws AppError.
  Opening UserOpens(int index);

 private:
  std::string Resolve(const std::string& text);
  std::vector<FolderListEntry> ReadEntries(const std::string& path, int* currentIndex);

  FileSystem& files_;
  std::string path_;
  std::vector<FolderListEntry> entries_;
  int currentIndex_ = -1;
};

}  // namespace bt
