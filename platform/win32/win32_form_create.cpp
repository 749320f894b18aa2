// Making a form's window and its controls' windows.
#include <algorithm>

#include "platform/win32/win32_form_window.h"

namespace velmaro::forms {
namespace {

DWORD FormStyle(BorderStyle border, DWORD& exStyle) {
  exStyle = 0;
  switch (border) {
    case BorderStyle::Sizable:
      return WS_OVERLAPPEDWINDOW;
    case BorderStyle::FixedSingle:
      return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    case BorderStyle::FixedDialog:
      exStyle = WS_EX_DLGMODALFRAME;
      return WS_POPUP | WS_CAPTION | WS_SYSMENU;
    case BorderStyle::None:
      return WS_POPUP;
  }
  return WS_OVERLAPPEDWINDOW;
}

// Option buttons in a row in one container form a group for the arrow keys.
bool ContinuesGroup(const Form& form, std::size_t i) {
  const auto& controls = form.Controls();
  const Control& c = *controls[i];
  return c.Kind() == ControlKind::OptionButton && i > 0 &&
         controls[i - 1]->Kind() == ControlKind::OptionButton &&
         controls[i - 1]->Parent() == c.Parent();
}

}  // namespace

FormWindow::FormWindow(Win32Toolkit::Impl& tk, Form& f, HWND owner) : form(&f), tk_(tk) {
  style_ = FormStyle(f.Spec().border, exStyle_);
  RECT r{0, 0, tk_.scale.Px(f.ClientWidth()), tk_.scale.Px(f.ClientHeight())};
  AdjustWindowRectEx(&r, style_, FALSE, exStyle_);
  const int w = r.right - r.left, h = r.bottom - r.top;
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (f.Spec().centered) {
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = work.left + std::max(0L, (work.right - work.left - w) / 2);
    y = work.top + std::max(0L, (work.bottom - work.top - h) / 2);
  }
  // Without a position of its own a popup would sit at the screen's corner.
  if (x == CW_USEDEFAULT && (style_ & WS_POPUP)) x = y = 0;
  hwnd = CreateWindowExA(exStyle_, kFormClass, ToAnsiBestFit(f.Caption()).c_str(), style_, x, y, w,
                         h, owner, nullptr, tk_.self, this);
  if (!hwnd) return;
  // A shared icon from the resources: the system frees it, not us.
  if (f.Spec().icon > 0) {
    if (HICON icon = LoadIconA(tk_.resources, MAKEINTRESOURCEA(f.Spec().icon))) {
      SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
      SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
  }
  CreateControls();
}

// The window goes before the images and icons its controls still show.
FormWindow::~FormWindow() {
  Detach();
  if (hwnd && IsWindow(hwnd)) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
  }
}

void FormWindow::Detach() {
  if (!form) return;
  for (std::size_t i = 0; i < children_.size(); ++i)
    if (form->Controls()[i]->Kind() == ControlKind::Timer) KillTimer(hwnd, kFirstId + i);
  form->AttachView(nullptr);
  form = nullptr;
}

// Controls hidden when the form loads (a main window's other panels, say)
// get their windows when first shown: under Wine each child window costs
// about a millisecond, and most of them may never be needed.
void FormWindow::CreateControls() {
  children_.resize(form->Controls().size());
  InProgress push(pushing_);
  for (std::size_t i = 0; i < children_.size(); ++i) {
    const Control& c = *form->Controls()[i];
    if (c.Kind() == ControlKind::Timer || c.VisibleInForm()) CreateControl(i);
  }
  StackContainersBelowChildren();
}

void FormWindow::CreateShown(const Control& root) {
  const auto& controls = form->Controls();
  bool created = false;
  InProgress push(pushing_);
  for (std::size_t j = 0; j < controls.size(); ++j) {
    const Control& c = *controls[j];
    if (children_[j].hwnd || c.Kind() == ControlKind::Timer || !IsDescendant(c, root) ||
        !c.VisibleInForm())
      continue;
    CreateControl(j);
    if (!children_[j].hwnd) continue;
    // Tab order follows the order of the windows: put it after the control
    // that comes before it in the form.
    HWND before = HWND_TOP;
    for (std::size_t k = j; k-- > 0;)
      if (children_[k].hwnd) {
        before = children_[k].hwnd;
        break;
      }
    SetWindowPos(children_[j].hwnd, before, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    created = true;
  }
  if (created) StackContainersBelowChildren();
}

void FormWindow::CreateControl(std::size_t i) {
  Control& c = *form->Controls()[i];
  if (c.Kind() == ControlKind::Timer) {
    UpdateTimer(i);
    return;
  }
  const ControlKindInfo& kind = KindInfo(c.Kind());
  if (!kind.windowClass) return;
  DWORD ex = kind.exStyle;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
  if (kind.styleOf) style |= kind.styleOf(c.Spec(), ex);
  if (!ContinuesGroup(*form, i)) style |= WS_GROUP;
  if (c.VisibleInForm()) style |= WS_VISIBLE;
  if (!c.EnabledInForm()) style |= WS_DISABLED;
  const auto* captioned = dynamic_cast<const CaptionControl*>(&c);
  const std::string text = captioned ? ToAnsiBestFit(captioned->Caption()) : std::string();
  const RECT r = WindowRectOf(c);
  HWND h = CreateWindowExA(
      ex, kind.windowClass, text.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
      hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + i)), tk_.self, nullptr);
  children_[i].hwnd = h;
  if (!h) return;
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(tk_.font), FALSE);
  Subclass(h);
  if (kind.behaviour && kind.behaviour->created) kind.behaviour->created(*this, i);
}

// A container drawn above its children would hide them and take their clicks.
void FormWindow::StackContainersBelowChildren() {
  const auto& controls = form->Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (!controls[i]->IsContainer() || !children_[i].hwnd) continue;
    HWND last = nullptr;
    for (std::size_t j = i + 1; j < controls.size(); ++j)
      if (children_[j].hwnd && IsDescendant(*controls[j], *controls[i])) last = children_[j].hwnd;
    if (last)
      SetWindowPos(children_[i].hwnd, last, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

RECT FormWindow::WindowRectOf(const Control& c) const {
  const Rect designed = c.FormBounds();
  RECT r = tk_.scale.Px(designed);
  r.bottom = tk_.scale.Px(designed.y + designed.height + KindInfo(c.Kind()).extraHeight);
  return r;
}

void FormWindow::Resize() {
  RECT r{0, 0, tk_.scale.Px(form->ClientWidth()), tk_.scale.Px(form->ClientHeight())};
  AdjustWindowRectEx(&r, style_, FALSE, exStyle_);
  SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::ShowWindowNow(bool visible) {
  if (!hwnd) return;
  ShowWindow(hwnd, visible ? SW_SHOW : SW_HIDE);
  if (visible) UpdateWindow(hwnd);
}

}  // namespace velmaro::forms
