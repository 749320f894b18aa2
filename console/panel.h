#pragma once
// A category panel of the main window. Each panel lives in one file under
// console/panels/ and gives the category table two things (PanelKind): its
// layout, the controls it adds to the main window's design inside its frame,
// and a maker that binds those controls once, by name, into typed members and
// attaches the panel's own handlers. A misspelt or mistyped control name
// throws forms::FormError while the main window is built, not when a user
// first reaches the code that uses it.
//
// A new panel's file defines `const PanelKind <Name>Panel{&Layout, &Make}`:
//   - Layout(spec, frame) adds its controls with the names the window designer
//     gave them, each placed InPanel(control, frame) or inside one of its own
//     frames; the order added is the Tab order, and the e2e driver counts
//     control ids from it;
//   - Make(main) builds a Panel subclass whose constructor binds every control
//     it uses (main.Get<Kind>("Name")) and registers its handlers;
//   - Load() reads the system; Apply() writes back (unless the category acts
//     at once), naming what was not saved through a SaveReport and showing
//     the hourglass (forms::Hourglass) where its category shows one;
//   - AfterAnyLoad() only for controls that every category's load refreshes.
// Then its name joins the declaration in console/categories.h and its row
// points at it; every control a user can click needs a topic in
// console/res/Velmaro.hlp (a test holds the help file to that).
#include <memory>
#include <vector>

#include "platform/forms/form_design.h"
#include "system_access/reg_file.h"

namespace velmaro::console {

class Tweaker;

class Panel {
public:
  virtual ~Panel() = default;
  // The category's load: fills the controls from the system. The main window
  // shows the hourglass meanwhile and sets the Apply caption beforehand.
  virtual void Load() = 0;
  // The category's applier: writes the controls back. Not called for the
  // panels whose category acts at once (Apply stays disabled there).
  virtual void Apply() {}
  // Runs after the load of every category, this panel's own included: for
  // controls that every load refreshes.
  virtual void AfterAnyLoad() {}
  // For a category that acts at once: what of the system it carries to
  // another machine, as registry entries (an export). The other categories
  // export what their apply would write.
  virtual std::vector<regfile::Key> Export() { return {}; }
};

// What the category table knows of a panel.
struct PanelKind {
  // Adds the panel's controls to the design, inside the element `frame` of `Fram`.
  void (*layout)(forms::FormSpec& spec, int frame);
  // Binds the controls of a main window built from that design.
  std::unique_ptr<Panel> (*make)(Tweaker& main);
};

// The maker of a panel class whose constructor takes the main window.
template <class P>
std::unique_ptr<Panel> MakePanel(Tweaker& main) {
  return std::make_unique<P>(main);
}

// The grid the panels share, in pixels inside their frame.
namespace grid {
inline constexpr int Left = 16;
inline constexpr int Wide = 540;  // a full-width row
inline constexpr int Row = 26;    // one check box row
}  // namespace grid

// A control placed directly in a panel's frame.
inline forms::ControlSpec InPanel(forms::ControlSpec control, int frame) {
  return control.In("Fram", frame);
}

}  // namespace velmaro::console
