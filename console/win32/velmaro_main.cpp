// The tweak console's entry point: the real registry and window toolkit under
// the portable main window.
#include <windows.h>

#include <string>

#include "console/tweaker.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_mouse.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_toolkit.h"

namespace {

// Help topics are a few kilobytes; a larger file is not ours.
constexpr std::uint64_t kMaxHelpFile = 1u << 20;

// Velmaro.hlp beside the program, converted from the ANSI code page; a
// missing, unreadable or oversized file leaves What's This without topics.
std::string ReadHelpFile(velmaro::platform::FileSystem& files,
                         const velmaro::platform::AnsiCodePage& codePage) {
  std::string path;
  if (files.ModulePath(path) != velmaro::platform::ErrorSuccess) return {};
  path = path.substr(0, path.find_last_of('\\') + 1) + "Velmaro.hlp";
  std::string bytes;
  if (files.ReadWholeFile(path, bytes, kMaxHelpFile) != velmaro::platform::ErrorSuccess) return {};
  return codePage.FromAnsi(bytes);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velmaro::platform::Win32Registry registry;
  velmaro::platform::Win32Files files;
  velmaro::platform::Win32Mouse mouse;
  velmaro::platform::Win32Desktop desktop;
  velmaro::forms::Win32Toolkit toolkit(instance);
  velmaro::console::ConsoleSystem system(
      toolkit, registry, files, mouse, desktop,
      velmaro::console::HelpTopics::Parse(ReadHelpFile(files, registry.CodePage())));
  velmaro::console::Tweaker main(system);
  toolkit.Show(main);
  return toolkit.Run();
}
