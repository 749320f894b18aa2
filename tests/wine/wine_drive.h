#pragma once
// Driving another process's windows as a user would, for the end-to-end
// drivers: waiting for windows, clicking buttons, answering message boxes,
// reading and clicking tree nodes through memory in the target process.
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace velmaro::e2e {

// A driver sees positions and sizes as the programs it drives do only when it
// is DPI-aware too (the programs declare it); call first thing.
inline void SeeRealPixels() { SetProcessDPIAware(); }

// The display's DPI; forms are designed for 96 and drawn larger above it.
inline int ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  for (int waited = 0; waited < ms; waited += 25) {
    if (done()) return true;
    Sleep(25);
  }
  return done();
}

// GetWindowText does not ask another process's control; WM_GETTEXT does.
inline std::string TextOf(HWND h) {
  char buf[1024] = {};
  SendMessageA(h, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
  return buf;
}

inline HWND VisibleWindow(const char* cls, const char* title) {
  HWND h = FindWindowA(cls, title);
  return h && IsWindowVisible(h) ? h : nullptr;
}

// A Linux path handed over by CMake, as the programs under Wine see it.
inline std::string WinePath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (auto& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline void Key(HWND h, WPARAM vk) {
  PostMessageA(h, WM_KEYDOWN, vk, 1);
  PostMessageA(h, WM_KEYUP, vk, 0xC0000001);
}

// Answers the message box with this title by its button, as a click would;
// `text` receives the box's message, and `whileShown` runs while the box is
// up, before the answer (to see what the program had done by then).
inline bool AnswerBox(const char* title, int button, std::string* text = nullptr,
                      const std::function<void()>& whileShown = {}) {
  HWND box = nullptr;
  if (!WaitFor([&] { return (box = VisibleWindow("#32770", title)) != nullptr; })) return false;
  if (whileShown) whileShown();
  if (text) {
    text->clear();
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      char cls[32] = {};
      GetClassNameA(c, cls, sizeof cls);
      const std::string t = TextOf(c);
      if (std::string(cls) == "Static" && !t.empty()) *text = t;
    }
  }
  HWND b = GetDlgItem(box, button);
  if (!b) return false;
  PostMessageA(b, BM_CLICK, 0, 0);
  // This box is gone; another of the same title may follow at once (a second
  // message, a Retry that asks again), and is the next call's to answer.
  return WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); });
}

// A tree view in another process: item texts and rectangles need memory there.
class RemoteTree {
public:
  RemoteTree(HWND tree, HANDLE process) : tree_(tree), process_(process) {
    memory_ = VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteTree() {
    if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
  }
  RemoteTree(const RemoteTree&) = delete;
  RemoteTree& operator=(const RemoteTree&) = delete;

  int Count() const { return static_cast<int>(SendMessageA(tree_, TVM_GETCOUNT, 0, 0)); }
  HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }
  HTREEITEM Next(HTREEITEM item, UINT how) const {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree_, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
  }
  std::string Text(HTREEITEM item) const {
    auto* base = static_cast<char*>(memory_);
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = base + 512;
    tv.cchTextMax = 256;
    SIZE_T n = 0;
    WriteProcessMemory(process_, base, &tv, sizeof tv, &n);
    if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(base))) return {};
    char text[256] = {};
    ReadProcessMemory(process_, base + 512, text, sizeof text - 1, &n);
    return text;
  }
  // The item with this text among the root and its children.
  HTREEITEM Find(const std::string& text) const {
    HTREEITEM root = Root();
    if (root && Text(root) == text) return root;
    for (HTREEITEM c = Next(root, TVGN_CHILD); c; c = Next(c, TVGN_NEXT))
      if (Text(c) == text) return c;
    return nullptr;
  }
  void Expand(HTREEITEM item, bool expand = true) const {
    SendMessageA(tree_, TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE,
                 reinterpret_cast<LPARAM>(item));
  }
  // A mouse click on the item's label, as a user makes it.
  bool Click(HTREEITEM item) const {
    RECT r{};
    if (!ItemRect(item, true, r)) return false;
    ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return true;
  }
  // A click on the +/- button of a root item, as a user collapses or expands it.
  bool ClickRootButton(HTREEITEM item) const {
    RECT r{};
    if (!ItemRect(item, false, r)) return false;
    const int indent = static_cast<int>(SendMessageA(tree_, TVM_GETINDENT, 0, 0));
    ClickAt(r.left + indent / 2, (r.top + r.bottom) / 2);
    return true;
  }
  HTREEITEM Selected() const { return Next(nullptr, TVGN_CARET); }
  bool Expanded(HTREEITEM item) const {
    return (SendMessageA(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
            TVIS_EXPANDED) != 0;
  }

private:
  // TVM_GETITEMRECT takes the item in the rectangle's first bytes, in the
  // tree's own process.
  bool ItemRect(HTREEITEM item, bool textOnly, RECT& r) const {
    std::memcpy(&r, &item, sizeof item);
    SIZE_T n = 0;
    WriteProcessMemory(process_, memory_, &r, sizeof r, &n);
    if (!SendMessageA(tree_, TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(memory_)))
      return false;
    ReadProcessMemory(process_, memory_, &r, sizeof r, &n);
    return true;
  }
  void ClickAt(int x, int y) const {
    PostMessageA(tree_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(tree_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }

  HWND tree_;
  HANDLE process_;
  void* memory_ = nullptr;
};

// A registry value as text: a DWORD as its decimal number, "<no key>" and
// "<none>" when the key or the value is missing; `type` receives its type.
inline std::string ReadValue(HKEY root, const char* path, const char* name, DWORD* type = nullptr) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  char data[1024] = {};
  DWORD size = sizeof data - 1, t = 0;
  const LONG rc = RegQueryValueExA(key, name, nullptr, &t, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (type) *type = t;
  if (rc != ERROR_SUCCESS) return "<none>";
  if (t == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
  return std::string(data, strnlen(data, size));
}

// Milliseconds on the performance counter, for timing from outside.
inline double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / frequency;
}

// The id the toolkit gives a control of a form's design: 1000 + its place in
// the tab order.
template <class FormSpec>
int IdOf(const FormSpec& spec, const std::string& name, int index = -1) {
  for (std::size_t i = 0; i < spec.controls.size(); ++i)
    if (spec.controls[i].name == name && spec.controls[i].index == index)
      return 1000 + static_cast<int>(i);
  return -1;
}

// A file's bytes, whole, read beside whoever holds it open; `missing` when
// there is no such file.
inline std::string FileBytes(const std::string& path, const char* missing = "") {
  HANDLE in = CreateFileA(path.c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return missing;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(in);
  return bytes;
}

// Makes (or replaces) a file holding these bytes; false if it cannot.
inline bool PutFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return written == bytes.size();
}

// A folder with everything in it, as a user might remove it by hand.
inline void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

// Counts checks and prints each as it goes, so a failure is seen in context.
// Runs a program to its end; its exit code, or -1 when it cannot be
// started or runs past `ms` (then it is ended).
inline int RunToEnd(std::string command, DWORD ms = 60000) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(pi.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return static_cast<int>(code);
}

struct Checker {
  int failures = 0;
  bool operator()(bool ok, const std::string& what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++failures;
    return ok;
  }
};

// What a program writes to its standard output, run to its end (10 s at the
// most) without a window: kNotStarted when it cannot be started. Its exit
// code goes to `code` when given.
inline constexpr const char* kNotStarted = "<not started>";
inline std::string OutputOf(std::string commandLine, DWORD* code = nullptr) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &sa, 0)) return kNotStarted;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = write;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
  CloseHandle(write);
  std::string out;
  if (started) {
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(read, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
    WaitForSingleObject(pi.hProcess, 10000);
    if (code && !GetExitCodeProcess(pi.hProcess, code)) *code = static_cast<DWORD>(-1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(read);
  return started ? out : kNotStarted;
}

}  // namespace velmaro::e2e
