// The installation folder as the lookup answers it from each system.reg
// that Wine wrote, and from prefixes without a usable file.
#include <cctype>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "install/install_setting.h"
#include "platform/linux/wine/wine_registry.h"

namespace bt {
namespace {

struct Expected {
  const char* file;
  const char* answer;
};

void PrintTo(const Expected& e, std::ostream* out) { *out << e.file; }

class InstallFolderFromWine : public ::testing::TestWithParam<Expected> {};

TEST_P(InstallFolderFromWine, AnswersAsTheTableSays) {
  auto registry =
      MakeWineRegistry(std::string(BT_FIXTURES_DIR) + "/wine-registry/" + GetParam().file);
  EXPECT_EQ(GetInstallSetting(*registry, "Path"), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFixture, InstallFolderFromWine,
    ::testing::Values(Expected{"sz.reg", "C:\\Tarvel"},
                      Expected{"sz-trailing-sep.reg", "C:\\Tarvel\\"},
                      Expected{"sz-no-nul.reg", "C:\\Tarvel"},
                      Expected{"sz-inner-nul.reg", "C:\\Tar"},
                      Expected{"sz-empty-zero-bytes.reg", ""},
                      Expected{"sz-empty-nul.reg", ""},
                      Expected{"sz-cp1252.reg",
                               "C:\\Arquivos de Programas\\Aplica\xc3\xa7\xc3\xa3o Tarvel"},
                      Expected{"dword-42.reg", "42"},
                      Expected{"dword-all-ones.reg", "-1"},
                      Expected{"dword-8-bytes.reg", ""},
                      Expected{"expand-sz.reg", ""},
                      Expected{"multi-sz.reg", ""},
                      Expected{"binary.reg", ""},
                      Expected{"key-without-path.reg", ""},
                      Expected{"other-version-only.reg", ""},
                      Expected{"native-view-only.reg", "C:\\Tarvel"},
                      Expected{"both-views.reg", "C:\\Tarvel"},
                      Expected{"full-system.reg", "C:\\Tarvel"}),
    [](const ::testing::TestParamInfo<Expected>& info) {
      std::string name = info.param.file;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST(InstallFolderFromWinePrefix, PrefixWithoutSystemRegGivesEmptyText) {
  auto registry = MakeWineRegistry(std::string(BT_FIXTURES_DIR) + "/wine-registry/no-such.reg");
  EXPECT_EQ(GetInstallSetting(*registry, "Path"), "");
}

TEST(InstallFolderFromWinePrefix, SystemRegThatIsAFolderGivesEmptyText) {
  auto registry = MakeWineRegistry(std::string(BT_FIXTURES_DIR) + "/wine-registry");
  EXPECT_EQ(GetInstallSetting(*registry, "Path"), "");
}

TEST(InstallFolderFromWinePrefix, OtherValueNamesOfTheKeyAreReadToo) {
  auto registry = MakeWineRegistry(std::string(BT_FIXTURES_DIR) + "/wine-registry/key-without-path.reg");
  EXPECT_EQ(GetInstallSetting(*registry, "Other"), "x");
  EXPECT_EQ(GetInstallSetting(*registry, "OTHER"), "x") << "value names ignore letter case";
}

}  // namespace
}  // namespace bt
