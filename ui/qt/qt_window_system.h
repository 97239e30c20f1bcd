// The window system of the program on Qt: windows built from designs,
// message boxes drawn as Windows draws them, and the end of the process.
// Needs a QApplication that outlives it.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "platform/file_system.h"
#include "platform/window_system.h"
#include "ui/common/application_end.h"

namespace bt {

class QtWindowSystem final : public WindowSystem {
 public:
  // The lists of every window read the drives and folders of files, which
  // must outlive the windows. endProcess replaces the real end of the
  // process (for tests); by default the process ends at once.
  explicit QtWindowSystem(FileSystem& files, ProcessEnd endProcess = {});
  // Deletes the widgets of windows that are still open, so that none
  // outlives the QApplication.
  ~QtWindowSystem() override;
  QtWindowSystem(const QtWindowSystem&) = delete;
  QtWindowSystem& operator=(const QtWindowSystem&) = delete;

  std::unique_ptr<Window> CreateMainWindow(const WindowDesign& design) override;

  // Repaints and answers the desktop, and throws away the user's input that
  // arrived meanwhile (keys, clicks, wheel, a request to close a window);
  // at most once in kResponsiveEvery, since a tree copy calls it per file and
  // the desktop wants far less.
  void KeepResponsive() override;
  static constexpr std::chrono::milliseconds kResponsiveEvery{15};

  // Shown over the window made last while it is visible, else centred on the
  // screen.
  MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                            MessageIcon icon, MessageButtons buttons) override;

  // Ends the process at once (EndProcess).
  void EndApplication(int exitStatus) override;

 private:
  FileSystem& files_;
  ProcessEnd endProcess_;
  std::vector<QPointer<QWidget>> windows_;
  std::chrono::steady_clock::time_point keptResponsive_{};
};

}  // namespace bt
