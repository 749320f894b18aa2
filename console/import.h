#pragma once
// Import: the other half of Export. A registry file (REGEDIT4 as Export and
// regedit write it, or the Unicode form of regedit /e) is held to what Export
// carries: the settings of the categories that travel, the mouse settings and
// the boot options of its comment. Everything else it names (another key, a
// value Velmaro does not write, a type the panel does not write, Velmaro's
// own settings, the Add/Remove entries) is "not imported", with the reason.
//
// The file is compared with the system first: only what differs is written,
// so an import run again changes nothing and records no undo step. What is
// written goes through the console's registry, files and mouse, so that with
// the undo history on, the whole import is one step.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/boot_options.h"
#include "console/console_system.h"
#include "system_access/reg_file.h"

namespace velmaro::console {

// Larger files are no export of Velmaro's (a whole one is a few kilobytes).
inline constexpr std::uint64_t MaxImportFileBytes = 16u << 20;
// Nor does it name more keys and values than this (Export writes a few
// hundred; the undo history could not keep the old state of many more).
inline constexpr std::size_t MaxImportEntries = 10000;

struct ImportPlan {
  regfile::File writes;  // the registry entries that change something, in file order
  // The boot options when they change; the keys the file does not name are kept.
  std::optional<BootOptions> boot;
  std::optional<unsigned> doubleClickTime;  // the mouse settings kept for log-on
  std::optional<bool> buttonsSwapped;
  std::vector<std::string> changes;  // what changes, setting by setting, in words
  std::vector<std::string> refused;  // what is not imported, each with its reason
  bool ChangesSomething() const { return !changes.empty(); }
};

// Reads a file's bytes in either form. False, with why in words.
bool ReadImportFile(std::string_view bytes, const platform::AnsiCodePage& codePage,
                    regfile::File& file, std::string& why);

// What importing `file` would change on this system, and what it leaves.
// Writes nothing.
ImportPlan PlanImport(ConsoleSystem& system, const regfile::File& file);

// Makes the changes of `plan` (with a journal: as one step named `label`).
// Returns what the system refused, in words; the rest stays made.
std::vector<std::string> ApplyImport(ConsoleSystem& system, const ImportPlan& plan,
                                     const std::string& label);

// Whether the command line asks for an import (its first word is /import).
bool IsImportCommand(std::string_view commandLine);

// "Velmaro.exe /import FILE [/quiet]". Returns the exit code: 0 everything
// in scope applied (or held already); 1 the system refused some of it (named
// in `error`; the rest stays applied); 2 a command line not understood, a
// file that cannot be read or is not a registry file, or one naming anything
// outside what Velmaro imports: then nothing is written. `report` says what
// changed, empty with /quiet. The file is read and checked through `system`;
// the changes are made through the one `writer` gives, asked only once the
// file is known to be good (the program opens its undo history there).
int RunImportCommand(ConsoleSystem& system, std::string_view commandLine, std::string& report,
                     std::string& error,
                     const std::function<ConsoleSystem&()>& writer = nullptr);

}  // namespace velmaro::console
