// One window per user and Wine prefix: a later start of the program finds
// the first one, asks it to come forward and is told to end; the first
// brings its window forward, restored, raised and active. Two "programs"
// here are two SingleWindow objects over one place, which meet exactly as
// two processes do (each opens the lock file for itself).
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "programs/linux/single_window.h"

namespace bt {
namespace {

using namespace std::chrono_literals;

class SingleWindowTest : public ::testing::Test {
 protected:
  SingleWindowTest() {
    const std::string folder = folder_.path().toStdString();
    place_ = InstancePlace{folder + "/window.lock", folder + "/window.socket"};
    window_.setWindowTitle(QStringLiteral("Aplicativo de Backup do Tarvel 2.0"));
    other_.setWindowTitle(QStringLiteral("Outra janela"));
  }

  // The first program's window, minimised, and another program's window
  // active in front of it.
  void ShowBehindAnother() {
    window_.show();
    window_.showMinimized();
    other_.show();
    other_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other_));
    ASSERT_TRUE(window_.isMinimized());
  }

  bool CameForward() const { return !window_.isMinimized() && window_.isActiveWindow(); }

  QTemporaryDir folder_;
  InstancePlace place_;
  QWidget window_;
  QWidget other_;
};

TEST_F(SingleWindowTest, ALaterStartIsToldToEndAndTheFirstWindowComesForward) {
  SingleWindow first(place_);
  ASSERT_TRUE(first.Claim());
  first.ForwardTo(&window_);
  ShowBehindAnother();

  SingleWindow later(place_);
  EXPECT_FALSE(later.Claim(10s));

  EXPECT_TRUE(QTest::qWaitFor([&] { return CameForward(); }, 10000))
      << "minimised " << window_.isMinimized() << ", active " << window_.isActiveWindow();
}

TEST_F(SingleWindowTest, AnOpenMessageBoxIsWhatComesForwardOverTheWindow) {
  SingleWindow first(place_);
  ASSERT_TRUE(first.Claim());
  first.ForwardTo(&window_);
  window_.show();
  QWidget box(&window_, Qt::Dialog);
  box.setWindowModality(Qt::WindowModal);
  box.show();
  other_.show();
  other_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other_));

  EXPECT_FALSE(SingleWindow(place_).Claim(10s));

  EXPECT_TRUE(QTest::qWaitFor([&] { return box.isActiveWindow(); }, 10000));
}

TEST_F(SingleWindowTest, OnceTheFirstProgramHasEndedTheNextStartIsTheFirst) {
  auto first = std::make_unique<SingleWindow>(place_);
  ASSERT_TRUE(first->Claim());
  first.reset();

  SingleWindow next(place_);
  EXPECT_TRUE(next.Claim());
  next.ForwardTo(&window_);
  ShowBehindAnother();
  EXPECT_FALSE(SingleWindow(place_).Claim(10s));
  EXPECT_TRUE(QTest::qWaitFor([&] { return CameForward(); }, 10000)) << "the new first program does not listen";
}

TEST_F(SingleWindowTest, ASocketLeftByAProgramThatDiedDoesNotStandInTheWay) {
  std::ofstream(place_.socket) << "left over";

  SingleWindow first(place_);
  ASSERT_TRUE(first.Claim());
  first.ForwardTo(&window_);
  ShowBehindAnother();

  EXPECT_FALSE(SingleWindow(place_).Claim(10s));
  EXPECT_TRUE(QTest::qWaitFor([&] { return CameForward(); }, 10000));
}

TEST_F(SingleWindowTest, AFirstProgramNotYetListeningIsWaitedForThenLeftAlone) {
  InstanceLock starting(place_.lockFile);  // a first program still starting
  ASSERT_EQ(starting.TryTake(), InstanceLock::State::kTaken);

  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(SingleWindow(place_).Claim(300ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

}  // namespace
}  // namespace bt
