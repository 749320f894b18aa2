#pragma once
// What a window toolkit does for the programs' forms and handlers: showing
// and unloading forms, the message loop, message boxes, the file-open dialog,
// What's This help. Realised over Win32 and in memory for tests.
#include <string>

#include "platform/forms/form.h"

namespace velmaro::forms {

// Message box flags and results carry the Windows values (MB_*, ID*); the
// names differ so that they never meet windows.h's macros.
namespace mb {
inline constexpr int Ok = 0x0;
inline constexpr int OkCancel = 0x1;
inline constexpr int YesNoCancel = 0x3;
inline constexpr int YesNo = 0x4;
inline constexpr int RetryCancel = 0x5;
inline constexpr int IconStop = 0x10;  // critical
inline constexpr int IconQuestion = 0x20;
inline constexpr int IconExclamation = 0x30;
inline constexpr int IconInformation = 0x40;
inline constexpr int DefButton2 = 0x100;
inline constexpr int DefButton3 = 0x200;
}  // namespace mb
inline constexpr int IdOk = 1;
inline constexpr int IdCancel = 2;
inline constexpr int IdRetry = 4;
inline constexpr int IdYes = 6;
inline constexpr int IdNo = 7;

// Whether a box with these flags has a button that gives this answer.
bool IsAnswerOf(int flags, int answer);
// The answer that Enter gives: the default button.
int DefaultAnswer(int flags);

// Open-file dialog flags (OFN_*) that callers name.
namespace ofn {
inline constexpr unsigned OverwritePrompt = 0x2;
inline constexpr unsigned HideReadOnly = 0x4;
inline constexpr unsigned PathMustExist = 0x800;
inline constexpr unsigned FileMustExist = 0x1000;
inline constexpr unsigned Explorer = 0x80000;
}  // namespace ofn

struct FileDialogRequest {
  std::string title;
  // "Description|*.a;*.b|Other|*.c|": pairs of description and patterns.
  std::string filter;
  unsigned flags = 0;
  std::string initialDir;
  std::string fileName;
  // The Save As dialog instead: the file need not exist yet.
  bool save = false;
  std::string defaultExtension;  // added to a name typed without one ("reg")
};

struct FileDialogResult {
  bool ok = false;        // false: the user cancelled
  std::string fileName;   // full path
  std::string fileTitle;  // the name without its folder
};

// What's This shows this for a control that has no help text.
inline constexpr const char* kNoHelpText = "No Help topic is associated with this item.";

class Toolkit {
public:
  virtual ~Toolkit() = default;

  // Loads the form if it is not loaded (raising Load) and shows it.
  virtual void Show(Form& form) = 0;
  // Shows the form modally over the active form and returns once it has
  // unloaded. The other forms take no input meanwhile.
  virtual void ShowModal(Form& form) = 0;
  // Unload by code: QueryUnload (reason Code) may cancel; true when unloaded.
  virtual bool Unload(Form& form) = 0;
  // Hides a loaded form without unloading it.
  virtual void Hide(Form& form) = 0;
  // Processes the pending window messages once.
  virtual void DoEvents() = 0;
  // Runs the message loop until no form is loaded or End is called; the
  // program's exit code.
  virtual int Run() = 0;
  // Ends the program at once: forms go without QueryUnload or Unload.
  virtual void End() = 0;

  // A modal message box over the active form: IdOk, IdCancel, IdYes or IdNo.
  virtual int MsgBox(const std::string& text, const std::string& title, int flags) = 0;
  virtual FileDialogResult OpenFile(const FileDialogRequest& request) = 0;

  // The pointer becomes the help pointer; the next click on a control of the
  // form shows that control's help text instead of acting on it. Esc or a
  // click on no control leaves the mode.
  virtual void EnterWhatsThisMode(Form& form) = 0;
  virtual bool InWhatsThisMode() const = 0;
};

}  // namespace velmaro::forms
