#pragma once
// Writes a value of any type, bytes as given, through the raw registry
// interface: how the contract suites put odd values in place.
#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"

namespace velmaro::testing {

inline void PutRawValue(platform::Registry& registry, platform::HKey root, const std::string& path,
                        const std::string& name, std::uint32_t type, const std::string& bytes) {
  platform::HKey key = 0;
  ASSERT_EQ(registry.CreateKey(root, path, key), platform::ErrorSuccess);
  ASSERT_EQ(registry.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                              static_cast<std::uint32_t>(bytes.size())),
            platform::ErrorSuccess);
  registry.CloseKey(key);
}

}  // namespace velmaro::testing
