#include "platform/linux/copy_content.h"

#include <cerrno>
#include <algorithm>
#include <vector>

#include "platform/error.h"
#include "platform/linux/host_calls.h"
#include "platform/linux/host_errors.h"

namespace bt {
namespace {

bool IsUnsupported(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTTY ||
         error == EBADF;
}

// Which of the two files an error of a call that reads one and writes the
// other concerns: a full disk or a read-only file system is the
// destination's, anything else the source's as far as can be told.
[[noreturn]] void ThrowTransferError(int error, const std::string& source, const std::string& destination) {
  if (error == ENOSPC || error == EDQUOT || error == EROFS || error == EFBIG) {
    throw HostError(error, "write", destination);
  }
  throw HostErrorNumbered(ErrorNumberOf(error), error, "copy \"" + source + "\" to", destination);
}

bool TryClone(int in, int out) { return CopyCalls().clone(in, out) == 0; }

// Copies with copy_file_range up to size bytes; false when the file systems
// cannot serve the call and nothing has been copied.
bool TryCopyRange(int in, int out, off_t size, const std::string& source, const std::string& destination) {
  constexpr off_t kChunk = off_t{1} << 30;
  off_t copied = 0;
  // Up to the size the source had; the read that follows finds its real end.
  while (copied < size) {
    const ssize_t n = CopyCalls().copyFileRange(in, out, static_cast<std::size_t>(std::min(size - copied, kChunk)));
    if (n > 0) {
      copied += n;
      continue;
    }
    if (n == 0) return true;
    if (errno == EINTR) continue;
    // The file offsets moved with what was copied; read/write goes on from there.
    if (IsUnsupported(errno)) return copied > 0;
    ThrowTransferError(errno, source, destination);
  }
  return true;
}

// Reads to the end of the source from its current offset.
void CopyByReadWrite(int in, int out, const std::string& source, const std::string& destination) {
  thread_local std::vector<char> buffer(std::size_t{256} << 10);
  for (;;) {
    const ssize_t got = CopyCalls().read(in, buffer.data(), buffer.size());
    if (got == 0) return;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw HostError(errno, "read", source);
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = CopyCalls().write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        throw HostError(errno, "write", destination);
      }
      done += put;
    }
  }
}

}  // namespace

void CopyContent(int in, const struct stat& sourceStat, const TemporaryFile& out, dev_t destinationDevice,
                 const std::string& source, CopyMethods& methods) {
  const std::pair<dev_t, dev_t> devices{sourceStat.st_dev, destinationDevice};
  const auto learnt = [&](std::set<std::pair<dev_t, dev_t>>& cannot) {
    const std::lock_guard lock(methods.mutex);
    return cannot.contains(devices);
  };
  const auto learn = [&](std::set<std::pair<dev_t, dev_t>>& cannot) {
    const std::lock_guard lock(methods.mutex);
    cannot.insert(devices);
  };
  if (!learnt(methods.noClone)) {
    if (TryClone(in, out.fd())) return;
    learn(methods.noClone);
  }
  // A file whose size reads as 0 may still have content (the kernel's own
  // files); copy_file_range would copy nothing from it.
  if (sourceStat.st_size > 0 && !learnt(methods.noCopyRange)) {
    if (!TryCopyRange(in, out.fd(), sourceStat.st_size, source, out.path())) learn(methods.noCopyRange);
  }
  // Also after copy_file_range: one more read confirms the end.
  CopyByReadWrite(in, out.fd(), source, out.path());
}

}  // namespace bt
