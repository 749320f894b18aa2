// Uninstall's entry point: the real registry, files, shell and window toolkit
// under the portable window, or, with /S, the removal without a window.
#include <windows.h>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_toolkit.h"
#include "uninstall/form1.h"
#include "uninstall/removal.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  velmaro::platform::Win32Registry registry;
  velmaro::platform::Win32Files files;
  velmaro::platform::Win32Shell shell;
  velmaro::forms::Win32Toolkit toolkit(instance);
  velmaro::uninstall::UninstallSystem system(toolkit, registry, files, shell);
  std::string arguments = commandLine ? commandLine : "";
  arguments.erase(0, arguments.find_first_not_of(" \t") == std::string::npos
                         ? arguments.size()
                         : arguments.find_first_not_of(" \t"));
  arguments.erase(arguments.find_last_not_of(" \t") + 1);
  if (!arguments.empty()) {
    if (arguments != "/S" && arguments != "/s") {
      velmaro::platform::WriteInTempFolder(
          files, velmaro::uninstall::SilentLogName,
          "The command line was not understood: " + arguments + "\nUninstall.exe /S");
      return 2;
    }
    std::string report;
    const int code = velmaro::uninstall::RemoveSilently(system, report);
    velmaro::platform::WriteInTempFolder(files, velmaro::uninstall::SilentLogName, report);
    return code;
  }
  velmaro::uninstall::Form1 window(system);
  toolkit.Show(window);
  return toolkit.Run();
}
