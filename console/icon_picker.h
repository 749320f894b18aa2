#pragma once
// IconPicker: our own icon picker, shown where the system's is unavailable
// (Wine's returns at once). It shows the icons of a file a page at a time,
// lets the user choose one by a click, by the slider or by a double-click,
// and choose another file through the file dialog. Its result is the
// system picker's: the file and the icon's index, or a cancel.
#include "console/console_system.h"
#include "platform/forms/form.h"

namespace velmaro::console {

class IconPicker : public forms::Form {
public:
  explicit IconPicker(ConsoleSystem& system);
  static forms::FormSpec Design();

  // Shows the picker modally at `file` and `index`. Chosen: both hold the
  // user's choice; Cancelled: neither changes.
  platform::IconPick Pick(std::string& file, int& index);

  static constexpr int Columns = 8;
  static constexpr int Rows = 3;
  static constexpr int PageSize = Columns * Rows;  // icons shown at a time
  static constexpr std::string_view NoIcons = "This file holds no icons.";

private:
  void OnLoad();
  void OnFileChanged();
  void OnBrowse();
  // Makes icon `n` of the file the chosen one and brings its page into view.
  void Select(int n);
  void ShowPage(int page);
  void Finish(bool chosen);

  ConsoleSystem& system_;
  std::string startFile_;
  int startIndex_ = 0;
  int count_ = 0;     // icons in the file named in Text1
  int selected_ = 0;  // the chosen icon's index
  int page_ = -1;     // the page shown, -1 for none
  bool chosen_ = false;
  std::string chosenFile_;
  int chosenIndex_ = 0;
};

}  // namespace velmaro::console
