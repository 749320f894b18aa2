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

// The comment that carries the boot options, followed by their lines
// (" AutoScan=2 BootDelay=3 Logo=0"): Import reads it back.
inline constexpr std::string_view BootOptionsComment =
    " Velmaro boot options for c:\\msdos.sys (regedit cannot carry them; Velmaro's Import sets "
    "them):";

// The window that is never shown has no one to answer: a question is
// answered No, anything else OK, and what it would have said is kept.
class SilentToolkit final : public forms::Toolkit {
public:
  std::vector<std::string> said;
  void Show(forms::Form& form) override { form.Load(); }
  void ShowModal(forms::Form&) override {}
  bool Unload(forms::Form&) override { return true; }
  void Hide(forms::Form&) override {}
  void DoEvents() override {}
  int Run() override { return 0; }
  void End() override {}
  int MsgBox(const std::string& text, const std::string&, int flags) override {
    said.push_back(text);
    return forms::IsAnswerOf(flags, forms::IdNo) ? forms::IdNo : forms::IdOk;
  }
  forms::FileDialogResult OpenFile(const forms::FileDialogRequest&) override { return {}; }
  void EnterWhatsThisMode(forms::Form&) override {}
  bool InWhatsThisMode() const override { return false; }
};

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
