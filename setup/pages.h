#pragma once
// The wizard's six pages in order: which page, its banner, and what the
// buttons below the pages offer while it shows. One table, read by the
// wizard's design and by Next and Back alike.
//
// Adding a page: one file under setup/pages/ that defines its PageKind
// (setup/page.h says what it provides), its name declared below, and its row.
#include <array>
#include <string_view>

#include "setup/page.h"
#include "setup/resource_ids.h"

namespace velmaro::setup {

// Defined each in its own file under setup/pages/.
extern const PageKind WelcomePage, ReadMePage, InstallFolderPage, ShortcutFolderPage,
    InstallingPage, FinishedPage;

inline constexpr std::string_view NextCaption = "&Next >>";

struct PageRow {
  const PageKind* kind;
  int banner;             // the picture on the page's left
  std::string_view next;  // NextStep's caption while the page shows
  bool back;              // Back is enabled and leads to the page before
  bool exit;              // Exit Setup is enabled, and closing asks first
};

inline constexpr std::array<PageRow, 6> Pages{{
    {&WelcomePage, SETUP_IDB_WELCOME, NextCaption, false, true},
    {&ReadMePage, SETUP_IDB_README, NextCaption, true, true},
    {&InstallFolderPage, SETUP_IDB_FOLDER, NextCaption, true, true},
    {&ShortcutFolderPage, SETUP_IDB_SHORTCUTS, "St&art installing", true, true},
    // From here on there is no way back and no way out but Finish.
    {&InstallingPage, SETUP_IDB_INSTALLING, NextCaption, false, false},
    {&FinishedPage, SETUP_IDB_FINISHED, "&Finish", false, false},
}};

}  // namespace velmaro::setup
