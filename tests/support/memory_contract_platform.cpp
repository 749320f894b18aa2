#include "platform/memory/memory_files.h"
#include "platform/memory/memory_mouse.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_shell.h"
#include "support/contract_platform.h"
#include "system_access/reg_extra.h"

namespace velmaro::testing {

std::unique_ptr<platform::Registry> MakeContractRegistry() {
  return std::make_unique<platform::MemoryRegistry>();
}
const char* ContractPlatformName() { return "memory"; }

std::unique_ptr<platform::FileSystem> MakeContractFiles() {
  return std::make_unique<platform::MemoryFiles>();
}

void StoreUnmappableText(platform::Registry& registry, const std::string& path,
                         const std::string& name) {
  dynamic_cast<platform::MemoryRegistry&>(registry).SetUnmappableText(platform::HkeyCurrentUser,
                                                                       path, name);
}

namespace {
constexpr const char* kHalfPair = "\xED\xA0\x80";  // U+D800 as the bytes of a code point
}

void WideSetText(platform::Registry& registry, const std::string& path, const std::string& name,
                 const std::string& text, bool halfPair) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  dynamic_cast<platform::MemoryRegistry&>(registry).SetRawValue(
      platform::HkeyCurrentUser, path, halfPair ? name + kHalfPair : name, platform::RegSz,
      std::move(bytes));
}

void WideCreateKey(platform::Registry& registry, const std::string& path, const std::string& name,
                   bool halfPair) {
  dynamic_cast<platform::MemoryRegistry&>(registry).AddRawKey(platform::HkeyCurrentUser, path,
                                                              halfPair ? name + kHalfPair : name);
}

std::optional<std::string> WideText(platform::Registry& registry, const std::string& path,
                                    const std::string& name) {
  const std::string none = "\x01none";
  const std::string text = RegExtra(registry).GetStringValue(platform::HkeyCurrentUser, path, name,
                                                             none);
  return text == none ? std::nullopt : std::optional<std::string>(text);
}

bool WideKeyExists(platform::Registry& registry, const std::string& path) {
  return RegExtra(registry).KeyExists(platform::HkeyCurrentUser, path);
}

std::unique_ptr<platform::Drives> MakeContractDrives() {
  return std::make_unique<platform::MemoryFiles>();
}

std::unique_ptr<platform::Shell> MakeContractShell(platform::FileSystem& files) {
  return std::make_unique<platform::MemoryShell>(dynamic_cast<platform::MemoryFiles&>(files));
}

std::unique_ptr<platform::Mouse> MakeContractMouse() {
  return std::make_unique<platform::MemoryMouse>();
}

namespace {
class MemoryHeldFile final : public HeldFile {
public:
  MemoryHeldFile(platform::MemoryFiles& files, std::string path)
      : files_(files), path_(std::move(path)) {
    files_.HoldOpen(path_);
  }
  ~MemoryHeldFile() override { files_.HoldOpen(path_, false); }

private:
  platform::MemoryFiles& files_;
  std::string path_;
};
}  // namespace

std::unique_ptr<HeldFile> HoldOpen(platform::FileSystem& files, const std::string& path) {
  return std::make_unique<MemoryHeldFile>(dynamic_cast<platform::MemoryFiles&>(files), path);
}

}  // namespace velmaro::testing
