#pragma once
// The real Velmaro.exe under Wine, driven from outside: started, its main
// window found, categories chosen in its tree as a user clicks them, buttons
// pressed. Control ids are the design's positions, as the toolkit gives them.
// After windows.h and wine_drive.h.
#include <memory>
#include <string>

#include "console/tweaker.h"

namespace velmaro::e2e {

inline const velmaro::forms::FormSpec kSpec = velmaro::console::Tweaker::Design();

inline int IdOf(const std::string& name, int index = -1) {
  for (std::size_t i = 0; i < kSpec.controls.size(); ++i)
    if (kSpec.controls[i].name == name && kSpec.controls[i].index == index)
      return 1000 + static_cast<int>(i);
  return -1;
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
    // The splash has the same caption; the main window is the one with the tree.
    const bool up = WaitFor(
        [&] {
          main = nullptr;
          for (HWND h = FindWindowA("VelmaroForm", "Velmaro"); h && !main;
               h = FindWindowExA(nullptr, h, "VelmaroForm", "Velmaro"))
            if (IsWindowVisible(h) && GetDlgItem(h, IdOf("Close"))) main = h;
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
};


}  // namespace velmaro::e2e
