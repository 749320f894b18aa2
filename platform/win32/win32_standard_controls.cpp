// The behaviour of the system's standard controls (buttons, boxes, labels,
// frames, lists, pictures) and of the slider and progress bar: how each is
// filled from the model and how what the user does reaches the model.
#include <algorithm>

#include "platform/win32/win32_form_window.h"
#include "platform/win32/win32_on_demand.h"

namespace velmaro::forms {
namespace {

HWND WindowOf(FormWindow& w, std::size_t i) {
  return w.ChildAt(i).hwnd;
}

// ---- Buttons ----

void ButtonCommand(FormWindow& w, std::size_t i, int code) {
  HWND h = WindowOf(w, i);
  if (code == BN_CLICKED && IsWindowEnabled(h) && IsWindowVisible(h))
    w.ControlOf<Button>(i).Press();
}

void CheckBoxSync(FormWindow& w, std::size_t i, Property what) {
  if (what != Property::Value) return;
  const int v = w.ControlOf<CheckBox>(i).Value();
  SendMessageA(WindowOf(w, i), BM_SETCHECK,
               v == 2   ? BST_INDETERMINATE
               : v == 1 ? BST_CHECKED
                        : BST_UNCHECKED,
               0);
}

void CheckBoxCommand(FormWindow& w, std::size_t i, int code) {
  if (code == BN_CLICKED) w.ControlOf<CheckBox>(i).ClickByUser();
}

void OptionButtonSync(FormWindow& w, std::size_t i, Property what) {
  if (what != Property::Value) return;
  SendMessageA(WindowOf(w, i), BM_SETCHECK,
               w.ControlOf<OptionButton>(i).Value() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OptionButtonCommand(FormWindow& w, std::size_t i, int code) {
  if (code == BN_CLICKED) w.ControlOf<OptionButton>(i).ClickByUser();
}

// The state a button shows comes from the model as soon as it exists.
void ShowValue(FormWindow& w, std::size_t i) {
  if (const ControlBehaviour* b = KindInfo(w.ControlOf<Control>(i).Kind()).behaviour; b && b->sync)
    b->sync(w, i, Property::Value);
}

// ---- Text box ----

// A multi-line box shows bare LFs as CR LF.
std::string Shown(const TextBox& box) {
  return box.MultiLine() ? WithCrLf(box.Text()) : box.Text();
}

void TextBoxSync(FormWindow& w, std::size_t i, Property what) {
  if (what != Property::Text) return;
  const std::string want = Shown(w.ControlOf<TextBox>(i));
  if (WindowTextOf(WindowOf(w, i)) != want) SetText(WindowOf(w, i), want);
}

void TextBoxCreated(FormWindow& w, std::size_t i) {
  SendMessageA(WindowOf(w, i), EM_SETLIMITTEXT, 0, 0);
  TextBoxSync(w, i, Property::Text);
}

void TextBoxCommand(FormWindow& w, std::size_t i, int code) {
  if (code != EN_CHANGE) return;
  auto& box = w.ControlOf<TextBox>(i);
  std::string now = WindowTextOf(WindowOf(w, i));
  if (now != Shown(box)) box.SetText(now);
}

// ---- Labels, frames and pictures: pointer events ----

// The point in the form's designed pixels, like every other position.
void RaiseMouse(const DisplayScale& scale, Control& c, WPARAM wp, LPARAM lp) {
  EventArgs args;
  args.event = Event::MouseMove;
  args.button =
      ((wp & MK_LBUTTON) ? 1 : 0) | ((wp & MK_RBUTTON) ? 2 : 0) | ((wp & MK_MBUTTON) ? 4 : 0);
  args.shift =
      ((wp & MK_SHIFT) ? 1 : 0) | ((wp & MK_CONTROL) ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
  args.x = scale.Designed(static_cast<short>(LOWORD(lp)));
  args.y = scale.Designed(static_cast<short>(HIWORD(lp)));
  c.Raise(args);
}

LRESULT PointerInput(FormWindow& w, std::size_t i, UINT msg, WPARAM wp, LPARAM lp, bool&) {
  if (msg == WM_MOUSEMOVE && w.Toolkit().helpForm != w.form)
    RaiseMouse(w.Toolkit().scale, w.ControlOf<Control>(i), wp, lp);
  return 0;
}

void StaticCommand(FormWindow& w, std::size_t i, int code) {
  if (code == STN_CLICKED) w.ControlOf<Control>(i).Raise(Event::Click);
  if (code == STN_DBLCLK) w.ControlOf<Control>(i).Raise(Event::DblClick);
}

// A group box lets the pointer through to what lies below and takes no focus;
// ours reports its own moves and clicks (its children lie above it).
LRESULT FrameInput(FormWindow& w, std::size_t i, UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  Control& c = w.ControlOf<Control>(i);
  FormWindow::Child& ch = w.ChildAt(i);
  switch (msg) {
    case WM_NCHITTEST:
      handled = true;
      return HTCLIENT;
    case WM_LBUTTONDOWN:
      handled = true;
      return 0;
    case WM_LBUTTONUP:
      handled = true;
      if (!ch.afterDblClick) c.Raise(Event::Click);
      ch.afterDblClick = false;
      return 0;
    case WM_LBUTTONDBLCLK:
      handled = true;
      ch.afterDblClick = true;
      c.Raise(Event::DblClick);
      return 0;
    default:
      return PointerInput(w, i, msg, wp, lp, handled);
  }
}

// ---- Drop-down list ----

void DropDownListSync(FormWindow& w, std::size_t i, Property what) {
  auto& list = w.ControlOf<DropDownList>(i);
  HWND h = WindowOf(w, i);
  if (what == Property::Items) {
    SendMessageA(h, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : list.Items())
      SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToAnsiBestFit(item).c_str()));
  }
  if (what == Property::Items || what == Property::Value)
    SendMessageA(h, CB_SETCURSEL, list.ListIndex(), 0);
}

void DropDownListCreated(FormWindow& w, std::size_t i) {
  DropDownListSync(w, i, Property::Items);
}

void DropDownListCommand(FormWindow& w, std::size_t i, int code) {
  if (code == CBN_SELCHANGE)
    w.ControlOf<DropDownList>(i).SetListIndex(
        static_cast<int>(SendMessageA(WindowOf(w, i), CB_GETCURSEL, 0, 0)));
}

// ---- Slider and progress bar ----

void SliderSync(FormWindow& w, std::size_t i, Property what) {
  auto& slider = w.ControlOf<Slider>(i);
  HWND h = WindowOf(w, i);
  if (what == Property::Range) {
    SendMessageA(h, TBM_SETRANGEMIN, FALSE, slider.Min());
    SendMessageA(h, TBM_SETRANGEMAX, TRUE, slider.Max());
  }
  if (what == Property::Range || what == Property::Value)
    SendMessageA(h, TBM_SETPOS, TRUE, slider.Value());
}

void SliderCreated(FormWindow& w, std::size_t i) {
  const ControlSpec& s = w.ControlOf<Control>(i).Spec();
  HWND h = WindowOf(w, i);
  SendMessageA(h, TBM_SETLINESIZE, 0, s.smallChange);
  SendMessageA(h, TBM_SETPAGESIZE, 0, s.largeChange);
  SendMessageA(h, TBM_SETTICFREQ, std::max(1, s.tickFrequency), 0);
  SliderSync(w, i, Property::Range);
}

void SliderScrolled(FormWindow& w, std::size_t i) {
  w.ControlOf<Slider>(i).SetValue(static_cast<int>(SendMessageA(WindowOf(w, i), TBM_GETPOS, 0, 0)));
}

void ProgressBarSync(FormWindow& w, std::size_t i, Property what) {
  auto& bar = w.ControlOf<ProgressBar>(i);
  HWND h = WindowOf(w, i);
  if (what == Property::Range) SendMessageA(h, PBM_SETRANGE32, bar.Min(), bar.Max());
  if (what == Property::Range || what == Property::Value)
    SendMessageA(h, PBM_SETPOS, bar.Value(), 0);
}

void ProgressBarCreated(FormWindow& w, std::size_t i) {
  ProgressBarSync(w, i, Property::Range);
}

// ---- Picture ----

void PictureSync(FormWindow& w, std::size_t i, Property what) {
  if (what != Property::Image) return;
  w.ChildAt(i).icon.Reset();  // taken again from the file when drawn
  InvalidateRect(WindowOf(w, i), nullptr, TRUE);
}

void DrawBitmap(FormWindow& w, std::size_t i, HDC dc) {
  auto& pic = w.ControlOf<Picture>(i);
  FormWindow::Child& ch = w.ChildAt(i);
  if (ch.bitmapId != pic.BitmapId()) {
    ch.bitmap.Reset(
        static_cast<HBITMAP>(LoadImageA(w.Toolkit().resources, MAKEINTRESOURCEA(pic.BitmapId()),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ch.bitmapId = pic.BitmapId();
  }
  if (!ch.bitmap) return;
  BITMAP bm{};
  GetObjectA(ch.bitmap.Get(), sizeof bm, &bm);
  win32::OwnedMemoryDc memory(CreateCompatibleDC(dc));
  win32::Selection selected(memory.Get(), ch.bitmap.Get());
  // Artwork is drawn for 96 DPI: larger displays get it stretched smoothly.
  const DisplayScale& scale = w.Toolkit().scale;
  if (scale.dpi == 96) {
    BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, memory.Get(), 0, 0, SRCCOPY);
    return;
  }
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, 0, 0, scale.Px(bm.bmWidth), scale.Px(bm.bmHeight), memory.Get(), 0, 0, bm.bmWidth,
             bm.bmHeight, SRCCOPY);
}

void DrawIconFromFile(FormWindow& w, std::size_t i, HDC dc) {
  auto& pic = w.ControlOf<Picture>(i);
  FormWindow::Child& ch = w.ChildAt(i);
  if (!ch.icon) {
    // A file name the code page cannot hold would name another file.
    std::string file;
    if (!platform::ToAnsiExact(pic.IconFile(), file)) return;
    static win32::OnDemand<HICON(HINSTANCE, LPCSTR, UINT)> extractIcon("shell32.dll",
                                                                       "ExtractIconA");
    const auto extract = extractIcon.Get();
    if (!extract) return;
    HICON icon = extract(w.Toolkit().self, file.c_str(), static_cast<UINT>(pic.IconIndex()));
    // 1 means "not a file with icons", not an icon.
    if (reinterpret_cast<UINT_PTR>(icon) > 1) ch.icon.Reset(icon);
  }
  if (ch.icon) DrawIcon(dc, 0, 0, ch.icon.Get());
}

void PictureDraw(FormWindow& w, std::size_t i, DRAWITEMSTRUCT* dis) {
  FillRect(dis->hDC, &dis->rcItem, GetSysColorBrush(COLOR_BTNFACE));
  switch (w.ControlOf<Picture>(i).Shows()) {
    case Picture::Content::Bitmap:
      DrawBitmap(w, i, dis->hDC);
      break;
    case Picture::Content::Icon:
      DrawIconFromFile(w, i, dis->hDC);
      break;
    case Picture::Content::None:
      break;
  }
}

}  // namespace

const ControlBehaviour kButtonBehaviour{.command = ButtonCommand};
const ControlBehaviour kCheckBoxBehaviour{
    .created = ShowValue, .sync = CheckBoxSync, .command = CheckBoxCommand};
const ControlBehaviour kOptionButtonBehaviour{
    .created = ShowValue, .sync = OptionButtonSync, .command = OptionButtonCommand};
const ControlBehaviour kTextBoxBehaviour{
    .created = TextBoxCreated, .sync = TextBoxSync, .command = TextBoxCommand};
const ControlBehaviour kStaticBehaviour{.command = StaticCommand, .input = PointerInput};
const ControlBehaviour kFrameBehaviour{.input = FrameInput};
const ControlBehaviour kDropDownListBehaviour{
    .created = DropDownListCreated, .sync = DropDownListSync, .command = DropDownListCommand};
const ControlBehaviour kSliderBehaviour{
    .created = SliderCreated, .sync = SliderSync, .scrolled = SliderScrolled};
const ControlBehaviour kProgressBarBehaviour{.created = ProgressBarCreated,
                                             .sync = ProgressBarSync};
const ControlBehaviour kPictureBehaviour{
    .sync = PictureSync, .command = StaticCommand, .draw = PictureDraw, .input = PointerInput};

}  // namespace velmaro::forms
