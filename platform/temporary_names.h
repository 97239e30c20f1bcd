// The names of the temporary files a copy writes before it renames them into
// place: ".BackupTarvel-XXXXXX.tmp", six letters or digits. The leading dot
// hides them from Linux tools; listings leave them out altogether.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace bt {

std::string TemporaryCopyName(std::uint64_t random);
bool IsTemporaryCopyName(std::string_view name);

}  // namespace bt
