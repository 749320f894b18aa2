#include "platform/forms/form.h"

#include <algorithm>
#include <set>

namespace velmaro::forms {
namespace {

// Handlers that call each other through events deeper than this are looping.
constexpr int kMaxEventDepth = 64;

std::unique_ptr<Control> MakeControl(Form& form, const ControlSpec& spec, Control* parent) {
  switch (spec.kind) {
    case ControlKind::Label: return std::make_unique<Label>(form, spec, parent);
    case ControlKind::Button: return std::make_unique<Button>(form, spec, parent);
    case ControlKind::CheckBox: return std::make_unique<CheckBox>(form, spec, parent);
    case ControlKind::OptionButton: return std::make_unique<OptionButton>(form, spec, parent);
    case ControlKind::TextBox: return std::make_unique<TextBox>(form, spec, parent);
    case ControlKind::Frame: return std::make_unique<Frame>(form, spec, parent);
    case ControlKind::DropDownList: return std::make_unique<DropDownList>(form, spec, parent);
    case ControlKind::TreeView: return std::make_unique<TreeView>(form, spec, parent);
    case ControlKind::Slider: return std::make_unique<Slider>(form, spec, parent);
    case ControlKind::ProgressBar: return std::make_unique<ProgressBar>(form, spec, parent);
    case ControlKind::Picture: return std::make_unique<Picture>(form, spec, parent);
    case ControlKind::Timer: return std::make_unique<Timer>(form, spec, parent);
    case ControlKind::DriveChooser: return std::make_unique<DriveChooser>(form, spec, parent);
    case ControlKind::FolderTree: return std::make_unique<FolderTree>(form, spec, parent);
  }
  throw FormError("unknown control kind for " + spec.name);
}

// The events each kind can raise; a handler for any other is a mistake.
bool Raises(ControlKind kind, Event event) {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::Frame:
    case ControlKind::Picture:
      return event == Event::Click || event == Event::DblClick || event == Event::MouseMove;
    case ControlKind::Button:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::DropDownList:
      return event == Event::Click;
    case ControlKind::TextBox:
    case ControlKind::Slider:
    case ControlKind::DriveChooser:
    case ControlKind::FolderTree:
      return event == Event::Change;
    case ControlKind::TreeView:
      return event == Event::Click || event == Event::NodeClick || event == Event::Expand ||
             event == Event::Collapse || event == Event::AfterLabelEdit;
    case ControlKind::ProgressBar:
      return false;
    case ControlKind::Timer:
      return event == Event::Timer;
  }
  return false;
}

bool IsFormEvent(Event event) {
  return event == Event::Load || event == Event::QueryUnload || event == Event::Unload ||
         event == Event::Activate || event == Event::Click || event == Event::DblClick ||
         event == Event::MouseMove;
}

int Depth(const Control& c) {
  int d = 0;
  for (const Control* p = c.Parent(); p; p = p->Parent()) ++d;
  return d;
}

}  // namespace

Form::Form(FormSpec spec) : spec_(std::move(spec)) {
  Validate();
  Build();
  ResetState();
}

Form::~Form() {
  if (view_) view_->FormDestroyed();
}

void Form::Validate() const {
  if (spec_.name.empty()) throw FormError("a form needs a name");
  if (spec_.clientWidth < 0 || spec_.clientHeight < 0)
    throw FormError("form " + spec_.name + " has a negative size");
  std::set<std::pair<std::string, int>> seen;
  std::set<std::string> plain, arrays;
  for (const ControlSpec& c : spec_.controls) {
    const std::string id = ControlId(c.name, c.index);
    if (c.name.empty()) throw FormError("form " + spec_.name + " has a control without a name");
    if (c.index < kNoIndex) throw FormError("control " + id + " has a negative index");
    if (!seen.insert({c.name, c.index}).second)
      throw FormError("form " + spec_.name + " has two controls " + id);
    (c.index == kNoIndex ? plain : arrays).insert(c.name);
    if (plain.count(c.name) && arrays.count(c.name))
      throw FormError(c.name + " is both a control and a control array");
    if (c.bounds.width < 0 || c.bounds.height < 0)
      throw FormError("control " + id + " has a negative size");
    if ((c.kind == ControlKind::Slider || c.kind == ControlKind::ProgressBar) && c.min > c.max)
      throw FormError("control " + id + " has its minimum above its maximum");
    if (!c.parent.empty()) {
      auto parentAt = std::find_if(spec_.controls.begin(), spec_.controls.end(),
                                   [&](const ControlSpec& p) {
                                     return p.name == c.parent && p.index == c.parentIndex;
                                   });
      if (parentAt == spec_.controls.end() || &*parentAt >= &c)
        throw FormError("control " + id + " is in " + ControlId(c.parent, c.parentIndex) +
                        ", which is not an earlier control");
      if (parentAt->kind != ControlKind::Frame && parentAt->kind != ControlKind::Picture)
        throw FormError("control " + id + " is in " + ControlId(c.parent, c.parentIndex) +
                        ", which is not a frame or a picture");
    }
  }
}

void Form::Build() {
  for (const ControlSpec& c : spec_.controls) {
    Control* parent = c.parent.empty() ? nullptr : Find(c.parent, c.parentIndex);
    controls_.push_back(MakeControl(*this, c, parent));
  }
}

void Form::ResetState() {
  caption_ = spec_.caption;
  width_ = spec_.clientWidth;
  height_ = spec_.clientHeight;
  pointer_ = MousePointer::Default;
  active_ = nullptr;
  for (auto& c : controls_) c->Reset();
}

Control* Form::Find(std::string_view name, int index) const {
  for (const auto& c : controls_)
    if (c->Name() == name && c->Index() == index) return c.get();
  return nullptr;
}

Control& Form::Get(std::string_view name, int index) const {
  if (Control* c = Find(name, index)) return *c;
  throw FormError("form " + Name() + " has no control " + ControlId(name, index));
}

std::vector<Control*> Form::Array(std::string_view name) const {
  std::vector<Control*> out;
  for (const auto& c : controls_)
    if (c->Name() == name) out.push_back(c.get());
  std::sort(out.begin(), out.end(),
            [](const Control* a, const Control* b) { return a->Index() < b->Index(); });
  return out;
}

Control* Form::ControlAt(int x, int y) const {
  // Children lie above their container; among overlapping siblings the one
  // created first is on top.
  Control* best = nullptr;
  int bestDepth = -1;
  for (const auto& c : controls_) {
    if (c->Kind() == ControlKind::Timer || !c->VisibleInForm()) continue;
    if (!c->FormBounds().Contains(x, y)) continue;
    const int d = Depth(*c);
    if (d > bestDepth) {
      best = c.get();
      bestDepth = d;
    }
  }
  return best;
}

Button* Form::DefaultButton() const {
  for (const auto& c : controls_)
    if (c->Kind() == ControlKind::Button && c->Spec().isDefault) return static_cast<Button*>(c.get());
  return nullptr;
}

Button* Form::CancelButton() const {
  for (const auto& c : controls_)
    if (c->Kind() == ControlKind::Button && c->Spec().isCancel) return static_cast<Button*>(c.get());
  return nullptr;
}

void Form::SetCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  if (view_) view_->FormChanged(Property::FormCaption);
}

void Form::SetClientSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width_ == width && height_ == height) return;
  width_ = width;
  height_ = height;
  if (view_) view_->FormChanged(Property::FormSize);
}

void Form::SetMousePointer(MousePointer pointer) {
  if (pointer_ == pointer) return;
  pointer_ = pointer;
  if (view_) view_->FormChanged(Property::Pointer);
}

void Form::CheckControlExists(std::string_view name, int index, bool any) const {
  bool found = false;
  for (const auto& c : controls_)
    if (c->Name() == name && (any || c->Index() == index)) found = true;
  if (!found) throw FormError("form " + Name() + " has no control " + ControlId(name, index));
}

void Form::On(Event event, Handler handler) {
  if (!IsFormEvent(event)) throw FormError("a form does not raise this event");
  handlers_[{event, "", kNoIndex, false}] = std::move(handler);
}

void Form::On(Event event, std::string_view control, Handler handler) {
  CheckControlExists(control, kNoIndex, true);
  for (const auto& c : controls_)
    if (c->Name() == control && !Raises(c->Kind(), event))
      throw FormError("control " + c->Id() + " never raises this event");
  handlers_[{event, std::string(control), kNoIndex, true}] = std::move(handler);
}

void Form::On(Event event, std::string_view control, int index, Handler handler) {
  CheckControlExists(control, index, false);
  if (!Raises(Find(control, index)->Kind(), event))
    throw FormError("control " + ControlId(control, index) + " never raises this event");
  handlers_[{event, std::string(control), index, false}] = std::move(handler);
}

void Form::OnClick(std::string_view control, std::function<void()> handler) {
  On(Event::Click, control, [h = std::move(handler)](EventArgs&) { h(); });
}

bool Form::HasHandler(Event event, const Control* control) const {
  if (!control) return handlers_.count({event, "", kNoIndex, false}) != 0;
  return handlers_.count({event, control->Name(), control->Index(), false}) != 0 ||
         handlers_.count({event, control->Name(), kNoIndex, true}) != 0;
}

void Form::SetHelpProvider(std::function<std::string(const Control&)> provider) {
  help_ = std::move(provider);
}

std::string Form::HelpText(const Control& control) const {
  return help_ ? help_(control) : std::string();
}

void Form::Load() {
  loaded_ = true;
  EventArgs args;
  args.event = Event::Load;
  Raise(args);
}

bool Form::QueryUnload(UnloadReason reason) {
  EventArgs args;
  args.event = Event::QueryUnload;
  args.reason = reason;
  Raise(args);
  return !args.cancel;
}

void Form::FinishUnload() {
  EventArgs args;
  args.event = Event::Unload;
  Raise(args);
  loaded_ = false;
  visible_ = false;
  FormView* view = view_;
  view_ = nullptr;  // the window is going: nothing to mirror
  ResetState();
  view_ = view;
}

void Form::Abandon() {
  loaded_ = false;
  visible_ = false;
  FormView* view = view_;
  view_ = nullptr;
  ResetState();
  view_ = view;
}

void Form::RaiseActivate() {
  EventArgs args;
  args.event = Event::Activate;
  Raise(args);
}

void Form::ClearOptionSiblings(const OptionButton& selected) {
  for (const auto& c : controls_) {
    if (c.get() == &selected || c->Kind() != ControlKind::OptionButton) continue;
    if (c->Parent() != selected.Parent()) continue;
    static_cast<OptionButton*>(c.get())->ClearQuietly();
  }
}

void Form::Raise(EventArgs& args) {
  args.form = this;
  const Handler* handler = nullptr;
  if (args.control) {
    auto exact = handlers_.find({args.event, args.control->Name(), args.control->Index(), false});
    if (exact == handlers_.end())
      exact = handlers_.find({args.event, args.control->Name(), kNoIndex, true});
    if (exact != handlers_.end()) handler = &exact->second;
  } else {
    auto it = handlers_.find({args.event, "", kNoIndex, false});
    if (it != handlers_.end()) handler = &it->second;
  }
  if (!handler || !*handler) return;
  if (raiseDepth_ >= kMaxEventDepth)
    throw FormError("events of form " + Name() + " keep raising each other");
  struct DepthGuard {
    int& depth;
    const EventScope* scope;
    const EventArgs& args;
    DepthGuard(int& d, const EventScope* s, const EventArgs& a) : depth(d), scope(s), args(a) {
      if (scope) (*scope)(args, true);
      ++depth;
    }
    ~DepthGuard() {
      --depth;
      if (scope) (*scope)(args, false);
    }
  } guard(raiseDepth_, raiseDepth_ == 0 && scope_ ? &scope_ : nullptr, args);
  // A copy: the handler may replace itself.
  Handler call = *handler;
  call(args);
}

}  // namespace velmaro::forms
