#pragma once
// The mouse settings through user32.
#include "platform/mouse.h"

namespace velmaro::platform {

class Win32Mouse final : public Mouse {
public:
  unsigned DoubleClickTime() override;
  bool SetDoubleClickTime(unsigned ms) override;
  void SwapButtons(bool swap) override;
  bool ButtonsSwapped() override;
  bool SaveDoubleClickTime(unsigned ms) override;
  bool SaveButtonsSwapped(bool swap) override;
  // Read where the system keeps them, HKEY_CURRENT_USER\Control Panel\Mouse.
  unsigned KeptDoubleClickTime() override;
  bool KeptButtonsSwapped() override;
};

}  // namespace velmaro::platform
