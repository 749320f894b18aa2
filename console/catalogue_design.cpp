// The controls of the six switch-tweak panels, placed inside their frames.
// Positions are relative to the frame; captions are the system's own texts.
#include "console/catalogue.h"

namespace velmaro::console {

using namespace forms::design;

namespace {

constexpr int kLeft = 16;
constexpr int kWide = 540;  // a full-width row inside a panel
constexpr int kRow = 26;    // one check box row

void Windows(forms::FormSpec& f) {
  const auto in = [](forms::ControlSpec c) { return c.In("Fram", 0); };
  f.Add(in(CheckBox("SmoothScroll",
                    "Enable Windows smooth scrolling (Change will take place the next time you "
                    "Login)",
                    {kLeft, 28, kWide, 20})));
  f.Add(in(CheckBox("ShowWindCont",
                    "Show window contents while dragging (Change will take place the next time "
                    "you Login)",
                    {kLeft, 28 + kRow, kWide, 20})));
  f.Add(in(Label("MenuDelay", "Menu Delay time (in milliseconds) :", {kLeft, 94, 300, 16})));
  f.Add(in(Slider("Sli", 0, 999, {kLeft, 112, 420, 30})
               .Changes(1, 5)
               .Ticks(forms::TickStyle::None)));
  f.Add(in(CheckBox("AutoScan", "Auto Scan at startup", {kLeft, 166, 300, 20})));
  f.Add(in(CheckBox("DisSpl", "Disable Windows splash screen while startup",
                    {kLeft, 166 + kRow, 400, 20})));
  f.Add(in(Label("Label5", "Boot delay time(in seconds) : 2", {kLeft, 230, 300, 16})));
  f.Add(in(Slider("DelaySl", 0, 5, {kLeft, 248, 200, 36})
               .Changes(1, 2)
               .Ticks(forms::TickStyle::BottomRight, 1)
               .Value(2)));
  f.Add(in(TextBox("Text1", "Text1", {kLeft, 300, 100, 20}).Hidden()));
}

void Misc(forms::FormSpec& f) {
  const auto in = [](forms::ControlSpec c) { return c.In("Fram", 1); };
  f.Add(in(CheckBox("PCSound", "Disable PC speakers beeping on an error", {kLeft, 28, kWide, 20})));
  f.Add(in(Label("Label12", "Outlook Express 4.0 :", {kLeft, 62, 300, 16})));
  f.Add(in(CheckBox("SplashOut", "Don't show splash screen of Outlook Express at startup",
                    {kLeft + 16, 82, kWide - 16, 20})));
  f.Add(in(CheckBox("ExpressTitle", "Change Outlook Express window title",
                    {kLeft + 16, 82 + kRow, kWide - 16, 20})));
  f.Add(in(Label("Label13", "New title :", {kLeft + 36, 141, 70, 16}).Disabled()));
  f.Add(in(TextBox("Text11", "", {kLeft + 110, 138, kWide - 110, 22}).Disabled()));
  f.Add(in(Label("Label14", "Location of Win 95's installation files :", {kLeft, 176, 400, 16})));
  f.Add(in(TextBox("Text12", "", {kLeft, 194, kWide, 22})));
  f.Add(in(Frame("Frame7", "Special folders", {kLeft, 230, kWide, 112})));
  const auto box = [](forms::ControlSpec c) { return c.In("Frame7"); };
  f.Add(box(Label("Label17", "Folder :", {12, 26, 90, 16})));
  f.Add(box(DropDownList("Combo2",
                         {"Desktop", "Start Menu", "Fonts", "Temporary Internet files", "History",
                          "Favorites", "Startup", "Recent", "Send To"},
                         {106, 22, 220, 200})));
  f.Add(box(Label("Label18", "Current path :", {12, 56, 90, 16})));
  f.Add(box(TextBox("Text10", "", {106, 52, kWide - 118, 22})));
  f.Add(box(Button("Change_folder", "Change the path...", {kWide - 12 - 140, 80, 140, 26})));
}

void Explorer(forms::FormSpec& f) {
  const auto in = [](forms::ControlSpec c) { return c.In("Fram", 3); };
  f.Add(in(Label("Label6", "Show bitmap on the toolbar of Microsoft Internet Explorer :",
                 {kLeft, 28, kWide, 16})));
  f.Add(in(TextBox("Text2", "", {kLeft, 46, kWide - 40, 22})));
  f.Add(in(Button("Command1", "...", {kLeft + kWide - 34, 46, 34, 22})));
  f.Add(in(CheckBox("Check1", "Change Internet Explorer window title", {kLeft, 82, kWide, 20})));
  f.Add(in(Label("Label7", "New title :", {kLeft + 20, 111, 70, 16}).Disabled()));
  f.Add(in(TextBox("Text3", "", {kLeft + 94, 108, kWide - 94, 22}).Disabled()));
  f.Add(in(Frame("Frame1", "Windows Interface", {kLeft, 144, kWide, 128})));
  const auto box = [](forms::ControlSpec c) { return c.In("Frame1"); };
  f.Add(box(CheckBox("AutoRun", "Enable Auto Run feature of CD-ROM", {12, 22, kWide - 24, 20})));
  f.Add(box(CheckBox("HideAll", "Hide all items on the desktop", {12, 22 + kRow, kWide - 24, 20})));
  f.Add(box(CheckBox("RemFile", "Remove 'File Menu' from Windows explorer",
                     {12, 22 + 2 * kRow, kWide - 24, 20})));
  f.Add(box(CheckBox("Prefix", "Show prefix 'Shortcut to' on new shortcut.",
                     {12, 22 + 3 * kRow, kWide - 24, 20})));
}

void MoreExplorer(forms::FormSpec& f) {
  const auto in = [](forms::ControlSpec c) { return c.In("Fram", 4); };
  f.Add(in(CheckBox("Hicolor", "Displaying Hi-Color Icons without the Plus Pack ",
                    {kLeft, 28, kWide, 20})));
  f.Add(in(Label("Label15", "You need a graphics card capable of displaying above 256 colors.",
                 {kLeft + 20, 54, kWide - 20, 16})));
  f.Add(in(Label("Label16", "Specify your card type :", {kLeft + 20, 80, 140, 16})));
  f.Add(in(DropDownList("Card", {"16-Bit Card", "24-Bit Card"}, {kLeft + 164, 76, 160, 120})));
  f.Add(in(CheckBox("NotPad1",
                    "Use Notpad to open any file by right clicking on it and selecting the option.",
                    {kLeft, 118, kWide, 20})));
  f.Add(in(CheckBox("CommandPrompt", "Add 'MS-DOS Prompt Here' to every folder",
                    {kLeft, 118 + kRow, kWide, 20})));
  f.Add(in(CheckBox("QuickView",
                    "Add the QuickView Option to All Files       (Quick View must be installed)",
                    {kLeft, 118 + 2 * kRow, kWide, 20})));
  f.Add(in(CheckBox("BmpTh", "Automatically View Thumbnails of Bitmap Files",
                    {kLeft, 118 + 3 * kRow, kWide, 20})));
}

void StartMenu(forms::FormSpec& f) {
  const auto in = [](forms::ControlSpec c) { return c.In("Fram", 5); };
  const char* rows[][2] = {
      {"ShowBanner", "Show the Start banner on the taskbar which appears just after startup."},
      {"HideLog", "Hide the 'Log Off' menu from the Start Menu"},
      {"HideRun", "Hide the 'Run' menu from the Start Menu"},
      {"HideFind", "Hide 'Find' menu from the Start Menu"},
      {"HideDoc", "Hide the 'Documents' menu from the Start Menu"},
      {"HideFav", "Hide the 'Favorites' menu from the Start Menu"},
  };
  int y = 28;
  for (const auto& row : rows) {
    f.Add(in(CheckBox(row[0], row[1], {kLeft, y, kWide, 20})));
    y += kRow;
  }
}

void General(forms::FormSpec& f) {
  const auto in = [](forms::ControlSpec c) { return c.In("Fram", 6); };
  f.Add(in(CheckBox("ResPass", "Restrict access to passwords in the Control Panel",
                    {kLeft, 28, kWide, 20})));
  f.Add(in(CheckBox("ResUser", "Restrict access to the user profiles in the Control Panel",
                    {kLeft, 28 + kRow, kWide, 20})));
  const int half = (kWide - 12) / 2;
  const struct {
    const char* frame;
    const char* caption;
    const char* text;
    int x, y;
  } boxes[] = {
      {"Frame3", "Default user name", "Text4", kLeft, 88},
      {"Frame4", "Default Company name", "Text5", kLeft + half + 12, 88},
      {"Frame5", "Registered Owner", "Text6", kLeft, 148},
      {"Frame6", "Registered Organization", "Text7", kLeft + half + 12, 148},
  };
  for (const auto& b : boxes) {
    f.Add(in(Frame(b.frame, b.caption, {b.x, b.y, half, 52})));
    f.Add(TextBox(b.text, "", {10, 20, half - 20, 22}).In(b.frame));
  }
  f.Add(in(CheckBox("LiveScroll", "Enable Live Scrolling in Microsoft Word 8.0",
                    {kLeft, 214, kWide, 20})));
}

}  // namespace

void Catalogue::AddControls(forms::FormSpec& spec) {
  Windows(spec);
  Misc(spec);
  Explorer(spec);
  MoreExplorer(spec);
  StartMenu(spec);
  General(spec);
}

}  // namespace velmaro::console
