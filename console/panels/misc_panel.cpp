// The Misc. tweaks panel: the PC speaker, Outlook Express's splash and window
// title, where the installation files are, and the special folders, whose
// button writes at once after a confirmation.
#include "console/categories.h"
#include "console/shell_folders.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"

namespace velmaro::console {
namespace {

using namespace forms::design;
using platform::HkeyCurrentUser;
using platform::HkeyLocalMachine;

constexpr std::string_view kOutlookExpress = "Software\\Microsoft\\Outlook Express";
constexpr std::string_view kTitleWhat = "New title of Outlook Express";
constexpr std::string_view kPathWhat = "Current path";

constexpr SwitchRow kSpeakerAndSplash[]{
    {"PCSound", SwitchRule::TextNoChecks, HkeyCurrentUser, "Control Panel\\Sound", "Beep"},
    {"SplashOut", SwitchRule::DwordState, HkeyCurrentUser, kOutlookExpress, "NoSplash"},
};
constexpr SwitchRow kSourcePath[]{
    {"Text12", SwitchRule::Text, HkeyLocalMachine,
     "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup", "SourcePath", {},
     "Location of Win 95's installation files"},
};

void Layout(forms::FormSpec& f, int frame) {
  using namespace grid;
  const auto in = [frame](forms::ControlSpec c) { return InPanel(std::move(c), frame); };
  f.Add(in(CheckBox("PCSound", "Disable PC speakers beeping on an error", {Left, 28, Wide, 20})));
  f.Add(in(Label("Label12", "Outlook Express 4.0 :", {Left, 62, 300, 16})));
  f.Add(in(CheckBox("SplashOut", "Don't show splash screen of Outlook Express at startup",
                    {Left + 16, 82, Wide - 16, 20})));
  f.Add(in(CheckBox("ExpressTitle", "Change Outlook Express window title",
                    {Left + 16, 82 + Row, Wide - 16, 20})));
  f.Add(in(Label("Label13", "New title :", {Left + 36, 141, 70, 16}).Disabled()));
  f.Add(in(TextBox("Text11", "", {Left + 110, 138, Wide - 110, 22}).Disabled()));
  f.Add(in(Label("Label14", "Location of Win 95's installation files :", {Left, 176, 400, 16})));
  f.Add(in(TextBox("Text12", "", {Left, 194, Wide, 22})));
  f.Add(in(Frame("Frame7", "Special folders", {Left, 230, Wide, 112})));
  const auto box = [](forms::ControlSpec c) { return c.In("Frame7"); };
  f.Add(box(Label("Label17", "Folder :", {12, 26, 90, 16})));
  f.Add(box(DropDownList("Combo2",
                         {"Desktop", "Start Menu", "Fonts", "Temporary Internet files", "History",
                          "Favorites", "Startup", "Recent", "Send To"},
                         {106, 22, 220, 200})));
  f.Add(box(Label("Label18", "Current path :", {12, 56, 90, 16})));
  f.Add(box(TextBox("Text10", "", {106, 52, Wide - 118, 22})));
  f.Add(box(Button("Change_folder", "Change the path...", {Wide - 12 - 140, 80, 140, 26})));
}

class Misc final : public Panel {
public:
  explicit Misc(Tweaker& main)
      : sys_(main.System()),
        ExpressTitle(main.Get<forms::CheckBox>("ExpressTitle")),
        Label13(main.Get<forms::Label>("Label13")),
        Text11(main.Get<forms::TextBox>("Text11")),
        Combo2(main.Get<forms::DropDownList>("Combo2")),
        Text10(main.Get<forms::TextBox>("Text10")),
        speakerAndSplash_(kSpeakerAndSplash, main),
        sourcePath_(kSourcePath, main),
        titleBoxShown_(ExpressTitle),
        titleTextShown_(Text11) {
    main.OnClick(ExpressTitle.Name(), [this] { OnExpressTitleClick(); });
    main.OnClick(Combo2.Name(), [this] { ShowFolderPath(); });
    main.OnClick("Change_folder", [this] { OnChangeFolder(); });
  }

  void Load() override {
    // Choosing the entry shows its path through Combo2's Click; when it is
    // already chosen, nothing is raised and the path is read here.
    if (Combo2.ListIndex() == 0)
      ShowFolderPath();
    else
      Combo2.SetListIndex(0);
    speakerAndSplash_.Load(sys_.reg);

    Text11.SetText("");
    ExpressTitle.SetValue(0);
    const std::string stored =
        sys_.reg.GetStringValue(HkeyCurrentUser, kOutlookExpress, "WindowTitle", "NoTitle123");
    if (stored != "NoTitle123") {
      ExpressTitle.SetValue(1);
      Text11.SetText(stored);
    }
    Text11.SetEnabled(ExpressTitle.Value() != 0);
    Label13.SetEnabled(ExpressTitle.Value() != 0);
    // A clear box deletes the title: faithful only when there is none.
    const bool faithful =
        ExpressTitle.Value() == 1
            ? HoldsOneOf(sys_.reg, HkeyCurrentUser, kOutlookExpress, "WindowTitle",
                         {TextWritten(sys_.reg, Text11.Text())})
            : HoldsOneOf(sys_.reg, HkeyCurrentUser, kOutlookExpress, "WindowTitle", {});
    const auto title = [this] {
      return StoredState(sys_.reg, HkeyCurrentUser, kOutlookExpress, "WindowTitle");
    };
    titleBoxShown_.Note(faithful, title);
    titleTextShown_.Note(faithful, title);
    sourcePath_.Load(sys_.reg);
  }

  // Miscell.
  void Apply() override {
    SaveReport report;
    speakerAndSplash_.Apply(sys_.reg, report);
    ApplyTogether(titleBoxShown_, titleTextShown_, sys_.reg, report, kTitleWhat, [&](SaveReport& r) {
      if (ExpressTitle.Value() == 1)
        SaveText(sys_.reg, HkeyCurrentUser, kOutlookExpress, "WindowTitle", Text11.Text(),
                 kTitleWhat, r);
      else
        r.Check(RemoveValue(sys_.reg, HkeyCurrentUser, kOutlookExpress, "WindowTitle"),
                     kTitleWhat);
    });
    sourcePath_.Apply(sys_.reg, report);
    report.Tell(sys_.toolkit);
  }

private:
  void OnExpressTitleClick() {
    const bool on = ExpressTitle.Value() == 1;
    Text11.SetEnabled(on);
    Label13.SetEnabled(on);
  }

  void ShowFolderPath() {
    const std::string value = SpecialFolderValue(Combo2.Text());
    if (value.empty()) return;
    Text10.SetText(sys_.reg.GetStringValue(HkeyCurrentUser, ShellFoldersKey, value, ""));
  }

  void OnChangeFolder() {
    const std::string entry = Combo2.Text();
    const std::string value = SpecialFolderValue(entry);
    if (value.empty()) return;
    SaveReport report;
    if (!Storable(sys_.reg, Text10.Text())) {
      report.CannotHold(kPathWhat);
      report.Tell(sys_.toolkit);
      return;
    }
    const std::string question = "Do you want to change the path of " + entry + " folder?" +
                                 '\n' + "This may affect your system.";
    if (sys_.toolkit.MsgBox(question, "Confirmation",
                            forms::mb::YesNo | forms::mb::IconExclamation) != forms::IdYes)
      return;
    report.Check(ChangeSpecialFolder(sys_.reg, value, Text10.Text()), kPathWhat);
    report.Tell(sys_.toolkit);
  }

  ConsoleSystem& sys_;
  forms::CheckBox& ExpressTitle;
  forms::Label& Label13;
  forms::TextBox& Text11;
  forms::DropDownList& Combo2;
  forms::TextBox& Text10;
  SwitchTable speakerAndSplash_;  // PCSound, SplashOut
  SwitchTable sourcePath_;        // Text12
  Shown titleBoxShown_, titleTextShown_;
};

}  // namespace

const PanelKind MiscPanel{&Layout, &MakePanel<Misc>};

}  // namespace velmaro::console
