#pragma once
// Switch tweaks: one panel control bound to one stored value, with a fixed
// fallback, a read rule and a write rule. Most rows of the catalogue are data
// in a table of SwitchRow; the few that need their own steps are code in their
// panel's file.
//
// A stored value that its control cannot show (a policy DWORD of 7, a text
// that is no number, another spelling of "No") is shown as near as the control
// allows, and an apply leaves it alone unless the user changed that control
// since the load.
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/form.h"
#include "system_access/reg_extra.h"

namespace velmaro::console {

enum class SwitchRule {
  DwordState,       // REG_DWORD (fallback 0) is the box state; the state is written back
  ByteState,        // first byte of a REG_BINARY (fallback 00 00 00) is the box state;
                    // written as (state, 00, 00)
  ByteZeroChecks,   // checked when the first byte is 0 (fallback 01 00 00);
                    // checked writes 00 00 00, clear 01 00 00
  ByteNineChecks,   // checked when the first byte is 9 (fallback 09);
                    // checked deletes the value, clear writes 00 00 00
  TextNumberState,  // REG_SZ holding the box state as decimal text
  Text,             // a text box and a REG_SZ (fallback empty), always written
  TextNoChecks,     // checked when the text is exactly "No" (the fallback), else the box
                    // is left as it was; checked writes "No", clear "Yes"
};

struct SwitchRow {
  std::string_view control;
  SwitchRule rule;
  platform::HKey root;
  std::string_view key;
  std::string_view value;
  std::string_view fallback = {};  // TextNumberState: the text read when absent
};

// Loads and applies a panel's table rows, remembering what each load showed.
class SwitchTable {
public:
  explicit SwitchTable(std::span<const SwitchRow> rows) : rows_(rows) {}
  void Load(forms::Form& form, const RegExtra& reg);
  // The text boxes whose text the ANSI code page cannot hold are not written:
  // their names are returned, for the panel to tell the user.
  std::vector<std::string> Apply(forms::Form& form, const RegExtra& reg) const;

  // The same for one row, for panels that interleave rows with their own
  // steps; false for a text the code page cannot hold (nothing is written).
  void LoadRow(const SwitchRow& row, forms::Form& form, const RegExtra& reg);
  bool ApplyRow(const SwitchRow& row, forms::Form& form, const RegExtra& reg) const;

  // Records what a panel's own code showed in a control: `faithful` false
  // when the stored value could not be shown as it is.
  void NoteShown(std::string_view control, forms::Form& form, bool faithful);
  // False when the control still shows what a load showed for a stored value
  // it could not hold: the apply must then leave that value alone.
  bool MayWrite(std::string_view control, forms::Form& form) const;

private:
  struct Shown {
    bool faithful = true;
    int state = 0;
    std::string text;
  };
  static Shown Current(std::string_view control, forms::Form& form);

  std::span<const SwitchRow> rows_;
  std::map<std::string, Shown, std::less<>> shown_;
};

// A check box state for a stored number: 0 to 2 as they are; any other number
// shows ticked (the policies count every non-zero number as on) and is not
// faithful.
struct BoxState {
  int state;
  bool faithful;
};
BoxState BoxStateOf(long long number);

// Whether the registry can take this text as it is.
bool Storable(const RegExtra& reg, std::string_view text);

}  // namespace velmaro::console
