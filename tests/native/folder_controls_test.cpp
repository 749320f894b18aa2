// The drive chooser and the folder tree over the in-memory disks: what they
// show, when they raise Change, and the errors a handler tells apart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_toolkit.h"
#include "platform/paths.h"

namespace velmaro::forms {
namespace {

namespace d = design;

FormSpec Spec() {
  FormSpec s{"Folders", "Folders", 300, 240};
  s.Add(d::DriveChooser("Drive1", {10, 10, 150, 22}))
      .Add(d::FolderTree("Dir1", {10, 40, 280, 150}))
      .Add(d::FolderTree("Dir2", {10, 40, 280, 150}).Hidden());
  return s;
}

class FolderControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    files.PutFolder("C:\\Program Files\\Velmaro");
    files.PutFolder("C:\\Program Files\\Accessories");
    files.PutFile("C:\\Program Files\\readme.txt", "not a folder");
    files.AddDrive('A', false);
    files.AddDrive('D', true, "DATA");
    files.PutFolder("D:\\Games");
    files.SetDriveFolder('D', "D:\\Games");
    files.SetCurrentDirectory("C:\\WINDOWS");
    form.Get<DriveChooser>("Drive1").Bind(folders);
    form.Get<FolderTree>("Dir1").Bind(folders);
    form.On(Event::Change, "Dir1", [this](EventArgs&) { changes.push_back(Tree().Path()); });
    form.On(Event::Change, "Drive1", [this](EventArgs&) { changes.push_back(Chooser().Drive()); });
    tk.Show(form);
  }
  FolderTree& Tree() { return form.Get<FolderTree>("Dir1"); }
  DriveChooser& Chooser() { return form.Get<DriveChooser>("Drive1"); }
  int ErrorOf(const std::string& path) {
    try {
      Tree().SetPath(path);
    } catch (const ControlError& e) {
      return e.Number();
    }
    return 0;
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& e : Tree().Entries()) names.push_back(e.name);
    return names;
  }

  platform::MemoryFiles files;
  DiskFolders folders{files, files};
  MemoryToolkit tk;
  Form form{Spec()};
  std::vector<std::string> changes;
};

TEST_F(FolderControlsTest, StartInTheCurrentFolderAndOnItsDrive) {
  EXPECT_EQ(Tree().Path(), "C:\\WINDOWS");
  EXPECT_EQ(Chooser().Drive(), "c:");
  ASSERT_EQ(Chooser().Drives().size(), 3u);
  EXPECT_EQ(DriveChooser::EntryText(Chooser().Drives()[0]), "a:");
  EXPECT_EQ(DriveChooser::EntryText(Chooser().Drives()[2]), "d: [DATA]");
  EXPECT_TRUE(changes.empty());
}

TEST_F(FolderControlsTest, TheTreeShowsTheWayDownAndTheFoldersInside) {
  Tree().SetPath("c:\\program files");
  EXPECT_EQ(Tree().Path(), "C:\\Program Files") << "spelt as the disk holds it";
  EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\", "Program Files", "Accessories", "Velmaro"}));
  const auto& entries = Tree().Entries();
  EXPECT_TRUE(entries[1].open);
  EXPECT_FALSE(entries[2].open);
  EXPECT_EQ(entries[3].path, "C:\\Program Files\\Velmaro");
  EXPECT_EQ(entries[3].level, 2);
  EXPECT_EQ(Tree().CurrentEntry(), 1);
}

TEST_F(FolderControlsTest, ChangeComesOnlyWhenTheFolderChanges) {
  Tree().SetPath("C:\\Program Files\\Velmaro");
  Tree().SetPath("c:/program files/./velmaro/");  // the same folder, written otherwise
  Tree().SetPath("C:\\");
  EXPECT_EQ(changes, (std::vector<std::string>{"C:\\Program Files\\Velmaro", "C:\\"}));
  Chooser().SetDrive("C:\\Program Files");
  Chooser().SetDrive("d:");
  EXPECT_EQ(changes.back(), "d:");
  EXPECT_EQ(changes.size(), 3u);
}

TEST_F(FolderControlsTest, FailuresCarryTheirNumbersAndLeaveTheTreeWhereItWas) {
  EXPECT_EQ(ErrorOf("C:\\Nowhere"), ErrPathNotFound);
  EXPECT_EQ(ErrorOf("C:\\Program Files\\readme.txt"), ErrPathNotFound) << "a file is no folder";
  EXPECT_EQ(ErrorOf("A:\\"), ErrDeviceUnavailable) << "no disk in the drive";
  EXPECT_EQ(ErrorOf("a:"), ErrDeviceUnavailable);
  EXPECT_EQ(ErrorOf("Q:\\"), ErrDeviceUnavailable) << "no such drive";
  EXPECT_EQ(ErrorOf("Velmaro"), ErrBadFileName) << "relative";
  EXPECT_EQ(ErrorOf("C:Velmaro"), ErrBadFileName) << "drive-relative";
  EXPECT_EQ(ErrorOf("C:\\Vel*maro"), ErrBadFileName);
  EXPECT_EQ(ErrorOf("C:\\\xD0\x92\xD0\xB5\xD0\xBB"), ErrBadFileName) << "not in the code page";
  EXPECT_EQ(ErrorOf("C:\\" + std::string(300, 'a')), ErrBadFileName) << "too long";
  EXPECT_EQ(Tree().Path(), "C:\\WINDOWS");
  EXPECT_TRUE(changes.empty());
  try {
    Tree().SetPath("C:\\Nowhere");
  } catch (const ControlError& e) {
    EXPECT_STREQ(e.what(), "Path not found");
  }
}

TEST_F(FolderControlsTest, ABareDriveMeansItsCurrentFolder) {
  Tree().SetPath("d:");
  EXPECT_EQ(Tree().Path(), "D:\\Games");
  Tree().SetPath("c:");
  EXPECT_EQ(Tree().Path(), "C:\\");
}

TEST_F(FolderControlsTest, TheDriveChooserRefusesOnlyLettersItDoesNotList) {
  Chooser().SetDrive("a:");  // listed: whether a disk is in is the tree's to find
  EXPECT_EQ(Chooser().Drive(), "a:");
  try {
    Chooser().SetDrive("q:");
    FAIL() << "no drive Q";
  } catch (const ControlError& e) {
    EXPECT_EQ(e.Number(), ErrDeviceUnavailable);
  }
  EXPECT_EQ(Chooser().Drive(), "a:");
}

TEST_F(FolderControlsTest, UsersChooseDrivesAndOpenShownFolders) {
  tk.ChooseDrive(form, "Drive1", 'D');
  EXPECT_EQ(Chooser().Drive(), "d:");
  Tree().SetPath("C:\\Program Files");
  EXPECT_TRUE(tk.OpenFolder(form, "Dir1", "Velmaro"));
  EXPECT_EQ(Tree().Path(), "C:\\Program Files\\Velmaro");
  EXPECT_TRUE(tk.OpenFolder(form, "Dir1", "C:\\"));
  EXPECT_EQ(Tree().Path(), "C:\\");
  EXPECT_THROW(tk.OpenFolder(form, "Dir1", "Games"), ScriptError) << "not shown here";
  EXPECT_THROW(tk.ChooseDrive(form, "Drive1", 'Q'), ScriptError);
  EXPECT_THROW(tk.OpenFolder(form, "Dir2", "C:\\"), ScriptError) << "hidden";
}

TEST_F(FolderControlsTest, AFolderGoneMeanwhileIsListedAgainNotEntered) {
  Tree().SetPath("C:\\Program Files");
  changes.clear();
  ASSERT_EQ(files.RemoveDir("C:\\Program Files\\Accessories"), platform::ErrorSuccess);
  EXPECT_FALSE(tk.OpenFolder(form, "Dir1", "Accessories"));
  EXPECT_EQ(Tree().Path(), "C:\\Program Files");
  EXPECT_EQ(Names(), (std::vector<std::string>{"C:\\", "Program Files", "Velmaro"}));
  EXPECT_TRUE(changes.empty());
}

TEST_F(FolderControlsTest, ATakenOutDiskMakesTheTreeFailOnThatDrive) {
  Tree().SetPath("D:\\Games");
  files.SetDriveReady('D', false);
  EXPECT_EQ(ErrorOf("D:\\Games"), ErrDeviceUnavailable);
  files.SetDriveReady('D', true);
  EXPECT_EQ(ErrorOf("D:\\Games"), 0);
}

TEST(Paths, NormalFormsCompareAsTheFileSystemDoes) {
  using namespace platform;
  EXPECT_EQ(NormalPath("c:/A//b\\.\\c\\..\\"), "C:\\A\\b");
  EXPECT_EQ(NormalPath("c:\\"), "C:\\");
  EXPECT_EQ(NormalPath("C:\\a.. \\b"), "C:\\a\\b") << "trailing dots and blanks go";
  EXPECT_EQ(NormalPath("Velmaro"), "");
  EXPECT_EQ(NormalPath("\\\\server\\share"), "");
  EXPECT_TRUE(SamePath("c:\\PROGRAM files\\", "C:\\Program Files"));
  EXPECT_TRUE(SamePath("C:\\\xC3\xA9t\xC3\xA9", "c:\\\xC3\x89T\xC3\x89")) << "Latin-1 letters too";
  EXPECT_TRUE(IsInside("C:\\Start Menu\\Programs\\Velmaro", "c:\\start menu\\programs"));
  EXPECT_FALSE(IsInside("C:\\Start Menu\\ProgramsX", "C:\\Start Menu\\Programs"));
  EXPECT_FALSE(IsInside("C:\\Start Menu\\Programs", "C:\\Start Menu\\Programs"));
  EXPECT_FALSE(IsInside("C:\\Start Menu\\Programs\\..\\x", "C:\\Start Menu\\Programs"));
  EXPECT_TRUE(IsInside("C:\\x", "C:\\"));
  EXPECT_EQ(FolderOf("C:\\A\\Setup (1).exe"), "C:\\A");
  EXPECT_EQ(FolderOf("C:\\Setup.exe"), "C:\\");
  EXPECT_EQ(JoinPath("C:\\", "a"), "C:\\a");
  EXPECT_EQ(JoinPath("C:\\b", "a"), "C:\\b\\a");
  EXPECT_EQ(CommandPath("C:\\Program Files\\a.exe"), "\"C:\\Program Files\\a.exe\"");
  EXPECT_EQ(CommandPath("C:\\a.exe"), "C:\\a.exe");
  EXPECT_TRUE(SameAsciiText("HKEY_Current_USER", "hkey_current_user"));
  EXPECT_FALSE(SameAsciiText("\xC9", "\xE9")) << "only the ASCII letters fold";
  EXPECT_EQ(LowerAscii("C:\\MSDOS.SYS"), "c:\\msdos.sys");
}

}  // namespace
}  // namespace velmaro::forms
