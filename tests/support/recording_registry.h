#pragma once
// A registry that hands every call to a memory registry and records each
// write in a log ("SetValue <name>", "DeleteValue <name>", "CreateKey <path>",
// "DeleteKey <path>"). Other recorders may append to the same log, so that a
// test sees the order of a message box and the writes around it.
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forwarding.h"
#include "platform/registry.h"

namespace velmaro::testing {

class RecordingRegistry final : public platform::ForwardingRegistry {
public:
  RecordingRegistry(platform::Registry& real, std::vector<std::string>& log)
      : platform::ForwardingRegistry(real), log_(log) {}

  // Every later write throws instead, as a failing handler would.
  bool throwOnWrite = false;

  // The names (or paths) of the writes of one kind, in order.
  std::vector<std::string> Writes(const std::string& kind) const {
    std::vector<std::string> names;
    for (const auto& entry : log_)
      if (entry.rfind(kind + " ", 0) == 0) names.push_back(entry.substr(kind.size() + 1));
    return names;
  }

  long CreateKey(platform::HKey root, std::string_view path, platform::HKey& out) override {
    Write("CreateKey", path);
    return real_.CreateKey(root, path, out);
  }
  long SetValue(platform::HKey key, std::string_view name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override {
    Write("SetValue", name);
    return real_.SetValue(key, name, type, data, size);
  }
  long DeleteKey(platform::HKey root, std::string_view path) override {
    Write("DeleteKey", path);
    return real_.DeleteKey(root, path);
  }
  long DeleteValue(platform::HKey key, std::string_view name) override {
    Write("DeleteValue", name);
    return real_.DeleteValue(key, name);
  }

private:
  void Write(const char* kind, std::string_view what) {
    if (throwOnWrite) throw std::runtime_error(std::string(kind) + " raised");
    log_.push_back(std::string(kind) + " " + std::string(what));
  }

  std::vector<std::string>& log_;
};

}  // namespace velmaro::testing
