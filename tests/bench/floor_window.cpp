// The least a program must do before it is ready in the way the console is:
// the start-up benchmark's floor. Plain Win32, nothing of Velmaro's own code,
// but the same manifest (version 6 of the common controls), resources and
// windows as the console at start: the splash shown first with its picture
// and one pass of the message loop, then the main window with its icon, the
// category tree (images, a root and ten nodes), the greeting and the seven
// buttons, shown and painted. What the console needs beyond this is its own
// cost; what this needs beyond the bare window is the price of what the
// console must show.
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include "console/resource_ids.h"

namespace {

constexpr UINT_PTR kSplashTimer = 1;

LRESULT CALLBACK FloorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:  // the splash's 500 ms
      KillTimer(hwnd, kSplashTimer);
      DestroyWindow(hwnd);
      return 0;
    case WM_CLOSE:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, RECT r, int id,
           HFONT font) {
  HWND h = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left,
                           r.top, r.right, r.bottom, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return h;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                           0, "MS Shell Dlg");
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "VelmaroForm";  // as the console's, so the benchmark finds it the same way
  if (!RegisterClassExA(&wc)) return 1;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, 780, 468};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND main = CreateWindowExA(0, wc.lpszClassName, "Velmaro", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              instance, nullptr);
  if (!main) return 1;
  HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(VELMARO_IDI_APP));
  SendMessageA(main, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(main, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  // Ids as the console's: the tree is 1000, the benchmark looks for it there.
  HWND tree = Child(main, WC_TREEVIEWA, "", TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT,
                    {8, 8, 184, 412}, 1000, font);
  HIMAGELIST images = ImageList_LoadImageA(instance, MAKEINTRESOURCEA(VELMARO_IDB_TREE), 16, 0,
                                           CLR_DEFAULT, IMAGE_BITMAP, LR_CREATEDIBSECTION);
  SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  Child(main, "STATIC", "Select the category for which you want to tune up Windows and it's other "
        "applications from the adjacent list.", 0, {216, 32, 540, 48}, 1001, font);
  const char* buttons[] = {"What's this?", "&Options", "No settings", "&Undo", "E&xport...",
                           "&Import...", "Close"};
  for (int i = 0; i < 7; ++i)
    Child(main, "BUTTON", buttons[i], BS_PUSHBUTTON | WS_TABSTOP, {8 + i * 104, 430, 96, 28},
          1002 + i, font);

  // The splash: centred, its picture, shown and given one pass of the loop.
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  HWND splash = CreateWindowExA(0, wc.lpszClassName, "Velmaro", WS_POPUP,
                                work.left + (work.right - work.left - 323) / 2,
                                work.top + (work.bottom - work.top - 153) / 2, 323, 153, main,
                                nullptr, instance, nullptr);
  HWND picture = Child(splash, "STATIC", "", SS_BITMAP, {0, 0, 323, 153}, 1000, font);
  SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(LoadImageA(instance, MAKEINTRESOURCEA(VELMARO_IDB_SPLASH),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  ShowWindow(splash, SW_SHOW);
  UpdateWindow(splash);
  SetTimer(splash, kSplashTimer, 500, nullptr);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);

  TVINSERTSTRUCTA item{};
  item.hInsertAfter = TVI_LAST;
  item.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  item.item.pszText = const_cast<char*>("Velmaro");
  const auto root = reinterpret_cast<HTREEITEM>(
      SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  item.hParent = root;
  for (int i = 1; i <= 10; ++i) {
    item.item.pszText = const_cast<char*>("Category");
    item.item.iImage = item.item.iSelectedImage = i;
    SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  ShowWindow(main, SW_SHOW);
  UpdateWindow(main);
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(main, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
