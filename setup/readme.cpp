#include "setup/readme.h"

namespace velmaro::setup {

std::string_view ReadMeText() {
  static constexpr std::string_view kText =
#include "readme_text.inc"
      ;
  return kText;
}

}  // namespace velmaro::setup
