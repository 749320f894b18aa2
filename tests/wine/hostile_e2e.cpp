// The hostile-value sweep on the real console under Wine, for the Start Menu
// panel: each of its six values stored in each hostile form through the
// system's own functions (the wide ones for text the code page lacks), the
// panel chosen and Apply pressed without touching anything, and every value
// of the key compared, type and bytes, before and after.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "wine/console_drive.h"

namespace {

using namespace velmaro::e2e;

const char* const kPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char* const kValues[] = {"NoStartBanner", "NoLogOff",         "NoRun",
                               "NoFind",        "NoRecentDocsMenu", "NoFavoritesMenu"};

struct Hostile {
  const char* what;
  DWORD type;
  std::string bytes;
  bool wide = false;  // stored through RegSetValueExW
};

std::vector<Hostile> Kinds() {
  return {
      {"a DWORD of 7", REG_DWORD, std::string("\x07\0\0\0", 4)},
      {"a DWORD of 2 bytes", REG_DWORD, std::string("\x01\0", 2)},
      {"text", REG_SZ, std::string("hostile\0", 8)},
      {"text with a NUL inside", REG_SZ, std::string("1\0xy\0", 5)},
      {"expandable text", REG_EXPAND_SZ, std::string("%TEMP%\0", 7)},
      {"a multi-string", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
      {"binary of length 0", REG_BINARY, ""},
      {"binary of 4 bytes", REG_BINARY, std::string("\x01\0\0\0", 4)},
      {"binary of 100,000 bytes", REG_BINARY, std::string(100000, '\xEE')},
      {"text the code page cannot hold", REG_SZ, "", true},
  };
}

void Store(const char* name, const Hostile& h) {
  HKEY key = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, kPolicies, &key);
  if (h.wide) {
    const wchar_t text[] = L"Omega \x03A9";
    const std::wstring wname(name, name + std::strlen(name));
    RegSetValueExW(key, wname.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  } else {
    RegSetValueExA(key, name, 0, h.type, reinterpret_cast<const BYTE*>(h.bytes.data()),
                   static_cast<DWORD>(h.bytes.size()));
  }
  RegCloseKey(key);
}

// Every value of the key as the system keeps it, read through the wide
// functions so that nothing is converted on the way.
std::map<std::wstring, std::pair<DWORD, std::string>> Snapshot() {
  std::map<std::wstring, std::pair<DWORD, std::string>> all;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPolicies, 0, KEY_READ, &key) != ERROR_SUCCESS) return all;
  std::vector<BYTE> data(200000);
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD n = 256, size = static_cast<DWORD>(data.size()), type = 0;
    if (RegEnumValueW(key, i, name, &n, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    all[name] = {type, std::string(reinterpret_cast<char*>(data.data()), size)};
  }
  RegCloseKey(key);
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string root = argc > 1 ? WinePath(argv[1]) : ".";
  // No restart notice in the way of the Apply presses.
  HKEY settings = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Velmaro\\Settings", &settings);
  RegSetValueExA(settings, "ShowMess", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
  RegCloseKey(settings);

  Console c;
  if (!c.Start(root + "\\console\\Velmaro.exe")) return 1;
  Sleep(800);  // the splash closes on its first tick
  // A first apply leaves the panel's own values in place.
  c.check(c.Choose("Start Menu"), "the Start Menu panel shows");
  c.Press("Apply");
  Sleep(300);
  for (const auto& hostile : Kinds()) {
    for (const char* name : kValues) Store(name, hostile);
    const auto before = Snapshot();
    c.check(c.Choose("General") && c.Choose("Start Menu"), "the panel is shown again");
    c.Press("Apply");
    // Apply is dispatched through the window's queue: wait until it ran.
    WaitFor([&] { return IsWindowEnabled(c.main) && SendMessageA(c.main, WM_NULL, 0, 0) == 0; });
    Sleep(200);
    c.check(Snapshot() == before,
            std::string("an untouched Apply keeps six values stored as ") + hostile.what);
  }
  // And the controls still work: a change the user makes is written.
  for (const char* name : kValues) Store(name, Kinds()[0]);
  c.check(c.Choose("General") && c.Choose("Start Menu"), "the panel is shown again");
  const bool wasTicked = c.Checked("HideRun");
  c.Press("HideRun");
  Sleep(200);
  c.Press("Apply");
  Sleep(500);
  const auto after = Snapshot();
  const auto it = after.find(L"NoRun");
  c.check(it != after.end() && it->second.first == REG_DWORD &&
              it->second.second == std::string(wasTicked ? "\0\0\0\0" : "\1\0\0\0", 4),
          "a box the user changed writes what it shows");
  PostMessageA(c.main, WM_CLOSE, 0, 0);
  AnswerBox("Confirmation", IDYES);
  std::printf("%d failures\n", c.check.failures);
  return c.check.failures == 0 ? 0 : 1;
}
