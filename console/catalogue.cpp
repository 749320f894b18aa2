// Loads, appliers and handlers of the six switch-tweak panels. Plain rows are
// tables; rows with steps of their own are code beside them.
#include "console/catalogue.h"

#include <algorithm>
#include <array>

#include "console/boot_options.h"
#include "console/tweaker.h"

namespace velmaro::console {

using forms::CheckBox;
using forms::TextBox;
using platform::HkeyClassesRoot;
using platform::HkeyCurrentUser;
using platform::HkeyLocalMachine;
using R = SwitchRule;

namespace {

constexpr std::string_view kDesktop = "control panel\\desktop";
constexpr std::string_view kExplorerPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr std::string_view kSystemPolicies =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr std::string_view kToolbar = "Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr std::string_view kIeMain = "SOFTWARE\\Microsoft\\Internet Explorer\\Main";
constexpr std::string_view kCdRom = "System\\CurrentControlSet\\Services\\Class\\hdc\\0004";
constexpr std::string_view kShellExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr std::string_view kOutlookExpress = "Software\\Microsoft\\Outlook Express";
constexpr std::string_view kSetup = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr std::string_view kWindowMetrics = "Control Panel\\Desktop\\WindowMetrics";
constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kMenuDelayCaption = "Menu Delay time (in milliseconds) : ";

// Rows written in table order by their appliers.
constexpr std::array kStartMenuRows{
    SwitchRow{"ShowBanner", R::ByteZeroChecks, HkeyCurrentUser, kExplorerPolicies, "NoStartBanner"},
    SwitchRow{"HideLog", R::ByteState, HkeyCurrentUser, kExplorerPolicies, "NoLogOff"},
    SwitchRow{"HideRun", R::DwordState, HkeyCurrentUser, kExplorerPolicies, "NoRun"},
    SwitchRow{"HideFind", R::DwordState, HkeyCurrentUser, kExplorerPolicies, "NoFind"},
    SwitchRow{"HideDoc", R::DwordState, HkeyCurrentUser, kExplorerPolicies, "NoRecentDocsMenu"},
    SwitchRow{"HideFav", R::DwordState, HkeyCurrentUser, kExplorerPolicies, "NoFavoritesMenu"},
};

constexpr std::array kGeneralRows{
    SwitchRow{"ResPass", R::DwordState, HkeyCurrentUser, kSystemPolicies, "NoSecCPL"},
    SwitchRow{"ResUser", R::DwordState, HkeyCurrentUser, kSystemPolicies, "NoProfilePage"},
    SwitchRow{"Text4", R::Text, HkeyCurrentUser, "Software\\Microsoft\\MS Setup (ACME)\\User Info",
              "DefName"},
    SwitchRow{"Text5", R::Text, HkeyCurrentUser, "Software\\Microsoft\\MS Setup (ACME)\\User Info",
              "DefCompany"},
    SwitchRow{"Text6", R::Text, HkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
              "RegisteredOwner"},
    SwitchRow{"Text7", R::Text, HkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
              "RegisteredOrganization"},
    // Word keeps its option as text.
    SwitchRow{"LiveScroll", R::TextNumberState, HkeyCurrentUser,
              "Software\\Microsoft\\Office\\8.0\\Word\\Options", "LiveScrolling", "0"},
};

constexpr std::array kExplorerRows{
    SwitchRow{"HideAll", R::DwordState, HkeyCurrentUser, kExplorerPolicies, "NoDesktop"},
    SwitchRow{"RemFile", R::DwordState, HkeyCurrentUser, kExplorerPolicies, "NoFileMenu"},
    // Checked also when "Link" is absent: the prefix is the system's default.
    SwitchRow{"Prefix", R::ByteNineChecks, HkeyCurrentUser, kShellExplorer, "Link"},
};

constexpr SwitchRow kDragFullWindows{"ShowWindCont", R::TextNumberState, HkeyCurrentUser,
                                     kDesktop, "DragFullWindows", ""};
constexpr SwitchRow kBeep{"PCSound", R::TextNoChecks, HkeyCurrentUser, "Control Panel\\Sound",
                          "Beep"};
constexpr SwitchRow kNoSplash{"SplashOut", R::DwordState, HkeyCurrentUser, kOutlookExpress,
                              "NoSplash"};
constexpr SwitchRow kSourcePath{"Text12", R::Text, HkeyLocalMachine, kSetup, "SourcePath"};

// Shell verbs: the keys whose presence the box shows, and what it writes.
struct Verb {
  std::string_view control;
  std::array<std::string_view, 3> shownBy;  // all must exist (empty: unused)
  std::string_view verbKey;
  std::string_view label;
};
constexpr Verb kNotepad{"NotPad1", {"*\\shell", "*\\shell\\open", "*\\shell\\open\\command"},
                        "*\\shell\\open", "&Open with Notepad"};
constexpr Verb kPrompt{"CommandPrompt",
                       {"Directory\\shell\\CommandPrompt", "Directory\\shell\\CommandPrompt\\command",
                        ""},
                       "Directory\\shell\\CommandPrompt", "MS-&DOS Prompt here"};

// How the user knows each text box, for the message about unsaved entries.
constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kTypedEntries{{
    {"Text2", "Bitmap on the toolbar of Microsoft Internet Explorer"},
    {"Text3", "New title of Internet Explorer"},
    {"Text4", "Default user name"},
    {"Text5", "Default Company name"},
    {"Text6", "Registered Owner"},
    {"Text7", "Registered Organization"},
    {"Text10", "Current path"},
    {"Text11", "New title of Outlook Express"},
    {"Text12", "Location of Win 95's installation files"},
}};

std::string Describe(std::string_view control) {
  for (const auto& [name, text] : kTypedEntries)
    if (name == control) return std::string(text);
  return std::string(control);
}

}  // namespace

std::string SpecialFolderValue(std::string_view entry) {
  static constexpr std::array<std::string_view, 9> kEntries{
      "Desktop", "Start Menu", "Fonts", "Temporary Internet files", "History",
      "Favorites", "Startup", "Recent", "Send To"};
  bool known = false;
  for (const auto e : kEntries) known = known || e == entry;
  if (!known) return {};
  if (entry == "Temporary Internet files") return "Cache";
  if (entry == "Send To") return "SendTo";
  return std::string(entry);
}

Catalogue::Catalogue(Tweaker& main)
    : main_(main),
      windows_({}),
      misc_({}),
      explorer_(kExplorerRows),
      moreExplorer_({}),
      startMenu_(kStartMenuRows),
      general_(kGeneralRows) {
  main_.SetPanel(2, {[this] { LoadWindows(); }, [this] { Windows1(); }});
  main_.SetPanel(3, {[this] { LoadMisc(); }, [this] { Miscell(); }});
  main_.SetPanel(5, {[this] { LoadExplorer(); }, [this] { Explorer12(); }});
  main_.SetPanel(6, {[this] { LoadMoreExplorer(); }, [this] { More_Exp(); }});
  main_.SetPanel(7, {[this] { LoadStartMenu(); }, [this] { StartMenu1(); }});
  main_.SetPanel(8, {[this] { LoadGeneral(); }, [this] { General1(); }});
  main_.SetLoadTail([this] { LoadTail(); });

  using forms::Event;
  main_.On(Event::Change, "Sli", [this](forms::EventArgs&) {
    main_.Get<forms::Label>("MenuDelay")
        .SetCaption(std::string(kMenuDelayCaption) +
                    std::to_string(main_.Get<forms::Slider>("Sli").Value()));
  });
  main_.On(Event::Change, "DelaySl", [this](forms::EventArgs&) {
    main_.Get<forms::Label>("Label5")
        .SetCaption(BootDelayCaption(main_.Get<forms::Slider>("DelaySl").Value()));
  });
  main_.OnClick("Check1", [this] { OnCheck1Click(); });
  main_.OnClick("Command1", [this] { OnBrowseBitmap(); });
  main_.OnClick("ExpressTitle", [this] { OnExpressTitleClick(); });
  main_.OnClick("Combo2", [this] { ShowFolderPath(); });
  main_.OnClick("Change_folder", [this] { OnChangeFolder(); });
}

void Catalogue::SaveTyped(platform::HKey root, std::string_view key, std::string_view value,
                          std::string_view control) {
  auto& sys = main_.System();
  const std::string& text = main_.Get<TextBox>(control).Text();
  if (!Storable(sys.reg, text)) {
    unsaved_.push_back(Describe(control));
    return;
  }
  sys.reg.SaveStringValue(root, key, value, text);
}

void Catalogue::NoteUnsaved(const std::vector<std::string>& controls) {
  for (const auto& c : controls) unsaved_.push_back(Describe(c));
}

void Catalogue::ReportUnsaved() {
  if (unsaved_.empty()) return;
  std::string text(NotStorable);
  for (const auto& entry : unsaved_) text += "\n" + entry;
  unsaved_.clear();
  main_.System().toolkit.MsgBox(text, "Velmaro", forms::mb::Ok | forms::mb::IconExclamation);
}

bool Catalogue::KeyExists(std::string_view path) const {
  return main_.System().reg.KeyExists(HkeyClassesRoot, path);
}

// ---- Windows ----

void Catalogue::LoadWindows() {
  auto& sys = main_.System();
  const BootOptions boot = LoadBootOptions(sys.store);
  main_.Get<CheckBox>("AutoScan").SetValue(boot.autoScan);
  main_.Get<CheckBox>("DisSpl").SetValue(boot.disSpl);
  main_.Get<forms::Slider>("DelaySl").SetValue(boot.delaySl);
  main_.Get<forms::Label>("Label5").SetCaption(BootDelayCaption(boot.delaySl));

  // Smooth scrolling shows the stored state: a first byte other than 0 is on.
  const auto smooth = sys.reg.GetBinaryValue(HkeyCurrentUser, kDesktop, "SmoothScroll",
                                             Bytes{0, 0, 0}).FirstByte();
  main_.Get<CheckBox>("SmoothScroll").SetValue(smooth != 0 ? 1 : 0);
  windows_.NoteShown("SmoothScroll", main_, smooth <= 1);

  windows_.LoadRow(kDragFullWindows, main_, sys.reg);

  // The menu delay: absent (or -1) is written as the system's 400 at once.
  const std::string text = sys.reg.GetStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay", "-1");
  const auto stored = WholeNumber(text);
  long long delay = stored.value_or(0);
  bool faithful = stored.has_value();
  if (faithful && delay == -1) {
    sys.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay", "400");
    delay = 400;
  } else if (!faithful) {
    delay = 400;  // no number: show the system's default, keep the text
  }
  auto& slider = main_.Get<forms::Slider>("Sli");
  slider.SetValue(static_cast<int>(std::clamp<long long>(delay, slider.Min(), slider.Max())));
  faithful = faithful && delay >= slider.Min() && delay <= slider.Max();
  main_.Get<forms::Label>("MenuDelay")
      .SetCaption(std::string(kMenuDelayCaption) + std::to_string(delay));
  windows_.NoteShown("Sli", main_, faithful);
}

bool Catalogue::AutoScan1() {
  BootOptions options;
  options.autoScan = main_.Get<CheckBox>("AutoScan").Value();
  options.disSpl = main_.Get<CheckBox>("DisSpl").Value();
  options.delaySl = main_.Get<forms::Slider>("DelaySl").Value();
  auto& sys = main_.System();
  std::string windows;
  sys.files.WindowsDirectory(windows);
  main_.Get<TextBox>("Text1").SetText(windows);
  return ApplyBootOptions(sys.files, sys.store, options).ok();
}

void Catalogue::Windows1() {
  auto& sys = main_.System();
  main_.SetMousePointer(forms::MousePointer::Hourglass);
  const bool bootWritten = AutoScan1();
  if (windows_.MayWrite("SmoothScroll", main_)) {
    const bool on = main_.Get<CheckBox>("SmoothScroll").Value() == 1;
    sys.reg.SaveBinaryValue(HkeyCurrentUser, kDesktop, "SmoothScroll",
                            on ? Bytes{1, 0, 0, 0} : Bytes{0, 0, 0, 0});
  }
  if (windows_.MayWrite("ShowWindCont", main_))
    sys.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "DragFullWindows",
                            main_.Get<CheckBox>("ShowWindCont").Value() == 1 ? "1" : "0");
  if (windows_.MayWrite("Sli", main_))
    sys.reg.SaveStringValue(HkeyCurrentUser, kDesktop, "MenuShowDelay",
                            std::to_string(main_.Get<forms::Slider>("Sli").Value()));
  main_.SetMousePointer(forms::MousePointer::Default);
  if (!bootWritten)
    sys.toolkit.MsgBox(std::string(BootFailed), "Velmaro", forms::mb::Ok | forms::mb::IconExclamation);
}

// ---- Misc. tweaks ----

void Catalogue::LoadMisc() {
  auto& sys = main_.System();
  auto& folders = main_.Get<forms::DropDownList>("Combo2");
  // Choosing the entry shows its path through Combo2's Click; when it is
  // already chosen, nothing is raised and the path is read here.
  if (folders.ListIndex() == 0)
    ShowFolderPath();
  else
    folders.SetListIndex(0);
  misc_.LoadRow(kBeep, main_, sys.reg);
  misc_.LoadRow(kNoSplash, main_, sys.reg);

  auto& title = main_.Get<TextBox>("Text11");
  auto& box = main_.Get<CheckBox>("ExpressTitle");
  title.SetText("");
  box.SetValue(0);
  const std::string stored =
      sys.reg.GetStringValue(HkeyCurrentUser, kOutlookExpress, "WindowTitle", "NoTitle123");
  if (stored != "NoTitle123") {
    box.SetValue(1);
    title.SetText(stored);
  }
  title.SetEnabled(box.Value() != 0);
  main_.Get("Label13").SetEnabled(box.Value() != 0);
  misc_.LoadRow(kSourcePath, main_, sys.reg);
}

void Catalogue::OnExpressTitleClick() {
  const bool on = main_.Get<CheckBox>("ExpressTitle").Value() == 1;
  main_.Get("Text11").SetEnabled(on);
  main_.Get("Label13").SetEnabled(on);
}

void Catalogue::Miscell() {
  auto& sys = main_.System();
  misc_.ApplyRow(kBeep, main_, sys.reg);
  misc_.ApplyRow(kNoSplash, main_, sys.reg);
  if (main_.Get<CheckBox>("ExpressTitle").Value() == 1)
    SaveTyped(HkeyCurrentUser, kOutlookExpress, "WindowTitle", "Text11");
  else
    sys.reg.DeleteValue(HkeyCurrentUser, kOutlookExpress, "WindowTitle");
  if (!misc_.ApplyRow(kSourcePath, main_, sys.reg)) NoteUnsaved({"Text12"});
  ReportUnsaved();
}

void Catalogue::ShowFolderPath() {
  const std::string value =
      SpecialFolderValue(main_.Get<forms::DropDownList>("Combo2").Text());
  if (value.empty()) return;
  main_.Get<TextBox>("Text10").SetText(
      main_.System().reg.GetStringValue(HkeyCurrentUser, kShellFolders, value, ""));
}

void Catalogue::OnChangeFolder() {
  auto& sys = main_.System();
  const std::string entry = main_.Get<forms::DropDownList>("Combo2").Text();
  const std::string value = SpecialFolderValue(entry);
  if (value.empty()) return;
  if (!Storable(sys.reg, main_.Get<TextBox>("Text10").Text())) {
    NoteUnsaved({"Text10"});
    ReportUnsaved();
    return;
  }
  const std::string question = "Do you want to change the path of " + entry + " folder?" +
                               '\n' + "This may affect your system.";
  if (sys.toolkit.MsgBox(question, "Confirmation",
                         forms::mb::YesNo | forms::mb::IconExclamation) != forms::IdYes)
    return;
  sys.reg.SaveStringValue(HkeyCurrentUser, kShellFolders, value,
                          main_.Get<TextBox>("Text10").Text());
}

// ---- Explorer ----

void Catalogue::LoadExplorer() {
  auto& sys = main_.System();
  const std::string bitmap = sys.reg.GetStringValue(HkeyCurrentUser, kToolbar, "BackBitmap", "Def1");
  main_.Get<TextBox>("Text2").SetText(bitmap == "Def1" ? "" : bitmap);

  if (WholeNumber(sys.store.Read(settings::Chack, "0")) == 1) {
    const std::string title = sys.reg.GetStringValue(HkeyLocalMachine, kIeMain, "Window Title", "Def2");
    main_.Get<TextBox>("Text3").SetText(title == "Def2" ? "" : title);
    main_.Get<CheckBox>("Check1").SetValue(1);
  }

  // Drive 0 decides unless its first byte is 0; then drive 1 does, and an
  // absent drive 1 reads as 0.
  std::uint8_t autoRun =
      sys.reg.GetBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive0").FirstByte();
  if (autoRun == 0)
    autoRun = sys.reg.GetBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive1")
                  .FirstByte();
  const BoxState s = BoxStateOf(autoRun);
  main_.Get<CheckBox>("AutoRun").SetValue(s.state);
  explorer_.NoteShown("AutoRun", main_, s.faithful);

  explorer_.Load(main_, sys.reg);
  main_.SetMousePointer(forms::MousePointer::Default);
}

void Catalogue::OnCheck1Click() {
  const int state = main_.Get<CheckBox>("Check1").Value();
  main_.Get("Label7").SetEnabled(state != 0);
  main_.Get("Text3").SetEnabled(state != 0);
  if (state == 1 && main_.TitleArmed) main_.Get("Text3").SetFocus();
  main_.TitleArmed = true;
}

void Catalogue::OnBrowseBitmap() {
  forms::FileDialogRequest request;
  request.title = "Select bitmap for the toolbar of I.E.";
  request.filter =
      "Graphic Files(*.bmp;*.jpg;*.jpe;*.rle;*.tga;*.gif)|*.bmp;*.jpg;*.jpe;*.rle;*.tga;*.gif|";
  request.flags = 530436;
  const auto result = main_.System().toolkit.OpenFile(request);
  // A cancelled dialog leaves the box as it was.
  if (result.ok) main_.Get<TextBox>("Text2").SetText(result.fileName);
}

void Catalogue::Explorer12() {
  auto& sys = main_.System();
  main_.SetMousePointer(forms::MousePointer::Hourglass);
  const std::string bitmap = main_.Get<TextBox>("Text2").Text();
  if (bitmap.empty())
    sys.reg.DeleteValue(HkeyCurrentUser, kToolbar, "BackBitmap");
  else
    SaveTyped(HkeyCurrentUser, kToolbar, "BackBitmap", "Text2");

  const int title = main_.Get<CheckBox>("Check1").Value();
  if (title == 1)
    SaveTyped(HkeyLocalMachine, kIeMain, "Window Title", "Text3");
  else
    sys.reg.DeleteValue(HkeyLocalMachine, kIeMain, "Window Title");
  sys.store.Write(settings::Chack, std::to_string(title));

  if (explorer_.MayWrite("AutoRun", main_)) {
    const Bytes bytes{static_cast<std::uint8_t>(main_.Get<CheckBox>("AutoRun").Value()), 0, 0};
    sys.reg.SaveBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive0", bytes);
    sys.reg.SaveBinaryValue(HkeyLocalMachine, kCdRom, "AutoInsertNotificationDrive1", bytes);
  }
  explorer_.Apply(main_, sys.reg);
  main_.SetMousePointer(forms::MousePointer::Default);
  ReportUnsaved();
}

// ---- More Explorer tweaks ----

void Catalogue::LoadMoreExplorer() {
  auto& sys = main_.System();
  const std::string bpp = sys.reg.GetStringValue(HkeyCurrentUser, kWindowMetrics, "Shell Icon BPP", "50");
  if (bpp != "50") {
    main_.Get<CheckBox>("Hicolor").SetValue(1);
    main_.Get<forms::DropDownList>("Card").SetListIndex(bpp == "16" ? 0 : 1);
  }
  const bool faithful = bpp == "50" || bpp == "16" || bpp == "24";
  moreExplorer_.NoteShown("Hicolor", main_, faithful);
  moreExplorer_.NoteShown("Card", main_, faithful);

  const std::string cls = sys.reg.GetStringValue(HkeyClassesRoot, ".bmp", "", "");
  const std::string icon =
      cls.empty() ? std::string()
                  : sys.reg.GetStringValue(HkeyClassesRoot, cls + "\\DefaultIcon", "", "");
  main_.Get<CheckBox>("BmpTh").SetValue(!cls.empty() && icon == "%1" ? 1 : 0);
}

void Catalogue::LoadTail() {
  main_.BmpThState = main_.Get<CheckBox>("BmpTh").Value() == 1;
  for (const Verb* verb : {&kNotepad, &kPrompt}) {
    bool all = true;
    for (const auto key : verb->shownBy)
      if (!key.empty()) all = all && KeyExists(key);
    main_.Get<CheckBox>(verb->control).SetValue(all ? 1 : 0);
    // A verb key that exists without the rest is not what the box shows:
    // an apply leaves it alone unless the user ticks or clears the box.
    moreExplorer_.NoteShown(verb->control, main_, all || !KeyExists(verb->verbKey));
  }
  if (KeyExists("*\\QuickView")) main_.Get<CheckBox>("QuickView").SetValue(1);
  const bool verbThere = KeyExists("*\\shell\\QuickView");
  moreExplorer_.NoteShown("QuickView", main_,
                          (main_.Get<CheckBox>("QuickView").Value() == 1) == verbThere);
}

void Catalogue::More_Exp() {
  auto& sys = main_.System();
  if (moreExplorer_.MayWrite("Hicolor", main_) || moreExplorer_.MayWrite("Card", main_)) {
    if (main_.Get<CheckBox>("Hicolor").Value() == 1)
      sys.reg.SaveStringValue(
          HkeyCurrentUser, kWindowMetrics, "Shell Icon BPP",
          main_.Get<forms::DropDownList>("Card").Text() == "16-Bit Card" ? "16" : "24");
    else
      sys.reg.DeleteValue(HkeyCurrentUser, kWindowMetrics, "Shell Icon BPP");
  }

  for (const Verb* verb : {&kNotepad, &kPrompt}) {
    if (!moreExplorer_.MayWrite(verb->control, main_)) continue;
    if (main_.Get<CheckBox>(verb->control).Value() == 1) {
      const std::string command = std::string(verb->verbKey) + "\\command";
      sys.reg.CreateKey(HkeyClassesRoot, command);
      sys.reg.SaveStringValue(HkeyClassesRoot, verb->verbKey, "", verb->label);
      sys.reg.SaveStringValue(HkeyClassesRoot, command, "",
                              verb == &kNotepad ? "notepad.exe %1" : "command.com /k cd %1");
    } else {
      sys.reg.DeleteKey(HkeyClassesRoot, verb->verbKey);
    }
  }

  if (moreExplorer_.MayWrite("QuickView", main_)) {
    if (main_.Get<CheckBox>("QuickView").Value() == 1) {
      std::string system;
      sys.files.SystemDirectory(system);
      sys.reg.CreateKey(HkeyClassesRoot, "*\\shell\\QuickView\\command");
      sys.reg.SaveStringValue(HkeyClassesRoot, "*\\shell\\QuickView", "", "&Quick View");
      sys.reg.SaveStringValue(HkeyClassesRoot, "*\\shell\\QuickView\\command", "",
                              system + "\\viewers\\quikview.exe %1");
    } else {
      sys.reg.DeleteKey(HkeyClassesRoot, "*\\shell\\QuickView");
    }
  }
  ApplyThumbnails();
}

void Catalogue::ApplyThumbnails() {
  auto& sys = main_.System();
  const bool on = main_.Get<CheckBox>("BmpTh").Value() == 1;
  if (on == main_.BmpThState) return;
  const std::string cls = sys.reg.GetStringValue(HkeyClassesRoot, ".bmp", "", "");
  // Without a bitmap class there is no icon to change: writing would land on
  // a key of its own called "\DefaultIcon".
  if (cls.empty()) return;
  const std::string iconKey = cls + "\\DefaultIcon";
  if (on) {
    const std::string old = sys.reg.GetStringValue(HkeyClassesRoot, iconKey, "", "");
    // "%1" is thumbnails already: saving it would lose the icon to put back.
    if (old != "%1") sys.store.Write(settings::BmpIcon, old);
    sys.reg.SaveStringValue(HkeyClassesRoot, iconKey, "", "%1");
  } else {
    sys.reg.SaveStringValue(HkeyClassesRoot, iconKey, "", sys.store.Read(settings::BmpIcon, ""));
  }
  // The icon now matches the box: a second apply without a reload must not
  // run this again.
  main_.BmpThState = on;
}

// ---- Start Menu and General ----

void Catalogue::LoadStartMenu() { startMenu_.Load(main_, main_.System().reg); }

void Catalogue::StartMenu1() {
  main_.SetMousePointer(forms::MousePointer::Hourglass);
  startMenu_.Apply(main_, main_.System().reg);
  main_.SetMousePointer(forms::MousePointer::Default);
}

void Catalogue::LoadGeneral() { general_.Load(main_, main_.System().reg); }

void Catalogue::General1() {
  main_.SetMousePointer(forms::MousePointer::Hourglass);
  NoteUnsaved(general_.Apply(main_, main_.System().reg));
  main_.SetMousePointer(forms::MousePointer::Default);
  ReportUnsaved();
}

}  // namespace velmaro::console
