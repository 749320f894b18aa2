#pragma once
// Named locks in memory. A MemoryLockTable is the session; each MemoryLocks
// over it is one running program. Destroying a MemoryLocks is that program
// ending: its locks are free again, as the system frees a dead program's.
#include <map>
#include <string>

#include "platform/locks.h"

namespace velmaro::platform {

struct MemoryLockTable {
  std::map<std::string, int> holders;  // lock name -> program number
  int programs = 0;
};

class MemoryLocks final : public Locks {
public:
  explicit MemoryLocks(MemoryLockTable& table);
  ~MemoryLocks() override;
  MemoryLocks(const MemoryLocks&) = delete;
  MemoryLocks& operator=(const MemoryLocks&) = delete;

  // A lock held by another program is not waited for: nothing else runs.
  bool Take(std::string_view name, unsigned timeoutMs) override;
  void Release(std::string_view name) override;
  const std::string& Instance() override { return instance_; }

private:
  MemoryLockTable& table_;
  int number_;
  std::string instance_;
};

}  // namespace velmaro::platform
