#pragma once
// The shell in memory, over a MemoryFiles drive: link files are real files
// there (in a text form of our own), so that deleting, listing and reading
// them back behave as on disk. Opening a file is recorded, not done. The
// Programs menu folder is C:\WINDOWS\Start Menu\Programs unless a test moves
// it. A test can make any step of a link, or the folder query, fail.
#include <map>
#include <string>
#include <vector>

#include "platform/memory/memory_files.h"
#include "platform/shell.h"

namespace velmaro::platform {

class MemoryShell final : public Shell {
public:
  explicit MemoryShell(MemoryFiles& files);

  std::unique_ptr<ShellLinkObject> NewShellLink(HResult& hr) override;
  HResult ReadShellLink(std::string_view linkFile, ShellLinkData& data) override;
  long Execute(std::string_view verb, std::string_view file, std::string_view parameters,
               std::string_view folder, int show) override;
  long ProgramsFolder(std::string& path, bool create) override;
  // The Start menu holds the Programs folder, which holds StartUp; the
  // desktop is C:\WINDOWS\Desktop; there are no common folders.
  long ShellFolder(int csidl, std::string& path) override;

  // Test aids.
  // Moves the Programs menu folder; with `exists` false it is not made (and a
  // query with `create` makes it, unless `creatable` is false).
  void SetProgramsFolder(std::string path, bool exists = true, bool creatable = true);
  // The next call of `operation` fails with `hr`: "NewShellLink", or a link
  // method ("SetPath", "SetDescription", "Resolve", "Save", ...).
  void FailNext(std::string operation, HResult hr);
  // The next ProgramsFolder query fails with this Windows error code.
  void FailProgramsFolder(long code) { programsFailure_ = code; }

  struct Execution {
    std::string verb, file, parameters, folder;
    int show = 0;
  };
  const std::vector<Execution>& Executions() const { return executions_; }

private:
  class Link;
  HResult Fail(const std::string& operation);

  MemoryFiles& files_;
  std::string programs_ = "C:\\WINDOWS\\Start Menu\\Programs";
  bool programsCreatable_ = true;
  long programsFailure_ = ErrorSuccess;
  std::map<std::string, HResult> failures_;
  std::vector<Execution> executions_;
};

}  // namespace velmaro::platform
