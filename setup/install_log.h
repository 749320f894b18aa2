#pragma once
// The install log: what one run of Setup made, kept beside Uninstall.exe so
// that Uninstall removes exactly that, and only while it is unchanged. Text,
// one item a line, fields split by tabs; the last line "end" tells a whole
// log from one cut short.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/shell.h"

namespace velmaro::install {

inline constexpr std::string_view LogName = "VelmaroInstall.log";

// Whose a file in the install folder is.
enum class Origin {
  Made,      // Setup made it where there was none
  Replaced,  // Setup replaced a file that was there
  Kept,      // a file of the user's own that Setup was told to keep
};

struct LoggedFile {
  std::string path;
  platform::FileDigest digest;  // as Setup left it (empty for a kept file)
  Origin origin = Origin::Made;
  bool Setups() const { return origin != Origin::Kept; }
};

struct LoggedFolder {
  std::string path;
  bool made = false;  // Setup created it
};

struct InstallLog {
  LoggedFolder installFolder;
  LoggedFolder shortcutFolder;
  std::vector<LoggedFile> files;    // in the install folder
  std::vector<LoggedFile> links;    // in the shortcut folder
  std::vector<std::string> values;  // registry values written, "HKLM\key\name"

  std::string Text() const;
  // Nothing when the text is not a whole log of this form.
  static std::optional<InstallLog> Parse(std::string_view text);
  // The file's entry, or null.
  const LoggedFile* File(std::string_view path) const;
};

// Reads the log at `path`; nothing when it is missing, too big or damaged.
std::optional<InstallLog> ReadLog(platform::FileSystem& files, const std::string& path);

// A link the log names is believed only when it is one of Velmaro's own, in
// the log's shortcut folder.
bool OwnLink(const InstallLog& log, const LoggedFile& link);

// The shell's and the system's own folders, and any drive root: never
// removed, whatever a log or a setting says.
bool SystemFolder(platform::FileSystem& files, platform::Shell& shell, const std::string& path);

}  // namespace velmaro::install
