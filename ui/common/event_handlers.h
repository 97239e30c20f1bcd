// The handlers a program registered on a window's controls, one for each
// control and event, and how an event runs them.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "platform/window_system.h"

namespace bt {

class EventHandlers {
 public:
  // Replaces the handler of the pair; an empty function removes it.
  void Set(const std::string& control, ControlEvent event, std::function<void()> handler);
  bool Has(const std::string& control, ControlEvent event) const;

  // Runs the pair's handler, if there is one, to its end; what it throws
  // goes on to the caller. The handler may replace or remove itself while
  // it runs: the one that was registered when the event came still runs.
  void Raise(const std::string& control, ControlEvent event) const;

 private:
  std::map<std::pair<std::string, ControlEvent>, std::function<void()>> handlers_;
};

}  // namespace bt
