#pragma once
// The window toolkit over Win32: each loaded form is a real top-level window
// with real child controls, kept in step with the portable model both ways.
// It knows nothing about the programs' own windows.
#include <memory>
#include <string>

#include "platform/forms/toolkit.h"

namespace velmaro::forms {

class Win32Toolkit : public Toolkit {
public:
  // Bitmaps, image strips and icons come from `resourceModule` (an HINSTANCE);
  // null means the program's own executable.
  explicit Win32Toolkit(void* resourceModule = nullptr);
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  void Show(Form& form) override;
  void ShowModal(Form& form) override;
  bool Unload(Form& form) override;
  void Hide(Form& form) override;
  void DoEvents() override;
  int Run() override;
  void End() override;
  int MsgBox(const std::string& text, const std::string& title, int flags) override;
  FileDialogResult OpenFile(const FileDialogRequest& request) override;
  void EnterWhatsThisMode(Form& form) override;
  bool InWhatsThisMode() const override;

  // The HWND of a loaded form, null otherwise (for calls that need an owner).
  void* WindowOf(const Form& form) const;
  // Handlers run inside window procedures, which nothing may leave by an
  // exception: one that escapes a handler is caught and kept here.
  const std::string& LastHandlerError() const;

  struct Impl;

private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace velmaro::forms
