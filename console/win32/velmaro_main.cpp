// The tweak console's entry point: the real registry and window toolkit under
// the portable main window.
#include <windows.h>

#include <string>

#include "console/tweaker.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_toolkit.h"

namespace {

// Velmaro.hlp beside the program, converted from the ANSI code page; a
// missing or unreadable file leaves What's This without topics.
std::string ReadHelpFile(const velmaro::platform::AnsiCodePage& codePage) {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::string file(path, n);
  file = file.substr(0, file.find_last_of('\\') + 1) + "Velmaro.hlp";
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  // Help topics are a few kilobytes; a larger file is not ours.
  while (text.size() < (1u << 20) && ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
    text.append(buffer, got);
  CloseHandle(h);
  return codePage.FromAnsi(text);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velmaro::platform::Win32Registry registry;
  velmaro::platform::Win32Files files;
  velmaro::forms::Win32Toolkit toolkit(instance);
  velmaro::console::ConsoleSystem system(
      toolkit, registry, files,
      velmaro::console::HelpTopics::Parse(ReadHelpFile(registry.CodePage())));
  velmaro::console::Tweaker main(system);
  toolkit.Show(main);
  return toolkit.Run();
}
