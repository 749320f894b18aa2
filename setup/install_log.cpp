#include "setup/install_log.h"

#include <algorithm>
#include <charconv>

#include "platform/paths.h"
#include "platform/utf8.h"
#include "setup/installation.h"

namespace velmaro::install {
namespace {

constexpr std::string_view kHeader = "Velmaro install log 1";
constexpr std::uint64_t kMaxLog = 1 << 20;

std::string_view OriginName(Origin o) {
  switch (o) {
    case Origin::Made:
      return "made";
    case Origin::Replaced:
      return "replaced";
    case Origin::Kept:
      return "kept";
  }
  return "made";
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> out;
  for (;;) {
    const std::size_t tab = line.find('\t');
    out.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return out;
    line.remove_prefix(tab + 1);
  }
}

bool IsDigest(std::string_view s) {
  if (s.size() != 64) return false;
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

bool ParseFile(const std::vector<std::string_view>& f, LoggedFile& out) {
  // kind, path, size, digest, origin
  if (f.size() != 5 || platform::NormalPath(f[1]).empty()) return false;
  out.path = std::string(f[1]);
  if (f[4] == "made")
    out.origin = Origin::Made;
  else if (f[4] == "replaced")
    out.origin = Origin::Replaced;
  else if (f[4] == "kept")
    out.origin = Origin::Kept;
  else
    return false;
  if (out.origin == Origin::Kept) return f[2] == "-" && f[3] == "-";
  const auto [end, ec] = std::from_chars(f[2].data(), f[2].data() + f[2].size(), out.digest.size);
  if (ec != std::errc() || end != f[2].data() + f[2].size()) return false;
  out.digest.sha256 = std::string(f[3]);
  return IsDigest(f[3]);
}

bool ParseFolder(const std::vector<std::string_view>& f, LoggedFolder& out) {
  if (f.size() != 3 || platform::NormalPath(f[1]).empty() || (f[2] != "made" && f[2] != "found"))
    return false;
  out.path = std::string(f[1]);
  out.made = f[2] == "made";
  return true;
}

void PutFile(std::string& out, std::string_view kind, const LoggedFile& f) {
  out += std::string(kind) + "\t" + f.path + "\t";
  out += f.Setups() ? std::to_string(f.digest.size) + "\t" + f.digest.sha256 : std::string("-\t-");
  out += "\t" + std::string(OriginName(f.origin)) + "\n";
}

}  // namespace

std::string InstallLog::Text() const {
  std::string out = std::string(kHeader) + "\n";
  out += "folder\t" + installFolder.path + (installFolder.made ? "\tmade\n" : "\tfound\n");
  out += "shortcuts\t" + shortcutFolder.path + (shortcutFolder.made ? "\tmade\n" : "\tfound\n");
  for (const auto& f : files) PutFile(out, "file", f);
  for (const auto& l : links) PutFile(out, "link", l);
  for (const auto& v : values) out += "value\t" + v + "\n";
  return out + "end\n";
}

std::optional<InstallLog> InstallLog::Parse(std::string_view text) {
  InstallLog log;
  bool header = false, folder = false, shortcuts = false, ended = false;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    if (nl == std::string_view::npos) return std::nullopt;  // cut short
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (ended) return std::nullopt;
    if (!header) {
      if (line != kHeader) return std::nullopt;
      header = true;
      continue;
    }
    const auto f = Fields(line);
    bool ok = false;
    if (f[0] == "folder" && !folder)
      ok = folder = ParseFolder(f, log.installFolder);
    else if (f[0] == "shortcuts" && !shortcuts)
      ok = shortcuts = ParseFolder(f, log.shortcutFolder);
    else if (f[0] == "file")
      ok = ParseFile(f, log.files.emplace_back());
    else if (f[0] == "link")
      ok = ParseFile(f, log.links.emplace_back());
    else if (f[0] == "value" && f.size() == 2)
      ok = (log.values.emplace_back(f[1]), true);
    else if (f[0] == "end" && f.size() == 1)
      ok = ended = true;
    if (!ok) return std::nullopt;
  }
  if (!ended || !folder || !shortcuts) return std::nullopt;
  return log;
}

const LoggedFile* InstallLog::File(std::string_view path) const {
  for (const auto& f : files)
    if (platform::SamePath(f.path, path)) return &f;
  return nullptr;
}

std::optional<InstallLog> ReadLog(platform::FileSystem& files, const std::string& path) {
  std::string text;
  if (files.ReadWholeFile(path, text, kMaxLog) != platform::ErrorSuccess) return std::nullopt;
  return InstallLog::Parse(text);
}

bool OwnLink(const InstallLog& log, const LoggedFile& link) {
  const std::string name = platform::UpperLatin(link.path.substr(link.path.find_last_of('\\') + 1));
  return platform::SamePath(platform::FolderOf(link.path), log.shortcutFolder.path) &&
         std::any_of(Shortcuts.begin(), Shortcuts.end(),
                     [&](const auto& s) { return platform::UpperLatin(s.link) == name; });
}

bool SystemFolder(platform::FileSystem& files, platform::Shell& shell, const std::string& path) {
  using namespace platform;
  const std::string normal = NormalPath(path);
  if (normal.empty() || normal.size() == 3) return true;
  std::string folder;
  if (files.WindowsDirectory(folder) == ErrorSuccess && SamePath(folder, normal)) return true;
  if (files.SystemDirectory(folder) == ErrorSuccess && SamePath(folder, normal)) return true;
  for (int csidl :
       {CsidlPrograms, CsidlStartup, CsidlStartMenu, CsidlDesktopDirectory, CsidlCommonStartMenu,
        CsidlCommonPrograms, CsidlCommonStartup, CsidlCommonDesktopDirectory})
    if (shell.ShellFolder(csidl, folder) == ErrorSuccess && SamePath(folder, normal)) return true;
  return false;
}

}  // namespace velmaro::install
