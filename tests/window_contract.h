// What every real window backend does with a design it is given, checked by
// the Qt and the Win32 tests alike.
#pragma once

#include <gtest/gtest.h>

#include "app/frm_backup_design.h"
#include "platform/error.h"
#include "platform/window_system.h"

namespace bt::window_contract {

// The main window's design with a frame inside one of its frames, which no
// backend can show.
inline WindowDesign DesignWithAFrameInsideAFrame() {
  WindowDesign design = FrmBackupDesign();
  ControlDesign inner = design.controls.front();
  inner.name = "fraDentro";
  inner.kind = ControlKind::Frame;
  inner.parent = "fraLocal";
  design.controls.push_back(inner);
  return design;
}

// The backend refuses that design as an invalid call.
inline void ExpectAFrameInsideAFrameRefused(WindowSystem& windows) {
  try {
    windows.CreateMainWindow(DesignWithAFrameInsideAFrame());
    FAIL() << "a frame inside a frame was accepted";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), kErrInvalidCall);
  }
}

}  // namespace bt::window_contract
