// One window per user and Wine prefix. The first program started holds the
// place's lock (platform/linux/instance_place.h) for its whole life and
// listens on the place's socket; a later start finds the lock held, tells
// the first program through the socket to bring its window forward, and
// ends. Needs a QApplication that outlives it.
#pragma once

#include <chrono>
#include <memory>

#include <QLocalServer>
#include <QPointer>
#include <QWidget>

#include "platform/linux/instance_place.h"

namespace bt {

class SingleWindow final {
 public:
  explicit SingleWindow(InstancePlace place);
  ~SingleWindow();
  SingleWindow(const SingleWindow&) = delete;
  SingleWindow& operator=(const SingleWindow&) = delete;

  // True when this program is the first (or when the place cannot be
  // locked at all): it opens its window and listens for later starts. False
  // when another program is the first and has been asked to come forward;
  // this one then ends, with status 0. Two starts at the same moment: one
  // is the first. A first program that holds the lock but is not listening
  // yet is waited for, up to `patience`.
  bool Claim(std::chrono::milliseconds patience = std::chrono::seconds(5));

  // The window that a later start brings forward (BringForward), once it is
  // shown; a start before that changes nothing, as the window comes up on
  // its own.
  void ForwardTo(QWidget* window) { window_ = window; }

 private:
  void Listen();

  InstancePlace place_;
  InstanceLock lock_;
  std::unique_ptr<QLocalServer> server_;
  QPointer<QWidget> window_;
};

// Brings the main window forward: restored if minimised, raised, and
// activated, or the message box it shows activated in its stead.
void BringForward(QWidget& window);

}  // namespace bt
