// The installation lookup over the real registry calls, in the run's
// private Wine prefix: values written by Wine's own reg.exe (or, where
// reg.exe cannot store them, by RegSetValueExW), read back through
// MakeWin32Registry and the lookup's own procedures.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "install/install_setting.h"
#include "platform/windows/win32_registry.h"

namespace bt {
namespace {

const std::string kTestKeys = "Software\\BackupTarvelTestes\\";

// Runs Wine's reg.exe with these arguments; its exit status.
DWORD Reg(const std::wstring& arguments) {
  std::wstring command = L"reg.exe " + arguments + L" /f";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
    return ::GetLastError();
  }
  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return status;
}

// The value "Path" of a test key, stored by reg.exe in the given view.
void Store(const std::string& key, const std::wstring& typeAndData, const wchar_t* view = L"/reg:32") {
  const std::wstring wideKey(key.begin(), key.end());
  ASSERT_EQ(Reg(L"add \"HKLM\\" + wideKey + L"\" /v Path " + typeAndData + L" " + view), 0u) << key;
}

// Raw bytes that reg.exe cannot write, in the 32-bit view.
void StoreBytes(const std::string& key, DWORD type, const std::vector<BYTE>& bytes) {
  HKEY handle = nullptr;
  const std::wstring wideKey(key.begin(), key.end());
  ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, wideKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                              nullptr, &handle, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegSetValueExW(handle, L"Path", 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  ::RegCloseKey(handle);
}

std::vector<BYTE> Utf16Bytes(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
  return std::vector<BYTE>(bytes, bytes + text.size() * sizeof(wchar_t));
}

class Win32Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("BT_PRIVATE_WINE_PREFIX") == nullptr) GTEST_SKIP() << "writes HKLM: only in a private Wine prefix";
  }

  // What the lookup answers for the value "Path" of key.
  std::string Answer(const std::string& key) {
    const std::string text = RegistryValueText(ReadRegistryValue(*registry_, kHkeyLocalMachine, key, "Path"));
    return text.substr(0, text.find('\0'));
  }

  std::unique_ptr<Registry> registry_ = MakeWin32Registry();
};

TEST_F(Win32Registry, TheInstallationIsReadFromThe32BitViewBeforeTheNativeOne) {
  Store("Software\\KESTAL\\Tarvel\\2.0", L"/t REG_SZ /d C:\\Tarvel", L"/reg:32");
  Store("Software\\KESTAL\\Tarvel\\2.0", L"/t REG_SZ /d C:\\Tarvel64", L"/reg:64");
  EXPECT_EQ(GetInstallSetting(*registry_, "Path"), "C:\\Tarvel");
  // The prefix is the run's: the end-to-end tests register their own.
  Reg(L"delete \"HKLM\\Software\\KESTAL\" /reg:32");
  Reg(L"delete \"HKLM\\Software\\KESTAL\" /reg:64");
  EXPECT_EQ(GetInstallSetting(*registry_, "Path"), "");
  Store(kTestKeys + "nativa", L"/t REG_SZ /d C:\\Nativa", L"/reg:64");
  EXPECT_EQ(Answer(kTestKeys + "nativa"), "C:\\Nativa");
  EXPECT_EQ(Answer(kTestKeys + "ausente"), "");
}

TEST_F(Win32Registry, TextsCrossAsUtf8WithTheirSizeAndNumbersAsSigned) {
  Store(kTestKeys + "sz", L"/t REG_SZ /d \"C:\\Arquivos de Programas\\Aplicação Tarvel\\\\\"");
  Store(kTestKeys + "vazio", L"/t REG_SZ /d \"\"");
  Store(kTestKeys + "dword", L"/t REG_DWORD /d 42");
  Store(kTestKeys + "uns", L"/t REG_DWORD /d 0xffffffff");
  EXPECT_EQ(Answer(kTestKeys + "sz"), "C:\\Arquivos de Programas\\Aplicação Tarvel\\");
  EXPECT_EQ(Answer(kTestKeys + "vazio"), "");
  EXPECT_EQ(Answer(kTestKeys + "dword"), "42");
  EXPECT_EQ(Answer(kTestKeys + "uns"), "-1");

  // The size is that of the UTF-8 text with its NUL, as on Linux.
  RegKey key = 0;
  ASSERT_EQ(registry_->RegOpenKeyExA(kHkeyLocalMachine, kTestKeys + "sz", 0, 63, &key), 0);
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  EXPECT_EQ(registry_->RegQueryValueExA(key, "Path", nullptr, &type, nullptr, &size), 0);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, std::string("C:\\Arquivos de Programas\\Aplicação Tarvel\\").size() + 1);
  std::string small(size - 1, '\0');
  std::uint32_t smallSize = size - 1;
  EXPECT_EQ(registry_->RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<std::uint8_t*>(small.data()),
                                        &smallSize),
            kErrorMoreData);
  EXPECT_EQ(registry_->RegCloseKey(key), 0);
  EXPECT_NE(registry_->RegCloseKey(0), 0);
}

TEST_F(Win32Registry, OtherTypesAndMalformedValuesGiveTheEmptyText) {
  Store(kTestKeys + "expand", L"/t REG_EXPAND_SZ /d C:\\Tarvel");
  Store(kTestKeys + "multi", L"/t REG_MULTI_SZ /d C:\\Tarvel");
  Store(kTestKeys + "binario", L"/t REG_BINARY /d 43003a00");
  ASSERT_EQ(Reg(L"add \"HKLM\\Software\\BackupTarvelTestes\\semPath\" /reg:32"), 0u);
  StoreBytes(kTestKeys + "dword8", REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(Answer(kTestKeys + "expand"), "");
  EXPECT_EQ(Answer(kTestKeys + "multi"), "");
  EXPECT_EQ(Answer(kTestKeys + "binario"), "");
  EXPECT_EQ(Answer(kTestKeys + "semPath"), "");
  EXPECT_EQ(Answer(kTestKeys + "dword8"), "");
}

TEST_F(Win32Registry, TextStoredWithoutItsNulOrWithOneInsideIsCutAsOnLinux) {
  StoreBytes(kTestKeys + "semNul", REG_SZ, Utf16Bytes(L"C:\\Tarvel"));
  StoreBytes(kTestKeys + "nulDentro", REG_SZ, Utf16Bytes(std::wstring(L"C:\\Tar\0vel", 10)));
  std::vector<BYTE> odd = Utf16Bytes(std::wstring(L"C:\\T\0", 5));
  odd.push_back('x');  // an odd byte at the end is dropped
  StoreBytes(kTestKeys + "impar", REG_SZ, odd);
  EXPECT_EQ(Answer(kTestKeys + "semNul"), "C:\\Tarvel");
  EXPECT_EQ(Answer(kTestKeys + "nulDentro"), "C:\\Tar");
  EXPECT_EQ(Answer(kTestKeys + "impar"), "C:\\T");
}

TEST_F(Win32Registry, AKeyWrittenOnlyInThe64BitViewIsFound) {
  Store(kTestKeys + "so64", L"/t REG_SZ /d C:\\Tarvel64", L"/reg:64");
  EXPECT_EQ(Answer(kTestKeys + "so64"), "C:\\Tarvel64");
}

// Wine runs every program as an administrator, so only the calls themselves
// can show that no write right is asked for: a standard user under user
// account control would be refused it for HKEY_LOCAL_MACHINE.
std::vector<std::uint32_t> accessAsked;

std::int32_t RecordOpen(RegKey, const wchar_t*, std::uint32_t, std::uint32_t access, RegKey*) {
  accessAsked.push_back(access);
  return ERROR_FILE_NOT_FOUND;
}
std::int32_t NoQuery(RegKey, const wchar_t*, std::uint32_t*, std::uint8_t*, std::uint32_t*) {
  return ERROR_INVALID_HANDLE;
}
std::int32_t NoClose(RegKey) { return ERROR_INVALID_HANDLE; }

TEST(Win32RegistryAccess, KeysAreOpenedForReadingOnlyInBothViews) {
  accessAsked.clear();
  const auto registry = MakeWin32Registry(Win32RegistryCalls{RecordOpen, NoQuery, NoClose});
  EXPECT_EQ(GetInstallSetting(*registry, "Path"), "");
  // Each view by name: in the 32-bit program, an open without a view flag
  // would ask the 32-bit view again.
  EXPECT_EQ(accessAsked, (std::vector<std::uint32_t>{KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                                                     KEY_QUERY_VALUE | KEY_WOW64_64KEY}));
}

}  // namespace
}  // namespace bt
