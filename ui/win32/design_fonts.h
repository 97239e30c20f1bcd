// The fonts of the design table as Windows fonts at a dpi.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <type_traits>

#include "platform/window_system.h"

namespace bt {

struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// The design's font (nullopt: the window's default, "MS Sans Serif" 8.25 pt)
// at dpi, never italic, underlined or struck out, character set 0.
// "MS Sans Serif" is a bitmap face on Windows that only comes in the sizes
// of 96 and 120 dpi; "Microsoft Sans Serif", its TrueType successor with the
// same widths, takes its place where the system has it, so that the text
// scales at any dpi.
UniqueFont MakeDesignFont(const std::optional<FontDesign>& font, UINT dpi);

// A font of the desktop's (the message font), as it is.
UniqueFont MakeFont(const LOGFONTW& font);

}  // namespace bt
