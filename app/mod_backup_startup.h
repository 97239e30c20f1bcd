// The start-up part of the unit modBackup: the window's first preparation,
// its idle and busy states, and the last drive the folder list could open.
#pragma once

#include <string>

namespace bt {

// The letter and colon of the last drive the folder list could open, in the
// letter case the drive list reports ("c:"); "C:" from the start of
// InitializeForm until the first drive change. Written only by
// InitializeForm and drvLocal_Change.
extern std::string LastValidDrive;

// Selects drive C: and a folder on it, shows the installation folder and the
// backup location, all on the still hidden window. Fails (to the top-level
// report) when drive C: cannot be selected or opened.
void InitializeForm();

// true: the idle state (default pointer, the three buttons enabled); false:
// the busy state (hourglass, the three buttons disabled). The check box and
// both lists stay enabled in either state.
void EnableControls(bool enabled);

}  // namespace bt
