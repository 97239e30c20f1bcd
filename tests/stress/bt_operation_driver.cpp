// Runs one real backup or restore over the Linux file system, answering its
// message boxes by itself, so that a test can kill it at any moment.
//
//   bt_operation_driver backup|restore <C: host folder> <D: host folder>
//                       <installation> <location> [--all]
//
// Prints each box as "box: <title>" on stdout. Exit status: 0 when the
// operation reported success, 2 when it ended with another message, 1 with
// the error number on stderr when a failure reached the top.
#include <cstdio>
#include <cstring>
#include <string>

#include "backup/operations.h"
#include "platform/linux/linux_file_system.h"

namespace {

class AnsweringBoxes final : public bt::MessageBoxes {
 public:
  std::string lastTitle;
  bt::MessageAnswer ShowMessage(const std::string&, const std::string& title, bt::MessageIcon,
                                bt::MessageButtons buttons) override {
    std::printf("box: %s\n", title.c_str());
    std::fflush(stdout);
    lastTitle = title;
    return buttons == bt::MessageButtons::YesNo ? bt::MessageAnswer::Yes : bt::MessageAnswer::Ok;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || (std::strcmp(argv[1], "backup") != 0 && std::strcmp(argv[1], "restore") != 0)) {
    std::fprintf(stderr,
                 "usage: %s backup|restore <C: host folder> <D: host folder> <installation> <location> [--all]\n",
                 argv[0]);
    return 64;
  }
  const bool backup = std::strcmp(argv[1], "backup") == 0;
  const std::string installation = argv[4];
  const std::string location = argv[5];
  const bool includeAll = argc > 6 && std::strcmp(argv[6], "--all") == 0;

  auto files = bt::MakeLinuxFileSystem({{'C', argv[2], argv[2]}, {'D', argv[3], argv[3]}}, "/");
  AnsweringBoxes boxes;
  bt::OperationContext context{*files, bt::SystemClock(), boxes, [&] { return installation; }};
  try {
    if (backup) {
      bt::BackupData(context, location, includeAll);
    } else {
      bt::RestoreData(context, location, includeAll);
    }
  } catch (const bt::AppError& error) {
    std::fprintf(stderr, "error %d: %s\n", error.number(), error.detail().c_str());
    return 1;
  }
  return boxes.lastTitle == "Operação concluída" ? 0 : 2;
}
