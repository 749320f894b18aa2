#include "console/boot_options.h"

#include <algorithm>
#include <optional>

#include "platform/ascii_case.h"

namespace velmaro::console {
namespace {

using namespace platform;

constexpr std::string_view kAutoScan = BootAutoScanKey;
constexpr std::string_view kBootDelay = BootDelayKey;
constexpr std::string_view kLogo = BootLogoKey;
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

namespace {

// The lines of one key in the file, and whether every one of them is the
// line `expected`.
struct KeyLines {
  std::optional<long long> first;  // the number on the first line, if any
  bool present = false;
  bool allEqual = true;
  std::string firstLine;
};

KeyLines LinesOf(std::string_view file, std::string_view prefix) {
  KeyLines k;
  ForEachLine(file, [&](std::string_view line) {
    if (!StartsWith(line, prefix)) return;
    if (!k.present) {
      k.present = true;
      k.firstLine = std::string(line);
      k.first = WholeNumber(line.substr(prefix.size()));
    } else if (line != k.firstLine) {
      k.allEqual = false;
    }
  });
  return k;
}

}  // namespace

BootShown LoadBootShown(const SettingsStore& store, FileSystem& files, bool fileOnly) {
  BootShown shown;
  BootOptions& o = shown.options;
  o = LoadBootOptions(store);
  // A choice is a whole number stored as plain text; damage is none.
  const auto choice = [&](std::string_view key) {
    return fileOnly || !store.Readable(key) ? std::nullopt : WholeNumber(store.Read(key, ""));
  };
  const bool autoScanStored = choice(settings::AutoScan).has_value();
  const bool logoStored = choice(settings::DisSplach).has_value();
  const bool delayStored = choice(settings::BootDelay).has_value();
  if (autoScanStored && logoStored && delayStored) return shown;
  std::string file;
  if (files.ReadWholeFile(BootFilePath, file, MaxBootFileBytes) != ErrorSuccess) return shown;
  // A key the file holds in a form the control cannot write is not faithful.
  const auto faithful = [](const KeyLines& k, const std::string& written) {
    return !k.present || (k.allEqual && k.firstLine == written);
  };
  if (!autoScanStored) {
    const KeyLines k = LinesOf(file, kAutoScan);
    if (k.first) o.autoScan = *k.first != 0 ? 1 : 0;
    shown.autoScanFaithful = faithful(k, AutoScanLine(o));
  }
  if (!delayStored) {
    const KeyLines k = LinesOf(file, kBootDelay);
    if (k.first) o.delaySl = static_cast<int>(std::clamp<long long>(*k.first, BootDelayMin, BootDelayMax));
    shown.delayFaithful = faithful(k, BootDelayLine(o));
  }
  if (!logoStored) {
    const KeyLines k = LinesOf(file, kLogo);
    if (k.first) o.disSpl = *k.first == 0 ? 1 : 0;
    shown.logoFaithful = faithful(k, LogoLine(o));
  }
  return shown;
}

std::string BootLinesOf(FileSystem& files, std::string_view key) {
  std::string file;
  if (const long rc = files.ReadWholeFile(BootFilePath, file, MaxBootFileBytes))
    return "unreadable " + std::to_string(rc);
  std::string lines;
  ForEachLine(file, [&](std::string_view line) {
    if (StartsWith(line, key)) lines.append(line).append("\n");
  });
  return lines;
}

std::string BootLineFor(std::string_view key, const BootOptions& options) {
  const BootOptions o = Normalised(options);
  const std::string line = key == kAutoScan    ? AutoScanLine(o)
                           : key == kBootDelay ? BootDelayLine(o)
                                               : LogoLine(o);
  return line + "\n";
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
  bool seenAutoScan = o.keepAutoScan, seenBootDelay = o.keepBootDelay, seenLogo = o.keepLogo;
  ForEachLine(old, [&](std::string_view line) {
    if (StartsWith(line, kAutoScan)) {
      out += o.keepAutoScan ? std::string(line) : AutoScanLine(o);
      seenAutoScan = true;
    } else if (StartsWith(line, kBootDelay)) {
      out += o.keepBootDelay ? std::string(line) : BootDelayLine(o);
      seenBootDelay = true;
    } else if (StartsWith(line, kLogo)) {
      out += o.keepLogo ? std::string(line) : LogoLine(o);
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

namespace {

// The choices go to the store once the file holds them; a kept key's do not,
// so that the panel shows the file's own lines again.
BootApplyResult Record(const SettingsStore& store, const BootOptions& o, bool replaced,
                       bool created) {
  BootApplyResult result;
  result.fileReplaced = replaced;
  result.fileCreated = created;
  bool saved = o.keepAutoScan || store.Write(settings::AutoScan, std::to_string(o.autoScan));
  saved = (o.keepLogo || store.Write(settings::DisSplach, o.disSpl == 1 ? "0" : "1")) && saved;
  saved = (o.keepBootDelay || store.Write(settings::BootDelay, std::to_string(o.delaySl))) && saved;
  if (!saved) result.step = BootStep::SaveSettings;
  return result;
}

}  // namespace

BootApplyResult ApplyBootOptions(FileSystem& files, const SettingsStore& store,
                                 const BootOptions& options) {
  const BootOptions o = Normalised(options);

  std::string windows;
  if (const long rc = files.WindowsDirectory(windows))
    return Failed(BootStep::WindowsDirectory, rc);
  while (!windows.empty() && windows.back() == '\\') windows.pop_back();
  const std::string temp = windows + "\\" + std::string(BootFileName);
  // Windows installed in the drive root would make the copy the file itself.
  if (LowerAscii(temp) == LowerAscii(BootFilePath))
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
      return Failed(BootStep::ReadTarget, ErrorDirectory);
    std::string old;
    if (const long rc = files.ReadWholeFile(BootFilePath, old, MaxBootFileBytes))
      return Failed(BootStep::ReadTarget, rc);
    content = RewriteBootFile(old, o);
    // What later applies make of it (each adds a missing key) must stay
    // readable: otherwise the panel could write a file it then refuses.
    if (RewriteBootFile(RewriteBootFile(content, o), o).size() > MaxBootFileBytes)
      return Failed(BootStep::ReadTarget, ErrorFileTooLarge);
    if (content == old) return Record(store, o, false, false);
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

  return Record(store, o, true, missing);
}

std::string BootFailureText(const BootApplyResult& r) {
  std::string why;
  switch (r.error) {
    case ErrorSharingViolation: why = "Another program is using the file."; break;
    case ErrorFileTooLarge:
      why = "The file is larger than Velmaro can safely rewrite (1 MB).";
      break;
    case ErrorDirectory: why = "c:\\msdos.sys is a folder, not a file."; break;
    case ErrorDiskFull: why = "There is not enough room on the disk for the new file."; break;
    case ErrorAccessDenied:
      why = r.step == BootStep::Unprotect
                ? "The file is read-only and could not be made writable."
                : r.step == BootStep::Replace
                      ? "Windows refused to replace it: another program may be using it."
                      : "Windows refused access to it.";
      break;
    default:
      if (r.step == BootStep::WindowsDirectory)
        why = "The Windows folder, where the new file is prepared, could not be found.";
      else if (r.step == BootStep::ClearTemp)
        why = "A copy left in the Windows folder by an earlier attempt could not be removed.";
      else
        why = "Windows reported error " + std::to_string(r.error) + ".";
  }
  return std::string(BootFailedMessage) + " " + why;
}

}  // namespace velmaro::console
