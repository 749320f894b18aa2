#include "system_access/capture.h"

namespace velmaro {

using namespace platform;

void CapturingRegistry::StartCapture() {
  capturing_ = true;
  noted_.clear();
}

std::vector<regfile::Key> CapturingRegistry::StopCapture() {
  capturing_ = false;
  return std::move(noted_);
}

std::vector<regfile::Key> CapturingRegistry::DryRun(const std::function<void()>& run) {
  const bool outer = capturing_;
  std::vector<regfile::Key> outerNoted = std::move(noted_);
  StartCapture();
  run();
  std::vector<regfile::Key> noted = StopCapture();
  capturing_ = outer;
  noted_ = std::move(outerNoted);
  return noted;
}

void CapturingRegistry::Note(HKey key, std::string_view name, std::optional<regfile::Data> data) {
  const auto [root, path] = paths_.Resolve(key);
  noted_.push_back({root, path, false, {{std::string(name), std::move(data)}}});
}

long CapturingRegistry::CreateKey(HKey root, std::string_view path, HKey& out) {
  if (!capturing_) return CreateRemembered(root, path, out);
  const auto [r, p] = paths_.Resolve(root, path);
  noted_.push_back({r, p, false, {}});
  if (!IsOwn(root) && real_.OpenKey(root, path, out) == ErrorSuccess) {
    paths_.Remember(out, root, path);
    return ErrorSuccess;
  }
  out = nextOwn_++;
  paths_.Remember(out, r, p);
  return ErrorSuccess;
}

long CapturingRegistry::QueryValue(HKey key, std::string_view name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) {
  if (IsOwn(key)) return ErrorFileNotFound;
  return real_.QueryValue(key, name, type, data, size);
}

long CapturingRegistry::SetValue(HKey key, std::string_view name, std::uint32_t type,
                                 const std::uint8_t* data, std::uint32_t size) {
  if (!capturing_) return real_.SetValue(key, name, type, data, size);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  // As the system stores it: text gains the NUL that ends it.
  if ((type == RegSz || type == RegExpandSz) && size > 0 && bytes.back() != '\0') bytes += '\0';
  Note(key, name, regfile::Data{type, std::move(bytes)});
  return ErrorSuccess;
}

long CapturingRegistry::SetValueExact(HKey key, std::string_view name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
  if (!capturing_) return real_.SetValueExact(key, name, type, data, size);
  Note(key, name, regfile::Data{type, std::string(reinterpret_cast<const char*>(data), size)});
  return ErrorSuccess;
}

long CapturingRegistry::DeleteKey(HKey root, std::string_view path) {
  if (!capturing_) return real_.DeleteKey(root, path);
  const auto [r, p] = paths_.Resolve(root, path);
  noted_.push_back({r, p, true, {}});
  return ErrorSuccess;
}

long CapturingRegistry::DeleteValue(HKey key, std::string_view name) {
  if (!capturing_) return real_.DeleteValue(key, name);
  Note(key, name, std::nullopt);
  return ErrorSuccess;
}

long CapturingRegistry::EnumKey(HKey key, std::uint32_t index, std::string& name,
                                std::uint32_t capacity) {
  if (IsOwn(key)) return ErrorNoMoreItems;
  return real_.EnumKey(key, index, name, capacity);
}

long CapturingRegistry::EnumValue(HKey key, std::uint32_t index, std::string& name,
                                  std::uint32_t nameCapacity, std::uint32_t* type,
                                  std::uint32_t dataCapacity) {
  if (IsOwn(key)) return ErrorNoMoreItems;
  return real_.EnumValue(key, index, name, nameCapacity, type, dataCapacity);
}

}  // namespace velmaro
