#pragma once
// Wizard: Setup's one window. Six pages in the same place (welcome, read-me,
// install folder, shortcut folder, installing, finished) and three buttons
// below them. The page shown is the last character of the title; each
// handler reads it from there.
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/form.h"
#include "setup/setup_system.h"

namespace velmaro::setup {

class Wizard : public forms::Form {
public:
  explicit Wizard(SetupSystem& system);
  static forms::FormSpec Design();

  // The page shown, 1 to 6, from the title's last character (0 if none).
  int Page() const;

  // Copies the files, makes the shortcuts, stores the settings and enters the
  // program in the system's list of installed programs, showing each step on
  // page 5. Nothing that fails stops it; what failed is kept in Problems().
  void DoInstalling();
  const std::vector<std::string>& Problems() const { return problems_; }
  // Whether the run left the console in the install folder to be started.
  bool ConsoleInstalled() const { return consoleInstalled_; }

  // The wizard's fields: recorded when the user leaves pages 3 and 4.
  std::string InstallFolder;   // as the folder tree spells it; DoInstalling adds a backslash
  std::string ProgramsFolder;  // the current user's Programs menu folder
  std::string ShortcutFolder;

  static constexpr std::string_view HomePage = "http://www.velmaro.example/";
  static constexpr std::string_view Contact = "support@velmaro.example";
  static constexpr std::string_view ExitQuestion =
      "Do you want to exit the setup without installing Velmaro 1.0 ?";

private:
  void OnNext();
  void OnBack();
  void OnQueryUnload(forms::EventArgs& e);
  void OnTimer();
  void OnInstallTreeChange();
  void OnDriveChange();
  void OnShortcutTreeChange();

  void ShowPage(int page);
  bool LeaveInstallFolderPage();
  bool PrepareShortcutPage();
  void LeaveShortcutPage();
  void Finish();
  bool RegisterUninstall();
  void ShowInstallFolder(const std::string& treePath);
  void Open(std::string_view target);

  SetupSystem& system_;
  std::vector<std::string> problems_;
  bool consoleInstalled_ = false;
};

}  // namespace velmaro::setup
