// The fonts of the design table on this machine. "MS Sans Serif" is rarely
// installed outside Windows; a sans-serif of close width stands in for it so
// that the design's texts fit the sizes the table gives them.
#pragma once

#include <optional>

#include <QFont>

#include "platform/window_system.h"

namespace bt {

// The font a control of the design gets: its own when the table gives one,
// else the window's default, "MS Sans Serif" 8.25 pt regular. Never italic,
// underlined or struck out.
QFont DesignFont(const std::optional<FontDesign>& font);

// Makes "MS Sans Serif" resolve to the closest face installed. Idempotent;
// DesignFont calls it.
void InstallFontSubstitutes();

}  // namespace bt
