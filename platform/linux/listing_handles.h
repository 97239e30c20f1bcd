// The listings FindFirstFileA opened and FindClose has not closed yet, by
// the handle the caller holds.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/linux/folder_listing.h"
#include "platform/linux/wine/drive_mapping.h"

namespace bt {

// Where an open listing reads: the folder as the caller wrote it ("C:\A\",
// to which entry names are appended) and on the host.
struct OpenListingInfo {
  const DriveMapping* drive = nullptr;
  std::string windowsFolder;
  std::string hostFolder;
};

struct OpenListing {
  std::unique_ptr<FolderListing> listing;
  OpenListingInfo info;
};

class ListingHandles {
 public:
  // A handle no other open listing has, never kInvalidHandle.
  FindHandle Add(OpenListing listing);
  // nullptr for a handle closed or never given.
  OpenListing* Find(FindHandle handle);
  void Close(FindHandle handle) { open_.erase(handle); }

 private:
  std::map<FindHandle, OpenListing> open_;
  FindHandle next_ = 1;
};

}  // namespace bt
