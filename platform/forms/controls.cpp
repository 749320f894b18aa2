#include "platform/forms/controls.h"

#include <algorithm>

#include "platform/forms/form.h"

namespace velmaro::forms {

int EventArgs::Index() const { return control ? control->Index() : kNoIndex; }

// ---- Control ----

Control::Control(Form& form, const ControlSpec& spec, Control* parent)
    : form_(form), spec_(spec), parent_(parent) {}

bool Control::IsContainer() const {
  return spec_.kind == ControlKind::Frame || spec_.kind == ControlKind::Picture;
}

void Control::Reset() {
  enabled_ = spec_.enabled;
  visible_ = spec_.visible;
  bounds_ = spec_.bounds;
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed(Property::Enabled);
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Changed(Property::Visible);
}

bool Control::VisibleInForm() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

bool Control::EnabledInForm() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

void Control::Move(Rect bounds) {
  bounds.width = std::max(0, bounds.width);
  bounds.height = std::max(0, bounds.height);
  if (bounds_ == bounds) return;
  bounds_ = bounds;
  Changed(Property::Bounds);
}

Rect Control::FormBounds() const {
  Rect r = bounds_;
  for (const Control* p = parent_; p; p = p->parent_) {
    r.x += p->bounds_.x;
    r.y += p->bounds_.y;
  }
  return r;
}

bool Control::CanFocus() const {
  switch (spec_.kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::TextBox:
    case ControlKind::DropDownList:
    case ControlKind::TreeView:
    case ControlKind::Slider:
    case ControlKind::DriveChooser:
    case ControlKind::FolderTree:
      return VisibleInForm() && EnabledInForm();
    default:
      return false;
  }
}

bool Control::SetFocus() {
  if (!CanFocus()) return false;
  form_.NoteFocus(this);
  if (FormView* view = form_.View()) view->FocusRequested(*this);
  return true;
}

void Control::Changed(Property what) {
  if (FormView* view = form_.View()) view->ControlChanged(*this, what);
}

void Control::Raise(EventArgs& args) {
  args.form = &form_;
  args.control = this;
  form_.Raise(args);
}

void Control::Raise(Event event) {
  EventArgs args;
  args.event = event;
  Raise(args);
}

// ---- Captioned controls ----

void CaptionControl::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  Changed(Property::Caption);
}

void CaptionControl::Reset() {
  Control::Reset();
  caption_ = Spec().caption;
}

void Button::Press() { Raise(Event::Click); }

bool CheckBox::SetValue(int value) {
  if (value < 0 || value > 2) return false;
  if (value_ == value) return true;
  value_ = value;
  Changed(Property::Value);
  Raise(Event::Click);
  return true;
}

void CheckBox::ClickByUser() { SetValue(value_ == 0 ? 1 : 0); }

void CheckBox::Reset() {
  CaptionControl::Reset();
  value_ = std::clamp(Spec().value, 0, 2);
}

void OptionButton::SetValue(bool selected) {
  if (value_ == selected) return;
  if (selected) Owner().ClearOptionSiblings(*this);
  value_ = selected;
  Changed(Property::Value);
  if (selected) Raise(Event::Click);
}

void OptionButton::ClearQuietly() {
  if (!value_) return;
  value_ = false;
  Changed(Property::Value);
}

void OptionButton::Reset() {
  CaptionControl::Reset();
  value_ = Spec().value != 0;
}

// ---- Text box ----

void TextBox::SetText(std::string text) {
  if (text_ == text) return;
  text_ = std::move(text);
  Changed(Property::Text);
  Raise(Event::Change);
}

void TextBox::Reset() {
  Control::Reset();
  text_ = Spec().caption;
}

// ---- Drop-down list ----

std::string DropDownList::List(int i) const {
  if (i < 0 || i >= ListCount()) return {};
  return items_[static_cast<std::size_t>(i)];
}

void DropDownList::AddItem(std::string text) {
  items_.push_back(std::move(text));
  Changed(Property::Items);
}

bool DropDownList::RemoveItem(int i) {
  if (i < 0 || i >= ListCount()) return false;
  items_.erase(items_.begin() + i);
  if (listIndex_ == i)
    listIndex_ = -1;
  else if (listIndex_ > i)
    --listIndex_;
  Changed(Property::Items);
  return true;
}

void DropDownList::Clear() {
  if (items_.empty() && listIndex_ == -1) return;
  items_.clear();
  listIndex_ = -1;
  Changed(Property::Items);
}

bool DropDownList::SetListIndex(int i) {
  if (i < -1 || i >= ListCount()) return false;
  if (listIndex_ == i) return true;
  listIndex_ = i;
  Changed(Property::Value);
  Raise(Event::Click);
  return true;
}

std::string DropDownList::Text() const { return List(listIndex_); }

bool DropDownList::SetText(const std::string& text) {
  auto it = std::find(items_.begin(), items_.end(), text);
  if (it == items_.end()) return false;
  return SetListIndex(static_cast<int>(it - items_.begin()));
}

void DropDownList::Reset() {
  Control::Reset();
  items_ = Spec().items;
  listIndex_ = -1;
}

// ---- Slider and progress bar ----

void RangeControl::SetValue(int value) {
  value = std::clamp(value, min_, max_);
  if (value_ == value) return;
  value_ = value;
  Changed(Property::Value);
  if (Kind() == ControlKind::Slider) Raise(Event::Change);
}

bool RangeControl::SetRange(int min, int max) {
  if (min > max) return false;
  min_ = min;
  max_ = max;
  value_ = std::clamp(value_, min_, max_);
  Changed(Property::Range);
  return true;
}

void RangeControl::Reset() {
  Control::Reset();
  min_ = Spec().min;
  max_ = Spec().max;
  value_ = std::clamp(Spec().value, min_, max_);
}

// ---- Picture ----

void Picture::SetBitmap(int resourceId) {
  if (resourceId <= 0) return Clear();
  if (content_ == Content::Bitmap && bitmap_ == resourceId) return;
  content_ = Content::Bitmap;
  bitmap_ = resourceId;
  Changed(Property::Image);
}

void Picture::SetIcon(std::string file, int index) {
  content_ = Content::Icon;
  iconFile_ = std::move(file);
  iconIndex_ = index;
  Changed(Property::Image);  // always redrawn: the file may have changed on disk
}

void Picture::Clear() {
  if (content_ == Content::None) return;
  content_ = Content::None;
  bitmap_ = 0;
  iconFile_.clear();
  iconIndex_ = 0;
  Changed(Property::Image);
}

void Picture::Reset() {
  Control::Reset();
  content_ = Spec().bitmap > 0 ? Content::Bitmap : Content::None;
  bitmap_ = Spec().bitmap > 0 ? Spec().bitmap : 0;
  iconFile_.clear();
  iconIndex_ = 0;
}

// ---- Timer ----

void Timer::SetInterval(int ms) {
  ms = std::max(0, ms);
  if (interval_ == ms) return;
  interval_ = ms;
  Changed(Property::Timer);
}

void Timer::Fire() {
  if (Enabled() && interval_ > 0) Raise(Event::Timer);
}

void Timer::Reset() {
  Control::Reset();
  interval_ = std::max(0, Spec().interval);
}

// ---- Tree ----

TreeNode::TreeNode(TreeView& tree, TreeNode* parent, int index, std::string text, int image,
                   int selectedImage)
    : tree_(tree),
      parent_(parent),
      index_(index),
      text_(std::move(text)),
      image_(image),
      selectedImage_(selectedImage) {}

void TreeNode::SetText(std::string text) {
  if (text_ == text) return;
  text_ = std::move(text);
  if (FormView* view = tree_.Owner().View()) view->NodeChanged(tree_, *this, Property::Caption);
}

void TreeNode::SetExpanded(bool expanded) {
  if (expanded_ == expanded) return;
  expanded_ = expanded;
  if (FormView* view = tree_.Owner().View()) view->NodeChanged(tree_, *this, Property::Value);
  EventArgs args;
  args.event = expanded ? Event::Expand : Event::Collapse;
  args.node = this;
  tree_.Raise(args);
}

bool TreeNode::Selected() const { return tree_.SelectedItem() == this; }

TreeNode& TreeView::Insert(TreeNode* parent, std::string text, int image, int selectedImage) {
  nodes_.push_back(std::make_unique<TreeNode>(*this, parent, Count() + 1, std::move(text),
                                              std::max(0, image), std::max(0, selectedImage)));
  TreeNode& node = *nodes_.back();
  if (parent) parent->children_.push_back(&node);
  if (FormView* view = Owner().View()) view->NodeAdded(*this, node);
  return node;
}

TreeNode& TreeView::Add(std::string text, int image, int selectedImage) {
  return Insert(nullptr, std::move(text), image, selectedImage);
}

TreeNode& TreeView::AddChild(TreeNode& parent, std::string text, int image, int selectedImage) {
  if (&parent.Tree() != this)
    throw FormError("node " + parent.Text() + " belongs to another tree than " + Id());
  return Insert(&parent, std::move(text), image, selectedImage);
}

TreeNode* TreeView::Node(int index) const {
  if (index < 1 || index > Count()) return nullptr;
  return nodes_[static_cast<std::size_t>(index - 1)].get();
}

std::vector<TreeNode*> TreeView::Roots() const {
  std::vector<TreeNode*> roots;
  for (const auto& n : nodes_)
    if (!n->Parent()) roots.push_back(n.get());
  return roots;
}

void TreeView::Clear() {
  ++generation_;
  selected_ = nullptr;
  editing_ = nullptr;
  nodes_.clear();
  Changed(Property::Nodes);
}

void TreeView::Select(TreeNode* node) {
  if (node && &node->Tree() != this) return;
  if (selected_ == node) return;
  // A node chosen by code is brought into view, as the native tree does.
  if (node)
    for (TreeNode* p = node->Parent(); p; p = p->Parent()) p->SetExpanded(true);
  selected_ = node;
  Changed(Property::Selection);
}

bool TreeView::StartLabelEdit() {
  if (Spec().labelEdit == LabelEditMode::None || !selected_) return false;
  editing_ = selected_;
  if (FormView* view = Owner().View()) view->LabelEditRequested(*this, *editing_);
  return true;
}

void TreeView::ClickNodeByUser(TreeNode& node) {
  if (&node.Tree() != this) return;
  Select(&node);
  EventArgs args;
  args.event = Event::NodeClick;
  args.node = &node;
  Raise(args);
  Raise(Event::Click);
}

void TreeView::ClickByUser() { Raise(Event::Click); }

bool TreeView::BeginLabelEditByUser() {
  if (Spec().labelEdit != LabelEditMode::Automatic || !selected_) return false;
  editing_ = selected_;
  return true;
}

bool TreeView::EndLabelEdit(std::optional<std::string> newText) {
  TreeNode* node = editing_;
  if (!node) return false;
  editing_ = nullptr;
  const unsigned generation = generation_;
  EventArgs args;
  args.event = Event::AfterLabelEdit;
  args.node = node;
  args.newText = newText;
  Raise(args);
  // A handler may rebuild the tree; the edited node is then gone.
  if (generation_ != generation) return false;
  if (args.cancel || !newText) return false;
  node->SetText(*newText);
  return true;
}

void TreeView::Reset() {
  Control::Reset();
  ++generation_;
  nodes_.clear();
  selected_ = nullptr;
  editing_ = nullptr;
}

}  // namespace velmaro::forms
