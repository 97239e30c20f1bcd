// bt_tarvel_prefix: prints the Wine prefix the program would work in and
// ends with 0 when its registry names Tarvel 2.0's installation, 1 when no
// prefix holds it (make run then lays a sample installation).
#include <cstdio>

#include "programs/linux/tarvel_prefix.h"

int main() {
  const bt::WinePrefixChoice choice = bt::ProgramWinePrefix();
  std::printf("%s\n", choice.prefix.c_str());
  return bt::HoldsInstallation(choice.prefix) ? 0 : 1;
}
