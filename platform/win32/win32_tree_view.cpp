// The tree view: nodes inserted and changed as the model's are, clicks and
// keyboard choices turned into NodeClick, expansions and in-place edits.
#include <algorithm>

#include "platform/win32/win32_form_window.h"

namespace velmaro::forms {
namespace {

void RaiseNodeClick(TreeView& tree, TreeNode& node) {
  tree.Select(&node);
  EventArgs args;
  args.event = Event::NodeClick;
  args.node = &node;
  tree.Raise(args);
}

void FillTreeImages(FormWindow& w, std::size_t i) {
  const ControlSpec& s = w.ControlOf<Control>(i).Spec();
  if (s.imageListBitmap <= 0) return;
  FormWindow::Child& ch = w.ChildAt(i);
  ch.images.Reset(ImageList_LoadImageA(w.Toolkit().resources, MAKEINTRESOURCEA(s.imageListBitmap),
                                       std::max(1, s.imageSize), 0, CLR_DEFAULT, IMAGE_BITMAP,
                                       LR_CREATEDIBSECTION));
  if (ch.images)
    SendMessageA(ch.hwnd, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(ch.images.Get()));
}

void TreeSync(FormWindow& w, std::size_t i, Property what) {
  FormWindow::Child& ch = w.ChildAt(i);
  if (what == Property::Nodes) {
    w.HoldTreeRedraw(i);
    SendMessageA(ch.hwnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    ch.items.clear();
    ch.mouseSelected = 0;
    ch.pressedNode = 0;
  } else if (what == Property::Selection) {
    TreeNode* sel = w.ControlOf<TreeView>(i).SelectedItem();
    SendMessageA(ch.hwnd, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(sel ? w.ItemOf(i, *sel) : nullptr));
  }
}

void TreeCreated(FormWindow& w, std::size_t i) {
  FillTreeImages(w, i);
  auto& tree = w.ControlOf<TreeView>(i);
  for (int n = 1; n <= tree.Count(); ++n) w.InsertNode(i, *tree.Node(n));
  TreeSync(w, i, Property::Selection);
}

LRESULT OnSelChanged(FormWindow& w, std::size_t i, const NMTREEVIEWA& nm) {
  if (nm.action != TVC_BYMOUSE && nm.action != TVC_BYKEYBOARD) return 0;  // by code
  TreeNode* node = w.NodeOf(i, nm.itemNew.hItem);
  if (!node) return 0;
  if (nm.action == TVC_BYMOUSE) w.ChildAt(i).mouseSelected = node->Index();
  RaiseNodeClick(w.ControlOf<TreeView>(i), *node);
  return 0;
}

LRESULT OnItemExpanded(FormWindow& w, std::size_t i, const NMTREEVIEWA& nm) {
  if (w.Pushing()) return 0;
  if (TreeNode* node = w.NodeOf(i, nm.itemNew.hItem)) {
    const auto state = SendMessageA(w.ChildAt(i).hwnd, TVM_GETITEMSTATE,
                                    reinterpret_cast<WPARAM>(nm.itemNew.hItem), TVIS_EXPANDED);
    node->SetExpanded((state & TVIS_EXPANDED) != 0);
  }
  return 0;
}

// The handler may rebuild the tree, which must not happen while the tree is
// still closing its edit box: the edit ends after this returns.
LRESULT OnEndLabelEdit(FormWindow& w, std::size_t i, NMHDR* hdr) {
  FormWindow::Child& ch = w.ChildAt(i);
  auto* nmA = reinterpret_cast<NMTVDISPINFOA*>(hdr);
  if (!nmA->item.pszText)
    ch.editedText.reset();
  else if (hdr->code == TVN_ENDLABELEDITA)
    ch.editedText = FromAnsi(nmA->item.pszText);
  else
    ch.editedText = platform::FromWide(reinterpret_cast<NMTVDISPINFOW*>(hdr)->item.pszText);
  ch.editPending = true;
  PostMessageA(w.hwnd, kLabelEdited, i, 0);
  return FALSE;  // the model sets the text if the handler lets it
}

LRESULT TreeNotify(FormWindow& w, std::size_t i, NMHDR* hdr) {
  FormWindow::Child& ch = w.ChildAt(i);
  const auto& nm = *reinterpret_cast<NMTREEVIEWA*>(hdr);
  switch (hdr->code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      return OnSelChanged(w, i, nm);
    case NM_CLICK:
      // The tree tells a click before or after the selection it makes,
      // depending on the system, and tells no selection for a click on the
      // selected node: settle it once both may have arrived. The node is the
      // one under the press itself (the message position of a click may lie
      // elsewhere, for a click that another program posted).
      PostMessageA(w.hwnd, kTreeClicked, i, ch.pressedNode);
      ch.pressedNode = 0;
      return 0;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
      return OnItemExpanded(w, i, nm);
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
      const bool requested = ch.editRequested;
      ch.editRequested = false;
      if (requested) return FALSE;
      return w.ControlOf<TreeView>(i).BeginLabelEditByUser() ? FALSE : TRUE;  // TRUE refuses
    }
    case TVN_ENDLABELEDITA:
    case TVN_ENDLABELEDITW:
      return OnEndLabelEdit(w, i, hdr);
    default:
      return 0;
  }
}

LRESULT TreeInput(FormWindow& w, std::size_t i, UINT msg, WPARAM, LPARAM lp, bool&) {
  if (msg == WM_LBUTTONDOWN) w.ChildAt(i).pressedNode = w.NodeAt(i, lp);
  return 0;
}

}  // namespace

const ControlBehaviour kTreeViewBehaviour{
    .created = TreeCreated, .sync = TreeSync, .notify = TreeNotify, .input = TreeInput};

void FormWindow::InsertNode(std::size_t i, TreeNode& node) {
  Child& ch = children_[i];
  if (!ch.hwnd) return;
  std::string text = ToAnsiBestFit(node.Text());
  TVINSERTSTRUCTA ins{};
  ins.hParent = node.Parent() ? ItemOf(i, *node.Parent()) : TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  ins.item.pszText = text.data();
  // Image positions are 1-based in the model; none is drawn for 0.
  ins.item.iImage = node.Image() - 1;
  ins.item.iSelectedImage = node.SelectedImage() - 1;
  ins.item.lParam = node.Index();
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageA(ch.hwnd, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  if (ch.items.size() < static_cast<std::size_t>(node.Index())) ch.items.resize(node.Index());
  ch.items[node.Index() - 1] = item;
  // A node expanded before it had children could not be expanded on screen.
  if (node.Parent() && node.Parent()->Expanded())
    SendMessageA(ch.hwnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(ins.hParent));
}

TreeNode* FormWindow::NodeOf(std::size_t i, HTREEITEM item) const {
  const auto& items = children_[i].items;
  auto it = std::find(items.begin(), items.end(), item);
  if (!item || it == items.end()) return nullptr;
  return ControlOf<TreeView>(i).Node(static_cast<int>(it - items.begin()) + 1);
}

HTREEITEM FormWindow::ItemOf(std::size_t i, const TreeNode& node) const {
  const auto& items = children_[i].items;
  const std::size_t k = static_cast<std::size_t>(node.Index() - 1);
  return k < items.size() ? items[k] : nullptr;
}

int FormWindow::NodeAt(std::size_t i, LPARAM point) const {
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  auto item = reinterpret_cast<HTREEITEM>(
      SendMessageA(children_[i].hwnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  TreeNode* node = (hit.flags & TVHT_ONITEM) ? NodeOf(i, item) : nullptr;
  return node ? node->Index() : 0;
}

void FormWindow::NodeAdded(TreeView& tree, TreeNode& node) {
  if (auto i = IndexOf(tree)) {
    InProgress push(pushing_);
    HoldTreeRedraw(*i);
    InsertNode(*i, node);
  }
}

// Drawing resumes when the message loop next runs: after the handler that
// changed the nodes, however many it added.
void FormWindow::HoldTreeRedraw(std::size_t i) {
  Child& ch = children_[i];
  if (!ch.hwnd || ch.redrawHeld) return;
  ch.redrawHeld = true;
  SendMessageA(ch.hwnd, WM_SETREDRAW, FALSE, 0);
  PostMessageA(hwnd, kTreeRedraw, i, 0);
}

void FormWindow::ResumeTreeRedraw(std::size_t i) {
  Child& ch = children_[i];
  if (!ch.hwnd || !ch.redrawHeld) return;
  ch.redrawHeld = false;
  SendMessageA(ch.hwnd, WM_SETREDRAW, TRUE, 0);
  // Where the message is the default window procedure's, it also marks the
  // window visible: a tree hidden meanwhile must stay hidden.
  if (!form->Controls()[i]->VisibleInForm()) ShowWindow(ch.hwnd, SW_HIDE);
  InvalidateRect(ch.hwnd, nullptr, TRUE);
}

void FormWindow::NodeChanged(TreeView& tree, TreeNode& node, Property what) {
  auto i = IndexOf(tree);
  if (!i) return;
  HTREEITEM item = ItemOf(*i, node);
  HWND h = children_[*i].hwnd;
  if (!item || !h) return;
  InProgress push(pushing_);
  if (what == Property::Value) {
    SendMessageA(h, TVM_EXPAND, node.Expanded() ? TVE_EXPAND : TVE_COLLAPSE,
                 reinterpret_cast<LPARAM>(item));
    return;
  }
  std::string text = ToAnsiBestFit(node.Text());
  TVITEMA it{};
  it.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  it.hItem = item;
  it.pszText = text.data();
  it.iImage = node.Image() - 1;
  it.iSelectedImage = node.SelectedImage() - 1;
  SendMessageA(h, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}

void FormWindow::LabelEditRequested(TreeView& tree, TreeNode& node) {
  auto i = IndexOf(tree);
  if (!i) return;
  Child& ch = children_[*i];
  HTREEITEM item = ItemOf(*i, node);
  ch.editRequested = true;
  if (ch.hwnd && item && IsWindowVisible(ch.hwnd)) {
    ::SetFocus(ch.hwnd);
    if (SendMessageA(ch.hwnd, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item))) return;
  }
  // The edit could not start: end it as dismissed, after this call returns.
  ch.editRequested = false;
  ch.editedText.reset();
  ch.editPending = true;
  PostMessageA(hwnd, kLabelEdited, *i, 0);
}

// After a click: NodeClick for a node the click chose without a selection
// change to report it (the selected node itself), then Click.
void FormWindow::OnTreeClicked(std::size_t i, int nodeIndex) {
  auto& tree = ControlOf<TreeView>(i);
  Child& ch = children_[i];
  const bool alreadyReported = nodeIndex != 0 && ch.mouseSelected == nodeIndex;
  ch.mouseSelected = 0;
  if (TreeNode* node = tree.Node(nodeIndex); node && !alreadyReported) RaiseNodeClick(tree, *node);
  tree.Raise(Event::Click);
}

void FormWindow::OnLabelEdited(std::size_t i) {
  Child& ch = children_[i];
  if (!ch.editPending) return;
  ch.editPending = false;
  auto& tree = ControlOf<TreeView>(i);
  if (tree.EditingNode()) tree.EndLabelEdit(ch.editedText);
}

}  // namespace velmaro::forms
