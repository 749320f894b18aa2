// Page 1: the welcome, with the product's logo.
#include "setup/pages.h"
#include "setup/wizard.h"

namespace velmaro::setup {
namespace {

using namespace forms::design;
using namespace page_grid;

void Layout(PageDesign& page) {
  page.Add(Label("Label1", "Welcome to the setup of Velmaro 1.0 ", {Left, 28, Inner, 18}).At(0));
  page.Add(Label("Label2",
                 "The setup will take necessary information from you for the program to "
                 "run properly.",
                 {Left, 62, Inner, 32})
               .At(0));
  page.Add(Label("Label3", "Maximum time required is 3 - 5 min.", {Left, 104, Inner, 16}).At(0));
  page.Add(Picture("Picture2", SETUP_IDB_LOGO, {Left + (Inner - 288) / 2, 168, 288, 120}));
}

class Welcome final : public WizardPage {
public:
  explicit Welcome(Wizard& wizard) : NextStep(wizard.Get<forms::Button>("NextStep")) {}
  // Back from page 2: Back is disabled here, so Next takes the focus.
  void Returned() override { NextStep.SetFocus(); }

private:
  forms::Button& NextStep;
};

}  // namespace

const PageKind WelcomePage{&Layout, &MakePage<Welcome>};

}  // namespace velmaro::setup
