// The General panel: two Control Panel restrictions, the default and the
// registered user and company names, and Word's live scrolling. All plain
// rows; the four names are always written, empty text included.
#include "console/categories.h"
#include "console/switch_tweaks.h"

namespace velmaro::console {
namespace {

using namespace forms::design;
using platform::HkeyCurrentUser;
using platform::HkeyLocalMachine;
using R = SwitchRule;

constexpr std::string_view kSystemPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr std::string_view kUserInfo = "Software\\Microsoft\\MS Setup (ACME)\\User Info";
constexpr std::string_view kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
// NT-family systems (Wine included) keep the registered names here.
constexpr std::string_view kNtCurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

constexpr SwitchRow kRows[]{
    {"ResPass", R::DwordState, HkeyCurrentUser, kSystemPolicies, "NoSecCPL"},
    {"ResUser", R::DwordState, HkeyCurrentUser, kSystemPolicies, "NoProfilePage"},
    {"Text4", R::Text, HkeyCurrentUser, kUserInfo, "DefName", {}, "Default user name"},
    {"Text5", R::Text, HkeyCurrentUser, kUserInfo, "DefCompany", {}, "Default Company name"},
    {"Text6", R::Text, HkeyLocalMachine, kCurrentVersion, "RegisteredOwner", {},
     "Registered Owner", kNtCurrentVersion},
    {"Text7", R::Text, HkeyLocalMachine, kCurrentVersion, "RegisteredOrganization", {},
     "Registered Organization", kNtCurrentVersion},
    // Word keeps its option as text.
    {"LiveScroll", R::TextNumberState, HkeyCurrentUser,
     "Software\\Microsoft\\Office\\8.0\\Word\\Options", "LiveScrolling", "0"},
};

void Layout(forms::FormSpec& f, int frame) {
  using namespace grid;
  const auto in = [frame](forms::ControlSpec c) { return InPanel(std::move(c), frame); };
  f.Add(in(CheckBox("ResPass", "Restrict access to passwords in the Control Panel",
                    {Left, 28, Wide, 20})));
  f.Add(in(CheckBox("ResUser", "Restrict access to the user profiles in the Control Panel",
                    {Left, 28 + Row, Wide, 20})));
  const int half = (Wide - 12) / 2;
  const struct {
    const char* frame;
    const char* caption;
    const char* text;
    int x, y;
  } boxes[] = {
      {"Frame3", "Default user name", "Text4", Left, 88},
      {"Frame4", "Default Company name", "Text5", Left + half + 12, 88},
      {"Frame5", "Registered Owner", "Text6", Left, 148},
      {"Frame6", "Registered Organization", "Text7", Left + half + 12, 148},
  };
  for (const auto& b : boxes) {
    f.Add(in(Frame(b.frame, b.caption, {b.x, b.y, half, 52})));
    f.Add(TextBox(b.text, "", {10, 20, half - 20, 22}).In(b.frame));
  }
  f.Add(in(CheckBox("LiveScroll", "Enable Live Scrolling in Microsoft Word 8.0",
                    {Left, 214, Wide, 20})));
}

// General1 is the table written in order.
std::unique_ptr<Panel> Make(Tweaker& main) { return std::make_unique<RowsPanel>(main, kRows); }

}  // namespace

const PanelKind GeneralPanel{&Layout, &Make};

}  // namespace velmaro::console
