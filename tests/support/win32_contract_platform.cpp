#include "platform/win32/win32_registry.h"
#include "support/contract_platform.h"

namespace velmaro::testing {

std::unique_ptr<platform::Registry> MakeContractRegistry() {
  return std::make_unique<platform::Win32Registry>();
}
const char* ContractPlatformName() { return "win32"; }

}  // namespace velmaro::testing
