// The Change Icons panel: the icons the shell draws for nine objects, each an
// icon setting "file,index" in the registry. Changing, restoring the
// system's own icon and blanking write at once, and the shell is made to
// reload its icons around each write.
#include <array>

#include "console/categories.h"
#include "console/icon_picker.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"

namespace velmaro::console {
namespace {

using namespace forms::design;
using platform::HKey;
using platform::HkeyClassesRoot;
using platform::HkeyCurrentUser;
using platform::HkeyLocalMachine;

constexpr std::string_view kShellIcons =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\shell icons";
constexpr std::string_view kMyComputer = "CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon";
constexpr std::string_view kRecycleBin = "CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";
constexpr std::string_view kMetrics = "control panel\\desktop\\windowmetrics";
constexpr std::string_view kNoValue = "No Value";
constexpr int kMyComputerTarget = 1;
constexpr int kBlankIcon = 9;  // in the icon library

struct Target {
  std::string_view entry;
  HKey root;
  std::string_view key;
  std::string_view value;  // the one read; the "shell icons" rows write by ShellIconIndex
  int shellIndex;          // the target's icon in the system's shell32.dll; -1: keep
};

constexpr std::array<Target, 9> kTargets{{
    {"Shortcut icon", HkeyLocalMachine, kShellIcons, "29", 29},
    // My Computer has no icon in shell32.dll: ShellIconIndex stays as it was.
    {"My Computer icon", HkeyClassesRoot, kMyComputer, "", -1},
    // The empty bin's setting is also the key's unnamed value, which the
    // shell reads where it does not know the two states.
    {"Empty Recycle Bin icon", HkeyClassesRoot, kRecycleBin, "Empty", 31},
    {"Full Recycle Bin icon", HkeyClassesRoot, kRecycleBin, "full", 32},
    {"5 1/4 drive icon", HkeyLocalMachine, kShellIcons, "5", 5},
    {"3 1/2 drive icon", HkeyLocalMachine, kShellIcons, "6", 6},
    {"Hard disk icon", HkeyLocalMachine, kShellIcons, "8", 8},
    {"CD ROM drive icon", HkeyLocalMachine, kShellIcons, "11", 11},
    {"Start Menu folder icon", HkeyLocalMachine, kShellIcons, "36", 36},
}};

std::vector<std::string> Entries() {
  std::vector<std::string> entries;
  for (const Target& t : kTargets) entries.emplace_back(t.entry);
  return entries;
}

void Layout(forms::FormSpec& f, int frame) {
  using namespace grid;
  const auto in = [frame](forms::ControlSpec c) { return InPanel(std::move(c), frame); };
  f.Add(in(Label("Label11", "Change the icon of :", {Left, 32, 150, 16})));
  f.Add(in(DropDownList("Combo1", Entries(), {Left + 156, 28, 240, 200})));
  f.Add(in(Label("Label9", "Current file name :", {Left, 68, 300, 16})));
  f.Add(in(TextBox("Text8", "", {Left, 86, Wide - 40, 22})));
  f.Add(in(Button("Command2", "...", {Left + Wide - 32, 85, 32, 24})));
  f.Add(in(Label("Label10", "Current Icon index in the selected file :", {Left, 122, 300, 16})));
  f.Add(in(TextBox("Text9", "", {Left, 140, 80, 22})));
  f.Add(in(Picture("Real", 0, {Left + 100, 136, 32, 32})));
  f.Add(in(Button("SetIcon", "Change icon of the current selection...", {Left, 190, 250, 28})));
  f.Add(in(Button("Restore", "Original Icon", {Left + 258, 190, 130, 28})));
  f.Add(in(Button("None", "Blank", {Left + 396, 190, 100, 28})));
}

class Icons final : public Panel {
public:
  explicit Icons(Tweaker& main)
      : main_(main),
        sys_(main.System()),
        Combo1(main.Get<forms::DropDownList>("Combo1")),
        Text8(main.Get<forms::TextBox>("Text8")),
        Text9(main.Get<forms::TextBox>("Text9")),
        Real(main.Get<forms::Picture>("Real")),
        picker_(sys_) {
    main.OnClick(Combo1.Name(), [this] { LoadTarget(); });
    main.OnClick("Command2", [this] { OnBrowse(); });
    main.OnClick("SetIcon", [this] { OnSetIcon(); });
    main.OnClick("Restore", [this] { OnRestore(); });
    main.OnClick("None", [this] { OnBlank(); });
  }

  // Each target's setting as stored; the Recycle Bin's unnamed value too,
  // which an icon change writes with its "Empty" one.
  std::vector<regfile::Key> Export() override {
    std::vector<regfile::Key> keys;
    const auto add = [&](HKey root, std::string_view key, std::string_view value) {
      const auto raw = sys_.reg.GetRawValue(root, key, value);
      if (raw && raw->readable)
        keys.push_back({root, std::string(key), false,
                        {{std::string(value), regfile::Data{raw->type, raw->bytes}}}});
    };
    for (const Target& t : kTargets) add(t.root, t.key, t.value);
    add(HkeyClassesRoot, kRecycleBin, "");
    return keys;
  }

  void Load() override {
    // Choosing the first entry loads it through Combo1's Click; when it is
    // already chosen nothing is raised, and it is loaded here.
    if (Combo1.ListIndex() == 0)
      LoadTarget();
    else
      Combo1.SetListIndex(0);
  }

  static constexpr std::string_view NoLibrary =
      "The blank icon is in Velmaro's icon library, Velmaro.dll, which is neither where Setup "
      "installed it nor beside Velmaro.exe. Nothing was changed.";

private:
  const Target* Chosen() const {
    const int i = Combo1.ListIndex();
    return i >= 0 && i < static_cast<int>(kTargets.size()) ? &kTargets[i] : nullptr;
  }

  // The chosen target's setting, "No Value" when it has none; `nos` takes
  // the target's icon in shell32.dll. Empty text for no target.
  std::string GetString(int& nos) const {
    const Target* t = Chosen();
    if (!t) return {};
    if (t->shellIndex >= 0) nos = t->shellIndex;
    return sys_.reg.GetStringValue(t->root, t->key, t->value, kNoValue);
  }

  // The system folder's shell32.dll, the library that exists on every
  // system (the Windows folder's "system" holds it on the 95 family only).
  std::string SystemShell32() const {
    std::string folder;
    sys_.files.SystemDirectory(folder);
    return folder + "\\shell32.dll";
  }
  std::string WindowsExplorer() const {
    std::string folder;
    sys_.files.WindowsDirectory(folder);
    return folder + "\\explorer.exe";
  }

  // The preview: empty where the file has no such icon (missing, not a file
  // with icons, or fewer icons). A negative index names an icon by its
  // resource number, which only drawing can tell.
  void Preview(const std::string& file, int index) {
    if (index >= 0 && index >= sys_.desktop.IconCount(file))
      Real.Clear();
    else
      Real.SetIcon(file, index);
  }

  void ShowIcon(const std::string& file, int index) {
    Preview(file, index);
    Text8.SetText(file);
    Text9.SetText(std::to_string(index));
  }
  // The icon the system draws for the target without a setting.
  void ShowSystemIcon(const Target& t) {
    if (&t == &kTargets[kMyComputerTarget])
      ShowIcon(WindowsExplorer(), 0);
    else
      ShowIcon(SystemShell32(), main_.ShellIconIndex);
  }

  // Combo1's Click.
  void LoadTarget() {
    const std::string s = GetString(main_.ShellIconIndex);
    const Target* t = Chosen();
    if (!t) return;
    if (s == kNoValue) return ShowSystemIcon(*t);
    const auto comma = s.find(',');
    const auto index = comma == std::string::npos ? std::nullopt : WholeNumber(s.substr(comma + 1));
    if (!index) {
      // Not "file,index": shown whole, without a preview.
      Real.Clear();
      Text8.SetText(s);
      Text9.SetText("");
      return;
    }
    Preview(s.substr(0, comma), static_cast<int>(*index));
    Text8.SetText(s.substr(0, comma));
    Text9.SetText(s.substr(comma + 1));
  }

  // Writes the chosen target's setting between the two steps of the icon
  // size that make the shell reload its icons, then updates the panel.
  template <class Update>
  void Write(const std::string& setting, Update update) {
    const Target* t = Chosen();
    if (!t) return;
    SaveReport report;
    const std::string what(t->entry);
    if (!Storable(sys_.reg, setting)) {
      report.CannotHold(what);
      report.Tell(sys_.toolkit);
      return;
    }
    {
      forms::Hourglass busy(main_);
      SetIconSize("31", report);
      const auto place = [&](HKey root, std::string_view key, std::string_view value) {
        report.Check(sys_.reg.SaveStringValue(root, key, value, setting), what);
      };
      if (t == &kTargets[kMyComputerTarget]) {
        place(t->root, t->key, "");
      } else if (t->key == kRecycleBin) {
        place(t->root, t->key, t->value);
        if (t->value == "Empty") place(t->root, t->key, "");
      } else {
        place(t->root, t->key, std::to_string(main_.ShellIconIndex));
      }
      SetIconSize("32", report);
      update(*t);
    }
    report.Tell(sys_.toolkit);
  }

  void SetIconSize(std::string_view size, SaveReport& report) {
    report.Check(sys_.reg.SaveStringValue(HkeyCurrentUser, kMetrics, "shell icon size", size),
                 "Shell icon size");
    sys_.desktop.BroadcastSettingChange();
  }

  void OnSetIcon() {
    Write(Text8.Text() + "," + Text9.Text(), [](const Target&) {});
  }

  void OnRestore() {
    const Target* t = Chosen();
    if (!t) return;
    const std::string setting = t == &kTargets[kMyComputerTarget]
                                    ? std::string("Explorer.exe,0")
                                    : SystemShell32() + "," + std::to_string(main_.ShellIconIndex);
    Write(setting, [this](const Target& target) { ShowSystemIcon(target); });
  }

  // The icon library with the blank icon: where Setup put it, else beside
  // the program; empty when neither holds it.
  std::string IconLibrary() const {
    const std::string installed = sys_.store.Read(settings::DllPath);
    if (!installed.empty() && sys_.files.IsFile(installed)) return installed;
    std::string program;
    if (sys_.files.ModulePath(program) != platform::ErrorSuccess) return {};
    const std::string beside = program.substr(0, program.find_last_of('\\') + 1) + "Velmaro.dll";
    return sys_.files.IsFile(beside) ? beside : std::string();
  }

  void OnBlank() {
    const std::string library = IconLibrary();
    if (library.empty()) {
      sys_.toolkit.MsgBox(std::string(NoLibrary), "Velmaro",
                          forms::mb::Ok | forms::mb::IconExclamation);
      return;
    }
    Write(library + "," + std::to_string(kBlankIcon), [this, &library](const Target&) {
      Real.Clear();
      Text8.SetText(library);
      Text9.SetText(std::to_string(kBlankIcon));
    });
  }

  // Command2: the system's picker, or ours where the system has none.
  void OnBrowse() {
    std::string file = IconLibrary();
    if (file.empty()) file = SystemShell32();
    int index = 0;
    platform::IconPick pick = sys_.desktop.PickIcon(file, index);
    if (pick == platform::IconPick::Unavailable) pick = picker_.Pick(file, index);
    if (pick != platform::IconPick::Chosen) return;
    ShowIcon(file, index);
  }

  Tweaker& main_;
  ConsoleSystem& sys_;
  forms::DropDownList& Combo1;
  forms::TextBox& Text8;
  forms::TextBox& Text9;
  forms::Picture& Real;
  IconPicker picker_;
};

}  // namespace

const PanelKind IconsPanel{&Layout, &MakePanel<Icons>};

}  // namespace velmaro::console
