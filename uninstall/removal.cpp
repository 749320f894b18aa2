#include "uninstall/removal.h"

#include <algorithm>

#include "platform/paths.h"
#include "platform/utf8.h"
#include "setup/installation.h"

namespace velmaro::uninstall {
namespace {

using namespace platform;

constexpr std::string_view kLibrarySuffix = "\\Velmaro.dll";

bool EndsWithLibrary(const std::string& path) {
  return path.size() > kLibrarySuffix.size() &&
         UpperLatin(path.substr(path.size() - kLibrarySuffix.size())) == UpperLatin(kLibrarySuffix);
}

// Gone already is as good as removed.
bool Missing(long rc) {
  return rc == ErrorFileNotFound || rc == ErrorPathNotFound;
}

bool OneOfFiles(std::string_view name) {
  return std::any_of(install::Files.begin(), install::Files.end(),
                     [&](const auto& f) { return UpperLatin(f.installed) == UpperLatin(name); });
}
std::string NameOf(const std::string& path) {
  return path.substr(path.find_last_of('\\') + 1);
}

}  // namespace

bool Removal::SystemFolder(const std::string& path) {
  return install::SystemFolder(system_.files, system_.shell, path);
}

void Removal::Find() {
  std::string module;
  if (system_.files.ModulePath(module) != ErrorSuccess) return;
  const std::string moduleFolder = FolderOf(module);
  logPath_ = JoinPath(moduleFolder, install::LogName);
  const auto log = install::ReadLog(system_.files, logPath_);
  // A log is believed only about this program's folder and Velmaro's own names.
  bool valid = log && SamePath(log->installFolder.path, moduleFolder);
  if (valid)
    for (const auto& f : log->files)
      valid = valid && SamePath(FolderOf(f.path), moduleFolder) && OneOfFiles(NameOf(f.path));
  if (valid)
    for (const auto& l : log->links)
      valid = valid && install::OwnLink(*log, l);
  if (!valid) {
    GuardedFind(moduleFolder);
    return;
  }
  logged_ = identified_ = true;
  directory_ = moduleFolder.size() == 3 ? moduleFolder.substr(0, 2) : moduleFolder;
  shortcuts_ = log->shortcutFolder.path;
  for (const auto& f : log->files)
    if (f.Setups() && UpperLatin(NameOf(f.path)) != UpperLatin(install::Uninstaller))
      files_.push_back({f.path, f.digest});
  for (const auto& l : log->links) links_.push_back({l.path, l.digest});
  if (log->shortcutFolder.made && !SystemFolder(shortcuts_)) folderToRemove_ = shortcuts_;
}

// No whole log: the settings say where, and each kind of thing has its guard.
void Removal::GuardedFind(const std::string& moduleFolder) {
  const std::string library = system_.store.Read(settings::DllPath, "");
  if (EndsWithLibrary(library)) {
    directory_ = library.substr(0, library.size() - kLibrarySuffix.size());
    // "C:" is the drive root "C:\", not that drive's current folder.
    const std::string folder = directory_.size() == 2 ? directory_ + "\\" : directory_;
    identified_ = SamePath(folder, moduleFolder);
  }
  shortcuts_ = system_.store.Read(settings::ShortcutPath, "");
  if (!identified_ || SystemFolder(moduleFolder)) return;
  for (const auto& file : install::Files)
    if (file.installed != install::Uninstaller)
      files_.push_back({directory_ + "\\" + std::string(file.installed), std::nullopt});
  std::string programs;
  if (shortcuts_.empty() || system_.shell.ProgramsFolder(programs, false) != ErrorSuccess ||
      !IsInside(shortcuts_, programs)) {
    if (!shortcuts_.empty())
      shortcutsLeft_ = "The shortcut folder " + shortcuts_ +
                       " lies outside the Programs folder of the Start menu and was left alone.";
    return;
  }
  // A link only when it leads into this installation.
  for (const auto& shortcut : install::Shortcuts) {
    const std::string link = JoinPath(shortcuts_, shortcut.link);
    ShellLinkData data;
    if (system_.files.IsFile(link) && system_.shell.ReadShellLink(link, data) == 0 &&
        IsInside(data.path, moduleFolder))
      links_.push_back({link, std::nullopt});
  }
  if (!SystemFolder(shortcuts_)) folderToRemove_ = shortcuts_;
}

std::vector<std::string> Removal::InUse() {
  std::vector<std::string> held;
  for (const Item& f : files_) {
    const long rc = system_.files.OpenForDelete(f.path);
    if (rc == ErrorSharingViolation || rc == ErrorLockViolation) held.push_back(f.path);
  }
  return held;
}

void Removal::RemoveItem(const Item& item) {
  FileSystem& files = system_.files;
  if (!files.Exists(item.path)) return;
  if (item.digest) {
    FileDigest now;
    const long rc = files.Digest(item.path, now);
    if (rc == ErrorSuccess && now != *item.digest) {
      changed_.push_back(item.path);
      return;
    }
  }
  const long rc = files.Delete(item.path);
  if (rc != ErrorSuccess && !Missing(rc))
    refused_.push_back(item.path + " (" + FileErrorText(rc) + ")");
}

void Removal::Remove() {
  for (const Item& f : files_) RemoveItem(f);
  for (const Item& l : links_) RemoveItem(l);
  // Only when empty: files of the user's own keep the folder.
  if (!folderToRemove_.empty()) system_.files.RemoveDir(folderToRemove_);
  // Kept while a program file stays, so that Uninstall can be run again.
  if (!refused_.empty()) return;
  const RegExtra& reg = system_.reg;
  reg.DeleteKey(HkeyLocalMachine, install::UninstallKey);
  if (reg.KeyExists(HkeyLocalMachine, install::UninstallKey))
    entryLeft_.push_back("the entry in the list of installed programs (HKEY_LOCAL_MACHINE\\" +
                         std::string(install::UninstallKey) + ")");
  system_.store.DeleteSettings(settings::App);
  if (reg.KeyExists(HkeyCurrentUser, "Software\\" + std::string(settings::App)))
    entryLeft_.push_back("the settings of Velmaro (HKEY_CURRENT_USER\\Software\\" +
                         std::string(settings::App) + ")");
  // The log has told all it can once what it lists is gone.
  if (logged_ && entryLeft_.empty()) system_.files.Delete(logPath_);
}

std::string Removal::Report() const {
  auto lines = [](const std::vector<std::string>& items) {
    std::string out;
    for (const auto& i : items) out += "\n" + i;
    return out;
  };
  if (!identified_ || !FilesAllowed()) {
    std::string text = entryLeft_.empty()
                           ? "Velmaro 1.0 has been removed from the list of installed programs and "
                             "its settings are deleted. No program files were removed."
                           : "Velmaro 1.0 could not be removed completely. No program files were "
                             "removed, and these could not be deleted:" +
                                 lines(entryLeft_);
    return text;
  }
  std::string text;
  if (refused_.empty() && entryLeft_.empty())
    text = "Velmaro 1.0 has been uninstalled. The directory " + directory_ + " cannot be removed.";
  else
    text = "Velmaro 1.0 could not be uninstalled completely. The directory " + directory_ +
           " cannot be removed.";
  if (!refused_.empty())
    text += "\n\nThese could not be removed:" + lines(refused_) +
            "\n\nVelmaro 1.0 stays in the list of installed programs, and the settings of Velmaro "
            "stay, so that Uninstall can be run again when they can be removed.";
  if (!entryLeft_.empty()) text += "\n\nThese could not be deleted:" + lines(entryLeft_);
  if (!changed_.empty())
    text += "\n\nThese changed since Setup installed them and were left:" + lines(changed_);
  if (!shortcutsLeft_.empty()) text += "\n\n" + shortcutsLeft_;
  return text;
}

int RemoveSilently(UninstallSystem& system, std::string& report) {
  Removal removal(system);
  removal.Find();
  if (const auto held = removal.InUse(); !held.empty()) {
    report = "Velmaro is running: " + held.front() + " is in use. Nothing was removed.";
    return ExitSomethingStayed;
  }
  removal.Remove();
  report = removal.Report();
  return removal.Complete() ? ExitRemoved : ExitSomethingStayed;
}

}  // namespace velmaro::uninstall
