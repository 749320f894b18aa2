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
// shared by every console of the user and bounded: the oldest steps go
// first. It is written ahead: a step is on disk, as "recording", before the
// first change it covers, and again before each change to something it has
// not touched yet; End marks it complete with what it left. Each save takes
// the history's lock, reads what other consoles saved since, adds its own,
// writes the whole beside the file and moves it into place. A change whose
// step cannot be saved is refused, and the reason kept for the user
// (TakeNotice). An Undo marks its step "undoing" before it puts anything
// back and removes it after; a console that finds a step left "undoing" by a
// program that ended finishes it at start.
//
// The history is data: a step that names a key or a file outside the scope
// given (what Velmaro may change) makes the whole history damaged. A history
// that is damaged or cut short is set aside and never applied in part; when
// it cannot be set aside, or was written by a newer format, it is left
// untouched and nothing is recorded over it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/locks.h"
#include "platform/mouse.h"
#include "platform/registry.h"
#include "system_access/change_scope.h"
#include "system_access/reg_file.h"

namespace velmaro::undo {

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

enum class StepState {
  Done,       // complete: `after` says what it left
  Recording,  // its changes are being made (or were, by a program that ended)
  Undoing,    // being put back
};

// One step: what it changed, as it was before and as the step left it.
struct Step {
  int number = 0;
  std::string label;
  StepState state = StepState::Done;
  std::string owner;  // the program recording or undoing it (Locks::Instance)
  regfile::File before;  // applied in order, it puts everything back
  regfile::File after;   // what the step left: compared before an undo (Done only)
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
  std::string label;                  // the step taken back (or tried)
  std::string refused;                // why nothing was done, in words
  std::vector<std::string> restored;  // what was put back, in words
  std::vector<std::string> failed;    // what could not be put back
};

class Journal {
public:
  // `path` is the history file (its folder is created when missing), shared
  // under a lock taken through `locks`; `scope` is what its steps may name.
  // The history is read at once; see LoadMessage().
  Journal(platform::Registry& registry, platform::FileSystem& files, std::string path,
          platform::Locks& locks, ChangeScope scope);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // The recording stand-ins, to be used for every change. The mouse's is
  // made over the mouse given (once; later calls return the same).
  platform::Registry& Registry();
  platform::FileSystem& Files();
  platform::Mouse& Mouse(platform::Mouse& real);

  // Changes from Begin to End form one step named `label`. Nested pairs
  // join the outer step. A step that changed nothing is not kept. End marks
  // the step complete; false when that could not be saved (the step stays on
  // disk as recorded so far, and can be undone) or nothing may be recorded.
  void Begin(std::string label);
  bool End();
  bool Recording() const { return depth_ > 0; }
  // Names the step being recorded, while nothing of it is saved yet (an
  // import started by a click takes the file's name).
  void Relabel(std::string label);
  // Notes in one save how everything `changes` will touch is now (values,
  // keys created on the way, subtrees removed), so that a large batch of
  // changes costs one write of the history, not one per change. False, with
  // nothing noted, where a single note would be refused.
  bool NoteAhead(const std::vector<regfile::Key>& changes);
  // What the user must be told since the last call, in words: changes
  // refused (their step could not be saved, or they lie outside the scope),
  // a history found damaged or left alone. Empty when nothing happened.
  std::string TakeNotice();

  // Re-reads the shared history: what other consoles recorded or undid.
  void Refresh();
  bool CanUndo() const { return !steps_.empty() && !blocked_; }
  // The newest step's label, empty when there is none.
  std::string NextLabel() const;
  // What changed since the newest step, in words: values or files that no
  // longer hold what the step left, and anything put since into a key the
  // step created. Empty when nothing did.
  std::vector<std::string> ChangedSince() const;
  std::vector<std::string> ChangedSince(const Step& step) const;
  // Puts back the newest step of the shared history, whichever console
  // recorded it. When something changed since, `confirm` is asked with the
  // list first; false leaves everything as it is.
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
  using Change = std::function<bool(std::vector<Step>&)>;

  // Notes the state of a value, a key (with its subtree when `tree`), or a
  // file before the first change to it in the current step, and saves the
  // step before that change. False when the change must not be made: the
  // thing cannot be recorded (a value that cannot be read as it is, a file
  // too large), lies outside the scope, or the step cannot be saved.
  bool NoteValue(platform::HKey root, const std::string& path, const std::string& name);
  bool NoteKey(platform::HKey root, const std::string& path, bool tree);
  bool NoteFile(std::string_view path);
  bool NoteMouse();
  // Adds a note (the keys and the file given) and saves the step; undone
  // again when the save fails.
  bool AddNote(std::string id, std::vector<regfile::Key> keys, std::optional<Step::File> file);
  bool Refuse(std::string why, long code);
  void Tell(const std::string& text);
  void Load();
  // Under the lock: reads what is on disk, lets `change` alter it, and
  // writes it when `change` says so. False, with the reason, when the
  // history could not be read or written.
  bool Transact(const Change& change, std::string& why);
  bool ReadShared(std::vector<Step>& steps, std::string& why);
  bool WriteShared(std::vector<Step>& steps, std::string& why);
  bool SetAside(const std::string& why);
  std::string Check(const Step& step) const;
  Step OnDisk(bool complete) const;
  bool SaveCurrent(bool complete, std::string& why);
  std::vector<std::string> PutBack(const Step& step, std::vector<std::string>& restored);
  void FinishInterrupted();

  platform::Registry& realRegistry_;
  platform::FileSystem& realFiles_;
  std::string path_;
  platform::Locks& locks_;
  ChangeScope scope_;
  std::unique_ptr<RecordingRegistry> registry_;
  std::unique_ptr<RecordingFiles> files_;
  std::unique_ptr<RecordingMouse> mouse_;
  platform::Mouse* realMouse_ = nullptr;
  std::vector<Step> steps_;  // oldest first, as last read or written
  std::string lastBytes_;    // the file as last read or written
  std::unique_ptr<std::vector<std::pair<Step, std::string>>> texts_;  // each step's text
  int depth_ = 0;
  std::optional<Step> current_;      // notes in the order made
  std::set<std::string> noted_;      // targets noted in the current step
  std::vector<std::size_t> groups_;  // where each note starts in `before`
  bool unrecorded_ = false;          // a change of this step went unrecorded
  bool ahead_ = false;               // NoteAhead: notes are saved together
  bool blocked_ = false;  // a history we must not write is on disk: record nothing
  std::string refusal_;
  long refusedWith_ = 0;  // the code a refused call returns
  std::string loadMessage_;
};

}  // namespace velmaro::undo
