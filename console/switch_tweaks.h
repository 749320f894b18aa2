#pragma once
// Switch tweaks: one panel control bound to one stored value, with a fixed
// fallback, a read rule and a write rule. Most rows of the catalogue are data
// in a table of SwitchRow that a panel binds to its controls once; the few
// that need their own steps are code in their panel's file.
//
// A stored value that its control cannot show (a policy DWORD of 7, a text
// that is no number, another spelling of "No") is shown as near as the control
// allows, and an apply leaves it alone unless the user changed that control
// since the load (Shown). So is one that another program changed since the
// load: the panel no longer shows it, and writing what it shows would undo
// that program's change; the apply names it instead.
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/panel.h"
#include "console/save_report.h"
#include "platform/forms/form.h"
#include "system_access/capture.h"
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
  // How the user knows the setting, for the report of what was not saved;
  // empty: the check box's caption.
  std::string_view what = {};
  // Text: a second home of the same value under the same root, where NT-family
  // systems keep it. Shown when `key` holds no text or an empty one; written
  // too where it holds the value already (neither key nor value is created
  // there: on the 95 family it has no meaning, and programs take its presence
  // for an NT system).
  std::string_view alsoKey = {};
};

// What the system holds where a control's setting is kept, as text that
// differs whenever what is kept there does (type and bytes, or absence).
using Probe = std::function<std::string()>;

// A value's type and bytes, or that it is absent or cannot be read.
std::string StoredState(const RegExtra& reg, platform::HKey root, std::string_view key,
                        std::string_view value);

// Whether `write` would change anything in the registry: it runs with the
// console's registry capturing, and what it would write is compared with
// what is stored. Over a registry that cannot capture: true.
bool WouldChange(const RegExtra& reg, const std::function<void(SaveReport&)>& write);

// What a load showed in one control, whether that was the stored value as
// it is, and what was stored then. Before any load the control counts as
// faithful.
class Shown {
public:
  explicit Shown(forms::Control& control) : control_(&control) {}
  // Records the control's state now; `faithful` false when the stored value
  // could not be shown as it is. `stored` tells what the system holds for
  // the control; it is asked now and again at each apply.
  void Note(bool faithful, Probe stored = {});
  // False while the control still shows what a load showed for a stored value
  // it could not hold: the apply must then leave that value alone.
  bool MayWrite() const;
  // The user has changed the control since the load (or the last apply).
  bool Changed() const;
  // Whether an apply writes the setting: MayWrite, and, unless the user
  // changed the control, the system still holds what the load saw, or
  // already holds what the write would leave (`wouldChange` false: another
  // program, or another Velmaro window, wrote the same). A setting another
  // program changed otherwise is left alone and named in `report` as `what`.
  bool Writes(SaveReport& report, std::string_view what,
              const std::function<bool()>& wouldChange) const;
  // After an apply wrote the setting: what the control shows and what the
  // system holds now are the new starting point.
  void Written();
  // A registry setting: `write(report)` runs when Writes() says so, then
  // Written(); whether it would change anything is learnt by running it
  // with the registry capturing (WouldChange).
  template <class F>
  void Apply(const RegExtra& reg, SaveReport& report, std::string_view what, F&& write) {
    if (!Writes(report, what, [&] { return WouldChange(reg, write); })) return;
    write(report);
    Written();
  }

private:
  struct State {
    int number = 0;
    std::string text;
    friend bool operator==(const State&, const State&) = default;
  };
  State Now() const;

  forms::Control* control_;
  bool faithful_ = true;
  State shown_;
  Probe probe_;
  std::string stored_;  // what probe_ gave at the load
};

// Two controls that write one setting together (a box and its text): written
// when the user changed either; otherwise as Shown::Apply decides for the
// first, whose load noted the same as the second's.
template <class F>
void ApplyTogether(Shown& first, Shown& second, const RegExtra& reg, SaveReport& report,
                   std::string_view what, F&& write) {
  if (!first.Changed() && !second.Changed() &&
      !first.Writes(report, what, [&] { return WouldChange(reg, write); }))
    return;
  write(report);
  first.Written();
  second.Written();
}

// One row bound to its control.
class Switch {
public:
  // Throws forms::FormError when the form has no such control, or the control
  // is not of the kind the rule works on (a text box for Text, else a check box).
  Switch(const SwitchRow& row, forms::Form& form);
  // `reg` is asked again at the next apply (what is stored now): it must
  // outlive the panel, as the console's own does.
  void Load(const RegExtra& reg);
  // Writes what the control shows; what the system refuses, what the code
  // page cannot hold, and what another program changed since the load go
  // into `report`.
  void Apply(const RegExtra& reg, SaveReport& report);

private:
  void Write(const RegExtra& reg, SaveReport& report) const;
  std::string What() const;
  // The value under `key` is plain text reading exactly `text`.
  bool HoldsText(const RegExtra& reg, std::string_view key, const std::string& text) const;

  SwitchRow row_;
  forms::CheckBox* box_ = nullptr;
  forms::TextBox* text_ = nullptr;
  Shown shown_;
  // Text: the second home holds other text than the load showed, so it is
  // written only when the user changes the text.
  bool secondHomeDiffers_ = false;
};

// A panel's rows, bound once, loaded and applied in table order.
class SwitchTable {
public:
  SwitchTable(std::span<const SwitchRow> rows, forms::Form& form);
  void Load(const RegExtra& reg);
  void Apply(const RegExtra& reg, SaveReport& report);

private:
  std::vector<Switch> switches_;
};

// A panel made of table rows only: loaded and written in table order, with
// the hourglass while it writes.
class RowsPanel final : public Panel {
public:
  RowsPanel(Tweaker& main, std::span<const SwitchRow> rows);
  void Load() override;
  void Apply() override;

private:
  Tweaker& main_;
  SwitchTable rows_;
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

// A value as an apply leaves it: its type and bytes as the system keeps them.
using Written = RegExtra::RawValue;
Written TextWritten(const RegExtra& reg, std::string_view text);  // as SaveStringValue stores it
Written DwordWritten(std::int32_t number);
Written BinaryWritten(const Bytes& bytes);

// Whether an apply may write the value without the user having changed its
// control: it is absent, or it holds exactly one of `writes`, the values the
// control's states write, so that nothing is lost. A value of another type or
// length, a text with a NUL inside, one the code page cannot hold: false.
bool HoldsOneOf(const RegExtra& reg, platform::HKey root, std::string_view key,
                std::string_view value, std::initializer_list<Written> writes);

// Writes a text box's text: one the code page cannot hold is noted in the
// report (nothing written), one the system refuses too. True when written.
bool SaveText(const RegExtra& reg, platform::HKey root, std::string_view key,
              std::string_view value, const std::string& text, std::string_view what,
              SaveReport& report);

// Deletes and tells whether the thing is gone afterwards: deleting what was
// never there succeeds, unlike RegExtra's delete, which reports it.
bool RemoveValue(const RegExtra& reg, platform::HKey root, std::string_view key,
                 std::string_view value);
bool RemoveKey(const RegExtra& reg, platform::HKey root, std::string_view key);

}  // namespace velmaro::console
