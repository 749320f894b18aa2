#pragma once
// What an installation of Velmaro consists of, for Setup, which makes it, and
// Uninstall, which takes it away again: the installed file set, the two
// shortcuts and the entry in the system's list of installed programs.
#include <array>
#include <string_view>

namespace velmaro::install {

inline constexpr std::string_view ProductName = "Velmaro 1.0";
inline constexpr std::string_view Version = "1.0";
inline constexpr std::string_view Publisher = "The Velmaro developers";

struct InstalledFile {
  std::string_view source;     // beside Setup in the distribution folder
  std::string_view installed;  // in the install folder
  int progress;                // the copy bar afterwards
};

// In copying order. Uninstall.exe comes last: it removes the others and
// stays, as the running program cannot delete itself.
inline constexpr std::array<InstalledFile, 5> Files = {{
    {"Velmaro.001", "Velmaro.exe", 20},
    {"Velmaro.002", "Velmaro.dll", 40},
    {"Velmaro.003", "Velmaro.hlp", 60},
    {"Velmaro.004", "ReadMe.txt", 80},
    {"Velmaro.005", "Uninstall.exe", 100},
}};
inline constexpr std::string_view Console = "Velmaro.exe";
inline constexpr std::string_view IconLibrary = "Velmaro.dll";
inline constexpr std::string_view Uninstaller = "Uninstall.exe";

struct Shortcut {
  std::string_view link;    // in the shortcut folder
  std::string_view target;  // in the install folder
};
inline constexpr std::array<Shortcut, 2> Shortcuts = {{
    {"Velmaro.lnk", "Velmaro.exe"},
    {"ReadMe.txt.lnk", "ReadMe.txt"},
}};
inline constexpr std::string_view ShortcutDescription = "ShellLink Sample";

// HKEY_LOCAL_MACHINE.
inline constexpr std::string_view UninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmaro 1.0";

}  // namespace velmaro::install
