#include "setup/wizard.h"

#include "platform/paths.h"
#include "setup/code_page.h"
#include "setup/installation.h"
#include "setup/readme.h"
#include "setup/resource_ids.h"

namespace velmaro::setup {

using namespace forms::design;
using forms::ControlError;
using forms::Event;
using forms::EventArgs;
namespace mb = forms::mb;

namespace {

constexpr int kWidth = 560;
constexpr int kHeight = 436;
constexpr forms::Rect kPage{8, 4, kWidth - 16, 384};
constexpr forms::Rect kBanner{12, 18, 132, 356};
constexpr int kLeft = 156;   // where a page's own controls begin
constexpr int kRight = 532;  // and end
constexpr int kInner = kRight - kLeft;

constexpr std::string_view kTitle = "Velmaro setup - Step ";
constexpr std::string_view kCopyTarget = "The files given below will be copied to '";
constexpr std::string_view kShortcutTarget = "The shortcuts given below will be created in '";
constexpr std::string_view kNext = "&Next >>";

constexpr int kBannerOf[6] = {SETUP_IDB_WELCOME,    SETUP_IDB_README,     SETUP_IDB_FOLDER,
                              SETUP_IDB_SHORTCUTS,  SETUP_IDB_INSTALLING, SETUP_IDB_FINISHED};

std::string Title(int page) { return std::string(kTitle) + std::to_string(page); }

forms::ControlSpec OnPage(forms::ControlSpec c, int page) {
  return c.In("Step" + std::to_string(page));
}

}  // namespace

forms::FormSpec Wizard::Design() {
  forms::FormSpec f("Wizard", Title(1), kWidth, kHeight, forms::BorderStyle::FixedSingle);
  f.icon = SETUP_IDI_APP;
  for (int page = 1; page <= 6; ++page) {
    auto frame = Frame("Step" + std::to_string(page), "", kPage);
    f.Add(page == 1 ? frame : frame.Hidden());
    f.Add(OnPage(Picture("Picture1", kBannerOf[page - 1], kBanner).At(page - 1), page));
    switch (page) {
      case 1:
        f.Add(OnPage(Label("Label1", "Welcome to the setup of Velmaro 1.0 ", {kLeft, 28, kInner, 18}).At(0), 1));
        f.Add(OnPage(Label("Label2",
                           "The setup will take necessary information from you for the program to "
                           "run properly.",
                           {kLeft, 62, kInner, 32})
                         .At(0),
                     1));
        f.Add(OnPage(Label("Label3", "Maximum time required is 3 - 5 min.", {kLeft, 104, kInner, 16}).At(0), 1));
        f.Add(OnPage(Picture("Picture2", SETUP_IDB_LOGO, {kLeft + (kInner - 288) / 2, 168, 288, 120}), 1));
        break;
      case 2:
        f.Add(OnPage(Label("Label1", "Read the following information about Velmaro 1.0", {kLeft, 20, kInner, 16}).At(1), 2));
        f.Add(OnPage(TextBox("Readme", std::string(ReadMeText()), {kLeft, 42, kInner, 330}).MultiLine().ReadOnly(), 2));
        break;
      case 3:
        f.Add(OnPage(Label("Label1",
                           "Select the folder to which the Velmaro 1.0 utility should be installed : ",
                           {kLeft, 16, kInner, 30})
                         .At(2),
                     3));
        f.Add(OnPage(DriveChooser("DriveCopy", {kLeft, 50, 220, 22}), 3));
        f.Add(OnPage(FolderTree("DirCopy", {kLeft, 76, kInner, 138}), 3));
        f.Add(OnPage(TextBox("TextCopy", "C:\\Velmaro", {kLeft, 220, kInner, 22}), 3));
        f.Add(OnPage(Label("Label2", std::string(kCopyTarget) + "C:\\Velmaro' :", {kLeft, 248, kInner, 30}).At(1), 3));
        f.Add(OnPage(Label("Label3", "1. Velmaro.exe", {kLeft + 16, 282, 200, 16}).At(1), 3));
        f.Add(OnPage(Label("Label4", "2. Velmaro.dll", {kLeft + 16, 298, 200, 16}).At(0), 3));
        f.Add(OnPage(Label("Label5", "3. Velmaro.hlp", {kLeft + 16, 314, 200, 16}), 3));
        f.Add(OnPage(Label("Label6", "4. ReadMe.txt", {kLeft + 16, 330, 200, 16}), 3));
        f.Add(OnPage(Label("Label8", "5. Uninstall.exe", {kLeft + 16, 346, 200, 16}), 3));
        break;
      case 4:
        f.Add(OnPage(Label("Label1",
                           "Select the folder in which Velmaro 1.0 utility shortcuts should be created : ",
                           {kLeft, 16, kInner, 30})
                         .At(3),
                     4));
        f.Add(OnPage(FolderTree("DirShortCut", {kLeft, 50, kInner, 190}), 4));
        f.Add(OnPage(TextBox("Text1", "Velmaro", {kLeft, 246, kInner, 22}), 4));
        f.Add(OnPage(Label("Label2", "", {kLeft, 274, kInner, 30}).At(2), 4));
        f.Add(OnPage(Label("Label3", "1. Shortcut to Velmaro.exe", {kLeft + 16, 310, 240, 16}).At(2), 4));
        f.Add(OnPage(Label("Label4", "2. Shortcut to ReadMe.txt", {kLeft + 16, 326, 240, 16}).At(1), 4));
        break;
      case 5:
        f.Add(OnPage(Label("Label1", "Installation in progres. Please wait :", {kLeft, 24, kInner, 16}).At(4), 5));
        f.Add(OnPage(Label("Label2", "Copying file : ", {kLeft, 64, kInner, 16}).At(3), 5));
        f.Add(OnPage(ProgressBar("ProgressBar1", 0, 100, {kLeft, 84, kInner, 18}), 5));
        f.Add(OnPage(Label("Label3", "Creating shortcut : ", {kLeft, 124, kInner, 16}).At(3).Hidden(), 5));
        f.Add(OnPage(ProgressBar("ProgressBar2", 0, 100, {kLeft, 144, kInner, 18}).Hidden(), 5));
        f.Add(OnPage(Label("Label4", "Updating registry...", {kLeft, 184, kInner, 16}).At(2).Hidden(), 5));
        f.Add(OnPage(ProgressBar("ProgressBar3", 0, 100, {kLeft, 204, kInner, 18}).Hidden(), 5));
        break;
      case 6:
        f.Add(OnPage(Label("Label1",
                           "Installation of Velmaro 1.0 is completed. The 'Velmaro 1.0' is ready to run.",
                           {kLeft, 24, kInner, 32})
                         .At(5),
                     6));
        f.Add(OnPage(Label("Label7", "After exiting setup :", {kLeft, 76, kInner, 16}), 6));
        f.Add(OnPage(CheckBox("Start", "Start Velmaro 1.0", {kLeft + 16, 96, 240, 20}).Value(1), 6));
        f.Add(OnPage(Label("Label2", "Our homepage is :", {kLeft, 150, 130, 16}).At(4), 6));
        f.Add(OnPage(Label("Web", std::string(HomePage), {kLeft + 134, 150, kInner - 134, 16}).Link(), 6));
        f.Add(OnPage(Label("Label4", "You can contact us at :", {kLeft, 174, 130, 16}).At(3), 6));
        f.Add(OnPage(Label("Email", std::string(Contact), {kLeft + 134, 174, kInner - 134, 16}).Link(), 6));
        break;
    }
  }
  f.Add(Button("Back", "<< &Back", {336, 396, 100, 28}).Disabled());
  f.Add(Button("NextStep", std::string(kNext), {444, 396, 108, 28}).Default());
  f.Add(Button("ExitSetup", "Exit &Setup", {8, 396, 100, 28}));
  f.Add(Timer("Timer1", 1250, false));
  return f;
}

Wizard::Wizard(SetupSystem& system) : Form(Design()), system_(system) {
  Get<forms::DriveChooser>("DriveCopy").Bind(system_.folders);
  Get<forms::FolderTree>("DirCopy").Bind(system_.folders);
  Get<forms::FolderTree>("DirShortCut").Bind(system_.folders);
  OnClick("NextStep", [this] { OnNext(); });
  OnClick("Back", [this] { OnBack(); });
  OnClick("ExitSetup", [this] { system_.toolkit.Unload(*this); });
  OnClick("Web", [this] { Open(HomePage); });
  OnClick("Email", [this] { Open("mailto:" + std::string(Contact)); });
  On(Event::Load, [this](EventArgs&) { OnLoad(); });
  On(Event::QueryUnload, [this](EventArgs& e) { OnQueryUnload(e); });
  On(Event::Timer, "Timer1", [this](EventArgs&) { OnTimer(); });
  On(Event::Change, "DirCopy", [this](EventArgs&) { OnInstallTreeChange(); });
  On(Event::Change, "DriveCopy", [this](EventArgs&) { OnDriveChange(); });
  On(Event::Change, "DirShortCut", [this](EventArgs&) { OnShortcutTreeChange(); });
}

// Before page 1: a damaged distribution folder would install damaged files.
void Wizard::OnLoad() {
  const std::string damage = InstallRun(system_).CheckDistribution();
  if (damage.empty()) return;
  system_.toolkit.MsgBox("The distribution folder is damaged: " + damage +
                             ".\n\nSetup cannot install Velmaro 1.0 from it. Copy the distribution "
                             "folder again and run Setup from the copy.",
                         "Setup", mb::Ok | mb::IconStop);
  system_.toolkit.End();
}

void Wizard::ShowPage(int page) {
  page_ = page;
  SetCaption(Title(page));
  for (int p = 1; p <= 6; ++p) Get("Step" + std::to_string(p)).SetVisible(p == page);
}

// ---- Next and Back ----

void Wizard::OnNext() {
  auto& next = Get<forms::Button>("NextStep");
  switch (Page()) {
    case 1:
      ShowPage(2);
      Get("Back").SetEnabled(true);
      break;
    case 2:
      try {
        auto& tree = Get<forms::FolderTree>("DirCopy");
        tree.SetPath("c:\\");
        Get<forms::DriveChooser>("DriveCopy").SetDrive(tree.Path());
      } catch (const ControlError&) {
        // No drive C: the tree stays where it is.
      }
      ShowPage(3);
      Get("TextCopy").SetFocus();
      break;
    case 3:
      if (!LeaveInstallFolderPage() || !PrepareShortcutPage()) return;
      ShowPage(4);
      next.SetCaption("St&art installing");
      Get("Text1").SetFocus();
      break;
    case 4:
      LeaveShortcutPage();
      break;
    case 5:
      ShowPage(6);
      next.SetCaption("&Finish");
      next.SetFocus();
      break;
    case 6:
      Finish();
      break;
    default:
      break;
  }
}

void Wizard::OnBack() {
  switch (Page()) {
    case 2:
      ShowPage(1);
      Get("Back").SetEnabled(false);
      Get("NextStep").SetFocus();
      break;
    case 3:
      ShowPage(2);
      break;
    case 4:
      ShowPage(3);
      Get<forms::Button>("NextStep").SetCaption(std::string(kNext));
      break;
    default:
      break;
  }
}

// The install folder: moving the tree there is the test that it exists. The
// tree's own handler then shows that folder + "\Velmaro" in the box, so that
// coming back to this page offers a folder inside the chosen one.
bool Wizard::LeaveInstallFolderPage() {
  auto& box = Get<forms::TextBox>("TextCopy");
  auto& tree = Get<forms::FolderTree>("DirCopy");
  if (RefusedForCodePage(box.Text(), "install folder", "Error")) return false;
  for (;;) {
    std::string failure;
    int number = 0;
    try {
      InstallFolder = box.Text();
      tree.SetPath(box.Text());
      // As the tree spells it: no doubled or trailing backslash, letters as on disk.
      InstallFolder = tree.Path();
      return true;
    } catch (const ControlError& e) {
      number = e.Number();
      failure = e.what();
    }
    if (number != forms::ErrPathNotFound) {
      system_.toolkit.MsgBox(failure, "Error", mb::Ok | mb::IconStop);
      return false;
    }
    const std::string folder = box.Text();
    // Said as it is, not as a folder to be made that then cannot be.
    if (system_.files.IsFile(folder)) {
      system_.toolkit.MsgBox(folder + " is a file, not a folder. Choose another name for the install folder.",
                             "Error", mb::Ok | mb::IconStop);
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
    madeInstallFolder_ = folder;
  }
}

// The shortcuts go below the current user's Programs menu folder, wherever
// the system keeps it; the shell makes it when it is missing.
bool Wizard::PrepareShortcutPage() {
  std::string programs;
  const long rc = system_.shell.ProgramsFolder(programs, true);
  try {
    if (rc != platform::ErrorSuccess) throw ControlError(forms::ErrPathNotFound, "Path not found");
    ProgramsFolder = system_.folders.Locate(programs);
    auto& tree = Get<forms::FolderTree>("DirShortCut");
    tree.SetPath(ProgramsFolder);
    Get<forms::Label>("Label2", 2).SetCaption(std::string(kShortcutTarget) + tree.Path() + "' :");
    return true;
  } catch (const ControlError&) {
    system_.toolkit.MsgBox("The Programs folder of the Start menu" +
                               (programs.empty() ? std::string() : " (" + programs + ")") +
                               " cannot be found, so Setup cannot make its shortcuts.",
                           "Error", mb::Ok | mb::IconStop);
    return false;
  }
}

void Wizard::LeaveShortcutPage() {
  const std::string name = Get<forms::TextBox>("Text1").Text();
  const std::string folder =
      platform::NormalPath(ProgramsFolder + (!name.empty() && name[0] == '\\' ? "" : "\\") + name);
  // A name with ".." could climb out; Uninstall removes shortcuts only inside.
  if (!platform::IsInside(folder, ProgramsFolder)) {
    system_.toolkit.MsgBox("The shortcut folder must lie inside " + ProgramsFolder + ".",
                           "Error creating folder", mb::Ok | mb::IconStop);
    return;
  }
  if (RefusedForCodePage(folder, "shortcut folder", "Error creating folder")) return;
  run_.emplace(system_);
  InstallRun& run = *run_;
  run.folder = InstallFolder;
  run.shortcuts = folder;
  run.folderMade = platform::SamePath(InstallFolder, madeInstallFolder_);
  run.Survey();
  if (!AskAboutFilesInTheWay(run)) {
    run_.reset();
    return;
  }
  // A folder that is there already (a reinstall) is used as it is.
  const long rc = system_.files.CreateDir(folder);
  if (rc != platform::ErrorSuccess &&
      !(rc == platform::ErrorAlreadyExists && system_.files.IsDirectory(folder))) {
    system_.toolkit.MsgBox("The given folder cannot be created.", "Error creating folder",
                           mb::Ok | mb::IconStop);
    run_.reset();
    return;
  }
  run.shortcutsMade = run.shortcutsMade || rc == platform::ErrorSuccess;
  ShortcutFolder = folder;
  Get<forms::Button>("NextStep").SetCaption(std::string(kNext));
  ShowPage(5);
  Get("NextStep").SetEnabled(false);
  Get("Back").SetEnabled(false);
  Get("ExitSetup").SetEnabled(false);
  Get("Timer1").SetEnabled(true);
}

bool Wizard::RefusedForCodePage(const std::string& folder, std::string_view role,
                                std::string_view title) {
  const std::string missing = OutsideCodePage(system_.reg.registry().CodePage(), folder);
  if (missing.empty()) return false;
  system_.toolkit.MsgBox(CodePageRefusal(folder, role, missing), std::string(title),
                         mb::Ok | mb::IconStop);
  return true;
}

// A file Setup did not make is replaced only when the user says so; a file
// a running program holds is not replaced at all.
bool Wizard::AskAboutFilesInTheWay(InstallRun& run) {
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
    if (system_.toolkit.MsgBox(std::string(InUseText), "Velmaro is running",
                               mb::RetryCancel | mb::IconExclamation) != forms::IdRetry)
      return false;
  return true;
}

// ---- Installing and finishing ----

void Wizard::OnTimer() {
  Get("Timer1").SetEnabled(false);
  SetMousePointer(forms::MousePointer::Hourglass);
  DoInstalling();
  SetMousePointer(forms::MousePointer::Default);
  auto& next = Get<forms::Button>("NextStep");
  next.SetEnabled(true);
  next.SetFocus();
  if (!consoleInstalled_) {
    auto& start = Get<forms::CheckBox>("Start");
    start.SetValue(0);
    start.SetEnabled(false);
  }
  if (problems_.empty()) return;
  Get<forms::Label>("Label1", 5).SetCaption(
      "Installation of Velmaro 1.0 is not complete: Setup could not install everything it should.");
  std::string text = "Setup could not install everything:\n";
  for (const std::string& p : problems_) text += "\n" + p;
  system_.toolkit.MsgBox(text, "Installation incomplete", mb::Ok | mb::IconExclamation);
}

void Wizard::Finish() {
  std::string folder = InstallFolder;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  // A normal window: the console is the reason the user ticked the box.
  if (Get<forms::CheckBox>("Start").Value() == 1 && consoleInstalled_)
    system_.shell.Execute("open", folder + std::string(install::Console), "", "",
                          platform::SwShowNormal);
  system_.toolkit.End();
}

void Wizard::Open(std::string_view target) {
  system_.shell.Execute("open", target, "", "", platform::SwShowNormal);
}

void Wizard::OnQueryUnload(EventArgs& e) {
  // From page 5 on there is no way out but Finish.
  if (!Get("ExitSetup").Enabled()) {
    e.cancel = true;
    return;
  }
  if (system_.toolkit.MsgBox(std::string(ExitQuestion), "Exit setup confirmation",
                             mb::YesNo | mb::IconQuestion | mb::DefButton2) != forms::IdYes)
    e.cancel = true;
}

// ---- The folder controls ----

void Wizard::ShowInstallFolder(const std::string& treePath) {
  auto& box = Get<forms::TextBox>("TextCopy");
  box.SetText(treePath.size() == 3 ? treePath + "Velmaro" : treePath + "\\Velmaro");
  Get<forms::Label>("Label2", 1).SetCaption(std::string(kCopyTarget) + box.Text() + "' :");
}

void Wizard::OnInstallTreeChange() { ShowInstallFolder(Get<forms::FolderTree>("DirCopy").Path()); }

void Wizard::OnDriveChange() {
  auto& tree = Get<forms::FolderTree>("DirCopy");
  auto& drive = Get<forms::DriveChooser>("DriveCopy");
  try {
    tree.SetPath(drive.Drive());
    ShowInstallFolder(tree.Path());
  } catch (const ControlError& e) {
    if (e.Number() != forms::ErrDeviceUnavailable) return;
    system_.toolkit.MsgBox("The selected drive is not available.", "Unavailable",
                           mb::Ok | mb::IconStop);
    // Back to the drive of the install folder last shown: the root that the
    // target line names right after its fixed 41-character beginning.
    const std::string line = Get<forms::Label>("Label2", 1).Caption();
    try {
      drive.SetDrive(line.size() > kCopyTarget.size() ? line.substr(kCopyTarget.size(), 3) : "c:");
    } catch (const ControlError&) {
      // That drive has gone from the list too: the chooser stays.
    }
  }
}

void Wizard::OnShortcutTreeChange() {
  auto& tree = Get<forms::FolderTree>("DirShortCut");
  const std::string path = tree.Path();
  if (!platform::SamePath(path, ProgramsFolder) && !platform::IsInside(path, ProgramsFolder)) {
    try {
      tree.SetPath(ProgramsFolder);
    } catch (const ControlError&) {
      // The Programs folder has gone meanwhile; the message still says why.
    }
    system_.toolkit.MsgBox("Cannot go below " + ProgramsFolder + " directory.",
                           "Navigation limitation", mb::Ok | mb::IconExclamation);
    return;
  }
  std::string rest = path.substr(std::min(path.size(), ProgramsFolder.size()));
  if (!rest.empty() && rest.front() == '\\') rest.erase(0, 1);
  Get<forms::TextBox>("Text1").SetText(rest.empty() ? "\\Velmaro" : rest + "\\Velmaro");
  Get<forms::Label>("Label2", 2).SetCaption(std::string(kShortcutTarget) + path + "' :");
}

}  // namespace velmaro::setup
