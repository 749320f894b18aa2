// Undo and export through the main window, as a user meets them: whatever
// the registry and the boot file held, applies of random changes undone in
// turn give back every byte; Export writes what the panels show and changes
// nothing; the command line exports without a window.
#include <gtest/gtest.h>

#include <random>

#include "console/export.h"
#include "console/import.h"
#include "platform/utf8.h"
#include "platform/memory/memory_desktop.h"
#include "platform/memory/memory_mouse.h"
#include "console/save_report.h"
#include "support/panel_console.h"
#include "support/undo_support.h"
#include "support/wide_names.h"

namespace velmaro::testing {
namespace {

constexpr const char* kPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kHistory = "C:\\Users\\Ann\\Application Data\\Velmaro\\Undo history.txt";

struct UndoConsole {
  MemoryRegistry registry;
  MemoryFiles files;
  MemoryMouse mouse;
  MemoryDesktop desktop;
  std::optional<TestJournal> journal;
  AnsweringToolkit tk;
  std::optional<console::ConsoleSystem> system;
  std::optional<console::Tweaker> main;

  // The console starts over whatever the test put in the registry and files.
  void Start() {
    journal.emplace(registry, files, kHistory);
    system.emplace(tk, journal->Registry(), journal->Files(), mouse, desktop, console::HelpTopics{},
                   &*journal, &files);
    main.emplace(*system);
    system->store.Write(settings::ShowMess, "0");
    tk.Show(*main);
    tk.Advance(console::Splash::TimerInterval);
    tk.ExpandNode(*main, "Tr", console::RootNode);
  }
  std::string Boot() {
    std::string bytes;
    files.ReadWholeFile(console::BootFilePath, bytes, 1 << 20);
    return bytes + "|" + std::to_string(files.AttributesOf(console::BootFilePath));
  }
  std::string State() {
    return DumpRegistry(registry) + Boot() + "|mouse " +
           std::to_string(mouse.Kept().doubleClickTime) + (mouse.Kept().swapped ? " swapped" : "");
  }
};

// Every kind of stored value a panel may meet, sane ones and damaged ones.
void PutRandom(MemoryRegistry& r, std::mt19937& rng, const ReadRecorder::Place& place) {
  const auto& [root, path, name] = place;
  using B = std::vector<std::uint8_t>;
  switch (rng() % 10) {
    case 0: r.SetRawValue(root, path, name, RegDword, {static_cast<std::uint8_t>(rng() % 3), 0, 0, 0}); return;
    case 1: r.SetRawValue(root, path, name, RegBinary, {static_cast<std::uint8_t>(rng() % 3), 0, 0}); return;
    case 2: r.SetRawValue(root, path, name, RegSz, {'1', 0}); return;
    case 3: r.SetRawValue(root, path, name, RegSz, {'t', 'e', 'x', 't', 0}); return;
    case 4: r.SetRawValue(root, path, name, RegSz, {}); return;
    case 5: r.SetRawValue(root, path, name, RegDword, {7, 0}); return;
    case 6: r.SetRawValue(root, path, name, RegExpandSz, {'%', 'x', '%', 0}); return;
    case 7: r.SetUnmappableText(root, path, name); return;
    case 8: r.SetRawValue(root, path, name, RegBinary, B(300, 0xAB)); return;
    default: return;  // absent
  }
}

// Changes some controls of the shown panel, as a user might.
void ChangeSome(UndoConsole& c, const console::Category& category, std::mt19937& rng) {
  for (int pass = 0; pass < 2; ++pass)
    for (const auto& control : c.main->Controls()) {
      if (!control->VisibleInForm() || !control->EnabledInForm() || rng() % 2) continue;
      const forms::Control* frame = control.get();
      while (frame->Parent()) frame = frame->Parent();
      if (frame->Name() != "Fram" || frame->Index() != category.frame) continue;
      if (auto* box = dynamic_cast<forms::CheckBox*>(control.get()))
        c.tk.Click(*c.main, box->Name(), box->Index());
      else if (auto* text = dynamic_cast<forms::TextBox*>(control.get()); text && text->Name() != "Text10")
        c.tk.Type(*c.main, text->Name(), "typed " + std::to_string(rng() % 100), text->Index());
      else if (auto* slider = dynamic_cast<forms::Slider*>(control.get()))
        c.tk.MoveSlider(*c.main, slider->Name(),
                        slider->Min() + static_cast<int>(rng() % (slider->Max() - slider->Min() + 1)),
                        slider->Index());
    }
}

TEST(UndoExportTest, AppliesOfRandomChangesUndoneInTurnGiveBackEveryByte) {
  std::vector<std::pair<const console::Category*, std::vector<ReadRecorder::Place>>> panels;
  for (const console::Category* c : console::ExportableCategories()) {
    if (c->appliesAtOnce) continue;  // the editors' own test follows
    const auto read = ValuesReadBy(*c);
    panels.push_back({c, {read.begin(), read.end()}});
  }
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    UndoConsole c;
    for (const auto& [category, places] : panels)
      for (const auto& place : places)
        if (std::get<1>(place).find("Velmaro") == std::string::npos) PutRandom(c.registry, rng, place);
    if (rng() % 2)
      c.files.PutFile(console::BootFilePath, "[Options]\nAutoScan=1\nLogo=0\n;x\n",
                      FileAttributeHidden | FileAttributeReadOnly);
    c.Start();
    // Each action that made a step, with the state before it.
    std::vector<std::string> before;
    const auto act = [&](const std::function<void()>& action) {
      const std::string state = c.State();
      const std::size_t steps = c.journal->Steps().size();
      action();
      if (c.journal->Steps().size() > steps) before.push_back(state);
    };
    const int applies = 1 + static_cast<int>(seed % 3);
    for (int a = 0; a < applies; ++a) {
      const auto* category = panels[rng() % panels.size()].first;
      act([&] { c.tk.ClickNode(*c.main, "Tr", category->node); });
      ChangeSome(c, *category, rng);
      act([&] { c.tk.Click(*c.main, "Apply"); });
    }
    ASSERT_FALSE(before.empty()) << "seed " << seed;
    ASSERT_EQ(c.journal->Steps().size(), before.size()) << "seed " << seed;
    for (std::size_t s = before.size(); s-- > 0;) {
      ASSERT_TRUE(c.main->Get("Undo").Enabled()) << "seed " << seed;
      c.tk.Click(*c.main, "Undo");
      const std::string now = c.State();
      if (now != before[s]) {
        // Say which lines differ, not two whole registries.
        std::vector<std::string> gone, added;
        const auto a = Lines(before[s]), b = Lines(now);
        for (const auto& l : a)
          if (std::find(b.begin(), b.end(), l) == b.end()) gone.push_back(l.substr(0, 120));
        for (const auto& l : b)
          if (std::find(a.begin(), a.end(), l) == a.end()) added.push_back(l.substr(0, 120));
        FAIL() << "seed " << seed << ", step " << s << ": missing " << ::testing::PrintToString(gone)
               << ", extra " << ::testing::PrintToString(added);
      }
    }
    EXPECT_FALSE(c.main->Get("Undo").Enabled()) << "seed " << seed;
  }
}

TEST(UndoExportTest, EveryEditorsChangeAndTheMouseSettingsAreUndoneExactly) {
  UndoConsole c;
  RegExtra reg(c.registry);
  const std::string run = "software\\microsoft\\windows\\currentversion\\run";
  const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App";
  reg.SaveStringValue(HkeyLocalMachine, run, "agent", "C:\\old.exe");
  reg.SaveStringValue(HkeyLocalMachine, uninstall, "DisplayName", "App");
  reg.SaveStringValue(HkeyLocalMachine, uninstall, "UninstallString", "u.exe");
  c.registry.SetRawValue(HkeyLocalMachine, uninstall, "Extra", RegBinary, {1, 2, 3});
  c.Start();
  const auto undoneBy = [&](const std::function<void()>& change) {
    const std::string before = c.State();
    change();
    ASSERT_NE(c.State(), before) << "the change changed nothing";
    ASSERT_TRUE(c.main->Get("Undo").Enabled());
    c.tk.Click(*c.main, "Undo");
    EXPECT_EQ(c.State(), before) << c.journal->NextLabel();
  };
  undoneBy([&] {  // a start-up program added
    c.tk.ClickNode(*c.main, "Tr", console::NodeOf("StartUp Applications"));
    c.tk.AnswerNextFileDialog("C:\\Tools\\new tool.exe");
    c.tk.Click(*c.main, "AddRun");
  });
  undoneBy([&] {  // an Add/Remove entry removed, with a value of its own
    c.tk.ClickNode(*c.main, "Tr", console::NodeOf("Add/Remove"));
    c.tk.ClickNode(*c.main, "List1", 1);
    c.tk.Click(*c.main, "RemIt");
  });
  undoneBy([&] {  // an icon changed, with the shell's icon size around it
    c.tk.ClickNode(*c.main, "Tr", console::NodeOf("Change Icons"));
    c.tk.Type(*c.main, "Text8", "C:\\icons.dll");
    c.tk.Type(*c.main, "Text9", "3");
    c.tk.Click(*c.main, "SetIcon");
  });
  undoneBy([&] {  // the mouse made left-handed and slower
    c.tk.ClickNode(*c.main, "Tr", console::NodeOf("Mouse"));
    c.tk.MoveSlider(*c.main, "Slide", 700);
    c.tk.Click(*c.main, "Left1");
    c.tk.Click(*c.main, "Apply");
  });
  EXPECT_FALSE(c.main->Get("Undo").Enabled());
}

// With the undo history on, removing a Run value and an Uninstall key named
// outside the code page: where the history can keep such names, both are
// removed and undone exactly; where it cannot, neither is removed and each is
// named. The look-alike "??????" of another program is never touched.
TEST(UndoExportTest, ChangesToNamesOutsideTheCodePageAreMadeExactlyAndUndone) {
  UndoConsole c;
  RegExtra reg(c.registry);
  const std::string run = "software\\microsoft\\windows\\currentversion\\run";
  const std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  for (const auto& [name, text] : {std::pair{kLookAlikeName, "twin"}, {kCyrillicName, "wide"}}) {
    reg.SaveStringValue(HkeyLocalMachine, run, name, std::string("c:\\") + text + ".exe");
    reg.SaveStringValue(HkeyLocalMachine, uninstall + name, "DisplayName", text);
    reg.SaveStringValue(HkeyLocalMachine, uninstall + name, "UninstallString", text);
  }
  c.Start();
  const std::string before = c.State();
  c.tk.ClickNode(*c.main, "Tr", console::NodeOf("StartUp Applications"));
  c.tk.ClickNode(*c.main, "RunList", 2);  // the look-alike comes first
  c.tk.Click(*c.main, "RemRun");
  c.tk.ClickNode(*c.main, "Tr", console::NodeOf("Add/Remove"));
  c.tk.ClickNode(*c.main, "List1", 2);
  c.tk.Click(*c.main, "RemIt");
  const std::string twin = std::string(kLookAlikeName);
  EXPECT_EQ(reg.GetStringValue(HkeyLocalMachine, run, twin, ""), "c:\\twin.exe");
  EXPECT_EQ(reg.GetStringValue(HkeyLocalMachine, uninstall + twin, "UninstallString", ""), "twin");
  // The history keeps names outside the code page, so both changes are made
  // on exactly those entries, and each Undo puts one back exactly.
  EXPECT_EQ(reg.GetStringValue(HkeyLocalMachine, run, kCyrillicName, "<none>"), "<none>");
  EXPECT_FALSE(reg.KeyExists(HkeyLocalMachine, uninstall + kCyrillicName));
  EXPECT_TRUE(c.tk.told.empty());
  c.tk.Click(*c.main, "Undo");
  c.tk.Click(*c.main, "Undo");
  EXPECT_EQ(c.State(), before);
}

TEST(UndoExportTest, UndoSaysWhatItPutBackAndAsksFirstWhenSomethingChangedSince) {
  UndoConsole c;
  c.Start();
  EXPECT_FALSE(c.main->Get("Undo").Enabled());
  c.tk.ClickNode(*c.main, "Tr", console::NodeOf("Start Menu"));
  c.tk.Click(*c.main, "HideRun");
  c.tk.Click(*c.main, "Apply");
  ASSERT_TRUE(c.main->Get("Undo").Enabled());
  EXPECT_EQ(c.journal->NextLabel(), "Apply 'Start Menu' settings...");

  // Another program changes NoRun meanwhile: Undo asks, and No keeps it.
  RegExtra(c.registry).SaveDWordValue(HkeyCurrentUser, kPolicies, "NoRun", 5);
  c.tk.answer = forms::IdNo;
  c.tk.Click(*c.main, "Undo");
  EXPECT_EQ(RegExtra(c.registry).GetDWordValue(HkeyCurrentUser, kPolicies, "NoRun", -1), 5);
  EXPECT_TRUE(c.main->Get("Undo").Enabled());

  c.tk.answer = forms::IdYes;
  c.tk.told.clear();
  c.tk.Click(*c.main, "Undo");
  EXPECT_EQ(RegExtra(c.registry).GetDWordValue(HkeyCurrentUser, kPolicies, "NoRun", -1), -1);
  ASSERT_EQ(c.tk.told.size(), 1u);
  EXPECT_NE(c.tk.told[0].find("Undone: Apply 'Start Menu' settings..."), std::string::npos);
  EXPECT_NE(c.tk.told[0].find("NoRun"), std::string::npos);
  // The panel shows what the system holds now.
  EXPECT_EQ(c.main->Get<forms::CheckBox>("HideRun").Value(), 0);
  EXPECT_FALSE(c.main->Get("Undo").Enabled());

  // The history outlives the console.
  c.tk.Click(*c.main, "HideRun");
  c.tk.Click(*c.main, "Apply");
  TestJournal reread(c.registry, c.files, kHistory);
  EXPECT_TRUE(reread.CanUndo());
  EXPECT_EQ(reread.NextLabel(), "Apply 'Start Menu' settings...");
}

TEST(UndoExportTest, AChangeThatCannotBeRecordedFirstIsNotMadeAndTheUserIsToldWhy) {
  UndoConsole c;
  c.Start();
  c.tk.ClickNode(*c.main, "Tr", console::NodeOf("Start Menu"));
  c.tk.Click(*c.main, "HideRun");
  c.tk.Click(*c.main, "Apply");
  ASSERT_EQ(RegExtra(c.registry).GetDWordValue(HkeyCurrentUser, kPolicies, "NoRun", -1), 1);
  // Another program makes the history read-only: it cannot be replaced.
  c.files.SetAttributes(kHistory, FileAttributeReadOnly);
  std::string history;
  c.files.ReadWholeFile(kHistory, history, 1 << 20);
  c.tk.told.clear();
  c.tk.Click(*c.main, "HideRun");
  c.tk.Click(*c.main, "Apply");
  EXPECT_EQ(RegExtra(c.registry).GetDWordValue(HkeyCurrentUser, kPolicies, "NoRun", -1), 1);
  const std::string all = ::testing::PrintToString(c.tk.told);
  EXPECT_NE(all.find("could not first record them for Undo"), std::string::npos) << all;
  EXPECT_NE(all.find("access was denied"), std::string::npos) << all;
  std::string now;
  c.files.ReadWholeFile(kHistory, now, 1 << 20);
  EXPECT_EQ(now, history);
  // The earlier step is still there to undo.
  c.files.SetAttributes(kHistory, FileAttributeNormal);
  c.tk.Click(*c.main, "Undo");
  EXPECT_EQ(RegExtra(c.registry).GetDWordValue(HkeyCurrentUser, kPolicies, "NoRun", -1), -1);
}

TEST(UndoExportTest, ExportWritesWhatThePanelsShowAndChangesNothing) {
  UndoConsole c;
  RegExtra reg(c.registry);
  reg.SaveDWordValue(HkeyCurrentUser, kPolicies, "NoRun", 1);
  reg.SaveDWordValue(HkeyCurrentUser, kPolicies, "NoFind", 7);  // no box state
  reg.SaveStringValue(HkeyCurrentUser, "Software\\Microsoft\\MS Setup (ACME)\\User Info",
                      "DefName", "Ann \"the\" C:\\ \xC3\xA9");
  c.files.PutFile(console::BootFilePath, "AutoScan=2\r\nBootDelay=3\r\nLogo=0\r\n");
  c.files.PutFile("C:\\Users\\Ann\\notes.txt", "");
  c.Start();
  // An unapplied edit on the panel shown survives an export of everything.
  c.tk.ClickNode(*c.main, "Tr", console::NodeOf("Start Menu"));
  c.tk.Click(*c.main, "HideFav");
  c.tk.CollapseNode(*c.main, "Tr", console::RootNode);  // no category shown: every category
  const std::string before = c.State();
  c.tk.AnswerNextFileDialog("C:\\Users\\Ann\\all.reg");
  c.tk.Click(*c.main, "Export");
  ASSERT_EQ(c.tk.FileDialogs().size(), 1u);
  EXPECT_TRUE(c.tk.FileDialogs()[0].save);
  EXPECT_EQ(c.tk.FileDialogs()[0].fileName, "Velmaro settings.reg");
  EXPECT_EQ(c.State(), before);
  EXPECT_EQ(c.main->Get<forms::CheckBox>("HideFav").Value(), 1);  // still the user's edit
  EXPECT_FALSE(c.journal->CanUndo());  // a file of the user's is no change to undo
  std::string bytes;
  ASSERT_EQ(c.files.ReadWholeFile("C:\\Users\\Ann\\all.reg", bytes, 1 << 20), ErrorSuccess);
  regfile::File file;
  ASSERT_TRUE(regfile::Read(bytes, c.registry.CodePage(), file));
  EXPECT_NE(bytes.find("\"NoRun\"=dword:00000001"), std::string::npos);
  EXPECT_EQ(bytes.find("\"NoFind\""), std::string::npos);  // 7: not what a box shows
  EXPECT_NE(bytes.find("\"DefName\"=\"Ann \\\"the\\\" C:\\\\ \xE9\""), std::string::npos);
  EXPECT_NE(bytes.find("[-HKEY_CLASSES_ROOT\\*\\shell\\open]"), std::string::npos);
  EXPECT_EQ(bytes.find("Velmaro\\Settings"), std::string::npos);
  EXPECT_NE(bytes.find("AutoScan=2 BootDelay=3 Logo=0"), std::string::npos) << bytes;
  c.tk.ExpandNode(*c.main, "Tr", console::RootNode);

  // Imported on another machine, every panel shows the same.
  UndoConsole other;
  const auto outcome = regfile::Apply(file, other.registry);
  EXPECT_TRUE(outcome.failed.empty());
  other.Start();
  for (const console::Category* category : console::ExportableCategories()) {
    c.tk.ClickNode(*c.main, "Tr", category->node);
    other.tk.ClickNode(*other.main, "Tr", category->node);
    for (const auto& control : c.main->Controls()) {
      const forms::Control* frame = control.get();
      while (frame->Parent()) frame = frame->Parent();
      if (frame->Name() != "Fram" || frame->Index() != category->frame) continue;
      // The boot options do not travel, nor NoFind's 7 that no box state
      // writes; the hidden Text1 holds a folder.
      if (auto* box = dynamic_cast<forms::CheckBox*>(control.get());
          box && box->Name() != "AutoScan" && box->Name() != "DisSpl" && box->Name() != "HideFind") {
        EXPECT_EQ(other.main->Get<forms::CheckBox>(box->Name()).Value(), box->Value())
            << category->text << ": " << box->Name();
      }
      if (auto* text = dynamic_cast<forms::TextBox*>(control.get()); text && text->Name() != "Text1") {
        EXPECT_EQ(other.main->Get<forms::TextBox>(text->Name()).Text(), text->Text())
            << category->text << ": " << text->Name();
      }
    }
  }
}

TEST(UndoExportTest, TheCommandLineExportsWithoutAWindowAndSaysWhatWentWrong) {
  UndoConsole c;
  RegExtra(c.registry).SaveDWordValue(HkeyCurrentUser, kPolicies, "NoRun", 1);
  console::ConsoleSystem system(c.tk, c.registry, c.files, c.mouse, c.desktop);
  std::string error;
  EXPECT_EQ(console::CommandWords("/export \"C:\\My Files\\a.reg\"  \"Start Menu\""),
            (std::vector<std::string>{"/export", "C:\\My Files\\a.reg", "Start Menu"}));
  EXPECT_EQ(console::RunExportCommand(system, "/export C:\\a.reg \"Start Menu\"", error), 0) << error;
  std::string bytes;
  ASSERT_EQ(c.files.ReadWholeFile("C:\\a.reg", bytes, 1 << 20), ErrorSuccess);
  EXPECT_NE(bytes.find("\"NoRun\"=dword:00000001"), std::string::npos);
  EXPECT_EQ(bytes.find("Explorer\\Advanced"), std::string::npos);
  EXPECT_EQ(bytes.find("\"NoDesktop\""), std::string::npos);  // the Explorer panel's

  // The editors carry what they list; the mouse, what an apply would keep.
  RegExtra(c.registry).SaveStringValue(HkeyLocalMachine, "software\\microsoft\\windows\\currentversion\\run",
                                       "agent", "\"C:\\Program Files\\a.exe\" /quiet");
  c.mouse.Reset({650, true});
  EXPECT_EQ(console::RunExportCommand(system, "/export C:\\e.reg \"StartUp Applications\"", error), 0);
  EXPECT_EQ(console::RunExportCommand(system, "/export C:\\m.reg Mouse", error), 0);
  std::string run, mouse;
  c.files.ReadWholeFile("C:\\e.reg", run, 1 << 20);
  c.files.ReadWholeFile("C:\\m.reg", mouse, 1 << 20);
  EXPECT_NE(run.find("\"agent\"=\"\\\"C:\\\\Program Files\\\\a.exe\\\" /quiet\""), std::string::npos) << run;
  EXPECT_NE(mouse.find("[HKEY_CURRENT_USER\\Control Panel\\Mouse]\r\n\"DoubleClickSpeed\"=\"650\"\r\n"
                       "\"SwapMouseButtons\"=\"1\""),
            std::string::npos)
      << mouse;
  EXPECT_EQ(c.mouse.Kept().doubleClickTime, 650u);  // the export changed nothing
  // Add/Remove entries name programs of this machine: they do not travel.
  EXPECT_EQ(console::RunExportCommand(system, "/export C:\\r.reg Add/Remove", error), 2);

  EXPECT_EQ(console::RunExportCommand(system, "/export C:\\b.reg Nowhere", error), 2);
  EXPECT_NE(error.find("\"Start Menu\""), std::string::npos);
  EXPECT_EQ(console::RunExportCommand(system, "/export", error), 2);
  EXPECT_NE(error.find("Usage"), std::string::npos);
  EXPECT_EQ(console::RunExportCommand(system, "/export C:\\missing\\folder\\c.reg", error), 1);
  EXPECT_NE(error.find("the folder does not exist"), std::string::npos);
  EXPECT_TRUE(c.tk.told.empty());  // no window, no message box
}

// An export replaces a file only once the new one is complete: a full disk,
// a failed flush or a refused move leave the old file byte for byte and
// nothing beside it. A device name is no file and is refused, on the command
// line and in the Export... dialog.
TEST(UndoExportTest, AFailedExportLeavesTheFileItWouldReplaceAsItWasAndDevicesAreRefused) {
  UndoConsole c;
  RegExtra(c.registry).SaveDWordValue(HkeyCurrentUser, kPolicies, "NoRun", 1);
  console::ConsoleSystem system(c.tk, c.registry, c.files, c.mouse, c.desktop);
  const std::string old = "REGEDIT4\r\n\r\n; an earlier export\r\n";
  c.files.PutFile("C:\\old.reg", old);
  const auto paths = c.files.AllPaths();
  const auto exportTo = [&](const std::string& file, std::string& error) {
    return console::RunExportCommand(system, "/export \"" + file + "\" \"Start Menu\"", error);
  };
  std::string error, bytes;
  const struct {
    const char* point;
    long code;
    const char* said;
  } failures[] = {{"WriteWholeFile.Data", ErrorDiskFull, "not enough room on the disk"},
                  {"WriteWholeFile.Flush", ErrorWriteFault, "error 29"},
                  {"Move", ErrorAccessDenied, "refused access"}};
  for (const auto& f : failures) {
    c.files.FailNext(f.point, f.code);
    EXPECT_EQ(exportTo("C:\\old.reg", error), 1) << f.point;
    EXPECT_NE(error.find(f.said), std::string::npos) << error;
    c.files.ReadWholeFile("C:\\old.reg", bytes, 1 << 20);
    EXPECT_EQ(bytes, old) << f.point;
    EXPECT_EQ(c.files.AllPaths(), paths) << f.point;
  }
  ASSERT_EQ(exportTo("C:\\old.reg", error), 0) << error;
  c.files.ReadWholeFile("C:\\old.reg", bytes, 1 << 20);
  EXPECT_NE(bytes.find("\"NoRun\"=dword:00000001"), std::string::npos);
  EXPECT_EQ(c.files.AllPaths(), paths);

  for (const char* device : {"AUX", "C:\\Users\\con.reg", "nul", "Lpt9.txt", "COM1",
                             "C:\\prn .reg", "conout$", "\\\\.\\C:"}) {
    EXPECT_EQ(exportTo(device, error), 1) << device;
    EXPECT_NE(error.find("the name is that of a device"), std::string::npos) << device;
  }
  EXPECT_EQ(c.files.AllPaths(), paths);
  for (const char* file : {"C:\\COM10.reg", "C:\\console.reg", "C:\\auxiliary.reg"})
    EXPECT_EQ(exportTo(file, error), 0) << file;

  c.Start();
  c.tk.ClickNode(*c.main, "Tr", console::NodeOf("Start Menu"));
  c.tk.AnswerNextFileDialog("C:\\Users\\Ann\\Aux.reg");
  c.tk.Click(*c.main, "Export");
  ASSERT_FALSE(c.tk.told.empty());
  EXPECT_EQ(c.tk.told.back(), "The settings could not be written to C:\\Users\\Ann\\Aux.reg: the "
                              "name is that of a device, not of a file. Choose another name.");
}

// ---- Import ----

constexpr const char* kRunKey = "software\\microsoft\\windows\\currentversion\\run";

// UTF-8 text as the UTF-16LE file regedit /e writes, with its byte order mark.
std::string UnicodeFile(std::string_view utf8) {
  std::string out = "\xFF\xFE";
  std::size_t i = 0;
  char32_t cp = 0;
  while (i < utf8.size() && platform::NextCodePoint(utf8, i, cp)) {
    out += static_cast<char>(cp & 0xFF);
    out += static_cast<char>(cp >> 8);
  }
  return out;
}

int Import(UndoConsole& c, const std::string& path, std::string& error) {
  std::string report;
  return console::RunImportCommand(*c.system, "/import " + path + " /quiet", report, error);
}

// The done-when of an administrator: export, change by hand, import; the
// same import again changes nothing and records nothing; one Undo takes the
// whole import back. The Unicode form of regedit /e imports the same way.
TEST(ImportTest, AnImportPutsBackWhatWasExportedAsOneStepAndTwiceChangesNothing) {
  UndoConsole c;
  RegExtra reg(c.registry);
  reg.SaveDWordValue(HkeyCurrentUser, kPolicies, "NoRun", 1);
  reg.SaveStringValue(HkeyCurrentUser, "Software\\Microsoft\\MS Setup (ACME)\\User Info",
                      "DefName", "Ann \xC3\xA9");
  reg.SaveStringValue(HkeyLocalMachine, kRunKey, "agent", "C:\\agent.exe");
  c.files.PutFile(console::BootFilePath, "[Options]\r\nAutoScan=2\r\nBootDelay=3\r\nLogo=0\r\n");
  c.mouse.Reset({650, true});
  c.Start();
  c.system->store.Write(settings::AutoScan, "1");
  c.system->store.Write(settings::DisSplach, "0");
  c.system->store.Write(settings::BootDelay, "3");
  std::string error, report;
  ASSERT_EQ(console::RunExportCommand(*c.system, "/export C:\\all.reg", error), 0) << error;
  // The export carries the defaults an apply writes where nothing is stored:
  // an import first makes the machine hold all of it.
  ASSERT_EQ(Import(c, "C:\\all.reg", error), 0) << error;
  const std::string exported = c.State();
  const std::size_t steps = c.journal->Steps().size();

  // Changed by hand, the boot file and the store included; NoRun as text,
  // which the panel cannot show.
  reg.SaveStringValue(HkeyCurrentUser, kPolicies, "NoRun", "x");
  reg.DeleteValue(HkeyCurrentUser, "Software\\Microsoft\\MS Setup (ACME)\\User Info", "DefName");
  reg.SaveStringValue(HkeyLocalMachine, kRunKey, "agent", "C:\\other.exe");
  c.files.PutFile(console::BootFilePath, "[Options]\r\nAutoScan=0\r\nBootDelay=1\r\nLogo=1\r\n");
  c.system->store.Write(settings::BootDelay, "1");
  c.mouse.Reset({400, false});
  const std::string byHand = c.State();

  EXPECT_EQ(console::RunImportCommand(*c.system, "/import C:\\all.reg", report, error), 0) << error;
  EXPECT_EQ(c.State(), exported);
  // In the panels' words where a panel shows the setting, else the registry's.
  EXPECT_NE(report.find("\n  Start Menu: \"Hide the 'Run' menu from the Start Menu\": on (now off)"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("\n  General: Default user name: \"Ann \xC3\xA9\" (now \"\")"), std::string::npos)
      << report;
  EXPECT_NE(report.find("\n  StartUp Applications: HKEY_LOCAL_MACHINE\\"), std::string::npos) << report;
  EXPECT_NE(report.find("Windows: Boot delay time(in seconds) : 3"), std::string::npos) << report;
  ASSERT_EQ(c.journal->Steps().size(), steps + 1);
  EXPECT_EQ(c.journal->NextLabel(), "Import of C:\\all.reg");
  // Again: nothing to write, no step, and /quiet says nothing.
  report.clear();
  EXPECT_EQ(console::RunImportCommand(*c.system, "/import C:\\all.reg /QUIET", report, error), 0);
  EXPECT_TRUE(report.empty()) << report;
  EXPECT_EQ(c.journal->Steps().size(), steps + 1);
  EXPECT_EQ(c.State(), exported);
  c.main->RaiseActivate();  // the user comes back to the console
  c.tk.Click(*c.main, "Undo");
  EXPECT_EQ(c.State(), byHand);
  EXPECT_EQ(c.journal->Steps().size(), steps);

  // regedit /e's Unicode form: texts become the code page's bytes exactly.
  c.files.PutFile("C:\\u.reg", UnicodeFile("Windows Registry Editor Version 5.00\r\n\r\n"
                                           "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
                                           "CurrentVersion\\Run]\r\n\"t\xC3\xA9l\xC3\xA9\"=\"c:\\\\\xC3\xA9.exe\"\r\n"
                                           "\"x\"=hex(2):25,00,78,00,25,00,00,00\r\n"));
  EXPECT_EQ(Import(c, "C:\\u.reg", error), 0) << error;
  EXPECT_EQ(reg.GetRawValue(HkeyLocalMachine, kRunKey, "t\xC3\xA9l\xC3\xA9")->bytes, "c:\\\xE9.exe" + std::string(1, '\0'));
  EXPECT_EQ(*reg.GetRawValue(HkeyLocalMachine, kRunKey, "x"),
            (RegExtra::RawValue{RegExpandSz, std::string("%x%\0", 4)}));

  // HKEY_LOCAL_MACHINE refuses changes, as to a standard user: what it
  // refused is named, exit 1, and the rest is applied as one step.
  c.registry.ProtectKey(HkeyLocalMachine, "");
  c.files.PutFile("C:\\part.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + std::string(kPolicies) +
                                       "]\r\n\"NoRun\"=dword:00000000\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
                                       kRunKey + "]\r\n\"agent\"=\"c:\\\\new.exe\"\r\n");
  const std::size_t before = c.journal->Steps().size();
  EXPECT_EQ(Import(c, "C:\\part.reg", error), 1);
  EXPECT_NE(error.find("currentversion\\run: agent"), std::string::npos) << error;
  EXPECT_EQ(reg.GetDWordValue(HkeyCurrentUser, kPolicies, "NoRun", -1), 0);
  EXPECT_EQ(c.journal->Steps().size(), before + 1);
}

// Bad files get a defined answer, and none of them writes anything: not the
// in-scope values beside what is refused either. The preview's reasons name
// what is left out.
TEST(ImportTest, FilesVelmaroCannotOrMayNotImportChangeNothingAndSayWhy) {
  UndoConsole c;
  c.Start();
  const std::string ok = "[HKEY_CURRENT_USER\\" + std::string(kPolicies) + "]\r\n\"NoRun\"=dword:00000001\r\n";
  const std::string regedit4 = "REGEDIT4\r\n\r\n" + ok;
  const auto programs = [&](int n) {
    std::string file = regedit4 + "[HKEY_LOCAL_MACHINE\\" + kRunKey + "]\r\n";
    for (int i = 0; i < n; ++i) file += "\"p" + std::to_string(i) + "\"=\"c:\\\\p.exe\"\r\n";
    return file;
  };
  const struct {
    std::string bytes;
    int code;
    const char* said;
  } files[] = {
      {"REGEDIT5\r\n\r\n" + ok, 2, "does not start with REGEDIT4"},
      {"\xFE\xFF" + UnicodeFile("x").substr(2), 2, "wrong byte order"},
      {UnicodeFile("Windows Registry Editor Version 5.00\r\n") + "\x41", 2, "not whole Unicode"},
      {UnicodeFile("Windows Registry Editor Version 5.00\r\n") + std::string("\x00\xD8", 2), 2,
       "not whole Unicode"},
      {"REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software", 2, "closing bracket"},
      {regedit4 + "\"NoFind\"=hex:0z\r\n", 2, "line 5: value data that cannot be read"},
      {regedit4 + "\"NoFind\"=dword:\r\n", 2, "line 5"},
      {regedit4 + "[-HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip]\r\n", 2,
       "Services\\Tcpip (removed): Velmaro does not remove this key"},
      {regedit4 + "[-HKEY_CURRENT_USER\\" + kPolicies + "]\r\n", 2, "does not remove this key"},
      {regedit4 + "\"NoFind\"=\"1\"\r\n", 2, "writes it as a number (REG_DWORD), the file holds text"},
      {regedit4 + "\"Mystery\"=hex(7):41,00,00\r\n", 2, "Velmaro writes no value of a text list"},
      {regedit4 + "[HKEY_CURRENT_USER\\Software\\Velmaro\\Settings]\r\n\"Confirm\"=\"0\"\r\n", 2,
       "Velmaro's own settings are not imported"},
      {regedit4 + "[HKEY_CURRENT_USER\\Control Panel\\Mouse]\r\n\"DoubleClickSpeed\"=\"5000\"\r\n", 2,
       "100 to 900 milliseconds"},
      {programs(100000), 2, "more than 10000 settings"},
      {"REGEDIT4\r\n;" + std::string(console::BootOptionsComment) + " AutoScan=1\r\n\r\n" + ok, 2,
       "AutoScan=1: not a boot option"},
  };
  const std::string before = c.State();
  for (const auto& f : files) {
    c.files.PutFile("C:\\bad.reg", f.bytes);
    std::string error;
    EXPECT_EQ(Import(c, "C:\\bad.reg", error), f.code) << f.said;
    EXPECT_NE(error.find(f.said), std::string::npos) << error.substr(0, 400);
    EXPECT_EQ(c.State(), before) << f.said;
    EXPECT_FALSE(c.journal->CanUndo()) << f.said;
  }
  std::string error;
  EXPECT_EQ(Import(c, "C:\\missing.reg", error), 2);
  EXPECT_NE(error.find("there is no such file"), std::string::npos);
  EXPECT_EQ(Import(c, "C:\\bad.reg /loud", error), 2);
  EXPECT_NE(error.find("Usage"), std::string::npos);
  EXPECT_TRUE(c.tk.told.empty());

  // 2,000 start-up programs are within what Velmaro changes: imported as
  // one step, and one Undo takes them all back.
  c.files.PutFile("C:\\many.reg", programs(2000));
  EXPECT_EQ(Import(c, "C:\\many.reg", error), 0) << error.substr(0, 400);
  EXPECT_TRUE(RegExtra(c.registry).GetRawValue(HkeyLocalMachine, kRunKey, "p1999"));
  c.main->RaiseActivate();
  c.tk.Click(*c.main, "Undo");
  EXPECT_EQ(c.State(), before);
}

// Import... shows what would change and what is left out; No writes
// nothing; Yes applies the rest as one step and the panel shows it.
TEST(ImportTest, TheImportDialogPreviewsAndWritesOnlyOnYes) {
  UndoConsole c;
  c.files.PutFile("C:\\Users\\Ann\\in.reg",
                  "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + std::string(kPolicies) +
                      "]\r\n\"NoRun\"=dword:00000001\r\n\r\n"
                      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Evil]\r\n"
                      "\"Start\"=dword:00000002\r\n");
  c.Start();
  c.tk.ClickNode(*c.main, "Tr", console::NodeOf("Start Menu"));
  const std::string before = c.State();
  c.tk.answer = forms::IdNo;
  c.tk.AnswerNextFileDialog("C:\\Users\\Ann\\in.reg");
  c.tk.Click(*c.main, "Import");
  EXPECT_EQ(c.State(), before);
  EXPECT_FALSE(c.main->Get("Undo").Enabled());
  ASSERT_EQ(c.tk.asked.size(), 1u);
  const std::string& preview = c.tk.asked[0];
  EXPECT_NE(preview.find("changes these settings:\nStart Menu: \"Hide the 'Run' menu from the "
                         "Start Menu\": on (now off)\n"),
            std::string::npos)
      << preview;
  EXPECT_NE(preview.find("Not imported, because Velmaro does not change them:\n"
                         "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Evil"),
            std::string::npos)
      << preview;

  c.tk.answer = forms::IdYes;
  c.tk.AnswerNextFileDialog("C:\\Users\\Ann\\in.reg");
  c.tk.Click(*c.main, "Import");
  EXPECT_EQ(RegExtra(c.registry).GetDWordValue(HkeyCurrentUser, kPolicies, "NoRun", -1), 1);
  EXPECT_FALSE(RegExtra(c.registry).KeyExists(HkeyLocalMachine,
                                              "SYSTEM\\CurrentControlSet\\Services\\Evil"));
  EXPECT_EQ(c.main->Get<forms::CheckBox>("HideRun").Value(), 1);
  ASSERT_TRUE(c.main->Get("Undo").Enabled());
  EXPECT_EQ(c.journal->NextLabel(), "Import of C:\\Users\\Ann\\in.reg");
  ASSERT_FALSE(c.tk.told.empty());
  EXPECT_EQ(c.tk.told.back(), "Imported from C:\\Users\\Ann\\in.reg.");
}

}  // namespace
}  // namespace velmaro::testing
