#include "platform/registry.h"

#include <algorithm>

namespace velmaro::platform {

long Registry::EnumValueData(HKey key, std::uint32_t index, std::string& name,
                             std::uint32_t nameCapacity, std::uint32_t* type,
                             std::uint32_t dataCapacity, std::string& data) {
  data.clear();
  std::uint32_t t = 0;
  long rc = EnumValue(key, index, name, nameCapacity, &t, dataCapacity);
  if (rc != ErrorSuccess) return rc;
  std::uint32_t size = dataCapacity;
  data.assign(dataCapacity, '\0');
  rc = QueryValue(key, name, &t, reinterpret_cast<std::uint8_t*>(data.data()), &size);
  if (rc != ErrorSuccess) {
    data.clear();
    return rc;
  }
  if (type) *type = t;
  data.resize(std::min(size, dataCapacity));
  return ErrorSuccess;
}

}  // namespace velmaro::platform
