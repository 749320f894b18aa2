#pragma once
// What Velmaro may change: every key, value and file that the console's
// panels and editors write, and nothing else. The undo history is applied
// only inside it; an imported file can be held to it the same way.
#include "platform/files.h"
#include "platform/registry.h"
#include "system_access/change_scope.h"

namespace velmaro::console {

// `registry` and `files` name what depends on the machine: the bitmap class
// whose icon the thumbnails box changes, and the Windows folder that holds
// the boot file's temporary copy.
ChangeScope WhatVelmaroMayChange(platform::Registry& registry, platform::FileSystem& files);

}  // namespace velmaro::console
