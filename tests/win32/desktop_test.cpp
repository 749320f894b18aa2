// The icon changer's shell calls on the real system: icons counted in real
// files, the icon library's blank icon really blank, and the picker's path
// coming back exactly as the picker wrote it (a stand-in picker writes it,
// since Wine's own answers at once without a dialog).
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_desktop.h"

namespace velmaro::platform {
namespace {

// The icon library as built, given by CMake as a Linux path.
std::string IconLibrary() {
  std::string path = "Z:" VELMARO_ICON_LIBRARY;
  for (auto& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string SystemShell32() {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\shell32.dll";
}

TEST(Win32Desktop, CountsTheIconsOfRealFilesAndNoneOfOthers) {
  Win32Desktop desktop;
  EXPECT_EQ(desktop.IconCount(IconLibrary()), 16);
  EXPECT_GT(desktop.IconCount(SystemShell32()), 29);
  EXPECT_EQ(desktop.IconCount("c:\\velmaro-no-such-file.dll"), 0);
  EXPECT_EQ(desktop.IconCount(""), 0);
  EXPECT_EQ(desktop.IconCount("c:\\\xE9\x9B\xAA.dll"), 0);  // not in the code page
  const char* text = "c:\\velmaro-not-a-program.dll";
  HANDLE h = CreateFileA(text, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, "not a program", 13, &written, nullptr);
  CloseHandle(h);
  EXPECT_EQ(desktop.IconCount(text), 0);
  DeleteFileA(text);
}

// How many pixels drawing the icon changes on a white square.
int PixelsChangedBy(const std::string& file, int index) {
  HICON icon = ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), index);
  if (!icon) return -1;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 32, 32};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIcon(dc, 0, 0, icon);
  int changed = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) changed += (GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DestroyIcon(icon);
  return changed;
}

TEST(Win32Desktop, TheLibrarysTenthIconIsBlank) {
  EXPECT_EQ(PixelsChangedBy(IconLibrary(), 9), 0);
  EXPECT_GT(PixelsChangedBy(IconLibrary(), 0), 0) << "the others draw something";
  EXPECT_GT(PixelsChangedBy(IconLibrary(), 10), 0);
}

// The stand-in picker: what it was opened at, and what it answers.
struct Script {
  std::wstring opened;
  int openedIndex = -1;
  std::wstring writes;
  int index = 0;
  int result = 1;
} script;

int __stdcall StandInPicker(void*, wchar_t* path, unsigned chars, int* index) {
  script.opened = path;
  script.openedIndex = *index;
  if (script.result == 1) {
    // The rest of the buffer is left as the caller filled it, NUL padding
    // included, as a real picker leaves it.
    if (script.writes.size() >= chars) return 0;
    wcscpy(path, script.writes.c_str());
    *index = script.index;
  }
  return script.result;
}

TEST(Win32Desktop, ThePickersPathComesBackExactly) {
  Win32Desktop desktop(&StandInPicker);
  // Short paths, which as NUL-padded ANSI text pass Wine's IsTextUnicode as
  // UTF-16; letters of the code page; and one it lacks.
  const std::pair<std::wstring, std::string> paths[] = {
      {L"c:\\a.dll", "c:\\a.dll"},
      {L"C:\\x\\i.ico", "C:\\x\\i.ico"},
      {L"C:\\Caf\u00e9\\Ic\u00f4nes.dll", "C:\\Caf\xC3\xA9\\Ic\xC3\xB4nes.dll"},
      {L"C:\\\u96ea\\snow.dll", "C:\\\xE9\x9B\xAA\\snow.dll"},
  };
  for (const auto& [wide, utf8] : paths) {
    script = {};
    script.writes = wide;
    script.index = 4;
    std::string file = "C:\\Program Files\\Velmaro\\Velmaro.dll";
    int index = 0;
    ASSERT_EQ(desktop.PickIcon(file, index), IconPick::Chosen);
    EXPECT_EQ(script.opened, L"C:\\Program Files\\Velmaro\\Velmaro.dll");
    EXPECT_EQ(script.openedIndex, 0);
    EXPECT_EQ(file, utf8);
    EXPECT_EQ(index, 4);
  }
}

TEST(Win32Desktop, ACancelOrAPickerThatCannotShowChangesNothing) {
  Win32Desktop desktop(&StandInPicker);
  for (const auto& [result, pick] : {std::pair{0, IconPick::Cancelled}, {-1, IconPick::Unavailable}}) {
    script = {};
    script.result = result;
    std::string file = "c:\\start.dll";
    int index = 2;
    EXPECT_EQ(desktop.PickIcon(file, index), pick);
    EXPECT_EQ(file, "c:\\start.dll");
    EXPECT_EQ(index, 2);
  }
}

}  // namespace
}  // namespace velmaro::platform
