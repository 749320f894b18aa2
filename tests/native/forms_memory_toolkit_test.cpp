// The in-memory toolkit as tests use it: scripted boxes and modal forms that
// fail loudly when unscripted, the virtual clock, user actions that respect
// what a user could do, What's This mode and the quit path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/memory_toolkit.h"

namespace velmaro::forms {
namespace {

namespace d = design;

FormSpec MainSpec() {
  FormSpec s{"Main", "Main", 300, 200};
  s.Add(d::Label("Label1", "&Name:", {10, 10, 60, 15}))
      .Add(d::TextBox("Text1", "", {80, 10, 100, 20}))
      .Add(d::CheckBox("Check1", "&Check", {10, 40, 100, 17}))
      .Add(d::Button("Options", "&Options", {10, 170, 80, 23}))
      .Add(d::Button("Close", "Close", {100, 170, 80, 23}).Default().Cancel())
      .Add(d::Button("Hidden", "Hidden", {190, 170, 80, 23}).Hidden())
      .Add(d::DropDownList("Combo1", {"one", "two"}, {10, 70, 100, 21}))
      .Add(d::Slider("Slide", 100, 900, {10, 100, 150, 30}))
      .Add(d::TreeView("Tr", {180, 40, 110, 120}).TreeStyle(true, true, LabelEditMode::Automatic))
      .Add(d::Timer("Timer1", 500, false));
  return s;
}

FormSpec DialogSpec() {
  FormSpec s{"Opt", "Options", 200, 100};
  s.border = BorderStyle::FixedDialog;
  s.Add(d::CheckBox("Confirmation", "Ask", {10, 10, 150, 17}))
      .Add(d::Button("Command1", "Apply && close", {10, 60, 80, 23}).Default())
      .Add(d::Button("Cancel", "Cancel", {100, 60, 80, 23}).Cancel());
  return s;
}

class MemoryToolkitTest : public ::testing::Test {
protected:
  MemoryToolkit tk;
  Form main{MainSpec()};
  Form dialog{DialogSpec()};
  std::vector<std::string> log;

  void SetUp() override {
    main.On(Event::Load, [&](EventArgs&) { log.push_back("Load"); });
    main.On(Event::Activate, [&](EventArgs&) { log.push_back("Activate"); });
    main.On(Event::Unload, [&](EventArgs&) { log.push_back("Unload"); });
    dialog.OnClick("Command1", [&] { tk.Unload(dialog); });
    dialog.OnClick("Cancel", [&] { tk.Unload(dialog); });
  }
};

TEST_F(MemoryToolkitTest, ModalFormsRunTheirScriptAndReturnWhenUnloaded) {
  main.OnClick("Options", [&] {
    tk.ShowModal(dialog);
    log.push_back(dialog.Loaded() ? "after:open" : "after:closed");
  });
  tk.Show(main);
  tk.WhenModal("Opt", [&](Form& f) {
    EXPECT_EQ(tk.ActiveForm(), &f);
    EXPECT_THROW(tk.Click(main, "Close"), ScriptError);  // behind the modal form
    tk.Click(f, "Confirmation");
    tk.Click(f, "Command1");
  });
  tk.Click(main, "Options");
  // The owner is active again before the code after ShowModal runs.
  EXPECT_EQ(log, (std::vector<std::string>{"Load", "Activate", "Activate", "after:closed"}));
  EXPECT_EQ(dialog.Get<CheckBox>("Confirmation").Value(), 0);  // reset by the unload
  EXPECT_EQ(tk.ActiveForm(), &main);
}

TEST_F(MemoryToolkitTest, UnscriptedOrUnfinishedModalFormsFail) {
  main.OnClick("Options", [&] { tk.ShowModal(dialog); });
  tk.Show(main);
  EXPECT_THROW(tk.Click(main, "Options"), ScriptError);
  tk.WhenModal("Opt", [](Form&) {});  // leaves it open
  EXPECT_THROW(tk.Click(main, "Options"), ScriptError);
  EXPECT_FALSE(dialog.Loaded());
  tk.WhenModal("Other", [](Form&) {});
  EXPECT_THROW(tk.Click(main, "Options"), ScriptError);
  EXPECT_EQ(tk.Unexpected().size(), 3u);
}

TEST_F(MemoryToolkitTest, MessageBoxesAreAnsweredFromTheScriptAndRecorded) {
  int answer = 0;
  main.OnClick("Options", [&] { answer = tk.MsgBox("Sure?", "Confirmation", mb::YesNo | mb::IconQuestion); });
  tk.Show(main);
  tk.AnswerNextBox(IdNo, "Sure?");
  tk.Click(main, "Options");
  EXPECT_EQ(answer, IdNo);
  ASSERT_EQ(tk.Boxes().size(), 1u);
  EXPECT_EQ(tk.Boxes()[0].title, "Confirmation");
  EXPECT_EQ(tk.Boxes()[0].flags, mb::YesNo | mb::IconQuestion);

  EXPECT_THROW(tk.Click(main, "Options"), ScriptError);  // nothing scripted
  tk.AnswerNextBox(IdYes, "Something else?");
  EXPECT_THROW(tk.Click(main, "Options"), ScriptError);
  tk.AnswerNextBox(IdOk);  // a Yes/No box has no OK
  EXPECT_THROW(tk.Click(main, "Options"), ScriptError);
  EXPECT_EQ(tk.Boxes().size(), 4u);
  EXPECT_EQ(tk.Unexpected().size(), 3u);
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST(MessageBoxFlags, AnswersAndDefaultsFollowTheButtons) {
  EXPECT_TRUE(IsAnswerOf(mb::Ok | mb::IconExclamation, IdOk));
  EXPECT_FALSE(IsAnswerOf(mb::Ok, IdYes));
  EXPECT_TRUE(IsAnswerOf(mb::YesNoCancel, IdCancel));
  EXPECT_EQ(DefaultAnswer(mb::YesNo | mb::IconQuestion | mb::DefButton2), IdNo);
  EXPECT_EQ(DefaultAnswer(mb::YesNo), IdYes);
  EXPECT_EQ(DefaultAnswer(mb::YesNoCancel | mb::DefButton3), IdCancel);
}

TEST_F(MemoryToolkitTest, FileDialogsAreScripted) {
  FileDialogResult got;
  main.OnClick("Options", [&] {
    got = tk.OpenFile({"Select", "Executable File(*.exe)|*.exe|", 0x81804, "", "", false, ""});
  });
  tk.Show(main);
  tk.AnswerNextFileDialog("C:\\Program Files\\App\\run me.exe");
  tk.Click(main, "Options");
  EXPECT_TRUE(got.ok);
  EXPECT_EQ(got.fileTitle, "run me.exe");
  tk.CancelNextFileDialog();
  tk.Click(main, "Options");
  EXPECT_FALSE(got.ok);
  EXPECT_THROW(tk.Click(main, "Options"), ScriptError);
  ASSERT_EQ(tk.FileDialogs().size(), 3u);
  EXPECT_EQ(tk.FileDialogs()[0].flags, 0x81804u);
}

TEST_F(MemoryToolkitTest, UsersCannotReachHiddenDisabledOrUnshownControls) {
  EXPECT_THROW(tk.Click(main, "Close"), ScriptError);  // not shown yet
  tk.Show(main);
  EXPECT_THROW(tk.Click(main, "Hidden"), ScriptError);
  main.Get("Check1").SetEnabled(false);
  EXPECT_THROW(tk.Click(main, "Check1"), ScriptError);
  EXPECT_THROW(tk.Click(main, "Nope"), ScriptError);
  EXPECT_THROW(tk.Type(main, "Check1", "x"), ScriptError);
  EXPECT_THROW(tk.MoveSlider(main, "Slide", 901), ScriptError);
  EXPECT_THROW(tk.Choose(main, "Combo1", "three"), ScriptError);
  EXPECT_THROW(tk.ClickNode(main, "Tr", 1), ScriptError);  // no such node
}

TEST_F(MemoryToolkitTest, UserActionsRaiseTheSameEventsAsCode) {
  std::vector<std::string> seen;
  main.On(Event::Change, "Text1", [&](EventArgs&) { seen.push_back("Text1"); });
  main.On(Event::Change, "Slide", [&](EventArgs&) { seen.push_back("Slide"); });
  main.On(Event::Click, "Combo1", [&](EventArgs&) { seen.push_back("Combo1"); });
  main.On(Event::NodeClick, "Tr", [&](EventArgs& a) { seen.push_back("node " + a.node->Text()); });
  tk.Show(main);
  tk.Type(main, "Text1", "hello");
  tk.MoveSlider(main, "Slide", 400);
  tk.Choose(main, "Combo1", "two");
  auto& tree = main.Get<TreeView>("Tr");
  TreeNode& root = tree.Add("root");
  tree.AddChild(root, "child");
  EXPECT_THROW(tk.ClickNode(main, "Tr", 2), ScriptError);  // inside a collapsed node
  tk.ExpandNode(main, "Tr", 1);
  tk.ClickNode(main, "Tr", 2);
  EXPECT_EQ(seen, (std::vector<std::string>{"Text1", "Slide", "Combo1", "node child"}));
  EXPECT_EQ(main.ActiveControl(), &tree);
}

TEST_F(MemoryToolkitTest, UserLabelEditGoesThroughAfterLabelEdit) {
  main.On(Event::AfterLabelEdit, "Tr", [&](EventArgs& a) {
    a.cancel = tk.MsgBox("Do you want to make changes?", "Confirmation", mb::YesNo) == IdNo;
  });
  tk.Show(main);
  auto& tree = main.Get<TreeView>("Tr");
  tree.Add("notepad.exe");
  EXPECT_THROW(tk.BeginLabelEdit(main, "Tr"), ScriptError);  // nothing selected
  tk.ClickNode(main, "Tr", 1);
  tk.BeginLabelEdit(main, "Tr");
  tk.AnswerNextBox(IdNo);
  EXPECT_FALSE(tk.FinishLabelEdit(main, "Tr", "calc.exe"));
  EXPECT_EQ(tree.Node(1)->Text(), "notepad.exe");
  EXPECT_THROW(tk.FinishLabelEdit(main, "Tr", "x"), ScriptError);  // no edit in progress
  tree.StartLabelEdit();
  tk.AnswerNextBox(IdYes);
  EXPECT_TRUE(tk.FinishLabelEdit(main, "Tr", "calc.exe"));
  EXPECT_EQ(tree.Node(1)->Text(), "calc.exe");
}

TEST_F(MemoryToolkitTest, KeyboardReachesDefaultCancelAndAccessKeys) {
  std::vector<std::string> seen;
  main.OnClick("Close", [&] { seen.push_back("Close"); });
  main.OnClick("Options", [&] { seen.push_back("Options"); });
  tk.Show(main);
  tk.PressEnter(main);
  tk.PressEscape(main);
  tk.PressAlt(main, 'O');
  tk.PressEnter(main);  // the focused button now
  tk.PressAlt(main, 'n');  // a label hands the focus on
  EXPECT_EQ(main.ActiveControl(), &main.Get("Text1"));
  tk.PressAlt(main, 'c');
  EXPECT_EQ(main.Get<CheckBox>("Check1").Value(), 1);
  tk.PressTab(main);
  EXPECT_EQ(main.ActiveControl(), &main.Get("Options"));
  EXPECT_EQ(seen, (std::vector<std::string>{"Close", "Close", "Options", "Options"}));
}

TEST_F(MemoryToolkitTest, ClosingAsksQueryUnloadWithTheReason) {
  std::vector<UnloadReason> reasons;
  bool refuse = true;
  main.On(Event::QueryUnload, [&](EventArgs& a) {
    reasons.push_back(a.reason);
    a.cancel = refuse;
  });
  tk.Show(main);
  tk.Show(dialog);
  EXPECT_FALSE(tk.CloseBox(main));
  EXPECT_FALSE(tk.Unload(main));
  EXPECT_FALSE(tk.EndSession());
  EXPECT_TRUE(dialog.Loaded());  // nothing goes when one form refuses
  refuse = false;
  EXPECT_TRUE(tk.EndSession());
  EXPECT_FALSE(main.Loaded());
  EXPECT_FALSE(dialog.Loaded());
  EXPECT_TRUE(tk.Ended());
  EXPECT_EQ(reasons, (std::vector<UnloadReason>{UnloadReason::CloseBox, UnloadReason::Code,
                                                UnloadReason::SessionEnd, UnloadReason::SessionEnd}));
  EXPECT_EQ(log.back(), "Unload");
}

TEST_F(MemoryToolkitTest, EndDropsEveryFormWithoutEvents) {
  main.On(Event::QueryUnload, [&](EventArgs& a) { a.cancel = true; });
  tk.Show(main);
  tk.End();
  EXPECT_FALSE(main.Loaded());
  EXPECT_EQ(log, (std::vector<std::string>{"Load", "Activate"}));
  tk.Show(main);  // after the end nothing shows
  EXPECT_FALSE(main.Loaded());
}

// A splash-like timer: it must stay for one interval and close on the first
// tick after a slow load.
class MemoryClockTest : public MemoryToolkitTest {
protected:
  int ticks = 0;
  bool ready = false;
  void SetUp() override {
    MemoryToolkitTest::SetUp();
    auto& timer = main.Get<Timer>("Timer1");
    main.On(Event::Load, [&](EventArgs&) { timer.SetEnabled(true); });
    main.On(Event::Timer, "Timer1", [&](EventArgs&) {
      ++ticks;
      timer.SetEnabled(false);
      if (!ready) timer.SetEnabled(true);
    });
  }
};

TEST_F(MemoryClockTest, TimersFireAtTheirIntervalsAsTheClockAdvances) {
  tk.Show(main);
  tk.Advance(499);
  EXPECT_EQ(ticks, 0);
  tk.Advance(1);
  EXPECT_EQ(ticks, 1);
  tk.Advance(1000);
  EXPECT_EQ(ticks, 3);
  ready = true;
  tk.Advance(500);
  EXPECT_EQ(ticks, 4);
  tk.Advance(5000);
  EXPECT_EQ(ticks, 4);  // disabled itself
  EXPECT_THROW(tk.FireTimer(main, "Timer1"), ScriptError);
}

TEST_F(MemoryClockTest, TimeSpentInAHandlerFiresOnlyOnceAtTheNextPump) {
  tk.Show(main);
  tk.Elapse(1700);  // a slow load: three intervals pass without a message loop
  EXPECT_EQ(ticks, 0);
  ready = true;
  tk.DoEvents();
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(tk.Now(), 1700);
}

TEST_F(MemoryClockTest, ReenablingRestartsTheIntervalAndUnloadStopsTimers) {
  tk.Show(main);
  tk.Advance(400);
  auto& timer = main.Get<Timer>("Timer1");
  timer.SetEnabled(false);
  timer.SetEnabled(true);
  tk.Advance(400);
  EXPECT_EQ(ticks, 0);
  tk.Advance(100);
  EXPECT_EQ(ticks, 1);
  tk.FireTimer(main, "Timer1");
  EXPECT_EQ(ticks, 2);
  tk.Unload(main);
  tk.Advance(5000);
  EXPECT_EQ(ticks, 2);
}

TEST_F(MemoryToolkitTest, WhatsThisShowsHelpInsteadOfActing) {
  int clicks = 0;
  main.OnClick("Options", [&] { ++clicks; });
  main.SetHelpProvider([](const Control& c) {
    return c.Name() == "Options" ? std::string("Opens the options.") : std::string();
  });
  tk.Show(main);
  tk.EnterWhatsThisMode(main);
  EXPECT_TRUE(tk.InWhatsThisMode());
  tk.Click(main, "Options");
  EXPECT_FALSE(tk.InWhatsThisMode());
  EXPECT_EQ(tk.HelpPopup(), "Opens the options.");
  EXPECT_EQ(clicks, 0);
  tk.Click(main, "Options");  // closes the popup, nothing more
  EXPECT_FALSE(tk.HelpPopup());
  EXPECT_EQ(clicks, 0);
  tk.Click(main, "Options");
  EXPECT_EQ(clicks, 1);

  tk.EnterWhatsThisMode(main);
  tk.Click(main, "Check1");  // no help text of its own
  EXPECT_EQ(tk.HelpPopup(), kNoHelpText);
  EXPECT_EQ(main.Get<CheckBox>("Check1").Value(), 0);
  tk.PressEscape(main);
  tk.EnterWhatsThisMode(main);
  tk.PressEscape(main);
  EXPECT_FALSE(tk.InWhatsThisMode());
  tk.EnterWhatsThisMode(main);
  tk.ClickForm(main);  // on no control: leaves quietly
  EXPECT_FALSE(tk.InWhatsThisMode());
  EXPECT_EQ(tk.HelpPopups().size(), 2u);
}

TEST_F(MemoryToolkitTest, PointerChangesAreRecordedInOrder) {
  main.OnClick("Options", [&] {
    main.SetMousePointer(MousePointer::Hourglass);
    main.SetMousePointer(MousePointer::Default);
  });
  tk.Show(main);
  tk.Click(main, "Options");
  ASSERT_EQ(tk.PointerLog().size(), 2u);
  EXPECT_EQ(tk.PointerLog()[0].pointer, MousePointer::Hourglass);
  EXPECT_EQ(tk.PointerLog()[1].pointer, MousePointer::Default);
  EXPECT_EQ(tk.PointerLog()[1].form, "Main");
}

TEST_F(MemoryToolkitTest, AFormDestroyedWhileLoadedLeavesTheToolkitConsistent) {
  {
    Form temporary(DialogSpec());
    tk.Show(temporary);
    EXPECT_EQ(tk.LoadedForms().size(), 1u);
  }
  EXPECT_TRUE(tk.LoadedForms().empty());
  EXPECT_EQ(tk.ActiveForm(), nullptr);
}

}  // namespace
}  // namespace velmaro::forms
