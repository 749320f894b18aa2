// Setup's installation run through the in-memory platform: what lands where,
// what is registered, and what happens when a step fails.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/setup_fixture.h"
#include "setup/install_log.h"
#include "setup/installation.h"
#include "setup/shortcut.h"
#include "setup/silent_setup.h"

namespace velmaro::setup {
namespace {

using namespace velmaro::testing;

using forms::IdOk;
using platform::HkeyLocalMachine;

constexpr const char* kFolder = "C:\\Program Files\\Velmaro";
const std::string kLinks = std::string(kPrograms) + "\\Velmaro";
const std::string kKey(install::UninstallKey);

class InstallTest : public SetupTest {
protected:
  std::string Value(const std::string& name) {
    return system.reg.GetStringValue(HkeyLocalMachine, kKey, name, "<none>");
  }
  std::string Setting(std::string_view key) { return system.store.Read(key, "<none>"); }
  std::string Bytes(const std::string& path) {
    std::string bytes;
    files.ReadWholeFile(path, bytes, 1 << 20);
    return bytes;
  }
  platform::ShellLinkData Link(const std::string& file) {
    platform::ShellLinkData data;
    EXPECT_EQ(shell.ReadShellLink(file, data), platform::SOk) << file;
    return data;
  }
  // Runs the installation; a run with problems shows them in one box.
  void RunInstall(const std::string& folder = kFolder, bool expectProblems = false) {
    WalkTo(5, folder);
    if (expectProblems) tk.AnswerNextBox(IdOk);
    RunTimer();
    EXPECT_EQ(tk.UnusedScripts(), 0u);
    if (expectProblems) {
      EXPECT_EQ(tk.Boxes().back().title, "Installation incomplete");
      EXPECT_EQ(tk.Boxes().back().flags, forms::mb::Ok | forms::mb::IconExclamation);
    }
  }
  bool Registered() { return system.reg.KeyExists(HkeyLocalMachine, kKey); }
};

TEST_F(InstallTest, CopiesLinksStoresAndRegistersEverything) {
  std::vector<std::string> journal;
  files.RecordInto(&journal);
  RunInstall();
  for (std::size_t i = 0; i < install::Files.size(); ++i)
    EXPECT_EQ(Bytes(std::string(kFolder) + "\\" + std::string(install::Files[i].installed)),
              Content(static_cast<int>(i) + 1));
  // Every copy arrives beside its place first; only then are they moved in.
  std::vector<std::string> copies, moves;
  for (const auto& entry : journal) {
    if (entry.rfind("Copy ", 0) == 0) copies.push_back(entry.substr(5));
    if (entry.rfind("Move ", 0) == 0 && moves.size() < 5) moves.push_back(entry.substr(5));
  }
  const std::vector<std::string> partial = {
      "C:\\Program Files\\Velmaro\\Velmaro.exe.part", "C:\\Program Files\\Velmaro\\Velmaro.dll.part",
      "C:\\Program Files\\Velmaro\\Velmaro.hlp.part", "C:\\Program Files\\Velmaro\\ReadMe.txt.part",
      "C:\\Program Files\\Velmaro\\Uninstall.exe.part"};
  EXPECT_EQ(copies, partial);
  EXPECT_EQ(moves, partial);
  EXPECT_LT(std::find(journal.begin(), journal.end(), "Copy " + partial.back()) - journal.begin(),
            std::find(journal.begin(), journal.end(), "Move " + partial.front()) - journal.begin());

  const auto console = Link(kLinks + "\\Velmaro.lnk");
  EXPECT_EQ(console.path, "C:\\Program Files\\Velmaro\\Velmaro.exe");
  EXPECT_EQ(console.description, "ShellLink Sample");
  EXPECT_EQ(console.iconFile, console.path);
  EXPECT_EQ(console.iconIndex, 0);
  EXPECT_EQ(console.showCmd, platform::SwShowNormal);
  EXPECT_EQ(console.workingDirectory, "");
  EXPECT_EQ(console.arguments, "");
  EXPECT_EQ(Link(kLinks + "\\ReadMe.txt.lnk").path, "C:\\Program Files\\Velmaro\\ReadMe.txt");

  EXPECT_EQ(Setting(settings::DllPath), "C:\\Program Files\\Velmaro\\Velmaro.dll");
  EXPECT_EQ(Setting(settings::ShortcutPath), kLinks);
  EXPECT_EQ(Value("DisplayName"), "Velmaro 1.0");
  EXPECT_EQ(Value("UninstallString"), "\"C:\\Program Files\\Velmaro\\Uninstall.exe\"")
      << "quoted: the path holds a blank";
  EXPECT_EQ(Value("DisplayVersion"), "1.0");
  EXPECT_EQ(Value("DisplayIcon"), "C:\\Program Files\\Velmaro\\Velmaro.exe");
  EXPECT_EQ(Value("InstallLocation"), kFolder);
  EXPECT_EQ(Value("Publisher"), "The Velmaro developers");
  EXPECT_EQ(Value("QuietUninstallString"), "\"C:\\Program Files\\Velmaro\\Uninstall.exe\" /S");
  EXPECT_EQ(Value("InstallLog"), "C:\\Program Files\\Velmaro\\VelmaroInstall.log");
  const auto log = install::ReadLog(files, Value("InstallLog"));
  ASSERT_TRUE(log);
  EXPECT_EQ(log->files.size(), 5u);
  EXPECT_EQ(log->links.size(), 2u);
  EXPECT_TRUE(log->installFolder.made && log->shortcutFolder.made);
  platform::FileDigest exe;
  files.Digest(std::string(kFolder) + "\\Velmaro.exe", exe);
  EXPECT_EQ(log->files[0].digest, exe);
  EXPECT_EQ(system.reg.GetDWordValue(HkeyLocalMachine, kKey, "NoModify", 0), 1);
  EXPECT_EQ(system.reg.GetDWordValue(HkeyLocalMachine, kKey, "NoRepair", 0), 1);

  EXPECT_EQ(Caption("Label2", 3), "Copying complete.");
  EXPECT_EQ(Caption("Label3", 3), "Creating shortcut completed.");
  EXPECT_EQ(Caption("Label4", 2), "Registry updating complete.");
  for (const char* bar : {"ProgressBar1", "ProgressBar2", "ProgressBar3"})
    EXPECT_EQ(Get<forms::ProgressBar>(bar).Value(), 100) << bar;
  EXPECT_TRUE(Get("Label3", 3).Visible() && Get("ProgressBar3").Visible());
  EXPECT_TRUE(W().Problems().empty());
  Next();
  EXPECT_EQ(Caption("Label1", 5),
            "Installation of Velmaro 1.0 is completed. The 'Velmaro 1.0' is ready to run.");
  EXPECT_TRUE(Enabled("Start"));
}

TEST_F(InstallTest, ADriveRootTakesTheFilesDirectly) {
  RunInstall("C:\\");
  EXPECT_TRUE(files.IsFile("C:\\Velmaro.exe") && files.IsFile("C:\\Uninstall.exe"));
  EXPECT_EQ(Setting(settings::DllPath), "C:\\Velmaro.dll");
  EXPECT_EQ(Value("UninstallString"), "C:\\Uninstall.exe") << "no blank, no quotes";
  EXPECT_EQ(Value("InstallLocation"), "C:\\");
  EXPECT_EQ(Link(kLinks + "\\Velmaro.lnk").path, "C:\\Velmaro.exe");
  EXPECT_EQ(Link(kLinks + "\\ReadMe.txt.lnk").path, "C:\\ReadMe.txt");
}

TEST_F(InstallTest, ATypedTrailingBackslashIsNotDoubled) {
  files.PutFolder("C:\\Velmaro");
  RunInstall("c:\\velmaro\\");
  EXPECT_EQ(Setting(settings::DllPath), "C:\\Velmaro\\Velmaro.dll");
  EXPECT_EQ(Value("UninstallString"), "C:\\Velmaro\\Uninstall.exe");
  EXPECT_EQ(Link(kLinks + "\\Velmaro.lnk").path, "C:\\Velmaro\\Velmaro.exe");
}

TEST_F(InstallTest, ASecondInstallOverwritesAndKeepsOtherValues) {
  files.PutFolder(kFolder);
  files.PutFile(std::string(kFolder) + "\\Velmaro.exe", "older console");
  files.PutFile(std::string(kFolder) + "\\ReadMe.txt", "my own notes");
  system.reg.SaveStringValue(HkeyLocalMachine, kKey, "DisplayName", "Velmaro 0.9");
  system.reg.SaveStringValue(HkeyLocalMachine, kKey, "Comments", "kept");
  // Neither file is Setup's by any log: each is asked about, Yes then No.
  tk.AnswerNextBox(forms::IdYes);
  tk.AnswerNextBox(forms::IdNo);
  RunInstall(kFolder, true);
  EXPECT_EQ(Bytes(std::string(kFolder) + "\\Velmaro.exe"), Content(1));
  EXPECT_EQ(Bytes(std::string(kFolder) + "\\ReadMe.txt"), "my own notes");
  EXPECT_FALSE(files.Exists(kLinks + "\\ReadMe.txt.lnk")) << "no shortcut to the user's file";
  EXPECT_EQ(Value("DisplayName"), "Velmaro 1.0");
  EXPECT_EQ(Value("Comments"), "kept");
  const auto log = install::ReadLog(files, std::string(kFolder) + "\\VelmaroInstall.log");
  ASSERT_TRUE(log);
  EXPECT_EQ(log->File(std::string(kFolder) + "\\Velmaro.exe")->origin, install::Origin::Replaced);
  EXPECT_EQ(log->File(std::string(kFolder) + "\\ReadMe.txt")->origin, install::Origin::Kept);

  // Again over it, with the default choices: nothing is asked (the log says
  // whose each file is), the existing shortcut folder is used as it is, and
  // there is one entry and one log, rewritten.
  files.PutFile(std::string(kFolder) + "\\Velmaro.dll", "changed by hand");
  // The console runs: nothing is replaced until it is closed.
  const std::string console = std::string(kFolder) + "\\Velmaro.exe";
  files.HoldOpen(console);
  Make();
  WalkTo(4);
  tk.AnswerNextBox(forms::IdNo);  // the user's ReadMe.txt is still theirs: asked again
  tk.AnswerNextBox(forms::IdCancel, std::string(Wizard::InUseText));
  Next();
  EXPECT_EQ(W().Page(), 4) << "Cancel keeps page 4";
  tk.AnswerNextBox(forms::IdNo);
  tk.AnswerNextBox(forms::IdRetry, std::string(Wizard::InUseText), [&] { files.HoldOpen(console, false); });
  WalkTo(5);
  tk.AnswerNextBox(IdOk);  // told that ReadMe.txt has no shortcut
  RunTimer();
  EXPECT_EQ(Bytes(std::string(kFolder) + "\\Velmaro.dll"), Content(2));
  EXPECT_EQ(Bytes(std::string(kFolder) + "\\ReadMe.txt"), "my own notes");
  EXPECT_EQ(system.reg.GetAllKeys(HkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall").size(), 1u);
  EXPECT_EQ(install::ReadLog(files, std::string(kFolder) + "\\VelmaroInstall.log")->shortcutFolder.made, true)
      << "the folder the first run made stays Setup's";
}

TEST_F(InstallTest, AReinstallWithOtherShortcutsTakesAwayOnlyItsOwnEarlierLinks) {
  RunInstall();
  const std::string other = std::string(kPrograms) + "\\Tools\\Velmaro";
  files.PutFolder(std::string(kPrograms) + "\\Tools");
  files.PutFile(kLinks + "\\ReadMe.txt.lnk", "changed by the user");
  Make();
  WalkTo(6, kFolder, "Tools\\Velmaro");
  EXPECT_TRUE(files.IsFile(other + "\\Velmaro.lnk") && files.IsFile(other + "\\ReadMe.txt.lnk"));
  EXPECT_FALSE(files.Exists(kLinks + "\\Velmaro.lnk")) << "Setup's, unchanged: no log would know of it";
  EXPECT_EQ(Bytes(kLinks + "\\ReadMe.txt.lnk"), "changed by the user");
  // Back again: the folder Setup made for the second run goes with its links,
  // the first one is used as it is.
  Make();
  WalkTo(6, kFolder, "Velmaro");
  EXPECT_FALSE(files.Exists(other));
  EXPECT_TRUE(files.IsDirectory(std::string(kPrograms) + "\\Tools")) << "not Setup's";
  EXPECT_TRUE(files.IsFile(kLinks + "\\Velmaro.lnk"));
  EXPECT_EQ(install::ReadLog(files, std::string(kFolder) + "\\VelmaroInstall.log")->links.size(), 2u);
}

TEST_F(InstallTest, ARenamedSetupStillFindsItsFiles) {
  files.Delete(std::string(kDist) + "\\Setup.exe");
  PutDistribution("D:\\Downloads", "Setup (1).exe");
  RunInstall();
  EXPECT_EQ(Bytes(std::string(kFolder) + "\\Uninstall.exe"), Content(5));
  EXPECT_TRUE(W().Problems().empty());
}

TEST_F(InstallTest, ASetupWhosePathIsLongerThan255CharactersFindsItsFiles) {
  files.Delete(std::string(kDist) + "\\Setup.exe");
  // 256 characters with the program's name: no buffer of 255 may cut it.
  const std::string deep = "D:\\" + std::string(243, 'd');
  PutDistribution(deep, "Setup.exe");
  ASSERT_EQ((deep + "\\Setup.exe").size(), 256u);
  RunInstall();
  EXPECT_EQ(Bytes(std::string(kFolder) + "\\Velmaro.exe"), Content(1));
  EXPECT_TRUE(W().Problems().empty());
}

// Setup.exe knows each payload file's size and digest: a damaged folder
// ends it before page 1, with nothing made.
TEST_F(InstallTest, AMissingSourceFileIsToldAndTheRestGoesOn) {
  const std::string dist(kDist);
  const std::vector<std::pair<std::string, std::function<void()>>> damages = {
      {"Velmaro.003 is missing", [&] { files.Delete(dist + "\\Velmaro.003"); }},
      {"Velmaro.001 is empty", [&] { files.PutFile(dist + "\\Velmaro.001", ""); }},
      {"Velmaro.005 is shorter than it should be", [&] { files.PutFile(dist + "\\Velmaro.005", "file 5"); }},
      {"Velmaro.002 is not the file Setup was built with",
       [&] { files.PutFile(dist + "\\Velmaro.002", Content(2).replace(3, 1, "X")); }},
  };
  const auto before = files.AllPaths();
  for (const auto& [said, damage] : damages) {
    SCOPED_TRACE(said);
    damage();
    forms::MemoryToolkit fresh;  // a Setup of its own: each one ends
    SetupSystem own{fresh, registry, files, files, shell};
    own.payload = system.payload;
    Wizard setup(own);
    fresh.AnswerNextBox(IdOk);
    fresh.Show(setup);
    EXPECT_TRUE(fresh.Ended());
    EXPECT_EQ(fresh.Boxes().back().text.rfind("The distribution folder is damaged: " + said + ".", 0), 0u)
        << fresh.Boxes().back().text;
    EXPECT_EQ(fresh.Boxes().back().flags, forms::mb::Ok | forms::mb::IconStop);
    EXPECT_EQ(files.AllPaths().size(), before.size() - (said.find("missing") != std::string::npos));
    EXPECT_FALSE(Registered());
    PutDistribution(dist, "Setup.exe");
  }
}

TEST_F(InstallTest, WithoutTheConsoleNothingIsOfferedToStart) {
  // The user keeps a Velmaro.exe of their own: it is not Setup's to start.
  files.PutFile(std::string(kFolder) + "\\Velmaro.exe", "mine");
  tk.AnswerNextBox(forms::IdNo);
  RunInstall(kFolder, true);
  EXPECT_EQ(Caption("Label3", 3), "Creating shortcut failed for : Velmaro.exe");
  EXPECT_FALSE(files.Exists(kLinks + "\\Velmaro.lnk"));
  EXPECT_TRUE(files.IsFile(kLinks + "\\ReadMe.txt.lnk"));
  Next();
  EXPECT_EQ(Get<forms::CheckBox>("Start").Value(), 0);
  EXPECT_FALSE(Enabled("Start"));
  Next();
  EXPECT_TRUE(shell.Executions().empty());
  EXPECT_TRUE(tk.Ended());
}

TEST_F(InstallTest, NothingInstalledMeansNothingRegistered) {
  // Read-only folder, full disk, missing sources: every copy fails.
  for (std::size_t i = 0; i < install::Files.size(); ++i) files.FailNext("Copy", platform::ErrorAccessDenied);
  RunInstall(kFolder, true);
  EXPECT_EQ(W().Problems().size(), 8u) << "five copies, two shortcuts, and nothing installed";
  EXPECT_EQ(W().Problems()[0], "Velmaro.exe could not be copied: access was denied.");
  EXPECT_EQ(Caption("Label4", 2), "Registry not updated: nothing was installed.");
  EXPECT_FALSE(Registered());
  EXPECT_EQ(Setting(settings::DllPath), "<none>");
  EXPECT_EQ(Setting(settings::ShortcutPath), "<none>");
  EXPECT_FALSE(files.Exists(kLinks)) << "the empty shortcut folder is not left behind";
  EXPECT_FALSE(files.Exists(kFolder)) << "nor the install folder Setup made";
  Next();
  EXPECT_FALSE(Enabled("Start"));
}

TEST_F(InstallTest, WithoutTheUninstallerTheProgramIsNotListed) {
  files.PutFile(std::string(kFolder) + "\\Uninstall.exe", "the user's own");
  tk.AnswerNextBox(forms::IdNo);
  RunInstall(kFolder, true);
  EXPECT_FALSE(Registered());
  EXPECT_EQ(Setting(settings::DllPath), "C:\\Program Files\\Velmaro\\Velmaro.dll");
  EXPECT_EQ(W().Problems().back(),
            "Velmaro 1.0 was not entered in the list of installed programs: Setup did not install "
            "Uninstall.exe.");
  EXPECT_EQ(Caption("Label4", 2), "Registry updating failed.");
}

TEST_F(InstallTest, AShortcutTheShellRefusesIsToldWithItsReason) {
  shell.FailNext("Save", platform::HResultFromWin32(platform::ErrorAccessDenied));
  RunInstall(kFolder, true);
  EXPECT_EQ(Caption("Label3", 3), "Creating shortcut failed for : Velmaro.exe");
  EXPECT_EQ(W().Problems()[0], "The shortcut to Velmaro.exe could not be made (error 0x80070005).");
  EXPECT_EQ(Setting(settings::ShortcutPath), kLinks) << "the other shortcut is in it";
}

TEST_F(InstallTest, ARegistryThatRefusesWritesIsTold) {
  registry.FailNext("SetValue", platform::ErrorAccessDenied);
  RunInstall(kFolder, true);
  EXPECT_EQ(Caption("Label4", 2), "Registry updating failed.");
  EXPECT_EQ(W().Problems(), (std::vector<std::string>{
                                "The settings of Velmaro could not be stored.",
                                "Velmaro 1.0 could not be entered in the list of installed programs."}));
}

TEST_F(InstallTest, SilentlyAsksNothingAndAFileInTheWayChangesNothing) {
  files.PutFile("C:\\Velmaro\\ReadMe.txt", "mine");
  const auto before = files.AllPaths();
  std::string report;
  EXPECT_EQ(InstallSilently(system, "", report), ExitFailed);
  EXPECT_NE(report.find("C:\\Velmaro\\ReadMe.txt is already there"), std::string::npos) << report;
  EXPECT_EQ(files.AllPaths(), before);
  EXPECT_FALSE(Registered());
  // A folder named in letters the code page lacks is refused for that, and each is named once.
  EXPECT_EQ(InstallSilently(system, "C:\\Программы\\Velmaro", report), ExitFailed);
  EXPECT_EQ(report.rfind("C:\\Программы\\Velmaro cannot be the install folder: its name holds characters "
                         "that this system's code page lacks (П р о г а м ы).", 0), 0u) << report;
  EXPECT_EQ(files.AllPaths(), before);
  EXPECT_EQ(InstallSilently(system, "C:\\New\\Deep\\Velmaro", report), ExitInstalled) << report;
  EXPECT_EQ(Bytes("C:\\New\\Deep\\Velmaro\\Uninstall.exe"), Content(5));
  EXPECT_EQ(Value("QuietUninstallString"), "\"C:\\New\\Deep\\Velmaro\\Uninstall.exe\" /S");
  EXPECT_EQ(InstallSilently(system, "Velmaro", report), ExitNotUnderstood);
  EXPECT_TRUE(tk.Boxes().empty()) << "nothing asked, nothing shown";
}

TEST(SetupCommandTest, OnlyTheSilentModeAndItsFolderAreUnderstood) {
  struct Case {
    const char* line;
    bool understood, silent;
    const char* folder;
  };
  for (const Case& c : {Case{"", true, false, ""}, Case{"  /S ", true, true, ""},
                        Case{"/s /D=C:\\Program Files\\My Velmaro ", true, true, "C:\\Program Files\\My Velmaro"},
                        Case{"/S /D=\"D:\\Tools\"", true, true, "D:\\Tools"},
                        Case{"/D=C:\\Velmaro", false, false, "C:\\Velmaro"},  // no window to show it in
                        Case{"/S /X", false, true, ""}, Case{"/S /D=", false, true, ""},
                        Case{"/Silent", false, false, ""}}) {
    const SetupCommand got = ParseSetupCommand(c.line);
    EXPECT_EQ(got.understood, c.understood) << c.line;
    if (got.understood) {
      EXPECT_EQ(got.silent, c.silent) << c.line;
      EXPECT_EQ(got.folder, c.folder) << c.line;
    }
  }
}

class ShortcutTest : public ::testing::Test {
protected:
  void SetUp() override { files.PutFile("C:\\App\\app.exe", "MZ"); }
  platform::MemoryFiles files;
  platform::MemoryShell shell{files};
};

TEST_F(ShortcutTest, SetsOnlyWhatItIsGivenAndStopsAtTheFirstRefusal) {
  using platform::Failed;
  EXPECT_EQ(CreateShortcut(shell, "", "C:\\App\\app.exe", "", "", "", 0, 1), platform::EInvalidArg);
  EXPECT_EQ(CreateShortcut(shell, "C:\\a.lnk", "", "", "", "", 0, 1), platform::EInvalidArg);
  EXPECT_FALSE(files.Exists("C:\\a.lnk"));

  ASSERT_FALSE(Failed(CreateShortcut(shell, "C:\\a.lnk", "C:\\App\\app.exe", "C:\\App", "-x",
                                     "C:\\App\\app.exe", 3, 7)));
  platform::ShellLinkData data;
  ASSERT_EQ(shell.ReadShellLink("C:\\a.lnk", data), platform::SOk);
  EXPECT_EQ(data.workingDirectory, "C:\\App");
  EXPECT_EQ(data.arguments, "-x");
  EXPECT_EQ(data.iconIndex, 3);
  EXPECT_EQ(data.showCmd, 7);

  for (const char* step : {"NewShellLink", "SetPath", "SetDescription", "Resolve", "Save"}) {
    shell.FailNext(step, platform::EFail);
    EXPECT_EQ(CreateShortcut(shell, "C:\\b.lnk", "C:\\App\\app.exe", "", "", "", 0, 1), platform::EFail)
        << step;
    EXPECT_FALSE(files.Exists("C:\\b.lnk")) << step;
  }
  // Steps it was not asked for are not taken, so their failure cannot stop it.
  shell.FailNext("SetArguments", platform::EFail);
  EXPECT_FALSE(Failed(CreateShortcut(shell, "C:\\b.lnk", "C:\\App\\app.exe", "", "", "", 0, 1)));
}

}  // namespace
}  // namespace velmaro::setup
