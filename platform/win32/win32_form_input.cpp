// Window -> model: the window procedures of forms and controls turn what the
// user does into model calls. Nothing leaves a window procedure by an
// exception: the toolkit's guard catches it.
#include "platform/win32/win32_form_window.h"

#include <unordered_map>

namespace velmaro::forms {

LRESULT CALLBACK FormWindow::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    static_cast<FormWindow*>(cs->lpCreateParams)->hwnd = hwnd;
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || !self->form) {
    if (msg == WM_CLOSE) return 0;  // a window whose form has gone waits to be destroyed
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  InProgress nest(self->tk_.depth);
  LRESULT result = 0;
  bool done = false;
  self->tk_.Guarded([&] {
    result = self->Handle(msg, wp, lp);
    done = true;
  });
  return done ? result : 0;
}

LRESULT FormWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (FromControls(msg, wp, lp, result) || FromPointer(msg, wp, lp, result) ||
      ForWindowState(msg, wp, lp, result))
    return result;
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// What the controls tell their parent.
bool FormWindow::FromControls(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      OnCommandMessage(wp, lp);
      return true;
    case DM_GETDEFID:
      result = DefaultButtonId();
      return true;
    case WM_NOTIFY:
      result = OnNotifyMessage(reinterpret_cast<NMHDR*>(lp));
      return true;
    case WM_HSCROLL:
    case WM_VSCROLL:
      OnScroll(reinterpret_cast<HWND>(lp));
      return true;
    case kTreeClicked:
      if (auto i = IndexOfId(kFirstId + wp)) OnTreeClicked(*i, static_cast<int>(lp));
      return true;
    case kLabelEdited:
      if (auto i = IndexOfId(kFirstId + wp)) OnLabelEdited(*i);
      return true;
    case kTreeRedraw:
      if (auto i = IndexOfId(kFirstId + wp)) ResumeTreeRedraw(*i);
      return true;
    case WM_TIMER:
      OnTimer(wp);
      return true;
    case WM_DRAWITEM:
      OnDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp));
      result = TRUE;
      return true;
    case WM_CTLCOLORSTATIC:
      if (auto i = IndexOfWindow(reinterpret_cast<HWND>(lp));
          i && form->Controls()[*i]->Spec().link) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
      }
      return false;
    default:
      return false;
  }
}

// The pointer over the form: its shape, What's This, a click on the form.
bool FormWindow::FromPointer(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  const bool helpHere = tk_.helpForm == form;
  switch (msg) {
    case WM_SETCURSOR:
      result = TRUE;
      return SetCursorFor(reinterpret_cast<HWND>(wp));
    case WM_MOUSEMOVE:
      if (helpHere) SetPointer(IDC_HELP);
      return false;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (helpHere) ShowHelpAt(lp);
      return helpHere;
    case WM_LBUTTONUP:
      if (!helpHere && form->HasHandler(Event::Click, nullptr)) {
        EventArgs args;
        args.event = Event::Click;
        form->Raise(args);
      }
      return true;
    case kEnterHelp:
      // Taken only now: the button whose click asked for the mode releases
      // the mouse when its click ends.
      if (helpHere && !tk_.helpCaptured) {
        tk_.helpCaptured = true;
        SetCapture(hwnd);
        SetPointer(IDC_HELP);
      }
      return true;
    case WM_CAPTURECHANGED:
      if (helpHere && tk_.helpCaptured) tk_.LeaveHelpMode();
      return true;
    default:
      return false;
  }
}

// Activation, focus and the ways the window closes.
bool FormWindow::ForWindowState(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  Form& f = *form;
  switch (msg) {
    case WM_ACTIVATE:
      OnActivate(wp);
      return true;
    case WM_SETFOCUS:
      RestoreFocus();
      return true;
    case WM_CLOSE:
      if (f.QueryUnload(UnloadReason::CloseBox) && f.Loaded()) tk_.DoUnload(f, true);
      return true;
    case WM_QUERYENDSESSION:
      result = f.QueryUnload(UnloadReason::SessionEnd) ? TRUE : FALSE;
      return true;
    case WM_ENDSESSION:
      if (wp && f.Loaded()) {
        tk_.ended = true;
        tk_.DoUnload(f, true);
      }
      return true;
    default:
      return false;
  }
}

void FormWindow::OnCommandMessage(WPARAM wp, LPARAM lp) {
  const int id = LOWORD(wp);
  if (id == IDCANCEL && !lp) {  // Esc, through the dialog keys
    if (Button* cancel = form->CancelButton())
      if (auto i = IndexOf(*cancel);
          i && IsWindowEnabled(children_[*i].hwnd) && IsWindowVisible(children_[*i].hwnd))
        cancel->Press();
    return;
  }
  if (pushing_) return;
  if (auto i = IndexOfId(id))
    if (const ControlBehaviour* b = KindInfo(form->Controls()[*i]->Kind()).behaviour;
        b && b->command)
      b->command(*this, *i, HIWORD(wp));
}

LRESULT FormWindow::DefaultButtonId() const {
  if (Button* def = form->DefaultButton())
    if (auto i = IndexOf(*def); i && def->VisibleInForm() && def->EnabledInForm())
      return MAKELRESULT(kFirstId + *i, DC_HASDEFID);
  return 0;
}

LRESULT FormWindow::OnNotifyMessage(NMHDR* hdr) {
  auto i = IndexOfWindow(hdr->hwndFrom);
  if (!i) return 0;
  // An echo of a model update is not input, but a question the control asks
  // meanwhile (may this label be edited?) still needs its answer.
  if (pushing_ && hdr->code != TVN_BEGINLABELEDITA && hdr->code != TVN_BEGINLABELEDITW) return 0;
  const ControlBehaviour* b = KindInfo(form->Controls()[*i]->Kind()).behaviour;
  return b && b->notify ? b->notify(*this, *i, hdr) : 0;
}

void FormWindow::OnScroll(HWND control) {
  auto i = IndexOfWindow(control);
  if (!i || pushing_) return;
  if (const ControlBehaviour* b = KindInfo(form->Controls()[*i]->Kind()).behaviour;
      b && b->scrolled)
    b->scrolled(*this, *i);
}

void FormWindow::OnTimer(WPARAM id) {
  if (auto i = IndexOfId(id); i && form->Controls()[*i]->Kind() == ControlKind::Timer)
    ControlOf<Timer>(*i).Fire();
}

void FormWindow::OnDrawItem(DRAWITEMSTRUCT* dis) {
  if (auto i = IndexOfId(dis->CtlID))
    if (const ControlBehaviour* b = KindInfo(form->Controls()[*i]->Kind()).behaviour; b && b->draw)
      b->draw(*this, *i, dis);
}

// True when the pointer over `over` is ours to set.
bool FormWindow::SetCursorFor(HWND over) {
  if (tk_.helpForm == form) {
    SetPointer(IDC_HELP);
    return true;
  }
  if (form->Pointer() == MousePointer::Hourglass) {
    SetPointer(IDC_WAIT);
    return true;
  }
  if (auto i = IndexOfWindow(over); i && form->Controls()[*i]->Spec().link) {
    SetPointer(IDC_HAND);
    return true;
  }
  return false;
}

// The click that ends What's This: the help of the control under it.
void FormWindow::ShowHelpAt(LPARAM point) {
  // Captured: the point is in this window's client coordinates.
  POINT pt{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  Control* target = form->ControlAt(tk_.scale.Designed(pt.x), tk_.scale.Designed(pt.y));
  RECT client;
  GetClientRect(hwnd, &client);
  if (!PtInRect(&client, pt)) target = nullptr;
  tk_.LeaveHelpMode();
  if (!target) return;
  std::string text = form->HelpText(*target);
  ClientToScreen(hwnd, &pt);
  tk_.ShowPopup(text.empty() ? kNoHelpText : text, pt);
}

void FormWindow::OnActivate(WPARAM state) {
  if (LOWORD(state) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd, focus)) savedFocus_ = focus;
    return;
  }
  tk_.active = form;
  RestoreFocus();
  form->RaiseActivate();
}

void FormWindow::RestoreFocus() {
  HWND target = savedFocus_;
  if (!target || !IsWindow(target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
    target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
  if (target) ::SetFocus(target);
}

namespace {

// The window procedure each control had before ours. Kept here rather than
// by SetWindowSubclass, whose bookkeeping Wine looks up in the server for
// every message a control gets: a tree gaining 2,000 nodes took 15 times as
// long. Unicode, as that subclassing made the controls.
std::unordered_map<HWND, WNDPROC>& OriginalProcs() {
  static std::unordered_map<HWND, WNDPROC> procs;
  return procs;
}

}  // namespace

void FormWindow::Subclass(HWND control) {
  SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  OriginalProcs()[control] = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
}

LRESULT CALLBACK FormWindow::ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto& procs = OriginalProcs();
  const auto known = procs.find(hwnd);
  if (known == procs.end()) return DefWindowProcW(hwnd, msg, wp, lp);
  const WNDPROC original = known->second;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    procs.erase(known);
    return CallWindowProcW(original, hwnd, msg, wp, lp);
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const auto id = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
  if (!self || !self->form || id < static_cast<UINT_PTR>(kFirstId) ||
      id - kFirstId >= self->children_.size())
    return CallWindowProcW(original, hwnd, msg, wp, lp);
  InProgress nest(self->tk_.depth);
  LRESULT result = 0;
  bool handled = false;
  self->tk_.Guarded([&] { result = self->HandleChild(id - kFirstId, msg, wp, lp, handled); });
  return handled ? result : CallWindowProcW(original, hwnd, msg, wp, lp);
}

LRESULT FormWindow::HandleChild(std::size_t i, UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  Control& c = *form->Controls()[i];
  if (msg == WM_SETFOCUS) form->NoteFocus(&c);
  const ControlBehaviour* b = KindInfo(c.Kind()).behaviour;
  return b && b->input ? b->input(*this, i, msg, wp, lp, handled) : 0;
}

}  // namespace velmaro::forms
