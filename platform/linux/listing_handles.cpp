#include "platform/linux/listing_handles.h"

#include <utility>

namespace bt {

FindHandle ListingHandles::Add(OpenListing listing) {
  const FindHandle handle = next_++;
  open_.emplace(handle, std::move(listing));
  return handle;
}

OpenListing* ListingHandles::Find(FindHandle handle) {
  const auto it = open_.find(handle);
  return it == open_.end() ? nullptr : &it->second;
}

}  // namespace bt
