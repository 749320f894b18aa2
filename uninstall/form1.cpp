#include "uninstall/form1.h"

#include "platform/paths.h"
#include "platform/utf8.h"
#include "setup/installation.h"
#include "uninstall/resource_ids.h"

namespace velmaro::uninstall {

using namespace forms::design;
using forms::Event;
using forms::EventArgs;
namespace mb = forms::mb;

namespace {

constexpr int kWidth = 400;
constexpr int kAskingHeight = 120;
constexpr int kRemovingHeight = 64;  // the question and buttons gone
constexpr std::string_view kNotOurs =
    "Velmaro's settings do not name the folder this program is in as the place Velmaro was "
    "installed, so no program files can be removed. Do you want to remove Velmaro 1.0 from the "
    "list of installed programs and delete its settings ?";
constexpr std::string_view kSystemFolder =
    "Velmaro was installed in a folder of the system's own, and no install log says which files "
    "Setup made there, so no program files can be removed. Do you want to remove Velmaro 1.0 from "
    "the list of installed programs and delete its settings ?";

}  // namespace

forms::FormSpec Form1::Design() {
  forms::FormSpec f("Form1", "Uninstall - Velmaro 1.0", kWidth, kAskingHeight,
                    forms::BorderStyle::FixedDialog);
  f.icon = UNINSTALL_IDI_APP;
  f.Add(Picture("Picture1", UNINSTALL_IDB_REMOVING, {12, 10, 48, 48}));
  f.Add(Label("Label1", std::string(Question), {72, 12, kWidth - 84, 62}));
  f.Add(Button("Yes", "Yes", {kWidth - 188, 84, 84, 26}));
  f.Add(Button("No", "No", {kWidth - 96, 84, 84, 26}).Default().Cancel());
  return f;
}

Form1::Form1(UninstallSystem& system)
    : Form(Design()),
      system_(system),
      Label1(Get<forms::Label>("Label1")),
      Yes(Get<forms::Button>("Yes")),
      No(Get<forms::Button>("No")) {
  On(Event::Load, [this](EventArgs&) { OnLoad(); });
  On(Event::Activate, [this](EventArgs&) { No.SetFocus(); });
  OnClick(No.Name(), [this] { system_.toolkit.End(); });
  OnClick(Yes.Name(), [this] { Remove(); });
  On(Event::QueryUnload, [this](EventArgs& e) { OnQueryUnload(e); });
}

void Form1::DeleteKey(platform::HKey root, std::string_view path) {
  system_.reg.DeleteKey(root, path);
}

void Form1::OnLoad() {
  removal_.Find();
  // Said before the user agrees, so that Yes means what it does.
  if (!removal_.Identified())
    Label1.SetCaption(std::string(kNotOurs));
  else if (!removal_.Logged() && !removal_.FilesAllowed())
    Label1.SetCaption(std::string(kSystemFolder));
}

void Form1::OnQueryUnload(EventArgs& e) {
  // Once the removal has begun it runs to its end.
  if (removing_) e.cancel = true;
}

void Form1::Remove() {
  // Nothing goes while a program file is held: half a removal is worse.
  while (!removal_.InUse().empty())
    if (system_.toolkit.MsgBox(std::string(InUseText), "Velmaro is running",
                               mb::RetryCancel | mb::IconExclamation) != forms::IdRetry) {
      system_.toolkit.End();
      return;
    }
  removing_ = true;
  Yes.SetVisible(false);
  No.SetVisible(false);
  SetClientSize(kWidth, kRemovingHeight);
  Label1.SetCaption("Removing the Velmaro 1.0 utility. Please wait...");
  SetMousePointer(forms::MousePointer::Hourglass);
  removal_.Remove();
  SetMousePointer(forms::MousePointer::Default);
  system_.toolkit.MsgBox(removal_.Report(), "Uninstalling complete.", mb::Ok | mb::IconInformation);
  system_.toolkit.End();
}

}  // namespace velmaro::uninstall
