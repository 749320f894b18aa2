#pragma once
// An open registry key that is closed on every way out of its holder's scope:
// the gateway, the value texts, the REGEDIT4 code and the journal each hold
// their keys this way, so no handle outlives the call that opened it.
#include <string_view>
#include <utility>

#include "platform/registry.h"

namespace velmaro::platform {

class RegistryKey {
public:
  explicit RegistryKey(Registry& registry) : registry_(&registry) {}
  // The key at `path`, opened: empty (false) when it cannot be.
  static RegistryKey Opened(Registry& registry, HKey root, std::string_view path) {
    RegistryKey key(registry);
    key.Open(root, path);
    return key;
  }
  ~RegistryKey() { Close(); }
  RegistryKey(RegistryKey&& other) noexcept
      : registry_(other.registry_), key_(std::exchange(other.key_, 0)), code_(other.code_) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
      Close();
      registry_ = other.registry_;
      key_ = std::exchange(other.key_, 0);
      code_ = other.code_;
    }
    return *this;
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Each closes the key held before; false, with the code kept, on failure.
  bool Open(HKey root, std::string_view path) {
    Close();
    return Take(registry_->OpenKey(root, path, key_));
  }
  bool Create(HKey root, std::string_view path) {
    Close();
    return Take(registry_->CreateKey(root, path, key_));
  }
  HKey get() const { return key_; }
  long code() const { return code_; }  // of the last open or create
  explicit operator bool() const { return key_ != 0; }

private:
  void Close() {
    if (key_ != 0) registry_->CloseKey(std::exchange(key_, 0));
  }
  bool Take(long code) {
    code_ = code;
    if (code != ErrorSuccess) key_ = 0;
    return code == ErrorSuccess;
  }

  Registry* registry_;
  HKey key_ = 0;
  long code_ = ErrorSuccess;
};

}  // namespace velmaro::platform
