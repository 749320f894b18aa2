#pragma once
// frmSplash: the picture shown while the main window loads. It closes itself
// on the first tick of its 500 ms timer after the main window has loaded, so
// it stays at least one interval even when loading is fast.
#include "console/console_system.h"
#include "platform/forms/form.h"

namespace velmaro::console {

class Tweaker;

class Splash : public forms::Form {
public:
  Splash(ConsoleSystem& system, Tweaker& main);
  static forms::FormSpec Design();
  static constexpr int TimerInterval = 500;

private:
  void OnLoad();
  void OnTick();
  void OnPictureClick();

  ConsoleSystem& system_;
  Tweaker& main_;
};

}  // namespace velmaro::console
