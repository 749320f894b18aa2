// What the panels do where a plain reading of their rules goes wrong: a box
// that shows ticked applies as ticked, writes the system refuses are named,
// the boot file and its store disagreeing, NT-family homes of some values,
// and the order and reload rules of the main window, on real panels.
#include <algorithm>

#include "console/switch_tweaks.h"
#include "support/console_fixture.h"

namespace velmaro::console {
namespace {

using namespace velmaro::testing;

constexpr const char* kSound = "Control Panel\\Sound";
constexpr const char* kMetrics = "Control Panel\\Desktop\\WindowMetrics";
constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* k95Version = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNtVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

std::string Refused(std::initializer_list<const char*> settings) {
  std::string text(SaveReport::NotSaved);
  for (const char* s : settings) text += std::string("\n") + s;
  return text;
}

// ---- Boxes apply what they show ----

TEST_F(CatalogueTest, QuickViewShownTickedIsAddedByAnUntouchedApply) {
  system.reg.CreateKey(HkeyClassesRoot, "*\\QuickView");
  Choose(NodeOf("More Explorer tweaks"));
  ASSERT_EQ(Box("QuickView").Value(), 1);
  ASSERT_FALSE(system.reg.KeyExists(HkeyClassesRoot, "*\\shell\\QuickView"));
  ApplyPanel();
  EXPECT_EQ(String(HkeyClassesRoot, "*\\shell\\QuickView", ""), "&Quick View");
  EXPECT_EQ(String(HkeyClassesRoot, "*\\shell\\QuickView\\command", ""),
            "C:\\WINDOWS\\SYSTEM\\viewers\\quikview.exe %1");
  // A verb that is there while the box shows clear (Quick View not installed)
  // is not removed unless the user clears the box.
  system.reg.DeleteKey(HkeyClassesRoot, "*\\QuickView");
  Tweaker fresh{system};
  tk.Show(fresh);
  tk.Advance(Splash::TimerInterval);
  tk.ExpandNode(fresh, "Tr", RootNode);
  tk.ClickNode(fresh, "Tr", NodeOf("More Explorer tweaks"));
  ASSERT_EQ(fresh.Get<CheckBox>("QuickView").Value(), 0);
  tk.Click(fresh, "Apply");
  EXPECT_TRUE(system.reg.KeyExists(HkeyClassesRoot, "*\\shell\\QuickView"));
}

// Two windows on one system, both showing Start Menu: each writes what its
// user changed and leaves what the other wrote since, naming it.
TEST_F(CatalogueTest, TwoWindowsOnOnePanelKeepEachOthersChangesAndNameThem) {
  Tweaker other{system};
  tk.Show(other);
  tk.Advance(Splash::TimerInterval);
  tk.ExpandNode(other, "Tr", RootNode);
  Choose(NodeOf("Start Menu"));
  tk.ClickNode(other, "Tr", NodeOf("Start Menu"));
  ASSERT_EQ(Dword(kPolicies, "NoRun"), -99);
  tk.Click(main, "HideRun");
  ApplyPanel();
  ASSERT_EQ(Dword(kPolicies, "NoRun"), 1);

  tk.Click(other, "HideFind");
  const std::string spared(SaveReport::ChangedMeanwhile);
  tk.AnswerNextBox(forms::IdOk, spared + "\nHide the 'Run' menu from the Start Menu");
  tk.Click(other, "Apply");
  EXPECT_EQ(Dword(kPolicies, "NoRun"), 1);
  EXPECT_EQ(Dword(kPolicies, "NoFind"), 1);
  ASSERT_FALSE(tk.Boxes().empty());
  EXPECT_EQ(tk.Boxes().back().flags, forms::mb::Ok | forms::mb::IconInformation);

  // The first window's own writes are no other program's change; the
  // second's are. After a reload there is nothing to name.
  tk.AnswerNextBox(forms::IdOk, spared + "\nHide 'Find' menu from the Start Menu");
  ApplyPanel();
  EXPECT_EQ(Dword(kPolicies, "NoFind"), 1);
  Choose(NodeOf("Start Menu"));
  ApplyPanel();
  EXPECT_EQ(tk.UnusedScripts(), 0u);

  // A boot line another program changes is kept; the user's choice is written.
  files.PutFile(BootFilePath, "AutoScan=0\r\nBootDelay=2\r\nLogo=1\r\n");
  Choose(NodeOf("Windows"));
  files.PutFile(BootFilePath, "AutoScan=1\r\nBootDelay=4\r\nLogo=1\r\n");
  tk.MoveSlider(main, "DelaySl", 5);
  tk.AnswerNextBox(forms::IdOk, spared + "\nAuto Scan at startup");
  ApplyPanel();
  std::string boot;
  files.ReadWholeFile(BootFilePath, boot, 1 << 20);
  EXPECT_EQ(boot, "AutoScan=1\r\nBootDelay=5\r\nLogo=1\r\n");
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(CatalogueTest, SpeakerBoxTickedOverAStoredYesWritesNo) {
  // Ticked by an earlier load, then "Yes" stored behind the console's back.
  Choose(NodeOf("Misc. tweaks"));
  ASSERT_EQ(Box("PCSound").Value(), 1);
  system.reg.SaveStringValue(HkeyCurrentUser, kSound, "Beep", "Yes");
  Choose(NodeOf("Misc. tweaks"));
  ASSERT_EQ(Box("PCSound").Value(), 1);  // the load leaves it as it was
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, kSound, "Beep"), "No");

  // An unapplied tick that a reload keeps.
  system.reg.SaveStringValue(HkeyCurrentUser, kSound, "Beep", "Yes");
  tk.Click(main, "PCSound");
  tk.Click(main, "PCSound");
  ASSERT_EQ(Box("PCSound").Value(), 1);
  Choose(NodeOf("Misc. tweaks"));
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, kSound, "Beep"), "No");
  // With the box clear, "Yes" is written back as it is.
  tk.Click(main, "PCSound");
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, kSound, "Beep"), "Yes");
}

TEST_F(CatalogueTest, ShellIconDepthOf50OrAbsentLeavesBothControlsAsTheyWere) {
  system.reg.SaveStringValue(HkeyCurrentUser, kMetrics, "Shell Icon BPP", "16");
  Choose(NodeOf("More Explorer tweaks"));
  ASSERT_EQ(Box("Hicolor").Value(), 1);
  ASSERT_EQ(main.Get<forms::DropDownList>("Card").ListIndex(), 0);

  system.reg.SaveStringValue(HkeyCurrentUser, kMetrics, "Shell Icon BPP", "50");
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("Hicolor").Value(), 1);
  EXPECT_EQ(main.Get<forms::DropDownList>("Card").ListIndex(), 0);
  // "50" is no depth the box can show: an untouched apply keeps it ...
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, kMetrics, "Shell Icon BPP"), "50");
  // ... and once the user changes it, what the panel shows is written.
  tk.Choose(main, "Card", 1);
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, kMetrics, "Shell Icon BPP"), "24");

  system.reg.DeleteValue(HkeyCurrentUser, kMetrics, "Shell Icon BPP");
  tk.Choose(main, "Card", 1);
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("Hicolor").Value(), 1);
  EXPECT_EQ(main.Get<forms::DropDownList>("Card").ListIndex(), 1);
  // Cleared and applied while absent: nothing to delete, nothing reported.
  tk.Click(main, "Hicolor");
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, kMetrics, "Shell Icon BPP"), "<none>");
  EXPECT_TRUE(tk.Boxes().empty());
}

// ---- Refused writes are named ----

TEST_F(CatalogueTest, WritesAStandardUserMayNotMakeAreNamedAndTheRestSaved) {
  registry.ProtectKey(HkeyLocalMachine, "");
  Choose(NodeOf("General"));
  tk.Type(main, "Text5", "Velmaro Ltd");
  tk.Type(main, "Text6", "Ann Owner");
  tk.AnswerNextBox(forms::IdOk, Refused({"Registered Owner", "Registered Organization"}));
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, "Software\\Microsoft\\MS Setup (ACME)\\User Info",
                   "DefCompany"), "Velmaro Ltd");
  EXPECT_EQ(String(HkeyLocalMachine, k95Version, "RegisteredOwner"), "<none>");

  Choose(NodeOf("Explorer"));
  tk.Click(main, "Check1");
  tk.AnswerNextBox(forms::IdOk, Refused({"New title of Internet Explorer",
                                         "Enable Auto Run feature of CD-ROM"}));
  ApplyPanel();
  EXPECT_EQ(system.store.Read(settings::Chack), "1");  // the per-user part is kept

  // Shell verbs live in HKEY_CLASSES_ROOT, that is HKEY_LOCAL_MACHINE.
  Choose(NodeOf("More Explorer tweaks"));
  tk.Click(main, "NotPad1");
  tk.AnswerNextBox(forms::IdOk,
                   Refused({"Use Notpad to open any file by right clicking on it and selecting "
                            "the option."}));
  ApplyPanel();
  EXPECT_EQ(tk.UnusedScripts(), 0u);
  EXPECT_EQ(main.Pointer(), forms::MousePointer::Default);
}

TEST_F(CatalogueTest, AReadOnlyPolicyKeyIsReportedRowByRow) {
  registry.ProtectKey(HkeyCurrentUser, kPolicies);
  Choose(NodeOf("Start Menu"));
  tk.Click(main, "HideRun");
  tk.AnswerNextBox(forms::IdOk,
                   Refused({"Show the Start banner on the taskbar which appears just after startup.",
                            "Hide the 'Log Off' menu from the Start Menu",
                            "Hide the 'Run' menu from the Start Menu",
                            "Hide 'Find' menu from the Start Menu",
                            "Hide the 'Documents' menu from the Start Menu",
                            "Hide the 'Favorites' menu from the Start Menu"}));
  ApplyPanel();
  EXPECT_EQ(Dword(kPolicies, "NoRun"), -99);
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(CatalogueTest, ARefusedFolderPathIsReported) {
  system.reg.SaveStringValue(HkeyCurrentUser, kShellFolders, "Desktop", "c:\\desk");
  registry.ProtectKey(HkeyCurrentUser, kShellFolders);
  Choose(NodeOf("Misc. tweaks"));
  tk.Type(main, "Text10", "d:\\desk");
  tk.AnswerNextBox(forms::IdYes);
  tk.AnswerNextBox(forms::IdOk, Refused({"Current path"}));
  tk.Click(main, "Change_folder");
  EXPECT_EQ(String(HkeyCurrentUser, kShellFolders, "Desktop"), "c:\\desk");
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(CatalogueTest, ABitmapIconTheStoreCannotKeepIsNotReplaced) {
  system.reg.SaveStringValue(HkeyClassesRoot, ".bmp", "", "Paint.Picture");
  system.reg.SaveStringValue(HkeyClassesRoot, "Paint.Picture\\DefaultIcon", "", "pbrush.exe,1");
  registry.ProtectKey(HkeyCurrentUser, "Software\\Velmaro");
  Choose(NodeOf("More Explorer tweaks"));
  tk.Click(main, "BmpTh");
  tk.AnswerNextBox(forms::IdOk, Refused({"Automatically View Thumbnails of Bitmap Files"}));
  ApplyPanel();
  EXPECT_EQ(String(HkeyClassesRoot, "Paint.Picture\\DefaultIcon", ""), "pbrush.exe,1");
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

// ---- The boot file and its store ----

TEST_F(CatalogueTest, ABootFileReplacedWhileTheStoreRefusesIsSaidSoAndShownFromTheFile) {
  files.PutFile("c:\\msdos.sys", "[Options]\r\nAutoScan=0\r\nBootDelay=2\r\nLogo=1\r\n");
  system.store.Write(settings::BootDelay, "2");
  registry.ProtectKey(HkeyCurrentUser, "Software\\Velmaro\\Settings");
  Choose(NodeOf("Windows"));
  tk.Click(main, "AutoScan");
  tk.Click(main, "DisSpl");
  tk.MoveSlider(main, "DelaySl", 4);
  tk.AnswerNextBox(forms::IdOk, std::string(BootNotRecordedMessage));
  ApplyPanel();
  std::string boot;
  ASSERT_EQ(files.ReadWholeFile("c:\\msdos.sys", boot, 1 << 20), ErrorSuccess);
  EXPECT_EQ(boot, "[Options]\r\nAutoScan=2\r\nBootDelay=4\r\nLogo=0\r\n");
  EXPECT_EQ(system.store.Read(settings::BootDelay), "2");

  // Reset the controls by hand, then reload: the file's choices come back.
  tk.Click(main, "AutoScan");
  tk.Click(main, "DisSpl");
  tk.MoveSlider(main, "DelaySl", 1);
  Choose(NodeOf("Misc. tweaks"));
  Choose(NodeOf("Windows"));
  EXPECT_EQ(Box("AutoScan").Value(), 1);
  EXPECT_EQ(Box("DisSpl").Value(), 1);
  EXPECT_EQ(main.Get<forms::Slider>("DelaySl").Value(), 4);
  EXPECT_EQ(main.Get<forms::Label>("Label5").Caption(), "Boot delay time(in seconds) : 4");
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST(BootOptionsInFile, ReadsTheThreeLinesAndKeepsTheRestFromTheFallback) {
  MemoryFiles files;
  const BootOptions fallback{0, 0, 3};
  EXPECT_EQ(BootOptionsInFile(files, fallback).delaySl, 3);  // no file
  files.PutFile("c:\\msdos.sys", "[Options]\nAutoScan=1\r\nBootDelay=9\rLogo=x\r\n");
  const BootOptions o = BootOptionsInFile(files, fallback);
  EXPECT_EQ(o.autoScan, 1);
  EXPECT_EQ(o.delaySl, 5);  // clamped to the slider
  EXPECT_EQ(o.disSpl, 0);   // no number: the fallback's
  files.PutFile("c:\\msdos.sys", "autoscan=2\r\nLogo=0\r\n");
  const BootOptions lower = BootOptionsInFile(files, BootOptions{0, 0, 2});
  EXPECT_EQ(lower.autoScan, 0);  // the prefix is matched with its case
  EXPECT_EQ(lower.disSpl, 1);
}

// ---- Where NT-family systems keep values ----

TEST_F(CatalogueTest, AFolderPathGoesToUserShellFoldersTooKeepingItsType) {
  registry.SetRawValue(HkeyCurrentUser, kUserShellFolders, "Desktop", RegExpandSz,
                       {'%', 'U', '%', '\\', 'D', 0});
  system.reg.SaveStringValue(HkeyCurrentUser, kShellFolders, "Desktop", "c:\\u\\Desktop");
  system.reg.SaveStringValue(HkeyCurrentUser, kShellFolders, "Cache", "c:\\cache");
  Choose(NodeOf("Misc. tweaks"));
  tk.Type(main, "Text10", "d:\\desk");
  tk.AnswerNextBox(forms::IdYes);
  tk.Click(main, "Change_folder");
  EXPECT_EQ(Values(HkeyCurrentUser, kShellFolders).at("Desktop"),
            (std::pair<std::uint32_t, Bytes>{RegSz, {'d', ':', '\\', 'd', 'e', 's', 'k', 0}}));
  EXPECT_EQ(Values(HkeyCurrentUser, kUserShellFolders).at("Desktop"),
            (std::pair<std::uint32_t, Bytes>{RegExpandSz, {'d', ':', '\\', 'd', 'e', 's', 'k', 0}}));
  // Where "User Shell Folders" has no such name, none is made there.
  tk.Choose(main, "Combo2", std::string("Temporary Internet files"));
  tk.Type(main, "Text10", "d:\\cache");
  tk.AnswerNextBox(forms::IdYes);
  tk.Click(main, "Change_folder");
  EXPECT_EQ(String(HkeyCurrentUser, kShellFolders, "Cache"), "d:\\cache");
  EXPECT_EQ(Values(HkeyCurrentUser, kUserShellFolders).size(), 1u);
}

TEST_F(CatalogueTest, AFolderChangeWritesNoOtherRegistryValue) {
  system.reg.SaveStringValue(HkeyCurrentUser, kShellFolders, "Cache", "c:\\cache");
  system.reg.SaveStringValue(HkeyCurrentUser, kShellFolders, "History", "c:\\history");
  system.reg.SaveStringValue(HkeyCurrentUser, kUserShellFolders, "Cache", "c:\\cache");
  Choose(NodeOf("Misc. tweaks"));
  tk.Choose(main, "Combo2", std::string("Temporary Internet files"));
  ASSERT_EQ(Text("Text10").Text(), "c:\\cache");
  tk.Type(main, "Text10", "e:\\ie cache");
  auto before = WholeRegistry();
  tk.AnswerNextBox(forms::IdYes);
  tk.Click(main, "Change_folder");
  auto after = WholeRegistry();
  const std::string shell = std::string("HKCU\\") + kShellFolders + "\\Cache";
  const std::string user = std::string("HKCU\\") + kUserShellFolders + "\\Cache";
  const Bytes written{'e', ':', '\\', 'i', 'e', ' ', 'c', 'a', 'c', 'h', 'e', 0};
  EXPECT_EQ(after.at(shell).second, written);  // "Temporary Internet files" writes "Cache"
  EXPECT_EQ(after.at(user).second, written);
  for (auto* snapshot : {&before, &after}) {
    snapshot->erase(shell);
    snapshot->erase(user);
  }
  EXPECT_EQ(after, before);
}

TEST_F(CatalogueTest, RegisteredNamesComeFromTheNtKeyWhenThe95KeyHasNoneOrEmpty) {
  system.reg.SaveStringValue(HkeyLocalMachine, kNtVersion, "RegisteredOwner", "NT Owner");
  system.reg.SaveStringValue(HkeyLocalMachine, kNtVersion, "RegisteredOrganization", "NT Org");
  system.reg.SaveStringValue(HkeyLocalMachine, k95Version, "RegisteredOrganization", "95 Org");
  Choose(NodeOf("General"));
  EXPECT_EQ(Text("Text6").Text(), "NT Owner");
  EXPECT_EQ(Text("Text7").Text(), "95 Org");
  // Empty, as a fresh Wine prefix holds it, counts as none.
  system.reg.SaveStringValue(HkeyLocalMachine, k95Version, "RegisteredOwner", "");
  Choose(NodeOf("General"));
  EXPECT_EQ(Text("Text6").Text(), "NT Owner");
  EXPECT_EQ(Text("Text7").Text(), "95 Org");
  tk.Type(main, "Text6", "Ann");
  ApplyPanel();
  EXPECT_EQ(String(HkeyLocalMachine, k95Version, "RegisteredOwner"), "Ann");
  EXPECT_EQ(String(HkeyLocalMachine, kNtVersion, "RegisteredOwner"), "Ann");
  // The NT key's own organisation was not shown and not touched: it stays.
  EXPECT_EQ(String(HkeyLocalMachine, k95Version, "RegisteredOrganization"), "95 Org");
  EXPECT_EQ(String(HkeyLocalMachine, kNtVersion, "RegisteredOrganization"), "NT Org");
  Choose(NodeOf("General"));
  tk.Type(main, "Text7", "Ann's Org");
  ApplyPanel();
  for (const char* key : {k95Version, kNtVersion})
    EXPECT_EQ(String(HkeyLocalMachine, key, "RegisteredOrganization"), "Ann's Org") << key;
}

TEST_F(CatalogueTest, RegisteredNamesMakeNoNtKeyOnA95System) {
  Choose(NodeOf("General"));
  tk.Type(main, "Text6", "Ann");
  ApplyPanel();
  EXPECT_EQ(String(HkeyLocalMachine, k95Version, "RegisteredOwner"), "Ann");
  EXPECT_FALSE(system.reg.KeyExists(HkeyLocalMachine, kNtVersion));
}

// ---- The main window's order and reload rules, on real panels ----

TEST_F(CatalogueTest, TheRestartNoticeComesBeforeTheFirstRegistryWrite) {
  system.store.Write(settings::ShowMess, "1");
  for (int node : {2, 5, 7}) {
    Choose(node);
    log.clear();
    tk.AnswerNextBox(forms::IdOk, std::string(Tweaker::RestartNotice));
    ApplyPanel();
    const auto firstWrite = std::find_if(log.begin(), log.end(), [](const std::string& e) {
      return e.rfind("MsgBox", 0) != 0;
    });
    ASSERT_NE(firstWrite, log.end()) << node;  // the apply did write
    EXPECT_EQ(log.front(), "MsgBox Information") << node;
    EXPECT_EQ(std::count(log.begin(), log.end(), "MsgBox Information"), 1) << node;
  }
  // The other categories write without a box.
  Choose(NodeOf("General"));
  log.clear();
  ApplyPanel();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& e) { return e.rfind("MsgBox", 0) == 0; }),
            0);
}

TEST_F(CatalogueTest, ReSelectingTheShownCategoryDiscardsUnappliedChanges) {
  system.reg.SaveDWordValue(HkeyCurrentUser, kPolicies, "NoRun", 1);
  Choose(NodeOf("Start Menu"));
  ASSERT_EQ(Box("HideRun").Value(), 1);
  tk.Click(main, "HideRun");
  tk.Click(main, "HideFav");
  Choose(NodeOf("Start Menu"));
  EXPECT_EQ(Box("HideRun").Value(), 1);
  EXPECT_EQ(Box("HideFav").Value(), 0);

  system.reg.SaveStringValue(HkeyLocalMachine, k95Version, "RegisteredOwner", "Ann");
  Choose(NodeOf("General"));
  tk.Type(main, "Text6", "typed, not applied");
  Choose(NodeOf("General"));
  EXPECT_EQ(Text("Text6").Text(), "Ann");
}

TEST_F(CatalogueTest, AnApplierThatFailsLeavesNoHourglass) {
  Choose(NodeOf("Start Menu"));
  recorded.throwOnWrite = true;
  EXPECT_THROW(ApplyPanel(), std::runtime_error);
  EXPECT_EQ(main.Pointer(), forms::MousePointer::Default);
  // A load that fails, in the node click's hourglass.
  system.reg.DeleteValue(HkeyCurrentUser, kDesktop, "MenuShowDelay");
  EXPECT_THROW(Choose(NodeOf("Windows")), std::runtime_error);  // the load writes the menu delay
  EXPECT_EQ(main.Pointer(), forms::MousePointer::Default);
  ASSERT_FALSE(tk.PointerLog().empty());
  EXPECT_EQ(tk.PointerLog().back().pointer, forms::MousePointer::Default);
}

TEST_F(CatalogueTest, AMisspeltControlNameFailsWhenThePanelIsBuilt) {
  const SwitchRow misspelt{"HideRn", SwitchRule::DwordState, HkeyCurrentUser, kPolicies, "NoRun"};
  EXPECT_THROW(Switch(misspelt, main), forms::FormError);
  const SwitchRow wrongKind{"Text4", SwitchRule::DwordState, HkeyCurrentUser, kPolicies, "NoRun"};
  EXPECT_THROW(Switch(wrongKind, main), forms::FormError);
  // Every built panel bound its controls when the window was made.
  for (const auto& c : Categories) EXPECT_NE(c.panel, nullptr) << c.text;
}

}  // namespace
}  // namespace velmaro::console
