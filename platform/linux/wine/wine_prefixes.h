// Which Wine prefix the program works in. People run Tarvel 2.0 in prefixes
// that managers made (Bottles, PlayOnLinux, winetricks, CrossOver, Lutris)
// and start this program from the menu, where no WINEPREFIX is set, so the
// prefixes those managers keep are looked through for the one that holds
// the installation.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bt {

// Reads one environment variable; nullptr when it is not set.
using EnvironmentReader = std::function<const char*(const char*)>;

// The home folder: $HOME, else the account's.
std::string HomeFolder(const EnvironmentReader& environment);

// Every prefix to look in, in the order they are looked at, each once:
// ~/.wine; each folder in Bottles' bottles (its own and the Flatpak's);
// PlayOnLinux's wineprefix/*; winetricks' wineprefixes/*; CrossOver's
// ~/.cxoffice/*; the prefix of each Lutris game (its games/*.yml) and
// ~/Games/*. Folders of one place in name order. $WINEPREFIX is not among
// them: when set, it is the only prefix.
std::vector<std::string> KnownWinePrefixes(const EnvironmentReader& environment);

struct WinePrefixChoice {
  std::string prefix;
  // Why this one, in English for the developers' log; empty when there was
  // no choice to explain (WINEPREFIX set, or one prefix alone held it).
  std::string reason;
};

// $WINEPREFIX when set and not empty, alone, as Wine itself uses it.
// Otherwise the known prefix that holds the installation (asked of
// holdsInstallation, which must not throw for a prefix that cannot be
// read); when several do, the one whose system.reg was written last, Wine
// writing it whenever a program of that prefix changes the registry; when
// none does, ~/.wine, where a new Wine user's installation would go.
WinePrefixChoice ChooseWinePrefix(const EnvironmentReader& environment,
                                  const std::function<bool(const std::string& prefix)>& holdsInstallation);

}  // namespace bt
