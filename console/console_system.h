#pragma once
// What the console's windows reach the system through. The program's entry
// point builds it over the real platform; tests build it over memory.
//
// Registry and file calls pass through stand-ins that can capture instead of
// write (CapturingRegistry, CapturingFiles): an export runs a panel's apply
// that way to learn what it would write. Files the user saves on purpose (an
// export) go to `documents`, which is never captured and never recorded for
// undo. With a journal, every change made through `reg`, `store`, `files`
// and the saving calls of `mouse` inside an undo step is recorded before it
// happens.
#include "console/help_topics.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/forms/toolkit.h"
#include "platform/mouse.h"
#include "platform/registry.h"
#include "system_access/capture.h"
#include "system_access/reg_extra.h"
#include "system_access/settings_store.h"
#include "system_access/undo_journal.h"

namespace velmaro::console {

struct ConsoleSystem {
  ConsoleSystem(forms::Toolkit& tk, platform::Registry& registry, platform::FileSystem& fs,
                platform::Mouse& m, platform::Desktop& d, HelpTopics topics = {},
                undo::Journal* undoJournal = nullptr, platform::FileSystem* userFiles = nullptr)
      : toolkit(tk),
        capture(registry),
        captureFiles(fs),
        captureMouse(undoJournal ? undoJournal->Mouse(m) : m),
        files(captureFiles),
        documents(userFiles ? *userFiles : fs),
        mouse(captureMouse),
        desktop(d),
        reg(capture),
        store(capture),
        help(std::move(topics)),
        journal(undoJournal) {}
  ConsoleSystem(const ConsoleSystem&) = delete;
  ConsoleSystem& operator=(const ConsoleSystem&) = delete;

  forms::Toolkit& toolkit;
  CapturingRegistry capture;
  CapturingFiles captureFiles;
  CapturingMouse captureMouse;
  platform::FileSystem& files;
  platform::FileSystem& documents;
  platform::Mouse& mouse;
  platform::Desktop& desktop;
  RegExtra reg;
  SettingsStore store;
  HelpTopics help;
  undo::Journal* journal;  // null: changes are not recorded, Undo stays unavailable
};

}  // namespace velmaro::console
