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
        sliShown_(Sli),
        autoScanShown_(AutoScan),
        disSplShown_(DisSpl),
        delayShown_(DelaySl) {
    main.On(forms::Event::Change, Sli.Name(), [this](forms::EventArgs&) {
      MenuDelay.SetCaption(std::string(kMenuDelayCaption) + std::to_string(Sli.Value()));
    });
    main.On(forms::Event::Change, DelaySl.Name(),
            [this](forms::EventArgs&) { Label5.SetCaption(BootDelayCaption(DelaySl.Value())); });
  }

  void Load() override {
    // Where the store holds no choice (first run, after an uninstall, or after
    // it refused an apply's), the file's own lines are shown.
    const BootShown boot = LoadBootShown(sys_.store, sys_.files, bootStoreStale_);
    AutoScan.SetValue(boot.options.autoScan);
    DisSpl.SetValue(boot.options.disSpl);
    DelaySl.SetValue(boot.options.delaySl);
    Label5.SetCaption(BootDelayCaption(boot.options.delaySl));
    // A line another program changes after the load is kept by an apply.
    const auto lines = [this](std::string_view key) {
      return [this, key] { return BootLinesOf(sys_.files, key); };
    };
    autoScanShown_.Note(boot.autoScanFaithful, lines(BootAutoScanKey));
    disSplShown_.Note(boot.logoFaithful, lines(BootLogoKey));
    delayShown_.Note(boot.delayFaithful, lines(BootDelayKey));

    // Smooth scrolling shows the stored state: a first byte other than 0 is on.
    const auto smooth = sys_.reg.GetBinaryValue(HkeyCurrentUser, kDesktop, "SmoothScroll",
                                                Bytes{0, 0, 0}).FirstByte();
    SmoothScroll.SetValue(smooth != 0 ? 1 : 0);
    smoothShown_.Note(HoldsOneOf(sys_.reg, HkeyCurrentUser, kDesktop, "SmoothScroll",
                                 {BinaryWritten({1, 0, 0, 0}), BinaryWritten({0, 0, 0, 0})}),
                      Stored("SmoothScroll"));

    rows_.Load(sys_.reg);
    LoadMenuDelay();
  }

  // Windows1.
  void Apply() override {
    SaveReport report;
    BootApplyResult boot;
    {
      forms::Hourglass busy(main_);
      boot = AutoScan1(report);
      const std::string smooth = forms::DisplayText(SmoothScroll.Caption());
      smoothShown_.Apply(sys_.reg, report, smooth, [&](SaveReport& r) {
        const bool on = SmoothScroll.Value() == 1;
        r.Check(sys_.reg.SaveBinaryValue(HkeyCurrentUser, kDesktop, "SmoothScroll",
                                              on ? Bytes{1, 0, 0, 0} : Bytes{0, 0, 0, 0}),
                     smooth);
      });
      rows_.Apply(sys_.reg, report);
      constexpr std::string_view delay = "Menu Delay time (in milliseconds)";
      sliShown_.Apply(sys_.reg, report, delay, [&](SaveReport& r) {
        r.Check(sys_.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay",
                                              std::to_string(Sli.Value())),
                     delay);
      });
    }
    std::string_view lead;
    if (boot.step == BootStep::SaveSettings)
      lead = BootNotRecordedMessage;
    const std::string failure = boot.ok() || boot.step == BootStep::SaveSettings
                                    ? std::string()
                                    : BootFailureText(boot);
    if (!failure.empty()) lead = failure;
    report.Tell(sys_.toolkit, lead);
  }

private:
  // The menu delay: absent, or the text "-1", is written as the system's 400
  // at once. Any other value is never written by a load.
  void LoadMenuDelay() {
    const auto raw = sys_.reg.GetRawValue(HkeyCurrentUser, kDesktop, "MenuShowDelay");
    std::optional<long long> stored;
    if (raw && raw->IsPlainText())
      stored = WholeNumber(sys_.reg.GetStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay", ""));
    if (!raw || stored == -1) {
      sys_.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay", "400");
      stored = 400;
    }
    // No number (or no text): the system's default is shown, the value kept.
    const long long delay = stored.value_or(400);
    Sli.SetValue(static_cast<int>(std::clamp<long long>(delay, Sli.Min(), Sli.Max())));
    MenuDelay.SetCaption(std::string(kMenuDelayCaption) + std::to_string(delay));
    sliShown_.Note(HoldsOneOf(sys_.reg, HkeyCurrentUser, kDesktop, "MenuShowDelay",
                              {TextWritten(sys_.reg, std::to_string(Sli.Value()))}),
                   Stored("MenuShowDelay"));
  }

  Probe Stored(std::string_view value) const {
    return [this, value] { return StoredState(sys_.reg, HkeyCurrentUser, kDesktop, value); };
  }

  BootApplyResult AutoScan1(SaveReport& report) {
    BootOptions options;
    options.autoScan = AutoScan.Value();
    options.disSpl = DisSpl.Value();
    options.delaySl = DelaySl.Value();
    // File lines the panel could not show, or that another program changed
    // since the load, stay as they are unless the user changed the control.
    const auto keep = [&](const Shown& shown, std::string_view what, std::string_view key) {
      return !shown.Writes(report, what, [&] {
        return BootLinesOf(sys_.files, key) != BootLineFor(key, options);
      });
    };
    options.keepAutoScan =
        keep(autoScanShown_, forms::DisplayText(AutoScan.Caption()), BootAutoScanKey);
    options.keepLogo = keep(disSplShown_, forms::DisplayText(DisSpl.Caption()), BootLogoKey);
    options.keepBootDelay = keep(delayShown_, "Boot delay time (in seconds)", BootDelayKey);
    std::string windows;
    sys_.files.WindowsDirectory(windows);
    Text1.SetText(windows);
    const BootApplyResult result = ApplyBootOptions(sys_.files, sys_.store, options);
    if (result.ok())
      bootStoreStale_ = false;
    else if (result.step == BootStep::SaveSettings)
      bootStoreStale_ = true;
    if (!options.keepAutoScan) autoScanShown_.Written();
    if (!options.keepLogo) disSplShown_.Written();
    if (!options.keepBootDelay) delayShown_.Written();
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
  Shown smoothShown_, sliShown_, autoScanShown_, disSplShown_, delayShown_;
  bool bootStoreStale_ = false;  // the boot file holds choices the store does not
};

}  // namespace

const PanelKind WindowsPanel{&Layout, &MakePanel<Windows>};

}  // namespace velmaro::console
