// What's This: the help mode and the small popup that shows a control's help
// text until the next key or click.
#include <algorithm>

#include "platform/win32/win32_form_window.h"

namespace velmaro::forms {
namespace {

// Designed pixels.
constexpr int kPopupWidth = 280;
constexpr int kMarginX = 6, kMarginY = 4;
constexpr int kBelowPointer = 20;
// A little slack: a word that just fits when measured may wrap when drawn.
constexpr int kSlackX = 18, kSlackY = 12;

std::string PopupText(HWND hwnd) {
  const int n = GetWindowTextLengthA(hwnd);
  std::string text(static_cast<std::size_t>(n) + 1, '\0');
  GetWindowTextA(hwnd, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

void PaintPopup(HWND hwnd, HFONT font, const DisplayScale& scale) {
  win32::PaintDc dc(hwnd);
  RECT r;
  GetClientRect(hwnd, &r);
  FillRect(dc.Get(), &r, GetSysColorBrush(COLOR_INFOBK));
  SetBkMode(dc.Get(), TRANSPARENT);
  SetTextColor(dc.Get(), GetSysColor(COLOR_INFOTEXT));
  win32::Selection selected(dc.Get(), font);
  InflateRect(&r, -scale.Px(kMarginX), -scale.Px(kMarginY));
  const std::string text = PopupText(hwnd);
  DrawTextA(dc.Get(), text.c_str(), static_cast<int>(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrA(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
  auto* tk = reinterpret_cast<Win32Toolkit::Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_CAPTURECHANGED:
      // Another window took the mouse: the popup has lost its moment.
      if (tk && tk->popup == hwnd) tk->ClosePopup();
      return 0;
    case WM_PAINT:
      if (!tk) break;
      PaintPopup(hwnd, tk->font, tk->scale);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void Win32Toolkit::Impl::ShowPopup(const std::string& text, POINT screen) {
  ClosePopup();
  const std::string ansi = ToAnsiBestFit(text);
  RECT r{0, 0, scale.Px(kPopupWidth), 0};
  {
    win32::WindowDc dc(nullptr);
    win32::Selection selected(dc.Get(), font);
    DrawTextA(dc.Get(), ansi.c_str(), static_cast<int>(ansi.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  const int w = r.right + scale.Px(kSlackX), h = r.bottom + scale.Px(kSlackY);
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = std::clamp<int>(screen.x, work.left, std::max<int>(work.left, work.right - w));
  const int y = std::clamp<int>(screen.y + scale.Px(kBelowPointer), work.top,
                                std::max<int>(work.top, work.bottom - h));
  popup = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPopupClass, ansi.c_str(),
                          WS_POPUP | WS_BORDER, x, y, w, h, nullptr, nullptr, self, this);
  if (!popup) return;
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  UpdateWindow(popup);
  SetCapture(popup);
}

void Win32Toolkit::Impl::ClosePopup() {
  HWND p = popup;
  popup = nullptr;  // destroying it releases the capture: no second close
  if (p) DestroyWindow(p);
}

void Win32Toolkit::Impl::LeaveHelpMode() {
  if (!helpForm) return;
  helpForm = nullptr;
  const bool captured = helpCaptured;
  helpCaptured = false;
  if (captured && GetCapture()) ReleaseCapture();
  SetPointer(IDC_ARROW);
}

}  // namespace velmaro::forms
