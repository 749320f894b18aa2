#include "console/icon_picker.h"

#include <algorithm>

#include "console/resource_ids.h"

namespace velmaro::console {

using namespace forms::design;
using forms::Event;
using forms::EventArgs;

namespace {

constexpr int kCell = 48;  // pixels from one icon to the next
constexpr int kGridX = 16, kGridY = 86;
constexpr int kMarkMargin = 4;  // the mark's border around the chosen icon
constexpr int kRedraw = -2;     // no page drawn from the file named now

forms::Rect CellOf(int i) {
  return {kGridX + (i % IconPicker::Columns) * kCell, kGridY + (i / IconPicker::Columns) * kCell,
          32, 32};
}

// The folder of a path, for the file dialog to open in.
std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

forms::FormSpec IconPicker::Design() {
  forms::FormSpec f("IconPicker", "Change Icon", 412, 304, forms::BorderStyle::FixedDialog);
  f.icon = VELMARO_IDI_APP;
  f.Add(Label("Label1", "Look for icons in this file :", {12, 12, 388, 16}));
  f.Add(TextBox("Text1", "", {12, 30, 292, 22}));
  f.Add(Button("Browse", "&Browse...", {312, 29, 88, 24}));
  f.Add(Label("Label2", "Select an icon from the list below :", {12, 62, 388, 16}));
  for (int i = 0; i < PageSize; ++i) f.Add(Picture("Icon", 0, CellOf(i)).At(i));
  // Behind the icons, so that only its edge shows around the chosen one.
  f.Add(Label("Mark", "", {0, 0, 32 + 2 * kMarkMargin, 32 + 2 * kMarkMargin})
            .Bordered()
            .Hidden());
  f.Add(Slider("Choice", 0, 0, {12, 232, 220, 28})
            .Changes(1, PageSize)
            .Ticks(forms::TickStyle::None));
  f.Add(Label("Shown", "", {240, 238, 160, 16}));
  f.Add(Button("Command3", "What's this?", {12, 268, 88, 26}));
  f.Add(Button("OK", "OK", {224, 268, 84, 26}).Default());
  f.Add(Button("Cancel", "Cancel", {316, 268, 84, 26}).Cancel());
  return f;
}

IconPicker::IconPicker(ConsoleSystem& system) : Form(Design()), system_(system) {
  On(Event::Load, [this](EventArgs&) { OnLoad(); });
  On(Event::Change, "Text1", [this](EventArgs&) { OnFileChanged(); });
  OnClick("Browse", [this] { OnBrowse(); });
  On(Event::Click, "Icon", [this](EventArgs& e) { Select(page_ * PageSize + e.Index()); });
  On(Event::DblClick, "Icon", [this](EventArgs& e) {
    Select(page_ * PageSize + e.Index());
    Finish(true);
  });
  On(Event::Change, "Choice",
     [this](EventArgs&) { Select(Get<forms::Slider>("Choice").Value()); });
  OnClick("Command3", [this] { system_.toolkit.EnterWhatsThisMode(*this); });
  OnClick("OK", [this] { Finish(true); });
  OnClick("Cancel", [this] { Finish(false); });
  SetHelpProvider([this](const forms::Control& c) {
    return system_.help.Find(Name(), c.Name(), c.Index());
  });
}

platform::IconPick IconPicker::Pick(std::string& file, int& index) {
  startFile_ = file;
  startIndex_ = index;
  chosen_ = false;
  system_.toolkit.ShowModal(*this);
  if (!chosen_) return platform::IconPick::Cancelled;
  file = chosenFile_;
  index = chosenIndex_;
  return platform::IconPick::Chosen;
}

void IconPicker::OnLoad() {
  auto& text = Get<forms::TextBox>("Text1");
  if (text.Text() == startFile_)
    OnFileChanged();
  else
    text.SetText(startFile_);
  if (count_ > 0) Select(std::clamp(startIndex_, 0, count_ - 1));
}

void IconPicker::OnFileChanged() {
  count_ = system_.desktop.IconCount(Get<forms::TextBox>("Text1").Text());
  auto& choice = Get<forms::Slider>("Choice");
  choice.SetRange(0, std::max(count_ - 1, 0));
  choice.SetEnabled(count_ > 1);
  Get<forms::Button>("OK").SetEnabled(count_ > 0);
  page_ = kRedraw;
  selected_ = -1;
  Select(0);
}

void IconPicker::Select(int n) {
  auto& shown = Get<forms::Label>("Shown");
  auto& mark = Get<forms::Label>("Mark");
  if (count_ <= 0) {
    ShowPage(-1);
    mark.SetVisible(false);
    shown.SetCaption(std::string(NoIcons));
    selected_ = 0;
    return;
  }
  n = std::clamp(n, 0, count_ - 1);
  if (n == selected_ && page_ == n / PageSize) return;
  selected_ = n;
  ShowPage(n / PageSize);
  const forms::Rect cell = CellOf(n % PageSize);
  mark.Move({cell.x - kMarkMargin, cell.y - kMarkMargin, cell.width + 2 * kMarkMargin,
             cell.height + 2 * kMarkMargin});
  mark.SetVisible(true);
  shown.SetCaption("Icon " + std::to_string(n + 1) + " of " + std::to_string(count_));
  // Moves the slider along; its Change comes back here and finds nothing to do.
  Get<forms::Slider>("Choice").SetValue(n);
}

void IconPicker::ShowPage(int page) {
  if (page == page_) return;
  page_ = page;
  const std::string& file = Get<forms::TextBox>("Text1").Text();
  for (int i = 0; i < PageSize; ++i) {
    auto& icon = Get<forms::Picture>("Icon", i);
    const int n = page * PageSize + i;
    const bool there = page >= 0 && n < count_;
    if (there)
      icon.SetIcon(file, n);
    else
      icon.Clear();
    icon.SetVisible(there);
  }
}

void IconPicker::OnBrowse() {
  const std::string current = Get<forms::TextBox>("Text1").Text();
  forms::FileDialogRequest request;
  request.title = "Look for icons in";
  request.filter = "Files with icons (*.ico;*.exe;*.dll)|*.ico;*.exe;*.dll|All files (*.*)|*.*|";
  request.flags = forms::ofn::Explorer | forms::ofn::FileMustExist | forms::ofn::PathMustExist |
                  forms::ofn::HideReadOnly;
  request.initialDir = FolderOf(current);
  const forms::FileDialogResult r = system_.toolkit.OpenFile(request);
  if (r.ok) Get<forms::TextBox>("Text1").SetText(r.fileName);
}

void IconPicker::Finish(bool chosen) {
  if (chosen && count_ <= 0) return;
  chosen_ = chosen;
  // Taken now: the controls return to their design when the form unloads.
  chosenFile_ = Get<forms::TextBox>("Text1").Text();
  chosenIndex_ = selected_;
  system_.toolkit.Unload(*this);
}

}  // namespace velmaro::console
