// The entry point of the application.
#pragma once

#include "app/services.h"

namespace bt {

// Prepares the main window and shows it without waiting, then returns; from
// then on the application runs only through the window's events. A failure
// during start-up is shown by the top-level error report and ends the
// application before the window is ever shown. services must outlive the
// application (until it ends or DropApplication).
void Main(Services& services);

}  // namespace bt
