#include "testing/open_for_writing.h"

#include "testing/file_holder.h"

namespace bt::doubles {

struct OpenForWriting::Holder {
  FileHolder holder;
};

OpenForWriting::OpenForWriting(const std::string& hostPath)
    : holder_(new Holder{FileHolder(hostPath, O_RDWR)}) {}

OpenForWriting::~OpenForWriting() = default;

}  // namespace bt::doubles
