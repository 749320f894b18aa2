// The Add/Remove panel and its dialog EditNewIt: which Uninstall entries are
// listed, an entry created, changed and removed, each written at once, and
// the input that would write the wrong thing refused in the program's words.
#include "console/edit_new_it.h"
#include "console/list_editor.h"
#include "support/console_fixture.h"
#include "support/wide_names.h"

namespace velmaro::console {
namespace {

using namespace velmaro::testing;

constexpr int kAddRemove = NodeOf("Add/Remove");
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kSaveChanges =
    "Do you really want to save the changes made to the uninstall item?";
constexpr const char* kRemoveQuestion = "Are you sure you want to remove the add/remove item?";

class AddRemovePanel : public CatalogueTest {
protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    system.reg.DeleteKey(HkeyLocalMachine, kUninstall);
    log.clear();
  }
  static std::string Key(const std::string& name) { return std::string(kUninstall) + "\\" + name; }
  void Entry(const std::string& key, const std::string& display, const std::string& command) {
    ASSERT_TRUE(system.reg.SaveStringValue(HkeyLocalMachine, Key(key), "DisplayName", display));
    ASSERT_TRUE(system.reg.SaveStringValue(HkeyLocalMachine, Key(key), "UninstallString", command));
  }
  forms::TreeView& List() { return main.Get<forms::TreeView>("List1"); }
  std::vector<std::string> Shown() { return NodeTexts("List1"); }
  bool EditingOffered() { return Offered("EditIt", "RemIt"); }
  // The dialog, while it is open, typed into and closed with `button`.
  void InDialog(const std::string& name, const std::string& command, const char* button,
                std::function<void(forms::Form&)> look = {}) {
    tk.WhenModal("EditNewIt", [=, this](forms::Form& d) {
      if (look) look(d);
      tk.Type(d, "Text1", name);
      tk.Type(d, "Text2", command);
      tk.Click(d, button);
    });
  }
  std::string Value(const std::string& key, const char* name) {
    return String(HkeyLocalMachine, Key(key), name);
  }
};

TEST_F(AddRemovePanel, ListsTheEntriesWithBothValuesSpeltExactly) {
  Entry("Zeta", "Zeta Viewer", "c:\\zeta\\uninst.exe");
  Entry("Alpha", "Alpha Suite", "\"c:\\alpha\\setup.exe\" /remove");
  system.reg.SaveStringValue(HkeyLocalMachine, Key("NoCommand"), "DisplayName", "No command");
  system.reg.SaveStringValue(HkeyLocalMachine, Key("NoName"), "UninstallString", "x.exe");
  // Names in another letter case do not count.
  system.reg.SaveStringValue(HkeyLocalMachine, Key("Lower"), "displayname", "Lower");
  system.reg.SaveStringValue(HkeyLocalMachine, Key("Lower"), "UninstallString", "l.exe");
  // A value of more than 4000 bytes ahead of both ends that entry's listing.
  system.reg.SaveStringValue(HkeyLocalMachine, Key("Big"), "AAA", std::string(4001, 'a'));
  Entry("Big", "Big", "big.exe");
  Choose(kAddRemove);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Alpha Suite", "Zeta Viewer"}));
  ASSERT_EQ(main.EntryTable.size(), 2u);
  EXPECT_EQ(main.EntryTable[0][0], "\"c:\\alpha\\setup.exe\" /remove");
  EXPECT_EQ(main.EntryTable[0][1], Key("Alpha"));
  EXPECT_EQ(main.EntryTable[1][1], Key("Zeta"));
  EXPECT_FALSE(EditingOffered());
  EXPECT_FALSE(main.Get("Apply").Enabled());
  tk.Click(main, "List1");
  EXPECT_TRUE(EditingOffered());
  // Edit and Remove with nothing selected do nothing.
  tk.Click(main, "EditIt");
  tk.Click(main, "RemIt");
  EXPECT_TRUE(tk.Boxes().empty());
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(AddRemovePanel, TwoThousandEntriesSomeIncompleteAreListedInFull) {
  for (int i = 0; i < 2000; ++i) {
    const std::string key = "App" + std::to_string(10000 + i);
    system.reg.SaveStringValue(HkeyLocalMachine, Key(key), "DisplayName", key);
    if (i % 10 != 0)
      system.reg.SaveStringValue(HkeyLocalMachine, Key(key), "UninstallString", key + ".exe");
  }
  Choose(kAddRemove);
  EXPECT_EQ(List().Count(), 1800);
  EXPECT_EQ(main.EntryTable.size(), 1800u);
  EXPECT_EQ(List().Node(1800)->Text(), "App11999");
  EXPECT_EQ(main.EntryTable[1799][1], Key("App11999"));
}

TEST_F(AddRemovePanel, CreateWritesTheNameAndThenTheCommandUnderANewKey) {
  Entry("Alpha", "Alpha Suite", "a.exe");
  Choose(kAddRemove);
  tk.Click(main, "List1");
  main.Fl = "Edit";  // left from before: Add sets it again
  InDialog("Velmaro Test", "c:\\vt\\uninstall.exe /x", "OK", [](forms::Form& d) {
    EXPECT_EQ(d.Caption(), "Create new add/remove item");
    EXPECT_EQ(d.Get<forms::Button>("OK").Caption(), "Create New");
    EXPECT_EQ(d.Get<forms::Label>("Disp").Caption(), "Display name : ");
    EXPECT_EQ(d.Get<forms::Label>("Label1").Caption(), "File name and command line arguments :");
    EXPECT_EQ(d.Get<forms::TextBox>("Text1").Text(), "");
  });
  log.clear();
  tk.Click(main, "AddIt");
  EXPECT_EQ(main.Fl, "New");
  EXPECT_EQ(Value("Velmaro Test", "DisplayName"), "Velmaro Test");
  EXPECT_EQ(Value("Velmaro Test", "UninstallString"), "c:\\vt\\uninstall.exe /x");
  EXPECT_EQ(recorded.Writes("SetValue"),
            (std::vector<std::string>{"DisplayName", "UninstallString"}));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Alpha Suite", "Velmaro Test"}));
  EXPECT_FALSE(EditingOffered());
  EXPECT_TRUE(tk.Boxes().empty()) << "creating asks nothing";
}

TEST_F(AddRemovePanel, CancelWritesNothingButTheListIsRebuilt) {
  Entry("Alpha", "Alpha Suite", "a.exe");
  Choose(kAddRemove);
  tk.Click(main, "List1");
  Entry("Beta", "Beta", "b.exe");  // behind the console's back
  const auto before = WholeRegistry();
  InDialog("Never", "never.exe", "Cancel");
  tk.Click(main, "AddIt");
  EXPECT_EQ(WholeRegistry(), before);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Alpha Suite", "Beta"}));
  EXPECT_FALSE(EditingOffered());
}

TEST_F(AddRemovePanel, CreatingOverAnEntrysKeyNameOrWithABackslashFollowsTheKeys) {
  Entry("Alpha", "Alpha Suite", "a.exe");
  Choose(kAddRemove);
  // The key "Alpha" exists: its two values are overwritten.
  InDialog("Alpha", "new.exe", "OK");
  tk.Click(main, "AddIt");
  EXPECT_EQ(Value("Alpha", "DisplayName"), "Alpha");
  EXPECT_EQ(Value("Alpha", "UninstallString"), "new.exe");
  EXPECT_EQ(Shown(), std::vector<std::string>{"Alpha"});
  // A backslash makes nested keys, which the list does not show.
  InDialog("Tools\\Zip", "zip.exe", "OK");
  tk.Click(main, "AddIt");
  EXPECT_EQ(Value("Tools\\Zip", "DisplayName"), "Tools\\Zip");
  EXPECT_EQ(Shown(), std::vector<std::string>{"Alpha"});
}

TEST_F(AddRemovePanel, AnEmptyNameOrTextWindowsCannotStoreIsRefusedAndTheDialogStaysOpen) {
  Choose(kAddRemove);
  const auto before = WholeRegistry();
  tk.WhenModal("EditNewIt", [this](forms::Form& d) {
    for (const char* name : {"", "   ", "\\"}) {
      tk.AnswerNextBox(forms::IdOk, std::string(EditNewIt::NoDisplayName));
      tk.Type(d, "Text1", name);
      tk.Type(d, "Text2", "c:\\x.exe");
      tk.Click(d, "OK");
      ASSERT_TRUE(d.Loaded()) << "\"" << name << "\"";
      EXPECT_EQ(d.ActiveControl(), &d.Get("Text1"));
    }
    tk.AnswerNextBox(forms::IdOk,
                     std::string(SaveReport::NotStorable) + "\nDisplay name");
    tk.Type(d, "Text1", "Snow \xE9\x9B\xAA");
    tk.Click(d, "OK");
    ASSERT_TRUE(d.Loaded());
    EXPECT_EQ(d.Get<forms::TextBox>("Text1").Text(), "Snow \xE9\x9B\xAA") << "nothing typed is lost";
    tk.Click(d, "Cancel");
  });
  tk.Click(main, "AddIt");
  EXPECT_EQ(WholeRegistry(), before);
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(AddRemovePanel, EditKeepsTheKeyAndReselectsTheEntry) {
  Entry("a-key", "Alpha Suite", "a.exe");
  Entry("b-key", "Beta Tools", "b.exe");
  Entry("c-key", "Gamma", "c.exe");
  Choose(kAddRemove);
  tk.ClickNode(main, "List1", 2);
  tk.AnswerNextBox(forms::IdYes, kSaveChanges);
  InDialog("Zulu Tools", "b.exe /uninstall", "OK", [](forms::Form& d) {
    EXPECT_EQ(d.Caption(), "Edit existing add/remove item");
    EXPECT_EQ(d.Get<forms::Button>("OK").Caption(), "Make change...");
    EXPECT_EQ(d.Get<forms::TextBox>("Text1").Text(), "Beta Tools");
    EXPECT_EQ(d.Get<forms::TextBox>("Text2").Text(), "b.exe");
  });
  tk.Click(main, "EditIt");
  EXPECT_EQ(main.RealName, Key("b-key"));
  EXPECT_EQ(Value("b-key", "DisplayName"), "Zulu Tools");
  EXPECT_EQ(Value("b-key", "UninstallString"), "b.exe /uninstall");
  EXPECT_FALSE(system.reg.KeyExists(HkeyLocalMachine, Key("Zulu Tools"))) << "no new key";
  // Listed in key order, so at the same place, and chosen again.
  EXPECT_EQ(Shown(), (std::vector<std::string>{"Alpha Suite", "Zulu Tools", "Gamma"}));
  ASSERT_NE(List().SelectedItem(), nullptr);
  EXPECT_EQ(List().SelectedItem()->Index(), 2);
  EXPECT_TRUE(List().Visible());
  EXPECT_EQ(main.ActiveControl(), &List());
  EXPECT_TRUE(EditingOffered());
}

TEST_F(AddRemovePanel, AnsweringNoWritesNothingAndAShorterListSelectsNothing) {
  Entry("a-key", "Alpha", "a.exe");
  Entry("b-key", "Beta", "b.exe");
  Choose(kAddRemove);
  tk.ClickNode(main, "List1", 2);
  const auto before = WholeRegistry();
  tk.AnswerNextBox(forms::IdNo, kSaveChanges);
  InDialog("Other", "other.exe", "OK");
  tk.Click(main, "EditIt");
  EXPECT_EQ(WholeRegistry(), before);
  EXPECT_EQ(List().SelectedItem()->Index(), 2);

  // The entry goes while the dialog is open: nothing is selected afterwards.
  tk.WhenModal("EditNewIt", [this](forms::Form& d) {
    system.reg.DeleteKey(HkeyLocalMachine, Key("b-key"));
    tk.Click(d, "Cancel");
  });
  tk.Click(main, "EditIt");
  EXPECT_EQ(Shown(), std::vector<std::string>{"Alpha"});
  EXPECT_EQ(List().SelectedItem(), nullptr);
}

TEST_F(AddRemovePanel, AnEditRewritesOnlyWhatWasChanged) {
  // What the ANSI functions show of a name the code page cannot hold, and a
  // command stored expandable (shown empty): neither may be overwritten by
  // an edit of the other.
  Entry("k", "Caf? ??", "k.exe");
  registry.SetRawValue(HkeyLocalMachine, Key("x"), "DisplayName", RegSz, {'X', 0});
  registry.SetRawValue(HkeyLocalMachine, Key("x"), "UninstallString", RegExpandSz,
                       {'%', 'p', '%', 0});
  Choose(kAddRemove);
  tk.ClickNode(main, "List1", 1);
  tk.AnswerNextBox(forms::IdYes, kSaveChanges);
  InDialog("Caf? ??", "k.exe /quiet", "OK");
  log.clear();
  tk.Click(main, "EditIt");
  EXPECT_EQ(recorded.Writes("SetValue"), std::vector<std::string>{"UninstallString"});
  tk.ClickNode(main, "List1", 2);
  tk.AnswerNextBox(forms::IdYes, kSaveChanges);
  InDialog("Xavier", "", "OK");
  log.clear();
  tk.Click(main, "EditIt");
  EXPECT_EQ(recorded.Writes("SetValue"), std::vector<std::string>{"DisplayName"});
  EXPECT_EQ(system.reg.ValueType(HkeyLocalMachine, Key("x"), "UninstallString"), RegExpandSz);
}

TEST_F(AddRemovePanel, RemoveAsksAndDeletesTheWholeKeyOnYes) {
  Entry("a-key", "Alpha", "a.exe");
  Entry("b-key", "Beta", "b.exe");
  system.reg.SaveStringValue(HkeyLocalMachine, Key("b-key") + "\\Sub", "v", "x");
  Choose(kAddRemove);
  tk.ClickNode(main, "List1", 2);
  tk.AnswerNextBox(forms::IdNo, kRemoveQuestion);
  tk.Click(main, "RemIt");
  EXPECT_TRUE(system.reg.KeyExists(HkeyLocalMachine, Key("b-key")));
  EXPECT_EQ(tk.Boxes()[0].title, "Confirmation");
  EXPECT_EQ(tk.Boxes()[0].flags, forms::mb::YesNo | forms::mb::IconExclamation);
  tk.AnswerNextBox(forms::IdYes, kRemoveQuestion);
  tk.Click(main, "RemIt");
  EXPECT_FALSE(system.reg.KeyExists(HkeyLocalMachine, Key("b-key")));
  EXPECT_TRUE(system.reg.KeyExists(HkeyLocalMachine, Key("a-key")));
  EXPECT_EQ(Shown(), std::vector<std::string>{"Alpha"});
  EXPECT_FALSE(EditingOffered());
}

TEST_F(AddRemovePanel, ChangesWindowsRefusesAreNamed) {
  Entry("a-key", "Alpha", "a.exe");
  Choose(kAddRemove);
  // A name longer than a key's name can be.
  const auto before = WholeRegistry();
  InDialog(std::string(300, 'n'), "n.exe", "OK");
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::NotSaved) + "\nDisplay name");
  tk.Click(main, "AddIt");
  EXPECT_EQ(WholeRegistry(), before);

  registry.ProtectKey(HkeyLocalMachine, kUninstall);
  InDialog("New one", "n.exe", "OK");
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::NotSaved) + "\nDisplay name");
  tk.Click(main, "AddIt");
  tk.ClickNode(main, "List1", 1);
  tk.AnswerNextBox(forms::IdYes, kRemoveQuestion);
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::NotSaved) + "\nAlpha");
  tk.Click(main, "RemIt");
  EXPECT_EQ(Shown(), std::vector<std::string>{"Alpha"});
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

// A key named outside the code page beside its look-alike "??????": Edit
// and Remove reach exactly the key listed. A display name of another type
// shows the key's name and the type; a key whose name Windows gives only in
// part is listed, and Edit and Remove refuse it.
TEST_F(AddRemovePanel, EditAndRemoveActOnExactlyTheKeyListedNeverOnALookAlike) {
  using namespace testing;
  Entry(kLookAlikeName, "Twin", "twin.exe");
  Entry(kCyrillicName, "Wide", "wide.exe");
  registry.SetRawValue(HkeyLocalMachine, Key("Typed"), "DisplayName", RegExpandSz, {'%', 0});
  registry.SetRawValue(HkeyLocalMachine, Key("Typed"), "UninstallString", RegSz, {'t', 0});
  registry.AddRawKey(HkeyLocalMachine, kUninstall, std::string("k") + kHalfPair);
  Choose(kAddRemove);
  const std::string half = std::string("[k") + kReplacement + ": a name Windows gives only in part]";
  ASSERT_EQ(Shown(), (std::vector<std::string>{"Twin", half, "[Typed: a REG_EXPAND_SZ value]",
                                               "Wide"}));
  tk.ClickNode(main, "List1", 4);
  InDialog("Wide 2", "wide2.exe", "OK");
  tk.AnswerNextBox(forms::IdYes, kSaveChanges);
  tk.Click(main, "EditIt");
  EXPECT_EQ(Value(kCyrillicName, "UninstallString"), "wide2.exe");
  EXPECT_EQ(Value(kLookAlikeName, "DisplayName"), "Twin");
  EXPECT_EQ(Value(kLookAlikeName, "UninstallString"), "twin.exe");
  tk.ClickNode(main, "List1", 4);
  tk.AnswerNextBox(forms::IdYes, kRemoveQuestion);
  tk.Click(main, "RemIt");
  EXPECT_FALSE(system.reg.KeyExists(HkeyLocalMachine, Key(kCyrillicName)));
  EXPECT_EQ(Value(kLookAlikeName, "UninstallString"), "twin.exe");

  const auto before = WholeRegistry();
  tk.ClickNode(main, "List1", 2);
  tk.AnswerNextBox(forms::IdOk, std::string(Unreachable));
  tk.Click(main, "EditIt");
  tk.AnswerNextBox(forms::IdOk, std::string(Unreachable));
  tk.Click(main, "RemIt");
  EXPECT_EQ(WholeRegistry(), before);
  EXPECT_EQ(Shown().size(), 3u);
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

}  // namespace
}  // namespace velmaro::console
