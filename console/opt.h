#pragma once
// Opt: the options dialog. Two boxes for the console's own options, reloaded
// from the settings store at every opening and written only by "Apply & close".
#include "console/console_system.h"
#include "platform/forms/form.h"

namespace velmaro::console {

class Opt : public forms::Form {
public:
  explicit Opt(ConsoleSystem& system);
  static forms::FormSpec Design();

private:
  void OnLoad();
  void OnApplyAndClose();

  ConsoleSystem& system_;
};

}  // namespace velmaro::console
