#include "ui/common/event_handlers.h"

namespace bt {

void EventHandlers::Set(const std::string& control, ControlEvent event,
                        std::function<void()> handler) {
  handlers_[{control, event}] = std::move(handler);
}

bool EventHandlers::Has(const std::string& control, ControlEvent event) const {
  auto found = handlers_.find({control, event});
  return found != handlers_.end() && static_cast<bool>(found->second);
}

void EventHandlers::Raise(const std::string& control, ControlEvent event) const {
  auto found = handlers_.find({control, event});
  if (found == handlers_.end() || !found->second) return;
  const std::function<void()> handler = found->second;
  handler();
}

}  // namespace bt
