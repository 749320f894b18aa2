// Velmaro's life cycle in the test's Wine prefix, driven from outside as a
// user would: Setup.exe from the distribution folder through its six pages
// into C:\Program Files\Velmaro, the installed console started by Finish
// and closed, then Uninstall.exe: once started directly and left with No,
// once started by the system's list of installed programs and driven through
// Yes. A second installation and removal shows that a file of the user's own
// keeps the shortcut folder. Each result is checked where it lands: the
// files, the shortcuts (read back through the ShellLink object), the
// settings, the uninstall entry and the system's own list.
//
// With "--show <page>" (1 to 6) it only walks Setup to that page and leaves
// it there, for a screenshot; "--show uninstall" installs and leaves
// Uninstall's window up; "--show codepage" leaves page 3's message about a
// folder named in letters the code page lacks.
#include <windows.h>
// After windows.h.
#include <shellapi.h>
#include <shlobj.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "console/tweaker.h"
#include "platform/ascii_case.h"
#include "platform/win32/win32_shell.h"
#include "setup/shortcut.h"
#include "setup/wizard.h"
#include "uninstall/form1.h"
#include "wine/wine_drive.h"

namespace {

using namespace velmaro::e2e;

const velmaro::forms::FormSpec kWizard = velmaro::setup::Wizard::Design();
const velmaro::forms::FormSpec kConsole = velmaro::console::Tweaker::Design();
const velmaro::forms::FormSpec kUninstall = velmaro::uninstall::Form1::Design();

constexpr const char* kFolder = "C:\\Program Files\\Velmaro";
constexpr const char* kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmaro 1.0";
constexpr const char* kSettings = "Software\\Velmaro\\Settings";
constexpr const char* kInstalled[] = {"Velmaro.exe", "Velmaro.dll", "Velmaro.hlp", "ReadMe.txt",
                                      "Uninstall.exe"};

// The whole text: TextOf stops at a kilobyte.
std::string LongTextOf(HWND h) {
  const auto n = SendMessageA(h, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  SendMessageA(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

std::string ProgramsFolder() {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

bool KeyExists(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// What `wine uninstaller --list` prints: one "key|||name" line per program.
std::string InstalledProgramsList() { return OutputOf("uninstaller.exe --list"); }

struct Process {
  PROCESS_INFORMATION pi{};
  bool keepRunning = false;
  ~Process() {
    if (!pi.hProcess) return;
    if (!keepRunning && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  bool Start(const std::string& commandLine, const std::string& folder) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = commandLine;
    if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &si, &pi))
      return true;
    std::printf("FAIL cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
    return false;
  }
  bool Ended(int ms) { return WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0; }
  DWORD ExitCode() {
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    return code;
  }
};

std::string ImageOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return "<no process>";
  char path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  QueryFullProcessImageNameA(process, 0, path, &size);
  CloseHandle(process);
  return path;
}

// The console's main window (not its splash screen).
HWND ConsoleWindow() {
  for (HWND h = FindWindowA("VelmaroForm", "Velmaro"); h; h = FindWindowExA(nullptr, h, "VelmaroForm", "Velmaro"))
    if (IsWindowVisible(h) && GetDlgItem(h, IdOf(kConsole, "Close"))) return h;
  return nullptr;
}

// Setup's window, driven by its controls' ids.
struct SetupWindow {
  Process process;
  HWND window = nullptr;
  Checker& check;
  explicit SetupWindow(Checker& c) : check(c) {}

  HWND Item(const std::string& name, int index = -1) { return GetDlgItem(window, IdOf(kWizard, name, index)); }
  std::string Text(const std::string& name, int index = -1) { return TextOf(Item(name, index)); }
  bool On(const std::string& name) { return IsWindowEnabled(Item(name)) != FALSE; }
  void Press(const std::string& name) { PostMessageA(Item(name), BM_CLICK, 0, 0); }
  void Type(const std::string& name, const std::string& text) {
    SendMessageA(Item(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  bool OnPage(int page) {
    const std::string title = "Velmaro setup - Step " + std::to_string(page);
    return WaitFor([&] { return TextOf(window) == title && IsWindowVisible(Item("Step" + std::to_string(page))); });
  }
  bool Start(const std::string& dist) {
    if (!process.Start("\"" + dist + "\\Setup.exe\"", dist)) return false;
    // The buttons are made last: once ExitSetup is there the window is complete.
    return check(WaitFor(
                     [&] {
                       window = VisibleWindow("VelmaroForm", "Velmaro setup - Step 1");
                       return window && Item("ExitSetup");
                     },
                     20000),
                 "Setup opens \"Velmaro setup - Step 1\"");
  }
  bool Next(int to) {
    Press("NextStep");
    return OnPage(to);
  }
  bool Still() {
    Sleep(300);
    return !process.Ended(0) && IsWindowVisible(window);
  }
};

std::wstring WideTextOf(HWND h) {
  wchar_t buf[1024] = {};
  SendMessageW(h, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
  return buf;
}

// A folder named in letters the code page lacks, pasted (set wide) and typed
// (wide key strokes through Setup's message loop): either way Setup sees the
// letters and says that the code page lacks them, and makes nothing.
void RefuseAFolderTheCodePageCannotHold(SetupWindow& s, Checker& check) {
  const wchar_t* kCyrillic = L"C:\\Программы";
  BOOL lacks = FALSE;
  char ansi[8];
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"П", 1, ansi, sizeof ansi, nullptr, &lacks);
  if (!lacks) {
    std::printf("skip the code page check: code page %u holds Cyrillic\n", GetACP());
    return;
  }
  const std::wstring said = L" cannot be the install folder: its name holds characters that this "
                            L"system's code page lacks (";
  const auto refused = [&](const std::wstring& folder, const std::wstring& letters, const std::string& how) {
    s.Press("NextStep");
    std::wstring text;
    const bool answered = AnswerBox("Error", IDOK, nullptr, [&] {
      const HWND box = VisibleWindow("#32770", "Error");
      for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(c, cls, sizeof cls);
        if (std::string(cls) == "Static" && !WideTextOf(c).empty()) text = WideTextOf(c);
      }
    });
    check(answered && text.rfind(folder + said + letters + L").", 0) == 0 && s.OnPage(3) &&
              GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES,
          "a folder name in Cyrillic, " + how + ", is refused: the code page lacks its letters");
  };
  RemoveDirectoryW(kCyrillic);
  RemoveDirectoryW(L"C:\\Пр");
  SendMessageW(s.Item("TextCopy"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kCyrillic));
  refused(kCyrillic, L"П р о г а м ы", "pasted");
  SendMessageW(s.Item("TextCopy"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\"));
  SendMessageW(s.Item("TextCopy"), EM_SETSEL, 3, 3);
  for (wchar_t c : std::wstring(L"Пр")) PostMessageW(s.Item("TextCopy"), WM_CHAR, c, 1);
  check(WaitFor([&] { return WideTextOf(s.Item("TextCopy")) == L"C:\\Пр"; }),
        "letters typed in Cyrillic reach the install folder box as they are");
  refused(L"C:\\Пр", L"П р", "typed");
}

// Nothing of an earlier run may be mistaken for this one's work.
void ForgetEarlierInstallations(const std::string& links) {
  RemoveTree(kFolder);
  RemoveTree(links);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmaro");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
}

// Walks from page 1 to `page`, answering the create question on page 3.
bool WalkTo(SetupWindow& s, int page) {
  for (int p = 1; p < page; ++p) {
    if (p == 3) s.Type("TextCopy", kFolder);
    if (p == 5 && !WaitFor([&] { return s.On("NextStep"); }, 10000)) return false;
    s.Press("NextStep");
    if (p == 3 && !Exists(kFolder) && !AnswerBox("Create folder", IDYES)) return false;
    if (!s.OnPage(p + 1)) return false;
  }
  return true;
}

// Installs with the default choices and ends Setup without starting anything.
bool Install(const std::string& dist, Checker& check) {
  SetupWindow s(check);
  if (!s.Start(dist) || !WalkTo(s, 6)) return false;
  PostMessageA(s.Item("Start"), BM_CLICK, 0, 0);
  if (!WaitFor([&] { return SendMessageA(s.Item("Start"), BM_GETCHECK, 0, 0) == BST_UNCHECKED; })) return false;
  s.Press("NextStep");
  return s.process.Ended(5000);
}

// Uninstall's window, driven by its controls' ids.
struct UninstallWindow {
  HWND window = nullptr;
  HWND Item(const std::string& name) { return GetDlgItem(window, IdOf(kUninstall, name)); }
  bool Find() {
    return WaitFor(
        [&] {
          window = VisibleWindow("VelmaroForm", "Uninstall - Velmaro 1.0");
          return window && Item("No");
        },
        20000);
  }
  HWND Focus() {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
  }
};

int Show(const std::string& dist, const std::string& what) {
  Checker check;
  ForgetEarlierInstallations(ProgramsFolder() + "\\Velmaro");
  if (what == "uninstall") {
    Process u;
    u.keepRunning = true;
    UninstallWindow w;
    return Install(dist, check) && u.Start("\"" + std::string(kFolder) + "\\Uninstall.exe\"", "") && w.Find()
               ? 0
               : 1;
  }
  const bool codePage = what == "codepage";  // page 3's refusal of a folder in Cyrillic
  const int page = codePage ? 3 : std::atoi(what.c_str());
  SetupWindow s(check);
  s.process.keepRunning = true;
  if (!s.Start(dist)) return 1;
  if (!WalkTo(s, page)) return 1;
  if (codePage) {
    SendMessageW(s.Item("TextCopy"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\Программы"));
    s.Press("NextStep");
    return WaitFor([] { return VisibleWindow("#32770", "Error") != nullptr; }) ? 0 : 1;
  }
  if (page == 5) WaitFor([&] { return s.On("NextStep"); }, 10000);
  return 0;
}

void CheckExitQuestion(SetupWindow& s, Checker& check, const char* how) {
  std::string text;
  check(AnswerBox("Exit setup confirmation", IDNO, &text) &&
            text == "Do you want to exit the setup without installing Velmaro 1.0 ?",
        std::string(how) + " asks \"Do you want to exit the setup ...\"");
  check(s.Still(), std::string("... and No keeps Setup (") + how + ")");
}

bool Installed(const std::string& links) {
  for (const char* name : kInstalled)
    if (!Exists(std::string(kFolder) + "\\" + name)) return false;
  return Exists(links + "\\Velmaro.lnk") && KeyExists(HKEY_LOCAL_MACHINE, kKey) &&
         KeyExists(HKEY_CURRENT_USER, kSettings);
}

// Uninstall started directly and left with No, then started as the system's
// list starts it and driven through Yes.
void RemoveWithUninstall(Checker& check, const std::string& links, bool emptyFolder) {
  const std::string uninstaller = std::string(kFolder) + "\\Uninstall.exe";
  // The console's own options are Velmaro's settings too.
  HKEY key = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, kSettings, &key);
  RegSetValueExA(key, "ShowMess", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
  RegCloseKey(key);
  {
    Process direct;
    UninstallWindow w;
    check(direct.Start("\"" + uninstaller + "\"", "") && w.Find(), "Uninstall.exe opens \"Uninstall - Velmaro 1.0\"");
    check(TextOf(w.Item("Label1")) == "Do you really want to uninstall Velmaro 1.0 ?" &&
              WaitFor([&] { return w.Focus() == w.Item("No"); }),
          "it asks, with the focus on No");
    PostMessageA(w.Item("No"), BM_CLICK, 0, 0);
    check(direct.Ended(5000) && Installed(links), "No ends it with everything in place");
  }
  const std::string command = ReadValue(HKEY_LOCAL_MACHINE, kKey, "UninstallString");
  check(command == "\"" + uninstaller + "\"", "UninstallString is the quoted uninstaller: " + command);
  Process list;
  UninstallWindow w;
  check(list.Start("uninstaller.exe --remove \"Velmaro 1.0\"", "") && w.Find(),
        "the system's list starts Uninstall through UninstallString");
  check(velmaro::platform::LowerAscii(ImageOf(w.window)) == velmaro::platform::LowerAscii(uninstaller), "it is the installed uninstaller");
  PostMessageA(w.Item("Yes"), BM_CLICK, 0, 0);
  HWND box = nullptr;
  check(WaitFor([&] { return (box = VisibleWindow("#32770", "Uninstalling complete.")) != nullptr; }, 10000),
        "Yes removes and tells \"Uninstalling complete.\"");
  check(!IsWindowVisible(w.Item("Yes")) && !IsWindowVisible(w.Item("No")), "the buttons are gone meanwhile");
  PostMessageA(w.window, WM_CLOSE, 0, 0);
  Sleep(300);
  check(IsWindow(w.window), "the close box is refused while it removes");
  std::string text;
  const bool answered = AnswerBox("Uninstalling complete.", IDOK, &text);
  check(answered && text == "Velmaro 1.0 has been uninstalled. The directory " + std::string(kFolder) +
                                " cannot be removed.",
        "the final message names the folder it leaves: " + text);
  check(list.Ended(10000), "Uninstall and the system's list end");
  bool gone = true;
  for (const char* name : kInstalled)
    if (std::string(name) != "Uninstall.exe") gone = gone && !Exists(std::string(kFolder) + "\\" + name);
  check(gone && Exists(uninstaller), "the program files are gone; Uninstall.exe and its folder stay");
  check(!Exists(links + "\\Velmaro.lnk") && !Exists(links + "\\ReadMe.txt.lnk") &&
            Exists(links) != emptyFolder,
        emptyFolder ? "the shortcuts and their folder are gone" : "the shortcuts are gone");
  check(!KeyExists(HKEY_LOCAL_MACHINE, kKey) && !KeyExists(HKEY_CURRENT_USER, "Software\\Velmaro"),
        "the uninstall entry and every setting are gone");
  const std::string programs = InstalledProgramsList();
  check(programs != kNotStarted && programs.find("Velmaro 1.0") == std::string::npos,
        "wine uninstaller --list no longer lists \"Velmaro 1.0\"");
}

// ---- Faults an installer is trusted with ----

// Ends a console started by the test: closed as a user closes it, and waited for.
bool CloseConsole(HWND window, Process& console) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  return AnswerBox("Confirmation", IDYES) && console.Ended(10000);
}

bool Listed() { return InstalledProgramsList().find("Velmaro 1.0") != std::string::npos; }

std::string TempFile(const char* name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + name;
}

// With the default choices over an installation: nothing asked, the
// shortcut folder used as it is, files put right, one entry, a new log.
void Reinstall(const std::string& dist, Checker& check) {
  const std::string help = std::string(kFolder) + "\\Velmaro.hlp";
  const std::string log = std::string(kFolder) + "\\VelmaroInstall.log";
  // Setup's by the log, so replaced without a question.
  PutFileBytes(help, "spoilt");
  auto written = [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(log.c_str(), GetFileExInfoStandard, &data);
    return (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
  };
  const auto before = written();
  Sleep(50);
  check(Install(dist, check), "a reinstall with the default choices goes through");
  check(FileBytes(help) == FileBytes(dist + "\\Velmaro.003"), "the files are replaced");
  check(before != 0 && written() != before && FileBytes(log).find("\nend\n") != std::string::npos,
        "the install log is written anew");
  check(ReadValue(HKEY_LOCAL_MACHINE, kKey, "QuietUninstallString") ==
            "\"" + std::string(kFolder) + "\\Uninstall.exe\" /S",
        "the entry has QuietUninstallString");
  const std::string list = InstalledProgramsList();
  const auto first = list.find("|||Velmaro 1.0");
  check(first != std::string::npos && list.find("|||Velmaro 1.0", first + 1) == std::string::npos,
        "exactly one entry is listed");
}

// Uninstall waits for a running console: Cancel removes nothing, Retry
// after the console is closed removes everything.
void RemoveWhileTheConsoleRuns(const std::string& dist, Checker& check, const std::string& links) {
  if (!check(Install(dist, check), "installed again to remove it while the console runs")) return;
  Process console;
  HWND window = nullptr;
  console.Start("\"" + std::string(kFolder) + "\\Velmaro.exe\"", kFolder);
  check(WaitFor([&] { return (window = ConsoleWindow()) != nullptr; }, 20000), "the console runs");
  const std::string uninstaller = "\"" + std::string(kFolder) + "\\Uninstall.exe\"";
  for (const int answer : {IDCANCEL, IDRETRY}) {
    Process u;
    UninstallWindow w;
    if (!check(u.Start(uninstaller, "") && w.Find(), "Uninstall opens")) return;
    PostMessageA(w.Item("Yes"), BM_CLICK, 0, 0);
    std::string text;
    check(AnswerBox("Velmaro is running", answer == IDCANCEL ? IDCANCEL : IDRETRY, &text) &&
              text == "Velmaro is running. Close it and choose Retry.",
          "Yes asks \"Velmaro is running. Close it and choose Retry.\"");
    if (answer == IDCANCEL) {
      check(u.Ended(5000) && Installed(links), "Cancel ends Uninstall with nothing removed");
      continue;
    }
    check(AnswerBox("Velmaro is running", IDRETRY, nullptr,
                    [&] { CloseConsole(window, console); }),
          "Retry while it runs asks again; the console is closed meanwhile");
    check(AnswerBox("Uninstalling complete.", IDOK, &text) &&
              text.rfind("Velmaro 1.0 has been uninstalled.", 0) == 0,
          "Retry once it is closed removes it: " + text);
    check(u.Ended(5000) && !Exists(std::string(kFolder) + "\\Velmaro.exe") && !Listed() &&
              !KeyExists(HKEY_CURRENT_USER, "Software\\Velmaro"),
          "the console, the entry and the settings are gone");
  }
}

// A ReadMe.txt of the user's own in the install folder, answered No: kept,
// the rest installed, and Uninstall leaves it.
void KeepTheUsersOwnFile(const std::string& dist, Checker& check, const std::string& links) {
  ForgetEarlierInstallations(links);
  CreateDirectoryA(kFolder, nullptr);
  const std::string readme = std::string(kFolder) + "\\ReadMe.txt";
  PutFileBytes(readme, "my own notes");
  SetupWindow s(check);
  if (!s.Start(dist) || !WalkTo(s, 4)) return;
  s.Press("NextStep");
  std::string text;
  check(AnswerBox("File already there", IDNO, &text) &&
            text.rfind(readme + " is already there, and Setup did not install it.", 0) == 0,
        "a file Setup did not make is asked about: " + text);
  check(s.OnPage(5) && AnswerBox("Installation incomplete", IDOK, nullptr) &&
            WaitFor([&] { return s.On("NextStep"); }, 10000) && s.Next(6),
        "the rest is installed");
  PostMessageA(s.Item("Start"), BM_CLICK, 0, 0);
  WaitFor([&] { return SendMessageA(s.Item("Start"), BM_GETCHECK, 0, 0) == BST_UNCHECKED; });
  s.Press("NextStep");
  s.process.Ended(5000);
  check(FileBytes(readme) == "my own notes" && Exists(std::string(kFolder) + "\\Velmaro.exe") && Listed(),
        "No keeps the user's file and installs the rest");
  check(RunToEnd("\"" + std::string(kFolder) + "\\Uninstall.exe\" /S") == 0 &&
            FileBytes(readme) == "my own notes" && !Exists(std::string(kFolder) + "\\Velmaro.exe"),
        "Uninstall leaves the user's file");
  RemoveTree(kFolder);
}

// A zero-byte and an altered payload file end Setup before page 1.
void RefuseADamagedDistribution(const std::string& dist, Checker& check) {
  const std::string copy = TempFile("damaged-dist");
  RemoveTree(copy);
  RemoveTree(kFolder);
  CreateDirectoryA(copy.c_str(), nullptr);
  for (const char* name : {"Setup.exe", "Velmaro.001", "Velmaro.002", "Velmaro.003", "Velmaro.004", "Velmaro.005"})
    CopyFileA((dist + "\\" + name).c_str(), (copy + "\\" + name).c_str(), FALSE);
  const std::string altered = [&] {
    std::string b = FileBytes(dist + "\\Velmaro.002");
    b[b.size() / 2] ^= 1;
    return b;
  }();
  const std::pair<std::function<void()>, std::string> damages[] = {
      {[&] { PutFileBytes(copy + "\\Velmaro.003", ""); }, "Velmaro.003 is empty"},
      {[&] {
         CopyFileA((dist + "\\Velmaro.003").c_str(), (copy + "\\Velmaro.003").c_str(), FALSE);
         PutFileBytes(copy + "\\Velmaro.002", altered);
       },
       "Velmaro.002 is not the file Setup was built with"},
  };
  for (const auto& [damage, said] : damages) {
    damage();
    Process p;
    std::string text;
    check(p.Start("\"" + copy + "\\Setup.exe\"", copy) && AnswerBox("Setup", IDOK, &text) &&
              text.rfind("The distribution folder is damaged: " + said + ".", 0) == 0,
          "a damaged distribution folder is told: " + text);
    check(p.Ended(5000) && !Exists(kFolder) && !Listed(), "... and Setup ends with nothing made");
  }
  RemoveTree(copy);
}

// "Setup.exe /S [/D=FOLDER]" and "Uninstall.exe /S", with the system's list
// as the witness.
void Silently(const std::string& dist, Checker& check) {
  const std::string setup = "\"" + dist + "\\Setup.exe\"";
  const std::string folder = "C:\\Silent Test\\Deep\\Velmaro";
  RemoveTree("C:\\Silent Test");
  check(RunToEnd(setup + " /X") == 2, "Setup.exe with an unknown argument exits 2");
  {
    // Given wide, as a deployment tool would: the reason names the letters, and nothing is made.
    std::wstring line(L"\"" + std::wstring(dist.begin(), dist.end()) + L"\\Setup.exe\" /S /D=C:\\Программы");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    DWORD code = STILL_ACTIVE;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      WaitForSingleObject(pi.hProcess, 60000);
      GetExitCodeProcess(pi.hProcess, &code);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
    check(code == 1 && GetFileAttributesW(L"C:\\Программы") == INVALID_FILE_ATTRIBUTES &&
              FileBytes(TempFile("Velmaro Setup.log"))
                      .find("C:\\Программы cannot be the install folder: its name holds characters that "
                            "this system's code page lacks (П р о г а м ы).") != std::string::npos,
          "Setup.exe /S /D= with a folder in Cyrillic: exit 1, nothing made, the reason names the letters");
  }
  check(RunToEnd(setup + " /S /D=" + folder) == 0 && Exists(folder + "\\Velmaro.exe") && Listed() &&
            ReadValue(HKEY_LOCAL_MACHINE, kKey, "QuietUninstallString") ==
                "\"" + folder + "\\Uninstall.exe\" /S",
        "Setup.exe /S /D= installs into missing folders and exits 0; listed");
  const std::string other = "C:\\Silent Other";
  RemoveTree(other);
  CreateDirectoryA(other.c_str(), nullptr);
  PutFileBytes(other + "\\Velmaro.dll", "someone else's");
  check(RunToEnd(setup + " /S /D=" + other) == 1 && FileBytes(other + "\\Velmaro.dll") == "someone else's" &&
            !Exists(other + "\\Velmaro.exe") && ReadValue(HKEY_LOCAL_MACHINE, kKey, "InstallLocation") == folder,
        "a file in the way: exit 1, nothing changed, the earlier installation as it was");
  check(FileBytes(TempFile("Velmaro Setup.log")).find("is already there") != std::string::npos,
        "the reason is in %TEMP%\\Velmaro Setup.log");
  RemoveTree(other);

  Process console;
  console.Start("\"" + folder + "\\Velmaro.exe\"", folder);
  HWND window = nullptr;
  WaitFor([&] { return (window = ConsoleWindow()) != nullptr; }, 20000);
  const std::string quiet = ReadValue(HKEY_LOCAL_MACHINE, kKey, "QuietUninstallString");
  check(window && RunToEnd(quiet) == 1 && Exists(folder + "\\Velmaro.exe") &&
            Exists(folder + "\\Velmaro.dll") && Listed(),
        "Uninstall.exe /S while the console runs: exit 1, nothing removed, still listed");
  check(CloseConsole(window, console), "the console is closed");
  check(RunToEnd(quiet) == 0 && !Exists(folder + "\\Velmaro.exe") && Exists(folder + "\\Uninstall.exe") && !Listed(),
        "Uninstall.exe /S once it is closed: exit 0, no longer listed");
  RemoveTree("C:\\Silent Test");
}

// An installation without a log (made before Setup kept one): Uninstall's
// guards keep other programs' links, StartUp and a drive root's files.
void GuardsWithoutALog(const std::string& dist, Checker& check, const std::string& programs) {
  const std::string folder = "C:\\Guarded";
  const std::string setup = "\"" + dist + "\\Setup.exe\" /S /D=" + folder;
  const std::string quiet = "\"" + folder + "\\Uninstall.exe\" /S";
  auto settle = [&](const std::string& shortcuts) {
    check(RunToEnd(setup) == 0 && Exists(folder + "\\Velmaro.exe"), "installed silently into " + folder);
    DeleteFileA((folder + "\\VelmaroInstall.log").c_str());
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, kSettings, &key);
    RegSetValueExA(key, "ShortcutPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(shortcuts.c_str()),
                   static_cast<DWORD>(shortcuts.size() + 1));
    RegCloseKey(key);
  };
  // Another program's folder with its own ReadMe.txt.lnk.
  const std::string another = programs + "\\Another";
  CreateDirectoryA(another.c_str(), nullptr);
  velmaro::platform::Win32Shell shell;
  velmaro::setup::CreateShortcut(shell, another + "\\ReadMe.txt.lnk", "C:\\windows\\win.ini", "", "", "", 0, 1);
  settle(another);
  RunToEnd(quiet);
  check(Exists(another + "\\ReadMe.txt.lnk") && !Exists(folder + "\\Velmaro.exe"),
        "another program's link stays; the program files go");
  RemoveTree(another);
  const std::string startup = programs + "\\StartUp";
  CreateDirectoryA(startup.c_str(), nullptr);
  settle(startup);
  RunToEnd(quiet);
  check(Exists(startup), "StartUp as the shortcut folder stays");
  // DllPath at a drive root, with a copy of Uninstall.exe there.
  settle(programs + "\\Velmaro");
  CopyFileA((folder + "\\Uninstall.exe").c_str(), "C:\\Uninstall.exe", FALSE);
  PutFileBytes("C:\\ReadMe.txt", "the user's own");
  HKEY key = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, kSettings, &key);
  RegSetValueExA(key, "DllPath", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Velmaro.dll"), 15);
  RegCloseKey(key);
  RunToEnd("C:\\Uninstall.exe /S");
  check(FileBytes("C:\\ReadMe.txt") == "the user's own", "DllPath at a drive root costs no file there");
  DeleteFileA("C:\\Uninstall.exe");
  DeleteFileA("C:\\ReadMe.txt");
  RemoveTree(folder);
  RemoveTree(programs + "\\Velmaro");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmaro");
}

// Drive T: is a small tmpfs: the copy fills it up. Nothing partial stays,
// nothing is registered, nothing is linked.
int SmallDrive(const std::string& dist) {
  Checker check;
  const std::string programs = ProgramsFolder();
  ForgetEarlierInstallations(programs + "\\Velmaro");
  const DWORD code = RunToEnd("\"" + dist + "\\Setup.exe\" /S /D=T:\\Velmaro");
  check(code == 1, "Setup.exe /S onto a full drive exits 1 (" + std::to_string(code) + ")");
  check(FileBytes(TempFile("Velmaro Setup.log")).find("the disk is full") != std::string::npos,
        "the log says the disk is full: " + FileBytes(TempFile("Velmaro Setup.log")));
  bool nothing = !Exists("T:\\Velmaro");
  check(nothing && !Exists(programs + "\\Velmaro\\Velmaro.lnk") && !Listed() &&
            !KeyExists(HKEY_CURRENT_USER, kSettings),
        "no partial file, no folder, no link, no entry, no settings");
  std::printf("%d failure(s)\n", check.failures);
  return check.failures ? 1 : 0;
}

// The wizard from page 1 to Finish, with the default choices but the folder:
// every way out asks first, each page says what it should, and the run leaves
// the files, links and entry that Setup promises.
bool InstallWithTheWizard(const std::string& dist, const std::string& programs, const std::string& links,
                          Checker& check) {
  SetupWindow s(check);
  if (!s.Start(dist)) return false;
  check(!s.On("Back") && s.On("NextStep") && s.Text("NextStep") == "&Next >>" &&
            s.Text("Label1", 0) == "Welcome to the setup of Velmaro 1.0 ",
        "page 1: welcome text, Back disabled, \"&Next >>\"");

  // Every way out asks first.
  s.Press("ExitSetup");
  CheckExitQuestion(s, check, "Exit Setup");
  PostMessageA(s.window, WM_CLOSE, 0, 0);
  CheckExitQuestion(s, check, "the close box");
  PostMessageA(s.window, WM_SYSKEYDOWN, VK_F4, 0x20000001);  // Alt held
  PostMessageA(s.window, WM_SYSKEYUP, VK_F4, 0xE0000001);
  CheckExitQuestion(s, check, "Alt+F4");
  PostMessageA(s.window, WM_QUERYENDSESSION, 0, 0);
  CheckExitQuestion(s, check, "the end of the session");

  check(s.Next(2) && s.On("Back") && LongTextOf(s.Item("Readme")).find("UNINSTALLING") != std::string::npos,
        "page 2 shows the read-me");
  check(s.Next(3) && WaitFor([&] { return s.Text("TextCopy") == "C:\\Velmaro"; }) &&
            s.Text("Label2", 1) == "The files given below will be copied to 'C:\\Velmaro' :",
        "page 3 offers C:\\Velmaro");
  RefuseAFolderTheCodePageCannotHold(s, check);
  s.Type("TextCopy", kFolder);
  s.Press("NextStep");
  std::string question;
  check(AnswerBox("Create folder", IDYES, &question) &&
            question == std::string(kFolder) + " does'nt exist.\rDo you want to create the folder ?",
        "the missing install folder is offered to be made");
  check(s.OnPage(4) && Exists(kFolder), "Yes makes it and page 4 follows");
  check(s.Text("Text1") == "\\Velmaro" &&
            s.Text("Label2", 2) == "The shortcuts given below will be created in '" + programs + "' :" &&
            s.Text("NextStep") == "St&art installing",
        "page 4 offers \\Velmaro in the Programs folder " + programs);

  s.Press("NextStep");
  check(s.OnPage(5) && !s.On("Back") && !s.On("ExitSetup"), "page 5: Back and Exit Setup disabled");
  PostMessageA(s.window, WM_CLOSE, 0, 0);
  check(s.Still() && !VisibleWindow("#32770", "Exit setup confirmation"),
        "the close box does nothing while it installs");
  check(WaitFor([&] { return s.On("NextStep"); }, 10000), "Next comes back when the run has ended");
  check(s.Text("Label2", 3) == "Copying complete." && s.Text("Label3", 3) == "Creating shortcut completed." &&
            s.Text("Label4", 2) == "Registry updating complete.",
        "the three lines end complete");

  for (int i = 0; i < 5; ++i) {
    const std::string source = FileBytes(dist + "\\Velmaro.00" + std::to_string(i + 1));
    check(!source.empty() && FileBytes(std::string(kFolder) + "\\" + kInstalled[i]) == source,
          std::string(kInstalled[i]) + " is Velmaro.00" + std::to_string(i + 1) + " byte for byte");
  }
  velmaro::platform::Win32Shell shell;
  const std::pair<const char*, const char*> shortcuts[] = {{"Velmaro.lnk", "Velmaro.exe"},
                                                           {"ReadMe.txt.lnk", "ReadMe.txt"}};
  for (const auto& [file, target] : shortcuts) {
    velmaro::platform::ShellLinkData link;
    const bool read = shell.ReadShellLink(links + "\\" + file, link) == 0;
    check(read && velmaro::platform::LowerAscii(link.path) ==
                      velmaro::platform::LowerAscii(std::string(kFolder) + "\\" + target) &&
              link.description == "ShellLink Sample",
          std::string(file) + " reads back through the ShellLink object: " + link.path + ", \"" +
              link.description + "\"");
  }
  check(ReadValue(HKEY_CURRENT_USER, kSettings, "DllPath") == std::string(kFolder) + "\\Velmaro.dll" &&
            ReadValue(HKEY_CURRENT_USER, kSettings, "ShortcutPath") == links,
        "DllPath and ShortcutPath are stored");
  DWORD type = 0;
  check(ReadValue(HKEY_LOCAL_MACHINE, kKey, "DisplayName") == "Velmaro 1.0" &&
            ReadValue(HKEY_LOCAL_MACHINE, kKey, "UninstallString") ==
                "\"" + std::string(kFolder) + "\\Uninstall.exe\"" &&
            ReadValue(HKEY_LOCAL_MACHINE, kKey, "DisplayVersion") == "1.0" &&
            ReadValue(HKEY_LOCAL_MACHINE, kKey, "DisplayIcon") == std::string(kFolder) + "\\Velmaro.exe" &&
            ReadValue(HKEY_LOCAL_MACHINE, kKey, "InstallLocation") == kFolder &&
            ReadValue(HKEY_LOCAL_MACHINE, kKey, "Publisher") == "The Velmaro developers" &&
            ReadValue(HKEY_LOCAL_MACHINE, kKey, "NoModify", &type) == "1" && type == REG_DWORD &&
            ReadValue(HKEY_LOCAL_MACHINE, kKey, "NoRepair", &type) == "1" && type == REG_DWORD,
        "the uninstall entry holds its values, UninstallString quoted");
  const std::string list = InstalledProgramsList();
  check(list.find("Velmaro 1.0|||Velmaro 1.0") != std::string::npos,
        "wine uninstaller --list lists \"Velmaro 1.0\"");

  check(s.Next(6) && s.Text("NextStep") == "&Finish" &&
            SendMessageA(s.Item("Start"), BM_GETCHECK, 0, 0) == BST_CHECKED,
        "page 6: \"&Finish\", Start ticked");
  s.Press("NextStep");
  check(s.process.Ended(5000) && s.process.ExitCode() == 0, "Finish ends Setup");
  return true;

}

// Finish with Start ticked opens the installed console, in a window the user
// sees, and the console finds its icon library.
void FinishOpensTheConsole(Checker& check) {
  HWND console = nullptr;
  check(WaitFor([&] { return (console = ConsoleWindow()) != nullptr; }, 20000) && !IsIconic(console),
        "Finish with Start ticked opens the console's window");
  if (console) {
    check(velmaro::platform::LowerAscii(ImageOf(console)) ==
              velmaro::platform::LowerAscii(std::string(kFolder) + "\\Velmaro.exe"),
          "it is the installed console (" + ImageOf(console) + ")");
    const std::string library = ReadValue(HKEY_CURRENT_USER, kSettings, "DllPath");
    HICON blank = ExtractIconA(GetModuleHandleA(nullptr), library.c_str(), 9);
    const auto count = reinterpret_cast<UINT_PTR>(ExtractIconA(GetModuleHandleA(nullptr), library.c_str(), UINT(-1)));
    check(count >= 10 && reinterpret_cast<UINT_PTR>(blank) > 1,
          "DllPath names an icon library with its blank icon at index 9 (" + std::to_string(count) + " icons)");
    if (reinterpret_cast<UINT_PTR>(blank) > 1) DestroyIcon(blank);
    DWORD pid = 0;
    GetWindowThreadProcessId(console, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    PostMessageA(console, WM_CLOSE, 0, 0);
    check(AnswerBox("Confirmation", IDYES), "closing the console asks, Yes");
    check(process && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0, "the console ends");
    if (process) CloseHandle(process);
  }

}

// Installed again, reinstalled, and removed with a file of the user's own
// among the shortcuts: the shortcuts go, the user's file and its folder stay.
void RemoveBesideTheUsersShortcutFile(const std::string& dist, Checker& check, const std::string& links) {
  check(Install(dist, check) && Exists(links + "\\Velmaro.lnk"), "a second installation");
  Reinstall(dist, check);
  const std::string mine = links + "\\My notes.txt";
  PutFileBytes(mine, "");
  RemoveWithUninstall(check, links, false);
  check(Exists(mine) && !Exists(links + "\\Velmaro.lnk") && !Exists(links + "\\ReadMe.txt.lnk"),
        "a file of the user's own keeps the shortcut folder; the shortcuts go");
  DeleteFileA(mine.c_str());
  RemoveDirectoryA(links.c_str());
}

int Run(const std::string& dist) {
  Checker check;
  const std::string programs = ProgramsFolder();
  const std::string links = programs + "\\Velmaro";
  ForgetEarlierInstallations(links);
  check(!Exists(kFolder) && !Exists(links) && !KeyExists(HKEY_LOCAL_MACHINE, kKey) &&
            !KeyExists(HKEY_CURRENT_USER, kSettings),
        "no installation before Setup runs");
  if (!InstallWithTheWizard(dist, programs, links, check)) return 1;
  FinishOpensTheConsole(check);
  RemoveWithUninstall(check, links, true);
  RemoveBesideTheUsersShortcutFile(dist, check, links);
  RemoveWhileTheConsoleRuns(dist, check, links);
  KeepTheUsersOwnFile(dist, check, links);
  RefuseADamagedDistribution(dist, check);
  Silently(dist, check);
  GuardsWithoutALog(dist, check, programs);
  std::printf("%d failure(s)\n", check.failures);
  return check.failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // argv[1]: the build tree; the distribution folder is its dist folder.
  const std::string root = argc > 1 ? WinePath(argv[1]) : ".";
  const std::string dist = root + "\\dist";
  if (argc > 3 && std::string(argv[2]) == "--show") return Show(dist, argv[3]);
  if (argc > 2 && std::string(argv[2]) == "--small-drive") return SmallDrive(dist);
  return Run(dist);
}
