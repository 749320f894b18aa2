// The real Velmaro.exe driven from outside as a user would, in the test's
// Wine prefix: the tree, panels, Apply with its notice, the options dialog,
// the boot file, a special folder and the quit question. Each result is
// checked where it lands: the registry, c:\msdos.sys, the settings store.
//
// With "--show <category>" (or "--show Options", "--show Help", "--show
// Spared") it only starts the console, opens that panel, dialog, help popup
// or the message of an apply that left another program's change, and leaves
// it running, for a screenshot.
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "console/save_report.h"
#include "wine/console_drive.h"

namespace {

using namespace velmaro::e2e;
using velmaro::console::Categories;
using velmaro::console::CategoryOfText;
using velmaro::forms::ControlKind;

std::map<std::string, std::string> AllValues(HKEY root, const char* path) {
  std::map<std::string, std::string> all;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return all;
  char name[256];
  BYTE data[2048];
  for (DWORD i = 0;; ++i) {
    DWORD n = sizeof name, d = sizeof data, t = 0;
    if (RegEnumValueA(key, i, name, &n, nullptr, &t, data, &d) != ERROR_SUCCESS) break;
    all[name] = std::string(reinterpret_cast<char*>(data), d);
  }
  RegCloseKey(key);
  return all;
}

int Show(const std::string& exe, const std::string& what) {
  Console c;
  c.keepRunning = true;
  if (!c.Start(exe)) return 1;
  Sleep(800);  // the splash closes on its first tick
  if (what == "Options") {
    c.Press("Options");
    return WaitFor([] { return VisibleWindow("VelmaroForm", "Options") != nullptr; }) ? 0 : 1;
  }
  if (what == "Help") return c.HelpFor("Tr") ? 0 : 1;  // the tree's topic pops up
  if (what == "Spared") {
    // Start Menu shown; then, as another program, NoRun changes; an untouched
    // Apply leaves it and says so.
    c.tree->Expand(c.tree->Root());
    if (!c.Choose("Start Menu")) return 1;
    const char* policies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
    const DWORD other = c.Checked("HideRun") ? 0 : 1;
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, policies, &key);
    RegSetValueExA(key, "NoRun", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&other), sizeof other);
    RegCloseKey(key);
    c.Press("Apply");
    AnswerBox("Information", IDOK);  // the restart notice, where it is on
    return WaitFor([] { return VisibleWindow("#32770", "Velmaro") != nullptr; }) ? 0 : 1;
  }
  if (what != "Velmaro") c.tree->Expand(c.tree->Root());
  return what == "Velmaro" || c.Choose(what) ? 0 : 1;
}

// The window opens on the tree with no category chosen, and What's This works.
void OpensOnTheTree(Console& c) {
  auto& check = c.check;
  check(WaitFor([] {
          int shown = 0;
          for (HWND w = FindWindowA("VelmaroForm", "Velmaro"); w;
               w = FindWindowExA(nullptr, w, "VelmaroForm", "Velmaro"))
            shown += IsWindowVisible(w) ? 1 : 0;
          return shown == 1;
        }),
        "the splash closes by itself after loading");
  check(c.tree->Count() == 11 && c.tree->Text(c.tree->Root()) == "Velmaro",
        "the tree holds \"Velmaro\" and its ten categories");
  check(!IsWindowEnabled(c.Item("Apply")) && c.ApplyCaption() == "No settings",
        "Apply starts disabled with \"No settings\"");
  bool noPanelMade = true;
  for (const auto& category : Categories)
    noPanelMade = noPanelMade && !c.Item("Fram", category.frame);
  check(noPanelMade, "no panel's windows are made before its category is chosen");
  HWND help = c.HelpFor("Tr");
  check(help && TextOf(help).rfind("The categories of settings that Velmaro can change.", 0) == 0,
        "What's This on the tree shows its topic from Velmaro.hlp beside the program");
  if (help) Key(help, VK_ESCAPE);
  check(WaitFor([] { return !VisibleWindow("VelmaroHelpPopup", nullptr); }),
        "a key closes the topic");
}

// Start Menu: tick "Hide the 'Run' menu", apply, answer the notice. A
// second console shows the same panel meanwhile.
bool StartMenuAppliesBesideASecondConsole(Console& c, const std::string& exe) {
  auto& check = c.check;
  Console other;
  if (!other.Start(exe)) return false;
  Sleep(800);
  check(other.Choose("Start Menu"), "a second console shows \"Start Menu\" too");
  check(c.Choose("Start Menu") && c.Shows("Start Menu") &&
            c.ApplyCaption() == "Apply 'Start Menu' settings..." && IsWindowEnabled(c.Item("Apply")),
        "\"Start Menu\" shows its panel and offers Apply");
  check(GetNextDlgTabItem(c.main, c.Item("Tr"), FALSE) == c.Item("ShowBanner") &&
            GetNextDlgTabItem(c.main, c.Item("HideFav"), FALSE) == c.Item("Command3"),
        "Tab goes from the tree through the panel's boxes to the buttons");
  c.Press("HideRun");
  check(WaitFor([&] { return c.Checked("HideRun"); }), "HideRun ticks");
  const auto noRun = [] {
    return ReadValue(HKEY_CURRENT_USER,
                     "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoRun");
  };
  c.Press("Apply");
  std::string notice, noRunWhileNotice;
  check(AnswerBox("Information", IDOK, &notice, [&] { noRunWhileNotice = noRun(); }) &&
            notice == "Some changes will place after restarting of the computer.",
        "Apply shows the restart notice");
  check(Absent(noRunWhileNotice),
        "the restart notice comes first: NoRun is not written while it is up");
  check(WaitFor([&] { return noRun() == "1"; }), "NoRun = 1 in the registry after OK");

  // The second console, loaded before that apply, ticks "Hide 'Find'" and
  // applies: NoRun stays 1, and its message names it.
  other.Press("HideFind");
  check(WaitFor([&] { return other.Checked("HideFind"); }), "HideFind ticks in the second console");
  other.Press("Apply");
  check(AnswerBox("Information", IDOK), "the second console's Apply shows the restart notice");
  std::string spared;
  const bool told = AnswerBox("Velmaro", IDOK, &spared);
  check(told && spared == std::string(velmaro::console::SaveReport::ChangedMeanwhile) +
                              "\nHide the 'Run' menu from the Start Menu",
        "the second console names the setting it left: \"" + spared + "\"");
  check(noRun() == "1", "NoRun stays 1");
  check(ReadValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                  "NoFind") == "1",
        "the second console's box is written: NoFind = 1");
  check(other.Quit(), "the second console closes");
  check(c.Choose("General") && c.Choose("Start Menu") && c.Checked("HideRun"),
        "choosing the category again shows HideRun ticked from the registry");
  // A click on the category already shown reloads it: the unapplied edit goes.
  c.Press("HideRun");
  check(WaitFor([&] { return !c.Checked("HideRun"); }), "HideRun clears (not applied)");
  HTREEITEM startMenu = c.tree->Find("Start Menu");
  check(c.tree->Selected() == startMenu && c.tree->Click(startMenu) &&
            WaitFor([&] { return c.Checked("HideRun"); }),
        "re-selecting the shown category discards unapplied changes: HideRun shows the "
        "stored tick");

  return true;
}

void OptionsOpensModally(Console& c) {
  auto& check = c.check;
  // The options dialog opens modally and Cancel closes it.
  c.Press("Options");
  HWND opt = nullptr;
  check(WaitFor([&] { return (opt = VisibleWindow("VelmaroForm", "Options")) != nullptr; }) &&
            !IsWindowEnabled(c.main),
        "Options opens the modal \"Options\" dialog");
  if (opt) {
    HWND show = GetDlgItem(opt, 1000), confirm = GetDlgItem(opt, 1001);
    check(SendMessageA(show, BM_GETCHECK, 0, 0) == BST_CHECKED &&
              SendMessageA(confirm, BM_GETCHECK, 0, 0) == BST_CHECKED,
          "both options start ticked");
    PostMessageA(GetDlgItem(opt, 1003), BM_CLICK, 0, 0);
    check(WaitFor([&] { return !VisibleWindow("VelmaroForm", "Options") && IsWindowEnabled(c.main); }),
          "Cancel closes it");
  }

}

void ExplorerBrowsesForABitmap(Console& c) {
  auto& check = c.check;
  // Explorer: the bitmap browser is the system's file-open dialog, whose
  // library the console loads only now.
  const char* bitmap = "c:\\velmaro-toolbar.bmp";
  PutFileBytes(bitmap, "");
  check(c.Choose("Explorer"), "\"Explorer\" shows its panel");
  c.Press("Command1");
  HWND open = nullptr;
  check(WaitFor([&] {
          open = VisibleWindow("#32770", "Select bitmap for the toolbar of I.E.");
          return open != nullptr;
        }),
        "the bitmap button opens the file dialog");
  if (open) {
    SendMessageA(GetDlgItem(open, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bitmap));
    PostMessageA(GetDlgItem(open, IDOK), BM_CLICK, 0, 0);
  }
  check(WaitFor([&] { return TextOf(c.Item("Text2")) == bitmap; }),
        "the file chosen there fills the bitmap box");
  DeleteFileA(bitmap);

}

void WindowsWritesTheBootFile(Console& c, const std::string& boot) {
  auto& check = c.check;
  // Windows: the boot options go to c:\msdos.sys, the rest to the registry.
  HKEY desktop = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_SET_VALUE, &desktop) ==
      ERROR_SUCCESS) {
    RegDeleteValueA(desktop, "MenuShowDelay");
    RegCloseKey(desktop);
  }
  const auto menuDelay = [] {
    return ReadValue(HKEY_CURRENT_USER, "Control Panel\\Desktop", "MenuShowDelay");
  };
  check(Absent(menuDelay()), "MenuShowDelay is absent before the Windows panel is shown");
  check(c.Choose("Windows") && c.Shows("Windows"), "\"Windows\" shows its panel");
  check(menuDelay() == "400", "showing the panel creates MenuShowDelay as \"400\"");
  // No choices stored yet: the boxes show the file's own AutoScan=1 and Logo=1.
  check(c.Checked("AutoScan") && !c.Checked("DisSpl"),
        "with no choice stored, the boot boxes show what c:\\msdos.sys holds");
  c.Press("AutoScan");
  c.Press("DisSpl");
  Key(c.Item("DelaySl"), VK_RIGHT);
  Key(c.Item("DelaySl"), VK_RIGHT);
  check(WaitFor([&] { return TextOf(c.Item("Label5")) == "Boot delay time(in seconds) : 4"; }),
        "moving the boot delay slider updates its label");
  c.Press("Apply");
  const char* settings = "Software\\Velmaro\\Settings";
  std::string bootWhileNotice, storedWhileNotice;
  check(AnswerBox("Information", IDOK, nullptr,
                  [&] {
                    bootWhileNotice = FileBytes("c:\\msdos.sys", "<missing>");
                    storedWhileNotice = ReadValue(HKEY_CURRENT_USER, settings, "Auto Scan");
                  }),
        "Apply shows the restart notice");
  check(bootWhileNotice == boot && Absent(storedWhileNotice),
        "the restart notice comes first: the boot file and the store are untouched while it is up");
  const std::string expected =
      "[Paths]\r\nWinDir=C:\\WINDOWS\r\n[Options]\r\nAutoScan=0\r\nBootDelay=4\r\nLogo=0\r\n;end\r\n";
  check(WaitFor([&] { return FileBytes("c:\\msdos.sys", "<missing>") == expected; }),
        "c:\\msdos.sys holds the new AutoScan, BootDelay and Logo lines, the rest unchanged");
  const DWORD attributes = GetFileAttributesA("c:\\msdos.sys");
  check(attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) ==
                (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
        "the boot file keeps its hidden and system attributes");
  // Stored after the file, each value's earlier state recorded for Undo first.
  check(WaitFor([&] {
          return ReadValue(HKEY_CURRENT_USER, settings, "Auto Scan") == "0" &&
                 ReadValue(HKEY_CURRENT_USER, settings, "DisSplach") == "0" &&
                 ReadValue(HKEY_CURRENT_USER, settings, "Boot Delay") == "4";
        }),
        "the three boot choices are stored");

}

void MiscChangesOneSpecialFolder(Console& c, const char* folders,
                                  const std::map<std::string, std::string>& foldersBefore) {
  auto& check = c.check;
  // Misc. tweaks: change one special folder's path, nothing else.
  check(c.Choose("Misc. tweaks"), "\"Misc. tweaks\" shows its panel");
  Key(c.Item("Combo2"), VK_DOWN);
  check(WaitFor([&] { return TextOf(c.Item("Combo2")) == "Start Menu"; }), "choose \"Start Menu\"");
  SendMessageA(c.Item("Text10"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\Velmaro Start"));
  c.Press("Change_folder");
  std::string question;
  check(AnswerBox("Confirmation", IDYES, &question) &&
            question == "Do you want to change the path of Start Menu folder?\nThis may affect your system.",
        "the two-line question is asked");
  auto foldersAfter = AllValues(HKEY_CURRENT_USER, folders);
  check(ReadValue(HKEY_CURRENT_USER, folders, "Start Menu") == "C:\\Velmaro Start",
        "\"Start Menu\" holds the new path");
  foldersAfter.erase("Start Menu");
  auto others = foldersBefore;
  others.erase("Start Menu");
  check(foldersAfter == others, "no other special folder changed");

}

void CollapsingTheTreeChoosesNoCategory(Console& c) {
  auto& check = c.check;
  // Collapsing the tree leaves no category chosen.
  HTREEITEM chosen = c.tree->Selected();
  c.tree->ClickRootButton(c.tree->Root());
  check(WaitFor([&] {
          return c.ApplyCaption() == "No settings" && !IsWindowEnabled(c.Item("Apply")) &&
                 !c.Shows("Misc. tweaks");
        }),
        "collapsing the tree hides the panel and disables Apply");
  // The tree control moves its caret to a node that collapses above it and
  // tells nobody (Wine's tree does it without a notification that could be
  // refused), so the real tree cannot keep a hidden category selected: the
  // selection is the collapsed root, exactly, and a click brings the
  // category back.
  check(chosen != c.tree->Root() && c.tree->Selected() == c.tree->Root(),
        "the collapsed root holds the tree's selection");
  c.tree->ClickRootButton(c.tree->Root());
  check(WaitFor([&] { return c.tree->Expanded(c.tree->Root()); }) &&
            c.tree->Selected() == c.tree->Root() && !c.Shows("Misc. tweaks"),
        "expanded again, the tree shows the root selected and no panel");
  c.tree->Click(chosen);
  check(WaitFor([&] {
          return c.tree->Selected() == chosen && c.Shows("Misc. tweaks") &&
                 IsWindowEnabled(c.Item("Apply"));
        }),
        "a click on the category chosen before shows its panel again");

}

// The ids of the main window's children in window order, frames and
// pictures left out: the order Tab follows. Empty when a child is not one of
// the design's.
std::vector<int> TabOrder(HWND main) {
  std::vector<int> ids;
  for (HWND w = GetWindow(main, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(w);
    if (id < 1000 || id - 1000 >= static_cast<int>(kSpec.controls.size())) return {};
    const auto& spec = kSpec.controls[static_cast<std::size_t>(id - 1000)];
    if (spec.kind != ControlKind::Frame && spec.kind != ControlKind::Picture)
      ids.push_back(id);
  }
  return ids;
}

// A panel's windows are made when its category is first chosen, in their
// place in the Tab order however late that is, and kept afterwards.
void PanelsAreMadeInTabOrderAndKept(Console& c) {
  auto& check = c.check;
  const auto* icons = CategoryOfText("Change Icons");
  check(icons && !c.Item("Fram", icons->frame),
        "the panel of Change Icons, not chosen yet, is not made");
  if (!icons || !c.Choose("Change Icons") || !WaitFor([&] { return c.Shows("Change Icons"); })) {
    check(false, "Change Icons shows when chosen");
    return;
  }
  HWND frame = c.Item("Fram", icons->frame);
  const std::vector<int> order = TabOrder(c.main);
  check(std::is_sorted(order.begin(), order.end()) && order.size() > 9,
        "the windows of six panels made one by one follow the design's Tab order");
  check(c.Choose("Windows") && WaitFor([&] { return c.Shows("Windows"); }) &&
            c.Item("Fram", icons->frame) == frame && !IsWindowVisible(frame),
        "another category hides the panel of Change Icons and keeps its windows");
}

void CloseAsksBeforeEnding(Console& c) {
  auto& check = c.check;
  // Close asks; No keeps the console, Yes ends it.
  c.Press("Close");
  std::string quit;
  check(AnswerBox("Confirmation", IDNO, &quit) && quit == "Do you really want to quit Velmaro",
        "Close asks \"Do you really want to quit Velmaro\"");
  Sleep(300);
  check(WaitForSingleObject(c.pi.hProcess, 0) == WAIT_TIMEOUT && IsWindowVisible(c.main),
        "answering No keeps it running");
  PostMessageA(c.main, WM_CLOSE, 0, 0);
  check(AnswerBox("Confirmation", IDNO), "the close box asks too");
  PostMessageA(c.main, WM_SYSKEYDOWN, VK_F4, 0x20000001);  // Alt held
  PostMessageA(c.main, WM_SYSKEYUP, VK_F4, 0xE0000001);
  check(AnswerBox("Confirmation", IDNO), "Alt+F4 asks too");
  PostMessageA(c.main, WM_QUERYENDSESSION, 0, 0);
  check(AnswerBox("Confirmation", IDNO), "Windows ending the session asks too");
  Sleep(300);
  check(WaitForSingleObject(c.pi.hProcess, 0) == WAIT_TIMEOUT && IsWindowVisible(c.main),
        "... and No keeps it running each time");
  c.Press("Close");
  check(AnswerBox("Confirmation", IDYES), "asked again");
  DWORD code = 1;
  const bool ended = WaitForSingleObject(c.pi.hProcess, 5000) == WAIT_OBJECT_0;
  if (ended) GetExitCodeProcess(c.pi.hProcess, &code);
  check(ended && code == 0, "answering Yes ends the console");
  if (!ended) TerminateProcess(c.pi.hProcess, 1);
}

int Run(const std::string& exe) {
  // A known starting point: no options stored, a boot file with all three
  // keys among other lines, hidden and system as on a real machine.
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmaro");
  HKEY policies = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                &policies);
  RegDeleteValueA(policies, "NoRun");
  RegDeleteValueA(policies, "NoFind");
  RegCloseKey(policies);
  SetFileAttributesA("c:\\msdos.sys", FILE_ATTRIBUTE_NORMAL);
  const char* boot = "[Paths]\r\nWinDir=C:\\WINDOWS\r\n[Options]\r\nAutoScan=1\r\nBootDelay=2\r\nLogo=1\r\n;end\r\n";
  PutFileBytes("c:\\msdos.sys", boot);
  SetFileAttributesA("c:\\msdos.sys", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  const char* folders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  const auto foldersBefore = AllValues(HKEY_CURRENT_USER, folders);

  Console c;
  auto& check = c.check;
  if (!c.Start(exe)) return 1;
  OpensOnTheTree(c);
  if (!StartMenuAppliesBesideASecondConsole(c, exe)) return 1;
  OptionsOpensModally(c);
  ExplorerBrowsesForABitmap(c);
  WindowsWritesTheBootFile(c, boot);
  MiscChangesOneSpecialFolder(c, folders, foldersBefore);
  CollapsingTheTreeChoosesNoCategory(c);
  PanelsAreMadeInTabOrderAndKept(c);
  CloseAsksBeforeEnding(c);
  std::printf("%d failure(s)\n", check.failures);
  return check.failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  SeeRealPixels();
  // argv[1]: the build tree; Velmaro.exe is in its console folder.
  const std::string root = argc > 1 ? WinePath(argv[1]) : ".";
  const std::string exe = root + "\\console\\Velmaro.exe";
  if (argc > 3 && std::string(argv[2]) == "--show") return Show(exe, argv[3]);
  return Run(exe);
}
