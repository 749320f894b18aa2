#include "console/switch_tweaks.h"

#include "console/tweaker.h"
#include "system_access/settings_store.h"

namespace velmaro::console {

BoxState BoxStateOf(long long number) {
  if (number >= 0 && number <= 2) return {static_cast<int>(number), true};
  return {1, false};
}

bool Storable(const RegExtra& reg, std::string_view text) {
  std::string ansi;
  return reg.registry().CodePage().ToAnsi(text, ansi);
}

bool SaveText(const RegExtra& reg, platform::HKey root, std::string_view key,
              std::string_view value, const std::string& text, std::string_view what,
              SaveReport& report) {
  if (!Storable(reg, text)) {
    report.CannotHold(what);
    return false;
  }
  return report.Check(reg.SaveStringValue(root, key, value, text), what);
}

bool RemoveValue(const RegExtra& reg, platform::HKey root, std::string_view key,
                 std::string_view value) {
  return reg.DeleteValue(root, key, value) || !reg.ValueType(root, key, value);
}

bool RemoveKey(const RegExtra& reg, platform::HKey root, std::string_view key) {
  return reg.DeleteKey(root, key) || !reg.KeyExists(root, key);
}

// ---- Shown ----

Shown::State Shown::Now() const {
  State now;
  if (auto* box = dynamic_cast<forms::CheckBox*>(control_)) now.number = box->Value();
  if (auto* text = dynamic_cast<forms::TextBox*>(control_)) now.text = text->Text();
  if (auto* slider = dynamic_cast<forms::Slider*>(control_)) now.number = slider->Value();
  if (auto* list = dynamic_cast<forms::DropDownList*>(control_)) now.number = list->ListIndex();
  return now;
}

void Shown::Note(bool faithful) {
  faithful_ = faithful;
  shown_ = Now();
}

bool Shown::MayWrite() const { return faithful_ || Now() != shown_; }

// ---- Switch ----

Switch::Switch(const SwitchRow& row, forms::Form& form)
    : row_(row),
      box_(row.rule == SwitchRule::Text ? nullptr : &form.Get<forms::CheckBox>(row.control)),
      text_(row.rule == SwitchRule::Text ? &form.Get<forms::TextBox>(row.control) : nullptr),
      shown_(box_ ? static_cast<forms::Control&>(*box_) : *text_) {}

std::string Switch::What() const {
  if (!row_.what.empty() || !box_) return std::string(row_.what);
  return forms::DisplayText(box_->Caption());
}

void Switch::Load(const RegExtra& reg) {
  bool faithful = true;
  switch (row_.rule) {
    case SwitchRule::DwordState: {
      const BoxState s = BoxStateOf(reg.GetDWordValue(row_.root, row_.key, row_.value, 0));
      box_->SetValue(s.state);
      faithful = s.faithful;
      break;
    }
    case SwitchRule::ByteState: {
      const BoxState s = BoxStateOf(
          reg.GetBinaryValue(row_.root, row_.key, row_.value, Bytes{0, 0, 0}).FirstByte());
      box_->SetValue(s.state);
      faithful = s.faithful;
      break;
    }
    case SwitchRule::ByteZeroChecks: {
      const auto b = reg.GetBinaryValue(row_.root, row_.key, row_.value, Bytes{1, 0, 0}).FirstByte();
      box_->SetValue(b == 0 ? 1 : 0);
      faithful = b <= 1;
      break;
    }
    case SwitchRule::ByteNineChecks: {
      const auto b = reg.GetBinaryValue(row_.root, row_.key, row_.value, Bytes{9}).FirstByte();
      box_->SetValue(b == 9 ? 1 : 0);
      faithful = b == 9 || b == 0;
      break;
    }
    case SwitchRule::TextNumberState: {
      const std::string text = reg.GetStringValue(row_.root, row_.key, row_.value, row_.fallback);
      // An absent or empty text counts as 0, as the number conversion reads it.
      if (text.find_first_not_of(" \t") == std::string::npos) {
        box_->SetValue(0);
      } else if (const auto number = WholeNumber(text)) {
        const BoxState s = BoxStateOf(*number);
        box_->SetValue(s.state);
        faithful = s.faithful;
      } else {
        box_->SetValue(0);
        faithful = false;
      }
      break;
    }
    case SwitchRule::Text: {
      std::string text = reg.GetStringValue(row_.root, row_.key, row_.value, "");
      if (text.empty() && !row_.alsoKey.empty())
        text = reg.GetStringValue(row_.root, row_.alsoKey, row_.value, "");
      text_->SetText(text);
      break;
    }
    case SwitchRule::TextNoChecks: {
      const std::string text = reg.GetStringValue(row_.root, row_.key, row_.value, "No");
      if (text == "No")
        box_->SetValue(1);
      else
        // Any other text leaves the box as it was. "Yes" is what a clear box
        // writes and "No" what a ticked one does, so with "Yes" the box decides
        // whatever it shows; another spelling is kept unless the user acts.
        faithful = text == "Yes";
      break;
    }
  }
  shown_.Note(faithful);
}

void Switch::Apply(const RegExtra& reg, SaveReport& report) const {
  if (!shown_.MayWrite()) return;
  const int state = box_ ? box_->Value() : 0;
  const auto b = static_cast<std::uint8_t>(state);
  bool done = true;
  switch (row_.rule) {
    case SwitchRule::DwordState:
      done = reg.SaveDWordValue(row_.root, row_.key, row_.value, state);
      break;
    case SwitchRule::ByteState:
      done = reg.SaveBinaryValue(row_.root, row_.key, row_.value, Bytes{b, 0, 0});
      break;
    case SwitchRule::ByteZeroChecks:
      done = reg.SaveBinaryValue(row_.root, row_.key, row_.value,
                                 state == 1 ? Bytes{0, 0, 0} : Bytes{1, 0, 0});
      break;
    case SwitchRule::ByteNineChecks:
      done = state == 1 ? RemoveValue(reg, row_.root, row_.key, row_.value)
                        : reg.SaveBinaryValue(row_.root, row_.key, row_.value, Bytes{0, 0, 0});
      break;
    case SwitchRule::TextNumberState:
      done = reg.SaveStringValue(row_.root, row_.key, row_.value, std::to_string(state));
      break;
    case SwitchRule::Text:
      if (!SaveText(reg, row_.root, row_.key, row_.value, text_->Text(), What(), report)) return;
      if (!row_.alsoKey.empty() && reg.KeyExists(row_.root, row_.alsoKey))
        done = reg.SaveStringValue(row_.root, row_.alsoKey, row_.value, text_->Text());
      break;
    case SwitchRule::TextNoChecks:
      done = reg.SaveStringValue(row_.root, row_.key, row_.value, state == 1 ? "No" : "Yes");
      break;
  }
  report.Check(done, What());
}

// ---- SwitchTable ----

SwitchTable::SwitchTable(std::span<const SwitchRow> rows, forms::Form& form) {
  switches_.reserve(rows.size());
  for (const auto& row : rows) switches_.emplace_back(row, form);
}

void SwitchTable::Load(const RegExtra& reg) {
  for (auto& s : switches_) s.Load(reg);
}

void SwitchTable::Apply(const RegExtra& reg, SaveReport& report) const {
  for (const auto& s : switches_) s.Apply(reg, report);
}

// ---- RowsPanel ----

RowsPanel::RowsPanel(Tweaker& main, std::span<const SwitchRow> rows)
    : main_(main), rows_(rows, main) {}

void RowsPanel::Load() { rows_.Load(main_.System().reg); }

void RowsPanel::Apply() {
  SaveReport report;
  {
    forms::Hourglass busy(main_);
    rows_.Apply(main_.System().reg, report);
  }
  report.Tell(main_.System().toolkit);
}

}  // namespace velmaro::console
