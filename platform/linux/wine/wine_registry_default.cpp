#include "platform/linux/wine/drive_table.h"
#include "platform/linux/wine/wine_registry.h"

namespace bt {

std::unique_ptr<Registry> MakeDefaultRegistry() {
  return MakeWineRegistry(DefaultWinePrefix() + "/system.reg");
}

}  // namespace bt
