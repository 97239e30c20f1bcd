#include "testing/open_for_writing.h"

#include <windows.h>

#include <stdexcept>

#include "platform/wide_text.h"

namespace bt::doubles {

struct OpenForWriting::Holder {
  HANDLE file = INVALID_HANDLE_VALUE;
};

OpenForWriting::OpenForWriting(const std::string& hostPath) : holder_(std::make_unique<Holder>()) {
  holder_->file = ::CreateFileW(Utf8ToWide(hostPath).c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (holder_->file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + hostPath + " for writing");
}

OpenForWriting::~OpenForWriting() { ::CloseHandle(holder_->file); }

}  // namespace bt::doubles
