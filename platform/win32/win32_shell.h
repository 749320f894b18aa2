#pragma once
// The shell through shell32 and COM. The object initialises COM for the
// calling thread (apartment-threaded, as the shell's objects want) for as
// long as it lives: make it on the user-interface thread.
#include "platform/shell.h"
#include "platform/win32/win32_text.h"

namespace velmaro::platform {

class Win32Shell final : public Shell {
public:
  Win32Shell();
  ~Win32Shell() override;
  Win32Shell(const Win32Shell&) = delete;
  Win32Shell& operator=(const Win32Shell&) = delete;

  std::unique_ptr<ShellLinkObject> NewShellLink(HResult& hr) override;
  HResult ReadShellLink(std::string_view linkFile, ShellLinkData& data) override;
  long Execute(std::string_view verb, std::string_view file, std::string_view parameters,
               std::string_view folder, int show) override;
  long ProgramsFolder(std::string& path, bool create) override;
  long ShellFolder(int csidl, std::string& path) override;

private:
  bool uninitialize_ = false;
  Win32CodePage codePage_;
};

}  // namespace velmaro::platform
