#include "console/switch_tweaks.h"

#include "system_access/settings_store.h"


namespace velmaro::console {
namespace {

forms::CheckBox* BoxOf(forms::Form& form, std::string_view control) {
  return dynamic_cast<forms::CheckBox*>(form.Find(control));
}

}  // namespace

BoxState BoxStateOf(long long number) {
  if (number >= 0 && number <= 2) return {static_cast<int>(number), true};
  return {1, false};
}

SwitchTable::Shown SwitchTable::Current(std::string_view control, forms::Form& form) {
  Shown now;
  if (auto* box = BoxOf(form, control)) now.state = box->Value();
  if (auto* text = dynamic_cast<forms::TextBox*>(form.Find(control))) now.text = text->Text();
  if (auto* slider = dynamic_cast<forms::Slider*>(form.Find(control))) now.state = slider->Value();
  if (auto* list = dynamic_cast<forms::DropDownList*>(form.Find(control)))
    now.state = list->ListIndex();
  return now;
}

void SwitchTable::NoteShown(std::string_view control, forms::Form& form, bool faithful) {
  Shown now = Current(control, form);
  now.faithful = faithful;
  shown_[std::string(control)] = std::move(now);
}

bool SwitchTable::MayWrite(std::string_view control, forms::Form& form) const {
  const auto it = shown_.find(control);
  if (it == shown_.end() || it->second.faithful) return true;
  const Shown now = Current(control, form);
  return now.state != it->second.state || now.text != it->second.text;
}

void SwitchTable::Load(forms::Form& form, const RegExtra& reg) {
  for (const auto& row : rows_) LoadRow(row, form, reg);
}

std::vector<std::string> SwitchTable::Apply(forms::Form& form, const RegExtra& reg) const {
  std::vector<std::string> unsaved;
  for (const auto& row : rows_)
    if (!ApplyRow(row, form, reg)) unsaved.emplace_back(row.control);
  return unsaved;
}

bool Storable(const RegExtra& reg, std::string_view text) {
  std::string ansi;
  return reg.registry().CodePage().ToAnsi(text, ansi);
}

void SwitchTable::LoadRow(const SwitchRow& row, forms::Form& form, const RegExtra& reg) {
  auto* box = BoxOf(form, row.control);
  bool faithful = true;
  switch (row.rule) {
    case SwitchRule::DwordState: {
      const BoxState s = BoxStateOf(reg.GetDWordValue(row.root, row.key, row.value, 0));
      box->SetValue(s.state);
      faithful = s.faithful;
      break;
    }
    case SwitchRule::ByteState: {
      const BoxState s =
          BoxStateOf(reg.GetBinaryValue(row.root, row.key, row.value, Bytes{0, 0, 0}).FirstByte());
      box->SetValue(s.state);
      faithful = s.faithful;
      break;
    }
    case SwitchRule::ByteZeroChecks: {
      const auto b = reg.GetBinaryValue(row.root, row.key, row.value, Bytes{1, 0, 0}).FirstByte();
      box->SetValue(b == 0 ? 1 : 0);
      faithful = b <= 1;
      break;
    }
    case SwitchRule::ByteNineChecks: {
      const auto b = reg.GetBinaryValue(row.root, row.key, row.value, Bytes{9}).FirstByte();
      box->SetValue(b == 9 ? 1 : 0);
      faithful = b == 9 || b == 0;
      break;
    }
    case SwitchRule::TextNumberState: {
      const std::string text = reg.GetStringValue(row.root, row.key, row.value, row.fallback);
      // An absent or empty text counts as 0, as the number conversion reads it.
      if (text.find_first_not_of(" \t") == std::string::npos) {
        box->SetValue(0);
      } else if (const auto number = WholeNumber(text)) {
        const BoxState s = BoxStateOf(*number);
        box->SetValue(s.state);
        faithful = s.faithful;
      } else {
        box->SetValue(0);
        faithful = false;
      }
      break;
    }
    case SwitchRule::Text:
      form.Get<forms::TextBox>(row.control)
          .SetText(reg.GetStringValue(row.root, row.key, row.value, ""));
      break;
    case SwitchRule::TextNoChecks: {
      const std::string text = reg.GetStringValue(row.root, row.key, row.value, "No");
      if (text == "No") {
        box->SetValue(1);
      } else {
        // Any other text leaves the box as it was; only "Yes" agrees with
        // an unticked box, so anything else is kept unless the user acts.
        faithful = text == "Yes" && box->Value() == 0;
      }
      break;
    }
  }
  NoteShown(row.control, form, faithful);
}

bool SwitchTable::ApplyRow(const SwitchRow& row, forms::Form& form, const RegExtra& reg) const {
  if (!MayWrite(row.control, form)) return true;
  auto* box = BoxOf(form, row.control);
  const int state = box ? box->Value() : 0;
  switch (row.rule) {
    case SwitchRule::DwordState:
      reg.SaveDWordValue(row.root, row.key, row.value, state);
      break;
    case SwitchRule::ByteState:
      reg.SaveBinaryValue(row.root, row.key, row.value,
                          Bytes{static_cast<std::uint8_t>(state), 0, 0});
      break;
    case SwitchRule::ByteZeroChecks:
      reg.SaveBinaryValue(row.root, row.key, row.value,
                          state == 1 ? Bytes{0, 0, 0} : Bytes{1, 0, 0});
      break;
    case SwitchRule::ByteNineChecks:
      if (state == 1)
        reg.DeleteValue(row.root, row.key, row.value);
      else
        reg.SaveBinaryValue(row.root, row.key, row.value, Bytes{0, 0, 0});
      break;
    case SwitchRule::TextNumberState:
      reg.SaveStringValue(row.root, row.key, row.value, std::to_string(state));
      break;
    case SwitchRule::Text: {
      const std::string& text = form.Get<forms::TextBox>(row.control).Text();
      if (!Storable(reg, text)) return false;
      reg.SaveStringValue(row.root, row.key, row.value, text);
      break;
    }
    case SwitchRule::TextNoChecks:
      reg.SaveStringValue(row.root, row.key, row.value, state == 1 ? "No" : "Yes");
      break;
  }
  return true;
}

}  // namespace velmaro::console
