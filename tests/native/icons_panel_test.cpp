// The Change Icons panel and our icon picker: the nine targets read and
// previewed, an icon changed, restored and blanked between the two steps of
// the icon size that make the shell reload, and browsing through the
// system's picker or ours where it has none.
#include "console/icon_picker.h"
#include "support/console_fixture.h"

namespace velmaro::console {
namespace {

using namespace velmaro::testing;

constexpr int kIcons = NodeOf("Change Icons");
constexpr const char* kShellIcons =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\shell icons";
constexpr const char* kMyComputer = "CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon";
constexpr const char* kRecycleBin = "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";
constexpr const char* kMetrics = "control panel\\desktop\\windowmetrics";
// Where MemoryFiles puts the system folder and the program.
constexpr const char* kShell32 = "C:\\WINDOWS\\SYSTEM\\shell32.dll";
constexpr const char* kBeside = "C:\\Program Files\\Velmaro\\Velmaro.dll";
constexpr const char* kInstalled = "C:\\Apps\\Velmaro\\Velmaro.dll";

class IconsPanel : public CatalogueTest {
protected:
  void SetUp() override {
    CatalogueTest::SetUp();
    desktop.SetIconCount(kShell32, 40);
    desktop.onBroadcast = [this] { log.push_back("Broadcast"); };
    log.clear();
  }
  void Target(int position) { tk.Choose(main, "Combo1", position); }
  std::string Text8() { return Text("Text8").Text(); }
  std::string Text9() { return Text("Text9").Text(); }
  const forms::Picture& Real() { return main.Get<forms::Picture>("Real"); }
  bool Previews(const std::string& file, int index) {
    return Real().Shows() == forms::Picture::Content::Icon && Real().IconFile() == file &&
           Real().IconIndex() == index;
  }
  bool NoPreview() { return Real().Shows() == forms::Picture::Content::None; }
  std::string ShellIcon(const char* value) { return String(HkeyLocalMachine, kShellIcons, value); }
  // The user types a setting for the target and changes its icon to it.
  void SetIconOf(int position, const std::string& file, const std::string& index) {
    Target(position);
    tk.Type(main, "Text8", file);
    tk.Type(main, "Text9", index);
    tk.Click(main, "SetIcon");
  }
  // The log from the first write on: registry writes and broadcasts.
  std::vector<std::string> WritesAfter(std::size_t from) {
    return {log.begin() + static_cast<std::ptrdiff_t>(from), log.end()};
  }
};

TEST_F(IconsPanel, OpensOnTheShortcutWithTheSystemFoldersShell32WhenItHasNoSetting) {
  Choose(kIcons);
  auto& combo = main.Get<forms::DropDownList>("Combo1");
  EXPECT_EQ(combo.Items(), (std::vector<std::string>{
                               "Shortcut icon", "My Computer icon", "Empty Recycle Bin icon",
                               "Full Recycle Bin icon", "5 1/4 drive icon", "3 1/2 drive icon",
                               "Hard disk icon", "CD ROM drive icon", "Start Menu folder icon"}));
  EXPECT_EQ(combo.ListIndex(), 0);
  EXPECT_EQ(Text8(), kShell32);
  EXPECT_EQ(Text9(), "29");
  EXPECT_TRUE(Previews(kShell32, 29));
  EXPECT_EQ(main.ShellIconIndex, 29);
  EXPECT_FALSE(main.Get("Apply").Enabled());
  // Each target's own index; My Computer keeps the one before and shows the
  // file that "Original Icon" gives it.
  for (const auto& [position, index] : {std::pair{7, 11}, {2, 31}, {3, 32}, {8, 36}}) {
    Target(position);
    EXPECT_EQ(main.ShellIconIndex, index);
    EXPECT_EQ(Text9(), std::to_string(index));
  }
  Target(1);
  EXPECT_EQ(main.ShellIconIndex, 36);
  EXPECT_EQ(Text8(), "C:\\WINDOWS\\explorer.exe");
  EXPECT_EQ(Text9(), "0");
  EXPECT_TRUE(log.empty()) << "reading writes nothing";
}

TEST_F(IconsPanel, ASettingIsSplitAtItsFirstCommaAndPreviewedWhereTheFileHasTheIcon) {
  desktop.SetIconCount("c:\\icons\\set.dll", 5);
  Choose(kIcons);
  const auto set = [this](const std::string& setting) {
    system.reg.SaveStringValue(HkeyLocalMachine, kShellIcons, "29", setting);
    Target(1);
    Target(0);
  };
  set("c:\\icons\\set.dll,4");
  EXPECT_EQ(Text8(), "c:\\icons\\set.dll");
  EXPECT_EQ(Text9(), "4");
  EXPECT_TRUE(Previews("c:\\icons\\set.dll", 4));
  set("c:\\icons\\set.dll,10000");  // past the file's icons
  EXPECT_EQ(Text9(), "10000");
  EXPECT_TRUE(NoPreview());
  set("c:\\missing.dll,0");
  EXPECT_TRUE(NoPreview());
  set("c:\\icons\\set.dll,-16");  // a resource number: only drawing can tell
  EXPECT_TRUE(Previews("c:\\icons\\set.dll", -16));
  // Split at the first comma only: what follows it is no number here.
  for (const char* whole : {"c:\\icons\\set.dll", "c:\\icons\\set.dll,one", "c:\\x.dll,",
                            "c:\\a,b.dll,1"}) {
    set(whole);
    EXPECT_EQ(Text8(), whole);
    EXPECT_EQ(Text9(), "");
    EXPECT_TRUE(NoPreview()) << whole;
  }
  // The recycle bin's empty state is read from "Empty", the full one from "full".
  system.reg.SaveStringValue(HkeyClassesRoot, kRecycleBin, "Empty", "c:\\icons\\set.dll,1");
  system.reg.SaveStringValue(HkeyClassesRoot, kRecycleBin, "full", "c:\\icons\\set.dll,2");
  Target(2);
  EXPECT_EQ(Text9(), "1");
  Target(3);
  EXPECT_EQ(Text9(), "2");
}

TEST_F(IconsPanel, ChangingWritesBetweenTheTwoIconSizesAndLeavesTheSizeAt32) {
  system.reg.SaveStringValue(HkeyCurrentUser, kMetrics, "shell icon size", "48");
  Choose(kIcons);
  tk.Type(main, "Text8", "c:\\mine.ico");
  tk.Type(main, "Text9", "0");
  const auto from = log.size();
  const auto pointers = tk.PointerLog().size();
  tk.Click(main, "SetIcon");
  EXPECT_EQ(ShellIcon("29"), "c:\\mine.ico,0");
  EXPECT_EQ(WritesAfter(from),
            (std::vector<std::string>{"CreateKey control panel\\desktop\\windowmetrics",
                                      "SetValue shell icon size", "Broadcast",
                                      "CreateKey " + std::string(kShellIcons), "SetValue 29",
                                      "CreateKey control panel\\desktop\\windowmetrics",
                                      "SetValue shell icon size", "Broadcast"}));
  EXPECT_EQ(String(HkeyCurrentUser, kMetrics, "shell icon size"), "32");
  EXPECT_EQ(Text8(), "c:\\mine.ico") << "the panel stays as it was";
  EXPECT_THAT(PointersSince(pointers), ::testing::ElementsAreArray(kHourglassThenDefault));
  // What is typed is written as typed.
  tk.Type(main, "Text9", "x");
  tk.Click(main, "SetIcon");
  EXPECT_EQ(ShellIcon("29"), "c:\\mine.ico,x");
}

TEST_F(IconsPanel, TheEmptyBinWritesBothItsValuesAndTheFullBinOnlyItsOwn) {
  Choose(kIcons);
  SetIconOf(2, "c:\\bin.ico", "0");
  EXPECT_EQ(String(HkeyClassesRoot, kRecycleBin, "Empty"), "c:\\bin.ico,0");
  EXPECT_EQ(String(HkeyClassesRoot, kRecycleBin, ""), "c:\\bin.ico,0");
  EXPECT_EQ(String(HkeyClassesRoot, kRecycleBin, "full"), "<none>");
  SetIconOf(3, "c:\\full.ico", "1");
  EXPECT_EQ(String(HkeyClassesRoot, kRecycleBin, "full"), "c:\\full.ico,1");
  EXPECT_EQ(String(HkeyClassesRoot, kRecycleBin, ""), "c:\\bin.ico,0");
  SetIconOf(1, "c:\\pc.ico", "2");
  EXPECT_EQ(String(HkeyClassesRoot, kMyComputer, ""), "c:\\pc.ico,2");
}

TEST_F(IconsPanel, OriginalIconWritesTheSystemsOwnSettingAndShowsIt) {
  Choose(kIcons);
  tk.Click(main, "Restore");
  EXPECT_EQ(ShellIcon("29"), std::string(kShell32) + ",29") << "written, not deleted";
  Target(6);
  tk.Type(main, "Text8", "c:\\typed.dll");
  tk.Click(main, "Restore");
  EXPECT_EQ(ShellIcon("8"), std::string(kShell32) + ",8");
  EXPECT_EQ(Text8(), kShell32);
  EXPECT_EQ(Text9(), "8");
  EXPECT_TRUE(Previews(kShell32, 8));
  Target(3);
  tk.Click(main, "Restore");
  EXPECT_EQ(String(HkeyClassesRoot, kRecycleBin, "full"), std::string(kShell32) + ",32");
  Target(1);
  tk.Click(main, "Restore");
  EXPECT_EQ(String(HkeyClassesRoot, kMyComputer, ""), "Explorer.exe,0");
  EXPECT_EQ(Text8(), "C:\\WINDOWS\\explorer.exe");
  EXPECT_EQ(Text9(), "0");
}

TEST_F(IconsPanel, BlankTakesIconNineOfTheLibrarySetupRecordedElseTheOneBesideTheProgram) {
  files.PutFile(kBeside, "MZ");
  Choose(kIcons);
  tk.Click(main, "None");
  EXPECT_EQ(ShellIcon("29"), std::string(kBeside) + ",9");
  EXPECT_EQ(Text8(), kBeside);
  EXPECT_EQ(Text9(), "9");
  EXPECT_TRUE(NoPreview());
  // Installed: the recorded library; recorded but gone: the one beside.
  files.PutFile(kInstalled, "MZ");
  system.store.Write(settings::DllPath, kInstalled);
  tk.Click(main, "None");
  EXPECT_EQ(ShellIcon("29"), std::string(kInstalled) + ",9");
  files.Delete(kInstalled);
  tk.Click(main, "None");
  EXPECT_EQ(ShellIcon("29"), std::string(kBeside) + ",9");
}

TEST_F(IconsPanel, BlankWithoutAnyLibraryWritesNothingAndSaysSo) {
  system.reg.SaveStringValue(HkeyCurrentUser, kMetrics, "shell icon size", "48");
  Choose(kIcons);
  const auto before = WholeRegistry();
  tk.AnswerNextBox(forms::IdOk);
  tk.Click(main, "None");
  ASSERT_EQ(tk.Boxes().size(), 1u);
  EXPECT_EQ(tk.Boxes()[0].text,
            "The blank icon is in Velmaro's icon library, Velmaro.dll, which is neither where "
            "Setup installed it nor beside Velmaro.exe. Nothing was changed.");
  EXPECT_EQ(WholeRegistry(), before);
  EXPECT_EQ(desktop.Broadcasts(), 0);
  EXPECT_EQ(Text8(), kShell32);
}

TEST_F(IconsPanel, TextWindowsCannotStoreWritesNothingAtAll) {
  Choose(kIcons);
  const auto before = WholeRegistry();
  tk.Type(main, "Text8", "c:\\\xE9\x9B\xAA.ico");
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::NotStorable) + "\nShortcut icon");
  tk.Click(main, "SetIcon");
  EXPECT_EQ(WholeRegistry(), before);
  EXPECT_EQ(desktop.Broadcasts(), 0);
}

TEST_F(IconsPanel, BrowsingWithTheSystemsPickerShowsTheChoiceAndWritesNothing) {
  files.PutFile(kBeside, "MZ");
  desktop.SetIconCount("c:\\chosen.dll", 8);
  desktop.AnswerNextPicker(platform::IconPick::Chosen, "c:\\chosen.dll", 7);
  desktop.AnswerNextPicker(platform::IconPick::Cancelled);
  Choose(kIcons);
  const auto before = WholeRegistry();
  tk.Click(main, "Command2");
  ASSERT_EQ(desktop.PickerRequests().size(), 1u);
  EXPECT_EQ(desktop.PickerRequests()[0].file, kBeside);
  EXPECT_EQ(desktop.PickerRequests()[0].index, 0);
  EXPECT_EQ(Text8(), "c:\\chosen.dll");
  EXPECT_EQ(Text9(), "7");
  EXPECT_TRUE(Previews("c:\\chosen.dll", 7));
  tk.Click(main, "Command2");
  EXPECT_EQ(Text8(), "c:\\chosen.dll") << "a cancel changes nothing";
  EXPECT_EQ(WholeRegistry(), before);
}

class IconPickerTest : public IconsPanel {
protected:
  // Command2 with the system's picker unavailable: ours, driven by `script`.
  void Browse(std::function<void(forms::Form&)> script) {
    tk.WhenModal("IconPicker", std::move(script));
    tk.Click(main, "Command2");
  }
  static const forms::Picture& Icon(forms::Form& f, int i) {
    return f.Get<forms::Picture>("Icon", i);
  }
  static int IconsShown(forms::Form& f) {
    int n = 0;
    for (int i = 0; i < IconPicker::PageSize; ++i) n += Icon(f, i).Visible();
    return n;
  }
};

TEST_F(IconPickerTest, OursOpensWhereTheSystemHasNoneAtTheLibraryAndGivesTheChoice) {
  files.PutFile(kBeside, "MZ");
  desktop.SetIconCount(kBeside, 16);
  Choose(kIcons);
  Browse([this](forms::Form& f) {
    EXPECT_EQ(f.Caption(), "Change Icon");
    EXPECT_EQ(f.Get<forms::TextBox>("Text1").Text(), kBeside);
    EXPECT_EQ(IconsShown(f), 16);
    EXPECT_EQ(Icon(f, 15).IconIndex(), 15);
    EXPECT_EQ(f.Get<forms::Label>("Shown").Caption(), "Icon 1 of 16");
    tk.Click(f, "Icon", 9);
    EXPECT_EQ(f.Get<forms::Slider>("Choice").Value(), 9);
    EXPECT_EQ(f.Get<forms::Label>("Mark").Bounds().x, Icon(f, 9).Bounds().x - 4);
    tk.Click(f, "OK");
  });
  EXPECT_EQ(desktop.PickerRequests().size(), 1u) << "the system's was asked first";
  EXPECT_EQ(Text8(), kBeside);
  EXPECT_EQ(Text9(), "9");
  EXPECT_TRUE(Previews(kBeside, 9));
  // Cancel and Esc change nothing; a double-click chooses at once.
  Browse([this](forms::Form& f) {
    tk.Click(f, "Icon", 2);
    tk.Click(f, "Cancel");
  });
  Browse([this](forms::Form& f) { tk.PressEscape(f); });
  EXPECT_EQ(Text9(), "9");
  Browse([this](forms::Form& f) { tk.DblClick(f, "Icon", 3); });
  EXPECT_EQ(Text9(), "3");
}

TEST_F(IconPickerTest, ManyIconsComePageByPageAndAnotherFileComesThroughTheFileDialog) {
  desktop.SetIconCount("c:\\many.dll", 30);
  Choose(kIcons);
  tk.AnswerNextFileDialog("c:\\none.txt");
  tk.AnswerNextFileDialog("c:\\many.dll");
  Browse([this](forms::Form& f) {
    EXPECT_EQ(f.Get<forms::TextBox>("Text1").Text(), kShell32) << "no library: the system's";
    EXPECT_EQ(IconsShown(f), 24);
    tk.Click(f, "Browse");
    EXPECT_EQ(f.Get<forms::TextBox>("Text1").Text(), "c:\\none.txt");
    EXPECT_EQ(IconsShown(f), 0);
    EXPECT_EQ(f.Get<forms::Label>("Shown").Caption(), IconPicker::NoIcons);
    EXPECT_FALSE(f.Get("OK").Enabled()) << "nothing to choose";
    tk.Click(f, "Browse");
    EXPECT_EQ(IconsShown(f), 24);
    tk.MoveSlider(f, "Choice", 27);
    EXPECT_EQ(IconsShown(f), 6);
    EXPECT_EQ(Icon(f, 3).IconIndex(), 27);
    EXPECT_EQ(f.Get<forms::Label>("Shown").Caption(), "Icon 28 of 30");
    tk.PressEnter(f);
  });
  ASSERT_EQ(tk.FileDialogs().size(), 2u);
  EXPECT_EQ(tk.FileDialogs()[0].initialDir, "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(Text8(), "c:\\many.dll");
  EXPECT_EQ(Text9(), "27");
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(IconPickerTest, TypingAFileNameShowsItsIcons) {
  desktop.SetIconCount("c:\\two.ico", 2);
  Choose(kIcons);
  Browse([this](forms::Form& f) {
    tk.Type(f, "Text1", "c:\\two.ico");
    EXPECT_EQ(IconsShown(f), 2);
    tk.Click(f, "Icon", 1);
    tk.Click(f, "OK");
  });
  EXPECT_EQ(Text8(), "c:\\two.ico");
  EXPECT_EQ(Text9(), "1");
}

}  // namespace
}  // namespace velmaro::console
