// A Tarvel installation on temporary drives, a stopped clock and message
// boxes answered from a script, for running the operations directly.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "backup/operations.h"
#include "testing/temp_drives.h"

namespace bt::doubles {

class StoppedClock final : public Clock {
 public:
  LocalDateTime now{2009, 1, 17, 13, 9, 4};
  LocalDateTime Now() override { return now; }
};

struct ShownBox {
  std::string text;
  std::string title;
  MessageIcon icon;
  MessageButtons buttons;
};

// Records every box; answers OK boxes with OK and Yes/No boxes from
// `answers`, failing the test when a Yes/No box was not scripted.
class RecordedBoxes final : public MessageBoxes {
 public:
  std::vector<ShownBox> shown;
  std::deque<MessageAnswer> answers;

  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override {
    shown.push_back({text, title, icon, buttons});
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) {
      ADD_FAILURE() << "unscripted question: " << title;
      return MessageAnswer::No;
    }
    MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class OperationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    files_ = drives_.MakeFileSystem();
  }

  OperationContext Context() {
    return OperationContext{*files_, clock_, boxes_, [this] { return installation_; }};
  }

  // An installation with a database, an options file and a photo tree.
  void MakeInstallation(const std::string& folder = "C:\\Tarvel") {
    drives_.WriteFile(folder + "\\vendrial.mdb", "banco original");
    drives_.WriteFile(folder + "\\tarvel.ini", "[Opcoes]\nLoja=1\n");
    drives_.WriteFile(folder + "\\Fotos\\produto1.jpg", "foto 1");
    drives_.WriteFile(folder + "\\Fotos\\Thumbs.db", "miniaturas");
    drives_.WriteFile(folder + "\\Fotos\\2009\\produto2.jpg", "foto 2");
  }

  bool Exists(const std::string& windowsPath) const {
    return std::filesystem::exists(std::filesystem::symlink_status(drives_.Host(windowsPath)));
  }

  TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
  StoppedClock clock_;
  RecordedBoxes boxes_;
  std::string installation_ = "C:\\Tarvel";
};

}  // namespace bt::doubles
