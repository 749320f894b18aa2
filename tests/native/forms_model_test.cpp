// The portable form model: descriptions that cannot be realised are refused,
// and state changes raise the events handlers rely on, whoever makes them.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/form.h"

namespace velmaro::forms {
namespace {

namespace d = design;

FormSpec Sample() {
  FormSpec s{"Sample", "Sample", 400, 300};
  s.Add(d::Frame("Fram", "First", {200, 10, 190, 120}).At(0))
      .Add(d::Frame("Fram", "Second", {200, 10, 190, 120}).At(1).Hidden())
      .Add(d::OptionButton("Right1", "&Right", {10, 20, 100, 17}).In("Fram", 0).Value(1))
      .Add(d::OptionButton("Left1", "&Left", {10, 40, 100, 17}).In("Fram", 0))
      .Add(d::OptionButton("Other", "Other", {10, 20, 100, 17}).In("Fram", 1).Value(1))
      .Add(d::CheckBox("Check1", "Check", {10, 10, 100, 17}))
      .Add(d::TextBox("Text1", "design", {10, 30, 100, 20}))
      .Add(d::DropDownList("Combo1", {"a", "b", "c"}, {10, 60, 100, 21}))
      .Add(d::Slider("DelaySl", 0, 5, {10, 90, 150, 30}).Value(2))
      .Add(d::Label("Test", "title", {0, 0, 50, 15}).At(1).In("Fram", 0))
      .Add(d::Label("Test", "body", {0, 20, 50, 15}).At(0).In("Fram", 0))
      .Add(d::TreeView("Tr", {10, 130, 150, 150}).TreeStyle(true, true, LabelEditMode::Manual))
      .Add(d::Button("Apply", "No settings", {10, 280, 80, 23}).Disabled())
      .Add(d::Timer("Timer1", 500, false));
  return s;
}

// Records what handlers saw, as "Id:Event".
struct Recorder {
  std::vector<std::string> seen;
  void Watch(Form& f, Event e, const std::string& name, const std::string& tag) {
    f.On(e, name, [this, tag](EventArgs& a) {
      std::string entry = a.control->Id() + ":" + tag;
      if (a.node) entry += ":" + a.node->Text();
      seen.push_back(entry);
    });
  }
};

TEST(FormsSpec, DescriptionsThatCannotBeRealisedAreRefused) {
  auto with = [](ControlSpec extra) {
    FormSpec s = Sample();
    s.Add(std::move(extra));
    return s;
  };
  EXPECT_THROW(Form{with(d::Button("Apply", "again", {}))}, FormError);
  EXPECT_THROW(Form{with(d::Label("L", "x", {}).In("Check1"))}, FormError);      // not a container
  EXPECT_THROW(Form{with(d::Label("L", "x", {}).In("Nowhere"))}, FormError);     // no such parent
  EXPECT_THROW(Form{with(d::Label("L", "x", {0, 0, -1, 5}))}, FormError);
  EXPECT_THROW(Form{with(d::Slider("S", 5, 1, {}))}, FormError);
  EXPECT_THROW(Form{with(d::Label("Fram", "plain", {}))}, FormError);  // array and plain control
  FormSpec later{"Later", "", 10, 10};
  later.Add(d::Label("L", "x", {}).In("F")).Add(d::Frame("F", "", {}));
  EXPECT_THROW(Form{later}, FormError);  // the frame must come first
  EXPECT_THROW(Form{FormSpec{}}, FormError);
}

TEST(FormsSpec, LookupsAndHandlerRegistrationCatchMistakes) {
  Form f(Sample());
  EXPECT_THROW(f.Get("Missing"), FormError);
  EXPECT_THROW(f.Get("Fram"), FormError);  // an array needs its index
  EXPECT_THROW(f.Get<CheckBox>("Text1"), FormError);
  EXPECT_EQ(f.Get<Frame>("Fram", 1).Caption(), "Second");
  EXPECT_THROW(f.On(Event::Click, "Missing", [](EventArgs&) {}), FormError);
  EXPECT_THROW(f.On(Event::Change, "Apply", [](EventArgs&) {}), FormError);
  EXPECT_THROW(f.On(Event::Click, "Fram", 7, [](EventArgs&) {}), FormError);
  EXPECT_THROW(f.On(Event::NodeClick, [](EventArgs&) {}), FormError);
  std::vector<Control*> labels = f.Array("Test");
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0]->Index(), 0);
  EXPECT_EQ(labels[1]->Index(), 1);
}

TEST(FormsSpec, CaptionsMarkAccessKeysAndDoubleAmpersands) {
  EXPECT_EQ(DisplayText("Apply && close"), "Apply & close");
  EXPECT_EQ(DisplayText("&Options"), "Options");
  EXPECT_EQ(DisplayText("St&art installing"), "Start installing");
  EXPECT_EQ(DisplayText("trailing&"), "trailing");
  EXPECT_EQ(Mnemonic("St&art installing"), 'a');
  EXPECT_EQ(Mnemonic("Exit &Setup"), 's');
  EXPECT_EQ(Mnemonic("Apply && close"), 0);
  EXPECT_EQ(Mnemonic("&&x &Y"), 'y');
  EXPECT_EQ(ControlId("Fram", 2), "Fram(2)");
}

TEST(FormsEvents, CheckBoxClickFollowsValueChangesByCodeAndUser) {
  Form f(Sample());
  Recorder r;
  r.Watch(f, Event::Click, "Check1", "Click");
  auto& box = f.Get<CheckBox>("Check1");
  EXPECT_TRUE(box.SetValue(1));
  EXPECT_TRUE(box.SetValue(1));  // no change, no event
  EXPECT_TRUE(box.SetValue(2));
  EXPECT_FALSE(box.SetValue(5));
  EXPECT_EQ(box.Value(), 2);
  box.ClickByUser();  // a user never makes a box grayed
  EXPECT_EQ(box.Value(), 0);
  box.ClickByUser();
  EXPECT_EQ(box.Value(), 1);
  EXPECT_EQ(r.seen.size(), 4u);
}

TEST(FormsEvents, SelectingAnOptionClearsOnlyItsOwnContainer) {
  Form f(Sample());
  Recorder r;
  r.Watch(f, Event::Click, "Right1", "Click");
  r.Watch(f, Event::Click, "Left1", "Click");
  auto& right = f.Get<OptionButton>("Right1");
  auto& left = f.Get<OptionButton>("Left1");
  left.ClickByUser();
  EXPECT_TRUE(left.Value());
  EXPECT_FALSE(right.Value());
  EXPECT_TRUE(f.Get<OptionButton>("Other").Value());  // another frame
  left.ClickByUser();                                  // already selected
  right.SetValue(false);                               // clearing raises nothing
  EXPECT_EQ(r.seen, (std::vector<std::string>{"Left1:Click"}));
}

TEST(FormsEvents, ListTextAndSliderRaiseOnChangeOnly) {
  Form f(Sample());
  Recorder r;
  r.Watch(f, Event::Click, "Combo1", "Click");
  r.Watch(f, Event::Change, "Text1", "Change");
  r.Watch(f, Event::Change, "DelaySl", "Change");
  auto& list = f.Get<DropDownList>("Combo1");
  EXPECT_TRUE(list.SetListIndex(1));
  EXPECT_TRUE(list.SetListIndex(1));
  EXPECT_FALSE(list.SetListIndex(3));
  EXPECT_FALSE(list.SetText("zz"));
  EXPECT_TRUE(list.SetText("c"));
  EXPECT_EQ(list.Text(), "c");
  EXPECT_TRUE(list.RemoveItem(0));  // the selection follows its entry
  EXPECT_EQ(list.ListIndex(), 1);
  list.Clear();  // quietly
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(list.Text(), "");

  auto& text = f.Get<TextBox>("Text1");
  EXPECT_EQ(text.Text(), "design");
  text.SetText("design");
  text.SetText("new");

  auto& slider = f.Get<Slider>("DelaySl");
  EXPECT_EQ(slider.Value(), 2);
  slider.SetValue(99);  // clamped to the range
  EXPECT_EQ(slider.Value(), 5);
  slider.SetValue(5);
  EXPECT_FALSE(slider.SetRange(3, 1));
  EXPECT_TRUE(slider.SetRange(0, 3));  // the position follows quietly
  EXPECT_EQ(slider.Value(), 3);
  EXPECT_EQ(r.seen, (std::vector<std::string>{"Combo1:Click", "Combo1:Click", "Text1:Change",
                                              "DelaySl:Change"}));
}

TEST(FormsEvents, ArrayHandlersSeeTheElementAndOneElementGoesFirst) {
  Form f(Sample());
  std::vector<std::string> seen;
  f.On(Event::MouseMove, "Fram", [&](EventArgs& a) { seen.push_back("any" + std::to_string(a.Index())); });
  f.On(Event::MouseMove, "Fram", 1, [&](EventArgs& a) { seen.push_back("one" + std::to_string(a.Index())); });
  f.Get("Fram", 0).Raise(Event::MouseMove);
  f.Get("Fram", 1).Raise(Event::MouseMove);
  EXPECT_EQ(seen, (std::vector<std::string>{"any0", "one1"}));
}

TEST(FormsEvents, HandlersThatKeepTriggeringEachOtherAreStopped) {
  Form f(Sample());
  auto& text = f.Get<TextBox>("Text1");
  f.On(Event::Change, "Text1", [&](EventArgs&) { text.SetText(text.Text() + "x"); });
  EXPECT_THROW(text.SetText("go"), FormError);
}

TEST(FormsLayout, FramesHideTheirChildrenAndHitTestingFindsTheInnermost) {
  Form f(Sample());
  auto& frame0 = f.Get<Frame>("Fram", 0);
  auto& left = f.Get("Left1");
  EXPECT_EQ(left.FormBounds(), (Rect{210, 50, 100, 17}));
  EXPECT_EQ(f.ControlAt(215, 55), &left);
  EXPECT_EQ(f.ControlAt(380, 120), &frame0);  // inside the frame, on no child
  EXPECT_EQ(f.ControlAt(5, 5), nullptr);
  frame0.SetVisible(false);
  EXPECT_TRUE(left.Visible());
  EXPECT_FALSE(left.VisibleInForm());
  EXPECT_FALSE(left.SetFocus());
  EXPECT_EQ(f.ControlAt(215, 55), nullptr);  // the hidden frame 1 is in the same place
  frame0.SetVisible(true);
  frame0.SetEnabled(false);
  EXPECT_FALSE(left.EnabledInForm());
  frame0.Move({0, 0, 190, 120});
  EXPECT_EQ(left.FormBounds().x, 10);
}

TEST(FormsLifecycle, UnloadForgetsRuntimeStateButKeepsHandlers) {
  Form f(Sample());
  int loads = 0;
  f.On(Event::Load, [&](EventArgs&) { ++loads; });
  f.Get<CheckBox>("Check1").SetValue(1);  // set before loading: kept
  f.Load();
  EXPECT_EQ(f.Get<CheckBox>("Check1").Value(), 1);
  f.SetCaption("Changed");
  f.Get<Button>("Apply").SetEnabled(true);
  f.Get<TreeView>("Tr").Add("root");
  f.FinishUnload();
  EXPECT_FALSE(f.Loaded());
  EXPECT_EQ(f.Caption(), "Sample");
  EXPECT_FALSE(f.Get("Apply").Enabled());
  EXPECT_EQ(f.Get<CheckBox>("Check1").Value(), 0);
  EXPECT_EQ(f.Get<TreeView>("Tr").Count(), 0);
  f.Load();
  EXPECT_EQ(loads, 2);
}

TEST(FormsLifecycle, TheHourglassGoesOnEveryWayOutAndNestsWithoutEndingEarly) {
  Form f(Sample());
  {
    Hourglass outer(f);
    {
      Hourglass inner(f);
      EXPECT_EQ(f.Pointer(), MousePointer::Hourglass);
    }
    EXPECT_EQ(f.Pointer(), MousePointer::Hourglass);  // the outer work goes on
  }
  EXPECT_EQ(f.Pointer(), MousePointer::Default);
  try {
    Hourglass busy(f);
    throw std::runtime_error("handler failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(f.Pointer(), MousePointer::Default);
}

// The tree raises NodeClick only for the user's choice, Expand and Collapse
// on every change, and lets a handler cancel an in-place edit.
class FormsTree : public ::testing::Test {
protected:
  Form form{Sample()};
  TreeView& tree = form.Get<TreeView>("Tr");
  Recorder r;
  void SetUp() override {
    for (Event e : {Event::NodeClick, Event::Click, Event::Expand, Event::Collapse})
      r.Watch(form, e, "Tr",
              e == Event::NodeClick ? "NodeClick" : e == Event::Click ? "Click"
                                                  : e == Event::Expand ? "Expand" : "Collapse");
  }
};

TEST_F(FormsTree, NodesAreNumberedInTheOrderAdded) {
  TreeNode& root = tree.Add("Velmaro", 7, 8);
  TreeNode& a = tree.AddChild(root, "Windows", 1);
  TreeNode& b = tree.AddChild(root, "Mouse", 2);
  tree.AddChild(a, "deep");
  EXPECT_EQ(tree.Count(), 4);
  EXPECT_EQ(b.Index(), 3);
  EXPECT_EQ(tree.Node(3), &b);
  EXPECT_EQ(tree.Node(0), nullptr);
  EXPECT_EQ(tree.Node(5), nullptr);
  EXPECT_EQ(root.SelectedImage(), 8);
  EXPECT_EQ(a.SelectedImage(), 1);  // defaults to the image
  EXPECT_EQ(tree.Roots().size(), 1u);
  Form other(Sample());
  EXPECT_THROW(other.Get<TreeView>("Tr").AddChild(root, "x"), FormError);
}

TEST_F(FormsTree, CodeSelectionRaisesNoNodeClickButShowsTheNode) {
  TreeNode& root = tree.Add("root");
  TreeNode& child = tree.AddChild(root, "child");
  tree.Select(&child);
  EXPECT_EQ(tree.SelectedItem(), &child);
  EXPECT_TRUE(root.Expanded());
  root.SetExpanded(true);  // no change
  root.SetExpanded(false);
  tree.ClickNodeByUser(root);
  tree.ClickByUser();
  EXPECT_EQ(r.seen, (std::vector<std::string>{"Tr:Expand:root", "Tr:Collapse:root",
                                              "Tr:NodeClick:root", "Tr:Click", "Tr:Click"}));
  tree.Clear();
  EXPECT_EQ(tree.SelectedItem(), nullptr);
  EXPECT_EQ(tree.Count(), 0);
}

TEST_F(FormsTree, LabelEditCanBeCancelledOrDismissed) {
  TreeNode& node = tree.Add("old");
  EXPECT_FALSE(tree.StartLabelEdit());  // nothing selected
  tree.Select(&node);
  EXPECT_FALSE(tree.BeginLabelEditByUser());  // manual mode: only code starts it
  bool cancel = true;
  std::vector<std::string> texts;
  form.On(Event::AfterLabelEdit, "Tr", [&](EventArgs& a) {
    texts.push_back(a.newText ? *a.newText : "<dismissed>");
    EXPECT_EQ(a.node->Text(), "old");  // the node changes only after the handler
    a.cancel = cancel;
  });
  ASSERT_TRUE(tree.StartLabelEdit());
  EXPECT_FALSE(tree.EndLabelEdit("new"));
  EXPECT_EQ(node.Text(), "old");
  EXPECT_FALSE(tree.EndLabelEdit("again"));  // no edit in progress: no event
  cancel = false;
  tree.StartLabelEdit();
  EXPECT_FALSE(tree.EndLabelEdit(std::nullopt));
  EXPECT_EQ(node.Text(), "old");
  tree.StartLabelEdit();
  EXPECT_TRUE(tree.EndLabelEdit("new"));
  EXPECT_EQ(node.Text(), "new");
  EXPECT_EQ(texts, (std::vector<std::string>{"new", "<dismissed>", "new"}));
}

TEST_F(FormsTree, AHandlerThatRebuildsTheTreeDuringAnEditIsSafe) {
  tree.Select(&tree.Add("old"));
  form.On(Event::AfterLabelEdit, "Tr", [&](EventArgs&) {
    tree.Clear();
    tree.Add("rebuilt");
  });
  tree.StartLabelEdit();
  EXPECT_FALSE(tree.EndLabelEdit("new"));
  EXPECT_EQ(tree.Node(1)->Text(), "rebuilt");
}

// What a toolkit is told, so that the screen can follow the model.
std::string NameOf(Property p) {
  switch (p) {
    case Property::Value: return "Value";
    case Property::Enabled: return "Enabled";
    case Property::Pointer: return "Pointer";
    default: return "other";
  }
}

struct ChangeLog : FormView {
  std::vector<std::string> log;
  void ControlChanged(Control& c, Property p) override { log.push_back(c.Id() + ":" + NameOf(p)); }
  void NodeAdded(TreeView&, TreeNode& n) override { log.push_back("node:" + n.Text()); }
  void NodeChanged(TreeView&, TreeNode& n, Property) override { log.push_back("changed:" + n.Text()); }
  void FocusRequested(Control& c) override { log.push_back("focus:" + c.Id()); }
  void LabelEditRequested(TreeView&, TreeNode& n) override { log.push_back("edit:" + n.Text()); }
  void FormChanged(Property p) override { log.push_back("form:" + NameOf(p)); }
  void FormDestroyed() override {}
};

TEST(FormsView, EveryEffectiveChangeIsReportedOnce) {
  Form f(Sample());
  ChangeLog view;
  f.AttachView(&view);
  f.Get<Button>("Apply").SetEnabled(true);
  f.Get<Button>("Apply").SetEnabled(true);
  f.Get<OptionButton>("Left1").SetValue(true);  // and Right1 is cleared
  f.SetMousePointer(MousePointer::Hourglass);
  f.SetMousePointer(MousePointer::Hourglass);
  f.Get<CheckBox>("Check1").SetFocus();
  f.Get<Button>("Apply").SetFocus();
  EXPECT_EQ(view.log, (std::vector<std::string>{"Apply:Enabled", "Right1:Value", "Left1:Value", "form:Pointer",
                                                "focus:Check1", "focus:Apply"}));
  EXPECT_EQ(f.ActiveControl(), &f.Get("Apply"));
  f.AttachView(nullptr);
}

}  // namespace
}  // namespace velmaro::forms
