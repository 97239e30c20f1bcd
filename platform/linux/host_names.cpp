#include "platform/linux/host_names.h"

#include <string_view>

#include "platform/utf8.h"

namespace bt {
namespace {

constexpr char32_t kCarrierBase = 0xF000;

bool ForbiddenInWindowsName(unsigned char byte) {
  static constexpr std::string_view kForbidden = "\\:*?\"<>|";
  return (byte >= 1 && byte <= 31) || kForbidden.find(static_cast<char>(byte)) != std::string_view::npos;
}

bool IsCarrier(char32_t value) { return value >= kCarrierBase && value <= kCarrierBase + 0xFF; }

void AppendCarried(std::string& out, unsigned char byte) { AppendUtf8(out, kCarrierBase + byte); }

}  // namespace

std::string HostNameToWindows(std::string_view hostName) {
  if (hostName == "." || hostName == "..") return std::string(hostName);
  std::string out;
  out.reserve(hostName.size());
  std::size_t pos = 0;
  while (pos < hostName.size()) {
    const unsigned char byte = static_cast<unsigned char>(hostName[pos]);
    const bool last = pos + 1 == hostName.size();
    if (byte < 0x80) {
      if (ForbiddenInWindowsName(byte) || (last && (byte == '.' || byte == ' '))) {
        AppendCarried(out, byte);
      } else {
        out += static_cast<char>(byte);
      }
      ++pos;
      continue;
    }
    const Utf8Char ch = DecodeUtf8At(hostName, pos);
    if (ch.length == 0) {
      AppendCarried(out, byte);
      ++pos;
    } else if (IsCarrier(ch.value)) {
      for (std::size_t i = 0; i < ch.length; ++i) {
        AppendCarried(out, static_cast<unsigned char>(hostName[pos + i]));
      }
      pos += ch.length;
    } else {
      out.append(hostName.substr(pos, ch.length));
      pos += ch.length;
    }
  }
  return out;
}

std::string WindowsNameToHost(std::string_view windowsName) {
  std::string out;
  out.reserve(windowsName.size());
  std::size_t pos = 0;
  while (pos < windowsName.size()) {
    const Utf8Char ch = DecodeUtf8At(windowsName, pos);
    if (ch.length == 0) {
      out += windowsName[pos++];
    } else if (IsCarrier(ch.value)) {
      out += static_cast<char>(ch.value - kCarrierBase);
      pos += ch.length;
    } else {
      out.append(windowsName.substr(pos, ch.length));
      pos += ch.length;
    }
  }
  return out;
}

bool IsUsableHostName(std::string_view hostName) {
  return !hostName.empty() && hostName != "." && hostName != ".." &&
         hostName.find('/') == std::string_view::npos &&
         hostName.find('\0') == std::string_view::npos;
}

}  // namespace bt
