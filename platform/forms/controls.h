#pragma once
// Runtime controls: the state that handlers read and write. Every change goes
// through these setters, which raise the events the classic event-driven
// designers raise (a code change to a check box fires its Click too) and tell
// the form's toolkit view so that the screen follows.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/events.h"
#include "platform/forms/form_design.h"

namespace velmaro::forms {

class Control {
public:
  Control(Form& form, const ControlSpec& spec, Control* parent);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Form& Owner() const { return form_; }
  const ControlSpec& Spec() const { return spec_; }
  const std::string& Name() const { return spec_.name; }
  int Index() const { return spec_.index; }
  ControlKind Kind() const { return spec_.kind; }
  std::string Id() const { return ControlId(spec_.name, spec_.index); }
  Control* Parent() const { return parent_; }
  bool IsContainer() const;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Visible/enabled together with every containing frame: a hidden frame hides
  // its children without changing their own Visible.
  bool VisibleInForm() const;
  bool EnabledInForm() const;

  const Rect& Bounds() const { return bounds_; }
  void Move(Rect bounds);
  // Bounds relative to the form's client area.
  Rect FormBounds() const;

  // Gives the keyboard focus; false (and nothing happens) for a control that
  // cannot take it: hidden, disabled, or of a kind that never does.
  bool SetFocus();
  bool CanFocus() const;

  // Back to the design-time state, without events (the form unloads).
  virtual void Reset();

  // Raises an event from this control, for the user actions that have no
  // state behind them (a click on a label, a pointer move, a double-click).
  void Raise(EventArgs& args);
  void Raise(Event event);

protected:
  void Changed(Property what);

private:
  Form& form_;
  ControlSpec spec_;
  Control* parent_;
  bool enabled_ = true;
  bool visible_ = true;
  Rect bounds_;
};

// Controls with a caption; `&` marks the access key.
class CaptionControl : public Control {
public:
  using Control::Control;
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  void Reset() override;

private:
  std::string caption_;
};

class Label : public CaptionControl {
public:
  using CaptionControl::CaptionControl;
};

class Frame : public CaptionControl {
public:
  using CaptionControl::CaptionControl;
};

class Button : public CaptionControl {
public:
  using CaptionControl::CaptionControl;
  // Raises Click, as a press by the user or `Value = True` by code does.
  void Press();
};

class CheckBox : public CaptionControl {
public:
  using CaptionControl::CaptionControl;
  int Value() const { return value_; }
  // 0 clear, 1 ticked, 2 grayed. Raises Click when the value changes. Any
  // other number is refused: false, and the box keeps its state.
  bool SetValue(int value);
  // A user's click: 0 -> 1, 1 -> 0, grayed -> 0 (the user never makes it grayed).
  void ClickByUser();
  void Reset() override;

private:
  int value_ = 0;
};

class OptionButton : public CaptionControl {
public:
  using CaptionControl::CaptionControl;
  bool Value() const { return value_; }
  // Selecting clears the other option buttons of the same container and
  // raises Click; clearing raises nothing.
  void SetValue(bool selected);
  void ClickByUser() { SetValue(true); }
  void Reset() override;

private:
  friend class Form;
  void ClearQuietly();
  bool value_ = false;
};

class TextBox : public Control {
public:
  using Control::Control;
  const std::string& Text() const { return text_; }
  // Raises Change when the text changes.
  void SetText(std::string text);
  bool MultiLine() const { return Spec().multiLine; }
  bool ReadOnly() const { return Spec().readOnly; }
  void Reset() override;

private:
  std::string text_;
};

// A drop-down list the user can't type into.
class DropDownList : public Control {
public:
  using Control::Control;
  int ListCount() const { return static_cast<int>(items_.size()); }
  // The entry at position i, empty outside the list.
  std::string List(int i) const;
  const std::vector<std::string>& Items() const { return items_; }
  void AddItem(std::string text);
  bool RemoveItem(int i);
  // Empties the list; the selection goes with it, without a Click.
  void Clear();
  int ListIndex() const { return listIndex_; }
  // -1 selects nothing. Raises Click when the selection changes; a position
  // outside the list is refused (false, nothing changes).
  bool SetListIndex(int i);
  // The selected entry's text, empty when none.
  std::string Text() const;
  // Selects the first entry equal to `text`; false when there is none.
  bool SetText(const std::string& text);
  void Reset() override;

private:
  std::vector<std::string> items_;
  int listIndex_ = -1;
};

// A position held inside a range: what a slider and a progress bar share.
class RangeControl : public Control {
public:
  using Control::Control;
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  // Clamped into [Min, Max]; raises Change (a slider only) when the position moves.
  void SetValue(int value);
  // Refused (false) when min > max; the position is clamped without an event.
  bool SetRange(int min, int max);
  void Reset() override;

private:
  int min_ = 0;
  int max_ = 10;
  int value_ = 0;
};

class Slider : public RangeControl {
public:
  using RangeControl::RangeControl;
  int SmallChange() const { return Spec().smallChange; }
  int LargeChange() const { return Spec().largeChange; }
};

class ProgressBar : public RangeControl {
public:
  using RangeControl::RangeControl;
};

class Picture : public Control {
public:
  enum class Content { None, Bitmap, Icon };
  using Control::Control;
  Content Shows() const { return content_; }
  int BitmapId() const { return bitmap_; }
  const std::string& IconFile() const { return iconFile_; }
  int IconIndex() const { return iconIndex_; }
  void SetBitmap(int resourceId);
  // An icon drawn at the top-left corner, taken from a file by its index.
  void SetIcon(std::string file, int index);
  void Clear();
  void Reset() override;

private:
  Content content_ = Content::None;
  int bitmap_ = 0;
  std::string iconFile_;
  int iconIndex_ = 0;
};

class Timer : public Control {
public:
  using Control::Control;
  int Interval() const { return interval_; }
  void SetInterval(int ms);  // negative counts as 0 (never fires)
  // Raises Timer; toolkits call it when the interval has elapsed.
  void Fire();
  void Reset() override;

private:
  int interval_ = 0;
};

class TreeNode {
public:
  TreeNode(TreeView& tree, TreeNode* parent, int index, std::string text, int image,
           int selectedImage);
  TreeNode(const TreeNode&) = delete;
  TreeNode& operator=(const TreeNode&) = delete;

  TreeView& Tree() const { return tree_; }
  // 1-based position in the order the nodes were added.
  int Index() const { return index_; }
  TreeNode* Parent() const { return parent_; }
  const std::vector<TreeNode*>& Children() const { return children_; }
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  // Image list positions, 1-based; 0 for none. The selected image defaults to
  // the image.
  int Image() const { return image_; }
  int SelectedImage() const { return selectedImage_ ? selectedImage_ : image_; }
  bool Expanded() const { return expanded_; }
  // Raises Expand or Collapse when the state changes, by code as by the user.
  void SetExpanded(bool expanded);
  bool Selected() const;

private:
  friend class TreeView;
  TreeView& tree_;
  TreeNode* parent_;
  int index_;
  std::string text_;
  int image_;
  int selectedImage_;
  bool expanded_ = false;
  std::vector<TreeNode*> children_;
};

class TreeView : public Control {
public:
  using Control::Control;
  TreeNode& Add(std::string text, int image = 0, int selectedImage = 0);
  // Throws FormError for a node of another tree.
  TreeNode& AddChild(TreeNode& parent, std::string text, int image = 0, int selectedImage = 0);
  int Count() const { return static_cast<int>(nodes_.size()); }
  // The node at a 1-based position, null outside 1..Count.
  TreeNode* Node(int index) const;
  std::vector<TreeNode*> Roots() const;
  // Removes every node; node references taken before become invalid.
  void Clear();
  // Changes whenever the nodes are cleared, so that a node found before can
  // be known to be gone.
  unsigned Generation() const { return generation_; }

  TreeNode* SelectedItem() const { return selected_; }
  // Selection by code raises no NodeClick. Null clears it.
  void Select(TreeNode* node);

  // Starts editing the selected node's text; false when nothing is selected
  // or the tree does not allow label editing.
  bool StartLabelEdit();
  TreeNode* EditingNode() const { return editing_; }

  // User actions, shared by the toolkits.
  void ClickNodeByUser(TreeNode& node);  // selects, NodeClick, then Click
  void ClickByUser();                     // a click on no node: Click only
  // An automatic-mode tree lets the user start editing the selected node.
  bool BeginLabelEditByUser();
  // Ends the edit: AfterLabelEdit(node, newText, cancel); nothing means the
  // user dismissed it. True when the node took the new text.
  bool EndLabelEdit(std::optional<std::string> newText);

  void Reset() override;

private:
  friend class TreeNode;
  TreeNode& Insert(TreeNode* parent, std::string text, int image, int selectedImage);
  std::vector<std::unique_ptr<TreeNode>> nodes_;
  TreeNode* selected_ = nullptr;
  TreeNode* editing_ = nullptr;
  unsigned generation_ = 0;
};

}  // namespace velmaro::forms
