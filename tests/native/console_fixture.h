#pragma once
// The main window over the memory platform, with the splash gone and the
// category tree expanded, for the tests of the panels. The registry records
// its writes and the toolkit its message boxes in one log, so that a test can
// check what came first.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "console/boot_options.h"
#include "console/save_report.h"
#include "console/shell_folders.h"
#include "console/splash.h"
#include "console/tweaker.h"
#include "platform/memory/memory_desktop.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_mouse.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_toolkit.h"
#include "support/recording_registry.h"

namespace velmaro::console {

// Logs "MsgBox <title>" before each message box.
class LoggingToolkit final : public forms::MemoryToolkit {
public:
  explicit LoggingToolkit(std::vector<std::string>& log) : log_(log) {}
  int MsgBox(const std::string& text, const std::string& title, int flags) override {
    log_.push_back("MsgBox " + title);
    return MemoryToolkit::MsgBox(text, title, flags);
  }

private:
  std::vector<std::string>& log_;
};

constexpr const char* kPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kSystemPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kDesktop = "control panel\\desktop";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCdRom = "System\\CurrentControlSet\\Services\\Class\\hdc\\0004";

using namespace platform;
using forms::CheckBox;
using forms::TextBox;

// Every value under a key, raw, to prove what an apply did and did not write.
using Snapshot = std::map<std::string, std::pair<std::uint32_t, Bytes>>;

class CatalogueTest : public ::testing::Test {
protected:
  void SetUp() override {
    system.store.Write(settings::ShowMess, "0");  // no restart notice in the way
    tk.Show(main);
    tk.Advance(Splash::TimerInterval);
    tk.ExpandNode(main, "Tr", RootNode);
  }
  void Choose(int node) { tk.ClickNode(main, "Tr", node); }
  void ApplyPanel() { tk.Click(main, "Apply"); }
  CheckBox& Box(const char* name) { return main.Get<CheckBox>(name); }
  TextBox& Text(const char* name) { return main.Get<TextBox>(name); }

  Snapshot Values(HKey root, const std::string& path) {
    Snapshot all;
    HKey key = 0;
    if (registry.OpenKey(root, path, key) != ErrorSuccess) return all;
    std::string name;
    std::uint32_t type = 0;
    for (std::uint32_t i = 0; registry.EnumValue(key, i, name, 1000, &type, 100000) == ErrorSuccess;
         ++i) {
      std::uint32_t size = 100000;
      Bytes data(size);
      registry.QueryValue(key, name, &type, data.data(), &size);
      data.resize(size);
      all[name] = {type, data};
    }
    registry.CloseKey(key);
    return all;
  }
  std::int32_t Dword(const char* path, const char* name, std::int32_t fallback = -99) {
    return system.reg.GetDWordValue(HkeyCurrentUser, path, name, fallback);
  }
  BinaryValue Binary(HKey root, const char* path, const char* name) {
    return system.reg.GetBinaryValue(root, path, name);
  }
  // The pointer's changes since the log held `mark` of them: an action that
  // shows the hourglass adds exactly {Hourglass, Default}.
  std::vector<forms::MousePointer> PointersSince(std::size_t mark) const {
    std::vector<forms::MousePointer> since;
    for (std::size_t i = mark; i < tk.PointerLog().size(); ++i)
      since.push_back(tk.PointerLog()[i].pointer);
    return since;
  }
  static constexpr std::array kHourglassThenDefault{forms::MousePointer::Hourglass,
                                                    forms::MousePointer::Default};
  // The texts of a list's nodes, in order.
  std::vector<std::string> NodeTexts(const char* list) {
    const auto& tree = main.Get<forms::TreeView>(list);
    std::vector<std::string> texts;
    for (int i = 1; i <= tree.Count(); ++i) texts.push_back(tree.Node(i)->Text());
    return texts;
  }
  // Whether an editor offers its Edit and Remove buttons, which go together.
  bool Offered(const char* edit, const char* remove) {
    const bool offered = main.Get(edit).Enabled();
    EXPECT_EQ(offered, main.Get(remove).Enabled());
    return offered;
  }
  std::string String(HKey root, const std::string& path, const char* name,
                     const char* fallback = "<none>") {
    return system.reg.GetStringValue(root, path, name, fallback);
  }

  // Every value of the whole registry (HKEY_CLASSES_ROOT is inside
  // HKEY_LOCAL_MACHINE), by root and full path, to prove what did not change.
  Snapshot WholeRegistry() {
    Snapshot all;
    for (const auto& [root, name] : {std::pair{HkeyCurrentUser, "HKCU"},
                                     std::pair{HkeyLocalMachine, "HKLM"}})
      Collect(root, "", name, all);
    return all;
  }

  std::vector<std::string> log;  // registry writes and message boxes, in order
  MemoryRegistry registry;
  test_support::RecordingRegistry recorded{registry, log};
  MemoryFiles files;
  MemoryMouse mouse;
  MemoryDesktop desktop;
  LoggingToolkit tk{log};
  ConsoleSystem system{tk, recorded, files, mouse, desktop};
  Tweaker main{system};

private:
  void Collect(HKey root, const std::string& path, const std::string& prefix, Snapshot& all) {
    for (auto& [name, value] : Values(root, path)) all[prefix + "\\" + name] = value;
    for (const auto& key : system.reg.GetAllKeys(root, path))
      Collect(root, path.empty() ? key : path + "\\" + key, prefix + "\\" + key, all);
  }
};

}  // namespace velmaro::console
