#include "console/opt.h"

#include "console/resource_ids.h"

namespace velmaro::console {

using namespace forms::design;
using forms::Event;

forms::FormSpec Opt::Design() {
  forms::FormSpec f;
  f.name = "Opt";
  f.caption = "Options";
  f.clientWidth = 372;
  f.clientHeight = 112;
  f.border = forms::BorderStyle::FixedDialog;
  f.icon = VELMARO_IDI_APP;
  f.Add(CheckBox("SHowMessage", "Show the message box after pressing the 'Apply' button.",
                 {14, 14, 348, 20}).Value(1));
  f.Add(CheckBox("Confirmation", "Ask for confirmation before exiting.", {14, 40, 348, 20})
            .Value(1));
  f.Add(Button("Command1", "Apply && close", {170, 76, 104, 26}).Default());
  f.Add(Button("Cancel", "Cancel", {282, 76, 78, 26}).Cancel());
  return f;
}

Opt::Opt(ConsoleSystem& system) : Form(Design()), system_(system) {
  On(Event::Load, [this](forms::EventArgs&) { OnLoad(); });
  OnClick("Command1", [this] { OnApplyAndClose(); });
  OnClick("Cancel", [this] { system_.toolkit.Unload(*this); });
  SetHelpProvider([this](const forms::Control& c) {
    return system_.help.Find(Name(), c.Name(), c.Index());
  });
}

void Opt::OnLoad() {
  // The boxes show how the main window will read the options.
  Get<forms::CheckBox>("Confirmation")
      .SetValue(OptionIsOn(system_.store, settings::Confirm) ? 1 : 0);
  Get<forms::CheckBox>("SHowMessage")
      .SetValue(OptionIsOn(system_.store, settings::ShowMess) ? 1 : 0);
}

void Opt::OnApplyAndClose() {
  system_.store.Write(settings::Confirm,
                      std::to_string(Get<forms::CheckBox>("Confirmation").Value()));
  system_.store.Write(settings::ShowMess,
                      std::to_string(Get<forms::CheckBox>("SHowMessage").Value()));
  system_.toolkit.Unload(*this);
}

}  // namespace velmaro::console
