#pragma once
// Special folder relocation, on the Misc. tweaks panel: the registry entry
// that names where a special folder of the current user lives. Only that
// entry changes; no folder is created, moved or copied.
#include <string>
#include <string_view>

#include "system_access/reg_extra.h"

namespace velmaro::console {

inline constexpr std::string_view ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// Where NT-family shells keep the truth: they rebuild "Shell Folders" from it
// at log-on, so a path changed only in "Shell Folders" silently reverts.
inline constexpr std::string_view UserShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The registry value that holds a folder's path, for an entry of the folder
// list ("Temporary Internet files" is "Cache", "Send To" is "SendTo"); empty
// for text that is no entry.
std::string SpecialFolderValue(std::string_view entry);

// Writes `path` as the folder's location under "Shell Folders" and, where
// "User Shell Folders" holds the same value name, there too with that value's
// type (a REG_EXPAND_SZ stays expandable). Nothing else is written. False when
// the system refused a write.
bool ChangeSpecialFolder(const RegExtra& reg, std::string_view value, std::string_view path);

}  // namespace velmaro::console
