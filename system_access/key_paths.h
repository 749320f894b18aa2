#pragma once
// The root and full path behind each open key, for stand-ins of the registry
// that must know where a value lives when they see only its key's handle.
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/forwarding.h"
#include "platform/registry.h"

namespace velmaro {

class KeyPaths {
public:
  // `key` (a predefined root or a key opened earlier) and a path below it,
  // as a predefined root and the full path.
  std::pair<platform::HKey, std::string> Resolve(platform::HKey key,
                                                 std::string_view sub = {}) const {
    const auto it = open_.find(key);
    if (it == open_.end()) return {key, std::string(sub)};
    if (sub.empty()) return it->second;
    if (it->second.second.empty()) return {it->second.first, std::string(sub)};
    return {it->second.first, it->second.second + "\\" + std::string(sub)};
  }
  void Remember(platform::HKey opened, platform::HKey root, std::string_view path) {
    open_[opened] = Resolve(root, path);
  }
  void Forget(platform::HKey key) { open_.erase(key); }

private:
  std::map<platform::HKey, std::pair<platform::HKey, std::string>> open_;
};

// A registry stand-in that passes calls on and knows where each key it
// opened lives: what the journal's recorder and the export's capture share.
// Keys of the stand-in's own (Reachable false) reach nothing in the system.
class KeyTrackingRegistry : public platform::ForwardingRegistry {
public:
  using platform::ForwardingRegistry::ForwardingRegistry;

  long OpenKey(platform::HKey root, std::string_view path, platform::HKey& out) override {
    if (!Reachable(root)) return platform::ErrorFileNotFound;
    const long rc = real_.OpenKey(root, path, out);
    if (rc == platform::ErrorSuccess) paths_.Remember(out, root, path);
    return rc;
  }
  long CloseKey(platform::HKey key) override {
    paths_.Forget(key);
    return Reachable(key) ? real_.CloseKey(key) : platform::ErrorSuccess;
  }

protected:
  virtual bool Reachable(platform::HKey) const { return true; }
  // CreateKey as the system does it, the new key remembered.
  long CreateRemembered(platform::HKey root, std::string_view path, platform::HKey& out) {
    const long rc = real_.CreateKey(root, path, out);
    if (rc == platform::ErrorSuccess) paths_.Remember(out, root, path);
    return rc;
  }

  KeyPaths paths_;
};

}  // namespace velmaro
