// The Start Menu panel: the start banner and five Start Menu policies, all
// plain rows loaded and written in table order.
#include "console/categories.h"
#include "console/switch_tweaks.h"

namespace velmaro::console {
namespace {

using platform::HkeyCurrentUser;
using R = SwitchRule;

constexpr std::string_view kPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

// Each row's setting is named by its box's caption, so the caption is here.
constexpr SwitchRow kRows[]{
    {"ShowBanner", R::ByteZeroChecks, HkeyCurrentUser, kPolicies, "NoStartBanner", {},
     "Show the Start banner on the taskbar which appears just after startup."},
    {"HideLog", R::ByteState, HkeyCurrentUser, kPolicies, "NoLogOff", {},
     "Hide the 'Log Off' menu from the Start Menu"},
    {"HideRun", R::DwordState, HkeyCurrentUser, kPolicies, "NoRun", {},
     "Hide the 'Run' menu from the Start Menu"},
    {"HideFind", R::DwordState, HkeyCurrentUser, kPolicies, "NoFind", {},
     "Hide 'Find' menu from the Start Menu"},
    {"HideDoc", R::DwordState, HkeyCurrentUser, kPolicies, "NoRecentDocsMenu", {},
     "Hide the 'Documents' menu from the Start Menu"},
    {"HideFav", R::DwordState, HkeyCurrentUser, kPolicies, "NoFavoritesMenu", {},
     "Hide the 'Favorites' menu from the Start Menu"},
};

void Layout(forms::FormSpec& f, int frame) {
  int y = 28;
  for (const auto& row : kRows) {
    f.Add(InPanel(forms::design::CheckBox(std::string(row.control), std::string(row.what),
                                          {grid::Left, y, grid::Wide, 20}),
                  frame));
    y += grid::Row;
  }
}

// StartMenu1 is the table written in order.
std::unique_ptr<Panel> Make(Tweaker& main) { return std::make_unique<RowsPanel>(main, kRows); }

}  // namespace

const PanelKind StartMenuPanel{&Layout, &Make};

}  // namespace velmaro::console
