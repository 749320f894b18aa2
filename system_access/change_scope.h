#pragma once
// What a program may change: the registry keys and the files it owns or
// tunes. The undo history and an imported file are data, and are applied
// only inside such a scope; anything they name outside it marks them as not
// ours. The console's scope is built from its own tables
// (console/velmaro_scope.h).
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace velmaro {

class ChangeScope {
public:
  // Any value of `key` may change; with `below`, every key under it too
  // (created, removed, their values set).
  void AddKey(platform::HKey root, std::string_view key, bool below = false);
  // Only these values of `key` may change (a key shared with the system).
  void AddValues(platform::HKey root, std::string_view key,
                 std::initializer_list<std::string_view> values);
  void AddFile(std::string_view path);

  // The key may be created (some value of it may change).
  bool AllowsKey(platform::HKey root, std::string_view key) const;
  // The value may be set or deleted.
  bool AllowsValue(platform::HKey root, std::string_view key, std::string_view value) const;
  // The key may be removed when it holds nothing: one of ours, or a key on
  // the way to one of ours (made when ours was made).
  bool AllowsEmptyKeyRemoval(platform::HKey root, std::string_view key) const;
  bool AllowsFile(std::string_view path) const;

private:
  struct Place {
    platform::HKey root;
    std::string key;  // lower case
    bool below;
    std::vector<std::string> values;  // lower case; none: any value
  };
  std::vector<Place> places_;
  std::vector<std::string> files_;  // lower case
};

}  // namespace velmaro
