#pragma once
// The whole content of a registry as text, one line per key and value with
// its type and bytes, for tests that must prove nothing else changed.
#include <cstdio>
#include <string>

#include "platform/registry.h"

namespace velmaro::testing {

inline void DumpKey(platform::Registry& r, platform::HKey key, const std::string& path,
                    std::string& out) {
  out += "[" + path + "]\n";
  std::string name;
  std::uint32_t type = 0;
  for (std::uint32_t i = 0; r.EnumValue(key, i, name, 16384, &type, 0xFFFFFFFFu) == 0; ++i) {
    std::uint32_t size = 0;
    r.QueryValue(key, name, &type, nullptr, &size);
    std::string data(size, '\0');
    r.QueryValue(key, name, &type, reinterpret_cast<std::uint8_t*>(data.data()), &size);
    out += "  \"" + name + "\" type " + std::to_string(type) + ":";
    for (std::size_t b = 0; b < size; ++b) {
      char hex[4];
      std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(data[b]));
      out += hex;
    }
    out += "\n";
  }
  for (std::uint32_t i = 0; r.EnumKey(key, i, name, 16384) == 0; ++i) {
    platform::HKey sub = 0;
    if (r.OpenKey(key, name, sub) != 0) continue;
    DumpKey(r, sub, path + "\\" + name, out);
    r.CloseKey(sub);
  }
}

// HKEY_CLASSES_ROOT is left out: it shows part of HKEY_LOCAL_MACHINE.
inline std::string DumpRegistry(platform::Registry& r) {
  std::string out;
  DumpKey(r, platform::HkeyCurrentUser, "HKCU", out);
  DumpKey(r, platform::HkeyLocalMachine, "HKLM", out);
  return out;
}

}  // namespace velmaro::testing
