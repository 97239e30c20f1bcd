#include "app/operation_handlers.h"

namespace bt {

// The backup and restore handlers arrive with the backup unit.
void RegisterOperationHandlers(Window&) {}

}  // namespace bt
