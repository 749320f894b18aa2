// Every writer run again and again with the system refusing its k-th change,
// for every k from the first to the last change it makes: nothing crashes,
// the boot file is either the old one or the complete new one, the store's
// boot choices agree with the file, and whenever the result differs from a
// run that nothing refused, the user was told.
#include <gtest/gtest.h>

#include <functional>

#include "support/fault_plan.h"
#include "support/panel_console.h"

namespace velmaro::testing {
namespace {

const std::string kOldBoot = "[Options]\r\nAutoScan=0\r\nBootDelay=2\r\nLogo=1\r\n";

constexpr const char* kRun = "software\\microsoft\\windows\\currentversion\\run";
constexpr const char* kEntry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool";

struct Attempt : FaultyMachine {
  AnsweringToolkit tk;
  MemoryMouse mouse;
  FailingMouse failingMouse{mouse, plan};
  MemoryDesktop desktop;
  console::ConsoleSystem system{tk, failing, failingFiles, failingMouse, desktop};
  console::Tweaker main{system};

  Attempt() {
    files.PutFile(console::BootFilePath, kOldBoot, FileAttributeHidden);
    system.store.Write(settings::ShowMess, "0");
    // Choices in the store, as after an earlier apply.
    system.store.Write(settings::AutoScan, "0");
    system.store.Write(settings::DisSplach, "1");
    system.store.Write(settings::BootDelay, "2");
    // Something for the editors to change: a start-up program, an entry of
    // the list of installed programs.
    RegExtra reg(registry);
    reg.SaveStringValue(HkeyLocalMachine, kRun, "agent", "C:\\agent.exe");
    reg.SaveStringValue(HkeyLocalMachine, kEntry, "DisplayName", "Tool");
    reg.SaveStringValue(HkeyLocalMachine, kEntry, "UninstallString", "C:\\tool\\u.exe");
    tk.Show(main);
    tk.Advance(console::Splash::TimerInterval);
    tk.ExpandNode(main, "Tr", console::RootNode);
  }
  std::string Boot() {
    std::string bytes;
    files.ReadWholeFile(console::BootFilePath, bytes, 1 << 20);
    return bytes;
  }
};

// Changes every control of the shown panel, so that its apply writes all.
void ChangeEverything(Attempt& r, const console::Category& category) {
  for (int pass = 0; pass < 2; ++pass)  // a box may enable a text box
    for (const auto& control : r.main.Controls()) {
      if (!control->VisibleInForm() || !control->EnabledInForm()) continue;
      const forms::Control* frame = control.get();
      while (frame->Parent()) frame = frame->Parent();
      if (frame->Name() != "Fram" || frame->Index() != category.frame) continue;
      if (auto* box = dynamic_cast<forms::CheckBox*>(control.get()); box && pass == 0)
        r.tk.Click(r.main, box->Name(), box->Index());
      else if (auto* text = dynamic_cast<forms::TextBox*>(control.get()))
        r.tk.Type(r.main, text->Name(), "typed " + text->Name(), text->Index());
      else if (auto* slider = dynamic_cast<forms::Slider*>(control.get()); slider && pass == 0)
        r.tk.MoveSlider(r.main, slider->Name(), slider->Min() + 1, slider->Index());
      else if (auto* list = dynamic_cast<forms::DropDownList*>(control.get()); list && pass == 0 &&
               list->Name() != "Combo2")
        r.tk.Choose(r.main, list->Name(), list->ListCount() - 1 - std::max(0, list->ListIndex()),
                    list->Index());
    }
}

// One writer: what the user does before the change, and the change itself.
struct Writer {
  std::string name;
  std::function<void(Attempt&)> prepare;
  std::function<void(Attempt&)> write;
};

std::vector<Writer> Writers() {
  std::vector<Writer> all;
  for (const auto& c : Categories) {
    if (!c.panel || c.appliesAtOnce) continue;
    all.push_back({std::string(c.text),
                   [&c](Attempt& r) {
                     r.tk.ClickNode(r.main, "Tr", c.node);
                     ChangeEverything(r, c);
                   },
                   [](Attempt& r) { r.tk.Click(r.main, "Apply"); }});
  }
  all.push_back({"special folder",
                 [](Attempt& r) {
                   r.tk.ClickNode(r.main, "Tr", console::NodeOf("Misc. tweaks"));
                   r.tk.Choose(r.main, "Combo2", "Favorites");
                   r.tk.Type(r.main, "Text10", "D:\\Favourites");
                 },
                 [](Attempt& r) { r.tk.Click(r.main, "Change_folder"); }});
  // The editors, which write on their own buttons.
  const auto typeInDialog = [](Attempt& r, const char* name, const char* command) {
    r.tk.WhenModal("EditNewIt", [&r, name, command](forms::Form& d) {
      r.tk.Type(d, "Text1", name);
      r.tk.Type(d, "Text2", command);
      r.tk.Click(d, "OK");
    });
  };
  all.push_back({"start-up program added",
                 [](Attempt& r) {
                   r.tk.ClickNode(r.main, "Tr", console::NodeOf("StartUp Applications"));
                   r.tk.AnswerNextFileDialog("C:\\Tools\\new tool.exe");
                 },
                 [](Attempt& r) { r.tk.Click(r.main, "AddRun"); }});
  all.push_back({"start-up program edited",
                 [](Attempt& r) {
                   r.tk.ClickNode(r.main, "Tr", console::NodeOf("StartUp Applications"));
                   r.tk.ClickNode(r.main, "RunList", 1);
                   r.tk.Click(r.main, "EditRun");
                 },
                 [](Attempt& r) { r.tk.FinishLabelEdit(r.main, "RunList", "C:\\edited.exe"); }});
  all.push_back({"start-up program removed",
                 [](Attempt& r) {
                   r.tk.ClickNode(r.main, "Tr", console::NodeOf("StartUp Applications"));
                   r.tk.ClickNode(r.main, "RunList", 1);
                 },
                 [](Attempt& r) { r.tk.Click(r.main, "RemRun"); }});
  all.push_back({"installed program listed",
                 [typeInDialog](Attempt& r) {
                   r.tk.ClickNode(r.main, "Tr", console::NodeOf("Add/Remove"));
                   typeInDialog(r, "New Tool", "C:\\new\\u.exe");
                 },
                 [](Attempt& r) { r.tk.Click(r.main, "AddIt"); }});
  all.push_back({"installed program edited",
                 [typeInDialog](Attempt& r) {
                   r.tk.ClickNode(r.main, "Tr", console::NodeOf("Add/Remove"));
                   r.tk.ClickNode(r.main, "List1", 1);
                   typeInDialog(r, "Tool Renamed", "C:\\tool\\remove.exe");
                 },
                 [](Attempt& r) { r.tk.Click(r.main, "EditIt"); }});
  all.push_back({"installed program removed",
                 [](Attempt& r) {
                   r.tk.ClickNode(r.main, "Tr", console::NodeOf("Add/Remove"));
                   r.tk.ClickNode(r.main, "List1", 1);
                 },
                 [](Attempt& r) { r.tk.Click(r.main, "RemIt"); }});
  all.push_back({"icon changed",
                 [](Attempt& r) {
                   r.tk.ClickNode(r.main, "Tr", console::NodeOf("Change Icons"));
                   r.tk.Type(r.main, "Text8", "C:\\icons.dll");
                   r.tk.Type(r.main, "Text9", "3");
                 },
                 [](Attempt& r) { r.tk.Click(r.main, "SetIcon"); }});
  all.push_back({"icon restored",
                 [](Attempt& r) { r.tk.ClickNode(r.main, "Tr", console::NodeOf("Change Icons")); },
                 [](Attempt& r) { r.tk.Click(r.main, "Restore"); }});
  return all;
}

TEST(FaultInjectionTest, EveryChangeOfEveryWriterMayFailAndTheUserIsToldTheTruth) {
  int runs = 0;
  for (const auto& writer : Writers()) {
    // A run that nothing refuses: how many changes it makes, and its result.
    Attempt clean;
    writer.prepare(clean);
    clean.plan.count = 0;
    writer.write(clean);
    const int changes = clean.plan.count;
    const std::string cleanRegistry = DumpRegistry(clean.registry);
    const auto cleanMouse = clean.mouse.Kept();
    const std::string newBoot = clean.Boot();
    const auto newChoices = console::LoadBootOptions(clean.system.store);
    ASSERT_GT(changes, 0) << writer.name;
    ASSERT_TRUE(clean.tk.told.empty()) << writer.name << ": " << clean.tk.told.front();

    for (int k = 1; k <= changes; ++k) {
      Attempt r;
      writer.prepare(r);
      const std::string before = DumpRegistry(r.registry);
      const auto oldChoices = console::LoadBootOptions(r.system.store);
      r.plan.count = 0;
      r.plan.failAt = k;
      writer.write(r);
      const std::string where = writer.name + ", change " + std::to_string(k) + " refused";
      ASSERT_TRUE(r.plan.failed) << where;
      ++runs;

      // The boot file is the old one or the complete new one, and the
      // choices the store holds say what the file holds (or the user was
      // told they could not be recorded).
      const std::string boot = r.Boot();
      EXPECT_TRUE(boot == kOldBoot || boot == newBoot) << where << ": " << boot;
      std::string told;
      for (const auto& t : r.tk.told) told += t + "\n";
      const auto choices = console::LoadBootOptions(r.system.store);
      const auto same = [](const console::BootOptions& a, const console::BootOptions& b) {
        return a.autoScan == b.autoScan && a.disSpl == b.disSpl && a.delaySl == b.delaySl;
      };
      if (boot == kOldBoot && newBoot != kOldBoot) {
        EXPECT_TRUE(same(choices, oldChoices)) << where;
        EXPECT_NE(told.find("c:\\msdos.sys"), std::string::npos) << where << ": " << told;
      }
      if (boot == newBoot && !same(choices, newChoices)) {
        EXPECT_NE(told.find("could not record"), std::string::npos) << where << ": " << told;
      }

      // Anything short of what an unrefused run leaves is reported.
      if (DumpRegistry(r.registry) != cleanRegistry || boot != newBoot ||
          !(r.mouse.Kept() == cleanMouse)) {
        EXPECT_FALSE(told.empty()) << where;
      }
      // And a refused change never leaves a value half-way: each is as it
      // was or as the unrefused run left it.
      for (const auto& line : Lines(DumpRegistry(r.registry))) {
        // The icon changer's passing size (31) stays when the system refuses
        // the 32 after it; the user is told the size was not saved.
        if (line.find("\"shell icon size\"") != std::string::npos &&
            told.find("Shell icon size") != std::string::npos)
          continue;
        const auto b = Lines(before), c = Lines(cleanRegistry);
        EXPECT_TRUE(std::find(b.begin(), b.end(), line) != b.end() ||
                    std::find(c.begin(), c.end(), line) != c.end())
            << where << ": " << line;
      }
    }
  }
  EXPECT_GT(runs, 40);
}

}  // namespace
}  // namespace velmaro::testing
