#pragma once
// EditNewIt: the dialog that creates an Add/Remove entry or changes one. The
// main window says which in `Fl` before showing it modally, and for a change
// carries the entry in `RealName`, `CommandLine` and `Display`.
#include "console/console_system.h"
#include "platform/forms/form.h"

namespace velmaro::console {

class Tweaker;

class EditNewIt : public forms::Form {
public:
  EditNewIt(ConsoleSystem& system, Tweaker& main);
  static forms::FormSpec Design();

  // Where the entries live; an entry's key is this, a backslash and its name.
  static constexpr std::string_view UninstallKey =
      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  static constexpr std::string_view NoDisplayName =
      "Please type a display name. It names the item in the list of installed programs.";

private:
  void OnLoad();
  void OnOk();
  // False, after telling the user, for texts that cannot be written as typed.
  bool Acceptable(const std::string& name, const std::string& command);

  ConsoleSystem& system_;
  Tweaker& main_;
  std::string mode_;  // Fl as it was when the dialog loaded
};

}  // namespace velmaro::console
