#pragma once
// What the icon changer asks of the shell: how many icons a file holds, the
// shell's own icon picker, and the broadcast that makes the shell and every
// window reload their metrics (and with them the icons). Paths are UTF-8.
#include <string>
#include <string_view>

namespace velmaro::platform {

enum class IconPick {
  Chosen,       // the user chose an icon
  Cancelled,    // the user closed the picker
  Unavailable,  // the system has no picker that works (Wine's returns at once)
};

class Desktop {
public:
  virtual ~Desktop() = default;

  // ExtractIconA(this program, file, -1): how many icons the file holds; 0
  // for a missing file, one that is not an executable, library or icon file,
  // and a path the ANSI code page cannot hold.
  virtual int IconCount(std::string_view file) = 0;

  // The shell's icon picker (shell32.dll, ordinal 62) over the active window,
  // opened at `file` and `index`. On Chosen both hold what the user chose,
  // the path exactly as the picker gave it; otherwise neither changes.
  virtual IconPick PickIcon(std::string& file, int& index) = 0;

  // SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, SPI_SETNONCLIENTMETRICS,
  // 0, SMTO_ABORTIFHUNG, 15000): every top-level window hears that the
  // metrics changed; a window that hangs is given up on.
  virtual void BroadcastSettingChange() = 0;
};

}  // namespace velmaro::platform
