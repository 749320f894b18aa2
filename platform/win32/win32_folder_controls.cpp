// The drive chooser and the folder tree. Both show what the model lists (the
// model asks the disks); a user's choice goes back to the model, which moves
// and raises Change. The folder tree is a tree view: the way down to the
// current folder, opened, with the folders inside it below; choosing any of
// them, by the pointer or the arrow keys, opens it.
#include "platform/win32/win32_form_window.h"
// After windows.h.
#include <shellapi.h>

#include "platform/win32/win32_on_demand.h"

namespace velmaro::forms {
namespace {

// Posted to the tree's own window: the folder chosen is opened once the tree
// has finished telling its selection, since opening one rebuilds the tree.
constexpr UINT kOpenFolder = WM_APP + 20;  // wParam entry

// ---- Drive chooser ----

void DriveSync(FormWindow& w, std::size_t i, Property what) {
  auto& chooser = w.ControlOf<DriveChooser>(i);
  HWND h = w.ChildAt(i).hwnd;
  if (what == Property::Listing) {
    SendMessageA(h, CB_RESETCONTENT, 0, 0);
    for (const DriveEntry& drive : chooser.Drives())
      SendMessageA(h, CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(ToAnsiBestFit(DriveChooser::EntryText(drive)).c_str()));
  }
  if (what == Property::Listing || what == Property::Value)
    SendMessageA(h, CB_SETCURSEL, chooser.ListIndex(), 0);
}

void DriveCreated(FormWindow& w, std::size_t i) { DriveSync(w, i, Property::Listing); }

void DriveCommand(FormWindow& w, std::size_t i, int code) {
  if (code != CBN_SELCHANGE) return;
  const int chosen = static_cast<int>(SendMessageA(w.ChildAt(i).hwnd, CB_GETCURSEL, 0, 0));
  auto& chooser = w.ControlOf<DriveChooser>(i);
  chooser.ChooseByUser(chosen);
  // A handler may have sent the chooser back to another drive meanwhile.
  SendMessageA(w.ChildAt(i).hwnd, CB_SETCURSEL, chooser.ListIndex(), 0);
}

// ---- Folder tree ----

// The shell's own small folder pictures, closed and open; the system's image
// list is shared by every program and is never freed by one. The shell's
// library is loaded only for a form that has a folder tree.
void FolderImages(HWND tree, int& closed, int& open) {
  static win32::OnDemand<DWORD_PTR(LPCSTR, DWORD, SHFILEINFOA*, UINT, UINT)> fileInfo(
      "shell32.dll", "SHGetFileInfoA");
  closed = open = -1;
  const auto get = fileInfo.Get();
  if (!get) return;
  SHFILEINFOA info{};
  const UINT flags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES;
  auto list = reinterpret_cast<HIMAGELIST>(
      get("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags));
  closed = list ? info.iIcon : -1;
  get("folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags | SHGFI_OPENICON);
  open = list ? info.iIcon : -1;
  if (list) SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
}

void TreeFill(FormWindow& w, std::size_t i) {
  auto& tree = w.ControlOf<FolderTree>(i);
  HWND h = w.ChildAt(i).hwnd;
  int closed = -1, open = -1;
  FolderImages(h, closed, open);
  SendMessageA(h, WM_SETREDRAW, FALSE, 0);
  SendMessageA(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  std::vector<HTREEITEM> way;  // the item at each level of the way down
  HTREEITEM current = nullptr;
  const auto& entries = tree.Entries();
  const auto here = static_cast<std::size_t>(tree.CurrentEntry());
  for (std::size_t e = 0; e < entries.size(); ++e) {
    const FolderTree::Entry& entry = entries[e];
    std::string text = ToAnsiBestFit(entry.name);
    TVINSERTSTRUCTA ins{};
    const auto level = static_cast<std::size_t>(entry.level);
    ins.hParent = level > 0 && level <= way.size() ? way[level - 1] : TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask =
        TVIF_TEXT | TVIF_PARAM | TVIF_STATE | (closed >= 0 ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
    // The current folder stands out even while the tree has no focus.
    ins.item.state = e == here ? TVIS_BOLD : 0;
    ins.item.stateMask = TVIS_BOLD;
    ins.item.pszText = text.data();
    ins.item.iImage = entry.open ? open : closed;
    ins.item.iSelectedImage = open;
    ins.item.lParam = static_cast<LPARAM>(e);
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageA(h, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
    if (!entry.open) continue;
    way.resize(level);
    way.push_back(item);
    current = item;
  }
  for (HTREEITEM item : way) SendMessageA(h, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  SendMessageA(h, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(current));
  SendMessageA(h, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(current));
  SendMessageA(h, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(h, nullptr, TRUE);
}

void TreeSync(FormWindow& w, std::size_t i, Property what) {
  if (what == Property::Listing) TreeFill(w, i);
}

LRESULT TreeNotify(FormWindow& w, std::size_t i, NMHDR* hdr) {
  switch (hdr->code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW: {
      const auto& nm = *reinterpret_cast<NMTREEVIEWA*>(hdr);
      if (nm.action != TVC_BYMOUSE && nm.action != TVC_BYKEYBOARD) return 0;  // by code
      PostMessageA(w.ChildAt(i).hwnd, kOpenFolder, static_cast<WPARAM>(nm.itemNew.lParam), 0);
      return 0;
    }
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
      return TRUE;  // the way down stays open: a folder is left by choosing another
    default:
      return 0;
  }
}

LRESULT TreeInput(FormWindow& w, std::size_t i, UINT msg, WPARAM wp, LPARAM, bool& handled) {
  if (msg != kOpenFolder) return 0;
  handled = true;
  w.ControlOf<FolderTree>(i).OpenByUser(static_cast<int>(wp));
  return 0;
}

}  // namespace

const ControlBehaviour kDriveChooserBehaviour{
    .created = DriveCreated, .sync = DriveSync, .command = DriveCommand};
const ControlBehaviour kFolderTreeBehaviour{
    .created = TreeFill, .sync = TreeSync, .notify = TreeNotify, .input = TreeInput};

}  // namespace velmaro::forms
