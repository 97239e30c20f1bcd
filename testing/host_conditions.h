// Host conditions a test sets up that the standard library cannot: extended
// attributes, and permission checks that root would otherwise pass.
#pragma once

#include <optional>
#include <string>

namespace bt::doubles {

// While alive, this thread's file permission checks are those of an ordinary
// user ("nobody") when the process runs as root, and files it creates belong
// to that user; for an ordinary user, whose checks apply anyway, it does
// nothing. Create it before the TempDrives of the test, so that their
// folders belong to that user.
class OrdinaryUser {
 public:
  OrdinaryUser();
  ~OrdinaryUser();
  OrdinaryUser(const OrdinaryUser&) = delete;
  OrdinaryUser& operator=(const OrdinaryUser&) = delete;

 private:
  bool switched_ = false;
};

// While alive, no file of this process may grow beyond `bytes`: a write
// past it fails (EFBIG), as a full disk would fail it half-way.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(unsigned long long bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  unsigned long long savedSoft_ = 0;
  void (*savedHandler_)(int) = nullptr;
};

// Sets (throws on failure) or reads an extended attribute of a host path.
void SetExtendedAttribute(const std::string& hostPath, const std::string& name, const std::string& value);
std::optional<std::string> ExtendedAttribute(const std::string& hostPath, const std::string& name);

}  // namespace bt::doubles
