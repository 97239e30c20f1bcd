// Which Wine prefix the Linux program works in, chosen as the program
// chooses it: by the installation lookup over each prefix's real system.reg,
// in a home folder laid out as the prefix managers lay it out.
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "install/install_setting.h"
#include "platform/linux/wine/wine_prefixes.h"
#include "platform/linux/wine/wine_registry.h"
#include "tests/unit/registry/registry_files.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

class PrefixChoice : public ::testing::Test {
 protected:
  // A prefix at home/relative whose system.reg is a copy of the fixture
  // (none when empty), written `age` before now.
  std::string Prefix(const std::string& relative, const std::string& fixture,
                     std::chrono::seconds age = std::chrono::seconds(0)) {
    const fs::path prefix = fs::path(home_) / relative;
    fs::create_directories(prefix);
    if (!fixture.empty()) {
      fs::copy_file(test::Fixture(fixture), prefix / "system.reg", fs::copy_options::overwrite_existing);
      fs::last_write_time(prefix / "system.reg", fs::file_time_type::clock::now() - age);
    }
    return prefix.string();
  }

  WinePrefixChoice Choose() {
    const EnvironmentReader environment = [this](const char* name) -> const char* {
      const auto found = variables_.find(name);
      return found == variables_.end() ? nullptr : found->second.c_str();
    };
    return ChooseWinePrefix(environment, [](const std::string& prefix) {
      return !GetInstallSetting(*MakeWineRegistry(prefix + "/system.reg"), "Path").empty();
    });
  }

  test::TempFolder folder_;
  std::string home_ = folder_.Path("home");
  std::map<std::string, std::string> variables_{{"HOME", home_}};
};

TEST_F(PrefixChoice, WineprefixIsTheOnlyPrefixWhenSetAndTheHomePrefixTheDefault) {
  const std::string bottle = Prefix(".local/share/bottles/bottles/Loja", "both-views.reg");
  const std::string chosen = Prefix("outro", "other-version-only.reg");
  variables_["WINEPREFIX"] = chosen;
  EXPECT_EQ(Choose().prefix, chosen);  // even without the installation, as Wine itself would

  variables_["WINEPREFIX"] = "";  // set but empty counts as unset
  EXPECT_EQ(Choose().prefix, bottle);

  fs::remove_all(bottle);
  Prefix(".wine", "key-without-path.reg");
  EXPECT_EQ(Choose().prefix, home_ + "/.wine");  // nobody holds it: where a new user's would be
  EXPECT_EQ(Choose().reason, "");
}

TEST_F(PrefixChoice, EachManagersPrefixesAreFoundWhenTheyAloneHoldTheInstallation) {
  Prefix(".wine", "");  // an empty one beside them, as Wine leaves it after a first start
  Prefix(".local/share/bottles/bottles/Outro", "other-version-only.reg");
  Prefix(".local/share/bottles/bottles/Vazio", "key-without-path.reg");
  for (const char* place : {".var/app/com.usebottles.bottles/data/bottles/bottles/Loja",
                                   ".PlayOnLinux/wineprefix/Tarvel", ".local/share/wineprefixes/tarvel",
                                   ".cxoffice/Tarvel", "Games/tarvel-2"}) {
    const std::string prefix = Prefix(place, "full-system.reg");
    const WinePrefixChoice choice = Choose();
    EXPECT_EQ(choice.prefix, prefix) << place;
    EXPECT_EQ(choice.reason, "") << place;
    fs::remove_all(prefix);
  }
}

TEST_F(PrefixChoice, LutrisGamesNameTheirPrefixInTheirSettings) {
  const std::string prefix = Prefix("Jogos/Tarvel Vendas", "sz.reg");
  fs::create_directories(home_ + "/.config/lutris/games");
  folder_.Write("home/.config/lutris/games/outro-1.yml", "game:\n  exe: jogo.exe\nwine:\n  version: x\n");
  folder_.Write("home/.config/lutris/games/tarvel-2.yml",
                "game:\n  exe: C:/Tarvel/tarvel.exe\n  prefix: '~/Jogos/Tarvel Vendas'\nsystem: {}\n");
  EXPECT_EQ(Choose().prefix, prefix);

  // Newer versions keep the settings in the data folder, paths quoted or not.
  fs::remove_all(home_ + "/.config/lutris");
  variables_["XDG_DATA_HOME"] = home_ + "/dados";
  fs::create_directories(home_ + "/dados/lutris/games");
  folder_.Write("home/dados/lutris/games/tarvel.yml", "game:\n  prefix: \"" + prefix + "\"\n");
  EXPECT_EQ(Choose().prefix, prefix);
}

TEST_F(PrefixChoice, OfSeveralHoldingItTheOneWhoseRegistryWasWrittenLastIsUsedAndLogged) {
  const std::string old = Prefix(".local/share/bottles/bottles/Antigo", "both-views.reg", std::chrono::hours(48));
  const std::string recent = Prefix(".PlayOnLinux/wineprefix/Tarvel", "full-system.reg", std::chrono::hours(1));
  const std::string older = Prefix(".cxoffice/Tarvel", "sz.reg", std::chrono::hours(72));
  const WinePrefixChoice choice = Choose();
  EXPECT_EQ(choice.prefix, recent);
  EXPECT_NE(choice.reason.find("3 Wine prefixes"), std::string::npos) << choice.reason;
  EXPECT_NE(choice.reason.find("using " + recent), std::string::npos) << choice.reason;
  EXPECT_NE(choice.reason.find(old), std::string::npos) << choice.reason;
  EXPECT_NE(choice.reason.find(older), std::string::npos) << choice.reason;
}

TEST_F(PrefixChoice, APrefixReachedTwiceIsLookedAtOnce) {
  const std::string bottle = Prefix(".local/share/bottles/bottles/Loja", "both-views.reg");
  fs::create_directories(home_ + "/Games");
  fs::create_directory_symlink(bottle, home_ + "/Games/loja");
  const std::vector<std::string> known = KnownWinePrefixes([this](const char* name) -> const char* {
    return std::string(name) == "HOME" ? home_.c_str() : nullptr;
  });
  EXPECT_EQ(std::count(known.begin(), known.end(), bottle), 1);
  EXPECT_EQ(std::count(known.begin(), known.end(), home_ + "/Games/loja"), 0);
  // One prefix by two names is not two prefixes holding the installation.
  EXPECT_EQ(Choose().reason, "");
}

TEST_F(PrefixChoice, PrefixesThatCannotBeReadArePassedOver) {
  const std::string garbage = Prefix(".local/share/bottles/bottles/A", "");
  folder_.Write("home/.local/share/bottles/bottles/A/system.reg", std::string("\xff\xfe\0[Software", 12));
  const std::string folderNotFile = Prefix(".local/share/bottles/bottles/B", "");
  fs::create_directory(folderNotFile + "/system.reg");
  const std::string cut = Prefix(".local/share/bottles/bottles/C", "");
  folder_.Write("home/.local/share/bottles/bottles/C/system.reg",
                test::kWin64Header + "[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1\n\"Path\"=\"C:\\\\Tar");
  fs::create_directories(home_ + "/.PlayOnLinux");
  fs::create_symlink(home_ + "/nowhere", home_ + "/.PlayOnLinux/wineprefix");  // a dangling link
  const std::string good = Prefix(".cxoffice/Tarvel", "sz.reg");
  EXPECT_EQ(Choose().prefix, good);
}

}  // namespace
}  // namespace bt
