#include <windows.h>

#include "platform/win32/win32_drives.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_mouse.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_text.h"
#include "support/contract_platform.h"

namespace velmaro::testing {

std::unique_ptr<platform::Registry> MakeContractRegistry() {
  return std::make_unique<platform::Win32Registry>();
}
const char* ContractPlatformName() { return "win32"; }

std::unique_ptr<platform::FileSystem> MakeContractFiles() {
  return std::make_unique<platform::Win32Files>();
}

void StoreUnmappableText(platform::Registry&, const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS) return;
  const std::wstring wide(name.begin(), name.end());
  const wchar_t text[] = L"Omega \x03A9 and Han \x4E2D";
  RegSetValueExW(key, wide.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  RegCloseKey(key);
}

namespace {

std::wstring Wide(const std::string& utf8, bool halfPair = false) {
  std::wstring wide;
  platform::ToWide(utf8, wide);
  if (halfPair) wide += L'\xD800';
  return wide;
}

}  // namespace

// The witness goes through the wide functions only, as another program would.
void WideSetText(platform::Registry&, const std::string& path, const std::string& name,
                 const std::string& text, bool halfPair) {
  HKEY key = nullptr;
  if (RegCreateKeyW(HKEY_CURRENT_USER, Wide(path).c_str(), &key) != ERROR_SUCCESS) return;
  const std::wstring data = Wide(text);
  RegSetValueExW(key, Wide(name, halfPair).c_str(), 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

void WideCreateKey(platform::Registry&, const std::string& path, const std::string& name,
                   bool halfPair) {
  HKEY key = nullptr;
  const std::wstring full = Wide(path) + L"\\" + Wide(name, halfPair);
  if (RegCreateKeyW(HKEY_CURRENT_USER, full.c_str(), &key) == ERROR_SUCCESS) RegCloseKey(key);
}

std::optional<std::string> WideText(platform::Registry&, const std::string& path,
                                    const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_CURRENT_USER, Wide(path).c_str(), &key) != ERROR_SUCCESS)
    return std::nullopt;
  wchar_t text[512] = {};
  DWORD type = 0, size = sizeof text - sizeof(wchar_t);
  const LONG rc = RegQueryValueExW(key, Wide(name).c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return platform::FromWide(text);
}

bool WideKeyExists(platform::Registry&, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_CURRENT_USER, Wide(path).c_str(), &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::unique_ptr<platform::Drives> MakeContractDrives() {
  return std::make_unique<platform::Win32Drives>();
}

std::unique_ptr<platform::Shell> MakeContractShell(platform::FileSystem&) {
  return std::make_unique<platform::Win32Shell>();
}

std::unique_ptr<platform::Mouse> MakeContractMouse() {
  return std::make_unique<platform::Win32Mouse>();
}

namespace {
class Win32HeldFile final : public HeldFile {
public:
  explicit Win32HeldFile(const std::string& path) {
    std::string ansi;
    if (platform::Win32CodePage().ToAnsi(path, ansi))
      handle_ = CreateFileA(ansi.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~Win32HeldFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};
}  // namespace

std::unique_ptr<HeldFile> HoldOpen(platform::FileSystem&, const std::string& path) {
  return std::make_unique<Win32HeldFile>(path);
}

}  // namespace velmaro::testing
