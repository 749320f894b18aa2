// Uninstall over the in-memory platform, starting from what Setup leaves:
// the question and its ways out, the removal and its order, and settings
// that do not name this installation, which must never cost a file outside it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_shell.h"
#include "platform/memory/memory_toolkit.h"
#include "setup/install_log.h"
#include "setup/installation.h"
#include "uninstall/form1.h"

namespace velmaro::uninstall {
namespace {

using forms::IdOk;
using platform::HkeyCurrentUser;
using platform::HkeyLocalMachine;

constexpr const char* kFolder = "C:\\Program Files\\Velmaro";
constexpr const char* kPrograms = "C:\\WINDOWS\\Start Menu\\Programs";
constexpr const char* kLinks = "C:\\WINDOWS\\Start Menu\\Programs\\Velmaro";
const std::string kKey(install::UninstallKey);
const std::vector<std::string> kProgramFiles = {"Velmaro.exe", "Velmaro.dll", "Velmaro.hlp", "ReadMe.txt"};

class UninstallTest : public ::testing::Test {
protected:
  void SetUp() override { Install(kFolder); }
  // An installation as Setup leaves it, with this program in `folder`.
  void Install(const std::string& folder) {
    const std::string dir = folder.size() == 3 ? folder.substr(0, 2) : folder;
    for (const auto& file : install::Files) files.PutFile(dir + "\\" + std::string(file.installed), "x");
    files.SetModulePath(dir + "\\Uninstall.exe");
    files.PutFile(std::string(kLinks) + "\\Velmaro.lnk", "link");
    files.PutFile(std::string(kLinks) + "\\ReadMe.txt.lnk", "link");
    WriteLog(folder);
    store.Write(settings::DllPath, dir + "\\Velmaro.dll");
    store.Write(settings::ShortcutPath, kLinks);
    store.Write(settings::ShowMess, "0");  // the console's own options go too
    store.Write(settings::BootDelay, "3");
    reg.SaveStringValue(HkeyLocalMachine, kKey, "DisplayName", "Velmaro 1.0");
    Restart();
  }
  // The install log Setup leaves beside Uninstall.exe, for what is there now.
  void WriteLog(const std::string& folder) {
    install::InstallLog log;
    log.installFolder = {folder, false};
    log.shortcutFolder = {kLinks, true};
    const std::string dir = folder.size() == 3 ? folder.substr(0, 2) : folder;
    for (const auto& file : install::Files) {
      auto& f = log.files.emplace_back();
      f.path = dir + "\\" + std::string(file.installed);
      files.Digest(f.path, f.digest);
    }
    for (const char* link : {"Velmaro.lnk", "ReadMe.txt.lnk"}) {
      auto& l = log.links.emplace_back();
      l.path = std::string(kLinks) + "\\" + link;
      files.Digest(l.path, l.digest);
    }
    files.PutFile(dir + "\\" + std::string(install::LogName), log.Text());
  }
  // An installation made before Setup kept a log.
  void ForgetLog() { files.Delete(std::string(kFolder) + "\\" + std::string(install::LogName)); }
  // Uninstall started afresh over the same disk and registry.
  void Restart() {
    window.reset();
    session = std::make_unique<Session>(registry, files, shell);
    window = std::make_unique<Form1>(session->system);
  }
  Form1& W() { return *window; }
  std::string Label() { return W().Get<forms::Label>("Label1").Caption(); }
  bool Installed(const std::string& dir = kFolder) {
    for (const auto& name : kProgramFiles)
      if (!files.IsFile(dir + "\\" + name)) return false;
    return reg.KeyExists(HkeyLocalMachine, kKey) && store.Read(settings::DllPath) != "";
  }
  bool Linked() {
    return files.IsFile(std::string(kLinks) + "\\Velmaro.lnk") &&
           files.IsFile(std::string(kLinks) + "\\ReadMe.txt.lnk");
  }
  bool SettingsGone() { return !reg.KeyExists(HkeyCurrentUser, "Software\\Velmaro"); }
  // Yes, and the final message answered; what it said is returned.
  std::string Remove() {
    Tk().Show(W());
    Tk().AnswerNextBox(IdOk);
    Tk().Click(W(), "Yes");
    EXPECT_TRUE(Tk().Ended());
    EXPECT_EQ(Tk().Boxes().back().title, "Uninstalling complete.");
    EXPECT_EQ(Tk().Boxes().back().flags, forms::mb::Ok | forms::mb::IconInformation);
    return Tk().Boxes().back().text;
  }

  platform::MemoryRegistry registry;
  platform::MemoryFiles files;
  platform::MemoryShell shell{files};
  // What lives as long as one run of the program.
  struct Session {
    Session(platform::MemoryRegistry& r, platform::MemoryFiles& f, platform::MemoryShell& sh)
        : system(tk, r, f, sh) {}
    forms::MemoryToolkit tk;
    UninstallSystem system;
  };
  std::unique_ptr<Session> session = std::make_unique<Session>(registry, files, shell);
  // The test's own view of the registry, which outlives every session.
  RegExtra reg{registry};
  SettingsStore store{registry};
  forms::MemoryToolkit& Tk() { return session->tk; }
  std::unique_ptr<Form1> window;
};

TEST_F(UninstallTest, AsksOnceWithNoAsTheDefault) {
  Tk().Show(W());
  EXPECT_EQ(W().Caption(), "Uninstall - Velmaro 1.0");
  EXPECT_EQ(Label(), "Do you really want to uninstall Velmaro 1.0 ?");
  EXPECT_EQ(W().DefaultButton(), &W().Get<forms::Button>("No"));
  EXPECT_EQ(W().ActiveControl(), &W().Get("No")) << "No has the focus";
  EXPECT_TRUE(W().Get("Yes").Visible() && W().Get("No").Visible());
}

TEST_F(UninstallTest, EveryWayOutBeforeYesLeavesEverything) {
  const std::vector<std::pair<std::string, std::function<void()>>> ways = {
      {"No", [&] { Tk().Click(W(), "No"); }},
      {"Enter", [&] { Tk().PressEnter(W()); }},
      {"Esc", [&] { Tk().PressEscape(W()); }},
      {"close box", [&] { EXPECT_TRUE(Tk().CloseBox(W())); }},
  };
  for (const auto& [how, act] : ways) {
    Tk().Show(W());
    act();
    EXPECT_FALSE(W().Loaded()) << how;
    EXPECT_TRUE(Installed() && Linked() && !SettingsGone()) << how << " removed something";
    EXPECT_TRUE(Tk().Boxes().empty()) << how;
    Restart();
  }
}

TEST_F(UninstallTest, YesRemovesInOrderAndKeepsItselfAndTheFolder) {
  std::vector<std::string> journal;
  files.RecordInto(&journal);
  registry.RecordInto(&journal);
  Tk().Show(W());
  Tk().AnswerNextBox(IdOk, {}, [&] {
    // While the final message is up: the removing state.
    EXPECT_FALSE(W().Get("Yes").Visible() || W().Get("No").Visible());
    EXPECT_EQ(Label(), "Removing the Velmaro 1.0 utility. Please wait...");
    EXPECT_LT(W().ClientHeight(), Form1::Design().clientHeight);
    EXPECT_FALSE(Tk().CloseBox(W())) << "the close box is refused while it removes";
  });
  Tk().Click(W(), "Yes");
  EXPECT_EQ(Tk().Boxes().back().text,
            "Velmaro 1.0 has been uninstalled. The directory C:\\Program Files\\Velmaro cannot be "
            "removed.");
  EXPECT_EQ(journal, (std::vector<std::string>{
                         "Delete C:\\Program Files\\Velmaro\\Velmaro.exe",
                         "Delete C:\\Program Files\\Velmaro\\Velmaro.dll",
                         "Delete C:\\Program Files\\Velmaro\\Velmaro.hlp",
                         "Delete C:\\Program Files\\Velmaro\\ReadMe.txt",
                         "Delete C:\\WINDOWS\\Start Menu\\Programs\\Velmaro\\Velmaro.lnk",
                         "Delete C:\\WINDOWS\\Start Menu\\Programs\\Velmaro\\ReadMe.txt.lnk",
                         "RemoveDir C:\\WINDOWS\\Start Menu\\Programs\\Velmaro",
                         "DeleteKey " + kKey,
                         "DeleteKey Software\\Velmaro",
                         "Delete C:\\Program Files\\Velmaro\\VelmaroInstall.log",
                     }));
  EXPECT_TRUE(files.IsFile(std::string(kFolder) + "\\Uninstall.exe"));
  EXPECT_TRUE(SettingsGone());
  EXPECT_FALSE(reg.KeyExists(HkeyLocalMachine, kKey));
  EXPECT_TRUE(Tk().Ended());
}

TEST_F(UninstallTest, ADriveRootInstallIsRemovedFromTheRootOnly) {
  files.PutFile("C:\\Other\\Velmaro.exe", "someone else's");
  window.reset();
  Install("C:\\");
  EXPECT_EQ(Remove(), "Velmaro 1.0 has been uninstalled. The directory C: cannot be removed.");
  for (const auto& name : kProgramFiles) EXPECT_FALSE(files.Exists("C:\\" + name)) << name;
  EXPECT_TRUE(files.IsFile("C:\\Uninstall.exe"));
  EXPECT_TRUE(files.IsFile("C:\\Other\\Velmaro.exe"));
}

TEST_F(UninstallTest, FilesInUseOrGoneDoNotStopTheRest) {
  const std::string console = std::string(kFolder) + "\\Velmaro.exe";
  files.HoldOpen(console);
  // The console runs: Cancel ends Uninstall with nothing removed.
  Tk().Show(W());
  Tk().AnswerNextBox(forms::IdCancel, std::string(Form1::InUseText));
  Tk().Click(W(), "Yes");
  EXPECT_TRUE(Tk().Ended());
  EXPECT_TRUE(Installed() && Linked() && !SettingsGone());
  // Again; Retry while it still runs asks again, Retry once it is closed goes on.
  Restart();
  files.Delete(std::string(kFolder) + "\\ReadMe.txt");  // removed by hand: nothing to tell
  files.PutFile(std::string(kFolder) + "\\Velmaro.hlp", "x", platform::FileAttributeReadOnly);
  Tk().Show(W());
  Tk().AnswerNextBox(forms::IdRetry, std::string(Form1::InUseText));
  Tk().AnswerNextBox(forms::IdRetry, std::string(Form1::InUseText), [&] { files.HoldOpen(console, false); });
  // A program file that stays keeps the entry and the settings, so that
  // Uninstall can be run again.
  EXPECT_EQ(Remove(),
            "Velmaro 1.0 could not be uninstalled completely. The directory C:\\Program Files\\Velmaro "
            "cannot be removed.\n\nThese could not be removed:"
            "\nC:\\Program Files\\Velmaro\\Velmaro.hlp (access was denied)"
            "\n\nVelmaro 1.0 stays in the list of installed programs, and the settings of Velmaro stay, "
            "so that Uninstall can be run again when they can be removed.");
  EXPECT_FALSE(files.Exists(console) || files.Exists(std::string(kFolder) + "\\Velmaro.dll"));
  EXPECT_FALSE(Linked());
  EXPECT_FALSE(SettingsGone());
  EXPECT_TRUE(reg.KeyExists(HkeyLocalMachine, kKey));
}

TEST_F(UninstallTest, AFileOfTheUsersOwnKeepsTheShortcutFolder) {
  files.PutFile(std::string(kLinks) + "\\My notes.txt", "mine");
  Remove();
  EXPECT_FALSE(Linked());
  EXPECT_TRUE(files.IsFile(std::string(kLinks) + "\\My notes.txt"));
}

// Settings that do not name this program's folder, and no install log:
// nothing but the entry and the settings goes, and the question says so
// before Yes.
TEST_F(UninstallTest, SettingsThatDoNotNameThisInstallationCostNoFile) {
  ForgetLog();
  files.PutFile("C:\\Velmaro.exe", "the root's own");
  files.PutFile("C:\\Velmaro.dll", "the root's own");
  const std::string tooLong = "C:\\" + std::string(70000, 'v') + "\\Velmaro.dll";
  const std::vector<std::pair<std::string, std::function<void()>>> cases = {
      {"absent", [&] { store.DeleteSettings(settings::App); }},
      {"empty", [&] { store.Write(settings::DllPath, ""); }},
      {"x", [&] { store.Write(settings::DllPath, "x"); }},
      {"the root, program elsewhere", [&] { store.Write(settings::DllPath, "C:\\Velmaro.dll"); }},
      {"another folder", [&] { store.Write(settings::DllPath, "C:\\WINDOWS\\Velmaro.dll"); }},
      {"70,000 characters", [&] { store.Write(settings::DllPath, tooLong); }},
      {"a DWORD", [&] {
         reg.SaveDWordValue(HkeyCurrentUser, "Software\\Velmaro\\Settings", "DllPath", 7);
       }},
      {"binary", [&] {
         reg.SaveBinaryValue(HkeyCurrentUser, "Software\\Velmaro\\Settings", "DllPath", {'C', ':'});
       }},
      // What an ANSI read gives for a name the code page cannot hold.
      {"spelt with '?'", [&] { store.Write(settings::DllPath, "C:\\Program Files\\V?lmaro\\Velmaro.dll"); }},
  };
  for (const auto& [what, spoil] : cases) {
    SCOPED_TRACE(what);
    spoil();
    Restart();
    Tk().Show(W());
    EXPECT_NE(Label().find("do not name the folder this program is in"), std::string::npos);
    EXPECT_EQ(Remove(),
              "Velmaro 1.0 has been removed from the list of installed programs and its settings are "
              "deleted. No program files were removed.");
    for (const auto& name : kProgramFiles)
      EXPECT_TRUE(files.IsFile(std::string(kFolder) + "\\" + name)) << name;
    EXPECT_TRUE(files.IsFile("C:\\Velmaro.exe") && files.IsFile("C:\\Velmaro.dll"));
    EXPECT_TRUE(Linked());
    EXPECT_FALSE(reg.KeyExists(HkeyLocalMachine, kKey));
    EXPECT_TRUE(SettingsGone());
    // Set up again for the next case.
    store.Write(settings::DllPath, std::string(kFolder) + "\\Velmaro.dll");
    store.Write(settings::ShortcutPath, kLinks);
    reg.SaveStringValue(HkeyLocalMachine, kKey, "DisplayName", "Velmaro 1.0");
  }
}

TEST_F(UninstallTest, ShortcutsAreRemovedOnlyInsideTheProgramsFolder) {
  ForgetLog();
  files.PutFile("C:\\WINDOWS\\Velmaro.lnk", "not ours to take");
  store.Write(settings::ShortcutPath, "C:\\WINDOWS");
  Restart();
  EXPECT_EQ(Remove(),
            "Velmaro 1.0 has been uninstalled. The directory C:\\Program Files\\Velmaro cannot be "
            "removed.\n\nThe shortcut folder C:\\WINDOWS lies outside the Programs folder of the "
            "Start menu and was left alone.");
  EXPECT_TRUE(files.IsFile("C:\\WINDOWS\\Velmaro.lnk"));
  EXPECT_FALSE(files.Exists(std::string(kFolder) + "\\Velmaro.exe")) << "the program files still go";
  EXPECT_TRUE(Linked());
}

// Without a log: StartUp as the shortcut folder stays; a link that leads
// elsewhere stays; an installation at a drive root costs no file there.
TEST_F(UninstallTest, WithoutALogTheSystemsFoldersAndOtherLinksStay) {
  ForgetLog();
  const std::string startup = std::string(kPrograms) + "\\StartUp";
  files.PutFolder(startup);
  store.Write(settings::ShortcutPath, startup);
  files.PutFile(startup + "\\ReadMe.txt.lnk", "another program's");
  Restart();
  Remove();
  EXPECT_TRUE(files.IsDirectory(startup));
  EXPECT_TRUE(files.IsFile(startup + "\\ReadMe.txt.lnk")) << "it does not lead into the install folder";
  EXPECT_FALSE(files.Exists(std::string(kFolder) + "\\Velmaro.exe"));

  window.reset();
  Install("C:\\");
  files.Delete("C:\\" + std::string(install::LogName));
  files.PutFile("C:\\ReadMe.txt", "the user's own");
  Restart();
  Tk().Show(W());
  EXPECT_NE(Label().find("a folder of the system's own"), std::string::npos);
  Remove();
  EXPECT_TRUE(files.IsFile("C:\\ReadMe.txt") && files.IsFile("C:\\Velmaro.exe"));
}

TEST_F(UninstallTest, AShortcutPathNamingAFileRemovesNothingThere) {
  ForgetLog();
  const std::string file = "C:\\WINDOWS\\Start Menu\\Programs\\Notes.txt";
  files.PutFile(file, "a file");
  store.Write(settings::ShortcutPath, file);
  Restart();
  Remove();
  EXPECT_TRUE(files.IsFile(file));
  EXPECT_TRUE(Linked());
}

}  // namespace
}  // namespace velmaro::uninstall
