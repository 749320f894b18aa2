#pragma once
// The real Velmaro.exe driven from another process, for the end-to-end
// drivers: starting it, finding its controls by the design they come from,
// choosing categories, What's This, and reading the registry as it left it
// (ReadValue in wine_drive.h).
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "console/tweaker.h"
#include "wine/wine_drive.h"

namespace velmaro::e2e {

// A control's id: the toolkit numbers a form's controls from 1000 in the
// order of its design.
inline int IdIn(const forms::FormSpec& spec, const std::string& name, int index = -1) {
  for (std::size_t i = 0; i < spec.controls.size(); ++i)
    if (spec.controls[i].name == name && spec.controls[i].index == index)
      return 1000 + static_cast<int>(i);
  return -1;
}

inline const forms::FormSpec kSpec = console::Tweaker::Design();

inline int IdOf(const std::string& name, int index = -1) { return IdIn(kSpec, name, index); }

inline bool Absent(const std::string& value) { return value == "<none>" || value == "<no key>"; }

// A value as the system keeps it: type and bytes, or "<none>" / "<no key>".
inline std::string Raw(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  std::string data(4096, '\0');
  DWORD size = static_cast<DWORD>(data.size()), type = 0;
  const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return "<none>";
  return std::to_string(type) + ":" + data.substr(0, size);
}

inline void SetRaw(HKEY root, const char* path, const char* name, DWORD type, const std::string& bytes) {
  HKEY key = nullptr;
  RegCreateKeyA(root, path, &key);
  RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                 static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
}

inline void RemoveRaw(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

// The console's undo history, and its bytes ("" when there is none).
inline std::string UndoHistoryFile() {
  char appData[MAX_PATH] = {};
  GetEnvironmentVariableA("APPDATA", appData, MAX_PATH);
  return std::string(appData) + "\\Velmaro\\Undo history.txt";
}
// A message box with this title if one shows within `ms`, answered.
inline bool AnswerBoxIfAny(const char* title, int button, int ms, std::string* text = nullptr) {
  if (!WaitFor([&] { return VisibleWindow("#32770", title) != nullptr; }, ms)) return false;
  return AnswerBox(title, button, text);
}

// Chooses a file in the open dialog with this title, as a user types it.
inline bool ChooseFile(const char* title, const std::string& path) {
  HWND open = nullptr;
  if (!WaitFor([&] { return (open = VisibleWindow("#32770", title)) != nullptr; })) return false;
  SendMessageA(GetDlgItem(open, 0x47c), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageA(GetDlgItem(open, IDOK), BM_CLICK, 0, 0);
  return WaitFor([&] { return !VisibleWindow("#32770", title); });
}

struct Console {
  // A console left running would keep ctest waiting on its output pipes.
  ~Console() {
    if (pi.hProcess) {
      if (!keepRunning && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(pi.hProcess, 1);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }
  PROCESS_INFORMATION pi{};
  bool keepRunning = false;  // --show leaves the console up for a screenshot
  bool endedAtStart = false;  // the process ended before its main window showed
  HWND main = nullptr;
  std::unique_ptr<RemoteTree> tree;
  Checker check;

  HWND Item(const std::string& name, int index = -1) { return GetDlgItem(main, IdOf(name, index)); }
  bool Checked(const char* name) { return SendMessageA(Item(name), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Press(const char* name) { PostMessageA(Item(name), BM_CLICK, 0, 0); }

  // `boxAtStart`: a message box of that title that may show while the
  // console starts (before its main window), answered with OK; its text goes
  // to `said`.
  bool Start(const std::string& exe, const char* boxAtStart = nullptr, std::string* said = nullptr) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
      std::printf("FAIL cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
      return false;
    }
    // The splash has the same caption; the main window is the one with the
    // tree, and this process's own when another console runs beside it.
    const bool up = WaitFor(
        [&] {
          main = nullptr;
          if (boxAtStart && VisibleWindow("#32770", boxAtStart)) AnswerBox(boxAtStart, IDOK, said);
          // Another console may be up: the window must be this process's.
          for (HWND h = FindWindowA("VelmaroForm", "Velmaro"); h && !main;
               h = FindWindowExA(nullptr, h, "VelmaroForm", "Velmaro")) {
            DWORD process = 0;
            GetWindowThreadProcessId(h, &process);
            if (process == pi.dwProcessId && IsWindowVisible(h) && GetDlgItem(h, IdOf("Close")))
              main = h;
          }
          endedAtStart = WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
          return main != nullptr || endedAtStart;
        },
        20000);
    if (endedAtStart && !main) {
      DWORD code = 0;
      GetExitCodeProcess(pi.hProcess, &code);
      std::printf("FAIL the main window \"Velmaro\" appears: the console ended first (exit code 0x%lx)\n", code);
      ++check.failures;
      return false;
    }
    if (!check(up, "the main window \"Velmaro\" appears")) return false;
    tree = std::make_unique<RemoteTree>(Item("Tr"), pi.hProcess);
    return true;
  }

  bool Choose(const std::string& category) {
    HTREEITEM root = tree->Root();
    tree->Expand(root);
    HTREEITEM item = tree->Find(category);
    if (!item || !tree->Click(item)) return false;
    return WaitFor([&] { return tree->Selected() == item && IsWindowEnabled(main); });
  }

  // Whether this category's panel is the one shown.
  bool Shows(std::string_view category) {
    const console::Category* c = console::CategoryOfText(category);
    return c && IsWindowVisible(Item("Fram", c->frame));
  }

  std::string ApplyCaption() { return TextOf(Item("Apply")); }

  // What's This, then a click on the control: its help popup, or null.
  HWND HelpFor(const std::string& name) {
    Press("Command3");
    Sleep(300);
    RECT r;
    GetWindowRect(Item(name), &r);
    POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ScreenToClient(main, &pt);
    PostMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    HWND popup = nullptr;
    WaitFor([&] { return (popup = VisibleWindow("VelmaroHelpPopup", nullptr)) != nullptr; });
    return popup;
  }

  // One of the console's own dialogs, once it shows with this caption.
  HWND Dialog(const char* caption) {
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = VisibleWindow("VelmaroForm", caption)) != nullptr; });
    return dialog;
  }

  // True once the console's window has taken its messages (the handler of a
  // click it is in has returned). Reading its files meanwhile would hold them
  // open under it.
  bool Idle() {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) != 0;
  }

  // The console ended from outside at once, as TerminateProcess does.
  void Kill() {
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 5000);
  }

  // Close, Yes to the question, and the console ends.
  bool Quit() {
    Press("Close");
    if (!AnswerBox("Confirmation", IDYES)) return false;
    return WaitForSingleObject(pi.hProcess, 5000) == WAIT_OBJECT_0;
  }
};

// A flat list's item with this text, or null.
inline HTREEITEM FindItem(const RemoteTree& list, const std::string& text) {
  for (HTREEITEM item = list.Root(); item; item = list.Next(item, TVGN_NEXT))
    if (list.Text(item) == text) return item;
  return nullptr;
}

// The texts of a flat list's items, in order.
inline std::vector<std::string> Items(const RemoteTree& list) {
  std::vector<std::string> texts;
  for (HTREEITEM item = list.Root(); item; item = list.Next(item, TVGN_NEXT))
    texts.push_back(list.Text(item));
  return texts;
}

// A click on a control that reports clicks itself (a picture, a label).
inline void ClickOn(HWND control) {
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

}  // namespace velmaro::e2e
