// The baseline for the installation benchmark: a bare window whose "Start"
// button makes the shortcut folder, disables itself and arms a 1250 ms timer,
// as Setup's page 4 does with its Next button; the timer copies the same five
// files and makes the same two links through the ShellLink object, then
// enables "Done". Nothing else: no settings, no uninstall entry, no progress
// shown.
//
//   bare_install <distribution folder> <install folder> <shortcut folder>
#include <windows.h>
// After windows.h.
#include <objbase.h>
#include <shlobj.h>

#include <string>

namespace {

constexpr int kStart = 1;
constexpr int kDone = 2;
constexpr UINT_PTR kTimer = 1;
std::string dist, folder, links;
HWND done = nullptr;

void Link(const std::string& file, const std::string& target) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    link->SetPath(target.c_str());
    link->SetDescription("ShellLink Sample");
    link->SetIconLocation(target.c_str(), 0);
    link->SetShowCmd(SW_SHOWNORMAL);
    link->Resolve(nullptr, SLR_UPDATE);
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    persist->Save(wide, FALSE);
    persist->Release();
  }
  link->Release();
}

void Install() {
  const char* sources[] = {"Velmaro.001", "Velmaro.002", "Velmaro.003", "Velmaro.004", "Velmaro.005"};
  const char* names[] = {"Velmaro.exe", "Velmaro.dll", "Velmaro.hlp", "ReadMe.txt", "Uninstall.exe"};
  for (int i = 0; i < 5; ++i)
    CopyFileA((dist + "\\" + sources[i]).c_str(), (folder + "\\" + names[i]).c_str(), FALSE);
  Link(links + "\\Velmaro.lnk", folder + "\\Velmaro.exe");
  Link(links + "\\ReadMe.txt.lnk", folder + "\\ReadMe.txt");
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == kStart) {
        CreateDirectoryA(links.c_str(), nullptr);
        EnableWindow(reinterpret_cast<HWND>(lp), FALSE);
        SetTimer(hwnd, kTimer, 1250, nullptr);
      }
      return 0;
    case WM_TIMER:
      KillTimer(hwnd, kTimer);
      Install();
      EnableWindow(done, TRUE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 4) return 2;
  dist = __argv[1];
  folder = __argv[2];
  links = __argv[3];
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "VelmaroBareInstall";
  if (!RegisterClassExA(&wc)) return 1;
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "Bare install", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 300, 120, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  CreateWindowExA(0, "BUTTON", "Start", WS_CHILD | WS_VISIBLE, 10, 10, 80, 26, hwnd,
                  reinterpret_cast<HMENU>(kStart), instance, nullptr);
  done = CreateWindowExA(0, "BUTTON", "Done", WS_CHILD | WS_VISIBLE | WS_DISABLED, 100, 10, 80, 26, hwnd,
                         reinterpret_cast<HMENU>(kDone), instance, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  CoUninitialize();
  return static_cast<int>(msg.wParam);
}
