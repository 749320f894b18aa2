#pragma once
// The undo journal: every change the console makes to the registry or to a
// file is recorded before it happens, so that it can be taken back exactly.
//
// The console hands its registry gateway and its file operations the
// journal's recording stand-ins (`Registry()`, `Files()`), which pass every
// call on to the system and, before a call changes something, note how the
// thing was: a value's type and bytes or that it was absent, whether a key
// existed (with its whole subtree when it is deleted), a file's bytes and
// attributes or that it was absent. A change whose old state cannot be
// recorded (a value the ANSI functions cannot read as it is, a file too large)
// is refused, so nothing changes that undo could not put back. Changes between `Begin` and `End` make
// one step; `Undo` puts back the newest step, newest change first.
//
// The steps are kept in one text file a person can read (each step's state
// before the change is a REGEDIT4 text that regedit could import by hand),
// rewritten whole and replaced in one move after each step, and bounded: the
// oldest steps go first. A journal that is damaged or cut short is set aside
// and never applied in part; one written by a newer format is left untouched
// and nothing is recorded over it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/mouse.h"
#include "platform/registry.h"
#include "system_access/reg_file.h"

namespace velmaro::undo {

inline constexpr int kFormat = 1;
inline constexpr std::size_t kMaxSteps = 100;
inline constexpr std::size_t kMaxJournalBytes = 4u << 20;
// A file larger than this cannot be recorded, so it is not changed either.
inline constexpr std::uint64_t kMaxRecordedFileBytes = 2u << 20;

struct FileState {
  std::uint32_t attributes = 0;
  std::string bytes;
  friend bool operator==(const FileState&, const FileState&) = default;
};

// What a step left in a file: enough to see whether it changed since.
struct FileMark {
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t hash = 0;
  friend bool operator==(const FileMark&, const FileMark&) = default;
};
FileMark MarkOf(const FileState& state);

// The mouse settings kept for the next log-on.
struct MouseState {
  unsigned doubleClickTime = 0;
  bool swapped = false;
  friend bool operator==(const MouseState&, const MouseState&) = default;
};

// One step: what it changed, as it was before and as the step left it.
struct Step {
  int number = 0;
  std::string label;
  regfile::File before;  // applied in order, it puts everything back
  regfile::File after;   // what the step left: compared before an undo
  struct File {
    std::string path;
    std::optional<FileState> before;  // none: the file was absent
    std::optional<FileMark> after;
    friend bool operator==(const File&, const File&) = default;
  };
  std::vector<File> files;  // in the order first changed
  std::optional<MouseState> mouseBefore, mouseAfter;  // when the step saved them
  friend bool operator==(const Step&, const Step&) = default;
};

struct UndoResult {
  bool done = false;                  // the step is taken back and gone
  bool declined = false;              // the user chose not to overwrite
  std::vector<std::string> restored;  // what was put back, in words
  std::vector<std::string> failed;    // what could not be put back
};

// The journal file's bytes; false when a name cannot be written in the code
// page (it could not have come from the system). Exposed for tests and the
// fuzzer, with the reader: Damaged for anything cut short or altered.
bool WriteJournal(const std::vector<Step>& steps, const platform::AnsiCodePage& codePage,
                  std::string& out);
enum class ReadStatus { Ok, Damaged, NewerFormat };
ReadStatus ReadJournal(std::string_view bytes, const platform::AnsiCodePage& codePage,
                       std::vector<Step>& steps, std::string* why = nullptr);

class Journal {
public:
  // `path` is the journal file (its folder is created when missing). The
  // journal is read at once; see LoadMessage().
  Journal(platform::Registry& registry, platform::FileSystem& files, std::string path);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // The recording stand-ins, to be used for every change. The mouse's is
  // made over the mouse given (once; later calls return the same).
  platform::Registry& Registry();
  platform::FileSystem& Files();
  platform::Mouse& Mouse(platform::Mouse& real);

  // Changes from Begin to End form one step named `label`. Nested pairs
  // join the outer step. A step that changed nothing is not kept. End saves
  // the journal; false when it could not be saved (the step is still kept in
  // memory for this run).
  void Begin(std::string label);
  bool End();
  bool Recording() const { return depth_ > 0; }

  bool CanUndo() const { return !steps_.empty() && !readOnly_; }
  // The newest step's label, empty when there is none.
  std::string NextLabel() const;
  // What changed since the newest step, in words: values or files that no
  // longer hold what the step left. Empty when nothing did.
  std::vector<std::string> ChangedSince() const;
  // Puts back the newest step. When something changed since, `confirm` is
  // asked with the list first; false leaves everything as it is.
  UndoResult Undo(const std::function<bool(const std::vector<std::string>&)>& confirm);

  // A message for the user about the journal found at start, empty when it
  // was fine or absent.
  const std::string& LoadMessage() const { return loadMessage_; }
  const std::vector<Step>& Steps() const { return steps_; }

private:
  class RecordingRegistry;
  class RecordingFiles;
  class RecordingMouse;
  friend class RecordingRegistry;
  friend class RecordingFiles;
  friend class RecordingMouse;

  // Notes the state of a value, a key (with its subtree when `tree`), or a
  // file before the first change to it in the current step. False when it
  // cannot be recorded (a value that cannot be read as it is, a file too
  // large): the change must then not be made.
  bool NoteValue(platform::HKey root, const std::string& path, const std::string& name);
  bool NoteKey(platform::HKey root, const std::string& path, bool tree);
  bool NoteFile(std::string_view path);
  void NoteMouse();
  void Load();
  bool Save();
  void Finish(Step& step);

  platform::Registry& realRegistry_;
  platform::FileSystem& realFiles_;
  std::string path_;
  std::unique_ptr<RecordingRegistry> registry_;
  std::unique_ptr<RecordingFiles> files_;
  std::unique_ptr<RecordingMouse> mouse_;
  platform::Mouse* realMouse_ = nullptr;
  std::vector<Step> steps_;  // oldest first
  int depth_ = 0;
  std::optional<Step> current_;
  std::vector<std::string> noted_;   // targets noted in the current step
  std::vector<std::size_t> groups_;  // where each note starts in `before`
  bool readOnly_ = false;           // a newer journal is on disk: record nothing
  std::string loadMessage_;
};

}  // namespace velmaro::undo
