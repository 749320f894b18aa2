#include "setup/wizard.h"

#include "setup/pages.h"

namespace velmaro::setup {

using namespace forms::design;
using forms::Event;
using forms::EventArgs;
namespace mb = forms::mb;

namespace {

constexpr std::string_view kTitle = "Velmaro setup - Step ";

std::string Title(int page) {
  return std::string(kTitle) + std::to_string(page);
}

}  // namespace

forms::FormSpec Wizard::Design() {
  using namespace page_grid;
  forms::FormSpec f("Wizard", Title(1), Width, Height, forms::BorderStyle::FixedSingle);
  f.icon = SETUP_IDI_APP;
  for (int page = 1; page <= static_cast<int>(Pages.size()); ++page) {
    const PageRow& row = Pages[page - 1];
    auto frame = Frame(FrameOf(page), "", FrameArea);
    f.Add(page == 1 ? frame : frame.Hidden());
    PageDesign design(f, page);
    design.Add(Picture("Picture1", row.banner, Banner).At(page - 1));
    row.kind->layout(design);
  }
  f.Add(Button("Back", "<< &Back", {336, 396, 100, 28}).Disabled());
  f.Add(Button("NextStep", std::string(NextCaption), {444, 396, 108, 28}).Default());
  f.Add(Button("ExitSetup", "Exit &Setup", {8, 396, 100, 28}));
  f.Add(Timer("Timer1", 1250, false));
  return f;
}

Wizard::Wizard(SetupSystem& system)
    : Form(Design()),
      system_(system),
      NextStep(Get<forms::Button>("NextStep")),
      Back(Get<forms::Button>("Back")),
      ExitSetup(Get<forms::Button>("ExitSetup")) {
  for (std::size_t i = 0; i < Pages.size(); ++i) {
    steps_[i] = &Get<forms::Frame>(FrameOf(static_cast<int>(i) + 1));
    pages_[i] = Pages[i].kind->make(*this);
  }
  OnClick(NextStep.Name(), [this] { OnNext(); });
  OnClick(Back.Name(), [this] { OnBack(); });
  OnClick(ExitSetup.Name(), [this] { system_.toolkit.Unload(*this); });
  On(Event::Load, [this](EventArgs&) { OnLoad(); });
  On(Event::QueryUnload, [this](EventArgs& e) { OnQueryUnload(e); });
}

// Before page 1: a damaged distribution folder would install damaged files.
void Wizard::OnLoad() {
  const std::string damage = InstallRun(system_).CheckDistribution();
  if (damage.empty()) return;
  system_.toolkit.MsgBox("The distribution folder is damaged: " + damage +
                             ".\n\nSetup cannot install Velmaro 1.0 from it. Copy the distribution "
                             "folder again and run Setup from the copy.",
                         "Setup", mb::Ok | mb::IconStop);
  system_.toolkit.End();
}

void Wizard::ShowPage(int page) {
  page_ = page;
  SetCaption(Title(page));
  for (std::size_t i = 0; i < steps_.size(); ++i)
    steps_[i]->SetVisible(static_cast<int>(i) + 1 == page);
  const PageRow& row = Pages[page - 1];
  NextStep.SetCaption(std::string(row.next));
  Back.SetEnabled(row.back);
  ExitSetup.SetEnabled(row.exit);
}

void Wizard::OnNext() {
  if (!pages_[page_ - 1]->Leave() || page_ == static_cast<int>(Pages.size())) return;
  WizardPage& next = *pages_[page_];
  if (!next.Arrive()) return;
  ShowPage(page_ + 1);
  next.Shown();
}

void Wizard::OnBack() {
  if (!Pages[page_ - 1].back) return;
  ShowPage(page_ - 1);
  pages_[page_ - 1]->Returned();
}

void Wizard::OnQueryUnload(EventArgs& e) {
  // From page 5 on there is no way out but Finish.
  if (!ExitSetup.Enabled()) {
    e.cancel = true;
    return;
  }
  if (system_.toolkit.MsgBox(std::string(ExitQuestion), "Exit setup confirmation",
                             mb::YesNo | mb::IconQuestion | mb::DefButton2) != forms::IdYes)
    e.cancel = true;
}

}  // namespace velmaro::setup
