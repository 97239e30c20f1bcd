#include "platform/posix/drive_table.h"
#include "platform/posix/wine_registry.h"

namespace bt {

std::unique_ptr<Registry> MakeDefaultRegistry() {
  return MakeWineRegistry(DefaultWinePrefix() + "/system.reg");
}

}  // namespace bt
