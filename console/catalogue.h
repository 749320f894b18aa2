#pragma once
// The switch-tweak categories of the main window: Windows, Misc. tweaks,
// Explorer, More Explorer tweaks, Start Menu and General. Their controls are
// added to the main window's design; their loads, appliers and small handlers
// are attached to the window here.
#include <string>
#include <vector>

#include "console/switch_tweaks.h"
#include "platform/forms/form_design.h"

namespace velmaro::console {

class Tweaker;

class Catalogue {
public:
  // Adds every control of the six panels to the main window's design, inside
  // the frames `Fram(0..9)` that the design already holds.
  static void AddControls(forms::FormSpec& spec);

  explicit Catalogue(Tweaker& main);

  // The appliers, by the names the Apply dispatch knows them under.
  void Windows1();
  void Miscell();
  void Explorer12();
  void More_Exp();
  void StartMenu1();
  void General1();
  // The boot options part of Windows1; false when the boot file was left as
  // it was.
  bool AutoScan1();

  // The loader's shared tail: run after every category's load.
  void LoadTail();

  static constexpr std::string_view BootFailed =
      "The boot options could not be written to c:\\msdos.sys. The file was left as it was.";
  static constexpr std::string_view NotStorable =
      "These entries were not saved, because Windows cannot store some of their characters:";

private:
  void LoadWindows();
  void LoadMisc();
  void LoadExplorer();
  void LoadMoreExplorer();
  void LoadStartMenu();
  void LoadGeneral();

  void OnCheck1Click();
  void OnBrowseBitmap();
  void OnExpressTitleClick();
  void ShowFolderPath();
  void OnChangeFolder();
  void ApplyThumbnails();
  bool KeyExists(std::string_view path) const;
  // Writes a text box's text, or notes it as unsaved when the ANSI code page
  // cannot hold it.
  void SaveTyped(platform::HKey root, std::string_view key, std::string_view value,
                 std::string_view control);
  void NoteUnsaved(const std::vector<std::string>& controls);
  // Tells the user which entries an apply could not save, if any.
  void ReportUnsaved();

  Tweaker& main_;
  std::vector<std::string> unsaved_;  // descriptions, in the order met
  SwitchTable windows_, misc_, explorer_, moreExplorer_, startMenu_, general_;
};

// The registry value that holds a special folder's path, for an entry of
// `Combo2`; empty for text that is no entry.
std::string SpecialFolderValue(std::string_view entry);

}  // namespace velmaro::console
