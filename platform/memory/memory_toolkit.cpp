#include "platform/memory/memory_toolkit.h"

#include <algorithm>
#include "platform/ascii_case.h"

namespace velmaro::forms {

using platform::LowerAscii;
using platform::UpperAscii;
namespace {

std::string FileTitleOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// Follows one loaded form: timers to schedule, pointer changes to record.
class MemoryToolkit::View : public FormView {
public:
  View(MemoryToolkit& toolkit, Form& form) : toolkit_(toolkit), form_(form) {}

  void ControlChanged(Control& control, Property what) override {
    if (control.Kind() == ControlKind::Timer && (what == Property::Enabled || what == Property::Timer))
      toolkit_.Reschedule(static_cast<Timer&>(control));
  }
  void NodeAdded(TreeView&, TreeNode&) override {}
  void NodeChanged(TreeView&, TreeNode&, Property) override {}
  void FocusRequested(Control&) override {}
  void LabelEditRequested(TreeView&, TreeNode&) override {}
  void FormChanged(Property what) override {
    if (what == Property::Pointer) toolkit_.pointerLog_.push_back({form_.Name(), form_.Pointer()});
  }
  void FormDestroyed() override { toolkit_.Detach(form_); }

private:
  MemoryToolkit& toolkit_;
  Form& form_;
};

MemoryToolkit::MemoryToolkit() = default;

MemoryToolkit::~MemoryToolkit() {
  for (Form* f : std::vector<Form*>(loaded_)) f->AttachView(nullptr);
}

void MemoryToolkit::Fail(const std::string& what) {
  unexpected_.push_back(what);
  throw ScriptError(what);
}

// ---- Showing and unloading ----

void MemoryToolkit::Attach(Form& form) {
  auto view = std::make_unique<View>(*this, form);
  form.AttachView(view.get());
  views_[&form] = std::move(view);
  loaded_.push_back(&form);
  for (const auto& c : form.Controls())
    if (c->Kind() == ControlKind::Timer) Reschedule(static_cast<Timer&>(*c));
}

void MemoryToolkit::Detach(Form& form) {
  form.AttachView(nullptr);
  loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), &form), loaded_.end());
  modal_.erase(std::remove(modal_.begin(), modal_.end(), &form), modal_.end());
  for (auto it = timers_.begin(); it != timers_.end();)
    it = (&it->first->Owner() == &form) ? timers_.erase(it) : std::next(it);
  if (helpForm_ == &form) helpForm_ = nullptr;
  if (active_ == &form) {
    active_ = nullptr;
    for (auto it = loaded_.rbegin(); it != loaded_.rend(); ++it)
      if ((*it)->Visible()) {
        active_ = *it;
        break;
      }
  }
  views_.erase(&form);  // last: it may be the caller
}

void MemoryToolkit::Show(Form& form) {
  if (ended_) return;
  if (!form.Loaded()) {
    Attach(form);
    form.Load();
    if (!form.Loaded()) return;  // its Load unloaded it
  }
  form.SetShown(true);
  if (active_ != &form && (modal_.empty() || modal_.back() == &form)) {
    active_ = &form;
    form.RaiseActivate();
  }
}

void MemoryToolkit::ShowModal(Form& form) {
  if (ended_ || form.Visible()) return;
  if (modalScripts_.empty() || modalScripts_.front().first != form.Name())
    Fail("form " + form.Name() + " was shown modally without a script" +
         (modalScripts_.empty() ? "" : " (the next script is for " + modalScripts_.front().first + ")"));
  auto script = std::move(modalScripts_.front().second);
  modalScripts_.pop_front();
  Form* owner = active_;
  modal_.push_back(&form);
  Show(form);
  if (form.Loaded() && script) script(form);
  if (form.Loaded()) {
    Unload(form);  // keeps the toolkit consistent for the rest of the test
    Fail("modal form " + form.Name() + " was still open at the end of its script");
  }
  if (owner && owner->Loaded() && !ended_) {
    active_ = owner;
    owner->RaiseActivate();
  }
}

void MemoryToolkit::UnloadNow(Form& form) {
  form.FinishUnload();
  Detach(form);
}

bool MemoryToolkit::Unload(Form& form) {
  if (!form.Loaded()) return true;
  if (!form.QueryUnload(UnloadReason::Code)) return false;
  if (form.Loaded()) UnloadNow(form);
  return true;
}

void MemoryToolkit::Hide(Form& form) { form.SetShown(false); }

void MemoryToolkit::DoEvents() { FireDue(now_, false); }

int MemoryToolkit::Run() {
  DoEvents();
  return 0;
}

void MemoryToolkit::End() {
  ended_ = true;
  for (Form* f : std::vector<Form*>(loaded_)) {
    f->Abandon();
    Detach(*f);
  }
}

// ---- Message boxes and dialogs ----

void MemoryToolkit::AnswerNextBox(int answer, std::string expectedText,
                                  std::function<void()> meanwhile) {
  boxScripts_.push_back({answer, std::move(expectedText), std::move(meanwhile)});
}

void MemoryToolkit::AnswerNextFileDialog(std::string fullPath) {
  FileDialogResult r;
  r.ok = true;
  r.fileTitle = FileTitleOf(fullPath);
  r.fileName = std::move(fullPath);
  fileScripts_.push_back(std::move(r));
}

void MemoryToolkit::CancelNextFileDialog() { fileScripts_.push_back(FileDialogResult{}); }

void MemoryToolkit::WhenModal(std::string formName, std::function<void(Form&)> script) {
  modalScripts_.emplace_back(std::move(formName), std::move(script));
}

std::size_t MemoryToolkit::UnusedScripts() const {
  return boxScripts_.size() + fileScripts_.size() + modalScripts_.size();
}

int MemoryToolkit::MsgBox(const std::string& text, const std::string& title, int flags) {
  boxes_.push_back({text, title, flags, 0});
  if (boxScripts_.empty()) Fail("unexpected message box \"" + text + "\" titled \"" + title + "\"");
  BoxScript script = boxScripts_.front();
  boxScripts_.pop_front();
  if (!script.expectedText.empty() && script.expectedText != text)
    Fail("message box \"" + text + "\" where the script expected \"" + script.expectedText + "\"");
  if (!IsAnswerOf(flags, script.answer))
    Fail("message box \"" + text + "\" has no button for the scripted answer " +
         std::to_string(script.answer));
  boxes_.back().answer = script.answer;
  if (script.meanwhile) script.meanwhile();
  return script.answer;
}

FileDialogResult MemoryToolkit::OpenFile(const FileDialogRequest& request) {
  fileDialogs_.push_back(request);
  if (fileScripts_.empty()) Fail("unexpected file dialog \"" + request.title + "\"");
  FileDialogResult r = fileScripts_.front();
  fileScripts_.pop_front();
  return r;
}

// ---- What's This ----

void MemoryToolkit::EnterWhatsThisMode(Form& form) {
  if (form.Loaded()) helpForm_ = &form;
}

bool MemoryToolkit::ConsumePopup() {
  if (!popup_) return false;
  popup_.reset();
  return true;
}

bool MemoryToolkit::HelpClick(Form& form, Control* control) {
  if (helpForm_ != &form) return false;
  helpForm_ = nullptr;
  if (control) {
    std::string text = form.HelpText(*control);
    popup_ = text.empty() ? std::string(kNoHelpText) : text;
    popups_.push_back(*popup_);
  }
  return true;
}

// ---- User actions ----

Form* MemoryToolkit::Blocker() const { return modal_.empty() ? nullptr : modal_.back(); }

void MemoryToolkit::CheckCanAct(Form& form) {
  if (ended_) throw ScriptError("the program has ended");
  if (!form.Loaded() || !form.Visible()) throw ScriptError("form " + form.Name() + " is not shown");
  if (Form* top = Blocker(); top && top != &form)
    throw ScriptError("form " + form.Name() + " is behind modal form " + top->Name());
}

Control& MemoryToolkit::Actionable(Form& form, std::string_view name, int index) {
  CheckCanAct(form);
  Control* c = form.Find(name, index);
  if (!c) throw ScriptError("form " + form.Name() + " has no control " + ControlId(name, index));
  if (!c->VisibleInForm()) throw ScriptError("control " + c->Id() + " is hidden");
  if (!c->EnabledInForm()) throw ScriptError("control " + c->Id() + " is disabled");
  return *c;
}

TreeView& MemoryToolkit::ActionableTree(Form& form, std::string_view name) {
  Control& c = Actionable(form, name, kNoIndex);
  if (c.Kind() != ControlKind::TreeView) throw ScriptError(c.Id() + " is not a tree view");
  return static_cast<TreeView&>(c);
}

TreeNode& MemoryToolkit::NodeInView(TreeView& tree, int node) {
  TreeNode* n = tree.Node(node);
  if (!n) throw ScriptError(tree.Id() + " has no node " + std::to_string(node));
  for (TreeNode* p = n->Parent(); p; p = p->Parent())
    if (!p->Expanded()) throw ScriptError("node " + n->Text() + " is inside a collapsed node");
  return *n;
}

void MemoryToolkit::Click(Form& form, std::string_view name, int index) {
  Control& c = Actionable(form, name, index);
  if (ConsumePopup()) return;
  if (HelpClick(form, &c)) return;
  switch (c.Kind()) {
    case ControlKind::Button:
      c.SetFocus();
      static_cast<Button&>(c).Press();
      break;
    case ControlKind::CheckBox:
      c.SetFocus();
      static_cast<CheckBox&>(c).ClickByUser();
      break;
    case ControlKind::OptionButton:
      c.SetFocus();
      static_cast<OptionButton&>(c).ClickByUser();
      break;
    case ControlKind::Label:
    case ControlKind::Picture:
    case ControlKind::Frame:
      c.Raise(Event::Click);
      break;
    case ControlKind::TextBox:
      c.SetFocus();
      break;
    case ControlKind::TreeView:
      c.SetFocus();
      static_cast<TreeView&>(c).ClickByUser();
      break;
    default:
      throw ScriptError("a click on " + c.Id() + " does nothing a test can rely on; use the action of its kind");
  }
}

void MemoryToolkit::DblClick(Form& form, std::string_view name, int index) {
  Control& c = Actionable(form, name, index);
  if (c.Kind() != ControlKind::Label && c.Kind() != ControlKind::Picture &&
      c.Kind() != ControlKind::Frame)
    throw ScriptError(c.Id() + " does not report double-clicks");
  if (ConsumePopup()) return;
  if (HelpClick(form, &c)) return;
  c.Raise(Event::Click);
  c.Raise(Event::DblClick);
}

void MemoryToolkit::MouseMove(Form& form, std::string_view name, int index, int x, int y) {
  Control& c = Actionable(form, name, index);
  if (c.Kind() != ControlKind::Label && c.Kind() != ControlKind::Picture &&
      c.Kind() != ControlKind::Frame)
    throw ScriptError(c.Id() + " does not report pointer moves");
  if (helpForm_) return;  // the help mode holds the mouse
  EventArgs args;
  args.event = Event::MouseMove;
  args.x = x;
  args.y = y;
  c.Raise(args);
}

void MemoryToolkit::ClickForm(Form& form) {
  CheckCanAct(form);
  if (ConsumePopup()) return;
  if (HelpClick(form, nullptr)) return;
  EventArgs args;
  args.event = Event::Click;
  form.Raise(args);
}

void MemoryToolkit::Type(Form& form, std::string_view name, std::string text, int index) {
  Control& c = Actionable(form, name, index);
  if (c.Kind() != ControlKind::TextBox) throw ScriptError(c.Id() + " is not a text box");
  if (helpForm_) throw ScriptError("typing while in What's This mode");
  ConsumePopup();
  auto& box = static_cast<TextBox&>(c);
  if (box.ReadOnly()) throw ScriptError(c.Id() + " is read-only");
  box.SetFocus();
  box.SetText(std::move(text));
}

void MemoryToolkit::MoveSlider(Form& form, std::string_view name, int position, int index) {
  Control& c = Actionable(form, name, index);
  if (c.Kind() != ControlKind::Slider) throw ScriptError(c.Id() + " is not a slider");
  if (helpForm_) throw ScriptError("moving a slider while in What's This mode");
  ConsumePopup();
  auto& slider = static_cast<Slider&>(c);
  if (position < slider.Min() || position > slider.Max())
    throw ScriptError(c.Id() + " cannot move to " + std::to_string(position));
  slider.SetFocus();
  slider.SetValue(position);
}

void MemoryToolkit::Choose(Form& form, std::string_view name, int listIndex, int index) {
  Control& c = Actionable(form, name, index);
  if (c.Kind() != ControlKind::DropDownList) throw ScriptError(c.Id() + " is not a drop-down list");
  if (helpForm_) throw ScriptError("choosing from a list while in What's This mode");
  ConsumePopup();
  auto& list = static_cast<DropDownList&>(c);
  if (listIndex < 0 || listIndex >= list.ListCount())
    throw ScriptError(c.Id() + " has no entry " + std::to_string(listIndex));
  list.SetFocus();
  list.SetListIndex(listIndex);
}

void MemoryToolkit::Choose(Form& form, std::string_view name, const std::string& entry, int index) {
  Control& c = Actionable(form, name, index);
  if (c.Kind() != ControlKind::DropDownList) throw ScriptError(c.Id() + " is not a drop-down list");
  const auto& items = static_cast<DropDownList&>(c).Items();
  auto it = std::find(items.begin(), items.end(), entry);
  if (it == items.end()) throw ScriptError(c.Id() + " has no entry \"" + entry + "\"");
  Choose(form, name, static_cast<int>(it - items.begin()), index);
}

void MemoryToolkit::ClickNode(Form& form, std::string_view tree, int node) {
  TreeView& t = ActionableTree(form, tree);
  TreeNode& n = NodeInView(t, node);
  if (ConsumePopup()) return;
  if (HelpClick(form, &t)) return;
  t.SetFocus();
  t.ClickNodeByUser(n);
}

void MemoryToolkit::ExpandNode(Form& form, std::string_view tree, int node) {
  TreeView& t = ActionableTree(form, tree);
  TreeNode& n = NodeInView(t, node);
  if (n.Children().empty()) throw ScriptError("node " + n.Text() + " has nothing to expand");
  if (ConsumePopup()) return;
  if (HelpClick(form, &t)) return;
  n.SetExpanded(true);
}

void MemoryToolkit::CollapseNode(Form& form, std::string_view tree, int node) {
  TreeView& t = ActionableTree(form, tree);
  TreeNode& n = NodeInView(t, node);
  if (n.Children().empty()) throw ScriptError("node " + n.Text() + " has nothing to collapse");
  if (ConsumePopup()) return;
  if (HelpClick(form, &t)) return;
  n.SetExpanded(false);
}

void MemoryToolkit::BeginLabelEdit(Form& form, std::string_view tree) {
  TreeView& t = ActionableTree(form, tree);
  if (!t.BeginLabelEditByUser())
    throw ScriptError(t.Id() + " does not let the user edit its selected node");
}

bool MemoryToolkit::FinishLabelEdit(Form& form, std::string_view tree,
                                    std::optional<std::string> newText) {
  TreeView& t = ActionableTree(form, tree);
  if (!t.EditingNode()) throw ScriptError(t.Id() + " is not editing a node");
  return t.EndLabelEdit(std::move(newText));
}

void MemoryToolkit::ChooseDrive(Form& form, std::string_view name, char letter) {
  Control& c = Actionable(form, name, kNoIndex);
  if (c.Kind() != ControlKind::DriveChooser) throw ScriptError(c.Id() + " is not a drive chooser");
  if (helpForm_) throw ScriptError("choosing a drive while in What's This mode");
  ConsumePopup();
  auto& chooser = static_cast<DriveChooser&>(c);
  const char up = UpperAscii(letter);
  const auto& drives = chooser.Drives();
  const auto it = std::find_if(drives.begin(), drives.end(),
                               [&](const DriveEntry& d) { return d.letter == up; });
  if (it == drives.end()) throw ScriptError(c.Id() + " lists no drive " + std::string(1, up));
  chooser.SetFocus();
  chooser.ChooseByUser(static_cast<int>(it - drives.begin()));
}

bool MemoryToolkit::OpenFolder(Form& form, std::string_view tree, const std::string& folder) {
  Control& c = Actionable(form, tree, kNoIndex);
  if (c.Kind() != ControlKind::FolderTree) throw ScriptError(c.Id() + " is not a folder tree");
  if (helpForm_) throw ScriptError("opening a folder while in What's This mode");
  ConsumePopup();
  auto& t = static_cast<FolderTree&>(c);
  const auto& entries = t.Entries();
  const auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const FolderTree::Entry& e) { return e.name == folder; });
  if (it == entries.end()) throw ScriptError(c.Id() + " shows no folder " + folder);
  t.SetFocus();
  return t.OpenByUser(static_cast<int>(it - entries.begin()));
}

void MemoryToolkit::PressEnter(Form& form) {
  CheckCanAct(form);
  if (ConsumePopup() || helpForm_) return;
  Control* focus = form.ActiveControl();
  Button* target = (focus && focus->Kind() == ControlKind::Button && focus->CanFocus())
                       ? static_cast<Button*>(focus)
                       : form.DefaultButton();
  if (target && target->VisibleInForm() && target->EnabledInForm()) target->Press();
}

void MemoryToolkit::PressEscape(Form& form) {
  CheckCanAct(form);
  if (ConsumePopup()) return;
  if (helpForm_ == &form) {
    helpForm_ = nullptr;
    return;
  }
  Button* cancel = form.CancelButton();
  if (cancel && cancel->VisibleInForm() && cancel->EnabledInForm()) cancel->Press();
}

void MemoryToolkit::PressAlt(Form& form, char key) {
  CheckCanAct(form);
  if (ConsumePopup() || helpForm_) return;
  key = LowerAscii(key);
  const auto& controls = form.Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    Control& c = *controls[i];
    auto* captioned = dynamic_cast<CaptionControl*>(&c);
    if (!captioned || Mnemonic(captioned->Caption()) != key) continue;
    if (!c.VisibleInForm() || !c.EnabledInForm()) continue;
    switch (c.Kind()) {
      case ControlKind::Button:
        c.SetFocus();
        static_cast<Button&>(c).Press();
        return;
      case ControlKind::CheckBox:
        c.SetFocus();
        static_cast<CheckBox&>(c).ClickByUser();
        return;
      case ControlKind::OptionButton:
        c.SetFocus();
        static_cast<OptionButton&>(c).ClickByUser();
        return;
      default:
        // A label or frame hands the focus to the next control that takes it.
        for (std::size_t j = i + 1; j < controls.size(); ++j)
          if (controls[j]->SetFocus()) return;
        return;
    }
  }
}

void MemoryToolkit::PressTab(Form& form) {
  CheckCanAct(form);
  if (ConsumePopup() || helpForm_) return;
  const auto& controls = form.Controls();
  const std::size_t n = controls.size();
  std::size_t start = n;  // none focused: begin at the first control
  for (std::size_t i = 0; i < n; ++i)
    if (controls[i].get() == form.ActiveControl()) start = i;
  for (std::size_t step = 1; step <= n; ++step) {
    std::size_t i = (start == n ? step - 1 : (start + step) % n);
    if (controls[i]->SetFocus()) return;
  }
}

bool MemoryToolkit::CloseBox(Form& form) {
  CheckCanAct(form);
  if (form.Spec().border == BorderStyle::None) throw ScriptError("form " + form.Name() + " has no close box");
  ConsumePopup();
  if (!form.QueryUnload(UnloadReason::CloseBox)) return false;
  if (form.Loaded()) UnloadNow(form);
  return true;
}

bool MemoryToolkit::EndSession() {
  std::vector<Form*> forms = loaded_;
  for (Form* f : forms)
    if (f->Loaded() && !f->QueryUnload(UnloadReason::SessionEnd)) return false;
  for (Form* f : forms)
    if (f->Loaded()) UnloadNow(*f);
  ended_ = true;
  return true;
}

void MemoryToolkit::FireTimer(Form& form, std::string_view name, int index) {
  if (!form.Loaded()) throw ScriptError("form " + form.Name() + " is not loaded");
  Control* c = form.Find(name, index);
  if (!c || c->Kind() != ControlKind::Timer)
    throw ScriptError("form " + form.Name() + " has no timer " + ControlId(name, index));
  auto& timer = static_cast<Timer&>(*c);
  if (!timer.Enabled() || timer.Interval() <= 0) throw ScriptError("timer " + c->Id() + " is not running");
  timers_[&timer] = {now_ + timer.Interval(), order_++};
  timer.Fire();
}

// ---- Timers ----

void MemoryToolkit::Reschedule(Timer& timer) {
  if (timer.Enabled() && timer.Interval() > 0 && timer.Owner().Loaded() && !ended_)
    timers_[&timer] = {now_ + timer.Interval(), order_++};
  else
    timers_.erase(&timer);
}

void MemoryToolkit::FireDue(long long upTo, bool stepClock) {
  // Each pass fires the earliest due timer; a loop pass without a step fires
  // every due timer once, as one message pump does.
  std::vector<Timer*> firedThisPass;
  for (;;) {
    Timer* next = nullptr;
    Scheduled when{};
    for (const auto& [timer, s] : timers_) {
      if (s.due > upTo) continue;
      if (!stepClock && std::find(firedThisPass.begin(), firedThisPass.end(), timer) != firedThisPass.end())
        continue;
      if (!next || s.due < when.due || (s.due == when.due && s.order < when.order)) {
        next = timer;
        when = s;
      }
    }
    if (!next || ended_) return;
    if (stepClock) now_ = std::max(now_, when.due);
    timers_[next] = {now_ + next->Interval(), order_++};
    firedThisPass.push_back(next);
    next->Fire();
  }
}

void MemoryToolkit::Advance(int ms) {
  const long long target = now_ + std::max(0, ms);
  FireDue(target, true);
  now_ = target;
}

void MemoryToolkit::Elapse(int ms) { now_ += std::max(0, ms); }

std::vector<Form*> MemoryToolkit::LoadedForms() const { return loaded_; }

}  // namespace velmaro::forms
