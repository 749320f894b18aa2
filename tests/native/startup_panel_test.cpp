// The StartUp Applications panel: the Run key listed, a program added through
// the file dialog, a command line edited in place, a program removed, each
// written at once, and what happens where the plain rules would write the
// wrong thing.
#include "console/list_editor.h"
#include "support/console_fixture.h"
#include "support/wide_names.h"

namespace velmaro::console {
namespace {

using namespace velmaro::testing;

constexpr int kStartUp = NodeOf("StartUp Applications");
constexpr const char* kRun = "software\\microsoft\\windows\\currentversion\\run";
constexpr const char* kMakeChanges = "Do you want to make changes?";
constexpr const char* kRemoveQuestion =
    "Do you want to remove the application from the list of startup running apps.?";

class StartUpPanel : public CatalogueTest {
protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    system.reg.DeleteKey(HkeyLocalMachine, kRun);
    log.clear();
  }
  // Stored past the log: only the panel's own writes are counted.
  void Run(const std::string& name, const std::string& command) {
    const auto logged = log.size();
    ASSERT_TRUE(system.reg.SaveStringValue(HkeyLocalMachine, kRun, name, command));
    log.resize(logged);
  }
  forms::TreeView& List() { return main.Get<forms::TreeView>("RunList"); }
  std::vector<std::string> Shown() { return NodeTexts("RunList"); }
  bool EditingOffered() { return Offered("EditRun", "RemRun"); }
  // The user edits node `node` in place and ends the edit with `text`
  // (nothing for Esc).
  void EditNode(int node, std::optional<std::string> text) {
    tk.ClickNode(main, "RunList", node);
    tk.Click(main, "EditRun");
    tk.FinishLabelEdit(main, "RunList", std::move(text));
  }
  std::size_t Writes() { return recorded.Writes("SetValue").size() + recorded.Writes("DeleteValue").size(); }
};

TEST_F(StartUpPanel, ListsTheCommandLinesOfTheRunKeyAndOffersEditingAfterAClick) {
  Run("Zip", "c:\\zip.exe /tray");
  Run("Agent", "c:\\agent.exe");
  registry.SetRawValue(HkeyLocalMachine, kRun, "Number", RegDword, {1, 0, 0, 0});
  Choose(kStartUp);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"c:\\agent.exe", "[Number: a REG_DWORD value]",
                                               "c:\\zip.exe /tray"}));
  ASSERT_EQ(main.EntryTable.size(), 3u);
  EXPECT_EQ(main.EntryTable[1][0], "Number");
  EXPECT_FALSE(main.Get("Apply").Enabled());
  EXPECT_EQ(main.Get<forms::Button>("Apply").Caption(), "No settings");
  EXPECT_FALSE(EditingOffered());
  tk.Click(main, "RunList");  // on empty space too
  EXPECT_TRUE(EditingOffered());
  // Edit and Remove with nothing selected do nothing.
  tk.Click(main, "EditRun");
  EXPECT_EQ(List().EditingNode(), nullptr);
  tk.Click(main, "RemRun");
  EXPECT_TRUE(tk.Boxes().empty());
  EXPECT_EQ(Writes(), 0u);
}

TEST_F(StartUpPanel, AddStoresTheChosenFileUnderItsNameAndQuotesAPathWithBlanks) {
  tk.AnswerNextFileDialog("C:\\Program Files\\Zip Tool\\zip tray.exe");
  tk.AnswerNextFileDialog("C:\\Tools\\agent.exe");
  Choose(kStartUp);
  tk.Click(main, "AddRun");
  ASSERT_EQ(tk.FileDialogs().size(), 1u);
  const auto& asked = tk.FileDialogs()[0];
  EXPECT_EQ(asked.title, "Select an application to run on StartUp");
  EXPECT_EQ(asked.filter, "Executable File(*.exe;*.bat;*.com)|*.exe;*.bat;*.com|");
  EXPECT_EQ(asked.flags, 530436u);
  EXPECT_EQ(String(HkeyLocalMachine, kRun, "zip tray.exe"),
            "\"C:\\Program Files\\Zip Tool\\zip tray.exe\"");
  tk.Click(main, "RunList");
  tk.Click(main, "AddRun");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, "agent.exe"), "C:\\Tools\\agent.exe");
  EXPECT_FALSE(EditingOffered()) << "disabled again after an add";
  EXPECT_EQ(Shown(), (std::vector<std::string>{"C:\\Tools\\agent.exe",
                                               "\"C:\\Program Files\\Zip Tool\\zip tray.exe\""}));
  // A file of the same name replaces that entry's command line.
  tk.AnswerNextFileDialog("D:\\Other\\agent.exe");
  tk.Click(main, "AddRun");
  EXPECT_EQ(Shown().size(), 2u);
  EXPECT_EQ(String(HkeyLocalMachine, kRun, "agent.exe"), "D:\\Other\\agent.exe");
}

TEST_F(StartUpPanel, ACancelledFileDialogWritesNothing) {
  Run("Agent", "c:\\agent.exe");
  Choose(kStartUp);
  const auto before = WholeRegistry();
  tk.CancelNextFileDialog();
  tk.Click(main, "AddRun");
  EXPECT_EQ(WholeRegistry(), before);
  EXPECT_EQ(Writes(), 0u);
}

TEST_F(StartUpPanel, AnEditIsWrittenOnYesAsPlainTextUnderTheEntrysName) {
  Run("Agent", "c:\\agent.exe");
  registry.SetRawValue(HkeyLocalMachine, kRun, "Mixed", RegExpandSz,
                       {'%', 'w', '%', '\\', 'm', '.', 'e', 'x', 'e', 0});
  Choose(kStartUp);
  ASSERT_EQ(Shown(), (std::vector<std::string>{"c:\\agent.exe", "[Mixed: a REG_EXPAND_SZ value]"}));
  tk.AnswerNextBox(forms::IdYes, kMakeChanges);
  EditNode(2, "c:\\mixed.exe -q");
  EXPECT_EQ(tk.Boxes().back().title, "Confirmation");
  EXPECT_EQ(tk.Boxes().back().flags, forms::mb::YesNo | forms::mb::IconQuestion);
  EXPECT_EQ(String(HkeyLocalMachine, kRun, "Mixed"), "c:\\mixed.exe -q");
  EXPECT_EQ(system.reg.ValueType(HkeyLocalMachine, kRun, "Mixed"), RegSz);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"c:\\agent.exe", "c:\\mixed.exe -q"}));
  EXPECT_TRUE(EditingOffered());

  // No: the node keeps its text and nothing is written.
  const auto writes = Writes();
  tk.AnswerNextBox(forms::IdNo, kMakeChanges);
  EditNode(1, "c:\\other.exe");
  EXPECT_EQ(Shown()[0], "c:\\agent.exe");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, "Agent"), "c:\\agent.exe");
  EXPECT_EQ(Writes(), writes);
  EXPECT_TRUE(EditingOffered());
}

TEST_F(StartUpPanel, AnEditDismissedUnchangedOrEmptiedWritesNothing) {
  Run("Agent", "c:\\agent.exe");
  Choose(kStartUp);
  EditNode(1, std::nullopt);       // Esc
  EditNode(1, "c:\\agent.exe");    // Enter without a change
  EXPECT_TRUE(tk.Boxes().empty()) << "nothing to ask about";
  tk.AnswerNextBox(forms::IdOk);
  EditNode(1, "  ");
  ASSERT_EQ(tk.Boxes().size(), 1u);
  EXPECT_EQ(tk.Boxes()[0].text,
            "A start-up application needs a command line. To take it off the list, use Remove.");
  EXPECT_EQ(Shown()[0], "c:\\agent.exe");
  EXPECT_EQ(Writes(), 0u);
  EXPECT_TRUE(EditingOffered());
}

TEST_F(StartUpPanel, RemoveAsksWithNoAsTheDefaultAndDeletesOnYes) {
  Run("Agent", "c:\\agent.exe");
  Run("Zip", "c:\\zip.exe");
  Choose(kStartUp);
  tk.ClickNode(main, "RunList", 2);
  tk.AnswerNextBox(forms::IdNo, kRemoveQuestion);
  tk.Click(main, "RemRun");
  EXPECT_EQ(Writes(), 0u);
  EXPECT_EQ(tk.Boxes()[0].flags,
            forms::mb::YesNo | forms::mb::IconQuestion | forms::mb::DefButton2);
  tk.AnswerNextBox(forms::IdYes, kRemoveQuestion);
  tk.Click(main, "RemRun");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, "Zip"), "<none>");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, "Agent"), "c:\\agent.exe");
  EXPECT_EQ(Shown(), std::vector<std::string>{"c:\\agent.exe"});
  EXPECT_FALSE(EditingOffered());
}

TEST_F(StartUpPanel, AnEmptyRunKeyShowsItsUnnamedValueWhichEditAndRemoveActOn) {
  Run("Agent", "c:\\agent.exe");
  Choose(kStartUp);
  tk.ClickNode(main, "RunList", 1);
  tk.AnswerNextBox(forms::IdYes, kRemoveQuestion);
  tk.Click(main, "RemRun");
  // Removing the last entry leaves one node for the key's unnamed value.
  ASSERT_EQ(Shown(), std::vector<std::string>{""});
  EXPECT_EQ(main.EntryTable.at(0)[0], "");
  tk.AnswerNextBox(forms::IdYes, kMakeChanges);
  EditNode(1, "c:\\unnamed.exe");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, ""), "c:\\unnamed.exe");
  EXPECT_EQ(Shown(), std::vector<std::string>{"c:\\unnamed.exe"});
  tk.ClickNode(main, "RunList", 1);
  tk.AnswerNextBox(forms::IdYes, kRemoveQuestion);
  tk.Click(main, "RemRun");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, ""), "<none>");
}

TEST_F(StartUpPanel, AValueOfMoreThan4000BytesEndsTheListing) {
  Run("A", "c:\\a.exe");
  Run("B", std::string(4001, 'b'));
  Run("C", "c:\\c.exe");
  Choose(kStartUp);
  EXPECT_EQ(Shown(), std::vector<std::string>{"c:\\a.exe"});
}

TEST_F(StartUpPanel, TenThousandValuesAreAllListedAndEachEditReachesItsOwn) {
  for (int i = 0; i < 10000; ++i)
    registry.SetRawValue(HkeyLocalMachine, kRun, "App" + std::to_string(100000 + i), RegSz,
                         {'x', 0});
  Choose(kStartUp);
  ASSERT_EQ(List().Count(), 10000);
  ASSERT_EQ(main.EntryTable.size(), 10000u);
  tk.AnswerNextBox(forms::IdYes, kMakeChanges);
  EditNode(10000, "c:\\last.exe");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, "App109999"), "c:\\last.exe");
  EXPECT_EQ(recorded.Writes("SetValue"), std::vector<std::string>{"App109999"});
}

TEST_F(StartUpPanel, TextWindowsCannotStoreOrAKeyItRefusesIsNamedAndNothingIsLost) {
  Run("Agent", "c:\\agent.exe");
  Choose(kStartUp);
  const std::string snow = "c:\\\xE9\x9B\xAA.exe";  // an ideograph no Western code page holds
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::NotStorable) + "\n" + snow);
  EditNode(1, snow);
  EXPECT_EQ(Shown()[0], "c:\\agent.exe");
  EXPECT_EQ(Writes(), 0u);

  registry.ProtectKey(HkeyLocalMachine, kRun);
  tk.AnswerNextFileDialog("c:\\new.exe");
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::NotSaved) + "\nc:\\new.exe");
  tk.Click(main, "AddRun");
  tk.ClickNode(main, "RunList", 1);
  tk.AnswerNextBox(forms::IdYes, kRemoveQuestion);
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::NotSaved) + "\nc:\\agent.exe");
  tk.Click(main, "RemRun");
  EXPECT_EQ(Shown(), std::vector<std::string>{"c:\\agent.exe"}) << "the list shows the real state";
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

// A value named outside the code page beside its look-alike "??????" of
// another program: Edit and Remove reach exactly the value listed. A value
// of another type shows its name and type; one whose name Windows gives only
// in part is listed, and Edit and Remove refuse it.
TEST_F(StartUpPanel, EditAndRemoveActOnExactlyTheValueListedNeverOnALookAlike) {
  using namespace testing;
  Run(kLookAlikeName, "c:\\twin.exe");
  Run(kCyrillicName, "c:\\wide.exe");
  registry.SetRawValue(HkeyLocalMachine, kRun, "Tray", RegExpandSz, {'%', 'T', '%', 0});
  registry.SetRawValue(HkeyLocalMachine, kRun, std::string("x") + kHalfPair, RegSz, {'h', 0});
  Choose(kStartUp);
  const std::string half = std::string("[x") + kReplacement + ": a name Windows gives only in part]";
  ASSERT_EQ(Shown(), (std::vector<std::string>{"c:\\twin.exe", "[Tray: a REG_EXPAND_SZ value]",
                                               half, "c:\\wide.exe"}));
  tk.AnswerNextBox(forms::IdYes, kMakeChanges);
  EditNode(4, "c:\\edited.exe");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, kCyrillicName), "c:\\edited.exe");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, kLookAlikeName), "c:\\twin.exe");
  tk.ClickNode(main, "RunList", 4);
  tk.AnswerNextBox(forms::IdYes, kRemoveQuestion);
  tk.Click(main, "RemRun");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, kCyrillicName), "<none>");
  EXPECT_EQ(String(HkeyLocalMachine, kRun, kLookAlikeName), "c:\\twin.exe");
  EXPECT_EQ(recorded.Writes("SetValue"), std::vector<std::string>{kCyrillicName});
  EXPECT_EQ(recorded.Writes("DeleteValue"), std::vector<std::string>{kCyrillicName});

  tk.ClickNode(main, "RunList", 3);
  tk.AnswerNextBox(forms::IdOk, std::string(Unreachable));
  tk.Click(main, "EditRun");
  EXPECT_EQ(List().EditingNode(), nullptr);
  tk.ClickNode(main, "RunList", 3);
  tk.AnswerNextBox(forms::IdOk, std::string(Unreachable));
  tk.Click(main, "RemRun");
  EXPECT_EQ(Writes(), 2u);
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

}  // namespace
}  // namespace velmaro::console
