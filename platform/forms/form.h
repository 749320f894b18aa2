#pragma once
// A form: its controls built from a FormSpec, its own properties, the
// handlers registered by control name, and its load/unload lifecycle.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/controls.h"
#include "platform/forms/events.h"
#include "platform/forms/folder_controls.h"
#include "platform/forms/form_design.h"

namespace velmaro::forms {

class Form {
public:
  // Throws FormError for a description that cannot be realised: a missing or
  // repeated name, a parent that is not an earlier frame or picture, a
  // negative size, an inverted range.
  explicit Form(FormSpec spec);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return spec_.name; }
  const FormSpec& Spec() const { return spec_; }

  // ---- Controls ----
  Control* Find(std::string_view name, int index = kNoIndex) const;
  // Throws FormError when there is no such control, or it is of another kind.
  Control& Get(std::string_view name, int index = kNoIndex) const;
  template <class T>
  T& Get(std::string_view name, int index = kNoIndex) const {
    Control& c = Get(name, index);
    if (auto* typed = dynamic_cast<T*>(&c)) return *typed;
    throw FormError("control " + c.Id() + " of form " + Name() + " is a " +
                    std::string(KindName(c.Kind())));
  }
  // The elements of a control array in index order.
  std::vector<Control*> Array(std::string_view name) const;
  // In tab order.
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
  // The control under a point of the client area: the innermost one shown
  // there, or null.
  Control* ControlAt(int x, int y) const;
  Control* ActiveControl() const { return active_; }
  // The control that Enter or Esc presses, or null.
  Button* DefaultButton() const;
  Button* CancelButton() const;

  // ---- Form properties ----
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  int ClientWidth() const { return width_; }
  int ClientHeight() const { return height_; }
  // Sizes below zero count as zero.
  void SetClientSize(int width, int height);
  MousePointer Pointer() const { return pointer_; }
  void SetMousePointer(MousePointer pointer);
  bool Loaded() const { return loaded_; }
  bool Visible() const { return visible_; }

  // ---- Handlers ----
  // One handler per event and control (a later one replaces it). A name
  // without an index takes every element of a control array; a handler for
  // one element goes before it. Throws FormError for an unknown control.
  void On(Event event, Handler handler);
  void On(Event event, std::string_view control, Handler handler);
  void On(Event event, std::string_view control, int index, Handler handler);
  void OnClick(std::string_view control, std::function<void()> handler);
  bool HasHandler(Event event, const Control* control) const;

  // Runs around the handler of every event raised while no other handler of
  // this form runs: the one user action (or timer, or load) it stands for.
  // `entering` true before the handler, false after it, however it ends.
  using EventScope = std::function<void(const EventArgs&, bool entering)>;
  void SetOutermostEventScope(EventScope scope) { scope_ = std::move(scope); }

  // What's This help: the text shown for a control, empty for none.
  void SetHelpProvider(std::function<std::string(const Control&)> provider);
  std::string HelpText(const Control& control) const;

  // ---- For toolkits ----
  void AttachView(FormView* view) { view_ = view; }
  FormView* View() const { return view_; }
  // Marks the form loaded and raises Load. Controls keep what code set
  // before; they return to their design state when the form unloads.
  void Load();
  // Raises QueryUnload; true when no handler cancelled.
  bool QueryUnload(UnloadReason reason);
  // Raises Unload, then forgets the runtime state.
  void FinishUnload();
  // The program ends: the form goes without any event.
  void Abandon();
  void SetShown(bool visible) { visible_ = visible; }
  void NoteFocus(Control* control) { active_ = control; }
  void RaiseActivate();
  // Dispatches to the registered handler, if any.
  void Raise(EventArgs& args);

private:
  friend class Control;
  friend class OptionButton;
  struct HandlerKey {
    Event event;
    std::string name;
    int index;  // kNoIndex with `any` set takes the whole array
    bool any;
    auto operator<=>(const HandlerKey&) const = default;
  };
  void Validate() const;
  void Build();
  void ResetState();
  void ClearOptionSiblings(const OptionButton& selected);
  void CheckControlExists(std::string_view name, int index, bool any) const;

  FormSpec spec_;
  std::vector<std::unique_ptr<Control>> controls_;
  std::map<HandlerKey, Handler> handlers_;
  std::function<std::string(const Control&)> help_;
  EventScope scope_;
  FormView* view_ = nullptr;
  Control* active_ = nullptr;
  std::string caption_;
  int width_ = 0;
  int height_ = 0;
  MousePointer pointer_ = MousePointer::Default;
  bool loaded_ = false;
  bool visible_ = false;
  int raiseDepth_ = 0;
};

// The hourglass over a form for as long as the object lives. The pointer that
// was there before comes back on every way out, an exception included, so a
// handler that fails never leaves the user looking at an hourglass.
class Hourglass {
public:
  explicit Hourglass(Form& form) : form_(form), before_(form.Pointer()) {
    form_.SetMousePointer(MousePointer::Hourglass);
  }
  ~Hourglass() { form_.SetMousePointer(before_); }
  Hourglass(const Hourglass&) = delete;
  Hourglass& operator=(const Hourglass&) = delete;

private:
  Form& form_;
  MousePointer before_;
};

}  // namespace velmaro::forms
