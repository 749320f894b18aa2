#pragma once
// The three boot options of the Windows panel, which live in the boot file
// "c:\msdos.sys" rather than the registry, and the settings-store keys that
// remember what was last applied.
//
// The panel shows the stored choices; only where the store holds none (first
// run, after an uninstall, damage) does it show the file's own lines
// (LoadBootShown). ApplyBootOptions (the panel's AutoScan1) rewrites the file
// through a temporary copy in the Windows directory and then records the
// choices. It never leaves the machine without its boot file:
//   - the new content is written completely to the temporary file and flushed,
//     given the old file's read-only, hidden, system and archive attributes,
//     and then moved over the old file in one step (replace + write-through);
//     a read-only old file is made writable just for that step and gets its
//     attributes back if the step fails;
//   - on any failure the old file keeps its content and attributes, the
//     temporary file is removed, the store is not touched, and the result
//     says which step failed and why;
//   - the store is written ("Auto Scan", "DisSplach", "Boot Delay", in that
//     order) only after the new file is in place.
// A missing boot file (as on a fresh Wine prefix) is created holding the
// three lines AutoScan=, BootDelay= and Logo=, with the attributes a new file
// gets; a boot file that appears meanwhile is not overwritten.
// A boot file is left alone (the apply fails, ErrorFileTooLarge) when it, or
// what it grows to once every missing key is added, is larger than
// MaxBootFileBytes: so what one apply writes, the next can always read. The
// real one is a few kilobytes. An apply that would write the very bytes the
// file holds leaves it untouched.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "system_access/settings_store.h"

namespace velmaro::console {

inline constexpr std::string_view BootFilePath = "c:\\msdos.sys";
inline constexpr std::string_view BootFileName = "msdos.sys";
inline constexpr std::uint64_t MaxBootFileBytes = 1u << 20;
inline constexpr int BootDelayMin = 0;  // DelaySl range, in seconds
inline constexpr int BootDelayMax = 5;

// The state of the three boot controls.
struct BootOptions {
  int autoScan = 0;  // AutoScan box: 0 clear, 1 ticked, 2 grayed
  int disSpl = 0;    // DisSpl box ("Disable Windows splash screen")
  int delaySl = 2;   // DelaySl position, BootDelayMin..BootDelayMax
  // A key whose lines the file keeps exactly as they are (the panel could not
  // show them and the user left the control alone): the rewrite copies them,
  // appends none for it, and its choice is not recorded.
  bool keepAutoScan = false;
  bool keepBootDelay = false;
  bool keepLogo = false;
};

// What the Windows panel shows of the boot options, key by key: the store's
// choice; where the store holds none (first run, after an uninstall, or after
// the store refused an apply's choices: `fileOnly`), what the file holds;
// where the file has no line for the key either, the key's default. A key
// shown from file lines that no state of its control writes ("AutoScan=1",
// "BootDelay=9", two lines that differ) is not faithful: an apply keeps those
// lines unless the user changes the control.
struct BootShown {
  BootOptions options;
  bool autoScanFaithful = true;
  bool delayFaithful = true;
  bool logoFaithful = true;
};
BootShown LoadBootShown(const SettingsStore& store, platform::FileSystem& files, bool fileOnly);

// The panel load, from the settings store. Stored texts are decimal numbers
// with optional blanks around them; anything else reads as the key's default:
//   "Auto Scan" 0, 1 or 2 becomes the box state; other text or numbers give 0;
//   DisSpl is ticked exactly when "DisSplach" is the number 0 (default 1);
//   "Boot Delay" (default 2) is clamped into the slider's range 0..5.
BootOptions LoadBootOptions(const SettingsStore& store);

// What the boot file holds: "AutoScan=" other than 0 ticks AutoScan,
// "Logo=0" ticks DisSpl, "BootDelay=" is clamped into the slider's range; a
// line that is missing or holds no number keeps `fallback`'s choice, and so
// does everything when the file cannot be read.
BootOptions BootOptionsInFile(platform::FileSystem& files, const BootOptions& fallback);

// The three keys' line starts, as the file spells them.
inline constexpr std::string_view BootAutoScanKey = "AutoScan=";
inline constexpr std::string_view BootDelayKey = "BootDelay=";
inline constexpr std::string_view BootLogoKey = "Logo=";

// Every line of the file that starts with `key`, as it stands (or why the
// file could not be read): what an apply compares with what the load saw.
std::string BootLinesOf(platform::FileSystem& files, std::string_view key);
// The line an apply writes for `key`, in the same form: what BootLinesOf
// gives once the apply is done.
std::string BootLineFor(std::string_view key, const BootOptions& options);

// Label5's caption for a slider position.
std::string BootDelayCaption(int position);

// The file's new bytes for its old bytes. Lines end in CR LF, LF or a lone CR;
// the last line may have no end; an empty file has no lines. Every line is
// written back ending in CR LF. A line starting exactly (case-sensitively, at
// its first byte) with "AutoScan=", "BootDelay=" or "Logo=" is replaced by that
// key's new line, every time it occurs; every other line keeps every byte
// (NUL, Ctrl-Z and bytes above 127 included). Then at most one missing line
// is appended: AutoScan, else BootDelay, else Logo, so a file lacking keys
// gains one per apply.
std::string RewriteBootFile(std::string_view old, const BootOptions& options);

// The content of a boot file created because there was none.
std::string NewBootFile(const BootOptions& options);

// Where an apply stopped.
enum class BootStep {
  Done,              // the file was replaced and the choices stored
  WindowsDirectory,  // the Windows directory was not available
  ReadTarget,        // the boot file could not be examined or read
  ClearTemp,         // a temporary file left by an earlier run could not go
  WriteTemp,         // the temporary file could not be written completely
  CopyAttributes,    // the old attributes could not be given to the new file
  Unprotect,         // the read-only old file could not be made replaceable
  Replace,           // the move over the old file failed
  SaveSettings,      // the file is replaced but the store refused a write
};

struct BootApplyResult {
  BootStep step = BootStep::Done;
  // The system's code; ErrorFileTooLarge for a file over the limit,
  // ErrorDirectory for a folder where the file should be.
  long error = platform::ErrorSuccess;  // the system's code (none for SaveSettings)
  bool fileReplaced = false;            // the new boot file is in place
  bool fileCreated = false;             // ... and there was none before
  bool ok() const { return step == BootStep::Done; }
};

// What the user is told when an apply stopped before the file was replaced,
// and when the file was replaced but the store refused the choices.
inline constexpr std::string_view BootFailedMessage =
    "The boot options could not be written to c:\\msdos.sys. The file was left as it was.";
inline constexpr std::string_view BootNotRecordedMessage =
    "The boot options were written to c:\\msdos.sys, but Velmaro could not record them in "
    "its settings. Until Velmaro is closed, this panel shows what the file holds.";

// BootFailedMessage followed by why, in the user's words: the file is in use,
// is read-only and could not be made writable, is too large, is a folder...
std::string BootFailureText(const BootApplyResult& result);

// AutoScan1: applies `options` to the boot file and records them in `store`.
BootApplyResult ApplyBootOptions(platform::FileSystem& files, const SettingsStore& store,
                                 const BootOptions& options);

}  // namespace velmaro::console
