#include <windows.h>

#include "platform/win32/win32_drives.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_mouse.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
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
