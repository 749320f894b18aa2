#pragma once
// What the programs ask of the shell: shortcut files written through the
// system's ShellLink object, opening a file or address, and where the current
// user's Programs menu folder is. Texts are UTF-8; the Win32 side hands them
// to the ANSI interfaces, except the link file name, which IPersistFile takes
// in UTF-16.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace velmaro::platform {

// COM result codes: negative is a failure.
using HResult = std::int32_t;
inline constexpr HResult SOk = 0;
inline constexpr HResult EFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult EInvalidArg = static_cast<HResult>(0x80070057u);
inline constexpr bool Failed(HResult hr) { return hr < 0; }
// HRESULT_FROM_WIN32.
inline constexpr HResult HResultFromWin32(long code) {
  return code <= 0 ? static_cast<HResult>(code)
                   : static_cast<HResult>((static_cast<std::uint32_t>(code) & 0xFFFFu) | 0x80070000u);
}

// Show commands (SW_*) and the Resolve flag the programs use.
inline constexpr int SwHide = 0;
inline constexpr int SwShowNormal = 1;
inline constexpr std::uint32_t SlrUpdate = 4;

// One ShellLink object, through IShellLinkA and IPersistFile.
class ShellLinkObject {
public:
  virtual ~ShellLinkObject() = default;
  virtual HResult SetPath(std::string_view path) = 0;
  virtual HResult SetWorkingDirectory(std::string_view folder) = 0;
  virtual HResult SetArguments(std::string_view arguments) = 0;
  virtual HResult SetDescription(std::string_view text) = 0;
  virtual HResult SetIconLocation(std::string_view file, int index) = 0;
  virtual HResult SetShowCmd(int show) = 0;
  virtual HResult Resolve(std::uint32_t flags) = 0;
  // IPersistFile::Save, remember flag false.
  virtual HResult Save(std::string_view linkFile) = 0;
};

// What a link file holds, read back through the same object.
struct ShellLinkData {
  std::string path;
  std::string workingDirectory;
  std::string arguments;
  std::string description;
  std::string iconFile;
  int iconIndex = 0;
  int showCmd = 0;
};

// Folders of the shell's own (CSIDL_*) that nothing of Velmaro may remove.
inline constexpr int CsidlPrograms = 0x02;
inline constexpr int CsidlStartup = 0x07;
inline constexpr int CsidlStartMenu = 0x0b;
inline constexpr int CsidlDesktopDirectory = 0x10;
inline constexpr int CsidlCommonStartMenu = 0x16;
inline constexpr int CsidlCommonPrograms = 0x17;
inline constexpr int CsidlCommonStartup = 0x18;
inline constexpr int CsidlCommonDesktopDirectory = 0x19;

class Shell {
public:
  virtual ~Shell() = default;

  // CoCreateInstance of the ShellLink object with both interfaces; null, and
  // the reason in `hr`, when the system cannot make one.
  virtual std::unique_ptr<ShellLinkObject> NewShellLink(HResult& hr) = 0;
  // IPersistFile::Load and the IShellLinkA getters.
  virtual HResult ReadShellLink(std::string_view linkFile, ShellLinkData& data) = 0;

  // ShellExecuteA(the active window, verb, file, parameters, folder, show):
  // the system's result, above 32 when it started something.
  virtual long Execute(std::string_view verb, std::string_view file, std::string_view parameters,
                       std::string_view folder, int show) = 0;

  // SHGetFolderPathA(CSIDL_PROGRAMS): the current user's Programs menu folder.
  // With `create` the shell makes it when it is missing. Returns a Windows
  // error code.
  virtual long ProgramsFolder(std::string& path, bool create) = 0;
  // SHGetFolderPathA(csidl) without creating it; a Windows error code.
  virtual long ShellFolder(int csidl, std::string& path) = 0;
};

}  // namespace velmaro::platform
