#pragma once
// What the two list editors (StartUp Applications, Add/Remove) share: a flat
// list filling the panel, with Add, Edit and Remove below it. Edit and Remove
// are offered once the user has clicked in the list (anywhere in it) or
// chosen an entry with the keyboard.
#include "console/panel.h"
#include "platform/forms/form.h"

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
