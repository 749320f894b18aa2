// The console's three editors driven from outside through their real
// windows and dialogs, the file dialog included: a start-up program added,
// edited in place and removed; an Add/Remove entry created, changed and
// removed, with the system's own list of installed programs as the witness;
// a shell icon changed through our icon picker (Wine's own is a stub),
// blanked and restored. Each result is checked in the registry.
//
// With "--show <category>" (or "--show EditNewIt", "--show IconPicker") it
// only puts a few sample entries in place, opens that panel or dialog and
// leaves the console running, for a screenshot.
#include <cstring>
#include <optional>
#include <vector>

#include "console/edit_new_it.h"
#include "console/icon_picker.h"
#include "console/save_report.h"
#include "wine/console_drive.h"

namespace {

using namespace velmaro::e2e;

constexpr const char* kRun = "software\\microsoft\\windows\\currentversion\\run";
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kShellIcons =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\shell icons";
constexpr const char* kMetrics = "Control Panel\\Desktop\\WindowMetrics";
constexpr const char* kProgramFolder = "c:\\velmaro e2e";
constexpr const char* kProgram = "c:\\velmaro e2e\\run me.exe";

const velmaro::forms::FormSpec kDialog = velmaro::console::EditNewIt::Design();
const velmaro::forms::FormSpec kPicker = velmaro::console::IconPicker::Design();

void SetValue(HKEY root, const std::string& path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  RegCreateKeyA(root, path.c_str(), &key);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

void DeleteValue(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

std::string Entry(const std::string& key) { return std::string(kUninstall) + "\\" + key; }

// What the system's own list of installed programs lists: "key|||name" lines.
std::string InstalledPrograms() { return OutputOf("uninstaller.exe --list"); }

bool Lists(const std::string& programs, const std::string& key, const std::string& name) {
  return programs.find(key + "|||" + name) != std::string::npos;
}

// Not listed by a list that was really made (a program that did not start
// lists nothing, which proves nothing).
bool Unlisted(const std::string& programs, const std::string& key, const std::string& name) {
  return programs != kNotStarted && !Lists(programs, key, name);
}

// Selects a list item with a click, as a user does; false when it is not there.
bool ClickItem(RemoteTree& list, const std::string& text) {
  HTREEITEM item = FindItem(list, text);
  if (!item || !list.Click(item)) return false;
  return WaitFor([&] { return list.Selected() == item; });
}

void StartUpFlow(Console& c) {
  auto& check = c.check;
  DeleteValue(HKEY_LOCAL_MACHINE, kRun, "run me.exe");
  CreateDirectoryA(kProgramFolder, nullptr);
  PutFileBytes(kProgram, "");
  const auto stored = [] { return ReadValue(HKEY_LOCAL_MACHINE, kRun, "run me.exe"); };
  check(Absent(stored()), "no \"run me.exe\" in the Run key before");

  check(c.Choose("StartUp Applications") && c.Shows("StartUp Applications"),
        "\"StartUp Applications\" shows its panel");
  check(!IsWindowEnabled(c.Item("EditRun")) && !IsWindowEnabled(c.Item("RemRun")) &&
            !IsWindowEnabled(c.Item("Apply")),
        "Edit, Remove and Apply start disabled");
  c.Press("AddRun");
  check(ChooseFile("Select an application to run on StartUp", kProgram),
        "Add opens the file dialog, where the program is chosen");
  check(WaitFor([&] { return stored() == "\"c:\\velmaro e2e\\run me.exe\""; }),
        "the Run key holds the program under its name, quoted for its blanks");
  RemoteTree list(c.Item("RunList"), c.pi.hProcess);
  check(WaitFor([&] { return FindItem(list, "\"c:\\velmaro e2e\\run me.exe\"") != nullptr; }),
        "the list shows its command line");

  // Edit in place: a click, Edit, the new text and Enter, then Yes.
  check(ClickItem(list, "\"c:\\velmaro e2e\\run me.exe\"") &&
            WaitFor([&] { return IsWindowEnabled(c.Item("EditRun")); }),
        "a click on it offers Edit and Remove");
  c.Press("EditRun");
  HWND edit = nullptr;
  check(WaitFor([&] {
          edit = reinterpret_cast<HWND>(SendMessageA(c.Item("RunList"), TVM_GETEDITCONTROL, 0, 0));
          return edit != nullptr;
        }),
        "Edit opens the command line for editing in place");
  const char* edited = "\"c:\\velmaro e2e\\run me.exe\" /tray";
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(edited));
  Key(edit, VK_RETURN);
  std::string question, whileAsked;
  check(AnswerBox("Confirmation", IDYES, &question, [&] { whileAsked = stored(); }) &&
            question == "Do you want to make changes?",
        "Enter asks \"Do you want to make changes?\"");
  check(whileAsked == "\"c:\\velmaro e2e\\run me.exe\"", "nothing is written while it asks");
  check(WaitFor([&] { return stored() == edited; }), "Yes writes the edited command line");
  check(WaitFor([&] { return FindItem(list, edited) != nullptr; }), "the list shows it");

  c.Press("RemRun");  // still offered, with nothing selected: nothing happens
  // The console takes the click on the entry after Remove's: a question
  // Remove asked, however late, is on screen by the time the entry is chosen.
  check(ClickItem(list, edited), "the edited entry is chosen");
  check(!VisibleWindow("#32770", "Confirmation"), "Remove with nothing selected asks nothing");
  c.Press("RemRun");
  check(AnswerBox("Confirmation", IDYES, &question) &&
            question ==
                "Do you want to remove the application from the list of startup running apps.?",
        "Remove asks its question");
  check(WaitFor([&] { return Absent(stored()); }), "Yes removes the value from the Run key");
  check(WaitFor([&] { return !FindItem(list, edited) && !IsWindowEnabled(c.Item("RemRun")); }),
        "the list no longer shows it and Remove is disabled");
  DeleteFileA(kProgram);
  RemoveDirectoryA(kProgramFolder);
}

void AddRemoveFlow(Console& c) {
  auto& check = c.check;
  const std::string created = Entry("Velmaro E2E Tool");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, created.c_str());
  // An entry whose display name the ANSI code page cannot hold.
  const std::wstring wideKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelmaroE2EWide";
  const std::wstring wideName = L"Snow \u96ea Tool";
  HKEY wide = nullptr;
  RegCreateKeyW(HKEY_LOCAL_MACHINE, wideKey.c_str(), &wide);
  RegSetValueExW(wide, L"DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(wideName.c_str()),
                 static_cast<DWORD>((wideName.size() + 1) * sizeof(wchar_t)));
  const std::wstring wideCommand = L"c:\\snow.exe";
  RegSetValueExW(wide, L"UninstallString", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(wideCommand.c_str()),
                 static_cast<DWORD>((wideCommand.size() + 1) * sizeof(wchar_t)));
  check(Unlisted(InstalledPrograms(), "Velmaro E2E Tool", "Velmaro E2E Tool"),
        "the system lists no \"Velmaro E2E Tool\" before");

  check(c.Choose("Add/Remove") && c.Shows("Add/Remove"), "\"Add/Remove\" shows its panel");
  RemoteTree list(c.Item("List1"), c.pi.hProcess);
  c.Press("AddIt");
  HWND dialog = c.Dialog("Create new add/remove item");
  check(dialog && !IsWindowEnabled(c.main) &&
            TextOf(GetDlgItem(dialog, IdIn(kDialog, "OK"))) == "Create New",
        "Add opens the modal \"Create new add/remove item\" with \"Create New\"");
  SendMessageA(GetDlgItem(dialog, IdIn(kDialog, "Text1")), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>("Velmaro E2E Tool"));
  SendMessageA(GetDlgItem(dialog, IdIn(kDialog, "Text2")), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>("c:\\velmaro e2e\\uninstall.exe /x"));
  PostMessageA(GetDlgItem(dialog, IdIn(kDialog, "OK")), BM_CLICK, 0, 0);
  check(WaitFor([&] { return !VisibleWindow("VelmaroForm", "Create new add/remove item"); }),
        "Create New closes the dialog");
  check(ReadValue(HKEY_LOCAL_MACHINE, created.c_str(), "DisplayName") == "Velmaro E2E Tool" &&
            ReadValue(HKEY_LOCAL_MACHINE, created.c_str(), "UninstallString") ==
                "c:\\velmaro e2e\\uninstall.exe /x",
        "the entry's key holds both values");
  check(Lists(InstalledPrograms(), "Velmaro E2E Tool", "Velmaro E2E Tool"),
        "the system's list of installed programs lists it");
  check(WaitFor([&] { return FindItem(list, "Velmaro E2E Tool") != nullptr; }), "so does the panel");

  // Change its display name: the key keeps its name.
  check(ClickItem(list, "Velmaro E2E Tool") &&
            WaitFor([&] { return IsWindowEnabled(c.Item("EditIt")); }),
        "a click on the entry offers Edit and Remove");
  c.Press("EditIt");
  dialog = c.Dialog("Edit existing add/remove item");
  check(dialog && TextOf(GetDlgItem(dialog, IdIn(kDialog, "Text1"))) == "Velmaro E2E Tool" &&
            TextOf(GetDlgItem(dialog, IdIn(kDialog, "OK"))) == "Make change...",
        "Edit opens \"Edit existing add/remove item\" filled with the entry");
  SendMessageA(GetDlgItem(dialog, IdIn(kDialog, "Text1")), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>("Velmaro E2E Renamed"));
  PostMessageA(GetDlgItem(dialog, IdIn(kDialog, "OK")), BM_CLICK, 0, 0);
  std::string question;
  check(AnswerBox("Confirmation", IDYES, &question) &&
            question == "Do you really want to save the changes made to the uninstall item?",
        "Make change... asks before saving");
  check(WaitFor([&] {
          return ReadValue(HKEY_LOCAL_MACHINE, created.c_str(), "DisplayName") ==
                 "Velmaro E2E Renamed";
        }),
        "the new name is stored under the same key");
  check(Lists(InstalledPrograms(), "Velmaro E2E Tool", "Velmaro E2E Renamed"),
        "the system's list shows the new name");
  check(WaitFor([&] {
          HTREEITEM item = FindItem(list, "Velmaro E2E Renamed");
          return item && list.Selected() == item;
        }),
        "the panel shows it chosen again");

  // The entry the code page cannot name: only its command is changed, and
  // the name Windows holds stays as it was.
  const std::string shownWide = "Snow ? Tool";
  check(ClickItem(list, shownWide), "the entry with a name the code page lacks is chosen");
  c.Press("EditIt");
  dialog = c.Dialog("Edit existing add/remove item");
  SendMessageA(GetDlgItem(dialog, IdIn(kDialog, "Text2")), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>("c:\\snow.exe /quiet"));
  PostMessageA(GetDlgItem(dialog, IdIn(kDialog, "OK")), BM_CLICK, 0, 0);
  check(AnswerBox("Confirmation", IDYES), "asked again");
  wchar_t name[64] = {};
  DWORD size = sizeof name;
  check(WaitFor([] {
          return ReadValue(HKEY_LOCAL_MACHINE, Entry("VelmaroE2EWide").c_str(),
                           "UninstallString") == "c:\\snow.exe /quiet";
        }) &&
            RegQueryValueExW(wide, L"DisplayName", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS &&
            name == wideName,
        "its command changed and its name is still the one the code page lacks");
  RegCloseKey(wide);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, wideKey.c_str());

  check(ClickItem(list, "Velmaro E2E Renamed"), "the renamed entry is chosen");
  c.Press("RemIt");
  check(AnswerBox("Confirmation", IDYES, &question) &&
            question == "Are you sure you want to remove the add/remove item?",
        "Remove asks its question");
  check(WaitFor([&] { return Absent(ReadValue(HKEY_LOCAL_MACHINE, created.c_str(), "DisplayName")); }),
        "Yes deletes the entry's key");
  check(Unlisted(InstalledPrograms(), "Velmaro E2E Tool", "Velmaro E2E Renamed"),
        "the system's list no longer lists it");
}

// A value as a program using the wide functions reads it: the witness that
// the console acted on exactly the name it showed. Nothing: no such value.
std::optional<std::wstring> WideValue(const std::wstring& path, const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  wchar_t data[512] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  const LONG rc = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? std::optional<std::wstring>(data) : std::nullopt;
}

void PutWide(const std::wstring& path, const wchar_t* name, const std::wstring& text) {
  HKEY key = nullptr;
  RegCreateKeyW(HKEY_LOCAL_MACHINE, path.c_str(), &key);
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

// After a change to an entry named outside the code page: made, or (while the
// undo history cannot keep such names) not made and said in a box, which is
// answered. False when neither happened within the wait.
bool MadeOrTold(const std::function<bool()>& made, bool& told) {
  told = false;
  if (!WaitFor([&] { return made() || VisibleWindow("#32770", "Velmaro"); })) return false;
  if (made()) return true;
  std::string text;
  told = AnswerBox("Velmaro", IDOK, &text) &&
         text.rfind(velmaro::console::SaveReport::NotRecorded, 0) == 0;
  return told;
}

// "Запуск" beside "??????", which is how the ANSI functions show it and the
// literal name of another program's entry, in the Run key and as Uninstall
// keys: Edit and Remove act on exactly the entry shown, or are refused and
// said; the look-alike is never touched. The wide functions are the witness.
void ExactNamesFlow(Console& c) {
  auto& check = c.check;
  const std::wstring run = L"software\\microsoft\\windows\\currentversion\\run";
  const std::wstring uninstall = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  const wchar_t* wide = L"\u0417\u0430\u043f\u0443\u0441\u043a";
  const wchar_t* twin = L"??????";
  PutWide(run, wide, L"c:\\velmaro e2e\\wide.exe");
  PutWide(run, twin, L"c:\\velmaro e2e\\twin.exe");
  PutWide(uninstall + wide, L"DisplayName", L"Velmaro E2E Wide");
  PutWide(uninstall + wide, L"UninstallString", L"wide.exe");
  PutWide(uninstall + twin, L"DisplayName", L"Velmaro E2E Twin");
  PutWide(uninstall + twin, L"UninstallString", L"twin.exe");
  const auto twinsKept = [&] {
    return WideValue(run, twin) == L"c:\\velmaro e2e\\twin.exe" &&
           WideValue(uninstall + twin, L"UninstallString") == L"twin.exe";
  };

  check(c.Choose("StartUp Applications"), "the start-up programs are listed again");
  RemoteTree runList(c.Item("RunList"), c.pi.hProcess);
  bool told = false;
  check(ClickItem(runList, "c:\\velmaro e2e\\wide.exe"), "the entry named \"Zapusk\" is chosen");
  c.Press("EditRun");
  HWND edit = nullptr;
  WaitFor([&] {
    edit = reinterpret_cast<HWND>(SendMessageA(c.Item("RunList"), TVM_GETEDITCONTROL, 0, 0));
    return edit != nullptr;
  });
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("c:\\velmaro e2e\\edited.exe"));
  Key(edit, VK_RETURN);
  check(AnswerBox("Confirmation", IDYES), "Edit asks");
  check(MadeOrTold([&] { return WideValue(run, wide) == L"c:\\velmaro e2e\\edited.exe"; }, told),
        "Edit changes exactly that value, or says why it cannot");
  check(!told || WideValue(run, wide) == L"c:\\velmaro e2e\\wide.exe", "refused: it is unchanged");
  check(twinsKept() && !WideValue(run, L"c:\\velmaro e2e\\edited.exe"),
        "the look-alike is untouched and no new value is made");
  const char* shown = told ? "c:\\velmaro e2e\\wide.exe" : "c:\\velmaro e2e\\edited.exe";
  check(WaitFor([&] { return FindItem(runList, shown) != nullptr; }) && ClickItem(runList, shown),
        "it is chosen again");
  c.Press("RemRun");
  check(AnswerBox("Confirmation", IDYES), "Remove asks");
  check(MadeOrTold([&] { return !WideValue(run, wide); }, told),
        "Remove deletes exactly that value, or says why it cannot");
  check(!told || WideValue(run, wide).has_value(), "refused: it is still there");
  check(twinsKept(), "the look-alike of another program is untouched");

  check(c.Choose("Add/Remove"), "the Add/Remove entries are listed again");
  RemoteTree list(c.Item("List1"), c.pi.hProcess);
  check(ClickItem(list, "Velmaro E2E Wide"), "the entry whose key is \"Zapusk\" is chosen");
  c.Press("RemIt");
  check(AnswerBox("Confirmation", IDYES), "Remove asks");
  check(MadeOrTold([&] { return !WideValue(uninstall + wide, L"DisplayName"); }, told),
        "Remove deletes exactly that key, or says why it cannot");
  check(!told || WideValue(uninstall + wide, L"DisplayName").has_value(),
        "refused: it is still there");
  check(twinsKept() && WideValue(uninstall + twin, L"DisplayName") == L"Velmaro E2E Twin",
        "the look-alike key of another program is untouched");
  // The undo history keeps such names: nothing may be refused for them.
  check(!told, "entries named outside the code page are changed, not refused");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (uninstall + wide).c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (uninstall + twin).c_str());
  HKEY runKey = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, run.c_str(), 0, KEY_SET_VALUE, &runKey) == ERROR_SUCCESS) {
    RegDeleteValueW(runKey, wide);
    RegDeleteValueW(runKey, twin);
    RegCloseKey(runKey);
  }
}

void IconsFlow(Console& c, const std::string& root) {
  auto& check = c.check;
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmaro");  // no DllPath: not installed
  DeleteValue(HKEY_LOCAL_MACHINE, kShellIcons, "29");
  SetValue(HKEY_CURRENT_USER, kMetrics, "shell icon size", "30");
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  const std::string shell32 = std::string(folder) + "\\shell32.dll";
  const std::string library = root + "\\console\\Velmaro.dll";
  const auto shortcut = [] { return ReadValue(HKEY_LOCAL_MACHINE, kShellIcons, "29"); };

  check(c.Choose("Change Icons") && c.Shows("Change Icons"), "\"Change Icons\" shows its panel");
  check(TextOf(c.Item("Combo1")) == "Shortcut icon" && TextOf(c.Item("Text8")) == shell32 &&
            TextOf(c.Item("Text9")) == "29",
        "the shortcut without a setting shows icon 29 of the system folder's shell32.dll");

  // Wine's picker is a stub: ours opens, at the library beside the program.
  c.Press("Command2");
  HWND picker = c.Dialog("Change Icon");
  check(picker && TextOf(GetDlgItem(picker, IdIn(kPicker, "Text1"))) == library,
        "\"...\" opens our icon picker at the icon library beside the program");
  if (picker) {
    PostMessageA(GetDlgItem(picker, IdIn(kPicker, "Browse")), BM_CLICK, 0, 0);
    check(ChooseFile("Look for icons in", shell32), "its Browse chooses a file in the file dialog");
    HWND shown = GetDlgItem(picker, IdIn(kPicker, "Shown"));
    check(WaitFor([&] { return TextOf(GetDlgItem(picker, IdIn(kPicker, "Text1"))) == shell32 &&
                               TextOf(shown).rfind("Icon 1 of ", 0) == 0; }),
          "the picker shows that file's icons");
    ClickOn(GetDlgItem(picker, IdIn(kPicker, "Icon", 5)));
    check(WaitFor([&] { return TextOf(shown).rfind("Icon 6 of ", 0) == 0; }),
          "a click chooses the sixth icon");
    PostMessageA(GetDlgItem(picker, IdIn(kPicker, "OK")), BM_CLICK, 0, 0);
  }
  check(WaitFor([&] { return !VisibleWindow("VelmaroForm", "Change Icon"); }) &&
            TextOf(c.Item("Text8")) == shell32 && TextOf(c.Item("Text9")) == "5",
        "OK puts the chosen path, exactly, and the index into the panel");
  check(Absent(shortcut()), "choosing writes nothing");

  // The size goes to 31 and back to 32 after the icon is written: wait for the last.
  SetValue(HKEY_CURRENT_USER, kMetrics, "shell icon size", "30");
  c.Press("SetIcon");
  check(WaitFor([&] { return shortcut() == shell32 + ",5"; }),
        "\"Change icon of the current selection...\" writes the setting");
  check(WaitFor([&] { return ReadValue(HKEY_CURRENT_USER, kMetrics, "shell icon size") == "32"; }),
        "and leaves \"shell icon size\" at 32");
  c.Press("None");
  check(WaitFor([&] { return shortcut() == library + ",9"; }),
        "Blank writes icon 9 of the icon library beside the program");
  c.Press("Restore");
  check(WaitFor([&] { return shortcut() == shell32 + ",29"; }),
        "Original Icon writes the system folder's shell32.dll, 29");
  DeleteValue(HKEY_LOCAL_MACHINE, kShellIcons, "29");
}

// Sample entries so that the screenshots show lists as users have them.
void PutSamples() {
  SetValue(HKEY_LOCAL_MACHINE, kRun, "tray.exe",
           "\"C:\\Program Files\\Tray Tools\\tray.exe\" /min");
  SetValue(HKEY_LOCAL_MACHINE, kRun, "agent.exe", "C:\\Windows\\agent.exe");
  // Installers often store an expandable command: its row shows its name and type.
  HKEY run = nullptr;
  RegCreateKeyA(HKEY_LOCAL_MACHINE, kRun, &run);
  const char expandable[] = "%ProgramFiles%\\Updater\\updater.exe";
  RegSetValueExA(run, "Updater", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expandable),
                 sizeof expandable);
  RegCloseKey(run);
  SetValue(HKEY_LOCAL_MACHINE, Entry("TrayTools"), "DisplayName", "Tray Tools 2.1");
  SetValue(HKEY_LOCAL_MACHINE, Entry("TrayTools"), "UninstallString",
           "C:\\Program Files\\Tray Tools\\uninstall.exe");
  SetValue(HKEY_LOCAL_MACHINE, Entry("NoteKeeper"), "DisplayName", "Note Keeper");
  SetValue(HKEY_LOCAL_MACHINE, Entry("NoteKeeper"), "UninstallString", "C:\\Notes\\remove.exe");
}

int Show(const std::string& exe, const std::string& what) {
  PutSamples();
  Console c;
  c.keepRunning = true;
  if (!c.Start(exe)) return 1;
  Sleep(800);  // the splash closes on its first tick
  if (what == "EditNewIt") {
    if (!c.Choose("Add/Remove")) return 1;
    c.Press("AddIt");
    HWND dialog = c.Dialog("Create new add/remove item");
    if (!dialog) return 1;
    SendMessageA(GetDlgItem(dialog, IdIn(kDialog, "Text1")), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("Tray Tools 2.1"));
    SendMessageA(GetDlgItem(dialog, IdIn(kDialog, "Text2")), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>("C:\\Program Files\\Tray Tools\\uninstall.exe /quiet"));
    return 0;
  }
  if (what == "IconPicker") {
    if (!c.Choose("Change Icons")) return 1;
    c.Press("Command2");
    HWND picker = c.Dialog("Change Icon");
    if (!picker) return 1;
    ClickOn(GetDlgItem(picker, IdIn(kPicker, "Icon", 3)));
    return 0;
  }
  if (!c.Choose(what)) return 1;
  if (what == "StartUp Applications" || what == "Add/Remove") {
    RemoteTree list(c.Item(what == "Add/Remove" ? "List1" : "RunList"), c.pi.hProcess);
    if (HTREEITEM first = list.Root()) list.Click(first);
  }
  return 0;
}

int Run(const std::string& root) {
  Console c;
  if (!c.Start(root + "\\console\\Velmaro.exe")) return 1;
  StartUpFlow(c);
  AddRemoveFlow(c);
  ExactNamesFlow(c);
  IconsFlow(c, root);
  c.check(c.Quit(), "the console closes");
  std::printf("%d failure(s)\n", c.check.failures);
  return c.check.failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  SeeRealPixels();
  // argv[1]: the build tree; Velmaro.exe is in its console folder.
  const std::string root = argc > 1 ? WinePath(argv[1]) : ".";
  if (argc > 3 && std::string(argv[2]) == "--show")
    return Show(root + "\\console\\Velmaro.exe", argv[3]);
  return Run(root);
}
