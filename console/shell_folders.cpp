#include "console/shell_folders.h"

#include <algorithm>
#include <array>

namespace velmaro::console {

using platform::HkeyCurrentUser;
using platform::RegExpandSz;
using platform::RegSz;

std::string SpecialFolderValue(std::string_view entry) {
  static constexpr std::array<std::string_view, 9> kEntries{
      "Desktop", "Start Menu", "Fonts", "Temporary Internet files", "History",
      "Favorites", "Startup", "Recent", "Send To"};
  if (std::find(kEntries.begin(), kEntries.end(), entry) == kEntries.end()) return {};
  if (entry == "Temporary Internet files") return "Cache";
  if (entry == "Send To") return "SendTo";
  return std::string(entry);
}

bool ChangeSpecialFolder(const RegExtra& reg, std::string_view value, std::string_view path) {
  if (!reg.SaveStringValue(HkeyCurrentUser, ShellFoldersKey, value, path)) return false;
  const auto type = reg.ValueType(HkeyCurrentUser, UserShellFoldersKey, value);
  if (!type) return true;
  // The shell reads only text there; any other type is no location at all.
  return reg.SaveStringValueAs(HkeyCurrentUser, UserShellFoldersKey, value, path,
                               *type == RegExpandSz ? RegExpandSz : RegSz);
}

}  // namespace velmaro::console
