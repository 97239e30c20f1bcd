// CopyHostFile in its steps: the source opened and checked; the folder it
// goes to swept once of stale temporary files; the copy written whole under
// no name; the name taken, or the file replaced, after the last checks.
#include "platform/linux/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/linux/copy_content.h"
#include "platform/linux/copy_destination.h"
#include "platform/linux/copy_metadata.h"
#include "platform/linux/host_errors.h"
#include "platform/linux/temporary_file.h"

namespace bt {
namespace {

using Freshness = OpenFilesMonitor::Freshness;

std::string FolderOf(const std::string& hostPath) {
  const auto slash = hostPath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : hostPath.substr(0, slash);
}

// The source, open for reading, and a plain file nobody else writes.
class OpenSource {
 public:
  // O_NONBLOCK: opening a FIFO must not hang the copy (a regular file's
  // reads ignore the flag).
  OpenSource(const std::string& source, const EntryAt& at, CopyMethods& methods, Freshness freshness)
      : fd_(CopyCalls().open(at.folder, at.name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0)) {
    if (fd_.get() < 0) throw HostError(errno, "open", source);
    if (::fstat(fd_.get(), &st_) != 0) throw HostError(errno, "examine", source);
    if (S_ISDIR(st_.st_mode)) throw HostErrorNumbered(kErrPermissionDenied, EISDIR, "open", source);
    if (!S_ISREG(st_.st_mode)) {
      throw AppError(kErrPathFileAccess, "a origem não é um arquivo comum", "copy \"" + source + "\": not a plain file");
    }
    RefuseSourceBeingWritten(fd_.get(), st_, source, methods.openFiles, freshness);
  }
  int fd() const { return fd_.get(); }
  const struct stat& st() const { return st_; }

 private:
  FileDescriptor fd_;
  struct stat st_ {};
};

// The first copy into a folder removes what killed copies left there.
void SweepOnce(const std::string& folder, const OpenFolder* open, CopyMethods& methods) {
  bool firstInFolder = false;
  {
    const std::lock_guard lock(methods.mutex);
    firstInFolder = methods.sweptFolders.insert(folder).second;
  }
  if (firstInFolder) RemoveStaleTemporaryFiles(folder, methods.staleTemporaryAge, open);
}

// Makes the copy ready to stand in for the file it replaces.
void PrepareReplacement(const TemporaryFile& out, mode_t createdBits, const Destination& replaced,
                        bool durableReplace) {
  if (!replaced.ReplacesAFile()) return;
  AdoptReplacedOwnership(out, createdBits, replaced.st);
  if (durableReplace && CopyCalls().fsync(out.fd()) != 0) throw HostError(errno, "write", out.path());
}

void FlushFolder(const std::string& folder, const OpenFolder* open) {
  // The file is complete under its final name by now; a folder that cannot
  // be flushed (some file systems refuse) leaves nothing to undo.
  constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
  FileDescriptor dir(open != nullptr && open->path() == folder ? CopyCalls().open(open->fd(), ".", kFlags, 0)
                                                               : CopyCalls().open(AT_FDCWD, folder.c_str(), kFlags, 0));
  if (dir.get() >= 0) CopyCalls().fsync(dir.get());
}

// One copy, step by step.
class HostFileCopy {
 public:
  HostFileCopy(const CopyRequest& request, CopyMethods& methods)
      : request_(request),
        methods_(methods),
        // The database and the options file are looked at afresh; for the
        // many photos of a tree a look a moment old serves where leases do not.
        freshness_(request.durableReplace ? Freshness::kNow : Freshness::kRecent),
        in_(request.source, EntryIn(request.sourceFolder.get(), request.source), methods, freshness_) {}

  CopiedFile Run() {
    LookAtDestination();
    folder_ = FolderOf(destination_.path);
    SweepOnce(folder_, into(), methods_);
    createdBits_ = CreationBits(destination_, in_.st());
    TemporaryFile out(folder_, !destination_.exists, createdBits_, into());
    struct stat outStat {};
    if (::fstat(out.fd(), &outStat) != 0) throw HostError(errno, "examine", out.path());
    CopyContent(in_.fd(), in_.st(), out, outStat.st_dev, request_.source, methods_);
    KeepMetadata(in_.fd(), in_.st(), request_.sourceDosAttrib, out);
    PrepareReplacement(out, createdBits_, destination_, request_.durableReplace);
    Place(out);
    if (destination_.ReplacesAFile() && request_.durableReplace) FlushFolder(folder_, into());
    return CopiedFile{destination_.exists, outStat.st_dev, folder_};
  }

 private:
  // The open folder the copy goes into, if the caller gave it.
  const OpenFolder* into() const { return request_.destinationFolder.get(); }

  void LookAtDestination() {
    destination_.path = request_.destination;
    if (!request_.destinationFree) destination_ = Examine(request_.destination, request_.followLink, into());
    CheckReplaceable(destination_, in_.st(), request_.source, into(), methods_.openFiles, freshness_);
  }

  // Gives the complete copy the destination's name.
  void Place(TemporaryFile& out) {
    // Just before the copy takes the name, afresh: a program that began to
    // write meanwhile would make the copy inconsistent or lose its writes
    // into the replaced file.
    RefuseSourceBeingWritten(in_.fd(), in_.st(), request_.source, methods_.openFiles, freshness_);
    CheckReplaceable(destination_, in_.st(), request_.source, into(), methods_.openFiles, freshness_);

    if (!destination_.exists && !out.TakeNewName(destination_.path)) {
      // Something took the name since it was looked at: it is replaced like
      // anything found there at first, after the same checks.
      destination_ = Examine(request_.destination, request_.followLink, into());
      if (FolderOf(destination_.path) != folder_) {
        throw AppError(kErrPathFileAccess, "o destino mudou durante a cópia",
                       "replace \"" + request_.destination + "\": it became a link elsewhere while copying");
      }
      CheckReplaceable(destination_, in_.st(), request_.source, into(), methods_.openFiles, freshness_);
      PrepareReplacement(out, createdBits_, destination_, request_.durableReplace);
      out.ReplaceAt(destination_.path);
    } else if (destination_.exists) {
      out.ReplaceAt(destination_.path);
    }
  }

  const CopyRequest& request_;
  CopyMethods& methods_;
  const Freshness freshness_;
  const OpenSource in_;
  Destination destination_;
  std::string folder_;  // the host folder the copy is written in
  mode_t createdBits_ = 0;
};

}  // namespace

CopiedFile CopyHostFile(const CopyRequest& request, CopyMethods& methods) {
  return HostFileCopy(request, methods).Run();
}

}  // namespace bt
