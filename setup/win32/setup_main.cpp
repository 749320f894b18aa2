// Setup's entry point: the real registry, disks, shell and window toolkit
// under the portable wizard, or, with /S, the silent run without a window.
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/win32/win32_drives.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_toolkit.h"
#include "setup/silent_setup.h"
#include "setup/wizard.h"

namespace {

// Written into Setup.exe at build time from the payload files.
const velmaro::platform::FileDigest kPayload[] = {
#include "payload_manifest.inc"
};

// The arguments after the program's name, read wide: a folder given in
// characters the code page lacks then arrives as it is, not as '?'.
std::string Arguments() {
  const std::wstring_view line = GetCommandLineW();
  std::size_t i = 0;
  for (bool quoted = false; i < line.size(); ++i) {
    if (line[i] == L'"')
      quoted = !quoted;
    else if (!quoted && (line[i] == L' ' || line[i] == L'\t'))
      break;
  }
  return velmaro::platform::FromWide(line.substr(i));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velmaro::platform::Win32Registry registry;
  velmaro::platform::Win32Files files;
  velmaro::platform::Win32Drives drives;
  velmaro::platform::Win32Shell shell;
  velmaro::forms::Win32Toolkit toolkit(instance);
  velmaro::setup::SetupSystem system(toolkit, registry, files, drives, shell);
  static_assert(std::size(kPayload) == std::tuple_size_v<decltype(system.payload)>);
  std::copy(std::begin(kPayload), std::end(kPayload), system.payload.begin());

  const std::string commandLine = Arguments();
  const auto command = velmaro::setup::ParseSetupCommand(commandLine);
  if (!command.understood) {
    velmaro::platform::WriteInTempFolder(files, velmaro::setup::SilentLogName,
                                         std::string("The command line was not understood: ") +
                                             commandLine + "\nSetup.exe /S [/D=FOLDER]\n");
    return velmaro::setup::ExitNotUnderstood;
  }
  if (command.silent) {
    std::string report;
    const int code = velmaro::setup::InstallSilently(system, command.folder, report);
    velmaro::platform::WriteInTempFolder(files, velmaro::setup::SilentLogName, report);
    return code;
  }
  velmaro::setup::Wizard wizard(system);
  toolkit.Show(wizard);
  return toolkit.Run();
}
