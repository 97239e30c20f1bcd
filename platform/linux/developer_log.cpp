#include "platform/developer_log.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

class FileLog final : public DeveloperLog {
 public:
  void Append(const std::string& line) override {
    try {
      const std::filesystem::path folder = LogFolder();
      std::error_code ignored;
      std::filesystem::create_directories(folder, ignored);
      std::ofstream out(folder / "erros.log", std::ios::app | std::ios::binary);
      out << line << '\n';
    } catch (...) {
    }
  }
};

}  // namespace

std::unique_ptr<DeveloperLog> OpenDeveloperLog() { return std::make_unique<FileLog>(); }

}  // namespace bt
