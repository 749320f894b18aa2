// The Windows panel: smooth scrolling, window contents while dragging, the
// menu delay, and the three boot options that live in c:\msdos.sys.
#include <algorithm>

#include "console/boot_options.h"
#include "console/categories.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"

namespace velmaro::console {
namespace {

using namespace forms::design;
using platform::HkeyCurrentUser;

constexpr std::string_view kDesktop = "control panel\\desktop";
constexpr std::string_view kMenuDelayCaption = "Menu Delay time (in milliseconds) : ";

constexpr SwitchRow kRows[]{
    {"ShowWindCont", SwitchRule::TextNumberState, HkeyCurrentUser, kDesktop, "DragFullWindows", ""},
};

void Layout(forms::FormSpec& f, int frame) {
  using namespace grid;
  const auto in = [frame](forms::ControlSpec c) { return InPanel(std::move(c), frame); };
  f.Add(in(CheckBox("SmoothScroll",
                    "Enable Windows smooth scrolling (Change will take place the next time you "
                    "Login)",
                    {Left, 28, Wide, 20})));
  f.Add(in(CheckBox("ShowWindCont",
                    "Show window contents while dragging (Change will take place the next time "
                    "you Login)",
                    {Left, 28 + Row, Wide, 20})));
  f.Add(in(Label("MenuDelay", "Menu Delay time (in milliseconds) :", {Left, 94, 300, 16})));
  f.Add(in(Slider("Sli", 0, 999, {Left, 112, 420, 30})
               .Changes(1, 5)
               .Ticks(forms::TickStyle::None)));
  f.Add(in(CheckBox("AutoScan", "Auto Scan at startup", {Left, 166, 300, 20})));
  f.Add(in(CheckBox("DisSpl", "Disable Windows splash screen while startup",
                    {Left, 166 + Row, 400, 20})));
  f.Add(in(Label("Label5", "Boot delay time(in seconds) : 2", {Left, 230, 300, 16})));
  f.Add(in(Slider("DelaySl", 0, 5, {Left, 248, 200, 36})
               .Changes(1, 2)
               .Ticks(forms::TickStyle::BottomRight, 1)
               .Value(2)));
  f.Add(in(TextBox("Text1", "Text1", {Left, 300, 100, 20}).Hidden()));
}

class Windows final : public Panel {
public:
  explicit Windows(Tweaker& main)
      : main_(main),
        sys_(main.System()),
        SmoothScroll(main.Get<forms::CheckBox>("SmoothScroll")),
        MenuDelay(main.Get<forms::Label>("MenuDelay")),
        Sli(main.Get<forms::Slider>("Sli")),
        AutoScan(main.Get<forms::CheckBox>("AutoScan")),
        DisSpl(main.Get<forms::CheckBox>("DisSpl")),
        Label5(main.Get<forms::Label>("Label5")),
        DelaySl(main.Get<forms::Slider>("DelaySl")),
        Text1(main.Get<forms::TextBox>("Text1")),
        rows_(kRows, main),
        smoothShown_(SmoothScroll),
        sliShown_(Sli) {
    main.On(forms::Event::Change, Sli.Name(), [this](forms::EventArgs&) {
      MenuDelay.SetCaption(std::string(kMenuDelayCaption) + std::to_string(Sli.Value()));
    });
    main.On(forms::Event::Change, DelaySl.Name(),
            [this](forms::EventArgs&) { Label5.SetCaption(BootDelayCaption(DelaySl.Value())); });
  }

  void Load() override {
    BootOptions boot = LoadBootOptions(sys_.store);
    // After the store refused an apply's choices, the file holds the truth.
    if (bootStoreStale_) boot = BootOptionsInFile(sys_.files, boot);
    AutoScan.SetValue(boot.autoScan);
    DisSpl.SetValue(boot.disSpl);
    DelaySl.SetValue(boot.delaySl);
    Label5.SetCaption(BootDelayCaption(boot.delaySl));

    // Smooth scrolling shows the stored state: a first byte other than 0 is on.
    const auto smooth = sys_.reg.GetBinaryValue(HkeyCurrentUser, kDesktop, "SmoothScroll",
                                                Bytes{0, 0, 0}).FirstByte();
    SmoothScroll.SetValue(smooth != 0 ? 1 : 0);
    smoothShown_.Note(smooth <= 1);

    rows_.Load(sys_.reg);
    LoadMenuDelay();
  }

  // Windows1.
  void Apply() override {
    SaveReport report;
    BootApplyResult boot;
    {
      forms::Hourglass busy(main_);
      boot = AutoScan1();
      if (smoothShown_.MayWrite()) {
        const bool on = SmoothScroll.Value() == 1;
        report.Check(sys_.reg.SaveBinaryValue(HkeyCurrentUser, kDesktop, "SmoothScroll",
                                              on ? Bytes{1, 0, 0, 0} : Bytes{0, 0, 0, 0}),
                     forms::DisplayText(SmoothScroll.Caption()));
      }
      rows_.Apply(sys_.reg, report);
      if (sliShown_.MayWrite())
        report.Check(sys_.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay",
                                              std::to_string(Sli.Value())),
                     "Menu Delay time (in milliseconds)");
    }
    std::string_view lead;
    if (boot.step == BootStep::SaveSettings)
      lead = BootNotRecordedMessage;
    else if (!boot.ok())
      lead = BootFailedMessage;
    report.Tell(sys_.toolkit, lead);
  }

private:
  // The menu delay: absent (or -1) is written as the system's 400 at once.
  void LoadMenuDelay() {
    const std::string text =
        sys_.reg.GetStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay", "-1");
    const auto stored = WholeNumber(text);
    long long delay = stored.value_or(0);
    bool faithful = stored.has_value();
    if (faithful && delay == -1) {
      sys_.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay", "400");
      delay = 400;
    } else if (!faithful) {
      delay = 400;  // no number: show the system's default, keep the text
    }
    Sli.SetValue(static_cast<int>(std::clamp<long long>(delay, Sli.Min(), Sli.Max())));
    faithful = faithful && delay >= Sli.Min() && delay <= Sli.Max();
    MenuDelay.SetCaption(std::string(kMenuDelayCaption) + std::to_string(delay));
    sliShown_.Note(faithful);
  }

  BootApplyResult AutoScan1() {
    BootOptions options;
    options.autoScan = AutoScan.Value();
    options.disSpl = DisSpl.Value();
    options.delaySl = DelaySl.Value();
    std::string windows;
    sys_.files.WindowsDirectory(windows);
    Text1.SetText(windows);
    const BootApplyResult result = ApplyBootOptions(sys_.files, sys_.store, options);
    if (result.ok())
      bootStoreStale_ = false;
    else if (result.step == BootStep::SaveSettings)
      bootStoreStale_ = true;
    return result;
  }

  Tweaker& main_;
  ConsoleSystem& sys_;
  forms::CheckBox& SmoothScroll;
  forms::Label& MenuDelay;
  forms::Slider& Sli;
  forms::CheckBox& AutoScan;
  forms::CheckBox& DisSpl;
  forms::Label& Label5;
  forms::Slider& DelaySl;
  forms::TextBox& Text1;
  SwitchTable rows_;  // ShowWindCont
  Shown smoothShown_, sliShown_;
  bool bootStoreStale_ = false;  // the boot file holds choices the store does not
};

}  // namespace

const PanelKind WindowsPanel{&Layout, &MakePanel<Windows>};

}  // namespace velmaro::console
