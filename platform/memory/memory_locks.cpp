#include "platform/memory/memory_locks.h"

#include <iterator>

namespace velmaro::platform {

MemoryLocks::MemoryLocks(MemoryLockTable& table)
    : table_(table), number_(++table.programs), instance_("memory-" + std::to_string(number_)) {
  Take(InstanceLockName(instance_), 0);
}

MemoryLocks::~MemoryLocks() {
  for (auto it = table_.holders.begin(); it != table_.holders.end();)
    it = it->second == number_ ? table_.holders.erase(it) : std::next(it);
}

bool MemoryLocks::Take(std::string_view name, unsigned) {
  const auto [it, added] = table_.holders.emplace(std::string(name), number_);
  return added || it->second == number_;
}

void MemoryLocks::Release(std::string_view name) {
  const auto it = table_.holders.find(std::string(name));
  if (it != table_.holders.end() && it->second == number_) table_.holders.erase(it);
}

}  // namespace velmaro::platform
