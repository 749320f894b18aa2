#include "console/tweaker.h"

#include "console/opt.h"
#include "console/resource_ids.h"
#include "console/splash.h"

namespace velmaro::console {

using namespace forms::design;
using forms::Event;
using forms::EventArgs;
using forms::MousePointer;

namespace {
constexpr int kWidth = 780;
constexpr int kHeight = 468;
constexpr forms::Rect kPanel{200, 8, 572, 412};
}  // namespace

forms::FormSpec Tweaker::Design() {
  forms::FormSpec f;
  f.name = "Tweaker";
  f.caption = "Velmaro";
  f.clientWidth = kWidth;
  f.clientHeight = kHeight;
  f.border = forms::BorderStyle::FixedSingle;
  f.icon = VELMARO_IDI_APP;
  f.Add(TreeView("Tr", {8, 8, 184, 412})
            .Images(VELMARO_IDB_TREE, 16)
            .TreeStyle(true, true, forms::LabelEditMode::None));
  for (const auto& c : Categories)
    f.Add(Frame("Fram", std::string(c.frameCaption), kPanel).At(c.frame).Hidden());
  f.Add(Label("Label3",
              "Select the category for which you want to tune up Windows and it's other "
              "applications from the adjacent list.",
              {kPanel.x + 16, kPanel.y + 24, kPanel.width - 32, 48}));
  for (const auto& c : Categories)
    if (c.panel) c.panel->layout(f, c.frame);
  f.Add(Button("Command3", "What's this?", {8, 430, 88, 28}));
  f.Add(Button("Options", "&Options", {104, 430, 88, 28}));
  f.Add(Button("Apply", std::string(NoSettings), {kPanel.x, 430, 240, 28}).Disabled());
  f.Add(Button("Close", "Close", {kWidth - 8 - 88, 430, 88, 28}));
  return f;
}

Tweaker::Tweaker(ConsoleSystem& system)
    : Form(Design()),
      system_(system),
      Tr(Get<forms::TreeView>("Tr")),
      Label3(Get<forms::Label>("Label3")),
      Apply(Get<forms::Button>("Apply")),
      splash_(std::make_unique<Splash>(system, *this)),
      options_(std::make_unique<Opt>(system)) {
  On(Event::Load, [this](EventArgs&) { OnLoad(); });
  On(Event::NodeClick, "Tr", [this](EventArgs& e) {
    if (e.node) OnNodeClick(*e.node);
  });
  On(Event::Collapse, "Tr", [this](EventArgs&) { ShowNoCategory(); });
  OnClick("Apply", [this] { OnApply(); });
  OnClick("Close", [this] { system_.toolkit.Unload(*this); });
  OnClick("Options", [this] { system_.toolkit.ShowModal(*options_); });
  OnClick("Command3", [this] { system_.toolkit.EnterWhatsThisMode(*this); });
  On(Event::QueryUnload, [this](EventArgs& e) { OnQueryUnload(e); });
  On(Event::Unload, [this](EventArgs&) { OnUnload(); });
  SetHelpProvider([this](const forms::Control& c) {
    return system_.help.Find(Name(), c.Name(), c.Index());
  });
  for (const auto& c : Categories)
    if (c.panel) panels_[c.node] = c.panel->make(*this);
}

Tweaker::~Tweaker() = default;

void Tweaker::SetPanel(int node, std::unique_ptr<Panel> panel) {
  if (CategoryOfNode(node)) panels_[node] = std::move(panel);
}

void Tweaker::OnLoad() {
  SplashFlag = false;
  system_.toolkit.Show(*splash_);
  // One pass of the message loop, so that the splash paints while loading goes on.
  system_.toolkit.DoEvents();
  ShellIconIndex = 29;
  TitleArmed = false;
  FillTree();
  SplashFlag = true;
}

void Tweaker::FillTree() {
  Tr.Clear();
  auto& root = Tr.Add("Velmaro", RootImage, RootSelectedImage);
  for (const auto& c : Categories) Tr.AddChild(root, std::string(c.text), c.image);
}

void Tweaker::OnNodeClick(forms::TreeNode& node) {
  forms::Hourglass busy(*this);
  SelectOption(node.Index());
}

void Tweaker::SelectOption(int node) {
  const Category* category = CategoryOfNode(node);
  if (node != RootNode && !category) return;
  Label3.SetVisible(false);
  for (auto* frame : Array("Fram")) frame->SetVisible(false);
  if (!category) {
    Label3.SetVisible(true);
    Apply.SetEnabled(false);
    Apply.SetCaption(std::string(NoSettings));
    SetMousePointer(MousePointer::Default);
    return;
  }
  Panel* panel = panels_[node].get();
  Apply.SetCaption(std::string(category->applyCaption));
  if (panel) panel->Load();
  for (const auto& any : panels_)
    if (any) any->AfterAnyLoad();
  Get("Fram", category->frame).SetVisible(true);
  Apply.SetEnabled(!category->appliesAtOnce && panel);
  TitleArmed = false;
}

void Tweaker::ShowNoCategory() {
  for (auto* frame : Array("Fram")) frame->SetVisible(false);
  Label3.SetVisible(true);
  Apply.SetEnabled(false);
  Apply.SetCaption(std::string(NoSettings));
}

void Tweaker::OnApply() {
  const Category* category = CategoryOfApplyCaption(Apply.Caption());
  Panel* panel = category ? panels_[category->node].get() : nullptr;
  if (!panel) return;
  if (category->restartNotice && OptionIsOn(system_.store, settings::ShowMess))
    system_.toolkit.MsgBox(std::string(RestartNotice), "Information",
                           forms::mb::Ok | forms::mb::IconExclamation);
  panel->Apply();
}

void Tweaker::OnQueryUnload(EventArgs& e) {
  if (!OptionIsOn(system_.store, settings::Confirm)) return;
  const int answer = system_.toolkit.MsgBox(
      std::string(QuitQuestion), "Confirmation",
      forms::mb::YesNo | forms::mb::IconQuestion | forms::mb::DefButton2);
  if (answer != forms::IdYes) e.cancel = true;
}

void Tweaker::OnUnload() {
  // The program ends with the main window; a splash still up goes with it.
  if (splash_->Loaded()) system_.toolkit.Unload(*splash_);
}

}  // namespace velmaro::console
