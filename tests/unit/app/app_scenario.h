// A whole application on the headless window over temporary drives: the
// fixture of the window scenarios. Each test starts from a fresh application
// state and drops it at the end, before the drives go away.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "app/frm_backup.h"
#include "app/main.h"
#include "app/services.h"
#include "ui/headless/headless_window.h"
#include "testing/memory_registry.h"
#include "testing/temp_drives.h"

namespace bt {

class FixedClock final : public Clock {
 public:
  LocalDateTime Now() override { return {2024, 3, 5, 14, 7, 9}; }
};

class AppScenario : public ::testing::Test {
 protected:
  AppScenario() {
    drives.AddDrive('C');
    drives.AddDrive('D');
  }
  ~AppScenario() override { DropApplication(); }

  // The installation folder the registry holds; nullopt: Tarvel's key
  // without a value "Path".
  void SetInstallPath(const std::optional<std::string>& path) {
    const std::string key = "Software\\KESTAL\\Tarvel\\2.0";
    if (path) {
      registry.SetText(kHkeyLocalMachine, key, "Path", *path);
    } else {
      registry.AddKey(kHkeyLocalMachine, key);
    }
  }

  // Tarvel 2.0 at C:\Tarvel with its database, options file and photos
  // (a Thumbs.db among them, which no copy takes), and an empty C:\Copias.
  void LayInstallation() {
    drives.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco original");
    drives.WriteFile("C:\\Tarvel\\tarvel.ini", "ini original");
    drives.WriteFile("C:\\Tarvel\\Fotos\\a.jpg", "foto a");
    drives.WriteFile("C:\\Tarvel\\Fotos\\2024\\b.jpg", "foto b");
    drives.WriteFile("C:\\Tarvel\\Fotos\\Thumbs.db", "miniaturas");
    drives.MakeFolder("C:\\Copias");
    SetInstallPath("C:\\Tarvel");
  }

  // Makes the file system and the window system of a new process whose
  // drive's current folder is workingFolder ("C:\Copias"; empty: every drive
  // at its root). Answers for start-up's message boxes go in after this.
  void Prepare(const std::string& workingFolder = {}) {
    DropApplication();  // the old window must go before its window system
    files = drives.MakeFileSystem(workingFolder);
    windows = std::make_unique<doubles::HeadlessWindowSystem>(*files);
    services = std::make_unique<Services>(Services{*windows, *files, registry, clock});
  }

  // Runs Main on what Prepare made. Returns the exit status when the
  // application ended during start-up.
  std::optional<int> Launch() {
    try {
      Main(*services);
    } catch (const doubles::ApplicationEnded& ended) {
      return ended.exitStatus;
    }
    return std::nullopt;
  }

  std::optional<int> Start(const std::string& workingFolder = {}) {
    Prepare(workingFolder);
    return Launch();
  }

  doubles::HeadlessWindow& form() {
    if (windows->window() == nullptr) throw doubles::HeadlessMisuse{"no window"};
    return *windows->window();
  }

  // Runs a user action that is expected to end the application; returns
  // its exit status, or nullopt when it did not end.
  template <typename Action>
  std::optional<int> EndsWith(Action action) {
    try {
      action();
    } catch (const doubles::ApplicationEnded& ended) {
      return ended.exitStatus;
    }
    return std::nullopt;
  }

  doubles::TempDrives drives;
  doubles::MemoryRegistry registry;
  FixedClock clock;
  std::unique_ptr<FileSystem> files;
  std::unique_ptr<doubles::HeadlessWindowSystem> windows;
  std::unique_ptr<Services> services;
};

}  // namespace bt
