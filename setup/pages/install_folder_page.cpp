// Page 3: the install folder, chosen in a drive chooser and a folder tree or
// typed. Leaving it checks the folder: moving the tree there is the test that
// it exists, and a missing one is offered to be made.
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

constexpr std::string_view kCopyTarget = "The files given below will be copied to '";

void Layout(PageDesign& page) {
  page.Add(Label("Label1",
                 "Select the folder to which the Velmaro 1.0 utility should be installed : ",
                 {Left, 16, Inner, 30})
               .At(2));
  page.Add(DriveChooser("DriveCopy", {Left, 50, 220, 22}));
  page.Add(FolderTree("DirCopy", {Left, 76, Inner, 138}));
  page.Add(TextBox("TextCopy", "C:\\Velmaro", {Left, 220, Inner, 22}));
  page.Add(
      Label("Label2", std::string(kCopyTarget) + "C:\\Velmaro' :", {Left, 248, Inner, 30}).At(1));
  page.Add(Label("Label3", "1. Velmaro.exe", {Left + 16, 282, 200, 16}).At(1));
  page.Add(Label("Label4", "2. Velmaro.dll", {Left + 16, 298, 200, 16}).At(0));
  page.Add(Label("Label5", "3. Velmaro.hlp", {Left + 16, 314, 200, 16}));
  page.Add(Label("Label6", "4. ReadMe.txt", {Left + 16, 330, 200, 16}));
  page.Add(Label("Label8", "5. Uninstall.exe", {Left + 16, 346, 200, 16}));
}

class InstallFolder final : public WizardPage {
public:
  explicit InstallFolder(Wizard& wizard)
      : wizard_(wizard),
        system_(wizard.System()),
        DriveCopy(wizard.Get<forms::DriveChooser>("DriveCopy")),
        DirCopy(wizard.Get<forms::FolderTree>("DirCopy")),
        TextCopy(wizard.Get<forms::TextBox>("TextCopy")),
        Label2(wizard.Get<forms::Label>("Label2", 1)) {
    DriveCopy.Bind(system_.folders);
    DirCopy.Bind(system_.folders);
    wizard.On(Event::Change, DirCopy.Name(),
              [this](EventArgs&) { ShowInstallFolder(DirCopy.Path()); });
    wizard.On(Event::Change, DriveCopy.Name(), [this](EventArgs&) { OnDriveChange(); });
  }

  // From page 2 the tree starts at the root of drive C, and the chooser follows it.
  bool Arrive() override {
    try {
      DirCopy.SetPath("c:\\");
      DriveCopy.SetDrive(DirCopy.Path());
    } catch (const ControlError&) {
      // No drive C: the tree stays where it is.
    }
    return true;
  }
  void Shown() override { TextCopy.SetFocus(); }
  bool Leave() override;

private:
  void ShowInstallFolder(const std::string& treePath);
  void OnDriveChange();

  Wizard& wizard_;
  SetupSystem& system_;
  forms::DriveChooser& DriveCopy;
  forms::FolderTree& DirCopy;
  forms::TextBox& TextCopy;
  forms::Label& Label2;  // the target line
};

// The tree's own handler then shows that folder + "\Velmaro" in the box, so
// that coming back to this page offers a folder inside the chosen one.
bool InstallFolder::Leave() {
  if (RefusedForCodePage(system_, TextCopy.Text(), "install folder", "Error")) return false;
  for (;;) {
    std::string failure;
    int number = 0;
    try {
      wizard_.InstallFolder = TextCopy.Text();
      DirCopy.SetPath(TextCopy.Text());
      // As the tree spells it: no doubled or trailing backslash, letters as on disk.
      wizard_.InstallFolder = DirCopy.Path();
      return true;
    } catch (const ControlError& e) {
      number = e.Number();
      failure = e.what();
    }
    if (number != forms::ErrPathNotFound) {
      system_.toolkit.MsgBox(failure, "Error", mb::Ok | mb::IconStop);
      return false;
    }
    const std::string folder = TextCopy.Text();
    // Said as it is, not as a folder to be made that then cannot be.
    if (system_.files.IsFile(folder)) {
      system_.toolkit.MsgBox(
          folder + " is a file, not a folder. Choose another name for the install folder.", "Error",
          mb::Ok | mb::IconStop);
      return false;
    }
    if (system_.toolkit.MsgBox(folder + " does'nt exist.\rDo you want to create the folder ?",
                               "Create folder", mb::YesNo | mb::IconQuestion) != forms::IdYes)
      return false;
    if (system_.files.CreateDir(folder) != platform::ErrorSuccess) {
      system_.toolkit.MsgBox(folder + " folder cannot be created.", "Failed to create",
                             mb::Ok | mb::IconStop);
      return false;
    }
    wizard_.State().madeInstallFolder = folder;
  }
}

void InstallFolder::ShowInstallFolder(const std::string& treePath) {
  TextCopy.SetText(treePath.size() == 3 ? treePath + "Velmaro" : treePath + "\\Velmaro");
  Label2.SetCaption(std::string(kCopyTarget) + TextCopy.Text() + "' :");
}

void InstallFolder::OnDriveChange() {
  try {
    DirCopy.SetPath(DriveCopy.Drive());
    ShowInstallFolder(DirCopy.Path());
  } catch (const ControlError& e) {
    if (e.Number() != forms::ErrDeviceUnavailable) return;
    system_.toolkit.MsgBox("The selected drive is not available.", "Unavailable",
                           mb::Ok | mb::IconStop);
    // Back to the drive of the install folder last shown: the root that the
    // target line names right after its fixed 41-character beginning.
    const std::string line = Label2.Caption();
    try {
      DriveCopy.SetDrive(line.size() > kCopyTarget.size() ? line.substr(kCopyTarget.size(), 3)
                                                          : "c:");
    } catch (const ControlError&) {
      // That drive has gone from the list too: the chooser stays.
    }
  }
}

}  // namespace

const PageKind InstallFolderPage{&Layout, &MakePage<InstallFolder>};

}  // namespace velmaro::setup
