#include "console/boot_options.h"

#include <algorithm>
#include <optional>

namespace velmaro::console {
namespace {

using namespace platform;

constexpr std::string_view kAutoScan = "AutoScan=";
constexpr std::string_view kBootDelay = "BootDelay=";
constexpr std::string_view kLogo = "Logo=";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::uint32_t kCarriedAttributes =
    FileAttributeReadOnly | FileAttributeHidden | FileAttributeSystem | FileAttributeArchive;

int BoxState(int state) {
  return state >= 0 && state <= 2 ? state : 0;
}

// What a caller hands in came from the controls, but the file must never get
// a delay the slider cannot show.
BootOptions Normalised(BootOptions o) {
  o.autoScan = BoxState(o.autoScan);
  o.disSpl = BoxState(o.disSpl);
  o.delaySl = std::clamp(o.delaySl, BootDelayMin, BootDelayMax);
  return o;
}

std::string AutoScanLine(const BootOptions& o) {
  return std::string(kAutoScan) + (o.autoScan == 1 ? "2" : "0");
}
std::string BootDelayLine(const BootOptions& o) {
  return std::string(kBootDelay) + std::to_string(o.delaySl);
}
std::string LogoLine(const BootOptions& o) {
  return std::string(kLogo) + (o.disSpl == 1 ? "0" : "1");
}

bool StartsWith(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

BootApplyResult Failed(BootStep step, long error) {
  BootApplyResult r;
  r.step = step;
  r.error = error;
  return r;
}

// The temporary file goes whatever attributes it was given.
void RemoveTemp(FileSystem& files, const std::string& temp) {
  files.SetAttributes(temp, FileAttributeNormal);
  files.Delete(temp);
}

// Calls `f` with each line of the file, without its end (CR LF, LF or CR).
template <class F>
void ForEachLine(std::string_view file, F&& f) {
  std::size_t pos = 0;
  while (pos < file.size()) {
    const std::size_t end = std::min(file.find_first_of("\r\n", pos), file.size());
    f(file.substr(pos, end - pos));
    pos = end + 1;
    if (end < file.size() && file[end] == '\r' && pos < file.size() && file[pos] == '\n') ++pos;
  }
}

}  // namespace

BootOptions LoadBootOptions(const SettingsStore& store) {
  BootOptions o;
  const auto autoScan = WholeNumber(store.Read(settings::AutoScan, "0"));
  o.autoScan = autoScan && *autoScan >= 0 && *autoScan <= 2 ? static_cast<int>(*autoScan) : 0;
  const auto disSplach = WholeNumber(store.Read(settings::DisSplach, "1"));
  o.disSpl = disSplach && *disSplach == 0 ? 1 : 0;
  const auto delay = WholeNumber(store.Read(settings::BootDelay, "2"));
  o.delaySl =
      delay ? static_cast<int>(std::clamp<long long>(*delay, BootDelayMin, BootDelayMax)) : 2;
  return o;
}

std::string BootDelayCaption(int position) {
  return "Boot delay time(in seconds) : " + std::to_string(position);
}

BootOptions BootOptionsInFile(FileSystem& files, const BootOptions& fallback) {
  BootOptions o = fallback;
  std::string file;
  if (files.ReadWholeFile(BootFilePath, file, MaxBootFileBytes) != ErrorSuccess) return o;
  ForEachLine(file, [&o](std::string_view line) {
    const auto number = [&line](std::string_view prefix) {
      return WholeNumber(line.substr(prefix.size()));
    };
    if (StartsWith(line, kAutoScan)) {
      if (const auto n = number(kAutoScan)) o.autoScan = *n != 0 ? 1 : 0;
    } else if (StartsWith(line, kBootDelay)) {
      if (const auto n = number(kBootDelay))
        o.delaySl = static_cast<int>(std::clamp<long long>(*n, BootDelayMin, BootDelayMax));
    } else if (StartsWith(line, kLogo)) {
      if (const auto n = number(kLogo)) o.disSpl = *n == 0 ? 1 : 0;
    }
  });
  return o;
}

std::string RewriteBootFile(std::string_view old, const BootOptions& options) {
  const BootOptions o = Normalised(options);
  std::string out;
  out.reserve(old.size() + 64);
  bool seenAutoScan = false, seenBootDelay = false, seenLogo = false;
  ForEachLine(old, [&](std::string_view line) {
    if (StartsWith(line, kAutoScan)) {
      out += AutoScanLine(o);
      seenAutoScan = true;
    } else if (StartsWith(line, kBootDelay)) {
      out += BootDelayLine(o);
      seenBootDelay = true;
    } else if (StartsWith(line, kLogo)) {
      out += LogoLine(o);
      seenLogo = true;
    } else {
      out += line;
    }
    out += kLineEnd;
  });
  if (!seenAutoScan)
    out += AutoScanLine(o) + std::string(kLineEnd);
  else if (!seenBootDelay)
    out += BootDelayLine(o) + std::string(kLineEnd);
  else if (!seenLogo)
    out += LogoLine(o) + std::string(kLineEnd);
  return out;
}

std::string NewBootFile(const BootOptions& options) {
  const BootOptions o = Normalised(options);
  const std::string end(kLineEnd);
  return AutoScanLine(o) + end + BootDelayLine(o) + end + LogoLine(o) + end;
}

BootApplyResult ApplyBootOptions(FileSystem& files, const SettingsStore& store,
                                 const BootOptions& options) {
  const BootOptions o = Normalised(options);

  std::string windows;
  if (const long rc = files.WindowsDirectory(windows))
    return Failed(BootStep::WindowsDirectory, rc);
  while (!windows.empty() && windows.back() == '\\') windows.pop_back();
  const std::string temp = windows + "\\" + std::string(BootFileName);
  // Windows installed in the drive root would make the copy the file itself.
  if (Lower(temp) == Lower(BootFilePath))
    return Failed(BootStep::WindowsDirectory, ErrorInvalidParameter);

  std::uint32_t oldAttributes = InvalidFileAttributes;
  const long probe = files.GetAttributes(BootFilePath, oldAttributes);
  const bool missing = probe == ErrorFileNotFound;
  std::string content;
  if (missing) {
    content = NewBootFile(o);
  } else {
    if (probe) return Failed(BootStep::ReadTarget, probe);
    if (oldAttributes & FileAttributeDirectory)
      return Failed(BootStep::ReadTarget, ErrorAccessDenied);
    std::string old;
    if (const long rc = files.ReadWholeFile(BootFilePath, old, MaxBootFileBytes))
      return Failed(BootStep::ReadTarget, rc);
    content = RewriteBootFile(old, o);
  }

  // An interrupted run may have left its copy, read-only perhaps.
  std::uint32_t stale = InvalidFileAttributes;
  if (files.GetAttributes(temp, stale) == ErrorSuccess) {
    if (stale & FileAttributeDirectory) return Failed(BootStep::ClearTemp, ErrorAccessDenied);
    files.SetAttributes(temp, FileAttributeNormal);
    if (const long rc = files.Delete(temp)) return Failed(BootStep::ClearTemp, rc);
  }

  if (const long rc = files.WriteWholeFile(temp, content)) {
    RemoveTemp(files, temp);
    return Failed(BootStep::WriteTemp, rc);
  }
  if (!missing) {
    if (const long rc = files.SetAttributes(temp, oldAttributes & kCarriedAttributes)) {
      RemoveTemp(files, temp);
      return Failed(BootStep::CopyAttributes, rc);
    }
  }
  // A read-only file cannot be replaced; it is writable only for the move.
  const bool unprotect = !missing && (oldAttributes & FileAttributeReadOnly);
  if (unprotect) {
    const std::uint32_t writable = oldAttributes & kCarriedAttributes & ~FileAttributeReadOnly;
    if (const long rc = files.SetAttributes(BootFilePath, writable)) {
      RemoveTemp(files, temp);
      return Failed(BootStep::Unprotect, rc);
    }
  }
  // Without a file to replace, one that appeared meanwhile is not overwritten.
  const std::uint32_t flags = (missing ? 0 : MovefileReplaceExisting) | MovefileWriteThrough;
  if (const long rc = files.Move(temp, BootFilePath, flags)) {
    if (unprotect) files.SetAttributes(BootFilePath, oldAttributes & kCarriedAttributes);
    RemoveTemp(files, temp);
    return Failed(BootStep::Replace, rc);
  }

  BootApplyResult result;
  result.fileReplaced = true;
  result.fileCreated = missing;
  bool saved = store.Write(settings::AutoScan, std::to_string(o.autoScan));
  saved = store.Write(settings::DisSplach, o.disSpl == 1 ? "0" : "1") && saved;
  saved = store.Write(settings::BootDelay, std::to_string(o.delaySl)) && saved;
  if (!saved) result.step = BootStep::SaveSettings;
  return result;
}

}  // namespace velmaro::console
