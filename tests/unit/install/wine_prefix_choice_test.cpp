// The program's own registry: system.reg of the Wine prefix named by
// $WINEPREFIX.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "install/install_setting.h"
#include "platform/linux/wine/wine_registry.h"
#include "tests/unit/registry/registry_files.h"

namespace bt {
namespace {

// Points $WINEPREFIX at a folder for the test's duration.
class PrefixVariable {
 public:
  explicit PrefixVariable(const std::string& prefix) {
    if (const char* old = std::getenv("WINEPREFIX")) old_ = old;
    setenv("WINEPREFIX", prefix.c_str(), 1);
  }
  ~PrefixVariable() {
    if (old_) {
      setenv("WINEPREFIX", old_->c_str(), 1);
    } else {
      unsetenv("WINEPREFIX");
    }
  }

 private:
  std::optional<std::string> old_;
};

TEST(DefaultPrefix, InstallFolderComesFromTheSystemRegOfWinePrefix) {
  test::TempFolder prefix;
  std::filesystem::copy_file(test::Fixture("both-views.reg"), prefix.Path("system.reg"));
  PrefixVariable variable(prefix.Path(""));
  EXPECT_EQ(GetInstallSetting(*MakeDefaultRegistry(), "Path"), "C:\\Tarvel");
}

TEST(DefaultPrefix, PrefixWithoutSystemRegGivesEmptyText) {
  test::TempFolder prefix;
  PrefixVariable variable(prefix.Path(""));
  EXPECT_EQ(GetInstallSetting(*MakeDefaultRegistry(), "Path"), "");
}

}  // namespace
}  // namespace bt
