#pragma once
// What the console's windows reach the system through. The program's entry
// point builds it over the real platform; tests build it over memory.
#include "console/help_topics.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/forms/toolkit.h"
#include "platform/mouse.h"
#include "platform/registry.h"
#include "system_access/reg_extra.h"
#include "system_access/settings_store.h"

namespace velmaro::console {

struct ConsoleSystem {
  ConsoleSystem(forms::Toolkit& tk, platform::Registry& registry, platform::FileSystem& fs,
                platform::Mouse& m, platform::Desktop& d, HelpTopics topics = {})
      : toolkit(tk),
        files(fs),
        mouse(m),
        desktop(d),
        reg(registry),
        store(registry),
        help(std::move(topics)) {}

  forms::Toolkit& toolkit;
  platform::FileSystem& files;
  platform::Mouse& mouse;
  platform::Desktop& desktop;
  RegExtra reg;
  SettingsStore store;
  HelpTopics help;
};

}  // namespace velmaro::console
