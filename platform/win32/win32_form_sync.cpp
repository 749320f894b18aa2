// Model -> window: a change in the model shows on screen. Updates count as
// pushes, so that the notifications they cause are not read back as input.
#include <algorithm>

#include "platform/win32/win32_form_window.h"

namespace velmaro::forms {

// Read wide: a name typed or pasted in characters the code page lacks
// arrives as it is, not as '?', so that whoever reads it can say what is wrong.
std::string WindowTextOf(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring s(static_cast<std::size_t>(std::max(n, 0)) + 1, L'\0');
  n = GetWindowTextW(hwnd, s.data(), static_cast<int>(s.size()));
  s.resize(static_cast<std::size_t>(std::max(n, 0)));
  return platform::FromWide(s);
}

// Text the code page holds goes the ANSI way as ever (best fit); other text
// goes wide to a window that keeps it wide, so that it reads back the same.
void SetText(HWND hwnd, const std::string& utf8) {
  std::string ansi;
  std::wstring wide;
  if (!platform::ToAnsiExact(utf8, ansi) && IsWindowUnicode(hwnd) && platform::ToWide(utf8, wide))
    SetWindowTextW(hwnd, wide.c_str());
  else
    SetWindowTextA(hwnd, ToAnsiBestFit(utf8).c_str());
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

bool IsDescendant(const Control& c, const Control& ancestor) {
  for (const Control* p = &c; p; p = p->Parent())
    if (p == &ancestor) return true;
  return false;
}

void SetPointer(LPCSTR cursor) {
  SetCursor(LoadCursorA(nullptr, cursor));
}

void FormWindow::ApplyState(std::size_t i, Property what) {
  Control& c = *form->Controls()[i];
  if (c.Kind() == ControlKind::Timer) {
    if (what == Property::Enabled || what == Property::Timer) UpdateTimer(i);
    return;
  }
  HWND h = children_[i].hwnd;
  if (!h) {
    // Not made yet because it was hidden: showing it makes it.
    if (what == Property::Visible) ApplyToSubtree(c, what);
    return;
  }
  InProgress push(pushing_);
  switch (what) {
    case Property::Caption:
      if (auto* captioned = dynamic_cast<CaptionControl*>(&c)) SetText(h, captioned->Caption());
      break;
    case Property::Enabled:
    case Property::Visible:
    case Property::Bounds:
      ApplyToSubtree(c, what);
      break;
    default:
      if (const ControlBehaviour* b = KindInfo(c.Kind()).behaviour; b && b->sync)
        b->sync(*this, i, what);
      break;
  }
}

void FormWindow::ApplyToSubtree(const Control& root, Property what) {
  if (what == Property::Visible) CreateShown(root);
  const auto& controls = form->Controls();
  for (std::size_t j = 0; j < controls.size(); ++j) {
    const Control& c = *controls[j];
    HWND h = children_[j].hwnd;
    if (!h || !IsDescendant(c, root)) continue;
    if (what == Property::Enabled) {
      EnableWindow(h, c.EnabledInForm());
    } else if (what == Property::Visible) {
      ShowWindow(h, c.VisibleInForm() ? SW_SHOWNA : SW_HIDE);
    } else {
      const RECT r = WindowRectOf(c);
      SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  // The focus must not stay on a control the user can no longer reach.
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd, focus) && (!IsWindowVisible(focus) || !IsWindowEnabled(focus)))
    if (HWND next = GetNextDlgTabItem(hwnd, focus, FALSE)) ::SetFocus(next);
}

void FormWindow::UpdateTimer(std::size_t i) {
  auto& timer = ControlOf<Timer>(i);
  const UINT_PTR id = kFirstId + i;
  if (timer.Enabled() && timer.Interval() > 0)
    SetTimer(hwnd, id, static_cast<UINT>(timer.Interval()), nullptr);  // restarts the interval
  else
    KillTimer(hwnd, id);
}

void FormWindow::ControlChanged(Control& control, Property what) {
  if (auto i = IndexOf(control)) ApplyState(*i, what);
}

void FormWindow::FocusRequested(Control& control) {
  auto i = IndexOf(control);
  if (!i || !children_[*i].hwnd) return;
  if (IsWindowVisible(hwnd))
    ::SetFocus(children_[*i].hwnd);
  else
    savedFocus_ = children_[*i].hwnd;  // taken when the form is shown
}

void FormWindow::FormChanged(Property what) {
  if (!hwnd) return;
  switch (what) {
    case Property::FormCaption:
      SetText(hwnd, form->Caption());
      break;
    case Property::FormSize:
      Resize();
      break;
    case Property::Pointer:
      // The handler that changed it holds the thread: show it at once.
      SetPointer(form->Pointer() == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW);
      break;
    default:
      break;
  }
}

void FormWindow::FormDestroyed() {
  Form* f = form;
  Detach();
  if (f) tk_.Forget(*f);
}

std::optional<std::size_t> FormWindow::IndexOf(const Control& c) const {
  if (!form) return std::nullopt;
  const auto& controls = form->Controls();
  for (std::size_t i = 0; i < controls.size() && i < children_.size(); ++i)
    if (controls[i].get() == &c) return i;
  return std::nullopt;
}

std::optional<std::size_t> FormWindow::IndexOfId(WPARAM id) const {
  if (id < static_cast<WPARAM>(kFirstId)) return std::nullopt;
  const std::size_t i = id - kFirstId;
  if (!form || i >= children_.size()) return std::nullopt;
  return i;
}

std::optional<std::size_t> FormWindow::IndexOfWindow(HWND child) const {
  for (std::size_t i = 0; i < children_.size(); ++i)
    if (children_[i].hwnd && children_[i].hwnd == child) return i;
  return std::nullopt;
}

}  // namespace velmaro::forms
