#pragma once
// Case in the ASCII letters only: how the system compares the names Velmaro
// itself uses (registry roots and keys of its tables, file names, drive
// letters, the boot file's lines). Names a user gives fold Latin-1 letters
// too: UpperLatin in platform/utf8.h.
#include <algorithm>
#include <string>
#include <string_view>

namespace velmaro::platform {

constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = LowerAscii(c);
  return out;
}

constexpr bool SameAsciiText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

}  // namespace velmaro::platform
