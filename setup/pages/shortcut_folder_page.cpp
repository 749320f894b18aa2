// Page 4: the shortcut folder, below the current user's Programs menu folder.
// Leaving it prepares the installation run: the files in the way are asked
// about, and the folder is made (or used as it is, on a reinstall).
#include "platform/paths.h"
#include "setup/code_page.h"
#include "setup/pages.h"
#include "setup/wizard.h"

namespace velmaro::setup {
namespace {

using namespace forms::design;
using namespace page_grid;
using forms::ControlError;
using forms::Event;
using forms::EventArgs;
namespace mb = forms::mb;

constexpr std::string_view kShortcutTarget = "The shortcuts given below will be created in '";

void Layout(PageDesign& page) {
  page.Add(Label("Label1",
                 "Select the folder in which Velmaro 1.0 utility shortcuts should be created : ",
                 {Left, 16, Inner, 30})
               .At(3));
  page.Add(FolderTree("DirShortCut", {Left, 50, Inner, 190}));
  page.Add(TextBox("Text1", "Velmaro", {Left, 246, Inner, 22}));
  page.Add(Label("Label2", "", {Left, 274, Inner, 30}).At(2));
  page.Add(Label("Label3", "1. Shortcut to Velmaro.exe", {Left + 16, 310, 240, 16}).At(2));
  page.Add(Label("Label4", "2. Shortcut to ReadMe.txt", {Left + 16, 326, 240, 16}).At(1));
}

class ShortcutFolder final : public WizardPage {
public:
  explicit ShortcutFolder(Wizard& wizard)
      : wizard_(wizard),
        system_(wizard.System()),
        DirShortCut(wizard.Get<forms::FolderTree>("DirShortCut")),
        Text1(wizard.Get<forms::TextBox>("Text1")),
        Label2(wizard.Get<forms::Label>("Label2", 2)) {
    DirShortCut.Bind(system_.folders);
    wizard.On(Event::Change, DirShortCut.Name(), [this](EventArgs&) { OnTreeChange(); });
  }

  bool Arrive() override;
  void Shown() override { Text1.SetFocus(); }
  bool Leave() override;

private:
  void OnTreeChange();
  bool AskAboutFilesInTheWay(InstallRun& run);

  Wizard& wizard_;
  SetupSystem& system_;
  forms::FolderTree& DirShortCut;
  forms::TextBox& Text1;
  forms::Label& Label2;  // the target line
};

// The shortcuts go below the current user's Programs menu folder, wherever
// the system keeps it; the shell makes it when it is missing.
bool ShortcutFolder::Arrive() {
  std::string programs;
  const long rc = system_.shell.ProgramsFolder(programs, true);
  try {
    if (rc != platform::ErrorSuccess) throw ControlError(forms::ErrPathNotFound, "Path not found");
    wizard_.ProgramsFolder = system_.folders.Locate(programs);
    DirShortCut.SetPath(wizard_.ProgramsFolder);
    Label2.SetCaption(std::string(kShortcutTarget) + DirShortCut.Path() + "' :");
    return true;
  } catch (const ControlError&) {
    system_.toolkit.MsgBox("The Programs folder of the Start menu" +
                               (programs.empty() ? std::string() : " (" + programs + ")") +
                               " cannot be found, so Setup cannot make its shortcuts.",
                           "Error", mb::Ok | mb::IconStop);
    return false;
  }
}

bool ShortcutFolder::Leave() {
  const std::string& programs = wizard_.ProgramsFolder;
  const std::string name = Text1.Text();
  const std::string folder =
      platform::NormalPath(programs + (!name.empty() && name[0] == '\\' ? "" : "\\") + name);
  // A name with ".." could climb out; Uninstall removes shortcuts only inside.
  if (!platform::IsInside(folder, programs)) {
    system_.toolkit.MsgBox("The shortcut folder must lie inside " + programs + ".",
                           "Error creating folder", mb::Ok | mb::IconStop);
    return false;
  }
  if (RefusedForCodePage(system_, folder, "shortcut folder", "Error creating folder")) return false;
  auto& shared = wizard_.State();
  InstallRun& run = shared.run.emplace(system_);
  run.folder = wizard_.InstallFolder;
  run.shortcuts = folder;
  run.folderMade = platform::SamePath(wizard_.InstallFolder, shared.madeInstallFolder);
  run.Survey();
  if (!AskAboutFilesInTheWay(run)) {
    shared.run.reset();
    return false;
  }
  // A folder that is there already (a reinstall) is used as it is.
  const long rc = system_.files.CreateDir(folder);
  if (rc != platform::ErrorSuccess &&
      !(rc == platform::ErrorAlreadyExists && system_.files.IsDirectory(folder))) {
    system_.toolkit.MsgBox("The given folder cannot be created.", "Error creating folder",
                           mb::Ok | mb::IconStop);
    shared.run.reset();
    return false;
  }
  run.shortcutsMade = run.shortcutsMade || rc == platform::ErrorSuccess;
  wizard_.ShortcutFolder = folder;
  return true;
}

// A file Setup did not make is replaced only when the user says so; a file
// a running program holds is not replaced at all.
bool ShortcutFolder::AskAboutFilesInTheWay(InstallRun& run) {
  for (const std::string& name : run.Foreign()) {
    const std::string path = platform::JoinPath(run.folder, name);
    if (system_.toolkit.MsgBox(path + " is already there, and Setup did not install it.\r"
                                      "Do you want to replace it ? No keeps your file and installs "
                                      "the rest.",
                               "File already there",
                               mb::YesNo | mb::IconQuestion | mb::DefButton2) != forms::IdYes)
      run.Keep(name);
  }
  while (!run.InUse().empty())
    if (system_.toolkit.MsgBox(std::string(Wizard::InUseText), "Velmaro is running",
                               mb::RetryCancel | mb::IconExclamation) != forms::IdRetry)
      return false;
  return true;
}

// The user cannot leave the Programs menu folder and its subfolders.
void ShortcutFolder::OnTreeChange() {
  const std::string& programs = wizard_.ProgramsFolder;
  const std::string path = DirShortCut.Path();
  if (!platform::SamePath(path, programs) && !platform::IsInside(path, programs)) {
    try {
      DirShortCut.SetPath(programs);
    } catch (const ControlError&) {
      // The Programs folder has gone meanwhile; the message still says why.
    }
    system_.toolkit.MsgBox("Cannot go below " + programs + " directory.", "Navigation limitation",
                           mb::Ok | mb::IconExclamation);
    return;
  }
  std::string rest = path.substr(std::min(path.size(), programs.size()));
  if (!rest.empty() && rest.front() == '\\') rest.erase(0, 1);
  Text1.SetText(rest.empty() ? "\\Velmaro" : rest + "\\Velmaro");
  Label2.SetCaption(std::string(kShortcutTarget) + path + "' :");
}

}  // namespace

const PageKind ShortcutFolderPage{&Layout, &MakePage<ShortcutFolder>};

}  // namespace velmaro::setup
