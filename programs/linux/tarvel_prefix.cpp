#include "programs/linux/tarvel_prefix.h"

#include <cstdlib>
#include <exception>

#include "install/install_setting.h"
#include "platform/linux/wine/wine_registry.h"

namespace bt {

bool HoldsInstallation(const std::string& prefix) {
  try {
    return !GetInstallSetting(*MakeWineRegistry(prefix + "/system.reg"), "Path").empty();
  } catch (const std::exception&) {
    return false;
  }
}

WinePrefixChoice ProgramWinePrefix() {
  return ChooseWinePrefix([](const char* name) -> const char* { return std::getenv(name); }, HoldsInstallation);
}

}  // namespace bt
