// The boot options apply on the real c:\msdos.sys of the Wine prefix: a
// missing file is created, a hidden/system/read-only one is rewritten in place
// and keeps its attributes, and one held open by another program is left
// alone with the store untouched. Whatever was there before is put back.
#include <windows.h>

#include <cstdio>
#include <string>

#include "console/boot_options.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"

namespace {

using namespace velmaro;
using namespace velmaro::platform;

int failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

std::string Content(FileSystem& files) {
  std::string bytes;
  files.ReadWholeFile(console::BootFilePath, bytes, 1 << 20);
  return bytes;
}

constexpr std::uint32_t kRhs = FileAttributeReadOnly | FileAttributeHidden | FileAttributeSystem;

}  // namespace

int main() {
  Win32Files files;
  Win32Registry registry;
  SettingsStore store(registry);
  const std::string path(console::BootFilePath);

  // What the prefix holds now, to put it back at the end.
  const std::uint32_t savedAttributes = files.AttributesOf(path);
  const std::string savedContent = Content(files);
  HKey existing = 0;
  const bool hadStore =
      registry.OpenKey(HkeyCurrentUser, "Software\\Velmaro", existing) == ErrorSuccess;
  if (hadStore) registry.CloseKey(existing);
  const std::string savedKeys[] = {store.Read(settings::AutoScan, "\x01"),
                                   store.Read(settings::DisSplach, "\x01"),
                                   store.Read(settings::BootDelay, "\x01")};

  files.SetAttributes(path, FileAttributeNormal);
  files.Delete(path);
  auto result = console::ApplyBootOptions(files, store, {1, 1, 3});
  Check(result.ok() && result.fileCreated, "a missing boot file is created");
  Check(Content(files) == "AutoScan=2\r\nBootDelay=3\r\nLogo=0\r\n", "holding the three lines");

  const std::string sample = "[Options]\r\nAutoScan=1\r\nBootDelay=2\r\nLogo=1\r\n;x\r\n";
  files.WriteWholeFile(path, sample);
  files.SetAttributes(path, kRhs);
  result = console::ApplyBootOptions(files, store, {1, 1, 4});
  Check(result.ok() && !result.fileCreated, "an existing boot file is replaced");
  Check(Content(files) == "[Options]\r\nAutoScan=2\r\nBootDelay=4\r\nLogo=0\r\n;x\r\n",
        "its three lines rewritten in place");
  Check((files.AttributesOf(path) & kRhs) == kRhs, "hidden, system and read-only carried over");
  std::string windows;
  files.WindowsDirectory(windows);
  Check(!files.Exists(windows + "\\msdos.sys"), "no temporary copy left");
  Check(store.Read(settings::DisSplach) == "0" && store.Read(settings::BootDelay) == "4",
        "the choices recorded");

  {
    std::string ansi;
    registry.CodePage().ToAnsi(path, ansi);
    HANDLE held = CreateFileA(ansi.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    result = console::ApplyBootOptions(files, store, {0, 0, 0});
    CloseHandle(held);
  }
  Check(result.step == console::BootStep::ReadTarget && result.error == ErrorSharingViolation,
        "a boot file held open elsewhere is reported");
  Check(Content(files) == "[Options]\r\nAutoScan=2\r\nBootDelay=4\r\nLogo=0\r\n;x\r\n" &&
            (files.AttributesOf(path) & kRhs) == kRhs && store.Read(settings::BootDelay) == "4",
        "and left as it was, store included");

  // Put the prefix back.
  files.SetAttributes(path, FileAttributeNormal);
  if (savedAttributes == InvalidFileAttributes) {
    files.Delete(path);
  } else {
    files.WriteWholeFile(path, savedContent);
    files.SetAttributes(path, savedAttributes);
  }
  const std::string_view keys[] = {settings::AutoScan, settings::DisSplach, settings::BootDelay};
  RegExtra reg(registry);
  if (!hadStore) reg.DeleteKey(HkeyCurrentUser, "Software\\Velmaro");
  for (int i = 0; hadStore && i < 3; ++i) {
    if (savedKeys[i] == "\x01")
      reg.DeleteValue(HkeyCurrentUser, "Software\\Velmaro\\Settings", keys[i]);
    else
      store.Write(keys[i], savedKeys[i]);
  }

  std::printf("%s\n", failures ? "boot options e2e: FAILED" : "boot options e2e: passed");
  return failures ? 1 : 0;
}
