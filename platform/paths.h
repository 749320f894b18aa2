#pragma once
// Windows paths compared as the file system compares them, without asking
// it: separators, "." and "..", trailing dots and blanks folded as Windows
// folds them, letters compared without regard to case. Used where a program
// must know whether one path lies inside another before it deletes anything.
#include <string>
#include <string_view>

namespace velmaro::platform {

// "c:/A//b\.\c\..\" -> "C:\A\b"; a drive root keeps its backslash ("C:\").
// Empty when the text is no full path on a drive: relative ("Velmaro"),
// drive-relative ("C:Velmaro"), a network path, or empty.
std::string NormalPath(std::string_view path);

// Whether both name the same place; false when either is no full path.
bool SamePath(std::string_view a, std::string_view b);

// Whether `inner` lies below `outer` (not the same place); false when either
// is no full path.
bool IsInside(std::string_view inner, std::string_view outer);

// The folder that holds a path's last name: "C:\A\b.exe" -> "C:\A",
// "C:\b.exe" -> "C:\"; empty for a drive root or no full path.
std::string FolderOf(std::string_view path);

// `folder` and `name` with one backslash between them ("C:\" + "a" -> "C:\a").
std::string JoinPath(std::string_view folder, std::string_view name);

// A program's path as a command line starts it: in quotes when it holds a
// blank, or the system may start "C:\Program.exe" for "C:\Program Files\...".
std::string CommandPath(std::string_view path);

// Whether the path names a device rather than a file: its last name is CON,
// PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$ or CONOUT$ in any case, with or
// without an extension or trailing blanks and dots ("C:\x\aux.reg", "nul."),
// in any folder: Windows opens the device for such a name, whatever folder
// precedes it. So does a path that bypasses the name rules ("\\.\", "\\?\").
bool NamesDevice(std::string_view path);

}  // namespace velmaro::platform
