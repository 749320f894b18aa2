// Measures the registry gateway's listings against bare enumeration loops on
// the same keys in one run. Not a test: run it under Wine and read the ratio.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/win32_registry.h"
#include "system_access/reg_extra.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kBase = "Software\\VelmaroBench";
constexpr int kCount = 5000;
constexpr int kRounds = 7;

template <typename F>
double MedianMs(F&& f) {
  std::vector<double> times;
  for (int i = 0; i < kRounds; ++i) {
    const auto t0 = Clock::now();
    f();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::sort(times.begin(), times.end());
  return times[kRounds / 2];
}

}  // namespace

int main() {
  velmaro::platform::Win32Registry registry;
  velmaro::RegExtra reg(registry);
  const std::string values = std::string(kBase) + "\\Values";
  const std::string keys = std::string(kBase) + "\\Keys";
  reg.DeleteKey(velmaro::platform::HkeyCurrentUser, kBase);
  HKEY hv = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, values.c_str(), &hv);
  for (int i = 0; i < kCount; ++i) {
    const std::string name = "Value" + std::to_string(i);
    const std::string data = "c:\\program files\\app" + std::to_string(i) + ".exe";
    RegSetValueExA(hv, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  }
  for (int i = 0; i < kCount; ++i) {
    HKEY hk = nullptr;
    RegCreateKeyA(HKEY_CURRENT_USER, (keys + "\\Key" + std::to_string(i)).c_str(), &hk);
    RegCloseKey(hk);
  }

  std::size_t listed = 0;
  const double ourValues = MedianMs(
      [&] { listed = reg.GetAllValues(velmaro::platform::HkeyCurrentUser, values).size(); });
  const double bareValues = MedianMs([&] {
    char name[255];
    static BYTE data[4000];
    for (DWORD i = 0;; ++i) {
      DWORD nameLen = sizeof name, dataLen = sizeof data, type = 0;
      if (RegEnumValueA(hv, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS)
        break;
    }
  });
  std::size_t listedKeys = 0;
  const double ourKeys = MedianMs(
      [&] { listedKeys = reg.GetAllKeys(velmaro::platform::HkeyCurrentUser, keys).size(); });
  HKEY hk = nullptr;
  RegOpenKeyA(HKEY_CURRENT_USER, keys.c_str(), &hk);
  const double bareKeys = MedianMs([&] {
    char name[255];
    for (DWORD i = 0; RegEnumKeyA(hk, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
    }
  });
  RegCloseKey(hk);
  RegCloseKey(hv);
  reg.DeleteKey(velmaro::platform::HkeyCurrentUser, kBase);

  std::printf("GetAllValues: %zu values, %.2f ms; bare RegEnumValueA loop %.2f ms; ratio %.2f\n",
              listed, ourValues, bareValues, ourValues / bareValues);
  std::printf("GetAllKeys: %zu keys, %.2f ms; bare RegEnumKeyA loop %.2f ms; ratio %.2f\n",
              listedKeys, ourKeys, bareKeys, ourKeys / bareKeys);
  return 0;
}
