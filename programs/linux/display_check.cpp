#include "programs/linux/display_check.h"

namespace bt {

namespace {

bool IsSet(const EnvironmentReader& environment, const char* name) {
  const char* value = environment(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

std::optional<std::string> NoDisplayReason(const EnvironmentReader& environment) {
  if (IsSet(environment, "QT_QPA_PLATFORM") || IsSet(environment, "DISPLAY") ||
      IsSet(environment, "WAYLAND_DISPLAY")) {
    return std::nullopt;
  }
  return "BackupTarvel: nenhuma tela disponível (DISPLAY não definido)";
}

}  // namespace bt
