#include "system_access/value_texts.h"

#include "platform/registry_key.h"

namespace velmaro {
namespace {

using namespace platform;

std::string CutAtNul(std::string text) {
  const auto nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

}  // namespace

std::vector<ValueText> GetAllValueTexts(const RegExtra& reg, HKey root, std::string_view path) {
  Registry& registry = reg.registry();
  std::vector<ValueText> list;
  if (const auto key = RegistryKey::Opened(registry, root, path)) {
    std::string name, data;
    std::uint32_t type = 0;
    for (std::uint32_t index = 0;; ++index) {
      const long rc = registry.EnumValueData(key.get(), index, name, RegExtra::NameBufferChars, &type,
                                             RegExtra::ValueDataLimit, data);
      if (rc != ErrorSuccess && rc != ErrorNoUnicodeTranslation) break;
      list.push_back({CutAtNul(name), type,
                      type == RegSz ? CutAtNul(registry.CodePage().FromAnsi(data)) : "",
                      rc == ErrorSuccess});
    }
  }
  if (list.empty()) list.emplace_back();
  return list;
}

}  // namespace velmaro
