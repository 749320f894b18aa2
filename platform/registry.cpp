#include "platform/registry.h"

#include <algorithm>

namespace velmaro::platform {

long HandOutValue(std::string_view bytes, std::uint8_t* data, std::uint32_t* size) {
  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (!data) {
    if (size) *size = needed;
    return ErrorSuccess;
  }
  if (!size) return ErrorInvalidParameter;
  if (*size < needed) {
    *size = needed;
    return ErrorMoreData;
  }
  std::copy(bytes.begin(), bytes.end(), data);
  *size = needed;
  return ErrorSuccess;
}

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
