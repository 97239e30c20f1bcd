// Another program holding a file open, as a running Tarvel holds its
// database: a child process that opens the host file and waits until the
// object goes away.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace bt::doubles {

class FileHolder {
 public:
  // flags as for open(2): O_RDWR for a writer, O_RDONLY for a reader.
  FileHolder(const std::string& hostPath, int flags) {
    int ready[2];
    if (pipe(ready) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = open(hostPath.c_str(), flags);
      const char ok = fd >= 0 ? '1' : '0';
      (void)!write(ready[1], &ok, 1);
      pause();
      _exit(0);
    }
    char ok = 0;
    const bool answered = read(ready[0], &ok, 1) == 1;
    close(ready[0]);
    close(ready[1]);
    if (!answered || ok != '1') throw std::runtime_error("the holder could not open " + hostPath);
  }
  ~FileHolder() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;

 private:
  pid_t pid_ = -1;
};

}  // namespace bt::doubles
