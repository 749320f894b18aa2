// The Explorer panel: Internet Explorer's toolbar bitmap and window title,
// CD-ROM auto run, and the desktop, File menu and shortcut prefix policies.
#include "console/categories.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"

namespace velmaro::console {
namespace {

using namespace forms::design;
using platform::HkeyCurrentUser;
using platform::HkeyLocalMachine;

constexpr std::string_view kToolbar = "Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr std::string_view kIeMain = "SOFTWARE\\Microsoft\\Internet Explorer\\Main";
constexpr std::string_view kCdRom = "System\\CurrentControlSet\\Services\\Class\\hdc\\0004";
constexpr std::string_view kPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr std::string_view kBitmapWhat = "Bitmap on the toolbar of Microsoft Internet Explorer";
constexpr std::string_view kTitleWhat = "New title of Internet Explorer";

constexpr SwitchRow kRows[]{
    {"HideAll", SwitchRule::DwordState, HkeyCurrentUser, kPolicies, "NoDesktop"},
    {"RemFile", SwitchRule::DwordState, HkeyCurrentUser, kPolicies, "NoFileMenu"},
    // Checked also when "Link" is absent: the prefix is the system's default.
    {"Prefix", SwitchRule::ByteNineChecks, HkeyCurrentUser,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", "Link"},
};

void Layout(forms::FormSpec& f, int frame) {
  using namespace grid;
  const auto in = [frame](forms::ControlSpec c) { return InPanel(std::move(c), frame); };
  f.Add(in(Label("Label6", "Show bitmap on the toolbar of Microsoft Internet Explorer :",
                 {Left, 28, Wide, 16})));
  f.Add(in(TextBox("Text2", "", {Left, 46, Wide - 40, 22})));
  f.Add(in(Button("Command1", "...", {Left + Wide - 34, 46, 34, 22})));
  f.Add(in(CheckBox("Check1", "Change Internet Explorer window title", {Left, 82, Wide, 20})));
  f.Add(in(Label("Label7", "New title :", {Left + 20, 111, 70, 16}).Disabled()));
  f.Add(in(TextBox("Text3", "", {Left + 94, 108, Wide - 94, 22}).Disabled()));
  f.Add(in(Frame("Frame1", "Windows Interface", {Left, 144, Wide, 128})));
  const auto box = [](forms::ControlSpec c) { return c.In("Frame1"); };
  f.Add(box(CheckBox("AutoRun", "Enable Auto Run feature of CD-ROM", {12, 22, Wide - 24, 20})));
  f.Add(box(CheckBox("HideAll", "Hide all items on the desktop", {12, 22 + Row, Wide - 24, 20})));
  f.Add(box(CheckBox("RemFile", "Remove 'File Menu' from Windows explorer",
                     {12, 22 + 2 * Row, Wide - 24, 20})));
  f.Add(box(CheckBox("Prefix", "Show prefix 'Shortcut to' on new shortcut.",
                     {12, 22 + 3 * Row, Wide - 24, 20})));
}

class Explorer final : public Panel {
public:
  explicit Explorer(Tweaker& main)
      : main_(main),
        sys_(main.System()),
        Text2(main.Get<forms::TextBox>("Text2")),
        Check1(main.Get<forms::CheckBox>("Check1")),
        Label7(main.Get<forms::Label>("Label7")),
        Text3(main.Get<forms::TextBox>("Text3")),
        AutoRun(main.Get<forms::CheckBox>("AutoRun")),
        rows_(kRows, main),
        autoRunShown_(AutoRun),
        bitmapShown_(Text2),
        titleBoxShown_(Check1),
        titleTextShown_(Text3) {
    main.OnClick(Check1.Name(), [this] { OnCheck1Click(); });
    main.OnClick("Command1", [this] { OnBrowseBitmap(); });
  }

  void Load() override {
    const std::string bitmap =
        sys_.reg.GetStringValue(HkeyCurrentUser, kToolbar, "BackBitmap", "Def1");
    Text2.SetText(bitmap == "Def1" ? "" : bitmap);
    // An empty box deletes the value; any other text is written as it is.
    bitmapShown_.Note(Text2.Text().empty()
                          ? HoldsOneOf(sys_.reg, HkeyCurrentUser, kToolbar, "BackBitmap", {})
                          : HoldsOneOf(sys_.reg, HkeyCurrentUser, kToolbar, "BackBitmap",
                                       {TextWritten(sys_.reg, Text2.Text())}),
                      [this] { return StoredState(sys_.reg, HkeyCurrentUser, kToolbar, "BackBitmap"); });
    LoadTitle();

    // Drive 0 decides unless its first byte is 0; then drive 1 does, and an
    // absent drive 1 reads as 0.
    std::uint8_t autoRun =
        sys_.reg.GetBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive0")
            .FirstByte();
    if (autoRun == 0)
      autoRun = sys_.reg.GetBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive1")
                    .FirstByte();
    AutoRun.SetValue(BoxStateOf(autoRun).state);
    bool faithful = true;
    for (const char* drive : {"AutoInsertNotificationDrive0", "AutoInsertNotificationDrive1"})
      faithful = faithful && HoldsOneOf(sys_.reg, HkeyLocalMachine, kCdRom, drive,
                                        {BinaryWritten({0, 0, 0}), BinaryWritten({1, 0, 0}),
                                         BinaryWritten({2, 0, 0})});
    autoRunShown_.Note(faithful, [this] {
      return StoredState(sys_.reg, HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive0") +
             StoredState(sys_.reg, HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive1");
    });

    rows_.Load(sys_.reg);
  }

  // Explorer12.
  void Apply() override {
    SaveReport report;
    {
      forms::Hourglass busy(main_);
      bitmapShown_.Apply(sys_.reg, report, kBitmapWhat, [&](SaveReport& r) {
        if (Text2.Text().empty())
          r.Check(RemoveValue(sys_.reg, HkeyCurrentUser, kToolbar, "BackBitmap"),
                       kBitmapWhat);
        else
          SaveText(sys_.reg, HkeyCurrentUser, kToolbar, "BackBitmap", Text2.Text(), kBitmapWhat,
                   r);
      });

      // The title, its box and "Chack" go together: left alone while they
      // show something the panel could not read as it is, or what another
      // program changed since.
      ApplyTogether(titleBoxShown_, titleTextShown_, sys_.reg, report, kTitleWhat, [&](SaveReport& r) {
        const int title = Check1.Value();
        if (title == 1)
          SaveText(sys_.reg, HkeyLocalMachine, kIeMain, "Window Title", Text3.Text(), kTitleWhat,
                   r);
        else
          r.Check(RemoveValue(sys_.reg, HkeyLocalMachine, kIeMain, "Window Title"),
                       kTitleWhat);
        r.Check(sys_.store.Write(settings::Chack, std::to_string(title)),
                     forms::DisplayText(Check1.Caption()));
      });

      const std::string autoRun = forms::DisplayText(AutoRun.Caption());
      autoRunShown_.Apply(sys_.reg, report, autoRun, [&](SaveReport& r) {
        const Bytes bytes{static_cast<std::uint8_t>(AutoRun.Value()), 0, 0};
        bool done = sys_.reg.SaveBinaryValue(HkeyLocalMachine, kCdRom,
                                             "AutoInsertNotificationDrive0", bytes);
        done = sys_.reg.SaveBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive1",
                                        bytes) && done;
        r.Check(done, autoRun);
      });
      rows_.Apply(sys_.reg, report);
    }
    report.Tell(sys_.toolkit);
  }

private:
  // The title is shown only when "Chack" says the box was ticked. A "Chack"
  // that is not plain text, or a title the panel cannot show as it is, makes
  // the whole row unfaithful; with the box clear, an apply deletes any plain
  // title, as it always did.
  void LoadTitle() {
    bool faithful = sys_.store.Readable(settings::Chack);
    if (faithful && WholeNumber(sys_.store.Read(settings::Chack, "0")) == 1) {
      const std::string title =
          sys_.reg.GetStringValue(HkeyLocalMachine, kIeMain, "Window Title", "Def2");
      Text3.SetText(title == "Def2" ? "" : title);
      Check1.SetValue(1);
    }
    const auto title = sys_.reg.GetRawValue(HkeyLocalMachine, kIeMain, "Window Title");
    if (Check1.Value() == 1)
      faithful = faithful && HoldsOneOf(sys_.reg, HkeyLocalMachine, kIeMain, "Window Title",
                                        {TextWritten(sys_.reg, Text3.Text())});
    else
      faithful = faithful && (!title || title->IsPlainText());
    const auto stored = [this] {
      return StoredState(sys_.reg, HkeyLocalMachine, kIeMain, "Window Title") +
             sys_.store.Read(settings::Chack, "");
    };
    titleBoxShown_.Note(faithful, stored);
    titleTextShown_.Note(faithful, stored);
  }

  void OnCheck1Click() {
    const int state = Check1.Value();
    Label7.SetEnabled(state != 0);
    Text3.SetEnabled(state != 0);
    if (state == 1 && main_.TitleArmed) Text3.SetFocus();
    main_.TitleArmed = true;
  }

  void OnBrowseBitmap() {
    forms::FileDialogRequest request;
    request.title = "Select bitmap for the toolbar of I.E.";
    request.filter =
        "Graphic Files(*.bmp;*.jpg;*.jpe;*.rle;*.tga;*.gif)|*.bmp;*.jpg;*.jpe;*.rle;*.tga;*.gif|";
    request.flags = 530436;
    const auto result = sys_.toolkit.OpenFile(request);
    // A cancelled dialog leaves the box as it was.
    if (result.ok) Text2.SetText(result.fileName);
  }

  Tweaker& main_;
  ConsoleSystem& sys_;
  forms::TextBox& Text2;
  forms::CheckBox& Check1;
  forms::Label& Label7;
  forms::TextBox& Text3;
  forms::CheckBox& AutoRun;
  SwitchTable rows_;  // HideAll, RemFile, Prefix
  Shown autoRunShown_, bitmapShown_, titleBoxShown_, titleTextShown_;
};

}  // namespace

const PanelKind ExplorerPanel{&Layout, &MakePanel<Explorer>};

}  // namespace velmaro::console
