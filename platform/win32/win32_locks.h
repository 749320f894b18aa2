#pragma once
// Named locks as named mutexes: the system frees a mutex whose owner ended
// (the next wait reports it abandoned, and holds it).
#include <map>
#include <string>

#include "platform/locks.h"

namespace velmaro::platform {

class Win32Locks final : public Locks {
public:
  Win32Locks();
  ~Win32Locks() override;
  Win32Locks(const Win32Locks&) = delete;
  Win32Locks& operator=(const Win32Locks&) = delete;

  bool Take(std::string_view name, unsigned timeoutMs) override;
  void Release(std::string_view name) override;
  const std::string& Instance() override { return instance_; }

private:
  std::map<std::string, void*> held_;  // name -> mutex handle
  std::string instance_;
};

}  // namespace velmaro::platform
