// The real console killed (TerminateProcess) at spread moments of an Apply
// and of an Undo, again and again: after each kill, the next start finds the
// history and the system in agreement. Every change that was made can be
// undone, without a question (nothing else changed meanwhile), and a step
// already taken back is not offered again. Prints how many kills landed in
// the middle of a step, and how many left a disagreement (must be none).
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "wine/console_drive.h"

namespace {

using namespace velmaro::e2e;

const char* const kPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char* const kValues[] = {"NoStartBanner", "NoLogOff", "NoRun", "NoFind", "NoRecentDocsMenu",
                               "NoFavoritesMenu"};
constexpr int kKills = 60;

std::string StartMenuState() {
  std::string state;
  for (const char* v : kValues) state += std::string(v) + "=" + Raw(HKEY_CURRENT_USER, kPolicies, v) + ";";
  return state;
}

std::size_t StepsIn(const std::string& history) {
  std::size_t steps = 0;
  for (auto at = history.find("\r\nend "); at != std::string::npos; at = history.find("\r\nend ", at + 1))
    ++steps;
  return steps;
}

}  // namespace

int main(int argc, char** argv) {
  SeeRealPixels();
  const std::string root = argc > 1 ? WinePath(argv[1]) : ".";
  const std::string exe = root + "\\console\\Velmaro.exe";
  const int kills = argc > 2 ? std::atoi(argv[2]) : kKills;
  Checker check;
  const std::string history = UndoHistoryFile();
  DeleteFileA(history.c_str());
  SetRaw(HKEY_CURRENT_USER, "Software\\Velmaro\\Settings", "ShowMess", REG_SZ, std::string("0", 2));
  for (const char* v : kValues) RemoveRaw(HKEY_CURRENT_USER, kPolicies, v);
  const std::string first = StartMenuState();

  // How long an Apply and an Undo take here, from the click to their end:
  // the kills are spread over that time and a little past it.
  double applyMs = 0, undoMs = 0;
  {
    Console c;
    if (!c.Start(exe) || !c.Choose("Start Menu")) return 1;
    c.Press("HideRun");
    c.Press("HideFind");
    c.Idle();
    double t0 = Now();
    c.Press("Apply");
    WaitFor([&] { return IsWindowEnabled(c.Item("Undo")) != 0; }, 10000);
    c.Idle();
    applyMs = Now() - t0;
    t0 = Now();
    c.Press("Undo");
    WaitFor([] { return VisibleWindow("#32770", "Velmaro") != nullptr; }, 10000);
    undoMs = Now() - t0;
    AnswerBox("Velmaro", IDOK);
    c.Kill();
  }
  check(StartMenuState() == first && StepsIn(FileBytes(history)) == 0, "a timed Apply and Undo leave nothing");
  std::printf("an Apply takes %.0f ms, an Undo %.0f ms\n", applyMs, undoMs);

  // Once in a CI run, Wine crashed a starting console inside gdi32 (a read
  // at 0x536, not reproduced here in 1,000 starts) before its first window. A start
  // that ends that way is tried once more and counted; one that fails again
  // (as a start on a history it cannot read would) fails the test.
  int endedStarts = 0;
  auto start = [&](std::optional<Console>& c, const char* box = nullptr, std::string* said = nullptr) {
    for (int attempt = 0; attempt < 2; ++attempt) {
      c.emplace();
      if (c->Start(exe, box, said)) return true;
      if (!c->endedAtStart) return false;
      ++endedStarts;
      std::printf("     the console ended before its window; starting it once more\n");
    }
    return false;
  };

  int done = 0, midStep = 0, beforeAny = 0, afterAll = 0, disagreements = 0;
  for (int i = 0; i < kills; ++i) {
    const bool duringUndo = i % 2 == 1;
    // Spread from the click to a little past the end of the Apply or Undo.
    const int delay = static_cast<int>((duringUndo ? undoMs : applyMs) * ((i / 2) % 25) / 20.0);
    {
      std::optional<Console> started;
      if (!start(started)) return 1;
      Console& c = *started;
      if (!c.Choose("Start Menu")) {
        check(false, "the Start Menu shows");
        return 1;
      }
      c.Press("HideRun");
      c.Press("HideFind");
      if (duringUndo) {
        c.Press("Apply");
        if (!WaitFor([&] { return IsWindowEnabled(c.Item("Undo")) != 0; }) || !c.Idle()) {
          check(false, "the Apply before the Undo is recorded");
          return 1;
        }
      }
      c.Idle();
      c.Press(duringUndo ? "Undo" : "Apply");
      Sleep(static_cast<DWORD>(delay));
      c.Kill();
    }
    ++done;
    const std::string after = FileBytes(history);
    const bool changed = StartMenuState() != first;
    if (after.find("\r\nstate ") != std::string::npos) {
      ++midStep;
    } else if (duringUndo ? StepsIn(after) == 1 : StepsIn(after) == 0 && !changed) {
      ++beforeAny;
    } else {
      ++afterAll;
    }
    // The next start: undo whatever is offered.
    bool asked = false, refused = false;
    int undone = 0;
    {
      std::optional<Console> started;
      std::string atStart;  // an interrupted Undo, finished at start
      if (!start(started, "Velmaro", &atStart)) return 1;
      Console& c = *started;
      Sleep(300);
      while (IsWindowEnabled(c.Item("Undo")) && undone < 4) {
        c.Press("Undo");
        if (AnswerBoxIfAny("Confirmation", IDYES, 700)) asked = true;
        std::string said;
        if (AnswerBox("Velmaro", IDOK, &said) && said.find("Undone:") != 0) refused = true;
        ++undone;
        Sleep(100);
      }
      c.Kill();
    }
    const bool agree = StartMenuState() == first && !asked && !refused && StepsIn(FileBytes(history)) == 0;
    if (!agree) {
      ++disagreements;
      std::printf("     kill %d (%s, %d ms): %s%s%s%d undone\n", i, duringUndo ? "undo" : "apply", delay,
                  StartMenuState() == first ? "" : "values differ; ", asked ? "asked; " : "",
                  refused ? "refused; " : "", undone);
    }
  }
  std::printf("kills: %d (%d during Apply, %d during Undo); in the middle of a step: %d; before "
              "any change: %d; after the step was complete: %d; disagreements: %d\n",
              done, (done + 1) / 2, done / 2, midStep, beforeAny, afterAll, disagreements);
  check(done >= 50, "at least 50 kills");
  check(endedStarts <= 2, "at most two starts ended before their window (" + std::to_string(endedStarts) + ")");
  check(midStep > 0, "some kills landed in the middle of a step");
  check(disagreements == 0, "after every kill, history and system agree");
  std::printf("%d failure(s)\n", check.failures);
  return check.failures == 0 ? 0 : 1;
}
