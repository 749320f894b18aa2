#pragma once
// CreateShortcut: one shell link file written through the system's ShellLink
// object.
#include <string_view>

#include "platform/shell.h"

namespace velmaro::setup {

// Writes `linkFile` pointing at `targetPath`. The working directory and the
// arguments are set only when not empty, the icon only when `iconFile` is not
// empty. Nothing is done for an empty link file or target (EInvalidArg). The
// first step the object refuses ends it, and its result is returned.
platform::HResult CreateShortcut(platform::Shell& shell, std::string_view linkFile,
                                 std::string_view targetPath, std::string_view workingDirectory,
                                 std::string_view arguments, std::string_view iconFile,
                                 int iconIndex, int showCommand);

}  // namespace velmaro::setup
