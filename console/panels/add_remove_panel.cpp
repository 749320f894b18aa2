// The Add/Remove panel: the entries that the system's Add/Remove Programs list
// offers to uninstall, one key each under the machine-wide Uninstall key.
// Creating and changing go through the EditNewIt dialog; every change is
// written at once.
#include "console/categories.h"
#include "console/edit_new_it.h"
#include "console/list_editor.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"
#include "system_access/value_texts.h"

namespace velmaro::console {
namespace {

using platform::HkeyLocalMachine;

constexpr ListEditorControls kControls{"List1", forms::LabelEditMode::None, "AddIt",
                                      "EditIt", "Edit...", "RemIt"};

void Layout(forms::FormSpec& f, int frame) { LayoutListEditor(f, frame, kControls); }

class AddRemove final : public Panel {
public:
  explicit AddRemove(Tweaker& main)
      : main_(main),
        sys_(main.System()),
        List1(main.Get<forms::TreeView>(kControls.list)),
        editing_(main, kControls),
        dialog_(sys_, main) {
    main.OnClick(kControls.add, [this] { OnAdd(); });
    main.OnClick(kControls.edit, [this] { OnEdit(); });
    main.OnClick(kControls.remove, [this] { OnRemove(); });
  }

  void Load() override {
    List1.Clear();
    editing_.Offer(false);
    Fill();
  }

private:
  // The callers clear the list first. Key names are exact (also those the
  // code page cannot hold), so Edit and Remove act on the key listed and
  // never on a look-alike.
  void Fill() {
    forms::Hourglass busy(main_);
    main_.EntryTable.clear();
    const auto keys = sys_.reg.GetAllKeys(HkeyLocalMachine, EditNewIt::UninstallKey, &reachable_);
    AddContinue(keys, static_cast<int>(keys.size()) - 1);
  }

  // Lists the entries among keys q[0..t] that have both a "DisplayName" and
  // an "UninstallString", names compared as they are spelt. A key no call can
  // reach by its name is listed all the same, with an empty path in the
  // table: Edit and Remove refuse it.
  void AddContinue(const std::vector<std::string>& q, int t) {
    for (int i = 0; i <= t; ++i) {
      if (!reachable_[i]) {
        main_.EntryTable.push_back({"", ""});
        List1.Add(UnreachableLook(q[i]));
        continue;
      }
      const std::string path = std::string(EditNewIt::UninstallKey) + "\\" + q[i];
      const ValueText* display = nullptr;
      const ValueText* command = nullptr;
      const auto values = GetAllValueTexts(sys_.reg, HkeyLocalMachine, path);
      for (const ValueText& v : values) {
        if (v.name == "DisplayName") display = &v;
        if (v.name == "UninstallString") command = &v;
      }
      if (!display || !command) continue;
      const auto n = static_cast<std::size_t>(List1.Count());
      main_.EntryTable.resize(n + 1);
      main_.EntryTable[n] = {command->text, path};
      List1.Add(display->type == platform::RegSz ? display->text
                                                 : OtherTypeLook(q[i], *display->type));
    }
  }

  // The table row of the selected entry, or -1 when none is selected or the
  // entry cannot be reached by its name (the user is told).
  int SelectedRow() const {
    const forms::TreeNode* node = List1.SelectedItem();
    if (!node || static_cast<std::size_t>(node->Index()) > main_.EntryTable.size()) return -1;
    if (main_.EntryTable[node->Index() - 1][1].empty()) {
      RefuseUnreachable(sys_.toolkit);
      return -1;
    }
    return node->Index() - 1;
  }

  void OnAdd() {
    main_.Fl = "New";
    sys_.toolkit.ShowModal(dialog_);
    List1.Clear();
    editing_.Offer(false);
    Fill();
  }

  void OnEdit() {
    const int row = SelectedRow();
    if (row < 0) return;
    main_.Fl = "Edit";
    main_.CommandLine = main_.EntryTable[row][0];
    main_.Display = List1.SelectedItem()->Text();
    main_.RealName = main_.EntryTable[row][1];
    sys_.toolkit.ShowModal(dialog_);
    List1.SetVisible(false);
    List1.Clear();
    Fill();
    // The same position again; nothing when the list became shorter.
    List1.Select(List1.Node(row + 1));
    List1.SetVisible(true);
    List1.SetFocus();
  }

  void OnRemove() {
    const int row = SelectedRow();
    if (row < 0) return;
    if (sys_.toolkit.MsgBox("Are you sure you want to remove the add/remove item?",
                            "Confirmation",
                            forms::mb::YesNo | forms::mb::IconExclamation) != forms::IdYes)
      return;
    SaveReport report;
    report.Check(RemoveKey(sys_.reg, HkeyLocalMachine, main_.EntryTable[row][1]), sys_.reg,
                 List1.SelectedItem()->Text());
    List1.Clear();
    editing_.Offer(false);
    Fill();
    report.Tell(sys_.toolkit);
  }

  Tweaker& main_;
  ConsoleSystem& sys_;
  forms::TreeView& List1;
  EditingButtons editing_;  // EditIt, RemIt
  EditNewIt dialog_;
  std::vector<bool> reachable_;  // by key, as GetAllKeys listed them
};

}  // namespace

const PanelKind AddRemovePanel{&Layout, &MakePanel<AddRemove>};

}  // namespace velmaro::console
