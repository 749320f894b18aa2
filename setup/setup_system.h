#pragma once
// What Setup reaches the system through. The program's entry point builds it
// over the real platform; tests build it over memory.
#include <array>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/forms/folders.h"
#include "platform/forms/toolkit.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "system_access/reg_extra.h"
#include "system_access/settings_store.h"

namespace velmaro::setup {

struct SetupSystem {
  SetupSystem(forms::Toolkit& tk, platform::Registry& registry, platform::FileSystem& fs,
              platform::Drives& dr, platform::Shell& sh)
      : toolkit(tk), files(fs), drives(dr), shell(sh), reg(registry), store(registry),
        folders(fs, dr) {}

  forms::Toolkit& toolkit;
  platform::FileSystem& files;
  platform::Drives& drives;
  platform::Shell& shell;
  RegExtra reg;
  SettingsStore store;
  forms::DiskFolders folders;  // what the drive chooser and the folder trees show
  // The size and SHA-256 of each payload file, in the order of the installed
  // file set, as the build wrote them into Setup.exe.
  std::array<platform::FileDigest, 5> payload;
};

}  // namespace velmaro::setup
