#include "platform/forms/form_design.h"


#include "platform/forms/toolkit.h"
#include "platform/ascii_case.h"

namespace velmaro::forms {

using platform::LowerAscii;
using platform::UpperAscii;

std::string_view KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label: return "label";
    case ControlKind::Button: return "button";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::OptionButton: return "option button";
    case ControlKind::TextBox: return "text box";
    case ControlKind::Frame: return "frame";
    case ControlKind::DropDownList: return "drop-down list";
    case ControlKind::TreeView: return "tree view";
    case ControlKind::Slider: return "slider";
    case ControlKind::ProgressBar: return "progress bar";
    case ControlKind::Picture: return "picture";
    case ControlKind::Timer: return "timer";
    case ControlKind::DriveChooser: return "drive chooser";
    case ControlKind::FolderTree: return "folder tree";
  }
  return "control";
}

namespace design {
namespace {
ControlSpec Make(ControlKind kind, std::string name, std::string caption, Rect bounds) {
  ControlSpec c;
  c.kind = kind;
  c.name = std::move(name);
  c.caption = std::move(caption);
  c.bounds = bounds;
  return c;
}
}  // namespace

ControlSpec Label(std::string name, std::string caption, Rect bounds) {
  return Make(ControlKind::Label, std::move(name), std::move(caption), bounds);
}
ControlSpec Button(std::string name, std::string caption, Rect bounds) {
  return Make(ControlKind::Button, std::move(name), std::move(caption), bounds);
}
ControlSpec CheckBox(std::string name, std::string caption, Rect bounds) {
  return Make(ControlKind::CheckBox, std::move(name), std::move(caption), bounds);
}
ControlSpec OptionButton(std::string name, std::string caption, Rect bounds) {
  return Make(ControlKind::OptionButton, std::move(name), std::move(caption), bounds);
}
ControlSpec TextBox(std::string name, std::string text, Rect bounds) {
  return Make(ControlKind::TextBox, std::move(name), std::move(text), bounds);
}
ControlSpec Frame(std::string name, std::string caption, Rect bounds) {
  return Make(ControlKind::Frame, std::move(name), std::move(caption), bounds);
}
ControlSpec DropDownList(std::string name, std::vector<std::string> items, Rect bounds) {
  ControlSpec c = Make(ControlKind::DropDownList, std::move(name), "", bounds);
  c.items = std::move(items);
  return c;
}
ControlSpec TreeView(std::string name, Rect bounds) {
  return Make(ControlKind::TreeView, std::move(name), "", bounds);
}
ControlSpec Slider(std::string name, int min, int max, Rect bounds) {
  ControlSpec c = Make(ControlKind::Slider, std::move(name), "", bounds);
  c.min = min;
  c.max = max;
  c.value = min;
  return c;
}
ControlSpec ProgressBar(std::string name, int min, int max, Rect bounds) {
  ControlSpec c = Make(ControlKind::ProgressBar, std::move(name), "", bounds);
  c.min = min;
  c.max = max;
  c.value = min;
  return c;
}
ControlSpec Picture(std::string name, int bitmap, Rect bounds) {
  ControlSpec c = Make(ControlKind::Picture, std::move(name), "", bounds);
  c.bitmap = bitmap;
  return c;
}
ControlSpec Timer(std::string name, int intervalMs, bool enabled) {
  ControlSpec c = Make(ControlKind::Timer, std::move(name), "", {});
  c.interval = intervalMs;
  c.enabled = enabled;
  return c;
}
ControlSpec DriveChooser(std::string name, Rect bounds) {
  return Make(ControlKind::DriveChooser, std::move(name), "", bounds);
}
ControlSpec FolderTree(std::string name, Rect bounds) {
  return Make(ControlKind::FolderTree, std::move(name), "", bounds);
}
}  // namespace design

std::string DisplayText(std::string_view caption) {
  std::string out;
  out.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      // "&&" is a literal ampersand; a lone '&' only marks the next character.
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

char Mnemonic(std::string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return LowerAscii(caption[i + 1]);
  }
  return 0;
}

std::string ControlId(std::string_view name, int index) {
  std::string id(name);
  if (index != kNoIndex) {
    id += '(';
    id += std::to_string(index);
    id += ')';
  }
  return id;
}

bool IsAnswerOf(int flags, int answer) {
  switch (flags & 0xF) {
    case mb::Ok: return answer == IdOk;
    case mb::OkCancel: return answer == IdOk || answer == IdCancel;
    case mb::YesNoCancel: return answer == IdYes || answer == IdNo || answer == IdCancel;
    case mb::YesNo: return answer == IdYes || answer == IdNo;
    case mb::RetryCancel: return answer == IdRetry || answer == IdCancel;
    default: return false;
  }
}

int DefaultAnswer(int flags) {
  const int second = (flags & mb::DefButton2) != 0;
  const int third = (flags & mb::DefButton3) != 0;
  switch (flags & 0xF) {
    case mb::OkCancel: return second ? IdCancel : IdOk;
    case mb::YesNoCancel: return third ? IdCancel : second ? IdNo : IdYes;
    case mb::YesNo: return second ? IdNo : IdYes;
    case mb::RetryCancel: return second ? IdCancel : IdRetry;
    default: return IdOk;
  }
}

}  // namespace velmaro::forms
