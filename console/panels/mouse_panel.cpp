// The Mouse panel: the double-click time on a slider with a box to try it in,
// and the order of the buttons. Apply calls the system directly and saves
// both settings as the system's control panel does, so that they outlive the
// session; the time tried in the box is never saved.
#include "console/categories.h"
#include "console/resource_ids.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"

namespace velmaro::console {
namespace {

using namespace forms::design;
using forms::Event;
using forms::EventArgs;

constexpr int kFastest = 100;  // milliseconds, the slider's ends
constexpr int kSlowest = 900;
constexpr unsigned kSystemDefault = 400;  // the time the prompt calls the default
constexpr int kMousePanel = 2;            // Fram element of this panel

std::string PromptFor(unsigned ms) {
  return std::to_string(ms) + (ms == kSystemDefault ? " Milliseconds (Default)" : " Milliseconds");
}

void Layout(forms::FormSpec& f, int frame) {
  using namespace grid;
  const auto in = [frame](forms::ControlSpec c) { return InPanel(std::move(c), frame); };
  f.Add(in(Label("Label1", "Double click speed :", {Left, 30, 300, 16})));
  f.Add(in(Label("Label8", "Fast", {Left, 60, 34, 16})));
  f.Add(in(Slider("Slide", kFastest, kSlowest, {Left + 36, 54, 300, 30})
               .Changes(1, 1)
               .Ticks(forms::TickStyle::BottomRight, 100)
               .Value(500)));
  f.Add(in(Label("Label4", "Slow", {Left + 342, 60, 40, 16})));
  f.Add(in(Label("Prompt", PromptFor(500), {Left + 36, 90, 300, 16})));
  // The box to try the speed in: the slider's time is in force while the
  // pointer is over it.
  f.Add(in(Picture("TestArea", 0, {Left + 410, 30, 130, 90}).Bordered()));
  f.Add(Label("Test", " Double click in         this box.", {14, 38, 100, 34})
            .At(0)
            .In("TestArea"));
  f.Add(Label("Test", "    Test area ", {14, 10, 100, 16}).At(1).In("TestArea"));
  f.Add(in(Label("Label2", "Swap mouse buttons :", {Left, 150, 200, 16})));
  f.Add(in(OptionButton("Right1", "Right-Handed mode", {Left + 16, 174, 200, 20}).Value(1)));
  f.Add(in(OptionButton("Left1", "Left-Handed mode", {Left + 16, 200, 200, 20})));
  f.Add(in(Picture("Image1", VELMARO_IDB_MOUSE_RIGHT_HANDED, {Left + 240, 150, 64, 88})
               .Bordered()));
}

class Mouse final : public Panel {
public:
  explicit Mouse(Tweaker& main)
      : main_(main),
        sys_(main.System()),
        Slide(main.Get<forms::Slider>("Slide")),
        Prompt(main.Get<forms::Label>("Prompt")),
        Right1(main.Get<forms::OptionButton>("Right1")),
        Left1(main.Get<forms::OptionButton>("Left1")),
        Image1(main.Get<forms::Picture>("Image1")),
        slideShown_(Slide),
        swapShown_(Right1) {
    main.On(Event::Change, Slide.Name(),
            [this](EventArgs&) { Prompt.SetCaption(PromptFor(Slide.Value())); });
    for (const char* box : {"TestArea", "Test"}) {
      main.On(Event::MouseMove, box, [this](EventArgs&) { Continue(); });
      main.On(Event::DblClick, box, [this](EventArgs&) { OnTestDoubleClick(); });
    }
    main.On(Event::MouseMove, "Fram", kMousePanel, [this](EventArgs&) { EndTrial(); });
    main.OnClick(Right1.Name(), [this] { ShowDrawing(); });
    main.OnClick(Left1.Name(), [this] { ShowDrawing(); });
  }

  void Load() override {
    SavedClickTime = sys_.mouse.DoubleClickTime();
    // A time outside the slider's range shows at its nearest end; the prompt
    // names the real time, and Apply leaves it alone unless the slider moves.
    Slide.SetValue(static_cast<int>(std::min<unsigned>(SavedClickTime, kSlowest)));
    slideShown_.Note(SavedClickTime >= kFastest && SavedClickTime <= kSlowest,
                     [this] { return ClickTimes(); });
    Prompt.SetCaption(PromptFor(SavedClickTime));
    TrialActive = false;
    // The buttons show the order in force, so that an apply keeps it.
    (sys_.mouse.ButtonsSwapped() ? Left1 : Right1).SetValue(true);
    swapShown_.Note(true, [this] { return ButtonOrders(); });
    ShowDrawing();
  }

  // Mouse1.
  void Apply() override {
    SaveReport report;
    {
      forms::Hourglass busy(main_);
      const unsigned time = TimeChosen();
      if (slideShown_.Writes(report, "Double click speed",
                             [&] { return ClickTimes() != Both(time); })) {
        sys_.mouse.SetDoubleClickTime(time);
        SavedClickTime = time;
        report.Check(sys_.mouse.SaveDoubleClickTime(time), "Double click speed");
        slideShown_.Written();
      }
      const bool leftHanded = !Right1.Value();
      if (swapShown_.Writes(report, "Swap mouse buttons",
                            [&] { return ButtonOrders() != Both(leftHanded); })) {
        sys_.mouse.SwapButtons(leftHanded);
        report.Check(sys_.mouse.SaveButtonsSwapped(leftHanded), "Swap mouse buttons");
        swapShown_.Written();
      }
    }
    report.Tell(sys_.toolkit);
  }

private:
  // What the session and the next log-on hold: another program may change
  // either while the panel is shown.
  std::string ClickTimes() {
    return Both(sys_.mouse.DoubleClickTime(), sys_.mouse.KeptDoubleClickTime());
  }
  std::string ButtonOrders() {
    return Both(sys_.mouse.ButtonsSwapped(), sys_.mouse.KeptButtonsSwapped());
  }
  static std::string Both(unsigned session, unsigned kept) {
    return std::to_string(session) + "/" + std::to_string(kept);
  }
  static std::string Both(unsigned both) { return Both(both, both); }

  // The slider's time, or the time in force while the slider still shows a
  // time outside its range.
  unsigned TimeChosen() const {
    return slideShown_.MayWrite() ? static_cast<unsigned>(Slide.Value()) : SavedClickTime;
  }

  // The pointer is over the test box: the slider's time is tried, once.
  void Continue() {
    if (TrialActive) return;
    sys_.mouse.SetDoubleClickTime(TimeChosen());
    TrialActive = true;
  }

  // The pointer is over the panel outside the box: the saved time is back.
  void EndTrial() {
    if (!TrialActive) return;
    sys_.mouse.SetDoubleClickTime(SavedClickTime);
    TrialActive = false;
  }

  void OnTestDoubleClick() {
    sys_.toolkit.MsgBox("You have double clicked at the right speed.", "Test successful",
                        forms::mb::Ok | forms::mb::IconInformation);
  }

  void ShowDrawing() {
    Image1.SetBitmap(Left1.Value() ? VELMARO_IDB_MOUSE_LEFT_HANDED
                                   : VELMARO_IDB_MOUSE_RIGHT_HANDED);
  }

  Tweaker& main_;
  ConsoleSystem& sys_;
  forms::Slider& Slide;
  forms::Label& Prompt;
  forms::OptionButton& Right1;
  forms::OptionButton& Left1;
  forms::Picture& Image1;
  Shown slideShown_, swapShown_;
  unsigned SavedClickTime = 0;  // the time put back when the pointer leaves the box
  bool TrialActive = false;     // the slider's time is in force as a trial
};

}  // namespace

const PanelKind MousePanel{&Layout, &MakePanel<Mouse>};

}  // namespace velmaro::console
