#include "platform/win32/win32_locks.h"

#include <windows.h>

#include "platform/win32/win32_text.h"

namespace velmaro::platform {

Win32Locks::Win32Locks()
    : instance_(std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount())) {
  Take(InstanceLockName(instance_), 0);
}

Win32Locks::~Win32Locks() {
  for (auto& [name, handle] : held_) {
    ReleaseMutex(handle);
    CloseHandle(handle);
  }
}

bool Win32Locks::Take(std::string_view name, unsigned timeoutMs) {
  if (held_.count(std::string(name))) return true;
  std::wstring wide;
  if (!ToWide(name, wide)) return false;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wide.c_str());
  if (!mutex) return false;
  const DWORD waited = WaitForSingleObject(mutex, timeoutMs);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return false;
  }
  held_[std::string(name)] = mutex;
  return true;
}

void Win32Locks::Release(std::string_view name) {
  const auto it = held_.find(std::string(name));
  if (it == held_.end()) return;
  ReleaseMutex(it->second);
  CloseHandle(it->second);
  held_.erase(it);
}

}  // namespace velmaro::platform
