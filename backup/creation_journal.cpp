#include "backup/creation_journal.h"

namespace bt {
namespace {

std::string WithoutSeparator(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string FolderOf(const std::string& path) {
  const auto separator = path.rfind('\\');
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

void CreationJournal::CreateFolder(const std::string& path) {
  target().CreateFolder(path);
  folders_.push_back(WithoutSeparator(path));
  made_.insert(folders_.back());
}

void CreationJournal::CopyWholeFile(const std::string& source, const std::string& destination,
                                    Durability durability, DestinationLinks links) {
  // Noted before the call: a copy may go on in the background, and a copy
  // that fails leaves nothing to remove.
  if (Made(FolderOf(destination))) files_.push_back(destination);
  target().CopyWholeFile(source, destination, durability, links);
}

bool CreationJournal::Made(const std::string& folder) const {
  return made_.contains(folder);
}

void CreationJournal::TakeBack() {
  for (auto file = files_.rbegin(); file != files_.rend(); ++file) {
    try {
      target().RemoveFile(*file);
    } catch (const AppError&) {
      // Never written (a copy that failed or never started), or held: it stays.
    }
  }
  for (auto folder = folders_.rbegin(); folder != folders_.rend(); ++folder) {
    try {
      target().RemoveEmptyFolder(*folder);
    } catch (const AppError&) {
      // Holds something this run did not make: it stays, with its parents.
    }
  }
  files_.clear();
  folders_.clear();
  made_.clear();
}

}  // namespace bt
