// The tweak console's entry point: the real registry and window toolkit under
// the portable main window.
#include <windows.h>

#include <optional>
#include <string>

#include "console/export.h"
#include "console/import.h"
#include "console/tweaker.h"
#include "console/velmaro_scope.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_locks.h"
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

// The undo history lives in the user's application data folder (the
// Windows folder's "Application Data" where the system names none).
std::string UndoHistoryPath(velmaro::platform::FileSystem& files) {
  char buffer[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA("APPDATA", buffer, MAX_PATH);
  std::string folder;
  if (n > 0 && n < MAX_PATH) {
    folder = velmaro::platform::FromAnsi(std::string(buffer, n));
  } else {
    files.WindowsDirectory(folder);
    folder += "\\Application Data";
  }
  return folder + "\\Velmaro\\Undo history.txt";
}

// A message for whoever started "Velmaro.exe /export" or "/import" from a
// command prompt.
void SayOn(DWORD stream, const std::string& text) {
  HANDLE err = GetStdHandle(stream);
  if (!err || err == INVALID_HANDLE_VALUE) {
    AttachConsole(ATTACH_PARENT_PROCESS);
    err = GetStdHandle(stream);
  }
  if (!err || err == INVALID_HANDLE_VALUE) return;
  const std::string line = velmaro::platform::ToAnsiBestFit(text) + "\r\n";
  DWORD written = 0;
  WriteFile(err, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void SayOnStandardError(const std::string& text) { SayOn(STD_ERROR_HANDLE, text); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  velmaro::platform::Win32Registry registry;
  velmaro::platform::Win32Files files;
  velmaro::platform::Win32Mouse mouse;
  velmaro::platform::Win32Desktop desktop;
  velmaro::forms::Win32Toolkit toolkit(instance);
  const std::string command = velmaro::platform::FromAnsi(commandLine ? commandLine : "");
  if (velmaro::console::IsExportCommand(command)) {
    // No window: the settings are read, written to the file, and the exit
    // code says how it went.
    velmaro::console::ConsoleSystem system(toolkit, registry, files, mouse, desktop);
    std::string error;
    const int code = velmaro::console::RunExportCommand(system, command, error);
    if (code != 0) SayOnStandardError("Velmaro: " + error);
    return code;
  }
  if (velmaro::console::IsImportCommand(command)) {
    // No window either; the undo history is opened only once the file is
    // known to be good, so that a refused file leaves everything as it was.
    velmaro::console::ConsoleSystem reader(toolkit, registry, files, mouse, desktop);
    std::optional<velmaro::platform::Win32Locks> locks;
    std::optional<velmaro::undo::Journal> journal;
    std::optional<velmaro::console::ConsoleSystem> writer;
    std::string report, error;
    const int code = velmaro::console::RunImportCommand(
        reader, command, report, error, [&]() -> velmaro::console::ConsoleSystem& {
          locks.emplace();
          journal.emplace(registry, files, UndoHistoryPath(files), *locks,
                          velmaro::console::WhatVelmaroMayChange(registry, files));
          writer.emplace(toolkit, journal->Registry(), journal->Files(), mouse, desktop,
                         velmaro::console::HelpTopics{}, &*journal, &files);
          return *writer;
        });
    if (!report.empty()) SayOn(STD_OUTPUT_HANDLE, report);
    if (code != 0) SayOnStandardError("Velmaro: " + error);
    return code;
  }
  velmaro::platform::Win32Locks locks;
  velmaro::undo::Journal journal(registry, files, UndoHistoryPath(files), locks,
                                 velmaro::console::WhatVelmaroMayChange(registry, files));
  velmaro::console::ConsoleSystem system(
      toolkit, journal.Registry(), journal.Files(), mouse, desktop,
      velmaro::console::HelpTopics::Parse(ReadHelpFile(files, registry.CodePage())), &journal,
      &files);
  velmaro::console::Tweaker main(system);
  toolkit.Show(main);
  return toolkit.Run();
}
