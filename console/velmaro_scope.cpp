#include "console/velmaro_scope.h"

#include "console/boot_options.h"
#include "console/edit_new_it.h"
#include "console/shell_folders.h"
#include "system_access/reg_extra.h"
#include "system_access/settings_store.h"

namespace velmaro::console {

using platform::HkeyClassesRoot;
using platform::HkeyCurrentUser;
using platform::HkeyLocalMachine;

ChangeScope WhatVelmaroMayChange(platform::Registry& registry, platform::FileSystem& files) {
  ChangeScope s;
  // Velmaro's own settings, the Run key the start-up editor keeps, the
  // Add/Remove entries, the special folders.
  s.AddKey(HkeyCurrentUser, "Software\\" + std::string(settings::App), true);
  s.AddKey(HkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  s.AddKey(HkeyLocalMachine, EditNewIt::UninstallKey, true);
  s.AddKey(HkeyCurrentUser, ShellFoldersKey);
  s.AddKey(HkeyCurrentUser, UserShellFoldersKey);
  // The policies the Explorer, Start Menu and General panels switch.
  s.AddKey(HkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer");
  s.AddKey(HkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System");
  // The shell icons and the icon settings (Change Icons, More Explorer tweaks).
  s.AddKey(HkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\shell icons");
  s.AddKey(HkeyClassesRoot, "CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon");
  s.AddKey(HkeyClassesRoot, "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon");
  s.AddValues(HkeyCurrentUser, "Control Panel\\Desktop\\WindowMetrics",
              {"Shell Icon BPP", "shell icon size"});
  if (const std::string bitmaps = RegExtra(registry).GetStringValue(HkeyClassesRoot, ".bmp", "", "");
      !bitmaps.empty())
    s.AddValues(HkeyClassesRoot, bitmaps + "\\DefaultIcon", {""});
  // The shell verbs of More Explorer tweaks, with their command keys.
  s.AddKey(HkeyClassesRoot, "*\\shell");
  s.AddKey(HkeyClassesRoot, "*\\shell\\open", true);
  s.AddKey(HkeyClassesRoot, "*\\shell\\QuickView", true);
  s.AddKey(HkeyClassesRoot, "Directory\\shell\\CommandPrompt", true);
  // Single values in keys shared with the system and other programs.
  s.AddValues(HkeyCurrentUser, "Control Panel\\Desktop",
              {"SmoothScroll", "MenuShowDelay", "DragFullWindows"});
  s.AddValues(HkeyCurrentUser, "Control Panel\\Sound", {"Beep"});
  s.AddValues(HkeyCurrentUser, "Software\\Microsoft\\Outlook Express", {"WindowTitle", "NoSplash"});
  s.AddValues(HkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup",
              {"SourcePath"});
  s.AddValues(HkeyCurrentUser, "Software\\Microsoft\\Internet Explorer\\Toolbar", {"BackBitmap"});
  s.AddValues(HkeyLocalMachine, "SOFTWARE\\Microsoft\\Internet Explorer\\Main", {"Window Title"});
  s.AddValues(HkeyLocalMachine, "System\\CurrentControlSet\\Services\\Class\\hdc\\0004",
              {"AutoInsertNotificationDrive0", "AutoInsertNotificationDrive1"});
  s.AddValues(HkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", {"Link"});
  s.AddValues(HkeyCurrentUser, "Software\\Microsoft\\MS Setup (ACME)\\User Info",
              {"DefName", "DefCompany"});
  for (const char* key : {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                          "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"})
    s.AddValues(HkeyLocalMachine, key, {"RegisteredOwner", "RegisteredOrganization"});
  s.AddValues(HkeyCurrentUser, "Software\\Microsoft\\Office\\8.0\\Word\\Options", {"LiveScrolling"});
  // The boot file and the copy the Windows panel writes before moving it.
  s.AddFile(BootFilePath);
  std::string windows;
  if (files.WindowsDirectory(windows) == platform::ErrorSuccess) {
    while (!windows.empty() && windows.back() == '\\') windows.pop_back();
    s.AddFile(windows + "\\" + std::string(BootFileName));
  }
  return s;
}

}  // namespace velmaro::console
