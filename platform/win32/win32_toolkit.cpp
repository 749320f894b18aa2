// The toolkit itself: realising and unloading forms, modal shows, the message
// loops, message boxes and the file-open dialog.
#include "platform/win32/win32_toolkit.h"

#include <algorithm>

#include "platform/win32/win32_form_window.h"
#include "platform/win32/win32_on_demand.h"
// After windows.h.
#include <commdlg.h>

namespace velmaro::forms {
namespace {

// 8 points at 96 DPI: the height of the system's dialog font there.
constexpr int kFontHeight = -11;

int DisplayDpi() {
  win32::WindowDc screen(nullptr);
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

// The dialog font, sized for the display: at 96 DPI exactly the stock one.
win32::OwnedFont ScaledFont(const DisplayScale& scale) {
  LOGFONTA lf{};
  if (!GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf)) return {};
  lf.lfHeight = scale.Px(kFontHeight);
  lf.lfWidth = 0;
  return win32::OwnedFont(CreateFontIndirectA(&lf));
}

void RegisterClasses(HINSTANCE self) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = FormWindow::FormProc;
  wc.hInstance = self;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFormClass;
  RegisterClassExA(&wc);  // fails harmlessly when a second toolkit registers again
  WNDCLASSEXA pc{};
  pc.cbSize = sizeof pc;
  pc.style = CS_SAVEBITS;
  pc.lpfnWndProc = PopupProc;
  pc.hInstance = self;
  pc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  pc.lpszClassName = kPopupClass;
  RegisterClassExA(&pc);
}

}  // namespace

// ---- Impl ----

FormWindow* Win32Toolkit::Impl::WindowFor(const Form& form) const {
  auto it = windows.find(&form);
  return it == windows.end() ? nullptr : it->second.get();
}

void Win32Toolkit::Impl::Report(const char* what) {
  lastError = what ? what : "unknown error";
  OutputDebugStringA(("Velmaro: a handler failed: " + lastError + "\n").c_str());
}

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

void Win32Toolkit::Impl::GiveInputBack(Modal& record) {
  for (HWND h : record.disabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  record.disabled.clear();
}

void Win32Toolkit::Impl::DoUnload(Form& form, bool raiseEvents) {
  if (raiseEvents)
    form.FinishUnload();
  else
    form.Abandon();
  // A modal form gives the input back to the others before it hides, so that
  // its owner, not another program, becomes active.
  for (Modal& record : modal)
    if (record.form == &form) GiveInputBack(record);
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
  const bool keyInput =
      key || msg.message == WM_CHAR || msg.message == WM_KEYUP || msg.message == WM_SYSCHAR;
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
  return IsDialogMessageW(root, &msg) != FALSE;
}

// The loop is a wide one: an ANSI loop hands a typed character that the
// code page lacks to every window as '?'. The form's own window procedure is
// still an ANSI one; the system converts for it.
void Win32Toolkit::Impl::Pump(MSG& msg) {
  if (!PreTranslate(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  CollectGarbage();
}

// ---- Win32Toolkit ----

Win32Toolkit::Win32Toolkit(void* resourceModule) : impl_(std::make_unique<Impl>()) {
  impl_->resources = resourceModule ? static_cast<HINSTANCE>(resourceModule) : impl_->self;
  impl_->scale.dpi = DisplayDpi();
  impl_->ownFont = ScaledFont(impl_->scale);
  if (impl_->ownFont) impl_->font = impl_->ownFont.Get();
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                                           ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterClasses(impl_->self);
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
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
      break;
    }
    tk.Pump(msg);
  }
  auto it = std::find_if(tk.modal.begin(), tk.modal.end(),
                         [&](const Impl::Modal& m) { return m.form == &form; });
  if (it != tk.modal.end()) {
    Impl::GiveInputBack(*it);
    tk.modal.erase(it);
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
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
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
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
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
  // Wide: a message that quotes a name the code page lacks shows it as it is.
  std::wstring wideText, wideTitle;
  if (platform::ToWide(text, wideText) && platform::ToWide(title, wideTitle))
    return MessageBoxW(impl_->OwnerWindow(), wideText.c_str(), wideTitle.c_str(),
                       static_cast<UINT>(flags));
  return MessageBoxA(impl_->OwnerWindow(), ToAnsiBestFit(text).c_str(),
                     ToAnsiBestFit(title).c_str(), static_cast<UINT>(flags));
}

FileDialogResult Win32Toolkit::OpenFile(const FileDialogRequest& request) {
  // "Text|*.a;*.b|" -> "Text\0*.a;*.b\0\0"
  std::string filter = ToAnsiBestFit(request.filter);
  std::replace(filter.begin(), filter.end(), '|', '\0');
  filter.push_back('\0');
  filter.push_back('\0');
  const std::string title = ToAnsiBestFit(request.title);
  // A folder or file name the code page cannot hold would name another one:
  // the dialog then starts where it would without them.
  std::string initialDir, initial;
  platform::ToAnsiExact(request.initialDir, initialDir);
  platform::ToAnsiExact(request.fileName, initial);
  std::vector<char> file(32768, '\0');
  std::vector<char> fileTitle(1024, '\0');
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
  const std::string extension = ToAnsiBestFit(request.defaultExtension);
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  FileDialogResult result;
  // A system without the dialog's library gives what a cancel gives.
  static win32::OnDemand<BOOL(OPENFILENAMEA*)> getOpenFileName("comdlg32.dll", "GetOpenFileNameA");
  static win32::OnDemand<BOOL(OPENFILENAMEA*)> getSaveFileName("comdlg32.dll", "GetSaveFileNameA");
  const auto open = request.save ? getSaveFileName.Get() : getOpenFileName.Get();
  if (!open || !open(&ofn)) return result;
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

bool Win32Toolkit::InWhatsThisMode() const {
  return impl_->helpForm != nullptr;
}

void* Win32Toolkit::WindowOf(const Form& form) const {
  FormWindow* w = impl_->WindowFor(form);
  return w ? w->hwnd : nullptr;
}

const std::string& Win32Toolkit::LastHandlerError() const {
  return impl_->lastError;
}

}  // namespace velmaro::forms
