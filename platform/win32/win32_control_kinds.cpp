// Which window realises each kind of control, with which styles. A new kind
// is one row here and a file with its behaviour.
#include <array>

#include "platform/win32/win32_form_window.h"

namespace velmaro::forms {
namespace {

DWORD LabelStyle(const ControlSpec& s, DWORD&) {
  const DWORD align = s.align == Alignment::Right    ? SS_RIGHT
                      : s.align == Alignment::Center ? SS_CENTER
                                                     : SS_LEFT;
  return align | (s.border ? SS_SUNKEN : 0);
}

DWORD ButtonStyle(const ControlSpec& s, DWORD&) {
  return s.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

DWORD TextBoxStyle(const ControlSpec& s, DWORD&) {
  DWORD style = s.readOnly ? ES_READONLY : 0;
  if (s.multiLine)
    style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | (s.readOnly ? 0 : ES_WANTRETURN);
  return style;
}

DWORD TreeStyle(const ControlSpec& s, DWORD&) {
  DWORD style = 0;
  if (s.lines) style |= TVS_HASLINES | TVS_LINESATROOT;
  if (s.buttons) style |= TVS_HASBUTTONS | TVS_LINESATROOT;
  if (s.labelEdit != LabelEditMode::None) style |= TVS_EDITLABELS;
  return style;
}

DWORD SliderStyle(const ControlSpec& s, DWORD&) {
  switch (s.ticks) {
    case TickStyle::None:
      return TBS_NOTICKS;
    case TickStyle::TopLeft:
      return TBS_TOP;
    case TickStyle::Both:
      return TBS_BOTH;
    case TickStyle::BottomRight:
      break;
  }
  return 0;
}

DWORD PictureStyle(const ControlSpec& s, DWORD& exStyle) {
  if (s.border) exStyle |= WS_EX_CLIENTEDGE;
  return 0;
}

constexpr int kDropDownHeight = 200;  // room for a drop-down list's entries

// A check box is not the automatic kind: a click goes to the model, which
// never grays a box.
const std::array<ControlKindInfo, 14> kKinds{{
    {ControlKind::Label, "STATIC", SS_NOTIFY, 0, LabelStyle, 0, &kStaticBehaviour},
    {ControlKind::Button, "BUTTON", WS_TABSTOP, 0, ButtonStyle, 0, &kButtonBehaviour},
    {ControlKind::CheckBox, "BUTTON", WS_TABSTOP | BS_3STATE | BS_MULTILINE, 0, nullptr, 0,
     &kCheckBoxBehaviour},
    {ControlKind::OptionButton, "BUTTON", WS_TABSTOP | BS_RADIOBUTTON | BS_MULTILINE, 0, nullptr, 0,
     &kOptionButtonBehaviour},
    {ControlKind::TextBox, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, TextBoxStyle, 0,
     &kTextBoxBehaviour},
    {ControlKind::Frame, "BUTTON", BS_GROUPBOX, 0, nullptr, 0, &kFrameBehaviour},
    {ControlKind::DropDownList, "COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, nullptr,
     kDropDownHeight, &kDropDownListBehaviour},
    {ControlKind::TreeView, WC_TREEVIEWA, WS_TABSTOP | TVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE,
     TreeStyle, 0, &kTreeViewBehaviour},
    {ControlKind::Slider, TRACKBAR_CLASSA, WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS, 0, SliderStyle, 0,
     &kSliderBehaviour},
    {ControlKind::ProgressBar, PROGRESS_CLASSA, 0, 0, nullptr, 0, &kProgressBarBehaviour},
    {ControlKind::Picture, "STATIC", SS_OWNERDRAW | SS_NOTIFY, 0, PictureStyle, 0,
     &kPictureBehaviour},
    {ControlKind::DriveChooser, "COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, nullptr,
     kDropDownHeight, &kDriveChooserBehaviour},
    {ControlKind::FolderTree, WC_TREEVIEWA, WS_TABSTOP | TVS_SHOWSELALWAYS | TVS_HASLINES,
     WS_EX_CLIENTEDGE, nullptr, 0, &kFolderTreeBehaviour},
    // Timers are SetTimer calls on the form's window, not windows of their own.
    {ControlKind::Timer, nullptr, 0, 0, nullptr, 0, nullptr},
}};

}  // namespace

const ControlKindInfo& KindInfo(ControlKind kind) {
  for (const ControlKindInfo& row : kKinds)
    if (row.kind == kind) return row;
  return kKinds.back();  // unreachable while every kind has its row
}

}  // namespace velmaro::forms
