#pragma once
// Text at the Windows boundary: UTF-8 inside the programs, the ANSI code page
// at every ...A call. There are two ways into the code page, named for what
// they serve:
// - ToAnsiExact refuses a character that the code page lacks. Registry names
//   and data and file paths go this way: a substitute would name another key
//   or file, or change the stored data.
// - ToAnsiBestFit puts the code page's nearest character (or "?") in its
//   place and never fails. Captions, list entries and messages go this way:
//   only a person reads them, and showing something beats showing nothing.
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace velmaro::platform {

// False, with `ansi` empty, for malformed UTF-8 or a character without an
// exact ANSI form.
bool ToAnsiExact(std::string_view utf8, std::string& ansi);
std::string ToAnsiBestFit(std::string_view utf8);
std::string FromAnsi(std::string_view ansi);
// UTF-16, as the ...W notifications carry it.
std::string FromWide(std::wstring_view wide);
// UTF-16 for a ...W function: every character has its form there; false only
// for malformed UTF-8.
bool ToWide(std::string_view utf8, std::wstring& wide);

// The system's ANSI code page (CP_ACP) for the registry and the files.
class Win32CodePage final : public AnsiCodePage {
public:
  bool ToAnsi(std::string_view utf8, std::string& ansi) const override {
    return ToAnsiExact(utf8, ansi);
  }
  std::string FromAnsi(std::string_view ansi) const override { return platform::FromAnsi(ansi); }
};

}  // namespace velmaro::platform
