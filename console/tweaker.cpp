#include "console/tweaker.h"

#include "console/catalogue.h"
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
  Catalogue::AddControls(f);
  f.Add(Button("Command3", "What's this?", {8, 430, 88, 28}));
  f.Add(Button("Options", "&Options", {104, 430, 88, 28}));
  f.Add(Button("Apply", std::string(NoSettings), {kPanel.x, 430, 240, 28}).Disabled());
  f.Add(Button("Close", "Close", {kWidth - 8 - 88, 430, 88, 28}));
  return f;
}

Tweaker::Tweaker(ConsoleSystem& system)
    : Form(Design()),
      system_(system),
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
  catalogue_ = std::make_unique<Catalogue>(*this);
}

Tweaker::~Tweaker() = default;

void Tweaker::SetPanel(int node, Panel panel) {
  if (node >= 2 && node < static_cast<int>(panels_.size())) panels_[node] = std::move(panel);
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
  auto& tree = Get<forms::TreeView>("Tr");
  tree.Clear();
  auto& root = tree.Add("Velmaro", RootImage, RootSelectedImage);
  for (const auto& c : Categories) tree.AddChild(root, std::string(c.text), c.image);
}

void Tweaker::OnNodeClick(forms::TreeNode& node) {
  SetMousePointer(MousePointer::Hourglass);
  SelectOption(node.Index());
  SetMousePointer(MousePointer::Default);
}

void Tweaker::SelectOption(int node) {
  const Category* category = CategoryOfNode(node);
  if (node != RootNode && !category) return;
  Get<forms::Label>("Label3").SetVisible(false);
  for (auto* frame : Array("Fram")) frame->SetVisible(false);
  auto& apply = Get<forms::Button>("Apply");
  if (!category) {
    Get<forms::Label>("Label3").SetVisible(true);
    apply.SetEnabled(false);
    apply.SetCaption(std::string(NoSettings));
    SetMousePointer(MousePointer::Default);
    return;
  }
  const Panel& panel = panels_[node];
  apply.SetCaption(std::string(category->applyCaption));
  if (panel.load) panel.load();
  if (loadTail_) loadTail_();
  Get("Fram", category->frame).SetVisible(true);
  apply.SetEnabled(!category->appliesAtOnce && static_cast<bool>(panel.apply));
  TitleArmed = false;
}

void Tweaker::ShowNoCategory() {
  for (auto* frame : Array("Fram")) frame->SetVisible(false);
  Get<forms::Label>("Label3").SetVisible(true);
  auto& apply = Get<forms::Button>("Apply");
  apply.SetEnabled(false);
  apply.SetCaption(std::string(NoSettings));
}

void Tweaker::OnApply() {
  const Category* category =
      CategoryOfApplyCaption(Get<forms::Button>("Apply").Caption());
  if (!category || !panels_[category->node].apply) return;
  if (category->restartNotice && OptionIsOn(system_.store, settings::ShowMess))
    system_.toolkit.MsgBox(std::string(RestartNotice), "Information",
                           forms::mb::Ok | forms::mb::IconExclamation);
  panels_[category->node].apply();
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
