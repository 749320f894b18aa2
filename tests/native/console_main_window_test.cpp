// The main window, the splash screen and the options dialog as a user meets
// them, through the in-memory toolkit and registry.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/edit_new_it.h"
#include "console/icon_picker.h"
#include "console/opt.h"
#include "support/console_fixture.h"
#include "console/splash.h"
#include "console/tweaker.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_toolkit.h"

namespace velmaro::console {
namespace {

using namespace velmaro::testing;

using forms::IdNo;
using forms::IdOk;
using forms::IdYes;

// A panel that records what the window asks of it.
class StandIn : public Panel {
public:
  StandIn(std::vector<std::string>& log, std::string name, bool recordsTail)
      : log_(log), name_(std::move(name)), recordsTail_(recordsTail) {}
  void Load() override { log_.push_back("load " + name_); }
  void Apply() override { log_.push_back("apply " + name_); }
  void AfterAnyLoad() override {
    if (recordsTail_) log_.push_back("tail");
  }

private:
  std::vector<std::string>& log_;
  std::string name_;
  bool recordsTail_;
};

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    // Every category gets a stand-in that records what ran, so that the
    // window's own rules can be seen apart from what each panel does. One of
    // them records the shared tail, which runs once per load.
    for (const auto& c : Categories)
      main.SetPanel(c.node, std::make_unique<StandIn>(ran, std::string(c.text), c.node == NodeOf("Windows")));
  }

  void Start() {
    tk.Show(main);
    tk.ExpandNode(main, "Tr", RootNode);
  }
  forms::Button& Apply() { return main.Get<forms::Button>("Apply"); }
  bool PanelShown(int frame) { return main.Get("Fram", frame).Visible(); }
  int PanelsShown() {
    int n = 0;
    for (auto* f : main.Array("Fram")) n += f->Visible();
    return n;
  }

  platform::MemoryRegistry registry;
  platform::MemoryFiles files;
  platform::MemoryMouse mouse;
  platform::MemoryDesktop desktop;
  std::vector<std::string> ran;  // loads, appliers and message boxes, in order
  LoggingToolkit tk{ran};
  ConsoleSystem system{tk, registry, files, mouse, desktop};
  Tweaker main{system};
};

TEST_F(MainWindowTest, StartsWithTheCategoryTreeAndNoPanel) {
  tk.Show(main);
  auto& tree = main.Get<forms::TreeView>("Tr");
  ASSERT_EQ(tree.Count(), 11);
  const auto* root = tree.Node(1);
  EXPECT_EQ(root->Text(), "Velmaro");
  EXPECT_EQ(root->Image(), 7);
  EXPECT_EQ(root->SelectedImage(), 8);
  EXPECT_FALSE(root->Expanded());
  ASSERT_EQ(root->Children().size(), 10u);
  const std::vector<std::pair<std::string, int>> expected = {
      {"Windows", 1}, {"Misc. tweaks", 12}, {"Mouse", 2},        {"Explorer", 3},
      {"More Explorer tweaks", 14}, {"Start Menu", 4}, {"General", 5}, {"Change Icons", 6},
      {"Add/Remove", 9}, {"StartUp Applications", 10}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(root->Children()[i]->Text(), expected[i].first);
    EXPECT_EQ(root->Children()[i]->Image(), expected[i].second);
    EXPECT_EQ(root->Children()[i]->Index(), static_cast<int>(i) + 2);
  }
  EXPECT_EQ(tree.SelectedItem(), nullptr);
  EXPECT_EQ(PanelsShown(), 0);
  EXPECT_TRUE(main.Get("Label3").Visible());
  EXPECT_FALSE(Apply().Enabled());
  EXPECT_EQ(Apply().Caption(), "No settings");
  EXPECT_TRUE(main.SplashFlag);
  EXPECT_EQ(main.ShellIconIndex, 29);
  EXPECT_TRUE(ran.empty());  // nothing is read at start
  EXPECT_EQ(main.Get("Fram", 3).Owner().Get<forms::Frame>("Fram", 3).Caption(),
            "Explorer options");
}

TEST_F(MainWindowTest, EachNodeShowsItsOwnPanelFreshlyLoaded) {
  Start();
  for (const auto& c : Categories) {
    ran.clear();
    tk.ClickNode(main, "Tr", c.node);
    EXPECT_EQ(PanelsShown(), 1) << c.text;
    EXPECT_TRUE(PanelShown(c.frame)) << c.text;
    EXPECT_FALSE(main.Get("Label3").Visible());
    EXPECT_EQ(Apply().Caption(), c.applyCaption);
    EXPECT_EQ(Apply().Enabled(), c.node <= 8) << c.text;
    EXPECT_EQ(ran, (std::vector<std::string>{"load " + std::string(c.text), "tail"}));
  }
  // Choosing the shown category again reloads it.
  ran.clear();
  tk.ClickNode(main, "Tr", NodeOf("StartUp Applications"));
  EXPECT_EQ(ran.size(), 2u);
}

TEST_F(MainWindowTest, RootNodeAndCollapseLeaveNoCategoryChosen) {
  Start();
  tk.ClickNode(main, "Tr", NodeOf("Explorer"));
  tk.ClickNode(main, "Tr", RootNode);
  EXPECT_EQ(PanelsShown(), 0);
  EXPECT_TRUE(main.Get("Label3").Visible());
  EXPECT_FALSE(Apply().Enabled());
  EXPECT_EQ(Apply().Caption(), "No settings");

  for (int node : {10, 11, 2}) {
    tk.ClickNode(main, "Tr", node);
    tk.CollapseNode(main, "Tr", RootNode);
    EXPECT_EQ(PanelsShown(), 0) << node;
    EXPECT_TRUE(main.Get("Label3").Visible());
    EXPECT_FALSE(Apply().Enabled());
    EXPECT_EQ(Apply().Caption(), "No settings");
    // The tree keeps its selection.
    EXPECT_EQ(main.Get<forms::TreeView>("Tr").SelectedItem()->Index(), node);
    tk.ExpandNode(main, "Tr", RootNode);
  }
  // Numbers outside the tree change nothing.
  tk.ClickNode(main, "Tr", NodeOf("Start Menu"));
  main.SelectOption(0);
  main.SelectOption(RootNode + CategoryCount + 1);
  EXPECT_TRUE(PanelShown(5));
}

TEST_F(MainWindowTest, ThePointerIsAnHourglassWhileAPanelLoads) {
  Start();
  struct Watcher : Panel {
    explicit Watcher(forms::Form& f) : form(f) {}
    void Load() override { during = form.Pointer(); }
    forms::Form& form;
    forms::MousePointer during = forms::MousePointer::Default;
  };
  auto watcher = std::make_unique<Watcher>(main);
  auto& seen = *watcher;
  main.SetPanel(NodeOf("General"), std::move(watcher));
  tk.ClickNode(main, "Tr", NodeOf("General"));
  EXPECT_EQ(seen.during, forms::MousePointer::Hourglass);
  EXPECT_EQ(main.Pointer(), forms::MousePointer::Default);
}

TEST_F(MainWindowTest, ApplyRunsTheShownCategorysApplierAfterTheNoticeWhereDue) {
  Start();
  const std::string notice(Tweaker::RestartNotice);
  for (const auto& c : Categories) {
    if (c.appliesAtOnce) continue;
    tk.ClickNode(main, "Tr", c.node);
    ran.clear();
    const auto boxesBefore = tk.Boxes().size();
    if (c.restartNotice) tk.AnswerNextBox(IdOk, notice);
    tk.Click(main, "Apply");
    std::vector<std::string> expected{"apply " + std::string(c.text)};
    if (c.restartNotice) expected.insert(expected.begin(), "MsgBox Information");
    EXPECT_EQ(ran, expected);
    ASSERT_EQ(tk.Boxes().size(), boxesBefore + (c.restartNotice ? 1 : 0)) << c.text;
    if (c.restartNotice) {
      const auto& box = tk.Boxes().back();
      EXPECT_EQ(box.title, "Information");
      EXPECT_EQ(box.flags, forms::mb::Ok | forms::mb::IconExclamation);
    }
  }
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(MainWindowTest, TheRestartNoticeFollowsTheStoredOption) {
  Start();
  tk.ClickNode(main, "Tr", NodeOf("Start Menu"));
  system.store.Write(settings::ShowMess, "0");
  tk.Click(main, "Apply");
  EXPECT_TRUE(tk.Boxes().empty());
  // Damaged text counts as the default: the notice shows.
  for (const char* damaged : {"yes", "", "2"}) {
    system.store.Write(settings::ShowMess, damaged);
    tk.AnswerNextBox(IdOk, std::string(Tweaker::RestartNotice));
    tk.Click(main, "Apply");
  }
  EXPECT_EQ(tk.Boxes().size(), 3u);
  EXPECT_EQ(ran.back(), "apply Start Menu");
}

TEST_F(MainWindowTest, ApplyDoesNothingForCaptionsItDoesNotKnow) {
  Start();
  tk.ClickNode(main, "Tr", NodeOf("General"));
  ran.clear();
  Apply().SetCaption("apply 'general' settings...");
  tk.Click(main, "Apply");
  EXPECT_TRUE(ran.empty());
}

TEST_F(MainWindowTest, ACategoryWithoutAnApplierNeverOffersApply) {
  Start();
  main.SetPanel(NodeOf("Mouse"), nullptr);
  tk.ClickNode(main, "Tr", NodeOf("Mouse"));
  EXPECT_TRUE(PanelShown(2));
  EXPECT_EQ(Apply().Caption(), "Apply 'Mouse' settings...");
  EXPECT_FALSE(Apply().Enabled());
}

TEST_F(MainWindowTest, EveryWayOfClosingAsksUnlessTheOptionIsOff) {
  const std::string question(Tweaker::QuitQuestion);
  Start();
  tk.AnswerNextBox(IdNo, question);
  tk.Click(main, "Close");
  EXPECT_TRUE(main.Loaded());
  tk.AnswerNextBox(IdNo, question);
  EXPECT_FALSE(tk.CloseBox(main));
  tk.AnswerNextBox(IdNo, question);
  EXPECT_FALSE(tk.EndSession());
  EXPECT_TRUE(main.Loaded());
  ASSERT_EQ(tk.Boxes().size(), 3u);
  for (const auto& box : tk.Boxes()) {
    EXPECT_EQ(box.title, "Confirmation");
    EXPECT_EQ(box.flags, forms::mb::YesNo | forms::mb::IconQuestion | forms::mb::DefButton2);
  }
  tk.AnswerNextBox(IdYes, question);
  EXPECT_TRUE(tk.CloseBox(main));
  EXPECT_FALSE(main.Loaded());
  EXPECT_TRUE(tk.LoadedForms().empty());
}

TEST_F(MainWindowTest, ClosingWithTheOptionOffGoesAtOnceByAnyPath) {
  system.store.Write(settings::Confirm, "0");
  Start();
  tk.Click(main, "Close");
  EXPECT_FALSE(main.Loaded());
  tk.Show(main);
  EXPECT_TRUE(tk.EndSession());
  EXPECT_FALSE(main.Loaded());
  EXPECT_TRUE(tk.Boxes().empty());
}

TEST_F(MainWindowTest, OptionsDialogReloadsAtEachOpeningAndWritesOnlyOnApply) {
  Start();
  tk.WhenModal("Opt", [&](forms::Form& opt) {
    // First run: both ticked.
    EXPECT_EQ(opt.Get<forms::CheckBox>("SHowMessage").Value(), 1);
    EXPECT_EQ(opt.Get<forms::CheckBox>("Confirmation").Value(), 1);
    tk.Click(opt, "SHowMessage");
    tk.Click(opt, "Confirmation");
    tk.Click(opt, "Cancel");
  });
  tk.Click(main, "Options");
  EXPECT_EQ(system.store.Read(settings::ShowMess, "absent"), "absent");
  EXPECT_EQ(system.store.Read(settings::Confirm, "absent"), "absent");

  tk.WhenModal("Opt", [&](forms::Form& opt) {
    EXPECT_EQ(opt.Get<forms::CheckBox>("SHowMessage").Value(), 1);
    tk.Click(opt, "SHowMessage");
    tk.Click(opt, "Confirmation");
    tk.Click(opt, "Command1");
  });
  tk.Click(main, "Options");
  EXPECT_EQ(system.store.Read(settings::ShowMess), "0");
  EXPECT_EQ(system.store.Read(settings::Confirm), "0");

  // Closing by the window frame writes nothing either.
  tk.WhenModal("Opt", [&](forms::Form& opt) {
    EXPECT_EQ(opt.Get<forms::CheckBox>("SHowMessage").Value(), 0);
    tk.Click(opt, "SHowMessage");
    EXPECT_TRUE(tk.CloseBox(opt));
  });
  tk.Click(main, "Options");
  EXPECT_EQ(system.store.Read(settings::ShowMess), "0");

  // The options take effect at once: no notice, no question.
  tk.ClickNode(main, "Tr", NodeOf("Windows"));
  tk.Click(main, "Apply");
  tk.Click(main, "Close");
  EXPECT_TRUE(tk.Boxes().empty());
  EXPECT_FALSE(main.Loaded());
}

TEST_F(MainWindowTest, WhatsThisShowsTheTopicInsteadOfActing) {
  system.help = HelpTopics::Parse("[Tweaker.Options]\nOptions topic.\n[Tweaker.Tr]\nTree topic.");
  Start();
  tk.Click(main, "Command3");
  EXPECT_TRUE(tk.InWhatsThisMode());
  tk.Click(main, "Options");  // no modal form opens: none was scripted
  ASSERT_TRUE(tk.HelpPopup().has_value());
  EXPECT_EQ(*tk.HelpPopup(), "Options topic.");
  EXPECT_FALSE(tk.InWhatsThisMode());
  EXPECT_TRUE(tk.Unexpected().empty());
}

class SplashTest : public MainWindowTest {};

TEST_F(SplashTest, StaysOneIntervalAfterAFastLoadAndThenCloses) {
  tk.Show(main);
  auto& splash = main.SplashForm();
  ASSERT_TRUE(splash.Loaded());
  EXPECT_FALSE(main.ClickFlag);
  tk.Click(splash, "Picture1");  // a click during start-up does not close it
  tk.Advance(Splash::TimerInterval - 1);
  EXPECT_TRUE(splash.Loaded());
  tk.Advance(1);
  EXPECT_FALSE(splash.Loaded());
  EXPECT_TRUE(main.ClickFlag);
  EXPECT_FALSE(main.SplashFlag);
  EXPECT_TRUE(main.Loaded());
}

TEST_F(SplashTest, ASlowLoadKeepsItUntilTheFirstTickAfterLoading) {
  // The main window is still loading: the ticks find SplashFlag false.
  main.SplashFlag = false;
  tk.Show(main.SplashForm());
  tk.Advance(1700);
  EXPECT_TRUE(main.SplashForm().Loaded());
  main.SplashFlag = true;  // loading ends between two ticks
  tk.Advance(299);
  EXPECT_TRUE(main.SplashForm().Loaded());
  tk.Advance(1);
  EXPECT_FALSE(main.SplashForm().Loaded());
  EXPECT_TRUE(main.ClickFlag);
}

TEST_F(SplashTest, AfterStartUpAClickClosesItAndNoTimerRuns) {
  main.ClickFlag = true;
  tk.Show(main.SplashForm());
  EXPECT_FALSE(main.SplashForm().Get<forms::Timer>("Timer1").Enabled());
  tk.Click(main.SplashForm(), "Picture1");
  EXPECT_FALSE(main.SplashForm().Loaded());
}

TEST(HelpFile, EveryControlAUserCanClickHasATopic) {
  std::ifstream in(std::string(VELMARO_SOURCE_DIR) + "/console/res/Velmaro.hlp");
  ASSERT_TRUE(in) << "help file missing";
  std::stringstream text;
  text << in.rdbuf();
  const auto help = HelpTopics::Parse(text.str());
  for (const auto& spec :
       {Tweaker::Design(), Opt::Design(), EditNewIt::Design(), IconPicker::Design()}) {
    for (const auto& c : spec.controls) {
      // Timers and controls hidden for good are never clicked.
      if (c.kind == forms::ControlKind::Timer || (!c.visible && c.name != "Fram")) continue;
      EXPECT_FALSE(help.Find(spec.name, c.name, c.index).empty()) << spec.name << "." << c.name;
    }
  }
}

}  // namespace
}  // namespace velmaro::console
