#include "platform/win32/win32_mouse.h"

#include <windows.h>

namespace velmaro::platform {
namespace {

// Written to the user's settings and announced, as the control panel does.
constexpr UINT kKeepAndTell = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

}  // namespace

unsigned Win32Mouse::DoubleClickTime() { return ::GetDoubleClickTime(); }

bool Win32Mouse::SetDoubleClickTime(unsigned ms) { return ::SetDoubleClickTime(ms) != FALSE; }

void Win32Mouse::SwapButtons(bool swap) { ::SwapMouseButton(swap ? TRUE : FALSE); }

bool Win32Mouse::ButtonsSwapped() { return GetSystemMetrics(SM_SWAPBUTTON) != 0; }

bool Win32Mouse::SaveDoubleClickTime(unsigned ms) {
  return SystemParametersInfoA(SPI_SETDOUBLECLICKTIME, ms, nullptr, kKeepAndTell) != FALSE;
}

bool Win32Mouse::SaveButtonsSwapped(bool swap) {
  return SystemParametersInfoA(SPI_SETMOUSEBUTTONSWAP, swap ? TRUE : FALSE, nullptr,
                               kKeepAndTell) != FALSE;
}

}  // namespace velmaro::platform
