#pragma once
// Wizard: Setup's one window. Six pages in the same place (welcome, read-me,
// install folder, shortcut folder, installing, finished) and three buttons
// below them. The page shown is kept in a member, not read back from the
// title.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/form.h"
#include "setup/install_run.h"
#include "setup/setup_system.h"

namespace velmaro::setup {

class Wizard : public forms::Form {
public:
  explicit Wizard(SetupSystem& system);
  static forms::FormSpec Design();

  // The page shown, 1 to 6.
  int Page() const { return page_; }

  // Copies the files, makes the shortcuts, stores the settings and enters the
  // program in the system's list of installed programs, showing each step on
  // page 5. Nothing that fails stops it; what failed is kept in Problems().
  void DoInstalling();
  const std::vector<std::string>& Problems() const { return problems_; }
  // Whether the run left the console in the install folder to be started.
  bool ConsoleInstalled() const { return consoleInstalled_; }

  // The wizard's fields: recorded when the user leaves pages 3 and 4.
  std::string InstallFolder;   // as the folder tree spells it (a root keeps its backslash)
  std::string ProgramsFolder;  // the current user's Programs menu folder
  std::string ShortcutFolder;

  static constexpr std::string_view HomePage = "http://www.velmaro.example/";
  static constexpr std::string_view Contact = "support@velmaro.example";
  static constexpr std::string_view InUseText = "Velmaro is running. Close it and choose Retry.";
  static constexpr std::string_view ExitQuestion =
      "Do you want to exit the setup without installing Velmaro 1.0 ?";

private:
  void OnLoad();
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
  bool AskAboutFilesInTheWay(InstallRun& run);
  // Tells, and is true, when the folder's name holds characters the code page lacks.
  bool RefusedForCodePage(const std::string& folder, std::string_view role, std::string_view title);
  void Finish();
  void ShowInstallFolder(const std::string& treePath);
  void Open(std::string_view target);

  SetupSystem& system_;
  int page_ = 1;
  std::string madeInstallFolder_;  // the user had Setup create it on page 3
  std::optional<InstallRun> run_;   // prepared when page 4 is left
  std::vector<std::string> problems_;
  bool consoleInstalled_ = false;
};

}  // namespace velmaro::setup
