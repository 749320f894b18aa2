#include "platform/win32/win32_desktop.h"

#include <windows.h>

#include <vector>

#include "platform/win32/win32_on_demand.h"
#include "platform/win32/win32_text.h"

namespace velmaro::platform {
namespace {

// The picker's buffer: a path of the system's longest.
constexpr std::size_t kPickerChars = MAX_PATH;

}  // namespace

int Win32Desktop::IconCount(std::string_view file) {
  std::string ansi;
  if (!ToAnsiExact(file, ansi) || ansi.empty()) return 0;
  static win32::OnDemand<HICON(HINSTANCE, LPCSTR, UINT)> extractIcon("shell32.dll",
                                                                     "ExtractIconA");
  const auto extract = extractIcon.Get();
  if (!extract) return 0;
  const auto count = reinterpret_cast<UINT_PTR>(
      extract(GetModuleHandleA(nullptr), ansi.c_str(), static_cast<UINT>(-1)));
  return static_cast<int>(count);
}

IconPick Win32Desktop::PickIcon(std::string& file, int& index) {
  // Exported by ordinal only on the 95 family; NT-family systems take a wide
  // buffer, so the chosen path comes back in full without guessing its
  // encoding.
  static win32::OnDemand<int(void*, wchar_t*, unsigned, int*)> shellPicker(
      "shell32.dll", MAKEINTRESOURCEA(62));
  Picker pick = picker_ ? picker_ : shellPicker.Get();
  if (!pick) return IconPick::Unavailable;
  std::vector<wchar_t> buffer(kPickerChars, L'\0');
  std::wstring wide;
  // A path that does not fit opens the picker without one.
  if (ToWide(file, wide) && wide.size() < buffer.size())
    std::copy(wide.begin(), wide.end(), buffer.begin());
  int chosen = index;
  const int result =
      pick(GetActiveWindow(), buffer.data(), static_cast<unsigned>(buffer.size()), &chosen);
  if (result == 0) return IconPick::Cancelled;
  if (result != 1) return IconPick::Unavailable;  // Wine's stub answers -1 at once
  buffer.back() = L'\0';
  file = FromWide(buffer.data());
  index = chosen;
  return IconPick::Chosen;
}

void Win32Desktop::BroadcastSettingChange() {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, SPI_SETNONCLIENTMETRICS, 0,
                      SMTO_ABORTIFHUNG, 15000, &result);
}

}  // namespace velmaro::platform
