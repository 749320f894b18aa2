// Realises forms as Win32 windows. Text is UTF-8 in the model and ANSI at
// every call (the windows are ANSI windows, so common controls send the ...A
// notifications; the W ones are handled too). The model raises the events;
// this side only turns user input into model calls and model changes into
// window updates, with a guard so that an update is not read back as input.
#include "platform/win32/win32_toolkit.h"

#include <windows.h>
// After windows.h.
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace velmaro::forms {
namespace {

constexpr char kFormClass[] = "VelmaroForm";
constexpr char kPopupClass[] = "VelmaroHelpPopup";
constexpr int kFirstId = 1000;  // clear of IDOK/IDCANCEL and friends
constexpr UINT kTreeClicked = WM_APP + 1;    // wParam control, lParam node index
constexpr UINT kLabelEdited = WM_APP + 2;    // wParam control
constexpr UINT kEnterHelp = WM_APP + 3;
constexpr int kDropDownHeight = 200;         // room for a drop-down list's entries
constexpr int kPopupWidth = 280;

std::wstring Widen(const std::string& s, UINT codePage) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string Narrow(const std::wstring& w, UINT codePage) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<std::size_t>(std::max(n, 0)), '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
  return s;
}

std::string ToAnsi(const std::string& utf8) { return Narrow(Widen(utf8, CP_UTF8), CP_ACP); }
std::string FromAnsi(const std::string& ansi) { return Narrow(Widen(ansi, CP_ACP), CP_UTF8); }
std::string FromWide(const wchar_t* w) { return w ? Narrow(w, CP_UTF8) : std::string(); }

// Multi-line edit controls break lines only at CR LF.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

std::string WindowTextOf(HWND hwnd) {
  int n = GetWindowTextLengthA(hwnd);
  std::string s(static_cast<std::size_t>(std::max(n, 0)) + 1, '\0');
  n = GetWindowTextA(hwnd, s.data(), static_cast<int>(s.size()));
  s.resize(static_cast<std::size_t>(std::max(n, 0)));
  return FromAnsi(s);
}

void SetText(HWND hwnd, const std::string& utf8) { SetWindowTextA(hwnd, ToAnsi(utf8).c_str()); }

DWORD FormStyle(BorderStyle border, DWORD& exStyle) {
  exStyle = 0;
  switch (border) {
    case BorderStyle::Sizable: return WS_OVERLAPPEDWINDOW;
    case BorderStyle::FixedSingle: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    case BorderStyle::FixedDialog:
      exStyle = WS_EX_DLGMODALFRAME;
      return WS_POPUP | WS_CAPTION | WS_SYSMENU;
    case BorderStyle::None: return WS_POPUP;
  }
  return WS_OVERLAPPEDWINDOW;
}

bool IsDescendant(const Control& c, const Control& ancestor) {
  for (const Control* p = &c; p; p = p->Parent())
    if (p == &ancestor) return true;
  return false;
}

struct Nesting {
  int& depth;
  explicit Nesting(int& d) : depth(d) { ++depth; }
  ~Nesting() { --depth; }
};

}  // namespace

class FormWindow;

struct Win32Toolkit::Impl {
  HINSTANCE self = GetModuleHandleA(nullptr);
  HINSTANCE resources = nullptr;
  HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  std::map<const Form*, std::unique_ptr<FormWindow>> windows;
  // Windows of unloaded forms wait here until no window procedure is running,
  // so that a form can unload itself from its own button's click.
  std::vector<std::unique_ptr<FormWindow>> graveyard;
  int depth = 0;
  struct Modal {
    Form* form;
    std::vector<HWND> disabled;
  };
  std::vector<Modal> modal;
  Form* active = nullptr;
  Form* helpForm = nullptr;
  bool helpCaptured = false;
  HWND popup = nullptr;
  bool ended = false;
  std::string lastError;

  FormWindow* WindowFor(const Form& form) const {
    auto it = windows.find(&form);
    return it == windows.end() ? nullptr : it->second.get();
  }
  void Report(const char* what) {
    lastError = what ? what : "unknown error";
    OutputDebugStringA(("Velmaro: a handler failed: " + lastError + "\n").c_str());
  }
  template <class F>
  void Guarded(F&& f) {
    try {
      f();
    } catch (const std::exception& e) {
      Report(e.what());
    } catch (...) {
      Report("unknown error");
    }
  }
  // False when the system refuses the window; the form then stays unloaded.
  bool Realise(Form& form, HWND owner);
  void DoUnload(Form& form, bool raiseEvents);
  void Forget(const Form& form);
  void CollectGarbage();
  bool PreTranslate(MSG& msg);
  void Pump(MSG& msg);
  void LeaveHelpMode();
  void ShowPopup(const std::string& text, POINT screen);
  void ClosePopup();
  HWND OwnerWindow() const;
};

// One loaded form's window and its child controls.
class FormWindow : public FormView {
public:
  FormWindow(Win32Toolkit::Impl& tk, Form& form, HWND owner);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd = nullptr;
  Form* form = nullptr;  // null once the form has gone

  void Detach();
  void ShowWindowNow(bool visible);

  // FormView
  void ControlChanged(Control& control, Property what) override;
  void NodeAdded(TreeView& tree, TreeNode& node) override;
  void NodeChanged(TreeView& tree, TreeNode& node, Property what) override;
  void FocusRequested(Control& control) override;
  void LabelEditRequested(TreeView& tree, TreeNode& node) override;
  void FormChanged(Property what) override;
  void FormDestroyed() override;

  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR ref);

private:
  struct Child {
    HWND hwnd = nullptr;
    HIMAGELIST images = nullptr;
    HBITMAP bitmap = nullptr;
    int bitmapId = 0;
    HICON icon = nullptr;
    std::vector<HTREEITEM> items;  // tree: by node index - 1
    bool editRequested = false;
    int mouseSelected = 0;  // tree: node chosen by the pointer, awaiting its click
    int pressedNode = 0;    // tree: node under the last button press, 0 for none
    bool afterDblClick = false;
    std::optional<std::string> editedText;
    bool editPending = false;
  };

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleChild(std::size_t i, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, bool& handled);
  void CreateControls();
  void CreateControl(std::size_t i);
  void CreateShown(const Control& root);
  void StackContainersBelowChildren();
  void ApplyState(std::size_t i, Property what);
  void ApplyToSubtree(const Control& root, Property what);
  void UpdateTimer(std::size_t i);
  void FillTreeImages(std::size_t i);
  void InsertNode(std::size_t i, TreeNode& node);
  void OnCommand(std::size_t i, int code);
  LRESULT OnNotify(std::size_t i, NMHDR* hdr);
  void OnTreeClicked(std::size_t i, int node);
  void OnLabelEdited(std::size_t i);
  void DrawPicture(std::size_t i, DRAWITEMSTRUCT* dis);
  void RestoreFocus();
  std::optional<std::size_t> IndexOf(const Control& c) const;
  std::optional<std::size_t> IndexOfId(WPARAM id) const;
  std::optional<std::size_t> IndexOfWindow(HWND child) const;
  TreeNode* NodeOf(std::size_t i, HTREEITEM item) const;
  int NodeAt(std::size_t i, LPARAM point) const;  // the node index on whose label a point lies
  HTREEITEM ItemOf(std::size_t i, const TreeNode& node) const;
  void RaiseMouse(Control& c, WPARAM wp, LPARAM lp);
  void Resize();

  Win32Toolkit::Impl& tk_;
  std::vector<Child> children_;
  int pushing_ = 0;  // model -> window updates in progress: ignore their echoes
  HWND savedFocus_ = nullptr;
  DWORD style_ = 0;
  DWORD exStyle_ = 0;
};

// ---- Creating a form's window ----

FormWindow::FormWindow(Win32Toolkit::Impl& tk, Form& f, HWND owner) : form(&f), tk_(tk) {
  style_ = FormStyle(f.Spec().border, exStyle_);
  RECT r{0, 0, f.ClientWidth(), f.ClientHeight()};
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
  hwnd = CreateWindowExA(exStyle_, kFormClass, ToAnsi(f.Caption()).c_str(), style_, x, y, w, h,
                         owner, nullptr, tk_.self, this);
  if (!hwnd) return;
  if (f.Spec().icon > 0) {
    if (HICON icon = LoadIconA(tk_.resources, MAKEINTRESOURCEA(f.Spec().icon))) {
      SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
      SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
  }
  CreateControls();
}

FormWindow::~FormWindow() {
  Detach();
  if (hwnd && IsWindow(hwnd)) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
  }
  for (Child& c : children_) {
    if (c.images) ImageList_Destroy(c.images);
    if (c.bitmap) DeleteObject(c.bitmap);
    if (c.icon) DestroyIcon(c.icon);
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
  ++pushing_;
  for (std::size_t i = 0; i < children_.size(); ++i) {
    const Control& c = *form->Controls()[i];
    if (c.Kind() == ControlKind::Timer || c.VisibleInForm()) CreateControl(i);
  }
  StackContainersBelowChildren();
  --pushing_;
}

void FormWindow::CreateShown(const Control& root) {
  const auto& controls = form->Controls();
  bool created = false;
  ++pushing_;
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
  --pushing_;
}

void FormWindow::CreateControl(std::size_t i) {
  Control& c = *form->Controls()[i];
  const ControlSpec& s = c.Spec();
  if (c.Kind() == ControlKind::Timer) {
    UpdateTimer(i);
    return;
  }
  const char* cls = "STATIC";
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD ex = 0;
  std::string text;
  switch (c.Kind()) {
    case ControlKind::Label:
      style |= SS_NOTIFY |
               (s.align == Alignment::Right ? SS_RIGHT : s.align == Alignment::Center ? SS_CENTER : SS_LEFT);
      if (s.border) style |= SS_SUNKEN;
      text = static_cast<Label&>(c).Caption();
      break;
    case ControlKind::Button:
      cls = "BUTTON";
      style |= WS_TABSTOP | (s.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      text = static_cast<Button&>(c).Caption();
      break;
    case ControlKind::CheckBox:
      // Not the automatic kind: a click goes to the model, which never grays a box.
      cls = "BUTTON";
      style |= WS_TABSTOP | BS_3STATE | BS_MULTILINE;
      text = static_cast<CheckBox&>(c).Caption();
      break;
    case ControlKind::OptionButton:
      cls = "BUTTON";
      style |= WS_TABSTOP | BS_RADIOBUTTON | BS_MULTILINE;
      text = static_cast<OptionButton&>(c).Caption();
      break;
    case ControlKind::TextBox:
      cls = "EDIT";
      ex = WS_EX_CLIENTEDGE;
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      if (s.multiLine) style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | (s.readOnly ? 0 : ES_WANTRETURN);
      if (s.readOnly) style |= ES_READONLY;
      break;
    case ControlKind::Frame:
      cls = "BUTTON";
      style |= BS_GROUPBOX;
      text = static_cast<Frame&>(c).Caption();
      break;
    case ControlKind::DropDownList:
      cls = "COMBOBOX";
      style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
      break;
    case ControlKind::TreeView:
      cls = WC_TREEVIEWA;
      ex = WS_EX_CLIENTEDGE;
      style |= WS_TABSTOP | TVS_SHOWSELALWAYS;
      if (s.lines) style |= TVS_HASLINES | TVS_LINESATROOT;
      if (s.buttons) style |= TVS_HASBUTTONS | TVS_LINESATROOT;
      if (s.labelEdit != LabelEditMode::None) style |= TVS_EDITLABELS;
      break;
    case ControlKind::Slider:
      cls = TRACKBAR_CLASSA;
      style |= WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS;
      if (s.ticks == TickStyle::None) style |= TBS_NOTICKS;
      if (s.ticks == TickStyle::TopLeft) style |= TBS_TOP;
      if (s.ticks == TickStyle::Both) style |= TBS_BOTH;
      break;
    case ControlKind::ProgressBar:
      cls = PROGRESS_CLASSA;
      break;
    case ControlKind::Picture:
      style |= SS_OWNERDRAW | SS_NOTIFY;
      if (s.border) ex = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Timer:
      return;
  }
  // Option buttons in a row in one container form a group for the arrow keys.
  const bool continuesGroup =
      c.Kind() == ControlKind::OptionButton && i > 0 &&
      form->Controls()[i - 1]->Kind() == ControlKind::OptionButton &&
      form->Controls()[i - 1]->Parent() == c.Parent();
  if (!continuesGroup) style |= WS_GROUP;
  if (c.VisibleInForm()) style |= WS_VISIBLE;
  if (!c.EnabledInForm()) style |= WS_DISABLED;
  const Rect r = c.FormBounds();
  const int height = r.height + (c.Kind() == ControlKind::DropDownList ? kDropDownHeight : 0);
  HWND h = CreateWindowExA(ex, cls, ToAnsi(text).c_str(), style, r.x, r.y, r.width, height, hwnd,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstId + i)), tk_.self, nullptr);
  children_[i].hwnd = h;
  if (!h) return;
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(tk_.font), FALSE);
  SetWindowSubclass(h, ControlProc, kFirstId + i, reinterpret_cast<DWORD_PTR>(this));
  switch (c.Kind()) {
    case ControlKind::TextBox:
      SendMessageA(h, EM_SETLIMITTEXT, 0, 0);
      ApplyState(i, Property::Text);
      break;
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
      ApplyState(i, Property::Value);
      break;
    case ControlKind::DropDownList:
      ApplyState(i, Property::Items);
      break;
    case ControlKind::Slider:
      SendMessageA(h, TBM_SETLINESIZE, 0, s.smallChange);
      SendMessageA(h, TBM_SETPAGESIZE, 0, s.largeChange);
      SendMessageA(h, TBM_SETTICFREQ, std::max(1, s.tickFrequency), 0);
      ApplyState(i, Property::Range);
      break;
    case ControlKind::ProgressBar:
      ApplyState(i, Property::Range);
      break;
    case ControlKind::TreeView: {
      FillTreeImages(i);
      auto& tree = static_cast<TreeView&>(c);
      for (int n = 1; n <= tree.Count(); ++n) InsertNode(i, *tree.Node(n));
      ApplyState(i, Property::Selection);
      break;
    }
    default:
      break;
  }
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

void FormWindow::FillTreeImages(std::size_t i) {
  const ControlSpec& s = form->Controls()[i]->Spec();
  if (s.imageListBitmap <= 0) return;
  children_[i].images = ImageList_LoadImageA(tk_.resources, MAKEINTRESOURCEA(s.imageListBitmap),
                                             std::max(1, s.imageSize), 0, CLR_DEFAULT, IMAGE_BITMAP,
                                             LR_CREATEDIBSECTION);
  if (children_[i].images)
    SendMessageA(children_[i].hwnd, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(children_[i].images));
}

void FormWindow::InsertNode(std::size_t i, TreeNode& node) {
  Child& ch = children_[i];
  if (!ch.hwnd) return;
  std::string text = ToAnsi(node.Text());
  TVINSERTSTRUCTA ins{};
  ins.hParent = node.Parent() ? ItemOf(i, *node.Parent()) : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  ins.item.pszText = text.data();
  // Image positions are 1-based in the model; none is drawn for 0.
  ins.item.iImage = node.Image() - 1;
  ins.item.iSelectedImage = node.SelectedImage() - 1;
  ins.item.lParam = node.Index();
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageA(ch.hwnd, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  if (ch.items.size() < static_cast<std::size_t>(node.Index())) ch.items.resize(node.Index());
  ch.items[node.Index() - 1] = item;
  // A node expanded before it had children could not be expanded on screen.
  if (node.Parent() && node.Parent()->Expanded())
    SendMessageA(ch.hwnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(ins.hParent));
}

// ---- Model -> window ----

void FormWindow::ApplyState(std::size_t i, Property what) {
  Control& c = *form->Controls()[i];
  Child& ch = children_[i];
  if (c.Kind() == ControlKind::Timer) {
    if (what == Property::Enabled || what == Property::Timer) UpdateTimer(i);
    return;
  }
  HWND h = ch.hwnd;
  if (!h) {
    // Not made yet because it was hidden: showing it makes it.
    if (what == Property::Visible) ApplyToSubtree(c, what);
    return;
  }
  ++pushing_;
  switch (what) {
    case Property::Caption:
      if (auto* cc = dynamic_cast<CaptionControl*>(&c)) SetText(h, cc->Caption());
      break;
    case Property::Text: {
      auto& box = static_cast<TextBox&>(c);
      std::string want = box.MultiLine() ? WithCrLf(box.Text()) : box.Text();
      if (WindowTextOf(h) != want) SetText(h, want);
      break;
    }
    case Property::Value:
      switch (c.Kind()) {
        case ControlKind::CheckBox: {
          const int v = static_cast<CheckBox&>(c).Value();
          SendMessageA(h, BM_SETCHECK, v == 2 ? BST_INDETERMINATE : v == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
          break;
        }
        case ControlKind::OptionButton:
          SendMessageA(h, BM_SETCHECK, static_cast<OptionButton&>(c).Value() ? BST_CHECKED : BST_UNCHECKED, 0);
          break;
        case ControlKind::DropDownList:
          SendMessageA(h, CB_SETCURSEL, static_cast<DropDownList&>(c).ListIndex(), 0);
          break;
        case ControlKind::Slider:
          SendMessageA(h, TBM_SETPOS, TRUE, static_cast<Slider&>(c).Value());
          break;
        case ControlKind::ProgressBar:
          SendMessageA(h, PBM_SETPOS, static_cast<ProgressBar&>(c).Value(), 0);
          break;
        default:
          break;
      }
      break;
    case Property::Enabled:
    case Property::Visible:
    case Property::Bounds:
      ApplyToSubtree(c, what);
      break;
    case Property::Items: {
      auto& list = static_cast<DropDownList&>(c);
      SendMessageA(h, CB_RESETCONTENT, 0, 0);
      for (const std::string& item : list.Items())
        SendMessageA(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToAnsi(item).c_str()));
      SendMessageA(h, CB_SETCURSEL, list.ListIndex(), 0);
      break;
    }
    case Property::Range:
      if (c.Kind() == ControlKind::Slider) {
        auto& slider = static_cast<Slider&>(c);
        SendMessageA(h, TBM_SETRANGEMIN, FALSE, slider.Min());
        SendMessageA(h, TBM_SETRANGEMAX, TRUE, slider.Max());
        SendMessageA(h, TBM_SETPOS, TRUE, slider.Value());
      } else if (c.Kind() == ControlKind::ProgressBar) {
        auto& bar = static_cast<ProgressBar&>(c);
        SendMessageA(h, PBM_SETRANGE32, bar.Min(), bar.Max());
        SendMessageA(h, PBM_SETPOS, bar.Value(), 0);
      }
      break;
    case Property::Image:
      if (ch.icon) {
        DestroyIcon(ch.icon);
        ch.icon = nullptr;
      }
      InvalidateRect(h, nullptr, TRUE);
      break;
    case Property::Nodes:
      SendMessageA(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
      ch.items.clear();
      ch.mouseSelected = 0;
      ch.pressedNode = 0;
      break;
    case Property::Selection: {
      TreeNode* sel = static_cast<TreeView&>(c).SelectedItem();
      SendMessageA(h, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(sel ? ItemOf(i, *sel) : nullptr));
      break;
    }
    default:
      break;
  }
  --pushing_;
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
      const Rect r = c.FormBounds();
      const int height = r.height + (c.Kind() == ControlKind::DropDownList ? kDropDownHeight : 0);
      SetWindowPos(h, nullptr, r.x, r.y, r.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  // The focus must not stay on a control the user can no longer reach.
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd, focus) && (!IsWindowVisible(focus) || !IsWindowEnabled(focus)))
    if (HWND next = GetNextDlgTabItem(hwnd, focus, FALSE)) ::SetFocus(next);
}

void FormWindow::UpdateTimer(std::size_t i) {
  auto& timer = static_cast<Timer&>(*form->Controls()[i]);
  const UINT_PTR id = kFirstId + i;
  if (timer.Enabled() && timer.Interval() > 0)
    SetTimer(hwnd, id, static_cast<UINT>(timer.Interval()), nullptr);  // restarts the interval
  else
    KillTimer(hwnd, id);
}

void FormWindow::ControlChanged(Control& control, Property what) {
  if (auto i = IndexOf(control)) ApplyState(*i, what);
}

void FormWindow::NodeAdded(TreeView& tree, TreeNode& node) {
  if (auto i = IndexOf(tree)) {
    ++pushing_;
    InsertNode(*i, node);
    --pushing_;
  }
}

void FormWindow::NodeChanged(TreeView& tree, TreeNode& node, Property what) {
  auto i = IndexOf(tree);
  if (!i) return;
  HTREEITEM item = ItemOf(*i, node);
  HWND h = children_[*i].hwnd;
  if (!item || !h) return;
  ++pushing_;
  if (what == Property::Value) {
    SendMessageA(h, TVM_EXPAND, node.Expanded() ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
  } else {
    std::string text = ToAnsi(node.Text());
    TVITEMA it{};
    it.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    it.hItem = item;
    it.pszText = text.data();
    it.iImage = node.Image() - 1;
    it.iSelectedImage = node.SelectedImage() - 1;
    SendMessageA(h, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  }
  --pushing_;
}

void FormWindow::FocusRequested(Control& control) {
  auto i = IndexOf(control);
  if (!i || !children_[*i].hwnd) return;
  if (IsWindowVisible(hwnd))
    ::SetFocus(children_[*i].hwnd);
  else
    savedFocus_ = children_[*i].hwnd;  // taken when the form is shown
}

void FormWindow::LabelEditRequested(TreeView& tree, TreeNode& node) {
  auto i = IndexOf(tree);
  if (!i) return;
  Child& ch = children_[*i];
  HTREEITEM item = ItemOf(*i, node);
  ch.editRequested = true;
  if (ch.hwnd && item && IsWindowVisible(ch.hwnd)) {
    ::SetFocus(ch.hwnd);
    if (SendMessageA(ch.hwnd, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item))) return;
  }
  // The edit could not start: end it as dismissed, after this call returns.
  ch.editRequested = false;
  ch.editedText.reset();
  ch.editPending = true;
  PostMessageA(hwnd, kLabelEdited, *i, 0);
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
      SetCursor(LoadCursorA(nullptr, form->Pointer() == MousePointer::Hourglass ? IDC_WAIT : IDC_ARROW));
      break;
    default:
      break;
  }
}

void FormWindow::Resize() {
  RECT r{0, 0, form->ClientWidth(), form->ClientHeight()};
  AdjustWindowRectEx(&r, style_, FALSE, exStyle_);
  SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::FormDestroyed() {
  Form* f = form;
  Detach();
  if (f) tk_.Forget(*f);
}

void FormWindow::ShowWindowNow(bool visible) {
  if (!hwnd) return;
  ShowWindow(hwnd, visible ? SW_SHOW : SW_HIDE);
  if (visible) UpdateWindow(hwnd);
}

// ---- Lookups ----

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

TreeNode* FormWindow::NodeOf(std::size_t i, HTREEITEM item) const {
  const auto& items = children_[i].items;
  auto it = std::find(items.begin(), items.end(), item);
  if (!item || it == items.end()) return nullptr;
  return static_cast<TreeView&>(*form->Controls()[i]).Node(static_cast<int>(it - items.begin()) + 1);
}

int FormWindow::NodeAt(std::size_t i, LPARAM point) const {
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageA(children_[i].hwnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  TreeNode* node = (hit.flags & TVHT_ONITEM) ? NodeOf(i, item) : nullptr;
  return node ? node->Index() : 0;
}

HTREEITEM FormWindow::ItemOf(std::size_t i, const TreeNode& node) const {
  const auto& items = children_[i].items;
  const std::size_t k = static_cast<std::size_t>(node.Index() - 1);
  return k < items.size() ? items[k] : nullptr;
}

// ---- Window -> model ----

void FormWindow::OnCommand(std::size_t i, int code) {
  Control& c = *form->Controls()[i];
  HWND h = children_[i].hwnd;
  switch (c.Kind()) {
    case ControlKind::Button:
      if (code == BN_CLICKED && IsWindowEnabled(h) && IsWindowVisible(h)) static_cast<Button&>(c).Press();
      break;
    case ControlKind::CheckBox:
      if (code == BN_CLICKED) static_cast<CheckBox&>(c).ClickByUser();
      break;
    case ControlKind::OptionButton:
      if (code == BN_CLICKED) static_cast<OptionButton&>(c).ClickByUser();
      break;
    case ControlKind::TextBox:
      if (code == EN_CHANGE) {
        auto& box = static_cast<TextBox&>(c);
        std::string now = WindowTextOf(h);
        // A multi-line box given bare LFs shows them as CR LF: not a user change.
        if (now != (box.MultiLine() ? WithCrLf(box.Text()) : box.Text())) box.SetText(now);
      }
      break;
    case ControlKind::DropDownList:
      if (code == CBN_SELCHANGE)
        static_cast<DropDownList&>(c).SetListIndex(static_cast<int>(SendMessageA(h, CB_GETCURSEL, 0, 0)));
      break;
    case ControlKind::Label:
    case ControlKind::Picture:
      if (code == STN_CLICKED) c.Raise(Event::Click);
      if (code == STN_DBLCLK) c.Raise(Event::DblClick);
      break;
    default:
      break;
  }
}

LRESULT FormWindow::OnNotify(std::size_t i, NMHDR* hdr) {
  Control& c = *form->Controls()[i];
  if (c.Kind() != ControlKind::TreeView) return 0;
  auto& tree = static_cast<TreeView&>(c);
  Child& ch = children_[i];
  switch (hdr->code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(hdr);
      if (nm->action != TVC_BYMOUSE && nm->action != TVC_BYKEYBOARD) return 0;  // by code
      TreeNode* node = NodeOf(i, nm->itemNew.hItem);
      if (!node) return 0;
      if (nm->action == TVC_BYMOUSE) ch.mouseSelected = node->Index();
      tree.Select(node);
      EventArgs args;
      args.event = Event::NodeClick;
      args.node = node;
      tree.Raise(args);
      return 0;
    }
    case NM_CLICK:
      // The tree tells a click before or after the selection it makes,
      // depending on the system, and tells no selection for a click on the
      // selected node: settle it once both may have arrived. The node is the
      // one under the press itself (the message position of a click may lie
      // elsewhere, for a click that another program posted).
      PostMessageA(hwnd, kTreeClicked, i, ch.pressedNode);
      ch.pressedNode = 0;
      return 0;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
      if (pushing_) return 0;
      auto* nm = reinterpret_cast<NMTREEVIEWA*>(hdr);
      if (TreeNode* node = NodeOf(i, nm->itemNew.hItem)) {
        const auto state = SendMessageA(ch.hwnd, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(nm->itemNew.hItem),
                                        TVIS_EXPANDED);
        node->SetExpanded((state & TVIS_EXPANDED) != 0);
      }
      return 0;
    }
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      const bool requested = ch.editRequested;
      ch.editRequested = false;
      if (requested) return FALSE;
      return tree.BeginLabelEditByUser() ? FALSE : TRUE;  // TRUE refuses the edit
    }
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW: {
      // The handler may rebuild the tree, which must not happen while the
      // tree is still closing its edit box: finish after this returns.
      auto* nmA = reinterpret_cast<NMTVDISPINFOA*>(hdr);
      if (!nmA->item.pszText)
        ch.editedText.reset();
      else if (hdr->code == TVN_ENDLABELEDITA)
        ch.editedText = FromAnsi(nmA->item.pszText);
      else
        ch.editedText = FromWide(reinterpret_cast<NMTVDISPINFOW*>(hdr)->item.pszText);
      ch.editPending = true;
      PostMessageA(hwnd, kLabelEdited, i, 0);
      return FALSE;  // the model sets the text if the handler lets it
    }
    default:
      return 0;
  }
}

void FormWindow::OnTreeClicked(std::size_t i, int nodeIndex) {
  auto& tree = static_cast<TreeView&>(*form->Controls()[i]);
  Child& ch = children_[i];
  const bool alreadyReported = nodeIndex != 0 && ch.mouseSelected == nodeIndex;
  ch.mouseSelected = 0;
  if (TreeNode* node = tree.Node(nodeIndex); node && !alreadyReported) {
    tree.Select(node);
    EventArgs args;
    args.event = Event::NodeClick;
    args.node = node;
    tree.Raise(args);
  }
  tree.Raise(Event::Click);
}

void FormWindow::OnLabelEdited(std::size_t i) {
  Child& ch = children_[i];
  if (!ch.editPending) return;
  ch.editPending = false;
  auto& tree = static_cast<TreeView&>(*form->Controls()[i]);
  if (tree.EditingNode()) tree.EndLabelEdit(ch.editedText);
}

void FormWindow::RaiseMouse(Control& c, WPARAM wp, LPARAM lp) {
  EventArgs args;
  args.event = Event::MouseMove;
  args.button = ((wp & MK_LBUTTON) ? 1 : 0) | ((wp & MK_RBUTTON) ? 2 : 0) | ((wp & MK_MBUTTON) ? 4 : 0);
  args.shift = ((wp & MK_SHIFT) ? 1 : 0) | ((wp & MK_CONTROL) ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
  args.x = static_cast<short>(LOWORD(lp));
  args.y = static_cast<short>(HIWORD(lp));
  c.Raise(args);
}

void FormWindow::DrawPicture(std::size_t i, DRAWITEMSTRUCT* dis) {
  auto& pic = static_cast<Picture&>(*form->Controls()[i]);
  Child& ch = children_[i];
  FillRect(dis->hDC, &dis->rcItem, GetSysColorBrush(COLOR_BTNFACE));
  if (pic.Shows() == Picture::Content::Bitmap) {
    if (ch.bitmapId != pic.BitmapId()) {
      if (ch.bitmap) DeleteObject(ch.bitmap);
      ch.bitmap = static_cast<HBITMAP>(LoadImageA(tk_.resources, MAKEINTRESOURCEA(pic.BitmapId()), IMAGE_BITMAP,
                                                  0, 0, LR_CREATEDIBSECTION));
      ch.bitmapId = pic.BitmapId();
    }
    if (!ch.bitmap) return;
    BITMAP bm{};
    GetObjectA(ch.bitmap, sizeof bm, &bm);
    HDC mem = CreateCompatibleDC(dis->hDC);
    HGDIOBJ old = SelectObject(mem, ch.bitmap);
    BitBlt(dis->hDC, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  } else if (pic.Shows() == Picture::Content::Icon) {
    if (!ch.icon) {
      HICON icon = ExtractIconA(tk_.self, ToAnsi(pic.IconFile()).c_str(), static_cast<UINT>(pic.IconIndex()));
      // 1 means "not a file with icons", not an icon.
      ch.icon = reinterpret_cast<UINT_PTR>(icon) > 1 ? icon : nullptr;
    }
    if (ch.icon) DrawIcon(dis->hDC, 0, 0, ch.icon);
  }
}

void FormWindow::RestoreFocus() {
  HWND target = savedFocus_;
  if (!target || !IsWindow(target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
    target = GetNextDlgTabItem(hwnd, nullptr, FALSE);
  if (target) ::SetFocus(target);
}

// ---- Window procedures ----

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
  Nesting nest(self->tk_.depth);
  LRESULT result = 0;
  bool done = false;
  self->tk_.Guarded([&] {
    result = self->Handle(msg, wp, lp);
    done = true;
  });
  return done ? result : 0;
}

LRESULT FormWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  Form& f = *form;
  const bool helpHere = tk_.helpForm == &f;
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wp);
      if (id == IDCANCEL && !lp) {  // Esc, through the dialog keys
        if (Button* cancel = f.CancelButton()) {
          if (auto i = IndexOf(*cancel); i && IsWindowEnabled(children_[*i].hwnd) && IsWindowVisible(children_[*i].hwnd))
            cancel->Press();
        }
        return 0;
      }
      if (pushing_) return 0;
      if (auto i = IndexOfId(id)) OnCommand(*i, HIWORD(wp));
      return 0;
    }
    case DM_GETDEFID:
      if (Button* def = f.DefaultButton())
        if (auto i = IndexOf(*def); i && def->VisibleInForm() && def->EnabledInForm())
          return MAKELRESULT(kFirstId + *i, DC_HASDEFID);
      return 0;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(lp);
      if (auto i = IndexOfWindow(hdr->hwndFrom)) {
        if (pushing_ && hdr->code != TVN_BEGINLABELEDITA && hdr->code != TVN_BEGINLABELEDITW) return 0;
        return OnNotify(*i, hdr);
      }
      return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (auto i = IndexOfWindow(reinterpret_cast<HWND>(lp));
          i && !pushing_ && f.Controls()[*i]->Kind() == ControlKind::Slider) {
        auto& slider = static_cast<Slider&>(*f.Controls()[*i]);
        slider.SetValue(static_cast<int>(SendMessageA(children_[*i].hwnd, TBM_GETPOS, 0, 0)));
      }
      return 0;
    case kTreeClicked:
      if (auto i = IndexOfId(kFirstId + wp)) OnTreeClicked(*i, static_cast<int>(lp));
      return 0;
    case kLabelEdited:
      if (auto i = IndexOfId(kFirstId + wp)) OnLabelEdited(*i);
      return 0;
    case WM_TIMER:
      if (auto i = IndexOfId(wp); i && f.Controls()[*i]->Kind() == ControlKind::Timer)
        static_cast<Timer&>(*f.Controls()[*i]).Fire();
      return 0;
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (auto i = IndexOfId(dis->CtlID); i && f.Controls()[*i]->Kind() == ControlKind::Picture)
        DrawPicture(*i, dis);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      if (auto i = IndexOfWindow(reinterpret_cast<HWND>(lp)); i && f.Controls()[*i]->Spec().link) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      if (helpHere) {
        SetCursor(LoadCursorA(nullptr, IDC_HELP));
        return TRUE;
      }
      if (f.Pointer() == MousePointer::Hourglass) {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
      }
      if (auto i = IndexOfWindow(reinterpret_cast<HWND>(wp)); i && f.Controls()[*i]->Spec().link) {
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      if (helpHere) SetCursor(LoadCursorA(nullptr, IDC_HELP));
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (helpHere) {
        // Captured: the point is in this window's client coordinates.
        POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        Control* target = f.ControlAt(pt.x, pt.y);
        RECT client;
        GetClientRect(hwnd, &client);
        if (!PtInRect(&client, pt)) target = nullptr;
        tk_.LeaveHelpMode();
        if (target) {
          std::string text = f.HelpText(*target);
          ClientToScreen(hwnd, &pt);
          tk_.ShowPopup(text.empty() ? kNoHelpText : text, pt);
        }
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (!helpHere && f.HasHandler(Event::Click, nullptr)) {
        EventArgs args;
        args.event = Event::Click;
        f.Raise(args);
      }
      return 0;
    case kEnterHelp:
      // Taken only now: the button whose click asked for the mode releases
      // the mouse when its click ends.
      if (helpHere && !tk_.helpCaptured) {
        tk_.helpCaptured = true;
        SetCapture(hwnd);
        SetCursor(LoadCursorA(nullptr, IDC_HELP));
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (helpHere && tk_.helpCaptured) tk_.LeaveHelpMode();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) savedFocus_ = focus;
        return 0;
      }
      tk_.active = &f;
      RestoreFocus();
      f.RaiseActivate();
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_CLOSE:
      if (f.QueryUnload(UnloadReason::CloseBox) && f.Loaded()) tk_.DoUnload(f, true);
      return 0;
    case WM_QUERYENDSESSION:
      return f.QueryUnload(UnloadReason::SessionEnd) ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wp && f.Loaded()) {
        tk_.ended = true;
        tk_.DoUnload(f, true);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK FormWindow::ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR ref) {
  auto* self = reinterpret_cast<FormWindow*>(ref);
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ControlProc, id);
  if (!self || !self->form || id < static_cast<UINT_PTR>(kFirstId) || id - kFirstId >= self->children_.size())
    return DefSubclassProc(hwnd, msg, wp, lp);
  Nesting nest(self->tk_.depth);
  LRESULT result = 0;
  bool handled = false;
  self->tk_.Guarded([&] { result = self->HandleChild(id - kFirstId, hwnd, msg, wp, lp, handled); });
  return handled ? result : DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT FormWindow::HandleChild(std::size_t i, HWND h, UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
  Control& c = *form->Controls()[i];
  Child& ch = children_[i];
  const ControlKind kind = c.Kind();
  const bool pointerEvents = kind == ControlKind::Label || kind == ControlKind::Frame || kind == ControlKind::Picture;
  switch (msg) {
    case WM_SETFOCUS:
      form->NoteFocus(&c);
      break;
    case WM_NCHITTEST:
      // A group box lets the pointer through to what lies below; ours reports
      // its own moves and clicks (its children lie above it).
      if (kind == ControlKind::Frame) {
        handled = true;
        return HTCLIENT;
      }
      break;
    case WM_MOUSEMOVE:
      if (pointerEvents && tk_.helpForm != form) RaiseMouse(c, wp, lp);
      break;
    case WM_LBUTTONDOWN:
      if (kind == ControlKind::Frame) handled = true;  // no focus or press for a group box
      if (kind == ControlKind::TreeView) ch.pressedNode = NodeAt(i, lp);
      break;
    case WM_LBUTTONUP:
      if (kind == ControlKind::Frame) {
        handled = true;
        if (!ch.afterDblClick) c.Raise(Event::Click);
        ch.afterDblClick = false;
      }
      break;
    case WM_LBUTTONDBLCLK:
      if (kind == ControlKind::Frame) {
        handled = true;
        ch.afterDblClick = true;
        c.Raise(Event::DblClick);
      }
      break;
    default:
      break;
  }
  (void)h;
  return 0;
}

// ---- The help popup ----

static LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
  auto* tk = reinterpret_cast<Win32Toolkit::Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_CAPTURECHANGED:
      // Another window took the mouse: the popup has lost its moment.
      if (tk && tk->popup == hwnd) tk->ClosePopup();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
      HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      InflateRect(&r, -6, -4);
      int n = GetWindowTextLengthA(hwnd);
      std::string text(static_cast<std::size_t>(n) + 1, '\0');
      GetWindowTextA(hwnd, text.data(), n + 1);
      DrawTextA(dc, text.c_str(), n, &r, DT_WORDBREAK | DT_NOPREFIX);
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void Win32Toolkit::Impl::ShowPopup(const std::string& text, POINT screen) {
  ClosePopup();
  std::string ansi = ToAnsi(text);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r{0, 0, kPopupWidth, 0};
  DrawTextA(dc, ansi.c_str(), static_cast<int>(ansi.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  // A little slack: a word that just fits when measured may wrap when drawn.
  const int w = r.right + 18, h = r.bottom + 12;
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int x = std::clamp<int>(screen.x, work.left, std::max<int>(work.left, work.right - w));
  const int y = std::clamp<int>(screen.y + 20, work.top, std::max<int>(work.top, work.bottom - h));
  popup = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPopupClass, ansi.c_str(), WS_POPUP | WS_BORDER, x,
                          y, w, h, nullptr, nullptr, self, this);
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
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

// ---- The toolkit ----

bool Win32Toolkit::Impl::Realise(Form& form, HWND owner) {
  auto window = std::make_unique<FormWindow>(*this, form, owner);
  if (!window->hwnd) {
    window->form = nullptr;
    Report(("the window of form " + form.Name() + " could not be created").c_str());
    return false;
  }
  form.AttachView(window.get());
  windows[&form] = std::move(window);
  return true;
}

void Win32Toolkit::Impl::Forget(const Form& form) {
  auto it = windows.find(&form);
  if (it == windows.end()) return;
  if (helpForm == &form) LeaveHelpMode();
  if (active == &form) active = nullptr;
  ShowWindow(it->second->hwnd, SW_HIDE);
  graveyard.push_back(std::move(it->second));
  windows.erase(it);
  PostMessageA(nullptr, WM_NULL, 0, 0);  // wakes a loop waiting for messages
}

void Win32Toolkit::Impl::DoUnload(Form& form, bool raiseEvents) {
  if (raiseEvents)
    form.FinishUnload();
  else
    form.Abandon();
  // A modal form gives the input back to the others before it hides, so that
  // its owner, not another program, becomes active.
  for (auto it = modal.begin(); it != modal.end(); ++it) {
    if (it->form != &form) continue;
    for (HWND h : it->disabled)
      if (IsWindow(h)) EnableWindow(h, TRUE);
    it->disabled.clear();
  }
  if (FormWindow* w = WindowFor(form)) w->Detach();
  Forget(form);
}

void Win32Toolkit::Impl::CollectGarbage() {
  if (depth == 0) graveyard.clear();
}

HWND Win32Toolkit::Impl::OwnerWindow() const {
  if (active)
    if (FormWindow* w = WindowFor(*active); w && IsWindowVisible(w->hwnd)) return w->hwnd;
  return nullptr;
}

bool Win32Toolkit::Impl::PreTranslate(MSG& msg) {
  const bool key = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool keyInput = key || msg.message == WM_CHAR || msg.message == WM_KEYUP || msg.message == WM_SYSCHAR;
  const bool click = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN ||
                     msg.message == WM_MBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN;
  if (popup && (key || (click && msg.hwnd == popup))) {
    ClosePopup();
    return true;  // the key or click that closes it does nothing else
  }
  if (helpForm && keyInput) {
    if (key && msg.wParam == VK_ESCAPE) LeaveHelpMode();
    return true;
  }
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!root) return false;
  char cls[32] = {};
  GetClassNameA(root, cls, sizeof cls);
  if (lstrcmpA(cls, kFormClass) != 0) return false;
  return IsDialogMessageA(root, &msg) != FALSE;
}

void Win32Toolkit::Impl::Pump(MSG& msg) {
  if (!PreTranslate(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  CollectGarbage();
}

Win32Toolkit::Win32Toolkit(void* resourceModule) : impl_(std::make_unique<Impl>()) {
  impl_->resources = resourceModule ? static_cast<HINSTANCE>(resourceModule) : impl_->self;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                           ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = FormWindow::FormProc;
  wc.hInstance = impl_->self;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  RegisterClassExA(&wc);  // fails harmlessly when a second toolkit registers again
  WNDCLASSEXA pc{};
  pc.cbSize = sizeof pc;
  pc.style = CS_SAVEBITS;
  pc.lpfnWndProc = PopupProc;
  pc.hInstance = impl_->self;
  pc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  pc.lpszClassName = kPopupClass;
  RegisterClassExA(&pc);
}

Win32Toolkit::~Win32Toolkit() {
  impl_->ClosePopup();
  for (auto& [form, window] : impl_->windows) window->Detach();
  impl_->windows.clear();
  impl_->graveyard.clear();
}

void Win32Toolkit::Show(Form& form) {
  Impl& tk = *impl_;
  if (tk.ended) return;
  if (!form.Loaded()) {
    if (!tk.Realise(form, nullptr)) return;
    tk.Guarded([&] { form.Load(); });
    if (!form.Loaded()) return;  // its Load unloaded it
  }
  FormWindow* w = tk.WindowFor(form);
  if (!w) return;
  form.SetShown(true);
  w->ShowWindowNow(true);
  SetActiveWindow(w->hwnd);
}

void Win32Toolkit::ShowModal(Form& form) {
  Impl& tk = *impl_;
  if (tk.ended || form.Visible()) return;
  HWND owner = tk.OwnerWindow();
  if (!form.Loaded()) {
    if (!tk.Realise(form, owner)) return;
  } else if (FormWindow* w = tk.WindowFor(form)) {
    SetWindowLongPtrA(w->hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  }
  Impl::Modal record{&form, {}};
  for (auto& [other, window] : tk.windows)
    if (other != &form && IsWindowEnabled(window->hwnd)) {
      EnableWindow(window->hwnd, FALSE);
      record.disabled.push_back(window->hwnd);
    }
  tk.modal.push_back(record);
  if (!form.Loaded()) tk.Guarded([&] { form.Load(); });
  if (FormWindow* w = tk.WindowFor(form); w && form.Loaded()) {
    form.SetShown(true);
    w->ShowWindowNow(true);
    SetActiveWindow(w->hwnd);
  }
  MSG msg;
  while (form.Loaded() && !tk.ended) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
      break;
    }
    tk.Pump(msg);
  }
  for (auto it = tk.modal.begin(); it != tk.modal.end(); ++it)
    if (it->form == &form) {
      for (HWND h : it->disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
      tk.modal.erase(it);
      break;
    }
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
}

bool Win32Toolkit::Unload(Form& form) {
  if (!form.Loaded()) return true;
  if (!form.QueryUnload(UnloadReason::Code)) return false;
  if (form.Loaded()) impl_->DoUnload(form, true);
  return true;
}

void Win32Toolkit::Hide(Form& form) {
  form.SetShown(false);
  if (FormWindow* w = impl_->WindowFor(form)) w->ShowWindowNow(false);
}

void Win32Toolkit::DoEvents() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    impl_->Pump(msg);
  }
}

int Win32Toolkit::Run() {
  Impl& tk = *impl_;
  MSG msg;
  int code = 0;
  while (!tk.windows.empty() && !tk.ended) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      code = got == 0 ? static_cast<int>(msg.wParam) : 1;
      break;
    }
    tk.Pump(msg);
  }
  tk.CollectGarbage();
  return code;
}

void Win32Toolkit::End() {
  Impl& tk = *impl_;
  tk.ended = true;
  tk.ClosePopup();
  tk.LeaveHelpMode();
  std::vector<Form*> forms;
  for (auto& [form, window] : tk.windows) forms.push_back(window->form);
  for (Form* f : forms)
    if (f) tk.DoUnload(*f, false);
}

int Win32Toolkit::MsgBox(const std::string& text, const std::string& title, int flags) {
  impl_->LeaveHelpMode();
  return MessageBoxA(impl_->OwnerWindow(), ToAnsi(text).c_str(), ToAnsi(title).c_str(),
                     static_cast<UINT>(flags));
}

FileDialogResult Win32Toolkit::OpenFile(const FileDialogRequest& request) {
  // "Text|*.a;*.b|" -> "Text\0*.a;*.b\0\0"
  std::string filter = ToAnsi(request.filter);
  std::replace(filter.begin(), filter.end(), '|', '\0');
  filter.push_back('\0');
  filter.push_back('\0');
  std::string title = ToAnsi(request.title);
  std::string initialDir = ToAnsi(request.initialDir);
  std::vector<char> file(32768, '\0');
  std::vector<char> fileTitle(1024, '\0');
  const std::string initial = ToAnsi(request.fileName);
  std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = impl_->OwnerWindow();
  ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrFileTitle = fileTitle.data();
  ofn.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  ofn.Flags = request.flags;
  FileDialogResult result;
  if (!GetOpenFileNameA(&ofn)) return result;
  result.ok = true;
  result.fileName = FromAnsi(file.data());
  result.fileTitle = FromAnsi(fileTitle.data());
  return result;
}

void Win32Toolkit::EnterWhatsThisMode(Form& form) {
  Impl& tk = *impl_;
  FormWindow* w = tk.WindowFor(form);
  if (!w || !IsWindowVisible(w->hwnd)) return;
  tk.ClosePopup();
  tk.LeaveHelpMode();
  tk.helpForm = &form;
  tk.helpCaptured = false;
  PostMessageA(w->hwnd, kEnterHelp, 0, 0);
}

bool Win32Toolkit::InWhatsThisMode() const { return impl_->helpForm != nullptr; }

void* Win32Toolkit::WindowOf(const Form& form) const {
  FormWindow* w = impl_->WindowFor(form);
  return w ? w->hwnd : nullptr;
}

const std::string& Win32Toolkit::LastHandlerError() const { return impl_->lastError; }

}  // namespace velmaro::forms
