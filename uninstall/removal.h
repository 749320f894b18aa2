#pragma once
// What Uninstall removes, and the removal itself, apart from any window: the
// install log beside this program says what Setup made; without a whole log
// the settings name it, under guards that keep the system's own folders and
// other programs' files out of reach.
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "setup/install_log.h"
#include "uninstall/uninstall_system.h"

namespace velmaro::uninstall {

inline constexpr int ExitRemoved = 0;
inline constexpr int ExitSomethingStayed = 1;
// Written to the user's temporary folder by a silent run.
inline constexpr std::string_view SilentLogName = "Velmaro Uninstall.log";

class Removal {
public:
  explicit Removal(UninstallSystem& system) : system_(system) {}

  // Reads the log, or else the settings, and decides what may go.
  void Find();
  // Whether an install log beside this program says what Setup made.
  bool Logged() const { return logged_; }
  // Whether the log or the settings name this program's folder.
  bool Identified() const { return identified_; }
  // Whether any program file may be removed at all.
  bool FilesAllowed() const { return !files_.empty(); }
  const std::string& Directory() const { return directory_; }

  // Program files a running program holds: nothing is removed while any is.
  std::vector<std::string> InUse();

  // Removes what may go; the entry and the settings only when no program
  // file of Setup's stayed.
  void Remove();
  // Everything Setup made is gone (the user's own files, this program and
  // its folder aside).
  bool Complete() const { return refused_.empty() && entryLeft_.empty() && changed_.empty(); }
  // The final message.
  std::string Report() const;

private:
  struct Item {
    std::string path;
    std::optional<platform::FileDigest> digest;  // from the log: removed only while the same
  };
  bool SystemFolder(const std::string& path);  // install::SystemFolder here
  void GuardedFind(const std::string& moduleFolder);
  void RemoveItem(const Item& item);

  UninstallSystem& system_;
  bool logged_ = false;
  bool identified_ = false;  // the settings name this program's folder
  std::string directory_;    // the install folder, no trailing backslash ("C:" for a root)
  std::string shortcuts_;
  std::string shortcutsLeft_;  // a shortcut folder not touched, and why
  std::string logPath_;
  std::vector<Item> files_;
  std::vector<Item> links_;
  std::string folderToRemove_;          // the shortcut folder, when it may go once empty
  std::vector<std::string> refused_;    // Setup's, still there: "path (reason)"
  std::vector<std::string> changed_;    // Setup's once, changed since: left
  std::vector<std::string> entryLeft_;  // the entry or the settings, and why
};

// "Uninstall.exe /S": removes without a question. ExitRemoved when
// everything Setup made is gone, ExitSomethingStayed otherwise (nothing at
// all is removed while a program file is in use); the reason in `report`.
int RemoveSilently(UninstallSystem& system, std::string& report);

}  // namespace velmaro::uninstall
