// Loading the two list editors with 5,000 entries each, measured against a
// bare program that makes the fewest registry calls for the same listing.
// Not a test: run it under Wine and read the figures.
//
// Both sides run in this process, on the real registry and real windows:
//   - the console: the real main window over the Win32 toolkit and registry,
//     timed from SelectOption (what a click on the category runs) until its
//     messages are handled and the window is painted;
//   - the bare program: a window with a tree view of the same style, filled
//     with redrawing held, from one RegEnumValueA a value (Run) and one
//     RegEnumKeyA, one RegOpenKeyExA and one RegEnumValueA a value of each
//     entry (Uninstall); the same end point.
// The four measurements take turns in every round, in an order that rotates,
// after one unmeasured round. The lists are checked to hold as many entries.
//
//   editors_bench [rounds, 30 by default]
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "console/tweaker.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_mouse.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_toolkit.h"
#include "wine/wine_drive.h"

namespace {

using velmaro::e2e::Now;

constexpr int kEntries = 5000;
constexpr int kAddRemoveNode = velmaro::console::NodeOf("Add/Remove");
constexpr int kStartUpNode = velmaro::console::NodeOf("StartUp Applications");
constexpr const char* kRun = "software\\microsoft\\windows\\currentversion\\run";
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kPrefix = "VelmaroBench";

std::string Name(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%04d", kPrefix, i);
  return name;
}

void SetText(HKEY key, const char* name, const std::string& text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

void RemoveEntries() {
  HKEY run = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
    for (int i = 0; i < kEntries; ++i) RegDeleteValueA(run, Name(i).c_str());
    RegCloseKey(run);
  }
  for (int i = 0; i < kEntries; ++i)
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + "\\" + Name(i)).c_str());
}

// Entries as installers leave them: four values, the two the list needs
// among them.
void PutEntries() {
  HKEY run = nullptr;
  RegCreateKeyA(HKEY_LOCAL_MACHINE, kRun, &run);
  for (int i = 0; i < kEntries; ++i) {
    const std::string folder = "C:\\Program Files\\Bench Tools\\Tool " + std::to_string(i);
    SetText(run, Name(i).c_str(), "\"" + folder + "\\tray.exe\" /min");
    HKEY entry = nullptr;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + "\\" + Name(i)).c_str(), &entry);
    SetText(entry, "DisplayName", "Bench Tool " + std::to_string(i));
    SetText(entry, "DisplayVersion", "1.0." + std::to_string(i));
    SetText(entry, "Publisher", "Velmaro benchmarks");
    SetText(entry, "UninstallString", "\"" + folder + "\\uninstall.exe\" /x");
    RegCloseKey(entry);
  }
  RegCloseKey(run);
}

// ---- The bare program ----

// Each value of an open key with its text (empty for other types), as long
// as names and data fit the console's limits.
template <class F>
void ForEachValue(HKEY key, F&& each) {
  char name[256];
  char data[4001];
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = 255, dataLength = 4000, type = 0;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &dataLength) != ERROR_SUCCESS)
      return;
    data[dataLength] = '\0';
    each(name, type == REG_SZ ? data : "");
  }
}

class Bare {
public:
  Bare() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "VelmaroBenchBare";
    RegisterClassA(&wc);
    window_ = CreateWindowA("VelmaroBenchBare", "Bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 780,
                            500, nullptr, nullptr, wc.hInstance, nullptr);
    tree_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_SHOWSELALWAYS, 216, 36, 540,
                            328, window_, nullptr, wc.hInstance, nullptr);
  }
  ~Bare() { DestroyWindow(window_); }

  int StartUp() {
    Begin();
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      ForEachValue(key, [&](const char*, const char* text) { Insert(text); });
      RegCloseKey(key);
    }
    return End();
  }

  int AddRemove() {
    Begin();
    HKEY uninstall = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, KEY_READ, &uninstall) == ERROR_SUCCESS) {
      char sub[256];
      for (DWORD i = 0; RegEnumKeyA(uninstall, i, sub, sizeof sub) == ERROR_SUCCESS; ++i) {
        HKEY entry = nullptr;
        if (RegOpenKeyExA(uninstall, sub, 0, KEY_READ, &entry) != ERROR_SUCCESS) continue;
        std::string display, command;
        bool hasDisplay = false, hasCommand = false;
        ForEachValue(entry, [&](const char* name, const char* text) {
          if (std::strcmp(name, "DisplayName") == 0) hasDisplay = true, display = text;
          if (std::strcmp(name, "UninstallString") == 0) hasCommand = true, command = text;
        });
        RegCloseKey(entry);
        if (hasDisplay && hasCommand) {
          commands_.push_back(command);
          Insert(display);
        }
      }
      RegCloseKey(uninstall);
    }
    return End();
  }

private:
  void Begin() {
    commands_.clear();
    SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  }
  void Insert(const std::string& text) {
    TVINSERTSTRUCTA ins{};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins));
  }
  int End() {
    SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
    UpdateWindow(window_);
    return static_cast<int>(SendMessageA(tree_, TVM_GETCOUNT, 0, 0));
  }

  HWND window_ = nullptr;
  HWND tree_ = nullptr;
  std::vector<std::string> commands_;
};

struct Series {
  const char* what;
  std::vector<double> ms;
  double Min() const { return *std::min_element(ms.begin(), ms.end()); }
  double Median() const {
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  RemoveEntries();
  PutEntries();

  velmaro::platform::Win32Registry registry;
  velmaro::platform::Win32Files files;
  velmaro::platform::Win32Mouse mouse;
  velmaro::platform::Win32Desktop desktop;
  velmaro::forms::Win32Toolkit toolkit;
  velmaro::console::ConsoleSystem system(toolkit, registry, files, mouse, desktop);
  velmaro::console::Tweaker main(system);
  toolkit.Show(main);
  // The splash goes on its first tick after loading.
  for (const double until = Now() + 800; Now() < until; Sleep(10)) toolkit.DoEvents();
  HWND mainWindow = static_cast<HWND>(toolkit.WindowOf(main));
  auto& list1 = main.Get<velmaro::forms::TreeView>("List1");
  auto& runList = main.Get<velmaro::forms::TreeView>("RunList");
  Bare bare;

  int counts[4] = {};
  const std::function<int()> loads[4] = {
      [&] {
        main.SelectOption(kAddRemoveNode);
        toolkit.DoEvents();
        UpdateWindow(mainWindow);
        return list1.Count();
      },
      [&] { return bare.AddRemove(); },
      [&] {
        main.SelectOption(kStartUpNode);
        toolkit.DoEvents();
        UpdateWindow(mainWindow);
        return runList.Count();
      },
      [&] { return bare.StartUp(); },
  };
  Series series[4] = {{"Add/Remove, console", {}}, {"Add/Remove, bare", {}},
                      {"StartUp, console", {}}, {"StartUp, bare", {}}};
  for (int round = -1; round < rounds; ++round) {
    for (int k = 0; k < 4; ++k) {
      const int which = (k + std::max(round, 0)) % 4;
      const double t0 = Now();
      counts[which] = loads[which]();
      const double t = Now() - t0;
      if (round >= 0) series[which].ms.push_back(t);
    }
  }
  toolkit.End();
  RemoveEntries();

  std::printf("%d rounds, %d entries each; lists: Add/Remove %d (bare %d), StartUp %d (bare %d)\n",
              rounds, kEntries, counts[0], counts[1], counts[2], counts[3]);
  for (const Series& s : series)
    std::printf("%-22s min %8.1f ms   median %8.1f ms\n", s.what, s.Min(), s.Median());
  std::printf("ratio Add/Remove: min %.2f, median %.2f\n", series[0].Min() / series[1].Min(),
              series[0].Median() / series[1].Median());
  std::printf("ratio StartUp:    min %.2f, median %.2f\n", series[2].Min() / series[3].Min(),
              series[2].Median() / series[3].Median());
  const bool same = counts[0] == counts[1] && counts[2] == counts[3];
  if (!same) std::printf("the lists differ: the figures compare different work\n");
  return same ? 0 : 1;
}
