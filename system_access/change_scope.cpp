#include "system_access/change_scope.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace velmaro {
namespace {

// Registry and file names compare without case (ASCII case, as the system's
// tables for the names Velmaro uses).
using platform::LowerAscii;

// `inner` is `outer` itself or a key below it.
bool Within(std::string_view inner, std::string_view outer) {
  if (outer.empty()) return true;
  return inner.size() >= outer.size() && inner.substr(0, outer.size()) == outer &&
         (inner.size() == outer.size() || inner[outer.size()] == '\\');
}

}  // namespace

void ChangeScope::AddKey(platform::HKey root, std::string_view key, bool below) {
  places_.push_back({root, LowerAscii(key), below, {}});
}

void ChangeScope::AddValues(platform::HKey root, std::string_view key,
                            std::initializer_list<std::string_view> values) {
  Place place{root, LowerAscii(key), false, {}};
  for (const auto v : values) place.values.push_back(LowerAscii(v));
  places_.push_back(std::move(place));
}

void ChangeScope::AddFile(std::string_view path) { files_.push_back(LowerAscii(path)); }

bool ChangeScope::AllowsKey(platform::HKey root, std::string_view key) const {
  const std::string k = LowerAscii(key);
  return std::any_of(places_.begin(), places_.end(), [&](const Place& p) {
    return p.root == root && (p.below ? Within(k, p.key) : k == p.key);
  });
}

bool ChangeScope::AllowsValue(platform::HKey root, std::string_view key,
                              std::string_view value) const {
  const std::string k = LowerAscii(key), v = LowerAscii(value);
  return std::any_of(places_.begin(), places_.end(), [&](const Place& p) {
    return p.root == root && (p.below ? Within(k, p.key) : k == p.key) &&
           (p.values.empty() || std::find(p.values.begin(), p.values.end(), v) != p.values.end());
  });
}

bool ChangeScope::AllowsEmptyKeyRemoval(platform::HKey root, std::string_view key) const {
  const std::string k = LowerAscii(key);
  if (k.empty()) return false;  // never a root
  return AllowsKey(root, key) ||
         std::any_of(places_.begin(), places_.end(),
                     [&](const Place& p) { return p.root == root && Within(p.key, k); });
}

bool ChangeScope::AllowsFile(std::string_view path) const {
  return std::find(files_.begin(), files_.end(), LowerAscii(path)) != files_.end();
}

}  // namespace velmaro
