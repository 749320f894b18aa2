#pragma once
// The console's ten categories: tree node, image, panel and the Apply button's
// caption while the panel is shown. One table, read by the tree, the design
// of the main window, the panel switch and the Apply dispatch alike.
//
// Adding a panel: one file under console/panels/ that defines its PanelKind
// (console/panel.h says what it provides), its name declared below, and its
// row pointing at it. The table's size is its rows'; a row whose node, frame
// or panel does not follow from its place does not compile.
#include <array>
#include <cstddef>
#include <string_view>

#include "console/panel.h"

namespace velmaro::console {

// Defined each in its own file under console/panels/.
extern const PanelKind WindowsPanel, MiscPanel, MousePanel, ExplorerPanel, MoreExplorerPanel,
    StartMenuPanel, GeneralPanel, IconsPanel, AddRemovePanel, StartUpPanel;

// A row's panel. There is always one: a row written without it, or with
// null, does not compile.
class PanelRef {
public:
  constexpr PanelRef(const PanelKind& kind) : kind_(&kind) {}
  PanelRef(std::nullptr_t) = delete;
  constexpr const PanelKind* operator->() const { return kind_; }
  constexpr operator const PanelKind*() const { return kind_; }

private:
  const PanelKind* kind_;
};

struct Category {
  int node;                      // tree node index, 1-based in the order added
  std::string_view text;         // node text
  int image;                     // tree image (1-based in the image strip)
  int frame;                     // element of `Fram`, -1 for none
  std::string_view frameCaption;
  std::string_view applyCaption;
  bool restartNotice;            // the notice precedes the applier
  bool appliesAtOnce;            // an editor panel: Apply stays disabled
  // Panels are laid out, and their controls take tab order, in table order.
  PanelRef panel;
  // Whether its settings go into an export. The Add/Remove entries do not:
  // they name programs installed on this machine.
  bool travels = true;
};

inline constexpr std::string_view NoSettings = "No settings";
inline constexpr int RootNode = 1;
inline constexpr int RootImage = 7;
inline constexpr int RootSelectedImage = 8;

inline constexpr auto Categories = std::to_array<Category>({
    {2, "Windows", 1, 0, "Windows options", "Apply 'Windows' settings...", true, false,
     WindowsPanel},
    {3, "Misc. tweaks", 12, 1, "Misc. tweaks", "Apply 'Misc.' settings...", false, false,
     MiscPanel},
    {4, "Mouse", 2, 2, "Mouse options", "Apply 'Mouse' settings...", false, false,
     MousePanel},
    {5, "Explorer", 3, 3, "Explorer options", "Apply 'Explorer' settings...", true, false,
     ExplorerPanel},
    {6, "More Explorer tweaks", 14, 4, "More Explorer tweaks",
     "Apply 'Explorer tweaks' settings...", false, false, MoreExplorerPanel},
    {7, "Start Menu", 4, 5, "Start Menu options", "Apply 'Start Menu' settings...", true, false,
     StartMenuPanel},
    {8, "General", 5, 6, "General options", "Apply 'General' settings...", false, false,
     GeneralPanel},
    // The editor panels write on their own buttons.
    {9, "Change Icons", 6, 7, "Change Icon options", NoSettings, false, true, IconsPanel},
    {10, "Add/Remove", 9, 8, "Add/Remove options", NoSettings, false, true, AddRemovePanel, false},
    {11, "StartUp Applications", 10, 9, "Apps. running on startup", NoSettings, false, true,
     StartUpPanel},
});
inline constexpr int CategoryCount = static_cast<int>(Categories.size());

// The first row whose node is not the one after the row before it (the root's
// first child for row 0) or whose frame is not its place; -1 when every row
// agrees (PanelRef sees to the panel). Panels are kept by place, so a node that strays
// would reach another category's panel.
consteval int FirstDisagreeingRow() {
  for (int i = 0; i < CategoryCount; ++i) {
    const Category& c = Categories[static_cast<size_t>(i)];
    if (c.node != RootNode + 1 + i || c.frame != i) return i;
  }
  return -1;
}
static_assert(FirstDisagreeingRow() == -1,
              "a category row's node and frame must follow from its place in the table");

// The place in the table of a category's row.
constexpr int PlaceOf(const Category& c) { return static_cast<int>(&c - Categories.data()); }

// The category of a tree node, or null for the root and unknown nodes.
constexpr const Category* CategoryOfNode(int node) {
  const int place = node - RootNode - 1;
  return place >= 0 && place < CategoryCount ? &Categories[static_cast<size_t>(place)] : nullptr;
}

// The category with this node text, or null.
constexpr const Category* CategoryOfText(std::string_view text) {
  for (const auto& c : Categories)
    if (c.text == text) return &c;
  return nullptr;
}

// The tree node of the category with this node text: tests and drivers name
// categories, not numbers. A name that no row has does not compile.
consteval int NodeOf(std::string_view text) {
  for (const auto& c : Categories)
    if (c.text == text) return c.node;
  throw "no category has this name";
}

// The category whose Apply caption this is, compared whole and with case;
// null for "No settings" and any other text.
inline const Category* CategoryOfApplyCaption(std::string_view caption) {
  for (const auto& c : Categories)
    if (!c.appliesAtOnce && c.applyCaption == caption) return &c;
  return nullptr;
}

}  // namespace velmaro::console
