#pragma once
// Events that controls and forms raise, what a handler receives, and the
// interface through which a toolkit follows the model's state.
#include <functional>
#include <optional>
#include <string>

#include "platform/forms/form_design.h"

namespace velmaro::forms {

class Form;
class Control;
class TreeView;
class TreeNode;

enum class Event {
  Click,           // button, check box (value changed), option (became selected),
                   // drop-down list (ListIndex changed), label, picture, frame, tree
  DblClick,        // label, frame, picture
  Change,          // text box text, slider position, the drive chooser's drive,
                   // the folder tree's folder
  MouseMove,       // label, frame, picture
  NodeClick,       // tree: a node chosen by the user
  Expand,          // tree node
  Collapse,        // tree node
  AfterLabelEdit,  // tree: an in-place edit ended
  Timer,           // timer interval elapsed
  Load,            // form
  QueryUnload,     // form: may cancel
  Unload,          // form
  Activate,        // form became the active window
};

// Why a form is asked to unload; the numbers are those the classic designers use.
enum class UnloadReason { CloseBox = 0, Code = 1, SessionEnd = 2 };

enum class MousePointer { Default = 0, Hourglass = 11 };

struct EventArgs {
  Event event = Event::Click;
  Form* form = nullptr;
  Control* control = nullptr;  // null for form events
  TreeNode* node = nullptr;    // NodeClick, Expand, Collapse, AfterLabelEdit
  // AfterLabelEdit: the edited text, or nothing when the user dismissed the edit.
  std::optional<std::string> newText;
  bool cancel = false;  // AfterLabelEdit (keep the old text), QueryUnload (stay open)
  UnloadReason reason = UnloadReason::Code;  // QueryUnload
  int button = 0;  // MouseMove: 1 left, 2 right, 4 middle, or-ed
  int shift = 0;   // MouseMove: 1 shift, 2 ctrl, 4 alt
  int x = 0;       // MouseMove: pixels inside the control
  int y = 0;

  // The element of a control array that raised the event, kNoIndex otherwise.
  int Index() const;
};

using Handler = std::function<void(EventArgs&)>;

// What changed, for a toolkit that mirrors the model on the screen.
enum class Property {
  Caption,
  Text,
  Value,
  Enabled,
  Visible,
  Bounds,
  Items,      // drop-down list entries
  Listing,    // the drive chooser's drives, the folder tree's folders
  Range,
  Image,
  Nodes,      // tree: cleared
  Selection,  // tree: selected node
  Timer,      // timer: enabled or interval
  FormCaption,
  FormSize,
  Pointer,
};

// A toolkit's realisation of one loaded form. The model calls it after each
// change it makes, whoever asked for the change; a toolkit that pushes the new
// state to the screen must not report it back as a user action.
class FormView {
public:
  virtual ~FormView() = default;
  virtual void ControlChanged(Control& control, Property what) = 0;
  virtual void NodeAdded(TreeView& tree, TreeNode& node) = 0;
  // Caption (text), Image, Value (expanded).
  virtual void NodeChanged(TreeView& tree, TreeNode& node, Property what) = 0;
  virtual void FocusRequested(Control& control) = 0;
  virtual void LabelEditRequested(TreeView& tree, TreeNode& node) = 0;
  // FormCaption, FormSize, Pointer.
  virtual void FormChanged(Property what) = 0;
  // The form object is going away while still realised.
  virtual void FormDestroyed() = 0;
};

}  // namespace velmaro::forms
