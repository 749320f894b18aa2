// Page 2: the read-me, the same text that is installed as ReadMe.txt.
#include "setup/pages.h"
#include "setup/readme.h"

namespace velmaro::setup {
namespace {

using namespace forms::design;
using namespace page_grid;

void Layout(PageDesign& page) {
  page.Add(
      Label("Label1", "Read the following information about Velmaro 1.0", {Left, 20, Inner, 16})
          .At(1));
  page.Add(
      TextBox("Readme", std::string(ReadMeText()), {Left, 42, Inner, 330}).MultiLine().ReadOnly());
}

// Nothing to check and nothing to prepare.
class ReadMe final : public WizardPage {
public:
  explicit ReadMe(Wizard&) {}
};

}  // namespace

const PageKind ReadMePage{&Layout, &MakePage<ReadMe>};

}  // namespace velmaro::setup
