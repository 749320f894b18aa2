// Undo of an apply that wrote 50 values, against that apply, on the real
// registry and files under Wine, both through the undo journal as the
// console makes them; then the size of the history after 1,000 applies.
// Not a test: run it under Wine and read the numbers.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_locks.h"
#include "platform/win32/win32_registry.h"
#include "system_access/reg_extra.h"
#include "system_access/undo_journal.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kKey = "Software\\VelmaroUndoBench";
constexpr int kValues = 50;
constexpr int kRounds = 40;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

void Report(const char* what, std::vector<double> t) {
  std::sort(t.begin(), t.end());
  std::printf("%-28s min %7.2f ms  median %7.2f ms\n", what, t.front(), t[t.size() / 2]);
}

}  // namespace

int main() {
  velmaro::platform::Win32Registry registry;
  velmaro::platform::Win32Files files;
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string history = std::string(temp) + "velmaro-undo-bench.txt";
  DeleteFileA(history.c_str());
  velmaro::RegExtra(registry).DeleteKey(velmaro::platform::HkeyCurrentUser, kKey);
  velmaro::platform::Win32Locks locks;
  velmaro::ChangeScope scope;
  scope.AddKey(velmaro::platform::HkeyCurrentUser, kKey);
  velmaro::undo::Journal journal(registry, files, history, locks, scope);
  const velmaro::RegExtra reg(journal.Registry());

  std::vector<double> apply, undo, ratio;
  for (int round = 0; round < kRounds; ++round) {
    const auto t0 = Clock::now();
    journal.Begin("Apply");
    for (int v = 0; v < kValues; ++v)
      reg.SaveStringValue(velmaro::platform::HkeyCurrentUser, kKey, "Value" + std::to_string(v),
                          "round " + std::to_string(round));
    journal.End();
    const auto t1 = Clock::now();
    journal.Undo(nullptr);
    const auto t2 = Clock::now();
    apply.push_back(Ms(t0, t1));
    undo.push_back(Ms(t1, t2));
    ratio.push_back(Ms(t1, t2) / Ms(t0, t1));
  }
  Report("apply of 50 values", apply);
  Report("undo of it", undo);
  std::sort(ratio.begin(), ratio.end());
  std::printf("undo / apply, per round:     min %.2f  median %.2f\n", ratio.front(),
              ratio[ratio.size() / 2]);

  for (int i = 0; i < 1000; ++i) {
    journal.Begin("Apply " + std::to_string(i));
    for (int v = 0; v < kValues; ++v)
      reg.SaveStringValue(velmaro::platform::HkeyCurrentUser, kKey, "Value" + std::to_string(v),
                          std::to_string(i));
    journal.End();
  }
  std::uint32_t attributes = 0;
  std::string bytes;
  files.GetAttributes(history, attributes);
  files.ReadWholeFile(history, bytes, 1u << 30);
  std::printf("history after 1,000 applies of 50 values: %zu bytes, %zu steps kept\n", bytes.size(),
              journal.Steps().size());
  velmaro::RegExtra(registry).DeleteKey(velmaro::platform::HkeyCurrentUser, kKey);
  DeleteFileA(history.c_str());
  return 0;
}
