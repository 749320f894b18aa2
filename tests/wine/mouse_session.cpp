// The Mouse panel of the real Velmaro.exe, driven from another process in two
// sessions of one Wine prefix (tests/wine/mouse_restart.sh restarts its
// wineserver in between):
//   --apply          tries a time in the test box, applies a double-click time
//                    and left-handed mode, and checks that this process sees both;
//   --after-restart  checks that both survived the new session, that the panel
//                    shows them, and puts the prefix's defaults back.
// A process keeps the settings it has read once, so each check asks a fresh
// one: this program again, with --report.
#include <string>

#include "wine/console_drive.h"

namespace {

using namespace velmaro::e2e;

constexpr UINT kKeepAndTell = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;
constexpr unsigned kApplied = 650;

void KeepSettings(unsigned time, bool swapped) {
  SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, time, nullptr, kKeepAndTell);
  SystemParametersInfoA(SPI_SETMOUSEBUTTONSWAP, swapped, nullptr, kKeepAndTell);
}

bool Swapped() { return GetSystemMetrics(SM_SWAPBUTTON) != 0; }

std::string Report() { return std::to_string(GetDoubleClickTime()) + (Swapped() ? " swapped" : " normal"); }

// What a process started now sees, as "650 swapped".
std::string SeenElsewhere() {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string out = OutputOf("\"" + std::string(self) + "\" --report");
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

bool OpenMousePanel(Console& c, const std::string& exe) {
  return c.Start(exe) && c.check(c.Choose("Mouse") && c.Shows("Mouse") &&
                                     c.ApplyCaption() == "Apply 'Mouse' settings..." &&
                                     IsWindowEnabled(c.Item("Apply")),
                                 "\"Mouse\" shows its panel and offers Apply");
}

int Apply(const std::string& exe) {
  Console c;
  auto& check = c.check;
  KeepSettings(500, false);
  check(SeenElsewhere() == "500 normal", "the session starts at 500 ms, right-handed");
  if (!OpenMousePanel(c, exe)) return 1;
  check(TextOf(c.Item("Prompt")) == "500 Milliseconds" && c.Checked("Right1"),
        "the panel shows 500 ms and right-handed mode");
  SendMessageA(c.Item("Slide"), TBM_SETPOS, TRUE, kApplied - 1);
  Key(c.Item("Slide"), VK_RIGHT);
  check(WaitFor([&] { return TextOf(c.Item("Prompt")) == "650 Milliseconds"; }),
        "the slider moves to 650 ms");
  check(SeenElsewhere() == "500 normal", "moving the slider changes nothing yet");

  // The test box: the slider's time while the pointer is over it.
  PostMessageA(c.Item("TestArea"), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  check(WaitFor([] { return SeenElsewhere() == "650 normal"; }),
        "over the test box the slider's time is in force");
  PostMessageA(c.Item("Fram", velmaro::console::CategoryOfText("Mouse")->frame), WM_MOUSEMOVE, 0, MAKELPARAM(5, 300));
  check(WaitFor([] { return SeenElsewhere() == "500 normal"; }),
        "back over the panel the saved time returns");

  c.Press("Left1");
  check(WaitFor([&] { return c.Checked("Left1") && !c.Checked("Right1"); }), "Left-Handed mode chosen");
  c.Press("Apply");
  check(WaitFor([] { return SeenElsewhere() == "650 swapped"; }),
        "after Apply another process sees 650 ms and the buttons swapped");
  check(!VisibleWindow("#32770", "Information"), "no restart notice for the mouse");
  check(c.Quit(), "the console closes");
  std::printf("%d failure(s)\n", check.failures);
  return check.failures ? 1 : 0;
}

int AfterRestart(const std::string& exe) {
  Console c;
  auto& check = c.check;
  check(Report() == "650 swapped",
        "in a new session the double-click time is still 650 ms and the buttons still swapped");
  if (OpenMousePanel(c, exe))
    check(TextOf(c.Item("Prompt")) == "650 Milliseconds" && c.Checked("Left1"),
          "the panel shows them");
  check(c.Quit(), "the console closes");
  KeepSettings(500, false);
  check(SeenElsewhere() == "500 normal", "the prefix is back at 500 ms, right-handed");
  std::printf("%d failure(s)\n", check.failures);
  return check.failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  SeeRealPixels();
  if (argc == 2 && std::string(argv[1]) == "--report") {
    std::printf("%s\n", Report().c_str());
    return 0;
  }
  if (argc < 3) {
    std::printf("usage: mouse_session <build tree> --apply | --after-restart\n");
    return 2;
  }
  const std::string exe = WinePath(argv[1]) + "\\console\\Velmaro.exe";
  const std::string mode = argv[2];
  if (mode == "--apply") return Apply(exe);
  if (mode == "--after-restart") return AfterRestart(exe);
  return 2;
}
