#pragma once
// The contract suite runs against whichever registry this factory gives: the
// in-memory one natively, the real one under Wine.
#include <memory>

#include "platform/registry.h"

namespace velmaro::testing {

std::unique_ptr<platform::Registry> MakeContractRegistry();
const char* ContractPlatformName();

}  // namespace velmaro::testing
