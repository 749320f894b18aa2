#include "platform/win32/win32_mouse.h"

#include <windows.h>

#include <cstdlib>

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

namespace {

// A number the system keeps as text under Control Panel\Mouse, or `fallback`.
unsigned KeptNumber(const char* name, unsigned fallback) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Mouse", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return fallback;
  char text[32] = {};
  DWORD size = sizeof text - 1, type = 0;
  const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return fallback;
  char* end = nullptr;
  const unsigned long n = std::strtoul(text, &end, 10);
  return end != text ? static_cast<unsigned>(n) : fallback;
}

}  // namespace

unsigned Win32Mouse::KeptDoubleClickTime() { return KeptNumber("DoubleClickSpeed", DoubleClickTime()); }

bool Win32Mouse::KeptButtonsSwapped() {
  return KeptNumber("SwapMouseButtons", ButtonsSwapped() ? 1 : 0) != 0;
}

}  // namespace velmaro::platform
