// Who else writes to a file. On Windows a file that another program has open
// for writing can be neither copied nor replaced; on Linux nothing stops
// either, and a running Tarvel would go on writing into a database that a
// restore had just replaced, or have a backup copy it half-written.
//
// Two ways to look. A read lease (F_SETLEASE, F_RDLCK) is granted only while
// no process at all has the file open for writing or mapped shared and
// writable, whoever runs it; it needs this process to own the file (or hold
// CAP_LEASE) and a file system that offers leases, and is let go at once.
// Where no lease can be had, the descriptors and the mappings of every
// process are read under /proc, as fuser reads them; the processes of other
// users cannot be read that way and go unseen.
//
// On a network file system (NFS, SMB, 9p, Ceph ...) and through FUSE a
// refused lease may mean only that none is offered at the moment (NFSv4
// without a read delegation, SMB without a read oplock), so there a refusal
// is settled by /proc too: a writer on this machine run by the same user is
// seen; one on another machine, or of another user, is not. A granted lease
// says no process on this machine writes, there as anywhere.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <set>
#include <utility>

namespace bt {

// The calls of a lease probe, reached through this table so that a test can
// answer as a file system this machine cannot mount would. The defaults are
// the plain system calls.
struct HostLeaseCalls {
  // fcntl(fd, F_SETLEASE, lease): 0, or -1 with errno.
  int (*setLease)(int fd, int lease);
  // The f_type of fstatfs(fd) into *type: 0, or -1 with errno.
  int (*fileSystemType)(int fd, long* type);
};

// The table in use; a test replaces entries and puts them back.
HostLeaseCalls& LeaseCalls();
const HostLeaseCalls& RealLeaseCalls();

class OpenFilesMonitor {
 public:
  enum class Probe { kLeaseFirst, kScanOnly };
  // How old an answer from the /proc scan may be. Looking through every
  // process for each of thousands of photos would cost more than the copy;
  // the database and a file about to be replaced are looked at afresh.
  enum class Freshness { kRecent, kNow };

  // With leases, SIGIO is ignored from then on (unless the program handles
  // it): the kernel sends it should a writer arrive while a lease is held.
  explicit OpenFilesMonitor(Probe probe = Probe::kLeaseFirst,
                            std::chrono::milliseconds recent = std::chrono::milliseconds(500));

  // Whether a process other than this one has the file open for writing, or
  // maps it shared and writable (its descriptor closed or not); the lease
  // counts this process's own writers too, and the copy holds none. fd is the
  // file, opened by this process for reading only, or -1 when it could not
  // be (then only the scan answers); st its stat.
  bool WrittenElsewhere(int fd, const struct stat& st, Freshness freshness);

 private:
  enum class LeaseSays { kCannotTell, kNobodyWrites, kSomeoneWrites };
  static LeaseSays LeaseAnswer(int fd);
  bool Scanned(dev_t device, ino_t inode, Freshness freshness);
  void Refresh();

  Probe probe_;
  std::chrono::milliseconds recent_;
  std::mutex mutex_;  // over the snapshot: copies on several threads ask
  std::chrono::steady_clock::time_point taken_{};
  bool haveSnapshot_ = false;
  std::set<std::pair<dev_t, ino_t>> writers_;
};

}  // namespace bt
