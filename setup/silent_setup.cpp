#include "setup/silent_setup.h"

#include <cctype>
#include <vector>

#include "platform/paths.h"
#include "setup/code_page.h"
#include "setup/install_run.h"

namespace velmaro::setup {
namespace {

using namespace platform;

constexpr std::string_view kDefaultFolder = "C:\\Velmaro";

bool Blank(char c) {
  return c == ' ' || c == '\t';
}

// The folder and those missing on the way to it; the ones made, outermost first.
long MakeFolders(FileSystem& files, const std::string& folder, std::vector<std::string>& made) {
  if (files.IsDirectory(folder)) return ErrorSuccess;
  const std::string parent = FolderOf(folder);
  if (parent.empty()) return ErrorPathNotFound;  // a drive that is not there
  if (const long rc = MakeFolders(files, parent, made)) return rc;
  if (const long rc = files.CreateDir(folder)) return rc;
  made.push_back(folder);
  return ErrorSuccess;
}

void RemoveFolders(FileSystem& files, std::vector<std::string>& made) {
  for (auto it = made.rbegin(); it != made.rend(); ++it) files.RemoveDir(*it);
  made.clear();
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

}  // namespace

SetupCommand ParseSetupCommand(std::string_view line) {
  SetupCommand command;
  while (!line.empty()) {
    while (!line.empty() && Blank(line.front())) line.remove_prefix(1);
    if (line.empty()) break;
    if (line.size() >= 3 && line[0] == '/' &&
        std::toupper(static_cast<unsigned char>(line[1])) == 'D' && line[2] == '=') {
      std::string folder(line.substr(3));
      while (!folder.empty() && Blank(folder.back())) folder.pop_back();
      if (folder.size() >= 2 && folder.front() == '"' && folder.back() == '"')
        folder = folder.substr(1, folder.size() - 2);
      command.folder = folder;
      command.understood = !folder.empty();
      break;
    }
    std::size_t end = 0;
    while (end < line.size() && !Blank(line[end])) ++end;
    const std::string_view word = line.substr(0, end);
    line.remove_prefix(end);
    if (word == "/S" || word == "/s") {
      command.silent = true;
    } else {
      command.understood = false;
      return command;
    }
  }
  // A folder alone would open the wizard somewhere it was not asked to go.
  if (!command.folder.empty() && !command.silent) command.understood = false;
  return command;
}

int InstallSilently(SetupSystem& system, const std::string& given, std::string& report) {
  FileSystem& files = system.files;
  InstallRun run(system);
  if (const std::string damage = run.CheckDistribution(); !damage.empty()) {
    report = "The distribution folder is damaged: " + damage + ". Nothing was installed.\n";
    return ExitFailed;
  }
  const std::string folder = NormalPath(given.empty() ? kDefaultFolder : std::string_view(given));
  if (folder.empty()) {
    report = "The install folder \"" + given + "\" is not a full path beginning with a drive.\n";
    return ExitNotUnderstood;
  }
  if (const std::string missing = OutsideCodePage(system.reg.registry().CodePage(), folder);
      !missing.empty()) {
    report = CodePageRefusal(folder, "install folder", missing) + " Nothing was installed.\n";
    return ExitFailed;
  }
  std::vector<std::string> made;
  if (const long rc = MakeFolders(files, folder, made)) {
    RemoveFolders(files, made);
    report = "The install folder " + folder + " cannot be made: " + FileErrorText(rc) + ".\n";
    return ExitFailed;
  }
  std::string programs;
  if (const long rc = system.shell.ProgramsFolder(programs, true)) {
    RemoveFolders(files, made);
    report = "The Programs folder of the Start menu cannot be found: " + FileErrorText(rc) + ".\n";
    return ExitFailed;
  }
  run.folder = folder;
  run.shortcuts = JoinPath(programs, "Velmaro");
  run.folderMade = !made.empty();
  run.Survey();
  // Nothing to ask: a file in the way ends it before anything changes.
  std::string refused;
  for (const std::string& name : run.Foreign())
    refused += JoinPath(folder, name) + " is already there, and Setup did not install it.\n";
  for (const std::string& name : run.InUse())
    refused += "Velmaro is running: " + JoinPath(folder, name) + " is in use.\n";
  if (!refused.empty()) {
    RemoveFolders(files, made);
    report = refused + "Nothing was installed or changed.\n";
    return ExitFailed;
  }
  const long rc = files.CreateDir(run.shortcuts);
  run.shortcutsMade = run.shortcutsMade || rc == ErrorSuccess;
  if (!run.Copy()) {
    run.RemoveMadeFolders();
    RemoveFolders(files, made);
    report =
        Lines(run.Problems()) + "Nothing was installed; files that were there are as they were.\n";
    return ExitFailed;
  }
  if (!run.Link()) {
    run.Undo();
    RemoveFolders(files, made);
    report = Lines(run.Problems()) + "Nothing was registered.\n";
    return ExitFailed;
  }
  const bool done = run.Register() && run.WriteLog();
  if (done) run.RemoveEarlierLinks();
  report = Lines(run.Problems()) +
           (done ? "Velmaro 1.0 was installed in " + folder + ".\n" : std::string());
  return done ? ExitInstalled : ExitFailed;
}

}  // namespace velmaro::setup
