// Uninstall's entry point: the real registry, files, shell and window toolkit
// under the portable window.
#include <windows.h>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_toolkit.h"
#include "uninstall/form1.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velmaro::platform::Win32Registry registry;
  velmaro::platform::Win32Files files;
  velmaro::platform::Win32Shell shell;
  velmaro::forms::Win32Toolkit toolkit(instance);
  velmaro::uninstall::UninstallSystem system(toolkit, registry, files, shell);
  velmaro::uninstall::Form1 window(system);
  toolkit.Show(window);
  return toolkit.Run();
}
