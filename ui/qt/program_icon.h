// The program's own 32 x 32, 16-colour icon (assets/backuptarvel.png),
// compiled into the program as a Qt resource.
#pragma once

#include <QIcon>

namespace bt {

QIcon ProgramIcon();

}  // namespace bt
