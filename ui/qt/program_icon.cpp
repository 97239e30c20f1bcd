#include "ui/qt/program_icon.h"

#include <QString>

namespace bt {

QIcon ProgramIcon() { return QIcon(QStringLiteral(":/bt/backuptarvel.png")); }

}  // namespace bt
