#include <windows.h>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_mouse.h"
#include "platform/win32/win32_registry.h"
#include "support/contract_platform.h"

namespace velmaro::testing {

std::unique_ptr<platform::Registry> MakeContractRegistry() {
  return std::make_unique<platform::Win32Registry>();
}
const char* ContractPlatformName() { return "win32"; }

std::unique_ptr<platform::FileSystem> MakeContractFiles() {
  return std::make_unique<platform::Win32Files>();
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
