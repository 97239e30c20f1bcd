#include "ui/common/design_rules.h"

#include <algorithm>
#include <map>

#include "platform/error.h"

namespace bt {

std::optional<std::string> DesignFault(const WindowDesign& design) {
  std::map<std::string, const ControlDesign*> byName;
  for (const ControlDesign& row : design.controls) {
    if (!byName.emplace(row.name, &row).second) return "the design names " + row.name + " twice";
  }
  for (const ControlDesign& row : design.controls) {
    if (row.parent.empty()) continue;
    auto parent = byName.find(row.parent);
    if (parent == byName.end() || parent->second->kind != ControlKind::Frame) {
      return row.name + " is placed in " + row.parent + ", which is no frame";
    }
    if (row.kind == ControlKind::Frame) {
      return row.name + " is a frame placed in " + row.parent + ": frames sit on the window";
    }
  }
  return std::nullopt;
}

void RequireSoundDesign(const WindowDesign& design) {
  if (std::optional<std::string> fault = DesignFault(design)) {
    throw AppError(kErrInvalidCall, {}, *fault);
  }
}

bool HasText(ControlKind kind) {
  return kind != ControlKind::DriveList && kind != ControlKind::FolderList;
}

bool TakesFocus(ControlKind kind) {
  return kind == ControlKind::DriveList || kind == ControlKind::FolderList ||
         kind == ControlKind::CheckBox || kind == ControlKind::Button;
}

std::vector<const ControlDesign*> FocusOrder(const WindowDesign& design) {
  std::vector<const ControlDesign*> order;
  for (const ControlDesign& row : design.controls) {
    if (TakesFocus(row.kind)) order.push_back(&row);
  }
  std::stable_sort(order.begin(), order.end(), [](const ControlDesign* a, const ControlDesign* b) {
    return a->tabIndex < b->tabIndex;
  });
  return order;
}

bool IsOfferedPointer(int pointer) {
  return pointer == kPointerDefault || pointer == kPointerHourglass;
}

}  // namespace bt
