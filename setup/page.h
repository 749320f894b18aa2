#pragma once
// A page of the wizard. Each page lives in one file under setup/pages/ and
// gives the page table (setup/pages.h) two things (PageKind): its layout, the
// controls it adds inside its frame `Step<n>`, and a maker that binds those
// controls once, by name, into typed members and attaches the page's own
// handlers. A misspelt or mistyped control name throws forms::FormError while
// the wizard is built, not when a user first reaches the code that uses it.
//
// Next asks the page shown to Leave() (its checks, which may keep the user
// there), then the following page to Arrive() (what it needs before it can
// show, which may keep the user where they were); Shown() follows once it
// shows. Back shows the page before and calls its Returned().
#include <memory>
#include <string>

#include "platform/forms/form_design.h"

namespace velmaro::setup {

class Wizard;

class WizardPage {
public:
  virtual ~WizardPage() = default;
  virtual bool Leave() { return true; }
  virtual bool Arrive() { return true; }
  virtual void Shown() {}
  virtual void Returned() {}
};

inline std::string FrameOf(int page) {
  return "Step" + std::to_string(page);
}

// The design of one page: each control added goes into the page's frame, and
// the order added is the Tab order (the e2e drivers count control ids from it).
class PageDesign {
public:
  PageDesign(forms::FormSpec& form, int page) : form_(form), page_(page) {}
  void Add(forms::ControlSpec control) { form_.Add(control.In(FrameOf(page_))); }

private:
  forms::FormSpec& form_;
  int page_;
};

// What the page table knows of a page.
struct PageKind {
  // Adds the page's own controls to the wizard's design.
  void (*layout)(PageDesign& page);
  // Binds the controls of a wizard built from that design.
  std::unique_ptr<WizardPage> (*make)(Wizard& wizard);
};

// The maker of a page class whose constructor takes the wizard.
template <class P>
std::unique_ptr<WizardPage> MakePage(Wizard& wizard) {
  return std::make_unique<P>(wizard);
}

// Where the pages' controls go, in pixels of the wizard's client area: a
// banner picture on the left of every page, the page's own controls right of it.
namespace page_grid {
inline constexpr int Width = 560;
inline constexpr int Height = 436;
inline constexpr forms::Rect FrameArea{8, 4, Width - 16, 384};
inline constexpr forms::Rect Banner{12, 18, 132, 356};
inline constexpr int Left = 156;   // where a page's own controls begin
inline constexpr int Right = 532;  // and end
inline constexpr int Inner = Right - Left;
}  // namespace page_grid

}  // namespace velmaro::setup
