#include "platform/memory/memory_registry.h"
#include "support/contract_platform.h"

namespace velmaro::testing {

std::unique_ptr<platform::Registry> MakeContractRegistry() {
  return std::make_unique<platform::MemoryRegistry>();
}
const char* ContractPlatformName() { return "memory"; }

}  // namespace velmaro::testing
