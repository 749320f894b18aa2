// Setup's installation run and Uninstall's removal, each run again and again
// with the system refusing its k-th change, for every k: nothing crashes;
// nothing is registered as installed that was not installed; the user is
// told whenever the result falls short; Uninstall never touches a file
// outside the installation, and says what it could not remove.
#include <gtest/gtest.h>

#include "platform/memory/memory_shell.h"
#include "platform/memory/memory_toolkit.h"
#include "setup/installation.h"
#include "setup/wizard.h"
#include "support/registry_dump.h"
#include "system_access/settings_store.h"
#include "support/fault_plan.h"
#include "uninstall/form1.h"

namespace velmaro::testing {
namespace {

constexpr const char* kDist = "D:\\DIST";
constexpr const char* kFolder = "C:\\Program Files\\Velmaro";
constexpr const char* kLinks = "C:\\WINDOWS\\Start Menu\\Programs\\Velmaro";
const std::string kKey(install::UninstallKey);

// Questions get Yes; every other box's title and text is kept.
class Told final : public forms::MemoryToolkit {
public:
  std::vector<std::string> boxes;
  int MsgBox(const std::string& text, const std::string& title, int flags) override {
    if (forms::IsAnswerOf(flags, forms::IdYes)) return forms::IdYes;
    boxes.push_back(title + ": " + text);
    return forms::IdOk;
  }
};

struct SetupRun : FaultyMachine {
  MemoryShell shell{files};
  Told tk;
  setup::SetupSystem system{tk, failing, failingFiles, files, shell};
  setup::Wizard wizard{system};

  SetupRun() {
    files.Delete("C:\\Program Files\\Velmaro\\Velmaro.exe");
    files.RemoveDir("C:\\Program Files\\Velmaro");
    files.AddDrive('D', true, "CD");
    files.SetModulePath(std::string(kDist) + "\\Setup.exe");
    for (int i = 1; i <= 5; ++i) {
      files.PutFile(std::string(kDist) + "\\Velmaro.00" + std::to_string(i), "file " + std::to_string(i));
      files.Digest(std::string(kDist) + "\\Velmaro.00" + std::to_string(i), system.payload[i - 1]);
    }
    files.SetCurrentDirectory(kDist);
  }
  // Pages 1 to 5 as a user walks them, the run left to the timer.
  void WalkToInstalling() {
    tk.Show(wizard);
    while (wizard.Page() < 5) {
      if (wizard.Page() == 3) tk.Type(wizard, "TextCopy", kFolder);
      if (wizard.Page() == 4) tk.Type(wizard, "Text1", "Velmaro");
      tk.Click(wizard, "NextStep");
    }
  }
  bool FileThere(std::string_view name) {
    return files.IsFile(std::string(kFolder) + "\\" + std::string(name));
  }
};

TEST(InstallFaultsTest, EveryChangeOfTheInstallationRunMayFailAndNothingIsClaimedThatIsNot) {
  SetupRun clean;
  clean.WalkToInstalling();
  clean.plan.count = 0;
  clean.tk.Advance(1250);
  const int changes = clean.plan.count;
  ASSERT_GT(changes, 5);
  ASSERT_TRUE(clean.tk.boxes.empty()) << clean.tk.boxes.front();
  const std::string complete = DumpRegistry(clean.registry);

  for (int k = 1; k <= changes; ++k) {
    SetupRun r;
    r.WalkToInstalling();
    r.plan.count = 0;
    r.plan.failAt = k;
    r.tk.Advance(1250);
    const std::string where = "change " + std::to_string(k) + " refused";
    ASSERT_TRUE(r.plan.failed) << where;
    EXPECT_EQ(r.wizard.Page(), 5) << where;
    // Listed as installed only with the uninstaller that takes it away; the
    // settings name the folder installed into (Uninstall finds it there, a
    // library that could not be copied included, which the user was told).
    if (RegExtra(r.registry).KeyExists(HkeyLocalMachine, kKey)) {
      EXPECT_TRUE(r.FileThere(install::Uninstaller)) << where;
    }
    const std::string dll = SettingsStore(r.registry).Read(settings::DllPath);
    if (!dll.empty()) {
      EXPECT_EQ(dll, std::string(kFolder) + "\\Velmaro.dll") << where;
    }
    // Anything short of a whole installation is told.
    bool whole = DumpRegistry(r.registry) == complete;
    for (const auto& f : install::Files) whole = whole && r.FileThere(f.installed);
    for (const auto& s : install::Shortcuts)
      whole = whole && r.files.IsFile(std::string(kLinks) + "\\" + std::string(s.link));
    if (!whole) {
      EXPECT_FALSE(r.tk.boxes.empty()) << where;
    }
    // The console is offered to start only when it is there.
    if (!r.FileThere(install::Console)) {
      EXPECT_FALSE(r.wizard.ConsoleInstalled()) << where;
    }
  }
}

struct UninstallRun : FaultyMachine {
  MemoryShell shell{files};
  Told tk;
  uninstall::UninstallSystem system{tk, failing, failingFiles, shell};
  std::unique_ptr<uninstall::Form1> window;

  UninstallRun() {
    for (const auto& f : install::Files) files.PutFile(std::string(kFolder) + "\\" + std::string(f.installed), "x");
    files.SetModulePath(std::string(kFolder) + "\\Uninstall.exe");
    // Links into this installation, as Setup made them: the ones Uninstall removes.
    files.PutFolder(kLinks);
    for (const auto& s : install::Shortcuts) {
      HResult hr = 0;
      const auto link = shell.NewShellLink(hr);
      link->SetPath(std::string(kFolder) + "\\" + std::string(s.target));
      link->Save(std::string(kLinks) + "\\" + std::string(s.link));
    }
    files.PutFile("C:\\My Documents\\Velmaro.exe", "the user's own");  // outside: never touched
    const SettingsStore store(registry);
    store.Write(settings::DllPath, std::string(kFolder) + "\\Velmaro.dll");
    store.Write(settings::ShortcutPath, kLinks);
    RegExtra(registry).SaveStringValue(HkeyLocalMachine, kKey, "DisplayName", "Velmaro 1.0");
    window = std::make_unique<uninstall::Form1>(system);
  }
};

TEST(InstallFaultsTest, EveryChangeOfTheRemovalMayFailAndWhatStaysIsTold) {
  UninstallRun clean;
  for (const auto& s : install::Shortcuts)
    ASSERT_TRUE(clean.files.IsFile(std::string(kLinks) + "\\" + std::string(s.link))) << s.link;
  clean.tk.Show(*clean.window);
  clean.plan.count = 0;
  clean.tk.Click(*clean.window, "Yes");
  const int changes = clean.plan.count;
  ASSERT_GT(changes, 5);
  for (const auto& s : install::Shortcuts)
    ASSERT_FALSE(clean.files.Exists(std::string(kLinks) + "\\" + std::string(s.link))) << s.link;

  for (int k = 1; k <= changes; ++k) {
    UninstallRun r;
    r.tk.Show(*r.window);
    r.plan.count = 0;
    r.plan.failAt = k;
    r.tk.Click(*r.window, "Yes");
    const std::string where = "change " + std::to_string(k) + " refused";
    ASSERT_TRUE(r.plan.failed) << where;
    std::string bytes;
    r.files.ReadWholeFile("C:\\My Documents\\Velmaro.exe", bytes, 100);
    EXPECT_EQ(bytes, "the user's own") << where;
    EXPECT_TRUE(r.files.IsFile(std::string(kFolder) + "\\Uninstall.exe")) << where;
    // A program file that is still there is named in the final message.
    std::string told;
    for (const auto& b : r.tk.boxes) told += b + "\n";
    const bool complete = told.find("Velmaro 1.0 has been uninstalled.") != std::string::npos;
    EXPECT_TRUE(complete || told.find("could not be uninstalled completely") != std::string::npos)
        << where << ": " << told;
    // A refused deletion of the entry or the settings is told, not hidden.
    const RegExtra reg(r.registry);
    if (reg.KeyExists(HkeyLocalMachine, kKey)) {
      EXPECT_FALSE(complete) << where;
      EXPECT_NE(told.find("list of installed programs"), std::string::npos) << where << ": " << told;
    }
    if (reg.KeyExists(HkeyCurrentUser, "Software\\Velmaro")) {
      EXPECT_FALSE(complete) << where;
      EXPECT_NE(told.find("settings of Velmaro"), std::string::npos) << where << ": " << told;
    }
    // So is every other file Setup made that stays: the program files but
    // the running Uninstall, and the shortcuts.
    for (const auto& f : install::Files)
      if (f.installed != install::Uninstaller &&
          r.files.IsFile(std::string(kFolder) + "\\" + std::string(f.installed))) {
        EXPECT_NE(told.find(f.installed), std::string::npos) << where << ": " << told;
      }
    for (const auto& s : install::Shortcuts)
      if (r.files.IsFile(std::string(kLinks) + "\\" + std::string(s.link))) {
        EXPECT_NE(told.find(s.link), std::string::npos) << where << ": " << told;
      }
  }
}

}  // namespace
}  // namespace velmaro::testing
