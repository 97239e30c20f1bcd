#include "app/operation_history.h"

namespace bt {
namespace {

// One line, whatever the texts held.
std::string Flattened(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

LocalDateTime StartTime(Clock& clock) {
  try {
    return clock.Now();
  } catch (...) {
    return {};
  }
}

std::string HistoryLine(const HistoryEntry& entry) {
  // The logs' own stamp, which ends with its blank.
  return LogLineStamp(entry.started) + "| " + entry.operation + " | " + entry.by + " | " +
         Flattened(entry.location) + " | " + Flattened(entry.set.empty() ? "-" : entry.set) + " | " +
         Flattened(entry.outcome);
}

std::string FailureOutcome(const ReportedFailure& failure) {
  std::string outcome = "erro " + std::to_string(failure.number) + " (" + failure.description + ")";
  if (!failure.detail.empty()) outcome += ": " + failure.detail;
  return outcome;
}

bool RecordInHistory(HistoryLog* history, DeveloperLog* log, const HistoryEntry& entry) {
  if (history == nullptr) return true;
  try {
    const std::string line = HistoryLine(entry);
    if (history->Append(line)) return true;
    if (log != nullptr) log->Append("the history line could not be written to " + history->Place() + ": " + line);
  } catch (...) {
  }
  return false;
}

}  // namespace bt
