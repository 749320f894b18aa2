#pragma once
// Setup for deployment tools: "Setup.exe /S [/D=FOLDER]" installs with the
// default choices, or into FOLDER, without a window and without a question.
#include <string>
#include <string_view>

#include "setup/setup_system.h"

namespace velmaro::setup {

inline constexpr int ExitInstalled = 0;
inline constexpr int ExitFailed = 1;         // nothing new registered
inline constexpr int ExitNotUnderstood = 2;  // the command line

// Written to the user's temporary folder by a silent run: why it ended so.
inline constexpr std::string_view SilentLogName = "Velmaro Setup.log";

struct SetupCommand {
  bool understood = true;
  bool silent = false;
  std::string folder;  // from /D=, the rest of the line
};
// An empty line is the wizard. "/S" (any case) asks for the silent run;
// "/D=FOLDER" comes last and takes the rest of the line, blanks included,
// as installers have it; anything else is not understood.
SetupCommand ParseSetupCommand(std::string_view line);

// Installs without asking; the reason for the outcome goes to `report`.
int InstallSilently(SetupSystem& system, const std::string& folder, std::string& report);

}  // namespace velmaro::setup
