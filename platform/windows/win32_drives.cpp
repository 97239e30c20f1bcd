#include "platform/windows/win32_drives.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace bt {
namespace {

bool IsFloppy(wchar_t letter) {
  const wchar_t device[] = {letter, L':', L'\0'};
  wchar_t target[MAX_PATH] = {};
  if (::QueryDosDeviceW(device, target, MAX_PATH) == 0) return false;
  return std::wstring_view(target).find(L"\\Floppy") != std::wstring_view::npos;
}

std::string HintOf(wchar_t letter) {
  const wchar_t root[] = {letter, L':', L'\\', L'\0'};
  switch (::GetDriveTypeW(root)) {
    case DRIVE_REMOVABLE: return IsFloppy(letter) ? "Disquete" : "Disco removível";
    case DRIVE_REMOTE: return "Unidade de rede";
    case DRIVE_CDROM: return "CD/DVD";
    case DRIVE_RAMDISK: return "Disco de RAM";
    case DRIVE_FIXED: {
      wchar_t label[MAX_PATH + 1] = {};
      if (::GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
          label[0] != L'\0') {
        return "Disco local: " + WideToUtf8(label, LoneSurrogates::kReplace);
      }
      return "Disco local";
    }
    default: return {};
  }
}

}  // namespace

std::vector<DriveInfo> MachineDrives() {
  std::vector<DriveInfo> drives;
  const DWORD mask = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((mask & (DWORD{1} << i)) == 0) continue;
    drives.push_back({static_cast<char>('A' + i), HintOf(static_cast<wchar_t>(L'A' + i))});
  }
  return drives;
}

}  // namespace bt
