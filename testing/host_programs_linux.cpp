#include "testing/host_programs.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

namespace bt::doubles {

bool RunHostProgram(std::vector<std::string> args, std::string* output) {
  int pipeFds[2] = {-1, -1};
  if (output != nullptr && ::pipe(pipeFds) != 0) return false;
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(output != nullptr ? pipeFds[1] : null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  if (output != nullptr) {
    ::close(pipeFds[1]);
    std::array<char, 256> buffer{};
    ssize_t got = 0;
    while ((got = ::read(pipeFds[0], buffer.data(), buffer.size())) > 0) output->append(buffer.data(), got);
    ::close(pipeFds[0]);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string MakeTestFolder(const std::string& prefix) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
  return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
}

}  // namespace bt::doubles
