#pragma once
// The whole content of a registry, walked once: every key, and every value
// with its type and bytes. Two views of the same walk: as text, one line per
// key and value (to diff), and as a map from "HKCU\path\name" to the value
// (to look one up), for tests that must prove nothing else changed.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "platform/registry_key.h"

namespace velmaro::testing {

using RawValue = std::pair<std::uint32_t, std::vector<std::uint8_t>>;
// Values by their key's path (as the walk names it) and name.
using Snapshot = std::map<std::string, RawValue>;

// Each value of an open key, with its type and bytes, in the registry's order.
inline void ForEachValue(platform::Registry& r, platform::HKey key,
                         const std::function<void(const std::string&, const RawValue&)>& onValue) {
  std::string name;
  std::uint32_t type = 0;
  for (std::uint32_t i = 0; r.EnumValue(key, i, name, 16384, &type, 0xFFFFFFFFu) == 0; ++i) {
    std::uint32_t size = 0;
    r.QueryValue(key, name, &type, nullptr, &size);
    std::vector<std::uint8_t> data(size);
    r.QueryValue(key, name, &type, data.data(), &size);
    data.resize(size);
    onValue(name, {type, data});
  }
}

// Calls `onKey` for the key and `onValue` for each of its values, then goes
// into its subkeys, in the registry's own order.
inline void WalkKey(platform::Registry& r, platform::HKey key, const std::string& path,
                    const std::function<void(const std::string&)>& onKey,
                    const std::function<void(const std::string&, const std::string&,
                                             const RawValue&)>& onValue) {
  if (onKey) onKey(path);
  ForEachValue(r, key, [&](const std::string& name, const RawValue& v) { onValue(path, name, v); });
  std::string name;
  for (std::uint32_t i = 0; r.EnumKey(key, i, name, 16384) == 0; ++i)
    if (const auto sub = platform::RegistryKey::Opened(r, key, name))
      WalkKey(r, sub.get(), path + "\\" + name, onKey, onValue);
}

// HKEY_CLASSES_ROOT is left out: it shows part of HKEY_LOCAL_MACHINE.
inline void WalkRegistry(platform::Registry& r,
                         const std::function<void(const std::string&)>& onKey,
                         const std::function<void(const std::string&, const std::string&,
                                                  const RawValue&)>& onValue) {
  WalkKey(r, platform::HkeyCurrentUser, "HKCU", onKey, onValue);
  WalkKey(r, platform::HkeyLocalMachine, "HKLM", onKey, onValue);
}

inline std::string DumpRegistry(platform::Registry& r) {
  std::string out;
  WalkRegistry(
      r, [&](const std::string& path) { out += "[" + path + "]\n"; },
      [&](const std::string&, const std::string& name, const RawValue& value) {
        out += "  \"" + name + "\" type " + std::to_string(value.first) + ":";
        for (const auto b : value.second) {
          char hex[4];
          std::snprintf(hex, sizeof hex, " %02x", b);
          out += hex;
        }
        out += "\n";
      });
  return out;
}

inline Snapshot WholeRegistry(platform::Registry& r) {
  Snapshot all;
  WalkRegistry(r, nullptr, [&](const std::string& path, const std::string& name,
                               const RawValue& value) { all[path + "\\" + name] = value; });
  return all;
}

// The values of one key (not of its subkeys), by name.
inline Snapshot ValuesOf(platform::Registry& r, platform::HKey root, const std::string& path) {
  Snapshot values;
  if (const auto key = platform::RegistryKey::Opened(r, root, path))
    ForEachValue(r, key.get(), [&](const std::string& name, const RawValue& v) { values[name] = v; });
  return values;
}

}  // namespace velmaro::testing
