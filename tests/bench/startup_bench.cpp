// Start-up time and memory of the real Velmaro.exe, measured from outside as
// the user meets it. Not a test: run it under Wine and read the figures.
//
// Start-up: each program is started N times (bare window, the system's
// regedit, the console and the floor program taking turns, after one
// unmeasured start of each) and timed with the performance counter from just
// before CreateProcess to "ready": the main window visible and painted, and
// its thread back in its message loop, answering a sent WM_NULL; for the
// console and the floor also their tree filled, for regedit its tree holding
// a node. The floor (floor_window.cpp) shows only what the console must show
// at start: what it needs is the price of those windows, and the console's
// figures beyond it are its own. Ratios are given per round (console / bare,
// console / regedit): their median moves least from run to run.
// WaitForInputIdle cannot mark "ready": the console pumps messages once while
// loading, which already signals idle.
// Memory: the console's private bytes after every category has been opened.
// Wine 8 leaves PrivateUsage at 0 (it fills PagefileUsage from the Linux
// process's anonymous memory), so the other counters and a walk of the
// committed private regions are printed beside it.
//
// Under the X11 driver run it with a window manager: without one, Wine waits
// about 2 s for each window it hides, which stalls every close.
//
// --shows times instead the first show of each category: for every round and
// category a new console is started and the category clicked, from the click
// to its frame visible, the loop answering again and the window painted.
//
//   startup_bench <build tree> [runs] [seconds to hold the console after the memory reading]
//                 [--shows] [--against <another build tree>]...
#include <windows.h>
// After windows.h.
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/categories.h"
#include "console/splash.h"
#include "console/tweaker.h"
#include "wine/wine_drive.h"

namespace {

using namespace velmaro::e2e;

constexpr int kTreeId = 1000;  // "Tr" is the console's first control
constexpr int kFilledTree = 1 + static_cast<int>(velmaro::console::Categories.size());
constexpr int kTimeoutMs = 20000;
// Controls are made in the design's order: the last one closes the set.
const int kLastControlId =
    999 + static_cast<int>(velmaro::console::Tweaker::Design().controls.size());

// Answered only when the window's thread retrieves messages: it is in a
// message loop, not loading.
bool Answers(HWND h, UINT msg = WM_NULL, LRESULT* result = nullptr) {
  DWORD_PTR r = 0;
  if (!SendMessageTimeoutA(h, msg, 0, 0, SMTO_NORMAL, 5000, &r)) return false;
  if (result) *result = static_cast<LRESULT>(r);
  return true;
}

// Top-level windows of this class and process, visible or not.
std::vector<HWND> WindowsOf(DWORD pid, const char* cls) {
  std::vector<HWND> found;
  for (HWND h = FindWindowExA(nullptr, nullptr, cls, nullptr); h;
       h = FindWindowExA(nullptr, h, cls, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner == pid) found.push_back(h);
  }
  return found;
}

struct Started {
  PROCESS_INFORMATION pi{};
  double t0 = 0;  // just before CreateProcess
  bool ok = false;
};

Started Launch(const std::string& exe) {
  Started s;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string cmd = "\"" + exe + "\"";
  s.t0 = Now();
  s.ok = CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &s.pi) != 0;
  if (!s.ok) std::printf("cannot start %s (error %lu)\n", exe.c_str(), GetLastError());
  return s;
}

void Release(Started& s) {
  CloseHandle(s.pi.hThread);
  CloseHandle(s.pi.hProcess);
}

// Polls every millisecond; the time is taken when the condition first holds.
template <typename F>
double Until(const Started& s, F&& done) {
  const double limit = Now() + kTimeoutMs;
  while (Now() < limit) {
    if (done()) return Now() - s.t0;
    if (WaitForSingleObject(s.pi.hProcess, 0) == WAIT_OBJECT_0) return -1;
    Sleep(1);
  }
  return -1;
}

// Painting comes after every other message: a window is drawn once neither
// it nor a visible descendant still has part of it to paint.
bool Painted(HWND top) {
  if (GetUpdateRect(top, nullptr, FALSE)) return false;
  bool pending = false;
  EnumChildWindows(
      top,
      [](HWND c, LPARAM p) {
        if (!IsWindowVisible(c) || !GetUpdateRect(c, nullptr, FALSE)) return TRUE;
        *reinterpret_cast<bool*>(p) = true;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&pending));
  return !pending;
}

// ---- the bare window ----

struct BareRun {
  double created = -1, ready = -1;
  double ended = -1;  // after WM_CLOSE
};

BareRun RunBare(const std::string& exe, bool keep = false, Started* out = nullptr) {
  BareRun r;
  Started s = Launch(exe);
  if (!s.ok) return r;
  HWND w = nullptr;
  r.created = Until(s, [&] {
    auto all = WindowsOf(s.pi.dwProcessId, "VelmaroBareWindow");
    w = all.empty() ? nullptr : all.front();
    return w != nullptr;
  });
  if (w) r.ready = Until(s, [&] { return IsWindowVisible(w) && Answers(w) && Painted(w); });
  if (keep && out) {
    *out = s;
    return r;
  }
  if (w) PostMessageA(w, WM_CLOSE, 0, 0);
  const double closed = Now();
  if (WaitForSingleObject(s.pi.hProcess, 15000) == WAIT_OBJECT_0) {
    r.ended = Now() - closed;
  } else {
    std::printf("bare window did not end on WM_CLOSE: terminated\n");
    TerminateProcess(s.pi.hProcess, 1);
    WaitForSingleObject(s.pi.hProcess, 5000);
  }
  Release(s);
  return r;
}

// ---- the system's regedit ----

struct RegeditRun {
  double ready = -1;  // visible, its tree holds a node, loop answers
};

// A visible top-level window of the process with a tree view among its
// descendants; `tree` receives the tree view.
HWND RegeditWindowOf(DWORD pid, HWND& tree) {
  struct Search {
    DWORD pid;
    HWND main = nullptr, tree = nullptr;
  } search{pid};
  EnumWindows(
      [](HWND h, LPARAM p) {
        auto& s = *reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner != s.pid || !IsWindowVisible(h)) return TRUE;
        EnumChildWindows(
            h,
            [](HWND c, LPARAM q) {
              char cls[32] = {};
              if (!GetClassNameA(c, cls, sizeof cls) || std::string(cls) != WC_TREEVIEWA)
                return TRUE;
              reinterpret_cast<Search*>(q)->tree = c;
              return FALSE;
            },
            p);
        if (!s.tree) return TRUE;
        s.main = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  tree = search.tree;
  return search.main;
}

RegeditRun RunRegedit(const std::string& exe) {
  RegeditRun r;
  Started s = Launch(exe);
  if (!s.ok) return r;
  HWND main = nullptr, tree = nullptr;
  r.ready = Until(s, [&] {
    if (!main) main = RegeditWindowOf(s.pi.dwProcessId, tree);
    LRESULT count = 0;
    return main && Answers(tree, TVM_GETCOUNT, &count) && count > 0 && Answers(main) &&
           Painted(main);
  });
  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(s.pi.hProcess, 15000) != WAIT_OBJECT_0) {
    std::printf("regedit did not end on WM_CLOSE: terminated\n");
    TerminateProcess(s.pi.hProcess, 1);
    WaitForSingleObject(s.pi.hProcess, 5000);
  }
  Release(s);
  return r;
}

// ---- the console ----

struct ConsoleRun {
  double mainCreated = -1;   // the main window exists (children being created)
  double controlsMade = -1;  // its last control exists
  double splashShown = -1;   // the splash is visible (inside the main window's load)
  double mainShown = -1;     // the main window is visible (load done)
  double ready = -1;         // visible, tree filled, thread in its message loop
  double splashClosed = -1;
  double questionShown = -1;  // after WM_CLOSE
  double endedAfterYes = -1;
};

// Every form numbers its controls from 1000: the splash's picture has the
// tree's id, so the main window is told by the control's class.
bool HasTree(HWND form) {
  char cls[32] = {};
  HWND first = GetDlgItem(form, kTreeId);
  return first && GetClassNameA(first, cls, sizeof cls) && std::string(cls) == WC_TREEVIEWA;
}

HWND MainWindowOf(DWORD pid) {
  for (HWND h : WindowsOf(pid, "VelmaroForm"))
    if (HasTree(h)) return h;
  return nullptr;
}

HWND SplashOf(DWORD pid, HWND main) {
  for (HWND h : WindowsOf(pid, "VelmaroForm"))
    if (h != main && !HasTree(h)) return h;
  return nullptr;
}

// Up to ready; `main` receives the main window.
ConsoleRun StartConsole(Started& s, HWND& main) {
  ConsoleRun r;
  main = nullptr;
  HWND splash = nullptr;
  r.mainCreated = Until(s, [&] { return (main = MainWindowOf(s.pi.dwProcessId)) != nullptr; });
  if (!main) return r;
  HWND tree = GetDlgItem(main, kTreeId);
  // Observed without sending anything, so that loading is not disturbed.
  r.mainShown = Until(s, [&] {
    if (r.controlsMade < 0 && GetDlgItem(main, kLastControlId)) r.controlsMade = Now() - s.t0;
    if (r.splashShown < 0 && (splash = SplashOf(s.pi.dwProcessId, main)) && IsWindowVisible(splash))
      r.splashShown = Now() - s.t0;
    return IsWindowVisible(main) != FALSE;
  });
  r.ready = Until(s, [&] {
    LRESULT count = 0;
    return Answers(tree, TVM_GETCOUNT, &count) && count == kFilledTree && Answers(main) &&
           Painted(main);
  });
  // A splash that came and went between two polls still counts as closed.
  r.splashClosed = Until(s, [&] {
    HWND sp = SplashOf(s.pi.dwProcessId, main);
    return !sp || !IsWindowVisible(sp);
  });
  return r;
}

// WM_CLOSE asks "Confirmation"; Yes ends the console. Times in `r`.
int terminatedConsoles = 0;

bool CloseConsole(Started& s, HWND main, ConsoleRun& r) {
  PostMessageA(main, WM_CLOSE, 0, 0);
  const double asked = Now();
  double answered = -1;
  while (Now() < asked + 15000 && WaitForSingleObject(s.pi.hProcess, 1) != WAIT_OBJECT_0) {
    if (answered >= 0) continue;
    for (HWND box : WindowsOf(s.pi.dwProcessId, "#32770")) {
      HWND yes = GetDlgItem(box, IDYES);
      if (!yes || !IsWindowVisible(box) || TextOf(box) != "Confirmation") continue;
      answered = Now();
      r.questionShown = answered - asked;
      PostMessageA(yes, BM_CLICK, 0, 0);
      break;
    }
  }
  if (WaitForSingleObject(s.pi.hProcess, 0) == WAIT_OBJECT_0) {
    if (answered >= 0) r.endedAfterYes = Now() - answered;
    return true;
  }
  ++terminatedConsoles;
  TerminateProcess(s.pi.hProcess, 1);
  WaitForSingleObject(s.pi.hProcess, 5000);
  return false;
}

ConsoleRun RunConsole(const std::string& exe) {
  Started s = Launch(exe);
  if (!s.ok) return {};
  HWND main = nullptr;
  ConsoleRun r = StartConsole(s, main);
  if (!(main && CloseConsole(s, main, r))) {
    TerminateProcess(s.pi.hProcess, 1);
    WaitForSingleObject(s.pi.hProcess, 5000);
  }
  Release(s);
  return r;
}

// ---- figures ----

struct Stats {
  double median = -1, min = -1, max = -1;
  int n = 0;
};

Stats Of(std::vector<double> v) {
  Stats s;
  v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return x < 0; }), v.end());
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  s.n = static_cast<int>(v.size());
  s.min = v.front();
  s.max = v.back();
  s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  return s;
}

void PrintRow(const char* what, const std::vector<double>& v) {
  const Stats s = Of(v);
  std::printf("  %-44s median %8.1f ms   min %8.1f   max %8.1f   (n=%d)\n", what, s.median, s.min,
              s.max, s.n);
}

void PrintSeries(const char* what, const std::vector<double>& v) {
  std::printf("  %-44s", what);
  for (double x : v) std::printf(" %7.1f", x);
  std::printf("\n");
}

// The ratio of each round's two figures: the pair ran back to back, so
// both met much the same load on the machine.
void PrintRatios(const char* what, const std::vector<double>& top,
                 const std::vector<double>& bottom) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < top.size() && i < bottom.size(); ++i)
    if (top[i] >= 0 && bottom[i] > 0) ratios.push_back(top[i] / bottom[i]);
  const Stats r = Of(ratios);
  std::printf("  Per-round ratio %-24s median %.2f   min %.2f   max %.2f   (n=%d)\n", what, r.median,
              r.min, r.max, r.n);
}

struct Memory {
  SIZE_T privateUsage = 0, workingSet = 0, peakWorkingSet = 0, pagefile = 0;
  SIZE_T committedPrivate = 0;  // walked: committed MEM_PRIVATE regions
  bool ok = false;
  DWORD error = 0;
};

Memory MemoryOf(HANDLE process) {
  Memory m;
  PROCESS_MEMORY_COUNTERS_EX c{};
  c.cb = sizeof c;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c), sizeof c)) {
    m.ok = true;
    m.privateUsage = c.PrivateUsage;
    m.workingSet = c.WorkingSetSize;
    m.peakWorkingSet = c.PeakWorkingSetSize;
    m.pagefile = c.PagefileUsage;
  } else {
    m.error = GetLastError();
  }
  // Roughly what PrivateUsage counts on Windows, region by region: a
  // cross-check of the figure the system reports.
  MEMORY_BASIC_INFORMATION mbi;
  for (char* at = nullptr; VirtualQueryEx(process, at, &mbi, sizeof mbi) == sizeof mbi;) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) m.committedPrivate += mbi.RegionSize;
    char* next = static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return m;
}

void PrintMemory(const char* what, const Memory& m) {
  const auto mb = [](SIZE_T b) { return static_cast<double>(b) / (1024.0 * 1024.0); };
  if (!m.ok) {
    std::printf("  %-34s GetProcessMemoryInfo failed (error %lu)\n", what, m.error);
    return;
  }
  std::printf(
      "  %-34s PrivateUsage %6.2f MB  PagefileUsage %6.2f MB  WorkingSet %6.2f MB "
      "(peak %6.2f)  committed private regions %6.2f MB\n",
      what, mb(m.privateUsage), mb(m.pagefile), mb(m.workingSet), mb(m.peakWorkingSet),
      mb(m.committedPrivate));
}

// Starts the console, opens every category as a click would and returns its
// memory then (and right after start-up in `atStart`).
bool MeasureConsoleMemory(const std::string& exe, int holdSeconds, Memory& atStart,
                          Memory& afterAll) {
  Started s = Launch(exe);
  if (!s.ok) return false;
  HWND main = nullptr;
  ConsoleRun r = StartConsole(s, main);
  bool ok = main && r.ready >= 0;
  if (ok) {
    atStart = MemoryOf(s.pi.hProcess);
    int children = 0;
    EnumChildWindows(
        main, [](HWND, LPARAM n) { return ++*reinterpret_cast<int*>(n), TRUE; },
        reinterpret_cast<LPARAM>(&children));
    std::printf("  the console's main window holds %d child windows\n", children);
    RemoteTree tree(GetDlgItem(main, kTreeId), s.pi.hProcess);
    tree.Expand(tree.Root());
    for (const auto& category : velmaro::console::Categories) {
      HTREEITEM item = tree.Find(std::string(category.text));
      const bool chosen =
          item && tree.Click(item) && WaitFor([&] {
            return tree.Selected() == item && IsWindowEnabled(main) && Answers(main);
          });
      std::printf("  opened %-24s %s\n", std::string(category.text).c_str(),
                  chosen ? "ok" : "FAILED");
      ok = ok && chosen;
    }
    afterAll = MemoryOf(s.pi.hProcess);
    // Time to look at the process from outside (e.g. /proc under Wine).
    if (holdSeconds > 0) {
      std::printf("  holding the console (process %lu) for %d s\n", s.pi.dwProcessId, holdSeconds);
      Sleep(static_cast<DWORD>(holdSeconds) * 1000);
    }
  }
  if (!(main && CloseConsole(s, main, r))) {
    std::printf("  the console was terminated, not closed\n");
    TerminateProcess(s.pi.hProcess, 1);
    WaitForSingleObject(s.pi.hProcess, 5000);
  }
  Release(s);
  return ok;
}

// From a click on a category's node to its frame visible, the loop answering
// again and the window painted, in a console started for that click; -1 when
// it did not show.
double FirstShow(const std::string& exe, const velmaro::console::Category& category) {
  static const velmaro::forms::FormSpec design = velmaro::console::Tweaker::Design();
  const int frameId = IdOf(design, "Fram", category.frame);
  Started s = Launch(exe);
  if (!s.ok) return -1;
  HWND main = nullptr;
  ConsoleRun r = StartConsole(s, main);
  double shown = -1;
  if (main && r.ready >= 0 && r.splashClosed >= 0) {
    RemoteTree tree(GetDlgItem(main, kTreeId), s.pi.hProcess);
    tree.Expand(tree.Root());
    HTREEITEM item = tree.Find(std::string(category.text));
    const double clicked = Now();
    if (item && tree.Click(item)) {
      const double limit = clicked + kTimeoutMs;
      while (Now() < limit) {
        HWND frame = GetDlgItem(main, frameId);
        if (frame && IsWindowVisible(frame) && Answers(main) && Painted(main)) {
          shown = Now() - clicked;
          break;
        }
        Sleep(1);
      }
    }
  }
  if (!(main && CloseConsole(s, main, r))) {
    TerminateProcess(s.pi.hProcess, 1);
    WaitForSingleObject(s.pi.hProcess, 5000);
  }
  Release(s);
  return shown;
}

// Every category's first show, each build taking turns in every round.
void MeasureFirstShows(const std::vector<std::string>& builds, int runs) {
  using velmaro::console::Categories;
  std::vector<std::vector<std::vector<double>>> times(
      builds.size(), std::vector<std::vector<double>>(Categories.size()));
  for (int i = 0; i < runs; ++i)
    for (std::size_t c = 0; c < Categories.size(); ++c)
      for (std::size_t b = 0; b < builds.size(); ++b)
        times[b][c].push_back(FirstShow(builds[b], Categories[c]));
  std::printf("First show of each category, %d runs, ms from the click:\n", runs);
  for (std::size_t b = 0; b < builds.size(); ++b) {
    std::printf(" console (%s)\n", builds[b].c_str());
    for (std::size_t c = 0; c < Categories.size(); ++c)
      PrintRow(std::string(Categories[c].text).c_str(), times[b][c]);
  }
}

std::string Beside(const std::string& name) {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string self(path, n);
  return self.substr(0, self.find_last_of('\\') + 1) + name;
}

// The figures of one console program over all runs.
struct ConsoleSeries {
  explicit ConsoleSeries(std::string program) : exe(std::move(program)) {}
  std::string exe;
  std::vector<double> mainCreated, controlsMade, splashShown, mainShown, ready, splashClosed,
      splashLife, question, ended;

  void Add(const ConsoleRun& c) {
    mainCreated.push_back(c.mainCreated);
    controlsMade.push_back(c.controlsMade);
    splashShown.push_back(c.splashShown);
    mainShown.push_back(c.mainShown);
    ready.push_back(c.ready);
    splashClosed.push_back(c.splashClosed);
    question.push_back(c.questionShown);
    ended.push_back(c.endedAfterYes);
    splashLife.push_back(c.splashShown >= 0 && c.splashClosed >= 0 ? c.splashClosed - c.splashShown
                                                                   : -1);
  }

  void Print(const std::vector<double>& bareReady, const std::vector<double>& regeditReady) const {
    std::printf(" console (%s)\n", exe.c_str());
    PrintRow("main window created", mainCreated);
    PrintRow("its last control created", controlsMade);
    PrintRow("splash visible", splashShown);
    PrintRow("main window visible", mainShown);
    PrintRow("ready (visible, tree filled, loop answers)", ready);
    PrintRow("splash closed", splashClosed);
    PrintRow("splash on screen (closed - visible)", splashLife);
    PrintSeries("every run: console ready", ready);
    PrintRatios("console / bare", ready, bareReady);
    PrintRatios("console / regedit", ready, regeditReady);
    const Stats b = Of(bareReady), c = Of(ready), sc = Of(splashClosed);
    if (b.median > 0 && c.median > 0)
      std::printf("  Ready ratio console/bare (medians): %.2f  (+%.0f%%, goal at most +30%%)\n",
                  c.median / b.median, (c.median / b.median - 1) * 100);
    if (b.min > 0 && c.min > 0)
      std::printf("  Ready ratio console/bare (minimums, least disturbed runs): %.2f\n",
                  c.min / b.min);
    if (b.median > 0 && sc.median > 0)
      std::printf(
          "  Splash-closed ratio console/bare (medians): %.2f (includes the splash's %d ms "
          "minimum)\n",
          sc.median / b.median, velmaro::console::Splash::TimerInterval);
  }
};

// What to run, from the command line.
struct Programs {
  std::string console, bare, floor, regedit;
  std::vector<std::string> against;  // other builds' consoles, in every round
  int runs = 7;
  int holdSeconds = 0;
  bool shows = false;
};

// argv[1]: the build tree; Velmaro.exe is in its console folder. Each
// "--against <tree>" adds that tree's Velmaro.exe to every round, so that
// builds are compared in one run.
Programs ProgramsOf(int argc, char** argv) {
  Programs p;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--against" && i + 1 < argc)
      p.against.push_back(WinePath(argv[++i]) + "\\console\\Velmaro.exe");
    else if (a == "--shows")
      p.shows = true;
    else
      positional.push_back(a);
  }
  const std::string root = !positional.empty() ? WinePath(positional[0]) : ".";
  p.console = root + "\\console\\Velmaro.exe";
  p.bare = Beside("bare_window.exe");
  p.floor = Beside("floor_window.exe");
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  p.regedit = std::string(windows) + "\\regedit.exe";
  if (positional.size() > 1) p.runs = std::max(1, std::atoi(positional[1].c_str()));
  if (positional.size() > 2) p.holdSeconds = std::atoi(positional[2].c_str());
  return p;
}

// Every program in turn, round after round, then the figures.
void MeasureStartUp(const Programs& p) {
  std::vector<double> bareCreated, bareReady, bareEnded, regeditReady;
  std::vector<ConsoleSeries> consoles;
  consoles.emplace_back(p.console);
  for (const std::string& other : p.against) consoles.emplace_back(other);
  consoles.emplace_back(p.floor);
  for (int i = 0; i < p.runs; ++i) {
    const BareRun b = RunBare(p.bare);
    bareCreated.push_back(b.created);
    bareReady.push_back(b.ready);
    bareEnded.push_back(b.ended);
    regeditReady.push_back(RunRegedit(p.regedit).ready);
    for (ConsoleSeries& series : consoles) series.Add(RunConsole(series.exe));
  }

  std::printf("Start-up, %d runs each, ms from just before CreateProcess:\n", p.runs);
  std::printf(" bare window (one empty top-level window and its loop)\n");
  PrintRow("window created", bareCreated);
  PrintRow("ready (visible, loop answers)", bareReady);
  PrintSeries("every run: bare ready", bareReady);
  std::printf(" regedit (%s)\n", p.regedit.c_str());
  PrintRow("ready (visible, tree holds a node, loop answers)", regeditReady);
  for (const ConsoleSeries& series : consoles) series.Print(bareReady, regeditReady);
  std::printf("Closing, ms:\n");
  PrintRow("bare: ended after WM_CLOSE", bareEnded);
  for (const ConsoleSeries& series : consoles) {
    PrintRow("console: question shown after WM_CLOSE", series.question);
    PrintRow("console: ended after Yes", series.ended);
  }
  if (terminatedConsoles)
    std::printf("%d console start(s) (warm-up included) had to be terminated\n",
                terminatedConsoles);
}

// The bare window's memory, then the console's at start and with every
// category opened; false when a category could not be opened.
bool MeasureMemory(const Programs& p) {
  std::printf("Memory:\n");
  Started keep;
  RunBare(p.bare, true, &keep);
  if (keep.ok) {
    PrintMemory("bare window, running", MemoryOf(keep.pi.hProcess));
    for (HWND w : WindowsOf(keep.pi.dwProcessId, "VelmaroBareWindow"))
      PostMessageA(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(keep.pi.hProcess, 5000) != WAIT_OBJECT_0)
      TerminateProcess(keep.pi.hProcess, 1);
    Release(keep);
  }
  Memory atStart, afterAll;
  const bool opened = MeasureConsoleMemory(p.console, p.holdSeconds, atStart, afterAll);
  PrintMemory("console, ready", atStart);
  PrintMemory("console, all categories opened", afterAll);
  if (!opened) std::printf("not every category could be opened\n");
  return opened;
}

}  // namespace

int main(int argc, char** argv) {
  SeeRealPixels();
  const Programs p = ProgramsOf(argc, argv);
  std::setvbuf(stdout, nullptr, _IONBF, 0);

  // One start of each, not counted: the server, the page cache and the
  // prefix's first-use work are warm before the first measured run.
  RunBare(p.bare);
  RunRegedit(p.regedit);
  RunConsole(p.console);
  RunConsole(p.floor);
  for (const std::string& other : p.against) RunConsole(other);
  if (p.shows) {
    std::vector<std::string> builds{p.console};
    builds.insert(builds.end(), p.against.begin(), p.against.end());
    MeasureFirstShows(builds, p.runs);
    return 0;
  }
  MeasureStartUp(p);
  return MeasureMemory(p) ? 0 : 1;
}
