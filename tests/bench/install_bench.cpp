// The installation run of the real Setup.exe, timed from outside, against a
// bare program that copies the same five files and makes the same two links.
// Not a test: run it under Wine and read the figures. It empties the
// prefix's Velmaro settings and uninstall entry when it ends.
//
// Setup is walked to page 4, then "St&art installing" is clicked. Setup
// shows page 5, disables Next and arms its 1250 ms timer; when the run has
// ended it enables Next again. The bare program's "Start" makes the shortcut
// folder, disables itself and arms the same timer, whose handler copies and
// links and then enables "Done". Both buttons are polled every millisecond
// through their enabled state, which the system answers without the busy
// program's help. Two spans are kept, each less the timer's 1250 ms:
//   run:   from the button turning disabled (the timer armed) to done;
//   click: from the click to done, which adds Setup's change to page 5.
// The programs take turns, after one unmeasured run of each; minimum and
// median are printed. Under Wine each link saved in the Start menu starts
// the menu builder (winemenubuilder.exe), which then runs beside the rest of
// Setup's run but after the bare program's end; WINEDLLOVERRIDES=
// "winemenubuilder.exe=d" leaves it out of both.
//
//   install_bench <build tree> [runs]
#include <windows.h>
// After windows.h.
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "setup/wizard.h"
#include "wine/wine_drive.h"

namespace {

using namespace velmaro::e2e;

const velmaro::forms::FormSpec kWizard = velmaro::setup::Wizard::Design();
constexpr double kTimerMs = 1250;
constexpr const char* kSetupFolder = "C:\\Velmaro Bench";
constexpr const char* kBareFolder = "C:\\Bare Bench";
constexpr const char* kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmaro 1.0";

std::string ProgramsFolder() {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

struct Program {
  PROCESS_INFORMATION pi{};
  bool Start(std::string commandLine, const std::string& folder) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &si, &pi) != 0;
  }
  ~Program() {
    if (!pi.hProcess) return;
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
};

struct Span {
  double click = -1;  // from the click
  double run = -1;    // from the timer armed
};

// Clicks `button` and times it turning disabled, then enabled again, polled
// each ms; the timer's 1250 ms come off both spans.
Span Time(HWND button) {
  Span span;
  const double t0 = Now();
  double armed = -1;
  PostMessageA(button, BM_CLICK, 0, 0);
  while (Now() - t0 < 30000) {
    const bool enabled = IsWindowEnabled(button) != FALSE;
    const double t = Now();
    if (!enabled && armed < 0) armed = t;
    if (enabled && armed >= 0) {
      span.click = t - t0 - kTimerMs;
      span.run = t - armed - kTimerMs;
      return span;
    }
    Sleep(1);
  }
  return span;
}

Span SetupRun(const std::string& dist, const std::string& links) {
  RemoveTree(kSetupFolder);
  RemoveTree(links);
  CreateDirectoryA(kSetupFolder, nullptr);  // no create question on page 3
  Program setup;
  if (!setup.Start("\"" + dist + "\\Setup.exe\"", dist)) return {};
  HWND w = nullptr;
  auto item = [&](const char* name) { return GetDlgItem(w, IdOf(kWizard, name)); };
  if (!WaitFor([&] { return (w = VisibleWindow("VelmaroForm", "Velmaro setup - Step 1")) && item("ExitSetup"); },
               20000))
    return {};
  auto next = [&](int to) {
    PostMessageA(item("NextStep"), BM_CLICK, 0, 0);
    return WaitFor([&] { return TextOf(w) == "Velmaro setup - Step " + std::to_string(to); });
  };
  if (!next(2) || !next(3)) return {};
  SendMessageA(item("TextCopy"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kSetupFolder));
  if (!next(4)) return {};
  SendMessageA(item("Text1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Velmaro Bench"));
  HWND button = item("NextStep");
  const Span span = Time(button);
  if (span.run < 0 || !next(6)) return {};
  PostMessageA(item("Start"), BM_CLICK, 0, 0);
  WaitFor([&] { return SendMessageA(item("Start"), BM_GETCHECK, 0, 0) == BST_UNCHECKED; });
  PostMessageA(button, BM_CLICK, 0, 0);
  return span;
}

Span BareRun(const std::string& bare, const std::string& dist, const std::string& links) {
  RemoveTree(kBareFolder);
  RemoveTree(links);
  CreateDirectoryA(kBareFolder, nullptr);
  Program program;
  if (!program.Start("\"" + bare + "\" \"" + dist + "\" \"" + kBareFolder + "\" \"" + links + "\"", dist))
    return {};
  HWND w = nullptr;
  if (!WaitFor([&] { return (w = VisibleWindow("VelmaroBareInstall", "Bare install")) && GetDlgItem(w, 2); },
               20000))
    return {};
  // "Start" turns disabled; "Done" turning enabled ends the span.
  HWND start = GetDlgItem(w, 1), done = GetDlgItem(w, 2);
  Span span;
  const double t0 = Now();
  double armed = -1;
  PostMessageA(start, BM_CLICK, 0, 0);
  while (Now() - t0 < 30000 && span.run < 0) {
    const double t = Now();
    if (armed < 0 && !IsWindowEnabled(start)) armed = t;
    if (armed >= 0 && IsWindowEnabled(done)) {
      span.click = t - t0 - kTimerMs;
      span.run = t - armed - kTimerMs;
    }
    Sleep(1);
  }
  PostMessageA(w, WM_CLOSE, 0, 0);
  return span;
}

double Median(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

double Min(const std::vector<double>& ms) { return *std::min_element(ms.begin(), ms.end()); }

void Report(const char* what, const std::vector<double>& setup, const std::vector<double>& bare) {
  std::printf("%s (ms, less the timer)\n", what);
  std::printf("  Setup   min %7.1f  median %7.1f\n", Min(setup), Median(setup));
  std::printf("  bare    min %7.1f  median %7.1f\n", Min(bare), Median(bare));
  std::printf("  ratio   %.2fx by minimum, %.2fx by median\n", Min(setup) / Min(bare),
              Median(setup) / Median(bare));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string root = argc > 1 ? WinePath(argv[1]) : ".";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
  const std::string dist = root + "\\dist";
  const std::string bare = root + "\\tests\\bare_install.exe";
  const std::string programs = ProgramsFolder();
  const std::string setupLinks = programs + "\\Velmaro Bench";
  const std::string bareLinks = programs + "\\Bare Bench";
  std::vector<double> setupRun, setupClick, bareRun, bareClick;
  for (int i = -1; i < runs; ++i) {  // run -1 warms both up and is not kept
    const Span s = SetupRun(dist, setupLinks);
    const Span b = BareRun(bare, dist, bareLinks);
    if (s.run < 0 || b.run < 0) {
      std::printf("run %d failed\n", i);
      return 1;
    }
    if (i < 0) continue;
    setupRun.push_back(s.run);
    setupClick.push_back(s.click);
    bareRun.push_back(b.run);
    bareClick.push_back(b.click);
  }
  std::printf("%d runs each, taking turns\n", runs);
  Report("The installation run, from the timer armed", setupRun, bareRun);
  Report("From the click, with Setup's change to page 5", setupClick, bareClick);
  // Leave the prefix as it was.
  RemoveTree(kSetupFolder);
  RemoveTree(kBareFolder);
  RemoveTree(setupLinks);
  RemoveTree(bareLinks);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmaro");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
  return 0;
}
