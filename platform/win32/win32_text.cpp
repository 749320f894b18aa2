#include "platform/win32/win32_text.h"

#include <windows.h>

namespace velmaro::platform {
namespace {

// Malformed input fails with `strict`; otherwise it becomes U+FFFD.
bool Widen(std::string_view text, UINT codePage, bool strict, std::wstring& wide) {
  wide.clear();
  if (text.empty()) return true;
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int n =
      MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) return false;
  wide.assign(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return true;
}

// `usedDefault` null: anything goes (best fit, then the default character).
std::string Narrow(std::wstring_view wide, UINT codePage, DWORD flags, BOOL* usedDefault) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, usedDefault);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, usedDefault);
  return out;
}

}  // namespace

bool ToAnsiExact(std::string_view utf8, std::string& ansi) {
  ansi.clear();
  std::wstring wide;
  if (!Widen(utf8, CP_UTF8, true, wide)) return false;
  BOOL usedDefault = FALSE;
  std::string out = Narrow(wide, CP_ACP, WC_NO_BEST_FIT_CHARS, &usedDefault);
  if (usedDefault || (out.empty() && !wide.empty())) return false;
  ansi = std::move(out);
  return true;
}

std::string ToAnsiBestFit(std::string_view utf8) {
  std::wstring wide;
  Widen(utf8, CP_UTF8, false, wide);
  return Narrow(wide, CP_ACP, 0, nullptr);
}

std::string FromAnsi(std::string_view ansi) {
  std::wstring wide;
  Widen(ansi, CP_ACP, false, wide);
  return FromWide(wide);
}

std::string FromWide(std::wstring_view wide) {
  return Narrow(wide, CP_UTF8, 0, nullptr);
}

bool ToWide(std::string_view utf8, std::wstring& wide) {
  return Widen(utf8, CP_UTF8, true, wide);
}

}  // namespace velmaro::platform
