// The Mouse panel as a user meets it: the slider and its prompt, the test box
// that tries the slider's time, the button order, and Apply, which sets both
// and keeps them for the next log-on while a tried time is never kept.
#include "console/resource_ids.h"
#include "support/console_fixture.h"

namespace velmaro::console {
namespace {

using namespace velmaro::testing;

constexpr int kMouse = NodeOf("Mouse");
constexpr int kMouseFrame = CategoryOfNode(kMouse)->frame;

class MousePanel : public CatalogueTest {
protected:
  forms::Slider& Slide() { return main.Get<forms::Slider>("Slide"); }
  std::string Prompt() { return main.Get<forms::Label>("Prompt").Caption(); }
  bool RightHanded() { return main.Get<forms::OptionButton>("Right1").Value(); }
  int Drawing() { return main.Get<forms::Picture>("Image1").BitmapId(); }
  void OverTestBox() { tk.MouseMove(main, "TestArea"); }
  void OverPanel() { tk.MouseMove(main, "Fram", kMouseFrame); }
  std::vector<std::string> Calls() { return mouse.Calls(); }
};

TEST_F(MousePanel, ShowsTheSystemsTimeAndCallsFourHundredTheDefault) {
  mouse.Reset({400, false});
  Choose(kMouse);
  EXPECT_EQ(Slide().Value(), 400);
  EXPECT_EQ(Prompt(), "400 Milliseconds (Default)");
  EXPECT_EQ(main.Get<forms::Button>("Apply").Caption(), "Apply 'Mouse' settings...");
  EXPECT_TRUE(main.Get<forms::Button>("Apply").Enabled());
  tk.MoveSlider(main, "Slide", 401);
  EXPECT_EQ(Prompt(), "401 Milliseconds");
  tk.MoveSlider(main, "Slide", 400);
  EXPECT_EQ(Prompt(), "400 Milliseconds (Default)");
  EXPECT_TRUE(Calls().empty()) << "moving the slider changes nothing in the system";
  EXPECT_EQ(Slide().Min(), 100);
  EXPECT_EQ(Slide().Max(), 900);
  EXPECT_EQ(Slide().SmallChange(), 1);
  EXPECT_EQ(Slide().LargeChange(), 1);
}

TEST_F(MousePanel, TheTestBoxTriesTheSlidersTimeOnceUntilThePointerCrossesThePanel) {
  mouse.Reset({500, false});
  Choose(kMouse);
  tk.MoveSlider(main, "Slide", 700);
  OverTestBox();
  tk.MouseMove(main, "Test", 0);
  tk.MouseMove(main, "Test", 1);
  OverTestBox();
  EXPECT_EQ(Calls(), std::vector<std::string>{"SetDoubleClickTime 700"});
  EXPECT_EQ(mouse.Session().doubleClickTime, 700u);
  // A new slider position counts only after leaving over the panel.
  tk.MoveSlider(main, "Slide", 300);
  OverTestBox();
  EXPECT_EQ(mouse.Session().doubleClickTime, 700u);
  OverPanel();
  EXPECT_EQ(mouse.Session().doubleClickTime, 500u);
  OverPanel();
  OverTestBox();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SetDoubleClickTime 700", "SetDoubleClickTime 500",
                                               "SetDoubleClickTime 300"}));
  EXPECT_EQ(mouse.Kept().doubleClickTime, 500u) << "a tried time is never kept";

  // A double-click in the box is answered with the message.
  tk.AnswerNextBox(forms::IdOk, "You have double clicked at the right speed.");
  tk.DblClick(main, "Test", 0);
  ASSERT_EQ(tk.Boxes().size(), 1u);
  EXPECT_EQ(tk.Boxes()[0].title, "Test successful");
  EXPECT_EQ(tk.Boxes()[0].flags, forms::mb::Ok | forms::mb::IconInformation);
}

TEST_F(MousePanel, LeavingTheBoxForAnotherCategoryLeavesTheTriedTimeWhichAReloadTakesAsSaved) {
  mouse.Reset({500, false});
  Choose(kMouse);
  tk.MoveSlider(main, "Slide", 640);
  OverTestBox();
  Choose(NodeOf("General"));  // straight to the tree: no move over the Mouse panel
  EXPECT_EQ(mouse.Session().doubleClickTime, 640u);
  Choose(kMouse);
  EXPECT_EQ(Slide().Value(), 640);
  OverTestBox();
  OverPanel();
  EXPECT_EQ(mouse.Session().doubleClickTime, 640u);
}

TEST_F(MousePanel, ApplySetsAndKeepsTheTimeAndTheButtonOrder) {
  mouse.Reset({500, false});
  Choose(kMouse);
  tk.MoveSlider(main, "Slide", 650);
  tk.Click(main, "Left1");
  EXPECT_FALSE(RightHanded());
  EXPECT_EQ(Drawing(), VELMARO_IDB_MOUSE_LEFT_HANDED);
  ApplyPanel();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SetDoubleClickTime 650", "SaveDoubleClickTime 650",
                                               "SwapMouseButton 1", "SaveButtonsSwapped 1"}));
  EXPECT_TRUE(tk.Boxes().empty());
  mouse.NewSession();
  EXPECT_EQ(mouse.Session(), (MemoryMouse::Settings{650, true})) << "both survive a new log-on";
  // The applied time is the one the box puts back.
  OverTestBox();
  OverPanel();
  EXPECT_EQ(mouse.Session().doubleClickTime, 650u);

  tk.Click(main, "Right1");
  EXPECT_EQ(Drawing(), VELMARO_IDB_MOUSE_RIGHT_HANDED);
  const auto pointers = tk.PointerLog().size();
  ApplyPanel();
  EXPECT_EQ(Calls().at(Calls().size() - 2), "SwapMouseButton 0");
  EXPECT_EQ(mouse.Kept(), (MemoryMouse::Settings{650, false}));
  EXPECT_THAT(PointersSince(pointers), ::testing::ElementsAreArray(kHourglassThenDefault));
}

TEST_F(MousePanel, TheOptionsShowTheButtonOrderInForceSoThatAnApplyKeepsIt) {
  mouse.Reset({500, true});
  Choose(kMouse);
  EXPECT_FALSE(RightHanded());
  EXPECT_EQ(Drawing(), VELMARO_IDB_MOUSE_LEFT_HANDED);
  tk.MoveSlider(main, "Slide", 550);
  ApplyPanel();
  EXPECT_EQ(mouse.Kept(), (MemoryMouse::Settings{550, true}));
  // An unapplied choice is dropped by a reload, drawing included.
  tk.Click(main, "Right1");
  Choose(kMouse);
  EXPECT_FALSE(RightHanded());
  EXPECT_EQ(Drawing(), VELMARO_IDB_MOUSE_LEFT_HANDED);
  mouse.Reset({500, false});
  Choose(kMouse);
  EXPECT_TRUE(RightHanded());
  EXPECT_EQ(Drawing(), VELMARO_IDB_MOUSE_RIGHT_HANDED);
}

TEST_F(MousePanel, ATimeOutsideTheSlidersRangeIsShownAndLeftAloneUnlessTheSliderMoves) {
  for (const unsigned odd : {1200u, 40u}) {
    mouse.Reset({odd, false});
    Choose(kMouse);
    EXPECT_EQ(Slide().Value(), odd > 900 ? 900 : 100);
    EXPECT_EQ(Prompt(), std::to_string(odd) + " Milliseconds");
    OverTestBox();  // the box tries the time in force
    OverPanel();
    EXPECT_EQ(mouse.Session().doubleClickTime, odd);
    ApplyPanel();
    EXPECT_EQ(mouse.Session().doubleClickTime, odd);
    EXPECT_EQ(mouse.Kept().doubleClickTime, odd);
    EXPECT_EQ(Calls().back(), "SaveButtonsSwapped 0") << "the button order is still applied";
  }
  tk.MoveSlider(main, "Slide", 120);
  ApplyPanel();
  EXPECT_EQ(mouse.Kept().doubleClickTime, 120u);
}

TEST_F(MousePanel, SettingsTheSystemWouldNotKeepAreNamed) {
  mouse.Reset({500, false});
  mouse.RefuseSaving();
  Choose(kMouse);
  tk.MoveSlider(main, "Slide", 700);
  tk.AnswerNextBox(forms::IdOk,
                   std::string(SaveReport::NotSaved) + "\nDouble click speed\nSwap mouse buttons");
  ApplyPanel();
  EXPECT_EQ(mouse.Session().doubleClickTime, 700u) << "in force for this session all the same";
  EXPECT_EQ(mouse.Kept().doubleClickTime, 500u);
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

TEST_F(MousePanel, WhatAnotherProgramSetAfterTheLoadIsKeptAndNamedUnlessTheUserChangesIt) {
  mouse.Reset({500, false});
  Choose(kMouse);
  mouse.Reset({650, true});  // another program, while the panel is shown
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::ChangedMeanwhile) +
                                    "\nDouble click speed\nSwap mouse buttons");
  ApplyPanel();
  EXPECT_EQ(mouse.Kept().doubleClickTime, 650u);
  EXPECT_TRUE(mouse.Kept().swapped);
  tk.MoveSlider(main, "Slide", 300);
  tk.AnswerNextBox(forms::IdOk, std::string(SaveReport::ChangedMeanwhile) + "\nSwap mouse buttons");
  ApplyPanel();
  EXPECT_EQ(mouse.Kept().doubleClickTime, 300u);
  EXPECT_TRUE(mouse.Kept().swapped);
  EXPECT_EQ(tk.UnusedScripts(), 0u);
}

}  // namespace
}  // namespace velmaro::console
