// The rules of a window's design and controls that every window backend
// keeps, so that the Qt, the Win32 and the headless window accept the same
// designs and refuse the same calls.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace bt {

// What is wrong with a design, in English for the developers; nullopt when
// nothing is. A design names each control once, and a control placed in a
// parent is placed in a frame that sits on the window itself: frames do not
// nest.
std::optional<std::string> DesignFault(const WindowDesign& design);

// DesignFault as the real windows report it: AppError 5 (invalid call) with
// the fault as its host detail. Called before anything is made.
void RequireSoundDesign(const WindowDesign& design);

// Labels, frames, buttons and the check box have a text; the lists have none.
bool HasText(ControlKind kind);

// The lists, the check box and the buttons take the keyboard's focus.
bool TakesFocus(ControlKind kind);

// The controls that take the focus, in the order Tab visits them: by tab
// index, and in design order where two share one. The first one has the
// focus when the window first shows.
std::vector<const ControlDesign*> FocusOrder(const WindowDesign& design);

// kPointerDefault and kPointerHourglass are the pointers a window offers.
bool IsOfferedPointer(int pointer);

}  // namespace bt
