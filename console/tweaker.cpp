#include "console/tweaker.h"

#include <algorithm>

#include "console/export.h"
#include "console/import.h"

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
  for (const auto& c : Categories) c.panel->layout(f, c.frame);
  f.Add(Button("Command3", "What's this?", {8, 430, 88, 28}));
  f.Add(Button("Options", "&Options", {104, 430, 88, 28}));
  f.Add(Button("Apply", std::string(NoSettings), {kPanel.x, 430, 216, 28}).Disabled());
  f.Add(Button("Undo", "&Undo", {kPanel.x + 224, 430, 80, 28}).Disabled());
  f.Add(Button("Export", "E&xport...", {kPanel.x + 312, 430, 80, 28}));
  f.Add(Button("Import", "&Import...", {kPanel.x + 400, 430, 80, 28}));
  f.Add(Button("Close", "Close", {kWidth - 8 - 88, 430, 88, 28}));
  return f;
}

Tweaker::Tweaker(ConsoleSystem& system)
    : Form(Design()),
      system_(system),
      Tr(Get<forms::TreeView>("Tr")),
      Label3(Get<forms::Label>("Label3")),
      Apply(Get<forms::Button>("Apply")),
      Undo(Get<forms::Button>("Undo")),
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
  OnClick("Undo", [this] { OnUndo(); });
  OnClick("Export", [this] { OnExport(); });
  OnClick("Import", [this] { OnImport(); });
  if (system_.journal) {
    On(Event::Activate, [this](EventArgs&) { FollowHistory(); });
    SetOutermostEventScope(
        [this](const EventArgs& e, bool entering) { OnEventScope(e, entering); });
    Undo.SetEnabled(system_.journal->CanUndo());
  }
  On(Event::QueryUnload, [this](EventArgs& e) { OnQueryUnload(e); });
  On(Event::Unload, [this](EventArgs&) { OnUnload(); });
  SetHelpProvider([this](const forms::Control& c) {
    return system_.help.Find(Name(), c.Name(), c.Index());
  });
  for (const auto& c : Categories) panels_[PlaceOf(c)] = c.panel->make(*this);
}

Tweaker::~Tweaker() = default;

void Tweaker::SetPanel(int node, std::unique_ptr<Panel> panel) {
  if (const Category* c = CategoryOfNode(node)) panels_[PlaceOf(*c)] = std::move(panel);
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
  // A history that could not be used is said once, at start.
  if (system_.journal && !system_.journal->LoadMessage().empty())
    system_.toolkit.MsgBox(system_.journal->LoadMessage(), "Velmaro",
                           forms::mb::Ok | forms::mb::IconExclamation);
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
  shown_ = category ? node : 0;
  if (!category) {
    Label3.SetVisible(true);
    Apply.SetEnabled(false);
    Apply.SetCaption(std::string(NoSettings));
    SetMousePointer(MousePointer::Default);
    return;
  }
  Panel* panel = panels_[PlaceOf(*category)].get();
  Apply.SetCaption(std::string(category->applyCaption));
  if (panel) panel->Load();
  for (const auto& any : panels_)
    if (any) any->AfterAnyLoad();
  Get("Fram", category->frame).SetVisible(true);
  Apply.SetEnabled(!category->appliesAtOnce && panel);
  TitleArmed = false;
}

void Tweaker::ShowNoCategory() {
  shown_ = 0;
  for (auto* frame : Array("Fram")) frame->SetVisible(false);
  Label3.SetVisible(true);
  Apply.SetEnabled(false);
  Apply.SetCaption(std::string(NoSettings));
}

void Tweaker::OnApply() {
  const Category* category = CategoryOfApplyCaption(Apply.Caption());
  Panel* panel = category ? panels_[PlaceOf(*category)].get() : nullptr;
  if (!panel) return;
  if (category->restartNotice && OptionIsOn(system_.store, settings::ShowMess))
    system_.toolkit.MsgBox(std::string(RestartNotice), "Information",
                           forms::mb::Ok | forms::mb::IconExclamation);
  panel->Apply();
}

Panel* Tweaker::PanelOf(int node) const {
  const Category* c = CategoryOfNode(node);
  return c ? panels_[PlaceOf(*c)].get() : nullptr;
}

std::string Tweaker::StepLabel(const EventArgs& e) const {
  if (e.control == &Apply) return Apply.Caption();
  std::string label;
  if (const Category* c = CategoryOfNode(shown_)) label = std::string(c->text) + ": ";
  if (const auto* captioned = dynamic_cast<const forms::CaptionControl*>(e.control))
    return label + forms::DisplayText(captioned->Caption());
  return label + (e.control ? e.control->Id() : std::string("showing the panel"));
}

void Tweaker::FollowHistory() {
  system_.journal->Refresh();
  Undo.SetEnabled(system_.journal->CanUndo());
}

void Tweaker::OnEventScope(const EventArgs& e, bool entering) {
  undo::Journal& journal = *system_.journal;
  if (entering) {
    journal.Begin(StepLabel(e));
    return;
  }
  journal.End();
  // Undo follows the shared history: another window may have added or taken
  // back steps meanwhile. Pointer moves and timers do not look (they come
  // often, and the user is not at the button then).
  if (e.event == Event::MouseMove || e.event == Event::Timer) Undo.SetEnabled(journal.CanUndo());
  else FollowHistory();
  // A change refused because it could not be recorded first is said at once.
  if (const std::string notice = journal.TakeNotice(); !notice.empty())
    system_.toolkit.MsgBox(notice, "Velmaro", forms::mb::Ok | forms::mb::IconExclamation);
}

namespace {

// At most `max` lines of a list, and how many more there are.
std::string Listed(const std::vector<std::string>& items, std::size_t max = 15) {
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < max; ++i) text += "\n" + items[i];
  if (items.size() > max) text += "\n... and " + std::to_string(items.size() - max) + " more";
  return text;
}

}  // namespace

void Tweaker::OnUndo() {
  if (!system_.journal) return;
  undo::Journal& journal = *system_.journal;
  undo::UndoResult result;
  {
    forms::Hourglass busy(*this);
    // The newest step of the shared history, whichever window recorded it.
    result = journal.Undo([&](const std::vector<std::string>& changed) {
      return system_.toolkit.MsgBox(
                 "Since \"" + journal.NextLabel() +
                     "\", these were changed by another program or by hand:" +
                     Listed(changed) + "\n\nUndo anyway, and put back what was there before?",
                 "Confirmation",
                 forms::mb::YesNo | forms::mb::IconQuestion | forms::mb::DefButton2) ==
             forms::IdYes;
    });
  }
  const std::string& label = result.label;
  if (result.declined) return;
  if (!result.refused.empty())
    system_.toolkit.MsgBox(result.refused, "Velmaro", forms::mb::Ok | forms::mb::IconExclamation);
  else if (result.done)
    system_.toolkit.MsgBox("Undone: " + label + "\n\nPut back as it was:" + Listed(result.restored),
                           "Velmaro", forms::mb::Ok | forms::mb::IconInformation);
  else
    system_.toolkit.MsgBox("Undo could not put everything back after \"" + label +
                               "\". Not put back:" + Listed(result.failed) +
                               "\n\nUndo can be tried again.",
                           "Velmaro", forms::mb::Ok | forms::mb::IconExclamation);
  // The panel shows what the system holds now. Its load must not write: an
  // undone menu delay would be created again at once.
  if (shown_) {
    forms::Hourglass busy(*this);
    system_.capture.StartCapture();
    SelectOption(shown_);
    system_.capture.StopCapture();
  }
}

void Tweaker::OnExport() {
  const Category* category = CategoryOfNode(shown_);
  std::vector<const Category*> categories;
  if (category && CategoryNamed(category->text)) categories = {category};
  else categories = ExportableCategories();
  forms::FileDialogRequest request;
  request.title = "Export settings";
  request.filter = "Registration Files (*.reg)|*.reg|";
  request.flags = forms::ofn::OverwritePrompt | forms::ofn::HideReadOnly |
                  forms::ofn::PathMustExist | forms::ofn::Explorer;
  request.save = true;
  request.defaultExtension = "reg";
  request.fileName = categories.size() == 1 ? "Velmaro " + std::string(categories[0]->text) + ".reg"
                                            : "Velmaro settings.reg";
  std::replace(request.fileName.begin(), request.fileName.end(), '/', '-');
  const auto chosen = system_.toolkit.OpenFile(request);
  if (!chosen.ok) return;
  std::string error;
  bool written;
  {
    forms::Hourglass busy(*this);
    written = WriteExport(system_, categories, chosen.fileName, error);
  }
  if (written)
    system_.toolkit.MsgBox(
        "The settings of " +
            (categories.size() == 1 ? "\"" + std::string(categories[0]->text) + "\""
                                    : std::string("every category")) +
            " were written to " + chosen.fileName +
            ". The system's regedit can import them on another machine.",
        "Velmaro", forms::mb::Ok | forms::mb::IconInformation);
  else
    system_.toolkit.MsgBox(error, "Velmaro", forms::mb::Ok | forms::mb::IconExclamation);
}

void Tweaker::OnImport() {
  forms::FileDialogRequest request;
  request.title = "Import settings";
  request.filter = "Registration Files (*.reg)|*.reg|All Files (*.*)|*.*|";
  request.flags = forms::ofn::FileMustExist | forms::ofn::HideReadOnly |
                  forms::ofn::PathMustExist | forms::ofn::Explorer;
  const auto chosen = system_.toolkit.OpenFile(request);
  if (!chosen.ok) return;
  const auto say = [this](const std::string& text, int icon) {
    system_.toolkit.MsgBox(text, "Velmaro", forms::mb::Ok | icon);
  };
  const std::string& path = chosen.fileName;
  std::string bytes, why;
  regfile::File file;
  ImportPlan plan;
  {
    forms::Hourglass busy(*this);
    if (const long rc = system_.documents.ReadWholeFile(path, bytes, MaxImportFileBytes))
      why = "Windows reported error " + std::to_string(rc) + " reading it";
    else if (ReadImportFile(bytes, system_.capture.CodePage(), file, why))
      plan = PlanImport(system_, file);
  }
  if (!why.empty()) return say("Nothing was imported from " + path + ": " + why + ".",
                               forms::mb::IconExclamation);
  const std::string notImported =
      plan.refused.empty() ? std::string()
                           : "\n\nNot imported, because Velmaro does not change them:" +
                                 Listed(plan.refused);
  if (!plan.ChangesSomething())
    return say("Nothing to import from " + path +
                   (plan.refused.empty() ? ": the settings already hold what it says."
                                         : ": the settings Velmaro changes already hold what it "
                                           "says.") +
                   notImported,
               forms::mb::IconInformation);
  const int answer = system_.toolkit.MsgBox(
      "Importing " + path + " changes these settings:" + Listed(plan.changes) + notImported +
          "\n\nImport them? Undo takes the whole import back.",
      "Confirmation", forms::mb::YesNo | forms::mb::IconQuestion | forms::mb::DefButton2);
  if (answer != forms::IdYes) return;
  std::vector<std::string> failed;
  {
    forms::Hourglass busy(*this);
    failed = ApplyImport(system_, plan, "Import of " + path);
    // The panel shows what the system holds now; its load writes nothing.
    if (shown_) {
      system_.capture.StartCapture();
      SelectOption(shown_);
      system_.capture.StopCapture();
    }
  }
  if (failed.empty())
    say("Imported from " + path + ".", forms::mb::IconInformation);
  else
    say("Some settings of " + path + " were not imported; the rest were:" + Listed(failed),
        forms::mb::IconExclamation);
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
