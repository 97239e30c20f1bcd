#include "platform/developer_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace bt {
namespace {

std::filesystem::path LogFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::filesystem::path(state) / "BackupTarvel";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".local" / "state" /
         "BackupTarvel";
}

// One write with O_APPEND: lines of two programs appending at once never mix.
bool AppendLine(const std::filesystem::path& file, const std::string& line) {
  try {
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const std::string text = line + '\n';
    ssize_t written;
    do {
      written = ::write(fd, text.data(), text.size());
    } while (written < 0 && errno == EINTR);
    const bool closed = ::close(fd) == 0;
    return written == static_cast<ssize_t>(text.size()) && closed;
  } catch (...) {
    return false;
  }
}

class FileLog final : public DeveloperLog {
 public:
  void Append(const std::string& line) override { AppendLine(LogFolder() / "erros.log", line); }
};

class FileHistory final : public HistoryLog {
 public:
  bool Append(const std::string& line) override { return AppendLine(LogFolder() / "historico.log", line); }
  std::string Place() const override { return (LogFolder() / "historico.log").string(); }
};

}  // namespace

std::unique_ptr<DeveloperLog> OpenDeveloperLog() { return std::make_unique<FileLog>(); }

std::unique_ptr<HistoryLog> OpenHistoryLog() { return std::make_unique<FileHistory>(); }

}  // namespace bt
