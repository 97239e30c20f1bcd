#include "testing/copy_step_faults.h"

namespace bt::doubles {

std::string_view NameOf(CopyStep step) {
  switch (step) {
    case CopyStep::Open: return "open";
    case CopyStep::Read: return "read";
    case CopyStep::Write: return "write";
    case CopyStep::Clone: return "clone";
    case CopyStep::CopyRange: return "copy_file_range";
    case CopyStep::Fsync: return "fsync";
    case CopyStep::Rename: return "rename";
    case CopyStep::Close: return "close";
    case CopyStep::Link: return "link";
    case CopyStep::Syncfs: return "syncfs";
    case CopyStep::kCount: break;
  }
  return "?";
}

void CopyStepFaults::FailStep(CopyStep step, int nth, int hostCode, bool persistent) {
  plans_[Index(step)] = Plan{nth, persistent, hostCode, false};
}

void CopyStepFaults::ShortWriteOn(int nth) {
  plans_[Index(CopyStep::Write)] = Plan{nth, false, kHostDiskFull, true};
}

void CopyStepFaults::Heal() {
  plans_ = {};
  diskFilled = false;
}

std::optional<CopyStepFaults::Plan> CopyStepFaults::Step(CopyStep step) {
  ++calls_[Index(step)];
  Plan& plan = plans_[Index(step)];
  if (plan.hostCode == 0) return std::nullopt;
  if (plan.countdown > 1) {
    --plan.countdown;
    return std::nullopt;
  }
  const Plan fired = plan;
  if (!plan.persistent) plan = Plan{};
  fired_ = true;
  return fired;
}

}  // namespace bt::doubles
