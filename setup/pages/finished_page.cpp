// Page 6: the end, with the console offered to start and the maker's links.
// Finish ends Setup.
#include "setup/installation.h"
#include "setup/pages.h"
#include "setup/wizard.h"

namespace velmaro::setup {
namespace {

using namespace forms::design;
using namespace page_grid;

void Layout(PageDesign& page) {
  page.Add(Label("Label1",
                 "Installation of Velmaro 1.0 is completed. The 'Velmaro 1.0' is ready to run.",
                 {Left, 24, Inner, 32})
               .At(5));
  page.Add(Label("Label7", "After exiting setup :", {Left, 76, Inner, 16}));
  page.Add(CheckBox("Start", "Start Velmaro 1.0", {Left + 16, 96, 240, 20}).Value(1));
  page.Add(Label("Label2", "Our homepage is :", {Left, 150, 130, 16}).At(4));
  page.Add(Label("Web", std::string(Wizard::HomePage), {Left + 134, 150, Inner - 134, 16}).Link());
  page.Add(Label("Label4", "You can contact us at :", {Left, 174, 130, 16}).At(3));
  page.Add(Label("Email", std::string(Wizard::Contact), {Left + 134, 174, Inner - 134, 16}).Link());
}

class Finished final : public WizardPage {
public:
  explicit Finished(Wizard& wizard)
      : wizard_(wizard),
        system_(wizard.System()),
        NextStep(wizard.Get<forms::Button>("NextStep")),
        Label1(wizard.Get<forms::Label>("Label1", 5)),
        Start(wizard.Get<forms::CheckBox>("Start")) {
    wizard.OnClick("Web", [this] { Open(Wizard::HomePage); });
    wizard.OnClick("Email", [this] { Open("mailto:" + std::string(Wizard::Contact)); });
  }

  // Says what the run left: the console is offered only when it was installed.
  bool Arrive() override {
    if (!wizard_.ConsoleInstalled()) {
      Start.SetValue(0);
      Start.SetEnabled(false);
    }
    if (!wizard_.Problems().empty())
      Label1.SetCaption(
          "Installation of Velmaro 1.0 is not complete: Setup could not install everything it "
          "should.");
    return true;
  }
  void Shown() override { NextStep.SetFocus(); }
  // Finish: ends Setup, never to another page.
  bool Leave() override;

private:
  void Open(std::string_view target) {
    system_.shell.Execute("open", target, "", "", platform::SwShowNormal);
  }

  Wizard& wizard_;
  SetupSystem& system_;
  forms::Button& NextStep;
  forms::Label& Label1;
  forms::CheckBox& Start;
};

bool Finished::Leave() {
  std::string folder = wizard_.InstallFolder;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  // A normal window: the console is the reason the user ticked the box.
  if (Start.Value() == 1 && wizard_.ConsoleInstalled())
    Open(folder + std::string(install::Console));
  system_.toolkit.End();
  return false;
}

}  // namespace

const PageKind FinishedPage{&Layout, &MakePage<Finished>};

}  // namespace velmaro::setup
