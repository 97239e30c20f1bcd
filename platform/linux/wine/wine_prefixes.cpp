#include "platform/linux/wine/wine_prefixes.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

namespace bt {
namespace {

std::string Variable(const EnvironmentReader& environment, const char* name) {
  const char* value = environment(name);
  return value != nullptr ? value : "";
}

// $name when set to an absolute path, else home + fallback, as the XDG
// folders are found.
std::string XdgFolder(const EnvironmentReader& environment, const char* name, const std::string& home,
                      const char* fallback) {
  const std::string value = Variable(environment, name);
  if (!value.empty() && value.front() == '/') return value;
  return home + fallback;
}

// The folders in folder, in name order; none when it cannot be read.
std::vector<std::string> FoldersIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info{};
    if (stat((folder + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) names.push_back(name);
  }
  closedir(listing);
  std::sort(names.begin(), names.end());
  for (std::string& name : names) name = folder + "/" + name;
  return names;
}

std::vector<std::string> FilesEndingIn(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> names;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      names.push_back(folder + "/" + name);
    }
  }
  closedir(listing);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The "prefix:" of a Lutris game's settings (a YAML file of which only this
// one plain key matters here): quotes taken off, a leading "~" made the home
// folder. Empty when there is none.
std::string LutrisGamePrefix(const std::string& file, const std::string& home) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    const std::string text = Trimmed(line);
    if (text.rfind("prefix:", 0) != 0) continue;
    std::string value = Trimmed(text.substr(7));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    if (value == "~" || value.rfind("~/", 0) == 0) value = home + value.substr(1);
    if (!value.empty() && value.front() == '/') return value;
  }
  return {};
}

// The time system.reg was last written; 0 when it cannot be seen.
long long RegistryWrittenAt(const std::string& prefix) {
  struct stat info{};
  if (stat((prefix + "/system.reg").c_str(), &info) != 0) return 0;
  return static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
}

// The same folder reached by two names (a link, a trailing "/") is one
// prefix: its real path, or the name itself when that cannot be had.
std::string RealPathOf(const std::string& path) {
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;
}

}  // namespace

std::string HomeFolder(const EnvironmentReader& environment) {
  if (std::string home = Variable(environment, "HOME"); !home.empty()) return home;
  if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) return user->pw_dir;
  return {};
}

std::vector<std::string> KnownWinePrefixes(const EnvironmentReader& environment) {
  const std::string home = HomeFolder(environment);
  const std::string data = XdgFolder(environment, "XDG_DATA_HOME", home, "/.local/share");
  const std::string config = XdgFolder(environment, "XDG_CONFIG_HOME", home, "/.config");
  const std::string lutrisFlatpak = home + "/.var/app/net.lutris.Lutris";

  std::vector<std::string> found{home + "/.wine"};
  const auto add = [&found](const std::vector<std::string>& more) { found.insert(found.end(), more.begin(), more.end()); };
  add(FoldersIn(data + "/bottles/bottles"));
  add(FoldersIn(home + "/.var/app/com.usebottles.bottles/data/bottles/bottles"));
  add(FoldersIn(home + "/.PlayOnLinux/wineprefix"));
  add(FoldersIn(data + "/wineprefixes"));
  add(FoldersIn(home + "/.cxoffice"));
  // Lutris keeps its games' settings in its configuration folder, newer
  // versions in its data folder.
  for (const std::string& games : {config + "/lutris/games", data + "/lutris/games",
                                   lutrisFlatpak + "/config/lutris/games", lutrisFlatpak + "/data/lutris/games"}) {
    for (const std::string& file : FilesEndingIn(games, ".yml")) {
      if (std::string prefix = LutrisGamePrefix(file, home); !prefix.empty()) found.push_back(prefix);
    }
  }
  add(FoldersIn(home + "/Games"));

  std::vector<std::string> prefixes;
  std::set<std::string> seen;
  for (std::string& prefix : found) {
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    if (seen.insert(RealPathOf(prefix)).second) prefixes.push_back(prefix);
  }
  return prefixes;
}

WinePrefixChoice ChooseWinePrefix(const EnvironmentReader& environment,
                                  const std::function<bool(const std::string& prefix)>& holdsInstallation) {
  if (std::string prefix = Variable(environment, "WINEPREFIX"); !prefix.empty()) return {prefix, {}};

  const std::vector<std::string> known = KnownWinePrefixes(environment);
  std::vector<std::string> holding;
  for (const std::string& prefix : known) {
    if (holdsInstallation(prefix)) holding.push_back(prefix);
  }
  if (holding.empty()) return {known.front(), {}};
  if (holding.size() == 1) return {holding.front(), {}};

  // The first of those written last: an earlier place wins a tie.
  std::string chosen = holding.front();
  long long newest = RegistryWrittenAt(chosen);
  std::ostringstream others;
  for (std::size_t i = 1; i < holding.size(); ++i) {
    if (const long long written = RegistryWrittenAt(holding[i]); written > newest) {
      newest = written;
      chosen = holding[i];
    }
  }
  for (const std::string& prefix : holding) {
    if (prefix != chosen) others << (others.tellp() > 0 ? ", " : "") << prefix;
  }
  return {chosen, "Tarvel 2.0 is installed in " + std::to_string(holding.size()) +
                      " Wine prefixes; using " + chosen + ", whose system.reg was written last (also: " +
                      others.str() + ")"};
}

}  // namespace bt
