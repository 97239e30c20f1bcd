// Whether the program has a screen to open its window on, decided before Qt
// starts: without one, Qt would abort with a message about plugins that does
// not tell the user what is missing.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace bt {

// Reads an environment variable; null when it is not set.
using EnvironmentReader = std::function<const char*(const char*)>;

// nullopt when a window can be shown (QT_QPA_PLATFORM names a platform, or
// DISPLAY or WAYLAND_DISPLAY is set); else the one line to print on stderr.
std::optional<std::string> NoDisplayReason(const EnvironmentReader& environment);

}  // namespace bt
