// The installation run: the files, the shortcuts, the settings and the entry
// in the system's list of installed programs, each step shown on page 5. A
// step that fails does not stop the others, but it is shown as failed and
// told in Problems(); what was not installed is not registered.
#include <cstdio>

#include "platform/paths.h"
#include "setup/installation.h"
#include "setup/shortcut.h"
#include "setup/wizard.h"

namespace velmaro::setup {
namespace {

using namespace platform;

std::string Listed(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

std::string CopyFailure(long rc, std::string_view source) {
  if (rc == ErrorFileNotFound)
    return std::string(source) + " is missing from the folder Setup was started from";
  return FileErrorText(rc);
}

std::string Hex(HResult hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

}  // namespace

void Wizard::DoInstalling() {
  problems_.clear();
  consoleInstalled_ = false;
  FileSystem& files = system_.files;

  // The source files lie beside the running Setup, whatever it is called.
  std::string module, source;
  if (files.ModulePath(module) == ErrorSuccess) source = FolderOf(module);

  // One backslash after the folder; a drive root ("C:\") has its own.
  if (InstallFolder.empty() || InstallFolder.back() != '\\') InstallFolder += '\\';
  const std::string& folder = InstallFolder;

  auto& copyLine = Get<forms::Label>("Label2", 3);
  auto& copyBar = Get<forms::ProgressBar>("ProgressBar1");
  int copied = 0;
  std::vector<std::string> notCopied;
  for (const auto& file : install::Files) {
    copyLine.SetCaption("Copying file : " + std::string(file.installed));
    const long rc = source.empty() ? ErrorPathNotFound
                                   : files.Copy(JoinPath(source, file.source),
                                                folder + std::string(file.installed), false);
    if (rc == ErrorSuccess) {
      ++copied;
    } else {
      notCopied.emplace_back(file.installed);
      problems_.push_back(std::string(file.installed) +
                          " could not be copied: " + CopyFailure(rc, file.source) + ".");
    }
    copyBar.SetValue(file.progress);
  }
  copyLine.SetCaption(notCopied.empty() ? "Copying complete."
                                        : "Copying failed for : " + Listed(notCopied));

  auto& linkLine = Get<forms::Label>("Label3", 3);
  auto& linkBar = Get<forms::ProgressBar>("ProgressBar2");
  linkLine.SetVisible(true);
  linkBar.SetVisible(true);
  linkLine.SetCaption("Creating shortcut for : Velmaro.exe");
  linkBar.SetValue(50);
  const std::string directory = folder.substr(0, folder.size() - 1);
  int made = 0;
  std::vector<std::string> notMade;
  for (const auto& shortcut : install::Shortcuts) {
    const std::string name(shortcut.target);
    const std::string target = directory + "\\" + name;
    linkLine.SetCaption("Creating shortcut for : " + name);
    // A shortcut to a file that is not there would only show an error later.
    if (!files.IsFile(target)) {
      notMade.push_back(name);
      problems_.push_back("The shortcut to " + name + " was not made: " + name +
                          " is not in the install folder.");
      continue;
    }
    const HResult hr = CreateShortcut(system_.shell, ShortcutFolder + "\\" + std::string(shortcut.link),
                                      target, "", "", target, 0, SwShowNormal);
    if (Failed(hr)) {
      notMade.push_back(name);
      problems_.push_back("The shortcut to " + name + " could not be made (error " + Hex(hr) + ").");
    } else {
      ++made;
    }
  }
  linkBar.SetValue(100);
  linkLine.SetCaption(notMade.empty() ? "Creating shortcut completed."
                                      : "Creating shortcut failed for : " + Listed(notMade));
  // The folder made on page 4 is not left behind empty.
  if (made == 0) files.RemoveDir(ShortcutFolder);

  auto& registryLine = Get<forms::Label>("Label4", 2);
  auto& registryBar = Get<forms::ProgressBar>("ProgressBar3");
  registryLine.SetVisible(true);
  registryBar.SetVisible(true);
  consoleInstalled_ = files.IsFile(folder + std::string(install::Console));
  if (copied == 0) {
    registryLine.SetCaption("Registry not updated: nothing was installed.");
    return;
  }
  bool stored = system_.store.Write(settings::DllPath, folder + std::string(install::IconLibrary));
  if (made > 0) stored = system_.store.Write(settings::ShortcutPath, ShortcutFolder) && stored;
  registryBar.SetValue(50);
  bool listed = false;
  if (files.IsFile(folder + std::string(install::Uninstaller))) {
    listed = RegisterUninstall();
  } else {
    problems_.push_back(
        "Velmaro 1.0 was not entered in the list of installed programs: Uninstall.exe is not in "
        "the install folder.");
  }
  registryBar.SetValue(100);
  if (!stored) problems_.push_back("The settings of Velmaro could not be stored.");
  if (!listed && files.IsFile(folder + std::string(install::Uninstaller)))
    problems_.push_back("Velmaro 1.0 could not be entered in the list of installed programs.");
  registryLine.SetCaption(stored && listed ? "Registry updating complete."
                                           : "Registry updating failed.");
}

// The entry the system's list of installed programs shows and runs. Values
// of our own beside these (left by an earlier installation) stay.
bool Wizard::RegisterUninstall() {
  const RegExtra& reg = system_.reg;
  const std::string& folder = InstallFolder;
  const std::string_view key = install::UninstallKey;
  std::string command = folder + std::string(install::Uninstaller);
  // Unquoted, "C:\Program Files\..." would let a planted C:\Program.exe run.
  if (command.find(' ') != std::string::npos) command = "\"" + command + "\"";
  const std::string location = folder.size() == 3 ? folder : folder.substr(0, folder.size() - 1);
  bool ok = reg.SaveStringValue(HkeyLocalMachine, key, "DisplayName", install::ProductName);
  ok = reg.SaveStringValue(HkeyLocalMachine, key, "UninstallString", command) && ok;
  ok = reg.SaveStringValue(HkeyLocalMachine, key, "DisplayVersion", install::Version) && ok;
  ok = reg.SaveStringValue(HkeyLocalMachine, key, "DisplayIcon",
                           folder + std::string(install::Console)) && ok;
  ok = reg.SaveStringValue(HkeyLocalMachine, key, "InstallLocation", location) && ok;
  ok = reg.SaveStringValue(HkeyLocalMachine, key, "Publisher", install::Publisher) && ok;
  ok = reg.SaveDWordValue(HkeyLocalMachine, key, "NoModify", 1) && ok;
  ok = reg.SaveDWordValue(HkeyLocalMachine, key, "NoRepair", 1) && ok;
  return ok;
}

}  // namespace velmaro::setup
