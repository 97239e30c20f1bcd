// The history of the operations, as its lines read:
//   2024-03-05 02:00:00 | backup | linha de comando | D:\Copias | D:\Copias\20240305_020000 | concluído
// date and time of the start, operation, who ran it (janela or linha de
// comando), location, set, outcome. Fields are separated by " | " and hold
// no line break.
#pragma once

#include <string>

#include "app/error_report.h"
#include "platform/clock.h"
#include "platform/developer_log.h"

namespace bt {

inline constexpr const char* kByWindow = "janela";
inline constexpr const char* kByCommandLine = "linha de comando";

struct HistoryEntry {
  LocalDateTime started;
  std::string operation;  // "backup" or "restauração"
  std::string by;         // kByWindow or kByCommandLine
  std::string location;
  std::string set;        // the set made or read; "" when none
  std::string outcome;    // "concluído", "erro 76 (...): ...", "recusado: ..."
};

// The clock's time; all zeros when it cannot be read (the line still goes).
LocalDateTime StartTime(Clock& clock);

std::string HistoryLine(const HistoryEntry& entry);

// The outcome of a failed run: "erro 76 (Caminho não encontrado): <detail>".
std::string FailureOutcome(const ReportedFailure& failure);

// Appends the entry's line. When it cannot be written the operation's
// outcome stands as it is: the developers' log (if any) is told, and the
// caller learns it from false. Never throws.
bool RecordInHistory(HistoryLog* history, DeveloperLog* log, const HistoryEntry& entry);

}  // namespace bt
