#include "setup/install_run.h"

#include <algorithm>
#include <cstdio>

#include "platform/paths.h"
#include "setup/shortcut.h"

namespace velmaro::setup {
namespace {

using namespace platform;

constexpr std::string_view kPartial = ".part";  // a copy not yet checked

std::string Hkcu(std::string_view name) {
  return "HKCU\\Software\\Velmaro\\Settings\\" + std::string(name);
}
std::string Hklm(std::string_view name) {
  return "HKLM\\" + std::string(install::UninstallKey) + "\\" + std::string(name);
}

}  // namespace

std::string InstallRun::Target(std::string_view installedName) const {
  return JoinPath(folder, installedName);
}

std::string InstallRun::LogPath() const {
  return JoinPath(folder, install::LogName);
}

std::string InstallRun::CheckDistribution() {
  std::string module;
  if (const long rc = system_.files.ModulePath(module))
    return "Setup cannot tell where it was started from (" + FileErrorText(rc) + ")";
  const std::string source = FolderOf(module);
  for (std::size_t i = 0; i < install::Files.size(); ++i) {
    const std::string name(install::Files[i].source);
    const FileDigest& built = system_.payload[i];
    FileDigest found;
    const long rc = system_.files.Digest(JoinPath(source, name), found);
    if (rc == ErrorFileNotFound || rc == ErrorPathNotFound) return name + " is missing";
    if (rc != ErrorSuccess) return name + " cannot be read (" + FileErrorText(rc) + ")";
    if (found.size == 0) return name + " is empty";
    if (found.size < built.size) return name + " is shorter than it should be";
    if (found != built) return name + " is not the file Setup was built with";
  }
  return {};
}

void InstallRun::Survey() {
  FileSystem& files = system_.files;
  previous_ = install::ReadLog(files, LogPath());
  if (previous_ && !SamePath(previous_->installFolder.path, folder)) previous_.reset();
  if (previous_) {
    folderMade = folderMade || previous_->installFolder.made;
    if (SamePath(previous_->shortcutFolder.path, shortcuts))
      shortcutsMade = shortcutsMade || previous_->shortcutFolder.made;
  }
  foreign_.clear();
  for (std::size_t i = 0; i < install::Files.size(); ++i) {
    const std::string target = Target(install::Files[i].installed);
    existed_[i] = files.IsFile(target);
    if (!existed_[i]) continue;
    // Setup's by an earlier log, or the very bytes it would put there.
    const install::LoggedFile* logged = previous_ ? previous_->File(target) : nullptr;
    if (logged && logged->Setups()) continue;
    FileDigest there;
    if (files.Digest(target, there) == ErrorSuccess && there == system_.payload[i]) continue;
    foreign_.emplace_back(install::Files[i].installed);
  }
}

void InstallRun::Keep(std::string_view installedName) {
  kept_.emplace_back(installedName);
}

std::vector<std::string> InstallRun::InUse() {
  std::vector<std::string> held;
  for (const auto& file : install::Files) {
    if (std::find(kept_.begin(), kept_.end(), file.installed) != kept_.end()) continue;
    const long rc = system_.files.OpenForDelete(Target(file.installed));
    if (rc == ErrorSharingViolation || rc == ErrorLockViolation) held.emplace_back(file.installed);
  }
  return held;
}

bool InstallRun::Copy(const Shown& shown) {
  FileSystem& files = system_.files;
  std::string module;
  files.ModulePath(module);
  const std::string source = FolderOf(module);
  log_.installFolder = {folder, folderMade};
  log_.shortcutFolder = {shortcuts, shortcutsMade};
  log_.files.clear();

  // Every copy arrives whole beside its place before any file is replaced.
  std::vector<std::size_t> staged;
  bool whole = true;
  for (std::size_t i = 0; i < install::Files.size(); ++i) {
    const auto& file = install::Files[i];
    const std::string name(file.installed);
    if (shown) shown(name, file.progress);
    if (std::find(kept_.begin(), kept_.end(), name) != kept_.end()) continue;
    const std::string partial = Target(name) + std::string(kPartial);
    long rc = files.Copy(JoinPath(source, file.source), partial, false);
    FileDigest arrived;
    if (rc == ErrorSuccess && (rc = files.Digest(partial, arrived)) == ErrorSuccess &&
        arrived != system_.payload[i])
      rc = ErrorWriteFault;
    if (rc != ErrorSuccess) {
      files.Delete(partial);
      problems_.push_back(name + " could not be copied: " +
                          (rc == ErrorWriteFault ? std::string("the copy differs from the original")
                                                 : FileErrorText(rc)) +
                          ".");
      notCopied_.push_back(name);
      whole = false;
      continue;
    }
    staged.push_back(i);
  }
  if (!whole) {
    for (std::size_t i : staged)
      files.Delete(Target(install::Files[i].installed) + std::string(kPartial));
    return false;
  }
  for (std::size_t i : staged) {
    const std::string name(install::Files[i].installed);
    const std::string target = Target(name);
    if (const long rc =
            files.Move(target + std::string(kPartial), target, MovefileReplaceExisting)) {
      files.Delete(target + std::string(kPartial));
      problems_.push_back(name + " could not be put in place: " + FileErrorText(rc) + ".");
      notCopied_.push_back(name);
      whole = false;
      continue;
    }
    const install::LoggedFile* logged = previous_ ? previous_->File(target) : nullptr;
    install::Origin origin = existed_[i] ? install::Origin::Replaced : install::Origin::Made;
    if (logged && logged->Setups()) origin = logged->origin;
    log_.files.push_back({target, system_.payload[i], origin});
  }
  for (const std::string& name : kept_)
    log_.files.push_back({Target(name), {}, install::Origin::Kept});
  return whole;
}

bool InstallRun::Installed(std::string_view installedName) const {
  const install::LoggedFile* f = log_.File(Target(installedName));
  return f && f->Setups();
}

bool InstallRun::Link(const Shown& shown) {
  bool all = true;
  log_.links.clear();
  for (const auto& shortcut : install::Shortcuts) {
    const std::string name(shortcut.target);
    if (shown) shown(name, 50);
    // Only to a file this run installed and checked.
    if (!Installed(name)) {
      problems_.push_back("The shortcut to " + name + " was not made: Setup did not install " +
                          name + ".");
      notLinked_.push_back(name);
      all = false;
      continue;
    }
    const std::string target = Target(name);
    const std::string link = JoinPath(shortcuts, shortcut.link);
    const HResult hr = CreateShortcut(system_.shell, link, target, "", "", target, 0, SwShowNormal);
    FileDigest made;
    if (Failed(hr) || system_.files.Digest(link, made) != ErrorSuccess) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
      problems_.push_back("The shortcut to " + name + " could not be made (error " + code + ").");
      notLinked_.push_back(name);
      all = false;
      continue;
    }
    log_.links.push_back({link, made, install::Origin::Made});
  }
  return all;
}

bool InstallRun::Register() {
  const RegExtra& reg = system_.reg;
  bool stored = system_.store.Write(settings::DllPath, Target(install::IconLibrary));
  Record(Hkcu(settings::DllPath));
  if (!log_.links.empty()) {
    stored = system_.store.Write(settings::ShortcutPath, shortcuts) && stored;
    Record(Hkcu(settings::ShortcutPath));
  }
  if (!stored) problems_.push_back("The settings of Velmaro could not be stored.");
  // Listed only with the uninstaller that takes it away again.
  if (!Installed(install::Uninstaller)) {
    problems_.push_back(
        "Velmaro 1.0 was not entered in the list of installed programs: Setup did not install "
        "Uninstall.exe.");
    return false;
  }
  const std::string_view key = install::UninstallKey;
  const std::string uninstaller = Target(install::Uninstaller);
  // Unquoted, "C:\Program Files\..." would let a planted C:\Program.exe run.
  const std::string command = platform::CommandPath(uninstaller);
  // The quiet command is always quoted, so that its argument stays apart.
  const std::string quoted = "\"" + uninstaller + "\"";
  const std::pair<std::string_view, std::string> texts[] = {
      {"DisplayName", std::string(install::ProductName)},
      {"UninstallString", command},
      {"QuietUninstallString", quoted + " /S"},
      {"DisplayVersion", std::string(install::Version)},
      {"DisplayIcon", Target(install::Console)},
      {"InstallLocation", folder},
      {"Publisher", std::string(install::Publisher)},
      {"InstallLog", LogPath()},
  };
  bool listed = true;
  for (const auto& [name, value] : texts) {
    listed = reg.SaveStringValue(HkeyLocalMachine, key, name, value) && listed;
    Record(Hklm(name));
  }
  for (const char* name : {"NoModify", "NoRepair"}) {
    listed = reg.SaveDWordValue(HkeyLocalMachine, key, name, 1) && listed;
    Record(Hklm(name));
  }
  if (!listed)
    problems_.push_back("Velmaro 1.0 could not be entered in the list of installed programs.");
  return stored && listed;
}

bool InstallRun::WriteLog() {
  FileSystem& files = system_.files;
  const std::string path = LogPath();
  const std::string partial = path + std::string(kPartial);
  long rc = files.WriteWholeFile(partial, log_.Text());
  if (rc == ErrorSuccess) rc = files.Move(partial, path, MovefileReplaceExisting);
  if (rc == ErrorSuccess) return true;
  files.Delete(partial);
  problems_.push_back("The install log " + path + " could not be written (" + FileErrorText(rc) +
                      "): Uninstall will remove less.");
  return false;
}

void InstallRun::RemoveEarlierLinks() {
  if (!previous_ || SamePath(previous_->shortcutFolder.path, shortcuts)) return;
  FileSystem& files = system_.files;
  for (const auto& link : previous_->links) {
    FileDigest now;
    if (install::OwnLink(*previous_, link) && files.Digest(link.path, now) == ErrorSuccess &&
        now == link.digest)
      files.Delete(link.path);
  }
  const std::string& earlier = previous_->shortcutFolder.path;
  if (previous_->shortcutFolder.made && !install::SystemFolder(files, system_.shell, earlier))
    files.RemoveDir(earlier);  // only when empty
}

void InstallRun::RemoveMadeFolders() {
  if (shortcutsMade && log_.links.empty()) system_.files.RemoveDir(shortcuts);
  if (folderMade && log_.files.empty()) system_.files.RemoveDir(folder);
}

void InstallRun::Undo() {
  for (const auto& link : log_.links) system_.files.Delete(link.path);
  log_.links.clear();
  std::vector<install::LoggedFile> stay;
  for (const auto& file : log_.files)
    if (file.origin != install::Origin::Made || system_.files.Delete(file.path) != ErrorSuccess)
      stay.push_back(file);
  log_.files = std::move(stay);
  RemoveMadeFolders();
}

}  // namespace velmaro::setup
