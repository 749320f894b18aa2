#include "console/splash.h"

#include "console/resource_ids.h"
#include "console/tweaker.h"

namespace velmaro::console {

using namespace forms::design;
using forms::Event;

forms::FormSpec Splash::Design() {
  forms::FormSpec f;
  f.name = "frmSplash";
  f.caption = "Velmaro";
  f.clientWidth = 323;
  f.clientHeight = 153;
  f.border = forms::BorderStyle::None;
  f.Add(Picture("Picture1", VELMARO_IDB_SPLASH, {0, 0, 323, 153}));
  f.Add(Timer("Timer1", TimerInterval, false));
  return f;
}

Splash::Splash(ConsoleSystem& system, Tweaker& main)
    : Form(Design()), system_(system), main_(main) {
  On(Event::Load, [this](forms::EventArgs&) { OnLoad(); });
  On(Event::Timer, "Timer1", [this](forms::EventArgs&) { OnTick(); });
  OnClick("Picture1", [this] { OnPictureClick(); });
}

void Splash::OnLoad() {
  if (!main_.ClickFlag) Get<forms::Timer>("Timer1").SetEnabled(true);
}

void Splash::OnTick() {
  auto& timer = Get<forms::Timer>("Timer1");
  timer.SetEnabled(false);
  if (main_.SplashFlag) {
    main_.SplashFlag = false;
    main_.ClickFlag = true;
    system_.toolkit.Unload(*this);
  } else {
    // The main window is still loading: look again one interval later.
    timer.SetEnabled(true);
  }
}

void Splash::OnPictureClick() {
  if (main_.ClickFlag) system_.toolkit.Unload(*this);
}

}  // namespace velmaro::console
