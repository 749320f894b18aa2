#pragma once
// Tweaker: the console's main window. The category tree on the left, one
// panel per category on the right, and the buttons along the bottom. Choosing
// a category reloads its panel from the system; Apply writes it back through
// the category's applier.
#include <array>
#include <functional>
#include <memory>

#include "console/categories.h"
#include "console/console_system.h"
#include "platform/forms/form.h"

namespace velmaro::console {

class Splash;
class Opt;
class Catalogue;

class Tweaker : public forms::Form {
public:
  explicit Tweaker(ConsoleSystem& system);
  ~Tweaker() override;
  static forms::FormSpec Design();

  // What a category's panel does; the catalogue fills these in. A category
  // without an applier keeps Apply disabled, so no panel pretends to work.
  struct Panel {
    std::function<void()> load;   // fills the panel's controls from the system
    std::function<void()> apply;  // writes them back
  };
  void SetPanel(int node, Panel panel);
  // Runs after every category's load (the loader's shared tail).
  void SetLoadTail(std::function<void()> tail) { loadTail_ = std::move(tail); }

  // Shows and loads the panel of a tree node (1 to 11); other numbers do nothing.
  void SelectOption(int node);

  Splash& SplashForm() { return *splash_; }
  Opt& OptionsForm() { return *options_; }
  Catalogue& Panels() { return *catalogue_; }
  ConsoleSystem& System() { return system_; }

  // Window variables shared with the splash screen and the panels.
  bool SplashFlag = false;  // false while loading, true once loaded
  bool ClickFlag = false;   // true once the start-up splash has closed
  int ShellIconIndex = 0;
  bool TitleArmed = false;
  bool BmpThState = false;

  static constexpr std::string_view RestartNotice =
      "Some changes will place after restarting of the computer.";
  static constexpr std::string_view QuitQuestion = "Do you really want to quit Velmaro";

private:
  void OnLoad();
  void FillTree();
  void OnNodeClick(forms::TreeNode& node);
  void ShowNoCategory();
  void OnApply();
  void OnQueryUnload(forms::EventArgs& args);
  void OnUnload();

  ConsoleSystem& system_;
  std::unique_ptr<Splash> splash_;
  std::unique_ptr<Opt> options_;
  std::unique_ptr<Catalogue> catalogue_;
  std::array<Panel, 12> panels_{};  // by node index
  std::function<void()> loadTail_;
};

}  // namespace velmaro::console
