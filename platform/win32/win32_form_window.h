#pragma once
// Inside the Win32 toolkit (not for the programs): the toolkit's state, the
// window of one loaded form, and the table of control kinds. Text is UTF-8 in
// the model and ANSI at every call (the windows are ANSI windows, so common
// controls send the ...A notifications; the W ones are handled too), except
// that what the user typed is read wide and the message loop is a wide one,
// so that characters the code page lacks reach the model as they are. The
// model raises the events; this side only turns user input into model calls
// and model changes into window updates, with a guard so that an update is
// not read back as input.
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/win32_gdi.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_toolkit.h"

namespace velmaro::forms {

inline constexpr char kFormClass[] = "VelmaroForm";
inline constexpr char kPopupClass[] = "VelmaroHelpPopup";
inline constexpr int kFirstId = 1000;             // clear of IDOK/IDCANCEL and friends
inline constexpr UINT kTreeClicked = WM_APP + 1;  // wParam control, lParam node index
inline constexpr UINT kLabelEdited = WM_APP + 2;  // wParam control
inline constexpr UINT kEnterHelp = WM_APP + 3;
inline constexpr UINT kTreeRedraw = WM_APP + 4;   // wParam control

using platform::FromAnsi;
using platform::ToAnsiBestFit;

// The window's text in UTF-8 (read wide), and a caption set from UTF-8
// (best fit where the code page holds it or the window is an ANSI one).
std::string WindowTextOf(HWND hwnd);
void SetText(HWND hwnd, const std::string& utf8);
// Multi-line edit controls break lines only at CR LF.
std::string WithCrLf(const std::string& text);
bool IsDescendant(const Control& c, const Control& ancestor);
void SetPointer(LPCSTR cursor);
// The What's This popup's window procedure (win32_help_popup.cpp).
LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

class FormWindow;

// Counts work in progress for as long as it lasts: window procedures running
// (unloaded windows wait until none is) and model -> window updates.
struct InProgress {
  explicit InProgress(int& count) : count_(count) { ++count_; }
  ~InProgress() { --count_; }
  InProgress(const InProgress&) = delete;
  InProgress& operator=(const InProgress&) = delete;

private:
  int& count_;
};

// Forms are laid out in pixels of a 96-DPI display; a process that declares
// itself DPI-aware sees the display's real DPI and draws everything larger
// by the same factor (fonts too), so that the layout keeps its proportions.
struct DisplayScale {
  int dpi = 96;
  int Px(int designed) const { return MulDiv(designed, dpi, 96); }
  int Designed(int px) const { return MulDiv(px, 96, dpi); }
  // Edges are scaled, not sizes, so that controls that touch keep touching.
  RECT Px(const Rect& r) const { return {Px(r.x), Px(r.y), Px(r.x + r.width), Px(r.y + r.height)}; }
};

// How one kind of control behaves on this side beyond its window class. Every
// hook may be null; each gets the window and the control's index in it.
struct ControlBehaviour {
  // The window has just been made: fill it from the model.
  void (*created)(FormWindow& w, std::size_t i) = nullptr;
  // A model property that only this kind has (its value, list, range, ...).
  void (*sync)(FormWindow& w, std::size_t i, Property what) = nullptr;
  // WM_COMMAND, WM_NOTIFY, WM_HSCROLL/WM_VSCROLL and WM_DRAWITEM from the control.
  void (*command)(FormWindow& w, std::size_t i, int code) = nullptr;
  LRESULT (*notify)(FormWindow& w, std::size_t i, NMHDR* hdr) = nullptr;
  void (*scrolled)(FormWindow& w, std::size_t i) = nullptr;
  void (*draw)(FormWindow& w, std::size_t i, DRAWITEMSTRUCT* dis) = nullptr;
  // A message to the control's own window, before the control sees it; sets
  // `handled` to keep it from the control.
  using Input = LRESULT (*)(FormWindow& w, std::size_t i, UINT msg, WPARAM wp, LPARAM lp,
                            bool& handled);
  Input input = nullptr;
};

// One row per kind of control: the window that realises it.
struct ControlKindInfo {
  ControlKind kind;
  const char* windowClass;  // null: no window (a timer)
  DWORD style;              // beside WS_CHILD | WS_CLIPSIBLINGS
  DWORD exStyle;
  // Style bits that follow the control's description; may be null.
  DWORD (*styleOf)(const ControlSpec& spec, DWORD& exStyle);
  int extraHeight;  // designed pixels below the control's own height, e.g. for a drop-down list
  const ControlBehaviour* behaviour;
};
const ControlKindInfo& KindInfo(ControlKind kind);

// The behaviours, each in its own file.
extern const ControlBehaviour kButtonBehaviour;
extern const ControlBehaviour kCheckBoxBehaviour;
extern const ControlBehaviour kOptionButtonBehaviour;
extern const ControlBehaviour kTextBoxBehaviour;
extern const ControlBehaviour kStaticBehaviour;  // labels
extern const ControlBehaviour kFrameBehaviour;
extern const ControlBehaviour kDropDownListBehaviour;
extern const ControlBehaviour kSliderBehaviour;
extern const ControlBehaviour kProgressBarBehaviour;
extern const ControlBehaviour kPictureBehaviour;
extern const ControlBehaviour kTreeViewBehaviour;
extern const ControlBehaviour kDriveChooserBehaviour;  // win32_folder_controls.cpp
extern const ControlBehaviour kFolderTreeBehaviour;

struct Win32Toolkit::Impl {
  HINSTANCE self = GetModuleHandleA(nullptr);
  HINSTANCE resources = nullptr;
  DisplayScale scale;
  win32::OwnedFont ownFont;  // the controls' font at the display's DPI
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

  FormWindow* WindowFor(const Form& form) const;
  void Report(const char* what);
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
  // The other forms take input again.
  static void GiveInputBack(Modal& record);
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

  // What the window side keeps for one control.
  struct Child {
    HWND hwnd = nullptr;
    win32::OwnedImageList images;
    win32::OwnedBitmap bitmap;
    int bitmapId = 0;
    win32::OwnedIcon icon;
    bool afterDblClick = false;
    // A tree's items by node index - 1, and its clicks and edits in flight.
    std::vector<HTREEITEM> items;
    int mouseSelected = 0;  // node chosen by the pointer, awaiting its click
    int pressedNode = 0;    // node under the last button press, 0 for none
    bool editRequested = false;
    std::optional<std::string> editedText;
    bool editPending = false;
    bool redrawHeld = false;  // nodes are changing: drawn once the handler is done
  };

  void Detach();
  void ShowWindowNow(bool visible);

  // For the behaviours of the control kinds.
  Win32Toolkit::Impl& Toolkit() const { return tk_; }
  template <class T>
  T& ControlOf(std::size_t i) const {
    return static_cast<T&>(*form->Controls()[i]);
  }
  Child& ChildAt(std::size_t i) { return children_[i]; }
  // Model changes in progress: the window's echoes of them are not input.
  bool Pushing() const { return pushing_ != 0; }

  // FormView
  void ControlChanged(Control& control, Property what) override;
  void NodeAdded(TreeView& tree, TreeNode& node) override;
  void NodeChanged(TreeView& tree, TreeNode& node, Property what) override;
  void FocusRequested(Control& control) override;
  void LabelEditRequested(TreeView& tree, TreeNode& node) override;
  void FormChanged(Property what) override;
  void FormDestroyed() override;

  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // Puts ControlProc before the control's own window procedure.
  void Subclass(HWND control);

  // The tree view (win32_tree_view.cpp).
  void InsertNode(std::size_t i, TreeNode& node);
  TreeNode* NodeOf(std::size_t i, HTREEITEM item) const;
  HTREEITEM ItemOf(std::size_t i, const TreeNode& node) const;
  int NodeAt(std::size_t i, LPARAM point) const;  // node index under a point, 0 for none
  void OnTreeClicked(std::size_t i, int node);
  void OnLabelEdited(std::size_t i);
  // A tree redraws after every node it gains, which under Wine makes
  // thousands of nodes take seconds; changes made in one go are drawn once.
  void HoldTreeRedraw(std::size_t i);
  void ResumeTreeRedraw(std::size_t i);

private:
  // Creation (win32_form_create.cpp).
  void CreateControls();
  void CreateControl(std::size_t i);
  void CreateShown(const Control& root);
  void StackContainersBelowChildren();
  void Resize();
  // Where a control's window goes, in pixels of this display.
  RECT WindowRectOf(const Control& c) const;

  // Model -> window (win32_form_sync.cpp).
  void ApplyState(std::size_t i, Property what);
  void ApplyToSubtree(const Control& root, Property what);
  void UpdateTimer(std::size_t i);
  std::optional<std::size_t> IndexOf(const Control& c) const;
  std::optional<std::size_t> IndexOfId(WPARAM id) const;
  std::optional<std::size_t> IndexOfWindow(HWND child) const;

  // Window -> model (win32_form_input.cpp).
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  bool FromControls(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool FromPointer(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool ForWindowState(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  LRESULT HandleChild(std::size_t i, UINT msg, WPARAM wp, LPARAM lp, bool& handled);
  void OnCommandMessage(WPARAM wp, LPARAM lp);
  LRESULT DefaultButtonId() const;
  LRESULT OnNotifyMessage(NMHDR* hdr);
  void OnScroll(HWND control);
  void OnTimer(WPARAM id);
  void OnDrawItem(DRAWITEMSTRUCT* dis);
  bool SetCursorFor(HWND over);
  void ShowHelpAt(LPARAM point);
  void OnActivate(WPARAM state);
  void RestoreFocus();

  Win32Toolkit::Impl& tk_;
  std::vector<Child> children_;
  int pushing_ = 0;  // model -> window updates in progress: ignore their echoes
  HWND savedFocus_ = nullptr;
  DWORD style_ = 0;
  DWORD exStyle_ = 0;
};

}  // namespace velmaro::forms
