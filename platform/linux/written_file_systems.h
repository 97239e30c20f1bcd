// The file systems that copies and new folders went to since the last
// flush, so that one syncfs each makes all of them durable: photos reached
// through a link on another disk included.
#pragma once

#include <sys/types.h>

#include <map>
#include <mutex>
#include <string>

namespace bt {

class WrittenFileSystems {
 public:
  WrittenFileSystems() = default;
  ~WrittenFileSystems();
  WrittenFileSystems(const WrittenFileSystems&) = delete;
  WrittenFileSystems& operator=(const WrittenFileSystems&) = delete;

  // Notes that hostFolder, on device, was just written into; windowsFolder
  // names it for the user should its flush fail. The first note of a device
  // keeps the folder open until the flush, so that it can be reached then
  // whatever happens to the folder meanwhile. hostFolder is the folder
  // really written in (a link's target's, not the link's): one on another
  // device, or that cannot be opened, leaves the device to the flush of the
  // whole system.
  void Note(dev_t device, const std::string& hostFolder, const std::string& windowsFolder);

  // Flushes every noted file system and forgets them all; no copy may be
  // running meanwhile. Throws AppError
  // for the first that fails, after every one has been tried.
  void Flush();

 private:
  struct Noted {
    int fd = -1;
    std::string windowsFolder;
  };
  std::mutex mutex_;  // copies on several threads note
  std::map<dev_t, Noted> noted_;
};

}  // namespace bt
