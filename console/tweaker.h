#pragma once
// Tweaker: the console's main window. The category tree on the left, one
// panel per category on the right, and the buttons along the bottom. Choosing
// a category reloads its panel from the system; Apply writes it back through
// the category's applier.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "console/categories.h"
#include "console/console_system.h"
#include "platform/forms/form.h"

namespace velmaro::console {

class Splash;
class Opt;

class Tweaker : public forms::Form {
public:
  explicit Tweaker(ConsoleSystem& system);
  ~Tweaker() override;
  // The window with every built panel's controls, laid out in category order.
  static forms::FormSpec Design();

  // Puts another panel in a category's place (tests put stand-ins there).
  // Without a panel the category shows its empty frame and never offers Apply.
  void SetPanel(int node, std::unique_ptr<Panel> panel);

  // Shows and loads the panel of a tree node (the root or a category's); other
  // numbers do nothing.
  void SelectOption(int node);
  // The panel of a category's node, or null.
  Panel* PanelOf(int node) const;
  // The node of the category shown, 0 when none is.
  int ShownNode() const { return shown_; }

  Splash& SplashForm() { return *splash_; }
  Opt& OptionsForm() { return *options_; }
  ConsoleSystem& System() { return system_; }

  // Window variables shared with the splash screen and the panels.
  bool SplashFlag = false;  // false while loading, true once loaded
  bool ClickFlag = false;   // true once the start-up splash has closed
  int ShellIconIndex = 0;
  bool TitleArmed = false;
  bool BmpThState = false;
  // The list editors' table, rebuilt by whichever of StartUp Applications
  // and Add/Remove filled its list last: row i belongs to the list's node
  // i + 1. StartUp keeps the value name in column 0; Add/Remove keeps the
  // uninstall command in column 0 and the entry's key in column 1. It grows
  // with the list, so that every entry is listed and none is written past it.
  std::vector<std::array<std::string, 2>> EntryTable;
  // What carries an Add/Remove entry to EditNewIt: the mode ("New" or
  // "Edit"), and for an edit the entry's key, command and display name.
  std::string Fl, RealName, CommandLine, Display;

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
  // Undo: one step per user action, the journal's; the button follows it.
  // The Undo button as the shared history stands now.
  void FollowHistory();
  void OnEventScope(const forms::EventArgs& e, bool entering);
  std::string StepLabel(const forms::EventArgs& e) const;
  void OnUndo();
  void OnExport();
  void OnImport();

  ConsoleSystem& system_;
  forms::TreeView& Tr;
  forms::Label& Label3;
  forms::Button& Apply;
  forms::Button& Undo;
  std::unique_ptr<Splash> splash_;
  std::unique_ptr<Opt> options_;
  std::array<std::unique_ptr<Panel>, Categories.size()> panels_{};  // by place in the table
  int shown_ = 0;
};

}  // namespace velmaro::console
