// Another program holding a file open for writing, as a running Tarvel
// holds its database: on Linux a child process (Linux tells writers apart
// by process), on Windows a handle that shares the file for reading and
// writing (Windows tells them apart by share mode, within one process too).
#pragma once

#include <memory>
#include <string>

namespace bt::doubles {

class OpenForWriting {
 public:
  explicit OpenForWriting(const std::string& hostPath);
  ~OpenForWriting();
  OpenForWriting(const OpenForWriting&) = delete;
  OpenForWriting& operator=(const OpenForWriting&) = delete;

 private:
  struct Holder;
  std::unique_ptr<Holder> holder_;
};

}  // namespace bt::doubles
