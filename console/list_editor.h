#pragma once
// What the two list editors (StartUp Applications, Add/Remove) share: a flat
// list filling the panel, with Add, Edit and Remove below it. Edit and Remove
// are offered once the user has clicked in the list (anywhere in it) or
// chosen an entry with the keyboard.
#include <cstdint>
#include <string>
#include <string_view>

#include "console/panel.h"
#include "platform/forms/form.h"
#include "platform/forms/toolkit.h"

namespace velmaro::console {

struct ListEditorControls {
  const char* list;
  forms::LabelEditMode labelEdit;
  const char* add;
  const char* edit;
  const char* editCaption;
  const char* remove;
};

void LayoutListEditor(forms::FormSpec& f, int frame, const ListEditorControls& names);

// How a row shows an entry whose text is of another type than plain text (a
// REG_EXPAND_SZ command, a number): its name and type in brackets, never a
// blank row that would hide which entry Edit and Remove act on.
std::string OtherTypeLook(std::string_view name, std::uint32_t type);
// How a row shows an entry whose name Windows gives only in part (half of a
// surrogate pair); Edit and Remove refuse it with the message below.
std::string UnreachableLook(std::string_view name);
inline constexpr std::string_view Unreachable =
    "Windows gives the name of this entry only in part, so Velmaro cannot be sure to change "
    "this entry and no other. It is left as it is.";
void RefuseUnreachable(forms::Toolkit& toolkit);

// Edit and Remove of a list editor, offered together.
class EditingButtons {
public:
  EditingButtons(forms::Form& form, const ListEditorControls& names);
  void Offer(bool offered);

private:
  forms::Button& edit_;
  forms::Button& remove_;
};

}  // namespace velmaro::console
