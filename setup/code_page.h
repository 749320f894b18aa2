#pragma once
// Folder names the system's code page cannot hold. Setup, the settings it
// leaves, the shortcuts and Uninstall all reach files through the code page,
// so such a folder is refused for what it is, before anything is made.
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/utf8.h"
#include "setup/setup_system.h"

namespace velmaro::setup {

// The characters of `path` that the code page lacks, each once and in the
// order they come, separated by blanks; empty when it holds them all.
inline std::string OutsideCodePage(const platform::AnsiCodePage& codePage, std::string_view path) {
  std::string out, ansi;
  for (std::size_t i = 0; i < path.size();) {
    const std::size_t start = i;
    char32_t cp = 0;
    if (!platform::NextCodePoint(path, i, cp)) i = start + 1;
    const std::string_view one = path.substr(start, i - start);
    if (codePage.ToAnsi(one, ansi)) continue;
    const std::string shown(one);
    if ((" " + out + " ").find(" " + shown + " ") == std::string::npos)
      out += (out.empty() ? "" : " ") + shown;
  }
  return out;
}

// What the user is told: `role` is "install folder" or "shortcut folder".
inline std::string CodePageRefusal(std::string_view folder, std::string_view role,
                                   std::string_view missing) {
  return std::string(folder) + " cannot be the " + std::string(role) +
         ": its name holds characters that this system's code page lacks (" + std::string(missing) +
         "). Setup and Velmaro reach their files through the code page, so choose a name "
         "without them.";
}

// Tells the user, and is true, when the folder's name holds characters the
// code page lacks; `title` is the title of the page's other folder errors.
inline bool RefusedForCodePage(SetupSystem& system, const std::string& folder,
                               std::string_view role, std::string_view title) {
  const std::string missing = OutsideCodePage(system.reg.registry().CodePage(), folder);
  if (missing.empty()) return false;
  system.toolkit.MsgBox(CodePageRefusal(folder, role, missing), std::string(title),
                        forms::mb::Ok | forms::mb::IconStop);
  return true;
}

}  // namespace velmaro::setup
