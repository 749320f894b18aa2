#pragma once
// The window toolkit in memory, for native tests. Forms keep their state in
// the portable model; this toolkit adds what the screen and the user would:
// showing and unloading, a virtual clock for timers, and user actions that a
// test performs (click, type, choose, edit a tree label, close a window).
// Message boxes, file dialogs and modal forms are answered from scripts the
// test sets up beforehand; anything unscripted fails the test loudly.
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/toolkit.h"

namespace velmaro::forms {

// A test asked for something a user could not do, or the program showed a
// box, dialog or modal form that the test did not script.
class ScriptError : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

class MemoryToolkit : public Toolkit {
public:
  MemoryToolkit();
  ~MemoryToolkit() override;

  // ---- Toolkit ----
  void Show(Form& form) override;
  void ShowModal(Form& form) override;
  bool Unload(Form& form) override;
  void Hide(Form& form) override;
  void DoEvents() override;  // fires the timers that are due, once each
  int Run() override;        // nothing to wait for in memory: DoEvents, then 0
  void End() override;
  int MsgBox(const std::string& text, const std::string& title, int flags) override;
  FileDialogResult OpenFile(const FileDialogRequest& request) override;
  void EnterWhatsThisMode(Form& form) override;
  bool InWhatsThisMode() const override { return helpForm_ != nullptr; }

  // ---- Scripts, consumed in order ----
  // The next message box gets `answer`; with `expectedText`, the box must show
  // exactly that text. An answer the box's buttons cannot give is an error.
  // `meanwhile` runs while the box is up, to look at what the program
  // shows behind it.
  void AnswerNextBox(int answer, std::string expectedText = {},
                     std::function<void()> meanwhile = {});
  void AnswerNextFileDialog(std::string fullPath);
  void CancelNextFileDialog();
  // The next modal showing must be of the form named `formName`; `script`
  // runs while it is open and must leave it unloaded.
  void WhenModal(std::string formName, std::function<void(Form&)> script);
  // Scripts not yet used; a finished test usually expects none.
  std::size_t UnusedScripts() const;

  struct Box {
    std::string text;
    std::string title;
    int flags = 0;
    int answer = 0;  // 0 when the box was not scripted
  };
  const std::vector<Box>& Boxes() const { return boxes_; }
  const std::vector<FileDialogRequest>& FileDialogs() const { return fileDialogs_; }
  // Boxes, dialogs and modal forms shown without a script (each also threw).
  const std::vector<std::string>& Unexpected() const { return unexpected_; }

  // ---- User actions; each throws ScriptError when the user could not do it
  // (form not shown or behind a modal one, control hidden or disabled). ----
  // Button, check box, option button, label, picture, frame, text box (focus),
  // tree view (on no node).
  void Click(Form& form, std::string_view name, int index = kNoIndex);
  void DblClick(Form& form, std::string_view name, int index = kNoIndex);  // Click, then DblClick
  void MouseMove(Form& form, std::string_view name, int index = kNoIndex, int x = 0, int y = 0);
  // A click on the form itself, on no control.
  void ClickForm(Form& form);
  // Replaces a text box's text in one step (one Change).
  void Type(Form& form, std::string_view name, std::string text, int index = kNoIndex);
  void MoveSlider(Form& form, std::string_view name, int position, int index = kNoIndex);
  void Choose(Form& form, std::string_view name, int listIndex, int index = kNoIndex);
  void Choose(Form& form, std::string_view name, const std::string& entry, int index = kNoIndex);
  // Tree nodes by their 1-based index; the node must be in view.
  void ClickNode(Form& form, std::string_view tree, int node);
  void ExpandNode(Form& form, std::string_view tree, int node);
  void CollapseNode(Form& form, std::string_view tree, int node);
  // The user starts editing the selected node (automatic label editing).
  void BeginLabelEdit(Form& form, std::string_view tree);
  // Ends the edit in progress, started by code or by the user: a text is
  // Enter, nothing is Esc. True when the node took the text.
  bool FinishLabelEdit(Form& form, std::string_view tree, std::optional<std::string> newText);
  // Drive choosers and folder trees read the disks through the source the
  // program bound them to (a MemoryFiles drive in tests): a missing folder and
  // a drive whose disk is out are simulated there.
  // Chooses a drive from the list by its letter.
  void ChooseDrive(Form& form, std::string_view name, char letter);
  // Opens a folder the tree shows, by its name as shown; false when it had
  // gone and the tree only read its list again.
  bool OpenFolder(Form& form, std::string_view tree, const std::string& folder);
  void PressEnter(Form& form);   // the focused button, else the default button
  void PressEscape(Form& form);  // leaves What's This mode, else the cancel button
  void PressAlt(Form& form, char key);  // the control whose caption marks `key`
  void PressTab(Form& form);            // focus to the next control in tab order
  // The close box: QueryUnload (reason CloseBox). True when the form unloaded.
  bool CloseBox(Form& form);
  // Windows is shutting down: every form is asked (reason SessionEnd); if
  // none cancels, all unload. True when the session may end.
  bool EndSession();
  // Fires an enabled timer at once.
  void FireTimer(Form& form, std::string_view name, int index = kNoIndex);

  // ---- The virtual clock (milliseconds) ----
  long long Now() const { return now_; }
  // Time passes with the message loop running: timers fire as they come due.
  void Advance(int ms);
  // Time passes inside a handler: nothing fires until the loop runs again
  // (DoEvents, Advance); a timer overdue by several intervals fires once.
  void Elapse(int ms);

  // ---- What a test observes ----
  std::vector<Form*> LoadedForms() const;
  Form* ActiveForm() const { return active_; }
  bool Ended() const { return ended_; }
  struct PointerChange {
    std::string form;
    MousePointer pointer;
  };
  const std::vector<PointerChange>& PointerLog() const { return pointerLog_; }
  // The What's This popup on screen, if any; the next click or key closes it.
  const std::optional<std::string>& HelpPopup() const { return popup_; }
  const std::vector<std::string>& HelpPopups() const { return popups_; }

private:
  class View;
  friend class View;
  struct Scheduled {
    long long due;
    long long order;
  };

  void Fail(const std::string& what);
  Form* Blocker() const;
  void CheckCanAct(Form& form);
  Control& Actionable(Form& form, std::string_view name, int index);
  TreeView& ActionableTree(Form& form, std::string_view name);
  TreeNode& NodeInView(TreeView& tree, int node);
  // Closes the help popup; true when it was open (the click or key is spent).
  bool ConsumePopup();
  bool HelpClick(Form& form, Control* control);
  void Attach(Form& form);
  void Detach(Form& form);
  void UnloadNow(Form& form);
  void Reschedule(Timer& timer);
  void FireDue(long long upTo, bool stepClock);

  std::vector<Form*> loaded_;
  std::map<Form*, std::unique_ptr<View>> views_;
  std::vector<Form*> modal_;
  Form* active_ = nullptr;
  bool ended_ = false;

  struct BoxScript {
    int answer;
    std::string expectedText;
    std::function<void()> meanwhile;
  };
  std::deque<BoxScript> boxScripts_;
  std::deque<FileDialogResult> fileScripts_;
  std::deque<std::pair<std::string, std::function<void(Form&)>>> modalScripts_;
  std::vector<Box> boxes_;
  std::vector<FileDialogRequest> fileDialogs_;
  std::vector<std::string> unexpected_;

  long long now_ = 0;
  long long order_ = 0;
  std::map<Timer*, Scheduled> timers_;

  std::vector<PointerChange> pointerLog_;
  Form* helpForm_ = nullptr;
  std::optional<std::string> popup_;
  std::vector<std::string> popups_;
};

}  // namespace velmaro::forms
