#include "console/edit_new_it.h"

#include "console/resource_ids.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"

namespace velmaro::console {

using namespace forms::design;
using platform::HkeyLocalMachine;

namespace {

constexpr std::string_view kMakeChange = "Make change...";
constexpr std::string_view kNameWhat = "Display name";
constexpr std::string_view kCommandWhat = "File name and command line arguments";

}  // namespace

forms::FormSpec EditNewIt::Design() {
  forms::FormSpec f("EditNewIt", "Create new add/remove item", 384, 148,
                    forms::BorderStyle::FixedDialog);
  f.icon = VELMARO_IDI_APP;
  f.Add(Label("Disp", "Display name : ", {12, 12, 360, 16}));
  f.Add(TextBox("Text1", "", {12, 30, 360, 22}));
  f.Add(Label("Label1", "File name and command line arguments :", {12, 62, 360, 16}));
  f.Add(TextBox("Text2", "", {12, 80, 360, 22}));
  f.Add(Button("OK", "Create New", {192, 112, 92, 26}).Default());
  f.Add(Button("Cancel", "Cancel", {292, 112, 80, 26}).Cancel());
  return f;
}

EditNewIt::EditNewIt(ConsoleSystem& system, Tweaker& main)
    : Form(Design()), system_(system), main_(main) {
  On(forms::Event::Load, [this](forms::EventArgs&) { OnLoad(); });
  OnClick("OK", [this] { OnOk(); });
  OnClick("Cancel", [this] { system_.toolkit.Unload(*this); });
  SetHelpProvider([this](const forms::Control& c) {
    return system_.help.Find(Name(), c.Name(), c.Index());
  });
}

void EditNewIt::OnLoad() {
  mode_ = main_.Fl;
  auto& ok = Get<forms::Button>("OK");
  if (mode_ == "New") {
    SetCaption("Create new add/remove item");
    ok.SetCaption("Create New");
    Get<forms::TextBox>("Text1").SetText("");
    Get<forms::TextBox>("Text2").SetText("");
  } else {
    SetCaption("Edit existing add/remove item");
    ok.SetCaption(std::string(kMakeChange));
    Get<forms::TextBox>("Text1").SetText(main_.Display);
    Get<forms::TextBox>("Text2").SetText(main_.CommandLine);
  }
}

bool EditNewIt::Acceptable(const std::string& name, const std::string& command) {
  // Without a name of its own the entry's key would be the Uninstall key
  // itself, and the list of installed programs would show nothing for it.
  if (name.find_first_not_of(" \t\\") == std::string::npos) {
    system_.toolkit.MsgBox(std::string(NoDisplayName), "Velmaro",
                           forms::mb::Ok | forms::mb::IconExclamation);
    Get("Text1").SetFocus();
    return false;
  }
  SaveReport report;
  if (!Storable(system_.reg, name)) report.CannotHold(kNameWhat);
  if (!Storable(system_.reg, command)) report.CannotHold(kCommandWhat);
  if (report.Empty()) return true;
  report.Tell(system_.toolkit);
  return false;
}

void EditNewIt::OnOk() {
  const std::string name = Get<forms::TextBox>("Text1").Text();
  const std::string command = Get<forms::TextBox>("Text2").Text();
  // The dialog stays open over text it cannot write, so that nothing typed is lost.
  if (!Acceptable(name, command)) return;
  SaveReport report;
  const auto write = [&](const std::string& key, std::string_view value, const std::string& text,
                         std::string_view what) {
    return report.Check(system_.reg.SaveStringValue(HkeyLocalMachine, key, value, text),
                        system_.reg, what);
  };
  if (Get<forms::Button>("OK").Caption() != kMakeChange) {
    const std::string key = std::string(UninstallKey) + "\\" + name;
    if (write(key, "DisplayName", name, kNameWhat))
      write(key, "UninstallString", command, kCommandWhat);
  } else if (system_.toolkit.MsgBox(
                 "Do you really want to save the changes made to the uninstall item?",
                 "Confirmation", forms::mb::YesNo | forms::mb::IconQuestion) == forms::IdYes) {
    // The key keeps its name whatever the new display name. A text left as
    // it was shown is not written back: what was shown may not be what is
    // stored (characters the code page lacks, a command of another type).
    if (name != main_.Display) write(main_.RealName, "DisplayName", name, kNameWhat);
    if (command != main_.CommandLine)
      write(main_.RealName, "UninstallString", command, kCommandWhat);
  }
  system_.toolkit.Unload(*this);
  report.Tell(system_.toolkit);
}

}  // namespace velmaro::console
