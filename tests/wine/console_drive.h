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
  HWND main = nullptr;
  std::unique_ptr<RemoteTree> tree;
  Checker check;

  HWND Item(const std::string& name, int index = -1) { return GetDlgItem(main, IdOf(name, index)); }
  bool Checked(const char* name) { return SendMessageA(Item(name), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Press(const char* name) { PostMessageA(Item(name), BM_CLICK, 0, 0); }

  bool Start(const std::string& exe) {
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
          for (HWND h = FindWindowA("VelmaroForm", "Velmaro"); h && !main;
               h = FindWindowExA(nullptr, h, "VelmaroForm", "Velmaro")) {
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == pi.dwProcessId && IsWindowVisible(h) && GetDlgItem(h, IdOf("Close")))
              main = h;
          }
          return main != nullptr;
        },
        20000);
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
