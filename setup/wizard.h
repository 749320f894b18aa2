#pragma once
// Wizard: Setup's one window. Six pages in the same place (welcome, read-me,
// install folder, shortcut folder, installing, finished) and three buttons
// below them. Each page is a file of its own under setup/pages/, listed in the
// page table (setup/pages.h); the wizard shows them in turn and keeps the page
// shown in a member, not read back from the title.
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/form.h"
#include "setup/install_run.h"
#include "setup/page.h"
#include "setup/setup_system.h"

namespace velmaro::setup {

class Wizard : public forms::Form {
public:
  explicit Wizard(SetupSystem& system);
  static forms::FormSpec Design();

  // The page shown, 1 to 6.
  int Page() const { return page_; }

  // What the installation run on page 5 could not do, each in a sentence.
  const std::vector<std::string>& Problems() const { return shared_.problems; }
  // Whether the run left the console in the install folder to be started.
  bool ConsoleInstalled() const { return shared_.consoleInstalled; }

  SetupSystem& System() { return system_; }

  // The wizard's fields: recorded when the user leaves pages 3 and 4.
  std::string InstallFolder;   // as the folder tree spells it (a root keeps its backslash)
  std::string ProgramsFolder;  // the current user's Programs menu folder
  std::string ShortcutFolder;

  // What the pages hand on to each other besides the fields above.
  struct Shared {
    std::string madeInstallFolder;      // page 3 made it at the user's word
    std::optional<InstallRun> run;      // prepared as page 4 is left, carried out on page 5
    std::vector<std::string> problems;  // what the run could not do
    bool consoleInstalled = false;
  };
  Shared& State() { return shared_; }

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
  void ShowPage(int page);

  SetupSystem& system_;
  forms::Button& NextStep;
  forms::Button& Back;
  forms::Button& ExitSetup;
  std::array<forms::Frame*, 6> steps_{};
  std::array<std::unique_ptr<WizardPage>, 6> pages_{};
  Shared shared_;
  int page_ = 1;
};

}  // namespace velmaro::setup
