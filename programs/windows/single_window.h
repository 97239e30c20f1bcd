// One window per user session on Windows (per Wine prefix under Wine): the
// first program holds the mutex "Local\BackupTarvel-window" for its whole
// life; a later start brings the first program's window forward and ends.
#pragma once

#include <chrono>

namespace bt {

// True when this program is the first (or when the mutex cannot be made
// at all): it opens its window. False when another program is the first:
// its window, once shown, has been brought forward (restored if minimised,
// raised, activated, or its open message box in its stead), and this one
// ends with status 0. Windows lets the program the user has just started
// make another one's window the foreground window. Two starts at the same
// moment: one is the first. A first program whose window is not shown yet
// is waited for, up to `patience`.
bool ClaimFirstWindow(std::chrono::milliseconds patience = std::chrono::seconds(5));

}  // namespace bt
