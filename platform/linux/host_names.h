// Host file names inside Windows path texts.
//
// A Linux name may hold bytes that a Windows name cannot: "\" : * ? " < > |,
// control characters 1-31, a trailing dot or space, bytes that are not valid
// UTF-8. Each such byte b travels as the private-use character U+F000+b
// (encoded in UTF-8), so that a tree copy reproduces every host name byte for
// byte. A host name that already holds a character of U+F000..U+F0FF has that
// character's bytes carried the same way, which keeps the mapping reversible.
#pragma once

#include <string>
#include <string_view>

namespace bt {

// The Windows form of one host name ("." and ".." are passed through).
std::string HostNameToWindows(std::string_view hostName);

// The host bytes of one Windows name: U+F000..U+F0FF turn back into the byte
// they carry, everything else is kept.
std::string WindowsNameToHost(std::string_view windowsName);

// False for what cannot be one host name: empty, "." or "..", or holding "/"
// or NUL. A Windows name can produce these only through the carrier
// characters (U+F02F, U+F02E U+F02E, ...), and they must never let a path
// climb out of its drive.
bool IsUsableHostName(std::string_view hostName);

}  // namespace bt
