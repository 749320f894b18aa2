// The StartUp Applications panel: the programs that Windows starts for every
// user at log-on, one value each in the machine-wide Run key. Adding, editing
// and removing write at once.
#include "console/categories.h"
#include "console/list_editor.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"
#include "platform/paths.h"
#include "system_access/value_texts.h"

namespace velmaro::console {
namespace {

using forms::Event;
using forms::EventArgs;
using platform::HkeyLocalMachine;

constexpr std::string_view kRun = "software\\microsoft\\windows\\currentversion\\run";
constexpr unsigned kAddFlags = forms::ofn::Explorer | forms::ofn::FileMustExist |
                               forms::ofn::PathMustExist | forms::ofn::HideReadOnly;  // 530436

constexpr ListEditorControls kControls{"RunList", forms::LabelEditMode::Manual, "AddRun",
                                      "EditRun", "Edit", "RemRun"};

void Layout(forms::FormSpec& f, int frame) { LayoutListEditor(f, frame, kControls); }

bool Blank(std::string_view text) { return text.find_first_not_of(" \t") == std::string::npos; }

class StartUp final : public Panel {
public:
  explicit StartUp(Tweaker& main)
      : main_(main),
        sys_(main.System()),
        RunList(main.Get<forms::TreeView>(kControls.list)),
        editing_(main, kControls) {
    main.OnClick(kControls.add, [this] { OnAdd(); });
    main.OnClick(kControls.edit, [this] { OnEdit(); });
    main.On(Event::AfterLabelEdit, RunList.Name(), [this](EventArgs& e) { OnEdited(e); });
    main.OnClick(kControls.remove, [this] { OnRemove(); });
  }

  // Every program the Run key starts, as stored (the listing's own limits).
  std::vector<regfile::Key> Export() override {
    regfile::Key run{HkeyLocalMachine, std::string(kRun), false, {}};
    for (const auto& column : sys_.reg.GetAllValues(HkeyLocalMachine, kRun)) {
      if (!column.type) continue;  // the one empty column of a key without values
      const auto raw = sys_.reg.GetRawValue(HkeyLocalMachine, kRun, column.name);
      if (raw && raw->readable)
        run.values.push_back({column.name, regfile::Data{raw->type, raw->bytes}});
    }
    if (run.values.empty()) return {};
    return {run};
  }

  void Load() override {
    PrepareList();
    editing_.Offer(false);
  }

private:
  // Value names are exact (also those the code page cannot hold), so Edit
  // and Remove act on the value listed and never on a look-alike.
  void PrepareList() {
    forms::Hourglass busy(main_);
    RunList.Clear();
    main_.EntryTable.clear();
    reachable_.clear();
    for (const ValueText& v : GetAllValueTexts(sys_.reg, HkeyLocalMachine, kRun)) {
      if (!v.reachable)
        RunList.Add(UnreachableLook(v.name));
      else if (v.type && *v.type != platform::RegSz)
        RunList.Add(OtherTypeLook(v.name, *v.type));
      else
        RunList.Add(v.text);
      main_.EntryTable.push_back({v.name, {}});
      reachable_.push_back(v.reachable);
    }
  }

  // The value name of a node, or null for a node the table does not hold or
  // one no call can reach by name (the user is told).
  const std::string* NameOf(const forms::TreeNode& node) const {
    const auto row = static_cast<std::size_t>(node.Index() - 1);
    if (row >= main_.EntryTable.size()) return nullptr;
    if (row < reachable_.size() && !reachable_[row]) {
      RefuseUnreachable(sys_.toolkit);
      return nullptr;
    }
    return &main_.EntryTable[row][0];
  }

  void OnEdit() {
    const forms::TreeNode* node = RunList.SelectedItem();
    if (node && NameOf(*node)) RunList.StartLabelEdit();
  }

  void OnAdd() {
    forms::FileDialogRequest request;
    request.title = "Select an application to run on StartUp";
    request.filter = "Executable File(*.exe;*.bat;*.com)|*.exe;*.bat;*.com|";
    request.flags = kAddFlags;
    const forms::FileDialogResult chosen = sys_.toolkit.OpenFile(request);
    // Cancelled: nothing to write.
    if (!chosen.ok || chosen.fileTitle.empty()) return;
    SaveReport report;
    const std::string command = platform::CommandPath(chosen.fileName);
    SaveText(sys_.reg, HkeyLocalMachine, kRun, chosen.fileTitle, command, command, report);
    PrepareList();
    editing_.Offer(false);
    report.Tell(sys_.toolkit);
  }

  void OnEdited(EventArgs& e) {
    const forms::TreeNode& node = *e.node;
    const std::string* name = NameOf(node);
    // Dismissed or unchanged: nothing to ask, nothing to write.
    if (!e.newText || *e.newText == node.Text() || !name) {
      e.cancel = true;
      editing_.Offer(true);
      return;
    }
    if (Blank(*e.newText)) {
      sys_.toolkit.MsgBox(std::string(EmptyCommand), "Velmaro",
                          forms::mb::Ok | forms::mb::IconExclamation);
      e.cancel = true;
      editing_.Offer(true);
      return;
    }
    SaveReport report;
    if (!Storable(sys_.reg, *e.newText)) {
      report.CannotHold(*e.newText);
      e.cancel = true;
    } else if (sys_.toolkit.MsgBox("Do you want to make changes?", "Confirmation",
                                   forms::mb::YesNo | forms::mb::IconQuestion) == forms::IdYes) {
      const std::string valueName = *name;  // the list is rebuilt below
      report.Check(sys_.reg.SaveStringValue(HkeyLocalMachine, kRun, valueName, *e.newText),
                   sys_.reg, *e.newText);
      PrepareList();
    } else {
      e.cancel = true;
    }
    editing_.Offer(true);
    report.Tell(sys_.toolkit);
  }

  void OnRemove() {
    const forms::TreeNode* node = RunList.SelectedItem();
    const std::string* name = node ? NameOf(*node) : nullptr;
    if (!name) return;
    if (sys_.toolkit.MsgBox(
            "Do you want to remove the application from the list of startup running apps.?",
            "Confirmation",
            forms::mb::YesNo | forms::mb::IconQuestion | forms::mb::DefButton2) != forms::IdYes)
      return;
    SaveReport report;
    report.Check(RemoveValue(sys_.reg, HkeyLocalMachine, kRun, *name), sys_.reg, node->Text());
    PrepareList();
    editing_.Offer(false);
    report.Tell(sys_.toolkit);
  }

  static constexpr std::string_view EmptyCommand =
      "A start-up application needs a command line. To take it off the list, use Remove.";

  Tweaker& main_;
  ConsoleSystem& sys_;
  forms::TreeView& RunList;
  EditingButtons editing_;  // EditRun, RemRun
  std::vector<bool> reachable_;  // by EntryTable row
};

}  // namespace

const PanelKind StartUpPanel{&Layout, &MakePanel<StartUp>};

}  // namespace velmaro::console
