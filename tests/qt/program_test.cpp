// What the program needs before and around its window: a display to open it
// on, and its icon.
#include <map>

#include <QImage>

#include "programs/linux/display_check.h"
#include "ui/qt/program_icon.h"
#include "tests/qt/qt_fixture.h"

namespace bt {
namespace {

std::optional<std::string> ReasonWith(const std::map<std::string, std::string>& variables) {
  return NoDisplayReason([&](const char* name) -> const char* {
    auto found = variables.find(name);
    return found == variables.end() ? nullptr : found->second.c_str();
  });
}

TEST(DisplayCheck, WithoutAnyDisplayTheProgramSaysSoInOneLine) {
  const std::optional<std::string> reason = ReasonWith({{"DISPLAY", ""}});
  ASSERT_TRUE(reason.has_value());
  EXPECT_EQ(reason->find('\n'), std::string::npos);
  EXPECT_NE(reason->find("DISPLAY"), std::string::npos);
  EXPECT_EQ(reason->rfind("BackupTarvel:", 0), 0u);
}

TEST(DisplayCheck, AnX11OrWaylandDisplayOrAChosenQtPlatformWillDo) {
  EXPECT_FALSE(ReasonWith({{"DISPLAY", ":0"}}).has_value());
  EXPECT_FALSE(ReasonWith({{"WAYLAND_DISPLAY", "wayland-0"}}).has_value());
  EXPECT_FALSE(ReasonWith({{"QT_QPA_PLATFORM", "offscreen"}}).has_value());
}

TEST(ProgramIcon, IsTheProgramsOwn32By32SixteenColourPicture) {
  const QImage fromResource = ProgramIcon().pixmap(32, 32).toImage();
  ASSERT_FALSE(fromResource.isNull());
  EXPECT_EQ(fromResource.size(), QSize(32, 32));

  const QImage png(QStringLiteral(BT_SOURCE_DIR "/assets/backuptarvel.png"));
  const QImage ico(QStringLiteral(BT_SOURCE_DIR "/assets/backuptarvel.ico"));
  ASSERT_EQ(png.size(), QSize(32, 32));
  ASSERT_EQ(ico.size(), QSize(32, 32)) << "the .ico must be readable as an icon file";
  QSet<QRgb> colours;
  int transparent = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const QRgb p = png.pixel(x, y), i = ico.pixel(x, y);
      EXPECT_EQ(qAlpha(p), qAlpha(i)) << x << "," << y;
      if (qAlpha(p) == 0) {
        ++transparent;
        continue;
      }
      EXPECT_EQ(p, i) << x << "," << y << ": the two files hold the same picture";
      colours.insert(p);
    }
  }
  EXPECT_LE(colours.size(), 16);
  EXPECT_GT(colours.size(), 3) << "a picture, not a blank";
  EXPECT_GT(transparent, 0) << "the corners show the desktop through";
}

}  // namespace
}  // namespace bt
