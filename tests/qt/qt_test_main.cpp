// The Qt tests run on the offscreen platform with the program's own style,
// whatever the environment says, so that they never need a display.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Windows"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
