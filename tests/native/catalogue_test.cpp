// The six switch-tweak panels through the main window, as a user meets them:
// each load shows what the registry holds (absent, present, other type), each
// apply writes what the catalogue says and nothing else, and values a control
// cannot show survive an apply that did not touch them.
#include "support/console_fixture.h"

namespace velmaro::console {
namespace {

using namespace velmaro::testing;

// ---- Start Menu ----

TEST_F(CatalogueTest, StartMenuShowsAbsentPresentAndOtherTypesByItsRules) {
  Choose(NodeOf("Start Menu"));
  EXPECT_EQ(Box("ShowBanner").Value(), 0);  // absent: first byte 1 of the fallback
  for (const char* name : {"HideLog", "HideRun", "HideFind", "HideDoc", "HideFav"})
    EXPECT_EQ(Box(name).Value(), 0) << name;

  system.reg.SaveBinaryValue(HkeyCurrentUser, kPolicies, "NoStartBanner", {0, 0, 0});
  system.reg.SaveBinaryValue(HkeyCurrentUser, kPolicies, "NoLogOff", {1, 0, 0});
  system.reg.SaveDWordValue(HkeyCurrentUser, kPolicies, "NoRun", 1);
  system.reg.SaveDWordValue(HkeyCurrentUser, kPolicies, "NoFind", 2);
  system.reg.SaveStringValue(HkeyCurrentUser, kPolicies, "NoRecentDocsMenu", "1");  // other type
  Choose(NodeOf("Start Menu"));
  EXPECT_EQ(Box("ShowBanner").Value(), 1);
  EXPECT_EQ(Box("HideLog").Value(), 1);
  EXPECT_EQ(Box("HideRun").Value(), 1);
  EXPECT_EQ(Box("HideFind").Value(), 2);  // grayed
  EXPECT_EQ(Box("HideDoc").Value(), 0);
}

TEST_F(CatalogueTest, StartMenuApplyWritesEveryRowAndNothingElse) {
  system.reg.SaveStringValue(HkeyCurrentUser, kPolicies, "Unrelated", "kept");
  Choose(NodeOf("Start Menu"));
  tk.Click(main, "HideRun");
  tk.Click(main, "ShowBanner");
  ApplyPanel();
  const Snapshot expected{
      {"NoStartBanner", {RegBinary, {0, 0, 0}}}, {"NoLogOff", {RegBinary, {0, 0, 0}}},
      {"NoRun", {RegDword, {1, 0, 0, 0}}},       {"NoFind", {RegDword, {0, 0, 0, 0}}},
      {"NoRecentDocsMenu", {RegDword, {0, 0, 0, 0}}},
      {"NoFavoritesMenu", {RegDword, {0, 0, 0, 0}}},
      {"Unrelated", {RegSz, {'k', 'e', 'p', 't', 0}}}};
  EXPECT_EQ(Values(HkeyCurrentUser, kPolicies), expected);
  // The panel keeps what the user set; a reload shows the same.
  Choose(NodeOf("General"));
  Choose(NodeOf("Start Menu"));
  EXPECT_EQ(Box("HideRun").Value(), 1);
  EXPECT_EQ(Box("ShowBanner").Value(), 1);
}

TEST_F(CatalogueTest, PolicyNumbersABoxCannotShowSurviveAnUntouchedApply) {
  system.reg.SaveDWordValue(HkeyCurrentUser, kPolicies, "NoRun", 7);
  system.reg.SaveDWordValue(HkeyCurrentUser, kPolicies, "NoFind", 2);
  system.reg.SaveBinaryValue(HkeyCurrentUser, kPolicies, "NoLogOff", {5, 0, 0});
  Choose(NodeOf("Start Menu"));
  EXPECT_EQ(Box("HideRun").Value(), 1);  // non-zero: on
  EXPECT_EQ(Box("HideLog").Value(), 1);
  ApplyPanel();
  EXPECT_EQ(Dword(kPolicies, "NoRun"), 7);
  EXPECT_EQ(Dword(kPolicies, "NoFind"), 2);  // grayed is written back as 2
  EXPECT_EQ(Binary(HkeyCurrentUser, kPolicies, "NoLogOff").bytes(), (Bytes{5, 0, 0}));
  // Once the user changes the box, the box decides.
  tk.Click(main, "HideRun");
  tk.Click(main, "HideFind");
  ApplyPanel();
  EXPECT_EQ(Dword(kPolicies, "NoRun"), 0);
  EXPECT_EQ(Dword(kPolicies, "NoFind"), 0);
}

// ---- General ----

TEST_F(CatalogueTest, GeneralTextsAreAlwaysWrittenAndWordsOptionIsText) {
  system.reg.SaveStringValue(HkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                             "RegisteredOwner", "Ann Owner");
  system.reg.SaveDWordValue(HkeyCurrentUser, kSystemPolicies, "NoSecCPL", 1);
  Choose(NodeOf("General"));
  EXPECT_EQ(Text("Text6").Text(), "Ann Owner");
  EXPECT_EQ(Text("Text4").Text(), "");
  EXPECT_EQ(Box("ResPass").Value(), 1);
  EXPECT_EQ(Box("LiveScroll").Value(), 0);
  tk.Type(main, "Text6", "");
  tk.Type(main, "Text5", "Velmaro Ltd");
  tk.Click(main, "LiveScroll");
  ApplyPanel();
  EXPECT_EQ(String(HkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                   "RegisteredOwner"), "");
  EXPECT_EQ(String(HkeyCurrentUser, "Software\\Microsoft\\MS Setup (ACME)\\User Info", "DefName"),
            "");
  EXPECT_EQ(String(HkeyCurrentUser, "Software\\Microsoft\\MS Setup (ACME)\\User Info",
                   "DefCompany"), "Velmaro Ltd");
  EXPECT_EQ(String(HkeyCurrentUser, "Software\\Microsoft\\Office\\8.0\\Word\\Options",
                   "LiveScrolling"), "1");
  EXPECT_EQ(Dword(kSystemPolicies, "NoProfilePage"), 0);
}

TEST_F(CatalogueTest, TypedTextWindowsCannotStoreIsReportedAndTheOldValueKept) {
  const char* acme = "Software\\Microsoft\\MS Setup (ACME)\\User Info";
  system.reg.SaveStringValue(HkeyCurrentUser, acme, "DefName", "Old Name");
  Choose(NodeOf("General"));
  tk.Type(main, "Text4", "Snow \xE9\x9B\xAA");  // no ANSI form in a Western code page
  tk.Type(main, "Text5", "Caf\xC3\xA9 Ltd");       // Latin letters are fine
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::NotStorable) + "\nDefault user name");
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, acme, "DefName"), "Old Name");
  EXPECT_EQ(String(HkeyCurrentUser, acme, "DefCompany"), "Caf\xC3\xA9 Ltd");
  EXPECT_EQ(tk.UnusedScripts(), 0u);

  // A special folder path: reported at once, nothing asked or written.
  system.reg.SaveStringValue(HkeyCurrentUser, kShellFolders, "Desktop", "c:\\desk");
  Choose(NodeOf("Misc. tweaks"));
  tk.Type(main, "Text10", "c:\\\xE9\x9B\xAA");
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::NotStorable) + "\nCurrent path");
  tk.Click(main, "Change_folder");
  EXPECT_EQ(String(HkeyCurrentUser, kShellFolders, "Desktop"), "c:\\desk");
}

TEST_F(CatalogueTest, NonNumericWordOptionIsKeptUntilTheUserChangesIt) {
  const char* word = "Software\\Microsoft\\Office\\8.0\\Word\\Options";
  system.reg.SaveStringValue(HkeyCurrentUser, word, "LiveScrolling", "abc");
  Choose(NodeOf("General"));
  EXPECT_EQ(Box("LiveScroll").Value(), 0);
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, word, "LiveScrolling"), "abc");
  tk.Click(main, "LiveScroll");
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, word, "LiveScrolling"), "1");
}

// ---- Explorer ----

TEST_F(CatalogueTest, ShortcutPrefixFollowsTheLinkValue) {
  const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
  Choose(NodeOf("Explorer"));
  EXPECT_EQ(Box("Prefix").Value(), 1);  // absent: the prefix is on
  tk.Click(main, "Prefix");
  ApplyPanel();
  EXPECT_EQ(Binary(HkeyCurrentUser, key, "Link").bytes(), (Bytes{0, 0, 0}));
  Choose(NodeOf("Explorer"));
  EXPECT_EQ(Box("Prefix").Value(), 0);
  tk.Click(main, "Prefix");
  ApplyPanel();
  EXPECT_FALSE(Binary(HkeyCurrentUser, key, "Link").IsBytes());
  // A count such as the system keeps is shown clear and left alone.
  system.reg.SaveBinaryValue(HkeyCurrentUser, key, "Link", {0x1e, 0, 0, 0});
  Choose(NodeOf("Explorer"));
  EXPECT_EQ(Box("Prefix").Value(), 0);
  ApplyPanel();
  EXPECT_EQ(Binary(HkeyCurrentUser, key, "Link").bytes(), (Bytes{0x1e, 0, 0, 0}));
}

TEST_F(CatalogueTest, ToolbarBitmapAndWindowTitleFollowTheirBoxes) {
  const char* toolbar = "Software\\Microsoft\\Internet Explorer\\Toolbar";
  const char* ie = "SOFTWARE\\Microsoft\\Internet Explorer\\Main";
  system.reg.SaveStringValue(HkeyCurrentUser, toolbar, "BackBitmap", "c:\\pics\\sky.bmp");
  Choose(NodeOf("Explorer"));
  EXPECT_EQ(Text("Text2").Text(), "c:\\pics\\sky.bmp");
  EXPECT_EQ(Box("Check1").Value(), 0);  // "Chack" not stored
  EXPECT_FALSE(main.Get("Text3").Enabled());

  tk.Type(main, "Text2", "");
  tk.Click(main, "Check1");
  EXPECT_TRUE(main.Get("Text3").Enabled());
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, toolbar, "BackBitmap"), "<none>");
  EXPECT_EQ(String(HkeyLocalMachine, ie, "Window Title"), "");  // empty title written
  EXPECT_EQ(system.store.Read(settings::Chack), "1");

  system.reg.SaveStringValue(HkeyLocalMachine, ie, "Window Title", "My browser");
  Choose(NodeOf("Explorer"));
  EXPECT_EQ(Box("Check1").Value(), 1);
  EXPECT_EQ(Text("Text3").Text(), "My browser");
  tk.Type(main, "Text3", "typed");
  tk.Click(main, "Check1");
  EXPECT_FALSE(main.Get("Text3").Enabled());
  ApplyPanel();
  EXPECT_EQ(String(HkeyLocalMachine, ie, "Window Title"), "<none>");
  EXPECT_EQ(system.store.Read(settings::Chack), "0");
  // With "Chack" 0 a load leaves the box and the title as they are.
  Choose(NodeOf("Explorer"));
  EXPECT_EQ(Text("Text3").Text(), "typed");
  EXPECT_EQ(Box("Check1").Value(), 0);
}

TEST_F(CatalogueTest, TitleBoxTakesTheFocusOnlyFromTheSecondClickAfterALoad) {
  Choose(NodeOf("Explorer"));
  tk.Click(main, "Check1");
  EXPECT_NE(main.ActiveControl(), &main.Get("Text3"));
  tk.Click(main, "Check1");
  tk.Click(main, "Check1");
  EXPECT_EQ(main.ActiveControl(), &main.Get("Text3"));
}

TEST_F(CatalogueTest, BitmapBrowseOffersGraphicFilesAndCancelKeepsTheText) {
  Choose(NodeOf("Explorer"));
  tk.Type(main, "Text2", "c:\\old.bmp");
  tk.CancelNextFileDialog();
  tk.Click(main, "Command1");
  EXPECT_EQ(Text("Text2").Text(), "c:\\old.bmp");
  tk.AnswerNextFileDialog("c:\\pics\\new.gif");
  tk.Click(main, "Command1");
  EXPECT_EQ(Text("Text2").Text(), "c:\\pics\\new.gif");
  ASSERT_EQ(tk.FileDialogs().size(), 2u);
  EXPECT_EQ(tk.FileDialogs()[0].title, "Select bitmap for the toolbar of I.E.");
  EXPECT_EQ(tk.FileDialogs()[0].filter,
            "Graphic Files(*.bmp;*.jpg;*.jpe;*.rle;*.tga;*.gif)|*.bmp;*.jpg;*.jpe;*.rle;*.tga;*.gif|");
  EXPECT_EQ(tk.FileDialogs()[0].flags, 530436u);
}

TEST_F(CatalogueTest, AutoRunReadsDriveOneWhenDriveZeroIsOffAndWritesBoth) {
  system.reg.SaveBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive0", {0, 0, 0});
  Choose(NodeOf("Explorer"));
  EXPECT_EQ(Box("AutoRun").Value(), 0);  // drive 1 absent
  system.reg.SaveBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive1", {1, 0, 0});
  Choose(NodeOf("Explorer"));
  EXPECT_EQ(Box("AutoRun").Value(), 1);
  system.reg.SaveBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive0", {1, 0, 0});
  system.reg.DeleteValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive1");
  Choose(NodeOf("Explorer"));
  EXPECT_EQ(Box("AutoRun").Value(), 1);
  tk.Click(main, "AutoRun");
  ApplyPanel();
  EXPECT_EQ(Binary(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive0").bytes(), (Bytes{0, 0, 0}));
  EXPECT_EQ(Binary(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive1").bytes(), (Bytes{0, 0, 0}));
}

// ---- Windows ----

TEST_F(CatalogueTest, ShowingTheWindowsPanelCreatesTheMenuDelayOnce) {
  Choose(NodeOf("Windows"));
  EXPECT_EQ(String(HkeyCurrentUser, kDesktop, "MenuShowDelay"), "400");
  EXPECT_EQ(main.Get<forms::Slider>("Sli").Value(), 400);
  EXPECT_EQ(main.Get<forms::Label>("MenuDelay").Caption(), "Menu Delay time (in milliseconds) : 400");
  tk.MoveSlider(main, "Sli", 250);
  EXPECT_EQ(main.Get<forms::Label>("MenuDelay").Caption(), "Menu Delay time (in milliseconds) : 250");
  system.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay", "0400");
  Choose(NodeOf("Windows"));
  EXPECT_EQ(main.Get<forms::Slider>("Sli").Value(), 400);
}

TEST_F(CatalogueTest, MenuDelaysTheSliderCannotHoldAreKeptUnlessMoved) {
  for (const char* stored : {"5000", "abc"}) {
    system.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay", stored);
    Choose(NodeOf("Windows"));
    ApplyPanel();
    EXPECT_EQ(String(HkeyCurrentUser, kDesktop, "MenuShowDelay"), stored);
  }
  EXPECT_EQ(main.Get<forms::Label>("MenuDelay").Caption(), "Menu Delay time (in milliseconds) : 400");
  system.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay", "5000");
  Choose(NodeOf("Windows"));
  EXPECT_EQ(main.Get<forms::Label>("MenuDelay").Caption(), "Menu Delay time (in milliseconds) : 5000");
  EXPECT_EQ(main.Get<forms::Slider>("Sli").Value(), 999);
  tk.MoveSlider(main, "Sli", 300);
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, kDesktop, "MenuShowDelay"), "300");
}

TEST_F(CatalogueTest, WindowsApplyWritesBootFileScrollingAndDragging) {
  files.PutFile("c:\\msdos.sys", "[Options]\r\nAutoScan=1\r\nBootDelay=2\r\nLogo=1\r\n",
                FileAttributeHidden | FileAttributeSystem);
  system.reg.SaveBinaryValue(HkeyCurrentUser, kDesktop, "SmoothScroll", {1, 0, 0, 0});
  system.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "DragFullWindows", "1");
  Choose(NodeOf("Windows"));
  EXPECT_EQ(Box("SmoothScroll").Value(), 1);  // the stored state, not always ticked
  EXPECT_EQ(Box("ShowWindCont").Value(), 1);
  // No choice in the store yet: the file's own lines are shown.
  EXPECT_EQ(Box("AutoScan").Value(), 1);
  EXPECT_EQ(Box("DisSpl").Value(), 0);
  EXPECT_EQ(main.Get<forms::Slider>("DelaySl").Value(), 2);
  tk.Click(main, "SmoothScroll");
  tk.Click(main, "AutoScan");
  tk.Click(main, "DisSpl");
  tk.MoveSlider(main, "DelaySl", 4);
  EXPECT_EQ(main.Get<forms::Label>("Label5").Caption(), "Boot delay time(in seconds) : 4");
  ApplyPanel();
  std::string boot;
  ASSERT_EQ(files.ReadWholeFile("c:\\msdos.sys", boot, 1 << 20), ErrorSuccess);
  EXPECT_EQ(boot, "[Options]\r\nAutoScan=0\r\nBootDelay=4\r\nLogo=0\r\n");
  EXPECT_EQ(Binary(HkeyCurrentUser, kDesktop, "SmoothScroll").bytes(), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(String(HkeyCurrentUser, kDesktop, "DragFullWindows"), "1");
  EXPECT_EQ(system.store.Read(settings::DisSplach), "0");
  Choose(NodeOf("Misc. tweaks"));
  Choose(NodeOf("Windows"));
  EXPECT_EQ(Box("DisSpl").Value(), 1);
  EXPECT_EQ(main.Get<forms::Slider>("DelaySl").Value(), 4);
}

TEST_F(CatalogueTest, ABootFileThatCannotBeReplacedIsReportedAndTheRestStillApplies) {
  files.PutFile("c:\\msdos.sys", "AutoScan=1\r\n");
  files.HoldOpen("c:\\msdos.sys");
  Choose(NodeOf("Windows"));
  tk.Click(main, "ShowWindCont");
  // The message says why: the file is held open by another program.
  tk.AnswerNextBox(forms::IdOk,
                   std::string(BootFailedMessage) + " Another program is using the file.");
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, kDesktop, "DragFullWindows"), "1");
  EXPECT_EQ(system.store.Read(settings::AutoScan, "<none>"), "<none>");
  EXPECT_EQ(main.Pointer(), forms::MousePointer::Default);
}

// ---- Misc. tweaks ----

TEST_F(CatalogueTest, SpeakerBeepIsCheckedOnlyByAnExactNo) {
  Choose(NodeOf("Misc. tweaks"));
  EXPECT_EQ(Box("PCSound").Value(), 1);  // absent reads as "No"
  tk.Click(main, "PCSound");
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, "Control Panel\\Sound", "Beep"), "Yes");
  system.reg.SaveStringValue(HkeyCurrentUser, "Control Panel\\Sound", "Beep", "no");
  Choose(NodeOf("Misc. tweaks"));
  EXPECT_EQ(Box("PCSound").Value(), 0);  // left as it was
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, "Control Panel\\Sound", "Beep"), "no");
  tk.Click(main, "PCSound");
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, "Control Panel\\Sound", "Beep"), "No");
}

TEST_F(CatalogueTest, OutlookExpressTitleAndInstallFolder) {
  const char* oe = "Software\\Microsoft\\Outlook Express";
  Choose(NodeOf("Misc. tweaks"));
  EXPECT_EQ(Box("ExpressTitle").Value(), 0);
  EXPECT_FALSE(main.Get("Text11").Enabled());
  tk.Click(main, "ExpressTitle");
  EXPECT_TRUE(main.Get("Text11").Enabled());
  EXPECT_TRUE(main.Get("Label13").Enabled());
  tk.Type(main, "Text11", "Mail");
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, oe, "WindowTitle"), "Mail");
  EXPECT_EQ(String(HkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup",
                   "SourcePath"), "");  // empty is written too
  EXPECT_EQ(Dword(oe, "NoSplash"), 0);
  Choose(NodeOf("Misc. tweaks"));
  EXPECT_EQ(Text("Text11").Text(), "Mail");
  tk.Click(main, "ExpressTitle");
  EXPECT_FALSE(main.Get("Text11").Enabled());
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, oe, "WindowTitle"), "<none>");
}

TEST_F(CatalogueTest, SpecialFoldersMapTheirNamesAndChangeOnlyOneValueAfterYes) {
  system.reg.SaveStringValue(HkeyCurrentUser, kShellFolders, "Desktop", "c:\\desk");
  system.reg.SaveStringValue(HkeyCurrentUser, kShellFolders, "Cache", "c:\\cache");
  Choose(NodeOf("Misc. tweaks"));
  EXPECT_EQ(main.Get<forms::DropDownList>("Combo2").Text(), "Desktop");
  EXPECT_EQ(Text("Text10").Text(), "c:\\desk");
  tk.Choose(main, "Combo2", std::string("Temporary Internet files"));
  EXPECT_EQ(Text("Text10").Text(), "c:\\cache");
  tk.Choose(main, "Combo2", std::string("Send To"));
  EXPECT_EQ(Text("Text10").Text(), "");
  tk.Type(main, "Text10", "d:\\send");
  const Snapshot before = Values(HkeyCurrentUser, kShellFolders);
  tk.AnswerNextBox(forms::IdNo,
                   "Do you want to change the path of Send To folder?\nThis may affect your system.");
  tk.Click(main, "Change_folder");
  EXPECT_EQ(Values(HkeyCurrentUser, kShellFolders), before);
  EXPECT_EQ(Text("Text10").Text(), "d:\\send");
  tk.AnswerNextBox(forms::IdYes);
  tk.Click(main, "Change_folder");
  auto after = Values(HkeyCurrentUser, kShellFolders);
  EXPECT_EQ(String(HkeyCurrentUser, kShellFolders, "SendTo"), "d:\\send");
  after.erase("SendTo");
  EXPECT_EQ(after, before);
  EXPECT_EQ(tk.Boxes().back().title, "Confirmation");
  EXPECT_EQ(tk.Boxes().back().flags, forms::mb::YesNo | forms::mb::IconExclamation);
  EXPECT_EQ(SpecialFolderValue("Start Menu"), "Start Menu");
  EXPECT_EQ(SpecialFolderValue("Nowhere"), "");
}

// ---- More Explorer tweaks ----

TEST_F(CatalogueTest, HighColourIconsFollowTheStoredDepth) {
  const char* metrics = "Control Panel\\Desktop\\WindowMetrics";
  system.reg.SaveStringValue(HkeyCurrentUser, metrics, "Shell Icon BPP", "24");
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("Hicolor").Value(), 1);
  EXPECT_EQ(main.Get<forms::DropDownList>("Card").Text(), "24-Bit Card");
  tk.Choose(main, "Card", 0);
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, metrics, "Shell Icon BPP"), "16");
  tk.Click(main, "Hicolor");
  ApplyPanel();
  EXPECT_EQ(String(HkeyCurrentUser, metrics, "Shell Icon BPP"), "<none>");
}

TEST_F(CatalogueTest, ShellVerbsAreWrittenWholeAndRemovedWithTheirSubkeys) {
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("NotPad1").Value(), 0);
  tk.Click(main, "NotPad1");
  tk.Click(main, "CommandPrompt");
  tk.Click(main, "QuickView");
  ApplyPanel();
  EXPECT_EQ(String(HkeyClassesRoot, "*\\shell\\open", ""), "&Open with Notepad");
  EXPECT_EQ(String(HkeyClassesRoot, "*\\shell\\open\\command", ""), "notepad.exe %1");
  EXPECT_EQ(String(HkeyClassesRoot, "Directory\\shell\\CommandPrompt", ""), "MS-&DOS Prompt here");
  EXPECT_EQ(String(HkeyClassesRoot, "Directory\\shell\\CommandPrompt\\command", ""),
            "command.com /k cd %1");
  EXPECT_EQ(String(HkeyClassesRoot, "*\\shell\\QuickView", ""), "&Quick View");
  EXPECT_EQ(String(HkeyClassesRoot, "*\\shell\\QuickView\\command", ""),
            "C:\\WINDOWS\\SYSTEM\\viewers\\quikview.exe %1");
  // The next load of any category shows the verbs that are there.
  Choose(NodeOf("Start Menu"));
  EXPECT_EQ(Box("NotPad1").Value(), 1);
  EXPECT_EQ(Box("CommandPrompt").Value(), 1);
  Choose(NodeOf("More Explorer tweaks"));
  tk.Click(main, "NotPad1");
  tk.Click(main, "CommandPrompt");
  ApplyPanel();
  EXPECT_TRUE(system.reg.GetAllKeys(HkeyClassesRoot, "*\\shell").size() == 1);  // QuickView
  EXPECT_TRUE(system.reg.GetAllKeys(HkeyClassesRoot, "Directory\\shell").empty());
}

TEST_F(CatalogueTest, AnOpenVerbOfAnotherProgramIsRemovedOnlyWhenTheUserAsks) {
  // An open verb without a command (another program's) is no verb the box shows.
  system.reg.SaveStringValue(HkeyClassesRoot, "*\\shell\\open", "", "&Open with Viewer");
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("NotPad1").Value(), 0);
  ApplyPanel();
  EXPECT_EQ(String(HkeyClassesRoot, "*\\shell\\open", ""), "&Open with Viewer");
  // Complete and ticked, then cleared by the user: the whole key goes.
  system.reg.SaveStringValue(HkeyClassesRoot, "*\\shell\\open\\command", "", "viewer.exe %1");
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("NotPad1").Value(), 1);
  tk.Click(main, "NotPad1");
  ApplyPanel();
  EXPECT_EQ(String(HkeyClassesRoot, "*\\shell\\open", "", "NoKey"), "NoKey");
}

TEST_F(CatalogueTest, QuickViewShowsTickedOnlyWhenInstalledAndALoadNeverClearsIt) {
  system.reg.CreateKey(HkeyClassesRoot, "*\\QuickView");
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("QuickView").Value(), 1);
  system.reg.DeleteKey(HkeyClassesRoot, "*\\QuickView");
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("QuickView").Value(), 1);
}

TEST_F(CatalogueTest, BitmapThumbnailsSaveAndRestoreTheIcon) {
  system.reg.SaveStringValue(HkeyClassesRoot, ".bmp", "", "Paint.Picture");
  system.reg.SaveStringValue(HkeyClassesRoot, "Paint.Picture\\DefaultIcon", "", "pbrush.exe,1");
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("BmpTh").Value(), 0);
  ApplyPanel();  // unchanged box: the icon is not touched
  EXPECT_EQ(String(HkeyClassesRoot, "Paint.Picture\\DefaultIcon", ""), "pbrush.exe,1");
  tk.Click(main, "BmpTh");
  ApplyPanel();
  EXPECT_EQ(String(HkeyClassesRoot, "Paint.Picture\\DefaultIcon", ""), "%1");
  EXPECT_EQ(system.store.Read(settings::BmpIcon), "pbrush.exe,1");
  ApplyPanel();  // again without a reload: the saved icon stays
  EXPECT_EQ(system.store.Read(settings::BmpIcon), "pbrush.exe,1");
  Choose(NodeOf("More Explorer tweaks"));
  EXPECT_EQ(Box("BmpTh").Value(), 1);
  tk.Click(main, "BmpTh");
  ApplyPanel();
  EXPECT_EQ(String(HkeyClassesRoot, "Paint.Picture\\DefaultIcon", ""), "pbrush.exe,1");
}

TEST_F(CatalogueTest, ThumbnailsWithoutABitmapClassWriteNothing) {
  Choose(NodeOf("More Explorer tweaks"));
  tk.Click(main, "BmpTh");
  ApplyPanel();
  EXPECT_EQ(String(HkeyClassesRoot, "\\DefaultIcon", "", "NoKey"), "NoKey");
  for (const auto& key : system.reg.GetAllKeys(HkeyClassesRoot, ""))
    EXPECT_NE(key, "DefaultIcon");
  EXPECT_EQ(system.store.Read(settings::BmpIcon, "<none>"), "<none>");
}

}  // namespace
}  // namespace velmaro::console
