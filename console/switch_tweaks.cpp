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

Written TextWritten(const RegExtra& reg, std::string_view text) {
  Written w{platform::RegSz, {}, true};
  if (!reg.registry().CodePage().ToAnsi(text, w.bytes)) return {platform::RegSz, {}, false};
  // The system keeps the NUL that ends text, but stores empty text as no bytes.
  if (!w.bytes.empty()) w.bytes += '\0';
  return w;
}

Written DwordWritten(std::int32_t number) {
  Written w{platform::RegDword, std::string(4, '\0'), true};
  for (int i = 0; i < 4; ++i)
    w.bytes[i] = static_cast<char>((static_cast<std::uint32_t>(number) >> (8 * i)) & 0xFF);
  return w;
}

Written BinaryWritten(const Bytes& bytes) {
  return {platform::RegBinary, std::string(bytes.begin(), bytes.end()), true};
}

bool HoldsOneOf(const RegExtra& reg, platform::HKey root, std::string_view key,
                std::string_view value, std::initializer_list<Written> writes) {
  const auto stored = reg.GetRawValue(root, key, value);
  if (!stored) return true;
  for (const auto& w : writes)
    if (w.readable && *stored == w) return true;
  return false;
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

std::string StoredState(const RegExtra& reg, platform::HKey root, std::string_view key,
                        std::string_view value) {
  const auto raw = reg.GetRawValue(root, key, value);
  if (!raw) return "absent;";
  if (!raw->readable) return "unreadable;";
  return std::to_string(raw->type) + ":" + raw->bytes + ";";
}

bool WouldChange(const RegExtra& reg, const std::function<void(SaveReport&)>& write) {
  auto* capture = dynamic_cast<CapturingRegistry*>(&reg.registry());
  if (!capture) return true;
  SaveReport scratch;
  for (const auto& key : capture->DryRun([&] { write(scratch); })) {
    if (key.remove || key.values.empty()) {
      if (reg.KeyExists(key.root, key.path) != !key.remove) return true;
      continue;
    }
    for (const auto& v : key.values) {
      const auto stored = reg.GetRawValue(key.root, key.path, v.name);
      if (!v.data ? stored.has_value()
                  : !stored || *stored != Written{v.data->type, v.data->bytes, true})
        return true;
    }
  }
  return false;
}

// ---- Shown ----

Shown::State Shown::Now() const {
  State now;
  if (auto* box = dynamic_cast<forms::CheckBox*>(control_)) now.number = box->Value();
  if (auto* text = dynamic_cast<forms::TextBox*>(control_)) now.text = text->Text();
  if (auto* slider = dynamic_cast<forms::Slider*>(control_)) now.number = slider->Value();
  if (auto* list = dynamic_cast<forms::DropDownList*>(control_)) now.number = list->ListIndex();
  if (auto* option = dynamic_cast<forms::OptionButton*>(control_)) now.number = option->Value();
  return now;
}

void Shown::Note(bool faithful, Probe stored) {
  faithful_ = faithful;
  shown_ = Now();
  probe_ = std::move(stored);
  stored_ = probe_ ? probe_() : std::string();
}

bool Shown::MayWrite() const { return faithful_ || Changed(); }

bool Shown::Changed() const { return Now() != shown_; }

bool Shown::Writes(SaveReport& report, std::string_view what,
                   const std::function<bool()>& wouldChange) const {
  if (!MayWrite()) return false;
  if (Changed() || !probe_ || probe_() == stored_ || !wouldChange()) return true;
  report.Spared(what);
  return false;
}

void Shown::Written() { Note(true, std::move(probe_)); }

// ---- Switch ----

Switch::Switch(const SwitchRow& row, forms::Form& form)
    : row_(row),
      box_(row.rule == SwitchRule::Text ? nullptr : &form.Get<forms::CheckBox>(row.control)),
      text_(row.rule == SwitchRule::Text ? &form.Get<forms::TextBox>(row.control) : nullptr),
      shown_(box_ ? static_cast<forms::Control&>(*box_) : *text_) {}

bool Switch::HoldsText(const RegExtra& reg, std::string_view key, const std::string& text) const {
  const auto stored = reg.GetRawValue(row_.root, key, row_.value);
  return stored && stored->IsPlainText() &&
         reg.GetStringValue(row_.root, key, row_.value, "") == text;
}

std::string Switch::What() const {
  if (!row_.what.empty() || !box_) return std::string(row_.what);
  return forms::DisplayText(box_->Caption());
}

void Switch::Load(const RegExtra& reg) {
  const auto holds = [&](std::initializer_list<Written> writes) {
    return HoldsOneOf(reg, row_.root, row_.key, row_.value, writes);
  };
  bool faithful = true;
  switch (row_.rule) {
    case SwitchRule::DwordState: {
      box_->SetValue(BoxStateOf(reg.GetDWordValue(row_.root, row_.key, row_.value, 0)).state);
      faithful = holds({DwordWritten(0), DwordWritten(1), DwordWritten(2)});
      break;
    }
    case SwitchRule::ByteState: {
      box_->SetValue(BoxStateOf(reg.GetBinaryValue(row_.root, row_.key, row_.value,
                                                   Bytes{0, 0, 0}).FirstByte()).state);
      faithful = holds({BinaryWritten({0, 0, 0}), BinaryWritten({1, 0, 0}),
                        BinaryWritten({2, 0, 0})});
      break;
    }
    case SwitchRule::ByteZeroChecks: {
      const auto b = reg.GetBinaryValue(row_.root, row_.key, row_.value, Bytes{1, 0, 0}).FirstByte();
      box_->SetValue(b == 0 ? 1 : 0);
      faithful = holds({BinaryWritten({0, 0, 0}), BinaryWritten({1, 0, 0})});
      break;
    }
    case SwitchRule::ByteNineChecks: {
      const auto b = reg.GetBinaryValue(row_.root, row_.key, row_.value, Bytes{9}).FirstByte();
      box_->SetValue(b == 9 ? 1 : 0);
      // Ticked deletes the value, so only the clear box's bytes are kept as is.
      faithful = holds({BinaryWritten({0, 0, 0})});
      break;
    }
    case SwitchRule::TextNumberState: {
      const std::string text = reg.GetStringValue(row_.root, row_.key, row_.value, row_.fallback);
      // An absent or empty text counts as 0, as the number conversion reads it.
      const auto number = WholeNumber(text);
      box_->SetValue(number ? BoxStateOf(*number).state : 0);
      faithful = holds({TextWritten(reg, "0"), TextWritten(reg, "1"), TextWritten(reg, "2")});
      break;
    }
    case SwitchRule::Text: {
      std::string text = reg.GetStringValue(row_.root, row_.key, row_.value, "");
      const bool fromSecondHome = text.empty() && !row_.alsoKey.empty();
      if (fromSecondHome) text = reg.GetStringValue(row_.root, row_.alsoKey, row_.value, "");
      text_->SetText(text);
      const Written shown = TextWritten(reg, text);
      // From the second home, the first holds no text at all or an empty one.
      faithful = fromSecondHome ? shown.readable && holds({TextWritten(reg, ""),
                                                           Written{platform::RegSz, {'\0'}}})
                                : holds({shown});
      // The second home is written too: it may hold any plain text, not more.
      secondHomeDiffers_ = false;
      if (!row_.alsoKey.empty()) {
        const auto other = reg.GetRawValue(row_.root, row_.alsoKey, row_.value);
        faithful = faithful && (!other || other->IsPlainText());
        secondHomeDiffers_ = other && !HoldsText(reg, row_.alsoKey, text);
      }
      break;
    }
    case SwitchRule::TextNoChecks: {
      const std::string text = reg.GetStringValue(row_.root, row_.key, row_.value, "No");
      // Any other text leaves the box as it was. "Yes" is what a clear box
      // writes and "No" what a ticked one does, so with either the box decides
      // whatever it shows; anything else is kept unless the user acts.
      if (text == "No") box_->SetValue(1);
      faithful = holds({TextWritten(reg, "No"), TextWritten(reg, "Yes")});
      break;
    }
  }
  const SwitchRow row = row_;
  shown_.Note(faithful, [&reg, row] {
    return StoredState(reg, row.root, row.key, row.value) +
           (row.alsoKey.empty() ? std::string() : StoredState(reg, row.root, row.alsoKey, row.value));
  });
}

void Switch::Apply(const RegExtra& reg, SaveReport& report) {
  shown_.Apply(reg, report, What(), [&](SaveReport& r) { Write(reg, r); });
}

void Switch::Write(const RegExtra& reg, SaveReport& report) const {
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
      // The second home keeps step only where it holds the value already, and
      // only when its text differs (so an empty text kept as a lone NUL stays).
      // Other text there than the load showed (an NT system's own name beside
      // a stale 95 one) is replaced only when the user changes the text.
      if (!row_.alsoKey.empty() && reg.ValueType(row_.root, row_.alsoKey, row_.value) &&
          !HoldsText(reg, row_.alsoKey, text_->Text()) &&
          (!secondHomeDiffers_ || shown_.Changed()))
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

void SwitchTable::Apply(const RegExtra& reg, SaveReport& report) {
  for (auto& s : switches_) s.Apply(reg, report);
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
