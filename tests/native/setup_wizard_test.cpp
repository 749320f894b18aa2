// Setup's pages as a user walks them: titles, buttons, the folder checks and
// their messages, the two folder trees and the drive chooser, the exit
// question on every way out.
#include <string>
#include <vector>

#include "support/setup_fixture.h"

namespace velmaro::setup {
namespace {

using namespace velmaro::testing;

using forms::IdNo;
using forms::IdOk;
using forms::IdYes;

struct PageState {
  const char* next;
  bool nextOn, backOn, exitOn;
};
// The caption and the three buttons on pages 1 to 6.
constexpr std::string_view kCodePageLacks =
    " cannot be the shortcut folder: its name holds characters that this system's code page lacks ";

const PageState kPages[] = {
    {"&Next >>", true, false, true},         {"&Next >>", true, true, true},
    {"&Next >>", true, true, true},          {"St&art installing", true, true, true},
    {"&Next >>", false, false, false},       {"&Finish", true, false, false},
};

class WizardTest : public SetupTest {
protected:
  void ExpectPage(int page) {
    SCOPED_TRACE("page " + std::to_string(page));
    EXPECT_EQ(W().Caption(), "Velmaro setup - Step " + std::to_string(page));
    for (int p = 1; p <= 6; ++p) EXPECT_EQ(Get("Step" + std::to_string(p)).Visible(), p == page);
    const PageState& s = kPages[page - 1];
    EXPECT_EQ(Caption("NextStep"), s.next);
    EXPECT_EQ(Enabled("NextStep"), s.nextOn);
    EXPECT_EQ(Enabled("Back"), s.backOn);
    EXPECT_EQ(Enabled("ExitSetup"), s.exitOn);
  }
  const forms::MemoryToolkit::Box& LastBox() { return tk.Boxes().back(); }
};

TEST_F(WizardTest, OpensOnTheWelcomePageAsDesigned) {
  tk.Show(W());
  ExpectPage(1);
  EXPECT_EQ(Caption("Label1", 0), "Welcome to the setup of Velmaro 1.0 ");
  EXPECT_EQ(Caption("Label3", 0), "Maximum time required is 3 - 5 min.");
  EXPECT_EQ(Caption("ExitSetup"), "Exit &Setup");
  EXPECT_EQ(Caption("Back"), "<< &Back");
  EXPECT_EQ(W().DefaultButton(), &Get<forms::Button>("NextStep"));
  EXPECT_FALSE(Get("Timer1").Enabled());
  EXPECT_EQ(Get<forms::Timer>("Timer1").Interval(), 1250);
  EXPECT_TRUE(Get("Label2", 3).Visible());
  EXPECT_FALSE(Get("Label3", 3).Visible());
  EXPECT_FALSE(Get("ProgressBar3").Visible());
  EXPECT_EQ(Get<forms::CheckBox>("Start").Value(), 1);
  EXPECT_TRUE(W().InstallFolder.empty() && W().ShortcutFolder.empty());
  const std::string readme = Text("Readme");
  for (const char* section : {"INSTALLING", "UNINSTALLING", "Uninstall.exe", "Velmaro.dll",
                              "DISTRIBUTION", "support@velmaro.example"})
    EXPECT_NE(readme.find(section), std::string::npos) << section;
}

TEST_F(WizardTest, EveryPageHasItsTitleCaptionAndButtons) {
  tk.Show(W());
  for (int page = 1; page <= 6; ++page) {
    WalkTo(page);
    ExpectPage(page);
  }
  for (int page = 4; page >= 1; --page) {
    SetUp();
    WalkTo(4);
    while (W().Page() > page) tk.Click(W(), "Back");
    ExpectPage(page);
  }
}

TEST_F(WizardTest, PageThreeStartsFromTheRootOfDriveC) {
  WalkTo(2);
  tk.Click(W(), "Back");
  Next();
  Next();
  EXPECT_EQ(Get<forms::FolderTree>("DirCopy").Path(), "C:\\");
  EXPECT_EQ(Get<forms::DriveChooser>("DriveCopy").Drive(), "c:");
  EXPECT_EQ(Text("TextCopy"), "C:\\Velmaro");
  EXPECT_EQ(Caption("Label2", 1), "The files given below will be copied to 'C:\\Velmaro' :");
  EXPECT_EQ(W().ActiveControl(), &Get("TextCopy"));
}

TEST_F(WizardTest, TheChooserMovingToCTakesTheTreeToThatDrivesFolder) {
  files.SetDriveFolder('C', "C:\\WINDOWS");
  // The wizard starts on D:, where Setup lies.
  ASSERT_EQ(Get<forms::DriveChooser>("DriveCopy").Drive(), "d:");
  WalkTo(3);
  EXPECT_EQ(Get<forms::FolderTree>("DirCopy").Path(), "C:\\WINDOWS");
  EXPECT_EQ(Text("TextCopy"), "C:\\WINDOWS\\Velmaro");
}

TEST_F(WizardTest, AnExistingFolderLeadsOnAndComesBackWithVelmaroAppended) {
  WalkTo(3);
  tk.Type(W(), "TextCopy", "c:\\program files");
  Next();
  ASSERT_EQ(W().Page(), 4);
  EXPECT_TRUE(tk.Boxes().empty()) << "no question for a folder that exists";
  EXPECT_EQ(W().InstallFolder, "C:\\Program Files");
  tk.Click(W(), "Back");
  EXPECT_EQ(Text("TextCopy"), "C:\\Program Files\\Velmaro");
  tk.AnswerNextBox(IdNo, "C:\\Program Files\\Velmaro does'nt exist.\rDo you want to create the folder ?");
  Next();
  EXPECT_EQ(W().Page(), 3);
  EXPECT_EQ(LastBox().title, "Create folder");
  EXPECT_EQ(LastBox().flags, forms::mb::YesNo | forms::mb::IconQuestion);
  EXPECT_FALSE(files.Exists("C:\\Program Files\\Velmaro")) << "No creates nothing";
}

TEST_F(WizardTest, AMissingFolderIsCreatedOnYes) {
  WalkTo(3);
  tk.Type(W(), "TextCopy", "C:\\Program Files\\Velmaro");
  tk.AnswerNextBox(IdYes);
  Next();
  EXPECT_EQ(W().Page(), 4);
  EXPECT_TRUE(files.IsDirectory("C:\\Program Files\\Velmaro"));
  EXPECT_EQ(W().InstallFolder, "C:\\Program Files\\Velmaro");
}

TEST_F(WizardTest, AFolderThatCannotBeCreatedKeepsPageThree) {
  WalkTo(3);
  tk.Type(W(), "TextCopy", "C:\\No such\\Velmaro");
  tk.AnswerNextBox(IdYes);
  tk.AnswerNextBox(IdOk, "C:\\No such\\Velmaro folder cannot be created.");
  Next();
  EXPECT_EQ(W().Page(), 3);
  EXPECT_EQ(LastBox().title, "Failed to create");
  EXPECT_EQ(LastBox().flags, forms::mb::Ok | forms::mb::IconStop);
  // A file where the folder should be: said so, not offered to be made.
  files.PutFile("C:\\Velmaro", "a file");
  tk.Type(W(), "TextCopy", "C:\\Velmaro");
  tk.AnswerNextBox(IdOk, "C:\\Velmaro is a file, not a folder. Choose another name for the install folder.");
  Next();
  EXPECT_EQ(W().Page(), 3);
  EXPECT_EQ(files.AttributesOf("C:\\Velmaro") & platform::FileAttributeDirectory, 0u);
}

TEST_F(WizardTest, PathsThatCannotNameAFolderAreRefusedWithTheirReason) {
  WalkTo(3);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Velmaro", "Bad file name: give the full path of a folder"},
      // Only the character the code page lacks is named.
      {"C:\\Vel\xC3\xB0\xE2\x82\xACmaro\xE2\x98\x83",
       "C:\\Vel\xC3\xB0\xE2\x82\xACmaro\xE2\x98\x83 cannot be the install folder: its name holds "
       "characters that this system's code page lacks (\xE2\x98\x83)."},
      {"C:\\" + std::string(300, 'v'), "Bad file name: the path is too long."},
      {"C:\\Vel?maro", "Bad file name: the path holds characters that are not allowed"},
      {"A:\\Velmaro", "Device unavailable"},
  };
  for (const auto& [path, reason] : cases) {
    tk.Type(W(), "TextCopy", path);
    tk.AnswerNextBox(IdOk);
    Next();
    EXPECT_EQ(W().Page(), 3) << path;
    EXPECT_EQ(LastBox().title, "Error") << path;
    EXPECT_EQ(LastBox().flags, forms::mb::Ok | forms::mb::IconStop);
    EXPECT_EQ(LastBox().text.rfind(reason, 0), 0u) << LastBox().text;
  }
  EXPECT_EQ(tk.Boxes().size(), cases.size()) << "no create question for any of them";
  EXPECT_FALSE(files.Exists("C:\\Velmaro"));
}

TEST_F(WizardTest, ADriveThatIsNotReadyIsRefusedAndTheChooserGoesBack) {
  WalkTo(3);
  tk.AnswerNextBox(IdOk, "The selected drive is not available.");
  tk.ChooseDrive(W(), "DriveCopy", 'A');
  EXPECT_EQ(LastBox().title, "Unavailable");
  EXPECT_EQ(Get<forms::DriveChooser>("DriveCopy").Drive(), "c:");
  EXPECT_EQ(Get<forms::FolderTree>("DirCopy").Path(), "C:\\");
  EXPECT_EQ(Text("TextCopy"), "C:\\Velmaro");
  // A ready drive takes the tree to its current folder.
  files.SetDriveFolder('D', kDist);
  tk.ChooseDrive(W(), "DriveCopy", 'D');
  EXPECT_EQ(Get<forms::FolderTree>("DirCopy").Path(), kDist);
  EXPECT_EQ(Text("TextCopy"), std::string(kDist) + "\\Velmaro");
  EXPECT_EQ(Caption("Label2", 1), "The files given below will be copied to 'D:\\DIST\\Velmaro' :");
  // Now the way back leads to D:.
  tk.AnswerNextBox(IdOk, "The selected drive is not available.");
  tk.ChooseDrive(W(), "DriveCopy", 'A');
  EXPECT_EQ(Get<forms::DriveChooser>("DriveCopy").Drive(), "d:");
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(WizardTest, ShortcutsGoBelowTheProgramsFolderTheShellNames) {
  const std::string programs = "C:\\Documents and Settings\\Ann\\Start Menu\\Programs";
  shell.SetProgramsFolder(programs);
  files.PutFolder(programs + "\\Accessories");
  files.PutFolder(programs + " Extra");
  WalkTo(4);
  EXPECT_EQ(W().ProgramsFolder, programs);
  EXPECT_EQ(Get<forms::FolderTree>("DirShortCut").Path(), programs);
  EXPECT_EQ(Text("Text1"), "\\Velmaro");
  EXPECT_EQ(Caption("Label2", 2), "The shortcuts given below will be created in '" + programs + "' :");
  EXPECT_EQ(W().ActiveControl(), &Get("Text1"));

  tk.OpenFolder(W(), "DirShortCut", "Accessories");
  EXPECT_EQ(Text("Text1"), "Accessories\\Velmaro");
  EXPECT_EQ(Caption("Label2", 2),
            "The shortcuts given below will be created in '" + programs + "\\Accessories' :");

  const std::string limit = "Cannot go below " + programs + " directory.";
  tk.AnswerNextBox(IdOk, limit);
  tk.OpenFolder(W(), "DirShortCut", "Start Menu");
  EXPECT_EQ(LastBox().title, "Navigation limitation");
  EXPECT_EQ(LastBox().flags, forms::mb::Ok | forms::mb::IconExclamation);
  EXPECT_EQ(Get<forms::FolderTree>("DirShortCut").Path(), programs);
  EXPECT_EQ(Text("Text1"), "\\Velmaro");
  // A sibling whose name begins like the Programs folder is outside it too.
  tk.AnswerNextBox(IdOk, limit);
  Get<forms::FolderTree>("DirShortCut").SetPath(programs + " Extra");
  EXPECT_EQ(Get<forms::FolderTree>("DirShortCut").Path(), programs);
  EXPECT_EQ(tk.UnusedScripts(), 0u);

  Next();
  EXPECT_EQ(W().Page(), 5);
  EXPECT_EQ(W().ShortcutFolder, programs + "\\Velmaro");
  EXPECT_TRUE(files.IsDirectory(programs + "\\Velmaro"));
}

TEST_F(WizardTest, AShortcutFolderThatCannotBeMadeKeepsPageFour) {
  files.PutFolder(std::string(kPrograms) + "\\Velmaro");  // a second installation
  WalkTo(4);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Vel|maro", "The given folder cannot be created."},
      {"Vel\xE2\x98\x83maro", std::string(kPrograms) + "\\Vel\xE2\x98\x83maro" +
                                  std::string(kCodePageLacks) + "(\xE2\x98\x83). Setup and Velmaro "
                                  "reach their files through the code page, so choose a name without them."},
      {"Missing\\Velmaro", "The given folder cannot be created."},
      {"..\\..\\Velmaro", "The shortcut folder must lie inside " + std::string(kPrograms) + "."},
      {"", "The shortcut folder must lie inside " + std::string(kPrograms) + "."},
  };
  for (const auto& [name, message] : cases) {
    tk.Type(W(), "Text1", name);
    tk.AnswerNextBox(IdOk, message);
    Next();
    EXPECT_EQ(W().Page(), 4) << name;
    EXPECT_EQ(LastBox().title, "Error creating folder");
    EXPECT_EQ(LastBox().flags, forms::mb::Ok | forms::mb::IconStop);
  }
  EXPECT_EQ(tk.UnusedScripts(), 0u);
  EXPECT_FALSE(files.Exists("C:\\WINDOWS\\Velmaro"));
  tk.Type(W(), "Text1", "Tools\\..\\Velmaro 2");
  Next();
  EXPECT_EQ(W().Page(), 5);
  EXPECT_EQ(W().ShortcutFolder, std::string(kPrograms) + "\\Velmaro 2");
  // The folder of an earlier installation is used as it is, not refused.
  Make();
  WalkTo(4);
  tk.Type(W(), "Text1", "\\Velmaro");
  Next();
  EXPECT_EQ(W().Page(), 5);
  EXPECT_EQ(W().ShortcutFolder, std::string(kPrograms) + "\\Velmaro");
}

TEST_F(WizardTest, AMissingProgramsFolderIsMadeByTheShell) {
  shell.SetProgramsFolder("C:\\Profile\\Start Menu\\Programs", false);
  WalkTo(4);
  EXPECT_TRUE(files.IsDirectory("C:\\Profile\\Start Menu\\Programs"));
}

TEST_F(WizardTest, AProgramsFolderThatCannotBeHadKeepsPageThreeEachTime) {
  shell.SetProgramsFolder("C:\\Profile\\Start Menu\\Programs", false, false);
  WalkTo(3);
  const std::string message =
      "The Programs folder of the Start menu cannot be found, so Setup cannot make its shortcuts.";
  tk.Type(W(), "TextCopy", "C:\\Velmaro");
  tk.AnswerNextBox(IdYes);  // create the install folder
  tk.AnswerNextBox(IdOk, message);
  Next();
  EXPECT_EQ(W().Page(), 3);
  EXPECT_EQ(W().Caption(), "Velmaro setup - Step 3");
  EXPECT_TRUE(files.IsDirectory("C:\\Velmaro"));
  // Again, now that the install folder exists: the same message, no question.
  tk.Type(W(), "TextCopy", "C:\\Velmaro");
  tk.AnswerNextBox(IdOk, message);
  Next();
  EXPECT_EQ(W().Page(), 3);
  EXPECT_FALSE(files.Exists("C:\\Velmaro\\Velmaro")) << "nothing made that was not asked for";
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(WizardTest, EveryWayOutAsksOnPagesOneToFour) {
  const std::string question = std::string(Wizard::ExitQuestion);
  for (int page = 1; page <= 4; ++page) {
    SetUp();
    WalkTo(page);
    const std::string text = page >= 3 ? Text(page == 3 ? "TextCopy" : "Text1") : "";
    tk.AnswerNextBox(IdNo, question);
    tk.Click(W(), "ExitSetup");
    tk.AnswerNextBox(IdNo, question);
    EXPECT_FALSE(tk.CloseBox(W()));
    tk.AnswerNextBox(IdNo, question);
    tk.PressAlt(W(), 's');
    tk.AnswerNextBox(IdNo, question);
    EXPECT_FALSE(tk.EndSession());
    EXPECT_TRUE(W().Loaded());
    EXPECT_EQ(W().Page(), page) << "No leaves the wizard where it was";
    if (page >= 3) {
      EXPECT_EQ(Text(page == 3 ? "TextCopy" : "Text1"), text);
    }
    EXPECT_EQ(LastBox().title, "Exit setup confirmation");
    EXPECT_EQ(LastBox().flags, forms::mb::YesNo | forms::mb::IconQuestion | forms::mb::DefButton2);
    tk.AnswerNextBox(IdYes, question);
    tk.Click(W(), "ExitSetup");
    EXPECT_FALSE(W().Loaded()) << "Yes ends Setup on page " << page;
  }
  EXPECT_FALSE(files.Exists(std::string(kPrograms) + "\\Velmaro"));
}

TEST_F(WizardTest, PagesFiveAndSixCannotBeClosed) {
  WalkTo(5);
  const std::size_t boxes = tk.Boxes().size();
  EXPECT_FALSE(tk.CloseBox(W()));
  EXPECT_FALSE(tk.EndSession());
  RunTimer();
  Next();
  EXPECT_FALSE(tk.CloseBox(W()));
  EXPECT_FALSE(tk.EndSession());
  EXPECT_TRUE(W().Loaded());
  EXPECT_EQ(tk.Boxes().size(), boxes) << "refused without a question";
}

TEST_F(WizardTest, TheTimerStartsTheRunOnceAfter1250Milliseconds) {
  WalkTo(5);
  EXPECT_TRUE(Get("Timer1").Enabled());
  tk.Advance(1249);
  EXPECT_EQ(Caption("Label2", 3), "Copying file : ");
  EXPECT_FALSE(files.Exists("C:\\Program Files\\Velmaro\\Velmaro.exe"));
  tk.Advance(1);
  EXPECT_EQ(Caption("Label2", 3), "Copying complete.");
  EXPECT_FALSE(Get("Timer1").Enabled());
  EXPECT_TRUE(Enabled("NextStep"));
  EXPECT_EQ(Caption("NextStep"), "&Next >>");
  EXPECT_FALSE(Enabled("Back"));
  EXPECT_FALSE(Enabled("ExitSetup"));
  EXPECT_EQ(tk.PointerLog().size(), 2u);
  EXPECT_EQ(tk.PointerLog().front().pointer, forms::MousePointer::Hourglass);
  files.Delete("C:\\Program Files\\Velmaro\\Velmaro.exe");
  tk.Advance(5000);
  EXPECT_FALSE(files.Exists("C:\\Program Files\\Velmaro\\Velmaro.exe")) << "it ran only once";
}

TEST_F(WizardTest, FinishStartsTheInstalledConsoleInANormalWindow) {
  WalkTo(6);
  tk.Click(W(), "NextStep");
  ASSERT_EQ(shell.Executions().size(), 1u);
  const auto& run = shell.Executions()[0];
  EXPECT_EQ(run.verb, "open");
  EXPECT_EQ(run.file, "C:\\Program Files\\Velmaro\\Velmaro.exe");
  EXPECT_EQ(run.show, platform::SwShowNormal);
  EXPECT_TRUE(tk.Ended());
}

TEST_F(WizardTest, FinishWithStartClearedStartsNothing) {
  WalkTo(6);
  tk.Click(W(), "Start");
  tk.PressEnter(W());
  EXPECT_TRUE(shell.Executions().empty());
  EXPECT_TRUE(tk.Ended());
}

TEST_F(WizardTest, TheLinksOpenTheHomePageAndAMail) {
  WalkTo(6);
  tk.Click(W(), "Web");
  tk.Click(W(), "Email");
  ASSERT_EQ(shell.Executions().size(), 2u);
  EXPECT_EQ(shell.Executions()[0].file, "http://www.velmaro.example/");
  EXPECT_EQ(shell.Executions()[1].file, "mailto:support@velmaro.example");
  EXPECT_EQ(Caption("Web"), "http://www.velmaro.example/");
  EXPECT_TRUE(Get("Web").Spec().link);
}

}  // namespace
}  // namespace velmaro::setup
