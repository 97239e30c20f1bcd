#include "testing/held_copies.h"

#include <stdexcept>

#include "platform/linux/host_calls.h"

namespace bt::doubles {

struct HeldCopies::SavedCalls {
  HostCopyCalls calls;
};

namespace {

HeldCopies* active = nullptr;
HostCopyCalls beneath;

int Open(int folder, const char* name, int flags, mode_t mode) {
  active->HoldIfBackground();
  return beneath.open(folder, name, flags, mode);
}

}  // namespace

HeldCopies::HeldCopies()
    : owner_(std::this_thread::get_id()), saved_(std::make_unique<SavedCalls>(SavedCalls{CopyCalls()})) {
  if (active != nullptr) throw std::logic_error("only one HeldCopies may live at a time");
  active = this;
  beneath = saved_->calls;
  CopyCalls().open = Open;
}

HeldCopies::~HeldCopies() {
  Release();
  CopyCalls() = saved_->calls;
  active = nullptr;
}

void HeldCopies::WaitUntilHeld(int count) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return held_ >= count; });
}

void HeldCopies::Release() {
  {
    const std::lock_guard lock(mutex_);
    released_ = true;
  }
  changed_.notify_all();
}

void HeldCopies::HoldIfBackground() {
  if (std::this_thread::get_id() == owner_) return;
  std::unique_lock lock(mutex_);
  if (released_) return;
  ++held_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return released_; });
}

}  // namespace bt::doubles
