// Setup's entry point: the real registry, disks, shell and window toolkit
// under the portable wizard.
#include <windows.h>

#include "platform/win32/win32_drives.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_toolkit.h"
#include "setup/wizard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velmaro::platform::Win32Registry registry;
  velmaro::platform::Win32Files files;
  velmaro::platform::Win32Drives drives;
  velmaro::platform::Win32Shell shell;
  velmaro::forms::Win32Toolkit toolkit(instance);
  velmaro::setup::SetupSystem system(toolkit, registry, files, drives, shell);
  velmaro::setup::Wizard wizard(system);
  toolkit.Show(wizard);
  return toolkit.Run();
}
