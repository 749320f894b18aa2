#pragma once
// What Uninstall reaches the system through. The program's entry point builds
// it over the real platform; tests build it over memory.
#include "platform/files.h"
#include "platform/forms/toolkit.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "system_access/reg_extra.h"
#include "system_access/settings_store.h"

namespace velmaro::uninstall {

struct UninstallSystem {
  UninstallSystem(forms::Toolkit& tk, platform::Registry& registry, platform::FileSystem& fs,
                  platform::Shell& sh)
      : toolkit(tk), files(fs), shell(sh), reg(registry), store(registry) {}

  forms::Toolkit& toolkit;
  platform::FileSystem& files;
  platform::Shell& shell;
  RegExtra reg;
  SettingsStore store;
};

}  // namespace velmaro::uninstall
