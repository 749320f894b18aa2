#pragma once
// Settings that travel: the state of one category or of all, as a REGEDIT4
// file that the system's regedit imports unchanged on another machine.
//
// What a category's settings are is what its apply would write after a fresh
// load: each panel is loaded and applied on a window of its own that is never
// shown, with the registry and the files capturing instead of writing, so the
// system and the window the user sees are left as they are. Velmaro's own
// settings do not travel; the boot options, which live in c:\msdos.sys and
// regedit cannot carry, are named in a comment.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/categories.h"
#include "console/console_system.h"
#include "system_access/reg_file.h"

namespace velmaro::console {

// The categories a file is made of: the one given, or with no name every one
// that has settings. Null entries for a name no category has.
std::vector<const Category*> ExportableCategories();
const Category* CategoryNamed(std::string_view text);

regfile::File ExportSettings(ConsoleSystem& system, std::span<const Category* const> categories);

// Makes the file and writes it through `system.documents`, beside the
// target first and then moved over it: a file it replaces is never left cut
// short. A device name (CON, AUX, LPT1.reg...) is refused. On failure
// `error` says why, in the program's words, and the old file is as it was.
bool WriteExport(ConsoleSystem& system, std::span<const Category* const> categories,
                 const std::string& path, std::string& error);

// "Velmaro.exe /export FILE [CATEGORY]": the command line after the program's
// name. Returns the program's exit code: 0 written; 1 a file that could not
// be written; 2 a command line it does not understand or a category it does
// not know. `error` says what went wrong.
int RunExportCommand(ConsoleSystem& system, std::string_view commandLine, std::string& error);

// Whether the command line asks for an export (its first word is /export).
bool IsExportCommand(std::string_view commandLine);

// The command line's words: blanks separate them, double quotes group them.
std::vector<std::string> CommandWords(std::string_view commandLine);

}  // namespace velmaro::console
