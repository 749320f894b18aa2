#pragma once
// The read-me text: shown on Setup's page 2 and installed as ReadMe.txt. It
// is built in from setup/res/ReadMe.txt, so that the two cannot differ.
#include <string_view>

namespace velmaro::setup {

std::string_view ReadMeText();

}  // namespace velmaro::setup
