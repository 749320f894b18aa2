#include "console/import.h"

#include <array>
#include <cstdio>
#include <map>

#include "console/edit_new_it.h"
#include "console/export.h"
#include "console/shell_folders.h"
#include "console/tweaker.h"
#include "console/velmaro_scope.h"
#include "platform/registry_key.h"
#include "platform/utf8.h"
#include "system_access/key_paths.h"

namespace velmaro::console {
namespace {

using namespace platform;

constexpr std::string_view kMouseKey = "Control Panel\\Mouse";
constexpr unsigned kFastest = 100, kSlowest = 900;  // the Mouse panel's slider

// Keys in what Velmaro changes whose contents do not travel between machines.
struct Kept {
  HKey root;
  std::string_view key;
  std::string_view why;
};
constexpr std::array<Kept, 4> kNotTravelling{{
    {HkeyCurrentUser, "Software\\Velmaro", "Velmaro's own settings are not imported"},
    {HkeyLocalMachine, EditNewIt::UninstallKey,
     "Add/Remove entries name programs installed on this machine"},
    {HkeyCurrentUser, ShellFoldersKey,
     "special folders are places on this machine (the Misc. tweaks panel moves them)"},
    {HkeyCurrentUser, UserShellFoldersKey,
     "special folders are places on this machine (the Misc. tweaks panel moves them)"},
}};

// The comments that carry the boot options: Export's, and the wording of
// earlier exports.
constexpr std::array<std::string_view, 2> kBootComments{
    BootOptionsComment,
    " Boot options, to be set by hand in c:\\msdos.sys (regedit cannot carry them):"};

std::string Folded(std::string_view s) { return UpperLatin(s); }

bool Within(std::string_view inner, std::string_view outer) {
  const std::string i = Folded(inner), o = Folded(outer);
  return i.size() >= o.size() && i.compare(0, o.size(), o) == 0 &&
         (i.size() == o.size() || i[o.size()] == '\\');
}

std::string Id(HKey root, std::string_view path, std::string_view name = {}) {
  return std::to_string(root) + "|" + Folded(path) + "|" + Folded(name);
}

std::string TypeName(std::uint32_t type) {
  switch (type) {
    case RegSz: return "text (REG_SZ)";
    case RegExpandSz: return "expandable text (REG_EXPAND_SZ)";
    case RegBinary: return "binary (REG_BINARY)";
    case RegDword: return "a number (REG_DWORD)";
    case RegMultiSz: return "a text list (REG_MULTI_SZ)";
    default: return "type " + std::to_string(type);
  }
}

std::string DataText(const std::optional<regfile::Data>& d) {
  if (!d) return "absent";
  if (d->type == RegDword && d->bytes.size() == 4) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(d->bytes[i]);
    return std::to_string(v);
  }
  if ((d->type == RegSz || d->type == RegExpandSz) && !d->bytes.empty() &&
      d->bytes.find('\0') == d->bytes.size() - 1)
    return "\"" + d->bytes.substr(0, d->bytes.size() - 1) + "\"";
  std::string text;
  for (std::size_t i = 0; i < d->bytes.size() && i < 8; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(d->bytes[i]));
    text += (i ? " " : "") + std::string(hex);
  }
  if (d->bytes.size() > 8) text += " ... (" + std::to_string(d->bytes.size()) + " bytes)";
  return TypeName(d->type) + " " + text;
}

// A registry that holds nothing: panels loaded over it show their defaults,
// and an apply then writes every value it owns.
class BlankRegistry final : public ForwardingRegistry {
public:
  using ForwardingRegistry::ForwardingRegistry;
  long OpenKey(HKey, std::string_view, HKey&) override { return ErrorFileNotFound; }
  long QueryValue(HKey, std::string_view, std::uint32_t*, std::uint8_t*, std::uint32_t*) override {
    return ErrorFileNotFound;
  }
  long EnumKey(HKey, std::uint32_t, std::string&, std::uint32_t) override { return ErrorNoMoreItems; }
  long EnumValue(HKey, std::uint32_t, std::string&, std::uint32_t, std::uint32_t*,
                 std::uint32_t) override {
    return ErrorNoMoreItems;
  }
  long EnumValueData(HKey, std::uint32_t, std::string&, std::uint32_t, std::uint32_t*,
                     std::uint32_t, std::string&) override {
    return ErrorNoMoreItems;
  }
};

// What Export writes, category by category: where a value belongs and the
// type its panel writes it as. Learnt from an export of a machine holding
// nothing (every panel then writes every value it owns, whatever this
// machine holds), then of this one (values that depend on it).
struct Catalogue {
  std::map<std::string, const Category*> keys;
  std::map<std::string, std::pair<const Category*, std::uint32_t>> values;

  explicit Catalogue(ConsoleSystem& system) : system_(system) {
    BlankRegistry blank(system.capture);
    SilentToolkit silent;
    ConsoleSystem empty(silent, blank, system.files, system.mouse, system.desktop);
    Learn(empty, false);
    // The editors carry what this machine lists; they read it without a load.
    Learn(system, true);
  }
  // The panels of this machine are loaded only when a value is not known
  // yet: under Wine a load of every panel costs most of a second.
  void Learn(ConsoleSystem& system, bool editors) {
    for (const Category* c : ExportableCategories()) {
      if (c->appliesAtOnce != editors) continue;
      const std::array<const Category*, 1> one{c};
      for (const auto& k : ExportSettings(system, one).keys) {
        keys.emplace(Id(k.root, k.path), c);
        for (const auto& v : k.values)
          if (v.data) values.emplace(Id(k.root, k.path, v.name), std::pair{c, v.data->type});
      }
    }
  }
  const Category* Of(HKey root, std::string_view path, std::string_view name) {
    const auto known = [&]() -> const Category* {
      if (const auto v = values.find(Id(root, path, name)); v != values.end()) return v->second.first;
      if (const auto k = keys.find(Id(root, path)); k != keys.end()) return k->second;
      return nullptr;
    };
    if (!known() && !learnt_) {
      learnt_ = true;
      Learn(system_, false);
    }
    return known();
  }
  // The type Velmaro writes the value as, when it is known.
  std::optional<std::uint32_t> TypeOf(HKey root, std::string_view path, std::string_view name) {
    Of(root, path, name);
    const auto v = values.find(Id(root, path, name));
    return v == values.end() ? std::nullopt : std::optional<std::uint32_t>(v->second.second);
  }
  std::string Where(HKey root, std::string_view path, std::string_view name) {
    const Category* c = Of(root, path, name);
    return c ? std::string(c->text) + ": " : std::string();
  }

private:
  ConsoleSystem& system_;
  bool learnt_ = false;
};

// The registry as it would be with one value changed: reads of that value
// see the file's data, everything else passes through. A panel loaded over
// it shows the setting as the import would leave it.
class OneValueChanged final : public ForwardingRegistry {
public:
  explicit OneValueChanged(Registry& real) : ForwardingRegistry(real) {}
  void Set(HKey root, std::string path, std::string name, std::optional<regfile::Data> data) {
    root_ = root;
    path_ = Folded(path);
    name_ = Folded(name);
    data_ = std::move(data);
    active_ = true;
  }
  void Clear() { active_ = false; }

  long OpenKey(HKey root, std::string_view path, HKey& out) override {
    long rc = real_.OpenKey(root, path, out);
    const auto [r, p] = paths_.Resolve(root, path);
    if (rc != ErrorSuccess && active_ && data_ && r == root_ && Within(path_, p)) {
      out = kMissing;  // a key the import would create on the way
      rc = ErrorSuccess;
    }
    if (rc == ErrorSuccess) paths_.Remember(out, r, p);
    return rc;
  }
  long CloseKey(HKey key) override {
    paths_.Forget(key);
    return key == kMissing ? ErrorSuccess : real_.CloseKey(key);
  }
  long QueryValue(HKey key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    const auto [r, p] = paths_.Resolve(key);
    if (active_ && r == root_ && Folded(p) == path_ && Folded(name) == name_) {
      if (!data_) return ErrorFileNotFound;
      if (type) *type = data_->type;
      return HandOutValue(data_->bytes, data, size);
    }
    return key == kMissing ? ErrorFileNotFound : real_.QueryValue(key, name, type, data, size);
  }
  long EnumKey(HKey key, std::uint32_t index, std::string& name, std::uint32_t capacity) override {
    return key == kMissing ? ErrorNoMoreItems : real_.EnumKey(key, index, name, capacity);
  }
  long EnumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                 std::uint32_t* type, std::uint32_t dataCapacity) override {
    return key == kMissing ? ErrorNoMoreItems
                           : real_.EnumValue(key, index, name, nameCapacity, type, dataCapacity);
  }
  long EnumValueData(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                     std::uint32_t* type, std::uint32_t dataCapacity, std::string& data) override {
    return key == kMissing ? ErrorNoMoreItems
                           : real_.EnumValueData(key, index, name, nameCapacity, type,
                                                 dataCapacity, data);
  }

private:
  static constexpr HKey kMissing = 0x7FFE0000u;
  KeyPaths paths_;
  bool active_ = false;
  HKey root_ = 0;
  std::string path_, name_;
  std::optional<regfile::Data> data_;
};

// A text box or slider is named by the frame it sits in, or else by the
// label before it.
std::string NameOf(const forms::Control& c, const std::string& label) {
  const auto* frame = dynamic_cast<const forms::Frame*>(c.Parent());
  std::string name = frame && frame->Name() != "Fram" ? forms::DisplayText(frame->Caption()) : label;
  while (!name.empty() && (name.back() == ' ' || name.back() == ':')) name.pop_back();
  return name.empty() ? c.Name() : name;
}

// What a panel shows, control by control, in its own words.
std::map<std::string, std::string> Shows(const forms::Form& window, int frame) {
  std::map<std::string, std::string> shown;
  std::string label;  // the caption a text box or slider stands beside
  for (const auto& c : window.Controls()) {
    const forms::Control* top = c.get();
    while (top->Parent()) top = top->Parent();
    if (top->Name() != "Fram" || top->Index() != frame || !c->VisibleInForm()) continue;
    if (const auto* box = dynamic_cast<const forms::CheckBox*>(c.get()))
      shown["\"" + forms::DisplayText(box->Caption()) + "\""] =
          box->Value() == 1 ? "on" : box->Value() == 2 ? "grayed" : "off";
    else if (const auto* option = dynamic_cast<const forms::OptionButton*>(c.get()))
      shown["\"" + forms::DisplayText(option->Caption()) + "\""] = option->Value() ? "chosen" : "not chosen";
    else if (const auto* text = dynamic_cast<const forms::TextBox*>(c.get()))
      shown[NameOf(*c, label)] = "\"" + text->Text() + "\"";
    else if (const auto* slider = dynamic_cast<const forms::Slider*>(c.get()))
      shown[NameOf(*c, label)] = std::to_string(slider->Value());
    else if (const auto* l = dynamic_cast<const forms::Label*>(c.get()))
      label = forms::DisplayText(l->Caption());
  }
  return shown;
}

// The panels of the categories with an Apply, loaded over the registry with
// one value changed, to say an import's change as the panel would show it.
class PanelWords {
public:
  PanelWords(ConsoleSystem& system)
      : overlay_(system.capture),
        shadow_(silent_, overlay_, system.files, system.mouse, system.desktop),
        window_(shadow_) {}

  // "Start Menu: "Hide the 'Run' menu from the Start Menu": on (now off)",
  // or nothing when the panel shows no difference.
  std::vector<std::string> Of(const Category& category, HKey root, const std::string& path,
                              const regfile::Value& v) {
    if (category.appliesAtOnce || !window_.PanelOf(category.node)) return {};
    auto& now = shownNow_[category.node];
    if (now.empty()) now = Load(category);
    overlay_.Set(root, path, v.name, v.data);
    const auto after = Load(category);
    overlay_.Clear();
    std::vector<std::string> words;
    for (const auto& [control, state] : after)
      if (const auto was = now.find(control); was != now.end() && was->second != state)
        words.push_back(std::string(category.text) + ": " + control + ": " + state + " (now " +
                        was->second + ")");
    return words;
  }

private:
  std::map<std::string, std::string> Load(const Category& category) {
    shadow_.capture.StartCapture();
    shadow_.captureFiles.StartCapture();
    window_.SelectOption(category.node);
    shadow_.captureFiles.StopCapture();
    shadow_.capture.StopCapture();
    return Shows(window_, category.frame);
  }

  OneValueChanged overlay_;
  SilentToolkit silent_;
  ConsoleSystem shadow_;
  Tweaker window_;
  std::map<int, std::map<std::string, std::string>> shownNow_;
};

// A key's values as stored, read through one open key: a file may name
// thousands of values in one key.
class Stored {
public:
  Stored(Registry& r, HKey root, const std::string& path, bool there) : r_(r), key_(r) {
    if (there) key_.Open(root, path);
  }
  // None when absent; `readable` false when it is there but cannot be read
  // as it is (it then counts as different from anything).
  std::optional<regfile::Data> Value(const std::string& name, bool& readable) {
    readable = true;
    if (!key_) return std::nullopt;
    regfile::Data d{0, std::string(256, '\0')};
    auto size = static_cast<std::uint32_t>(d.bytes.size());
    const auto query = [&] {
      return r_.QueryValue(key_.get(), name, &d.type, reinterpret_cast<std::uint8_t*>(d.bytes.data()),
                           &size);
    };
    long rc = query();
    if (rc == ErrorMoreData) {
      d.bytes.assign(size, '\0');
      rc = query();
    }
    if (rc == ErrorFileNotFound) return std::nullopt;
    readable = rc == ErrorSuccess;
    d.bytes.resize(std::min<std::size_t>(size, d.bytes.size()));
    return d;
  }

private:
  Registry& r_;
  platform::RegistryKey key_;
};

class Planner {
public:
  Planner(ConsoleSystem& system, ImportPlan& plan)
      : system_(system),
        plan_(plan),
        scope_(WhatVelmaroMayChange(system.capture, system.files)),
        catalogue_(system) {}

  void Key(const regfile::Key& k) {
    const std::string where = regfile::Describe(k.root, k.path);
    for (const auto& kept : kNotTravelling)
      if (k.root == kept.root && Within(k.path, kept.key))
        return Refuse(where, std::string(kept.why));
    if (k.root == HkeyCurrentUser && Folded(k.path) == Folded(kMouseKey)) return Mouse(k);
    if (k.remove) {
      if (!scope_.AllowsKey(k.root, k.path) || !scope_.AllowsKey(k.root, k.path + "\\x"))
        return Refuse(where + " (removed)", "Velmaro does not remove this key");
      if (!KeyThere(k.root, k.path)) return;
      plan_.writes.keys.push_back(k);
      removed_.push_back(k);
      plan_.changes.push_back(catalogue_.Where(k.root, k.path, {}) + where + " is removed");
      return;
    }
    if (!scope_.AllowsKey(k.root, k.path))
      return Refuse(where, "not one of the settings Velmaro changes");
    regfile::Key changed{k.root, k.path, false, {}};
    Stored stored(system_.capture, k.root, k.path, KeyThere(k.root, k.path));
    for (const auto& v : k.values)
      if (Value(k, v, stored)) changed.values.push_back(v);
    if (!changed.values.empty()) {
      plan_.writes.keys.push_back(std::move(changed));
    } else if (k.values.empty() && !KeyThere(k.root, k.path)) {
      plan_.writes.keys.push_back(std::move(changed));
      plan_.changes.push_back(catalogue_.Where(k.root, k.path, {}) + where + " is created");
    }
  }

  void Comment(std::string_view text) {
    for (const std::string_view form : kBootComments)
      if (text.starts_with(form)) Boot(text.substr(form.size()));
  }

  void Finish() {
    if (boot_ && !BootHolds(*boot_)) {
      plan_.boot = boot_;
      for (auto& line : bootWords_) plan_.changes.push_back(std::move(line));
    }
  }

private:
  void Refuse(const std::string& what, const std::string& why) {
    plan_.refused.push_back(what + ": " + why);
  }

  bool KeyThere(HKey root, std::string_view path) const {
    for (const auto& r : removed_)
      if (r.root == root && Within(path, r.path)) return false;
    return system_.reg.KeyExists(root, path);
  }

  // Whether the value is to be written (in scope, and not holding it already).
  bool Value(const regfile::Key& k, const regfile::Value& v, Stored& stored) {
    const std::string what = regfile::Describe(k.root, k.path, v.name);
    if (!scope_.AllowsValue(k.root, k.path, v.name))
      return Refuse(what, "not one of the settings Velmaro changes"), false;
    if (v.data) {
      const auto known = catalogue_.TypeOf(k.root, k.path, v.name);
      if (known && *known != v.data->type)
        return Refuse(what, "Velmaro writes it as " + TypeName(*known) + ", the file holds " +
                                TypeName(v.data->type)),
               false;
      const auto t = v.data->type;
      if (!known && t != RegSz && t != RegExpandSz && t != RegBinary && t != RegDword)
        return Refuse(what, "Velmaro writes no value of " + TypeName(t)), false;
      if (t == RegDword && v.data->bytes.size() != 4)
        return Refuse(what, "a number (REG_DWORD) must have 4 bytes"), false;
    }
    bool readable = true;
    const std::optional<regfile::Data> now = stored.Value(v.name, readable);
    if (readable && now == v.data) return false;
    std::vector<std::string> words;
    if (const Category* c = catalogue_.Of(k.root, k.path, v.name); c && !c->appliesAtOnce) {
      if (!panels_) panels_.emplace(system_);
      words = panels_->Of(*c, k.root, k.path, v);
    }
    if (words.empty())
      words.push_back(catalogue_.Where(k.root, k.path, v.name) + what + " = " + DataText(v.data) +
                      " (now " + DataText(now) + ")");
    for (auto& w : words) plan_.changes.push_back(std::move(w));
    return true;
  }

  // The mouse settings travel as the system keeps them; they are set
  // through the system, as the Mouse panel's Apply does.
  void Mouse(const regfile::Key& k) {
    const std::string where = regfile::Describe(k.root, k.path);
    if (k.remove) return Refuse(where + " (removed)", "Velmaro does not remove this key");
    for (const auto& v : k.values) {
      const std::string what = regfile::Describe(k.root, k.path, v.name);
      std::string text = v.data ? v.data->bytes : std::string();
      if (!text.empty() && text.back() == '\0') text.pop_back();
      const auto number = WholeNumber(text);
      const bool sz = v.data && v.data->type == RegSz;
      if (Folded(v.name) == Folded("DoubleClickSpeed")) {
        if (!sz || !number || *number < kFastest || *number > kSlowest) {
          Refuse(what, "the Mouse panel sets a double-click time of 100 to 900 milliseconds");
          continue;
        }
        const auto ms = static_cast<unsigned>(*number);
        if (ms == system_.mouse.KeptDoubleClickTime()) continue;
        plan_.doubleClickTime = ms;
        plan_.changes.push_back("Mouse: Double click speed : " + std::to_string(ms) +
                                " Milliseconds (now " +
                                std::to_string(system_.mouse.KeptDoubleClickTime()) + ")");
      } else if (Folded(v.name) == Folded("SwapMouseButtons")) {
        if (!sz || !number || (*number != 0 && *number != 1)) {
          Refuse(what, "the Mouse panel sets \"0\" or \"1\"");
          continue;
        }
        const bool swap = *number == 1;
        if (swap == system_.mouse.KeptButtonsSwapped()) continue;
        plan_.buttonsSwapped = swap;
        plan_.changes.push_back(std::string("Mouse: ") +
                                (swap ? "Left-Handed mode" : "Right-Handed mode"));
      } else {
        Refuse(what, "not one of the settings Velmaro changes");
      }
    }
  }

  void Boot(std::string_view tokens) {
    BootOptions o = LoadBootOptions(system_.store);
    if (!boot_) o.keepAutoScan = o.keepBootDelay = o.keepLogo = true;
    else o = *boot_;
    std::size_t pos = 0;
    while (pos < tokens.size()) {
      const std::size_t end = std::min(tokens.find(' ', pos), tokens.size());
      const std::string_view token = tokens.substr(pos, end - pos);
      pos = end + 1;
      if (token.empty()) continue;
      const auto number = [&](std::string_view key) { return WholeNumber(token.substr(key.size())); };
      const std::string what = "c:\\msdos.sys: " + std::string(token);
      if (token.starts_with(BootAutoScanKey) && (number(BootAutoScanKey) == 0 || number(BootAutoScanKey) == 2)) {
        o.autoScan = *number(BootAutoScanKey) == 2 ? 1 : 0;
        o.keepAutoScan = false;
        bootWords_.push_back(std::string("Windows: Auto Scan at startup: ") +
                             (o.autoScan ? "on" : "off") + " (" + what + ")");
      } else if (token.starts_with(BootDelayKey) && number(BootDelayKey) &&
                 *number(BootDelayKey) >= BootDelayMin && *number(BootDelayKey) <= BootDelayMax) {
        o.delaySl = static_cast<int>(*number(BootDelayKey));
        o.keepBootDelay = false;
        bootWords_.push_back("Windows: " + BootDelayCaption(o.delaySl) + " (" + what + ")");
      } else if (token.starts_with(BootLogoKey) && (number(BootLogoKey) == 0 || number(BootLogoKey) == 1)) {
        o.disSpl = *number(BootLogoKey) == 0 ? 1 : 0;
        o.keepLogo = false;
        bootWords_.push_back(std::string("Windows: Disable Windows splash screen while startup: ") +
                             (o.disSpl ? "on" : "off") + " (" + what + ")");
      } else {
        Refuse(what, "not a boot option the Windows panel sets");
      }
    }
    boot_ = o;
  }

  // The file holds each named key's line, and only that, and the panel's
  // store holds the choice.
  bool BootHolds(const BootOptions& o) const {
    const auto holds = [&](bool kept, std::string_view key, std::string_view setting,
                           const std::string& stored) {
      if (kept) return true;
      const std::string want = BootLineFor(key, o), lines = BootLinesOf(system_.files, key);
      if (lines.empty() || lines.size() % want.size()) return false;
      for (std::size_t i = 0; i < lines.size(); i += want.size())
        if (lines.compare(i, want.size(), want) != 0) return false;
      return system_.store.Read(setting, "") == stored;
    };
    return holds(o.keepAutoScan, BootAutoScanKey, settings::AutoScan, std::to_string(o.autoScan)) &&
           holds(o.keepBootDelay, BootDelayKey, settings::BootDelay, std::to_string(o.delaySl)) &&
           holds(o.keepLogo, BootLogoKey, settings::DisSplach, o.disSpl == 1 ? "0" : "1");
  }

  ConsoleSystem& system_;
  ImportPlan& plan_;
  ChangeScope scope_;
  Catalogue catalogue_;
  std::optional<PanelWords> panels_;  // made at the first value a panel may show
  std::vector<regfile::Key> removed_;
  std::optional<BootOptions> boot_;
  std::vector<std::string> bootWords_;
};

bool SameWord(std::string_view a, std::string_view b) { return Folded(a) == Folded(b); }

}  // namespace

bool ReadImportFile(std::string_view bytes, const AnsiCodePage& codePage, regfile::File& file,
                    std::string& why) {
  const bool unicode = bytes.starts_with("\xFF\xFE");
  if (bytes.starts_with("\xFE\xFF"))
    why = "it is Unicode text in the wrong byte order (regedit writes the other)";
  else if (unicode ? regfile::ReadUnicode(bytes, codePage, file, &why)
                   : regfile::Read(bytes, codePage, file, &why)) {
    std::size_t entries = 0;
    for (const auto& k : file.keys) entries += 1 + k.values.size();
    if (entries <= MaxImportEntries) return true;
    why = "it names more than " + std::to_string(MaxImportEntries) +
          " settings; Velmaro's settings are a few hundred";
  }
  why = "it is not a registry file Velmaro can import: " + why;
  return false;
}

ImportPlan PlanImport(ConsoleSystem& system, const regfile::File& file) {
  ImportPlan plan;
  Planner planner(system, plan);
  for (const auto& c : file.comments) planner.Comment(c);
  for (const auto& k : file.keys) planner.Key(k);
  planner.Finish();
  return plan;
}

std::vector<std::string> ApplyImport(ConsoleSystem& system, const ImportPlan& plan,
                                     const std::string& label) {
  std::vector<std::string> failed;
  if (!plan.ChangesSomething()) return failed;
  undo::Journal* journal = system.journal;
  if (journal) {
    journal->Begin(label);
    journal->Relabel(label);
    // One save of the history for the whole file, not one per value; a file
    // whose old state cannot be recorded changes nothing.
    if (!journal->NoteAhead(plan.writes.keys)) {
      journal->End();
      const std::string notice = journal->TakeNotice();
      failed.push_back(notice.empty() ? "nothing: Velmaro could not first record for Undo how "
                                        "every setting of the file is now (a value it cannot "
                                        "read as it is)"
                                      : notice);
      return failed;
    }
  }
  failed = regfile::Apply(plan.writes, system.capture).failed;
  if (plan.doubleClickTime && !system.mouse.SaveDoubleClickTime(*plan.doubleClickTime))
    failed.push_back("the mouse's double-click time");
  if (plan.buttonsSwapped && !system.mouse.SaveButtonsSwapped(*plan.buttonsSwapped))
    failed.push_back("the order of the mouse buttons");
  if (plan.boot) {
    // Each rewrite adds at most one missing line: three at most add them all.
    for (int pass = 0; pass < 3; ++pass) {
      const BootApplyResult r = ApplyBootOptions(system.files, system.store, *plan.boot);
      if (!r.ok()) {
        failed.push_back(BootFailureText(r));
        break;
      }
      bool complete = true;
      for (const auto key : {BootAutoScanKey, BootDelayKey, BootLogoKey})
        complete = complete && BootLinesOf(system.files, key).find(BootLineFor(key, *plan.boot)) !=
                                   std::string::npos;
      if (complete) break;
    }
  }
  if (journal) {
    journal->End();
    if (const std::string notice = journal->TakeNotice(); !notice.empty())
      failed.push_back(notice);
  }
  return failed;
}

bool IsImportCommand(std::string_view commandLine) {
  const auto words = CommandWords(commandLine);
  return !words.empty() && (SameWord(words[0], "/import") || SameWord(words[0], "-import"));
}

int RunImportCommand(ConsoleSystem& system, std::string_view commandLine, std::string& report,
                     std::string& error, const std::function<ConsoleSystem&()>& writer) {
  auto words = CommandWords(commandLine);
  const bool quiet = words.size() == 3 && (SameWord(words[2], "/quiet") || SameWord(words[2], "-quiet"));
  if (words.size() < 2 || words.size() > 3 || (words.size() == 3 && !quiet) ||
      !IsImportCommand(commandLine)) {
    error = "Usage: Velmaro.exe /import FILE [/quiet]";
    return 2;
  }
  const std::string& path = words[1];
  std::string bytes, why;
  if (const long rc = system.documents.ReadWholeFile(path, bytes, MaxImportFileBytes)) {
    error = "The file " + path + " could not be read" +
            (rc == ErrorFileNotFound || rc == ErrorPathNotFound ? ": there is no such file."
             : rc == ErrorFileTooLarge ? ": it is larger than any settings file of Velmaro's."
                                       : " (Windows reported error " + std::to_string(rc) + ").");
    return 2;
  }
  regfile::File file;
  if (!ReadImportFile(bytes, system.capture.CodePage(), file, why)) {
    error = "Nothing was imported from " + path + ": " + why + ".";
    return 2;
  }
  const ImportPlan plan = PlanImport(system, file);
  if (!plan.refused.empty()) {
    error = "Nothing was imported from " + path +
            ": it names what Velmaro does not import. Not imported:";
    for (const auto& r : plan.refused) error += "\n  " + r;
    return 2;
  }
  const auto failed = ApplyImport(writer && plan.ChangesSomething() ? writer() : system, plan,
                                  "Import of " + path);
  if (!failed.empty()) {
    error = "Some settings of " + path + " were not imported; the rest were. Not imported:";
    for (const auto& f : failed) error += "\n  " + f;
    return 1;
  }
  if (!quiet) {
    if (!plan.ChangesSomething()) {
      report = "Nothing to import: the settings already hold what " + path + " says.";
    } else {
      report = "Imported from " + path + ":";
      for (const auto& c : plan.changes) report += "\n  " + c;
    }
  }
  return 0;
}

}  // namespace velmaro::console
