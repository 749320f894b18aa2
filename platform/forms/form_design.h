#pragma once
// A window described as data: its controls with names, kinds, captions,
// positions, parents and design-time state. Both toolkits realise a FormSpec;
// the same handlers then run on either.
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmaro::forms {

// A control that is not part of a control array.
inline constexpr int kNoIndex = -1;

// Thrown for mistakes in a form's description or in the code that uses it
// (an unknown control name, a handler for a control that does not exist).
class FormError : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

enum class ControlKind {
  Label,
  Button,
  CheckBox,
  OptionButton,
  TextBox,
  Frame,
  DropDownList,
  TreeView,
  Slider,
  ProgressBar,
  Picture,
  Timer,
  DriveChooser,  // a drop-down list of the machine's drives
  FolderTree,    // the way down to one folder, and the folders inside it
};
std::string_view KindName(ControlKind kind);

enum class BorderStyle {
  Sizable,      // resizable frame with minimise and maximise boxes
  FixedSingle,  // fixed frame with a minimise box: a main window
  FixedDialog,  // fixed dialog frame, close box only
  None,         // no caption and no frame: a splash screen
};

enum class TickStyle { BottomRight, TopLeft, Both, None };
enum class Alignment { Left, Right, Center };
enum class LabelEditMode { None, Automatic, Manual };

// Pixels; a control's position is relative to its container's top-left corner.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool Contains(int px, int py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct ControlSpec {
  std::string name;
  int index = kNoIndex;
  ControlKind kind = ControlKind::Label;
  std::string caption;  // caption, or the text of a text box
  Rect bounds;
  std::string parent;  // empty: the form itself
  int parentIndex = kNoIndex;
  bool visible = true;
  bool enabled = true;  // for a timer: running
  int value = 0;        // check 0/1/2, option 0/1, slider and progress position

  // Per-kind extras.
  bool isDefault = false;  // button: Enter presses it
  bool isCancel = false;   // button: Esc presses it
  bool multiLine = false;  // text box
  bool readOnly = false;   // text box
  int min = 0;             // slider, progress bar
  int max = 10;
  int smallChange = 1;
  int largeChange = 5;
  TickStyle ticks = TickStyle::BottomRight;
  int tickFrequency = 1;
  std::vector<std::string> items;  // drop-down list
  int imageListBitmap = 0;         // tree view: bitmap resource with a strip of images
  int imageSize = 16;              // width and height of one image in that strip
  bool lines = true;               // tree view: lines between nodes
  bool buttons = true;             // tree view: +/- buttons
  LabelEditMode labelEdit = LabelEditMode::None;
  int bitmap = 0;                // picture: bitmap resource id, 0 for none
  bool border = false;           // picture or label: a sunken border
  bool link = false;             // label: blue text and a hand pointer
  Alignment align = Alignment::Left;  // label
  int interval = 0;              // timer, milliseconds; 0 never fires

  // Fluent setters, so a form reads as a table.
  ControlSpec& At(int i) { index = i; return *this; }
  ControlSpec& In(std::string frame, int frameIndex = kNoIndex) {
    parent = std::move(frame);
    parentIndex = frameIndex;
    return *this;
  }
  ControlSpec& Hidden() { visible = false; return *this; }
  ControlSpec& Disabled() { enabled = false; return *this; }
  ControlSpec& Value(int v) { value = v; return *this; }
  ControlSpec& Default() { isDefault = true; return *this; }
  ControlSpec& Cancel() { isCancel = true; return *this; }
  ControlSpec& MultiLine() { multiLine = true; return *this; }
  ControlSpec& ReadOnly() { readOnly = true; return *this; }
  ControlSpec& Range(int lo, int hi) { min = lo; max = hi; return *this; }
  ControlSpec& Changes(int small, int large) { smallChange = small; largeChange = large; return *this; }
  ControlSpec& Ticks(TickStyle style, int frequency = 1) {
    ticks = style;
    tickFrequency = frequency;
    return *this;
  }
  ControlSpec& Items(std::vector<std::string> list) { items = std::move(list); return *this; }
  ControlSpec& Images(int bitmapResource, int size = 16) {
    imageListBitmap = bitmapResource;
    imageSize = size;
    return *this;
  }
  ControlSpec& TreeStyle(bool withLines, bool withButtons, LabelEditMode edit) {
    lines = withLines;
    buttons = withButtons;
    labelEdit = edit;
    return *this;
  }
  ControlSpec& Bitmap(int resource) { bitmap = resource; return *this; }
  ControlSpec& Bordered() { border = true; return *this; }
  ControlSpec& Link() { link = true; return *this; }
  ControlSpec& Align(Alignment a) { align = a; return *this; }
  ControlSpec& Interval(int ms) { interval = ms; return *this; }
};

// One factory per kind; the result can be refined with the setters above.
// They live apart from the runtime control classes of the same names; a
// form's description says `namespace d = velmaro::forms::design;`.
namespace design {
ControlSpec Label(std::string name, std::string caption, Rect bounds);
ControlSpec Button(std::string name, std::string caption, Rect bounds);
ControlSpec CheckBox(std::string name, std::string caption, Rect bounds);
ControlSpec OptionButton(std::string name, std::string caption, Rect bounds);
ControlSpec TextBox(std::string name, std::string text, Rect bounds);
ControlSpec Frame(std::string name, std::string caption, Rect bounds);
ControlSpec DropDownList(std::string name, std::vector<std::string> items, Rect bounds);
ControlSpec TreeView(std::string name, Rect bounds);
ControlSpec Slider(std::string name, int min, int max, Rect bounds);
ControlSpec ProgressBar(std::string name, int min, int max, Rect bounds);
ControlSpec Picture(std::string name, int bitmap, Rect bounds);
ControlSpec Timer(std::string name, int intervalMs, bool enabled);
ControlSpec DriveChooser(std::string name, Rect bounds);
ControlSpec FolderTree(std::string name, Rect bounds);
}  // namespace design

struct FormSpec {
  FormSpec() = default;
  FormSpec(std::string formName, std::string formCaption, int width, int height,
           BorderStyle style = BorderStyle::FixedSingle)
      : name(std::move(formName)),
        caption(std::move(formCaption)),
        clientWidth(width),
        clientHeight(height),
        border(style) {}

  std::string name;
  std::string caption;
  int clientWidth = 0;
  int clientHeight = 0;
  BorderStyle border = BorderStyle::FixedSingle;
  bool centered = true;
  int icon = 0;  // icon resource id, 0 for the system's default
  // In tab order.
  std::vector<ControlSpec> controls;

  FormSpec& Add(ControlSpec control) {
    controls.push_back(std::move(control));
    return *this;
  }
};

// "&Options" -> "Options", "Apply && close" -> "Apply & close".
std::string DisplayText(std::string_view caption);
// The access key of a caption in lower case, or 0 when it has none.
char Mnemonic(std::string_view caption);
// "Fram(2)" for an array element, "Apply" otherwise.
std::string ControlId(std::string_view name, int index);

}  // namespace velmaro::forms
