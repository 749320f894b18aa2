// The Start Menu panel: the start banner and five Start Menu policies, all
// plain rows loaded and written in table order.
#include "console/categories.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"

namespace velmaro::console {
namespace {

using platform::HkeyCurrentUser;
using R = SwitchRule;

constexpr std::string_view kPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

struct Row {
  SwitchRow row;
  std::string_view caption;
};
constexpr Row kRows[]{
    {{"ShowBanner", R::ByteZeroChecks, HkeyCurrentUser, kPolicies, "NoStartBanner"},
     "Show the Start banner on the taskbar which appears just after startup."},
    {{"HideLog", R::ByteState, HkeyCurrentUser, kPolicies, "NoLogOff"},
     "Hide the 'Log Off' menu from the Start Menu"},
    {{"HideRun", R::DwordState, HkeyCurrentUser, kPolicies, "NoRun"},
     "Hide the 'Run' menu from the Start Menu"},
    {{"HideFind", R::DwordState, HkeyCurrentUser, kPolicies, "NoFind"},
     "Hide 'Find' menu from the Start Menu"},
    {{"HideDoc", R::DwordState, HkeyCurrentUser, kPolicies, "NoRecentDocsMenu"},
     "Hide the 'Documents' menu from the Start Menu"},
    {{"HideFav", R::DwordState, HkeyCurrentUser, kPolicies, "NoFavoritesMenu"},
     "Hide the 'Favorites' menu from the Start Menu"},
};

void Layout(forms::FormSpec& f, int frame) {
  int y = 28;
  for (const auto& r : kRows) {
    f.Add(InPanel(forms::design::CheckBox(std::string(r.row.control), std::string(r.caption),
                                          {grid::Left, y, grid::Wide, 20}),
                  frame));
    y += grid::Row;
  }
}

std::vector<SwitchRow> Rows() {
  std::vector<SwitchRow> rows;
  for (const auto& r : kRows) rows.push_back(r.row);
  return rows;
}

class StartMenu final : public Panel {
public:
  explicit StartMenu(Tweaker& main) : main_(main), reg_(main.System().reg), rows_(Rows(), main) {}

  void Load() override { rows_.Load(reg_); }

  // StartMenu1.
  void Apply() override {
    SaveReport report;
    {
      forms::Hourglass busy(main_);
      rows_.Apply(reg_, report);
    }
    report.Tell(main_.System().toolkit);
  }

private:
  Tweaker& main_;
  const RegExtra& reg_;
  SwitchTable rows_;
};

}  // namespace

const PanelKind StartMenuPanel{&Layout, &MakePanel<StartMenu>};

}  // namespace velmaro::console
