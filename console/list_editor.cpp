#include "console/list_editor.h"

namespace velmaro::console {

using namespace forms::design;

void LayoutListEditor(forms::FormSpec& f, int frame, const ListEditorControls& names) {
  using namespace grid;
  constexpr int kButtonWidth = 96, kButtonsAt = 366;
  f.Add(InPanel(TreeView(names.list, {Left, 28, Wide, 328}).TreeStyle(false, false, names.labelEdit),
                frame));
  f.Add(InPanel(Button(names.add, "Add...", {Left, kButtonsAt, kButtonWidth, 28}), frame));
  f.Add(InPanel(Button(names.edit, names.editCaption, {Left + 104, kButtonsAt, kButtonWidth, 28})
                    .Disabled(),
                frame));
  f.Add(InPanel(Button(names.remove, "Remove...", {Left + 208, kButtonsAt, kButtonWidth, 28})
                    .Disabled(),
                frame));
}

std::string OtherTypeLook(std::string_view name, std::uint32_t type) {
  static constexpr const char* kTypes[] = {"REG_NONE",      "REG_SZ",    "REG_EXPAND_SZ",
                                           "REG_BINARY",    "REG_DWORD", "REG_DWORD_BIG_ENDIAN",
                                           "REG_LINK",      "REG_MULTI_SZ"};
  const std::string typeName =
      type < std::size(kTypes) ? kTypes[type] : "type " + std::to_string(type);
  return "[" + std::string(name) + ": a " + typeName + " value]";
}

std::string UnreachableLook(std::string_view name) {
  return "[" + std::string(name) + ": a name Windows gives only in part]";
}

void RefuseUnreachable(forms::Toolkit& toolkit) {
  toolkit.MsgBox(std::string(Unreachable), "Velmaro", forms::mb::Ok | forms::mb::IconExclamation);
}

EditingButtons::EditingButtons(forms::Form& form, const ListEditorControls& names)
    : edit_(form.Get<forms::Button>(names.edit)), remove_(form.Get<forms::Button>(names.remove)) {
  form.OnClick(names.list, [this] { Offer(true); });
  form.On(forms::Event::NodeClick, names.list, [this](forms::EventArgs&) { Offer(true); });
}

void EditingButtons::Offer(bool offered) {
  edit_.SetEnabled(offered);
  remove_.SetEnabled(offered);
}

}  // namespace velmaro::console
