#include "system_access/undo_journal.h"

#include <algorithm>

#include "system_access/undo_history_file.h"
#include "system_access/undo_recording.h"
#include "system_access/undo_snapshot.h"

namespace velmaro::undo {

using namespace platform;
using namespace detail;

namespace {

// Every console and Setup's companions of the session read and replace the
// history under this one lock.
constexpr std::string_view kLockName = "Velmaro undo history";
// A save waits this long for another console's save (each takes milliseconds).
constexpr unsigned kLockWaitMs = 10000;

// A removal in a step's earlier state is either a key the step created
// (alone) or a subtree the step deleted (followed by that subtree as it was).
bool IsCreatedKey(const std::vector<regfile::Key>& keys, std::size_t i) {
  return keys[i].remove && !(i + 1 < keys.size() && !keys[i + 1].remove &&
                             keys[i + 1].root == keys[i].root &&
                             LowerAscii(keys[i + 1].path) == LowerAscii(keys[i].path));
}

}  // namespace

Journal::Journal(platform::Registry& registry, FileSystem& files, std::string path, Locks& locks,
                 ChangeScope scope)
    : realRegistry_(registry),
      realFiles_(files),
      path_(std::move(path)),
      locks_(locks),
      scope_(std::move(scope)),
      registry_(std::make_unique<RecordingRegistry>(*this, registry)),
      files_(std::make_unique<RecordingFiles>(*this, files)),
      texts_(std::make_unique<StepTexts>()) {
  Load();
}

Journal::~Journal() = default;

platform::Registry& Journal::Registry() { return *registry_; }
FileSystem& Journal::Files() { return *files_; }

platform::Mouse& Journal::Mouse(platform::Mouse& real) {
  if (!mouse_) {
    realMouse_ = &real;
    mouse_ = std::make_unique<RecordingMouse>(*this, real);
  }
  return *mouse_;
}

// ---- The shared file ----

void Journal::Tell(const std::string& text) {
  if (text.empty() || refusal_.find(text) != std::string::npos) return;
  refusal_ += (refusal_.empty() ? "" : "\n\n") + text;
}

std::string Journal::TakeNotice() { return std::exchange(refusal_, {}); }

namespace {
// The first key or value outside the scope, in words; empty when none is.
std::string Outside(const ChangeScope& scope, const regfile::Key& k) {
  if (k.remove)
    return scope.AllowsEmptyKeyRemoval(k.root, k.path) ? std::string() : regfile::Describe(k.root, k.path);
  if (!scope.AllowsKey(k.root, k.path)) return regfile::Describe(k.root, k.path);
  for (const auto& v : k.values)
    if (!scope.AllowsValue(k.root, k.path, v.name)) return regfile::Describe(k.root, k.path, v.name);
  return {};
}
}  // namespace

std::string Journal::Check(const Step& step) const {
  for (const auto* file : {&step.before, &step.after})
    for (const auto& k : file->keys)
      if (const std::string what = Outside(scope_, k); !what.empty())
        return "step " + std::to_string(step.number) + " names " + what +
               ", which Velmaro does not change";
  for (const auto& f : step.files)
    if (!scope_.AllowsFile(f.path))
      return "step " + std::to_string(step.number) + " names the file " + f.path +
             ", which Velmaro does not change";
  return {};
}

bool Journal::SetAside(const std::string& why) {
  const std::string aside = path_ + ".damaged";
  std::string cause;
  if (realFiles_.Exists(aside)) {
    cause = "that name is taken";
  } else if (const long rc = realFiles_.Move(path_, aside, 0); rc != ErrorSuccess) {
    cause = FileErrorText(rc);
  }
  if (cause.empty()) {
    Tell("The undo history in " + path_ + " is damaged (" + why + ") and was set aside as " +
         aside + ". Nothing in it was applied, and earlier changes cannot be undone.");
    return true;
  }
  Tell("The undo history in " + path_ + " is damaged (" + why +
       "). Nothing in it was applied. It could not be set aside as " + aside + " (" + cause +
       "), so it is left as it is and nothing is recorded over it: changes made now cannot be "
       "undone until it is moved or deleted.");
  return false;
}

bool Journal::ReadShared(std::vector<Step>& steps, std::string& why) {
  std::string bytes;
  const long rc = realFiles_.ReadWholeFile(path_, bytes, 4 * kMaxJournalBytes);
  if (rc == ErrorFileNotFound || rc == ErrorPathNotFound) {
    steps.clear();
    lastBytes_.clear();
    blocked_ = false;  // a history left alone was dealt with
    return true;
  }
  if (rc != ErrorSuccess) {
    why = "the undo history " + path_ + " could not be read: " + FileErrorText(rc);
    return false;
  }
  if (!lastBytes_.empty() && bytes == lastBytes_) {
    steps = steps_;
    if (blocked_) why = "the undo history " + path_ + " is left as it was found";
    return !blocked_;
  }
  lastBytes_ = bytes;
  std::string reason;
  ReadStatus status = ReadHistory(bytes, realRegistry_.CodePage(), steps, &reason);
  for (const auto& step : steps) {
    if (status != ReadStatus::Ok) break;
    if (reason = Check(step); !reason.empty()) status = ReadStatus::Damaged;
  }
  if (status == ReadStatus::Ok) {
    blocked_ = false;
    return true;
  }
  steps.clear();
  if (status == ReadStatus::NewerFormat) {
    if (!blocked_)
      Tell("The undo history in " + path_ + " cannot be used: " + reason +
           ". It is left as it is, and changes made now cannot be undone.");
  } else if (SetAside(reason)) {
    lastBytes_.clear();
    blocked_ = false;
    return true;
  }
  blocked_ = true;
  why = "the undo history " + path_ + " is left as it was found";
  return false;
}

bool Journal::WriteShared(std::vector<Step>& steps, std::string& why) {
  // Bounded: the oldest steps go first, but the newest always stays.
  std::string bytes;
  for (;;) {
    if (steps.size() > kMaxSteps) {
      steps.erase(steps.begin());
      continue;
    }
    if (!WriteHistory(steps, bytes, texts_.get())) {
      why = "a name in it holds a line break";
      return false;
    }
    if (bytes.size() <= kMaxJournalBytes || steps.size() <= 1) break;
    steps.erase(steps.begin());
  }
  // The folders on the way, as the first save finds them missing.
  for (auto slash = path_.find('\\', 3); slash != std::string::npos;
       slash = path_.find('\\', slash + 1))
    if (!realFiles_.IsDirectory(path_.substr(0, slash))) realFiles_.CreateDir(path_.substr(0, slash));
  // Written through beside it, then moved over it: a failure or a kill
  // leaves the old history whole.
  const std::string temp = path_ + ".new";
  long rc = realFiles_.WriteWholeFile(temp, bytes);
  if (rc == ErrorSuccess) rc = realFiles_.Move(temp, path_, MovefileReplaceExisting | MovefileWriteThrough);
  if (rc != ErrorSuccess) {
    realFiles_.Delete(temp);
    why = "the undo history " + path_ + " could not be written: " + FileErrorText(rc);
    return false;
  }
  lastBytes_ = std::move(bytes);
  return true;
}

bool Journal::Transact(const Change& change, std::string& why) {
  if (!locks_.Take(kLockName, kLockWaitMs)) {
    why = "another Velmaro window kept the undo history busy";
    return false;
  }
  std::vector<Step> steps;
  bool ok = ReadShared(steps, why);
  if (ok) {
    steps_ = steps;
    if (change && change(steps)) {
      ok = WriteShared(steps, why);
      if (ok) steps_ = std::move(steps);
    }
  }
  locks_.Release(kLockName);
  return ok;
}

void Journal::Load() {
  std::string why;
  if (!Transact(nullptr, why) && !blocked_)
    Tell("The undo history in " + path_ + " could not be read (" + why +
         "). Changes that cannot be recorded will be refused.");
  FinishInterrupted();
  loadMessage_ = TakeNotice();
}

void Journal::Refresh() {
  std::string why;
  Transact(nullptr, why);
}

// ---- Recording a step ----

void Journal::Begin(std::string label) {
  if (depth_++ > 0) return;
  current_ = Step{};
  current_->label = std::move(label);
  noted_.clear();
  groups_.clear();
  unrecorded_ = false;
}

bool Journal::Refuse(std::string why, long code) {
  refusedWith_ = code;
  Tell(why);
  return false;
}

Step Journal::OnDisk(bool complete) const {
  Step step = *current_;
  if (complete) {
    // What the step left, for the comparison before an undo: each value as
    // it is now, each key created or deleted by whether it exists now.
    for (std::size_t g = 0; g < groups_.size(); ++g) {
      const regfile::Key& first = step.before.keys[groups_[g]];
      regfile::Key now{first.root, first.path, false, {}};
      if (first.remove) {
        now.remove = !KeyThere(realRegistry_, first.root, first.path);
      } else {
        const std::string& name = first.values.front().name;
        now.values.push_back({name, CurrentValue(realRegistry_, first.root, first.path, name)});
      }
      step.after.keys.push_back(std::move(now));
    }
    for (auto& f : step.files) {
      const auto now = CurrentFile(realFiles_, f.path);
      f.after = now ? std::optional<FileMark>(MarkOf(*now)) : std::nullopt;
    }
    if (step.mouseBefore && realMouse_)
      step.mouseAfter =
          MouseState{realMouse_->KeptDoubleClickTime(), realMouse_->KeptButtonsSwapped()};
    step.state = StepState::Done;
    step.owner.clear();
  } else {
    // What it left is not known yet; an undo puts back what it holds.
    step.mouseAfter = step.mouseBefore;
    step.state = StepState::Recording;
    step.owner = locks_.Instance();
  }
  // Undo runs the notes newest first; a group keeps its own order (a
  // subtree's removal, then each key before its subkeys; created keys
  // deepest first).
  std::vector<regfile::Key> ordered;
  for (std::size_t g = groups_.size(); g-- > 0;) {
    const std::size_t from = groups_[g];
    const std::size_t to = g + 1 < groups_.size() ? groups_[g + 1] : step.before.keys.size();
    for (std::size_t i = from; i < to; ++i) ordered.push_back(step.before.keys[i]);
  }
  step.before.keys = std::move(ordered);
  std::reverse(step.files.begin(), step.files.end());
  return step;
}

bool Journal::SaveCurrent(bool complete, std::string& why) {
  return Transact(
      [&](std::vector<Step>& steps) {
        Step step = OnDisk(complete);
        const std::string me = locks_.Instance();
        const auto ours = std::find_if(steps.begin(), steps.end(), [&](const Step& s) {
          return step.number != 0 && s.number == step.number && s.state == StepState::Recording &&
                 s.owner == me;
        });
        if (ours != steps.end()) {
          *ours = std::move(step);
          return true;
        }
        int last = 0;
        for (const auto& s : steps) last = std::max(last, s.number);
        step.number = current_->number = last + 1;
        steps.push_back(std::move(step));
        return true;
      },
      why);
}

bool Journal::AddNote(std::string id, std::vector<regfile::Key> keys,
                      std::optional<Step::File> file) {
  for (const auto& k : keys)
    if (const std::string what = Outside(scope_, k); !what.empty())
      return Refuse("Velmaro does not change " + what + ", so that change was not made.",
                    ErrorAccessDenied);
  if (file && !scope_.AllowsFile(file->path))
    return Refuse("Velmaro does not change the file " + file->path + ", so that change was not made.",
                  ErrorAccessDenied);
  const bool grouped = !keys.empty();
  if (grouped) groups_.push_back(current_->before.keys.size());
  for (auto& k : keys) current_->before.keys.push_back(std::move(k));
  if (file) current_->files.push_back(std::move(*file));
  if (ahead_) {  // saved with the rest of the batch
    noted_.insert(std::move(id));
    return true;
  }
  std::string why;
  if (SaveCurrent(false, why)) {
    noted_.insert(std::move(id));
    return true;
  }
  if (grouped) {
    current_->before.keys.resize(groups_.back());
    groups_.pop_back();
  }
  if (file) current_->files.pop_back();
  if (blocked_) {
    // A history we must not write: the change goes on unrecorded, as the
    // user was told.
    unrecorded_ = true;
    noted_.insert(std::move(id));
    return true;
  }
  return Refuse("Changes were not made, because Velmaro could not first record them for Undo (" + why + ").",
                ErrorAccessDenied);
}

void Journal::Relabel(std::string label) {
  if (current_ && current_->number == 0) current_->label = std::move(label);
}

bool Journal::NoteAhead(const std::vector<regfile::Key>& changes) {
  if (!current_) return true;
  const auto keys = current_->before.keys.size(), groups = groups_.size();
  const auto noted = noted_;
  ahead_ = true;
  bool ok = true;
  for (const auto& k : changes) {
    ok = ok && NoteKey(k.root, k.path, k.remove);
    for (const auto& v : k.values) ok = ok && NoteValue(k.root, k.path, v.name);
  }
  ahead_ = false;
  std::string why;
  if (ok && (noted_.size() == noted.size() || SaveCurrent(false, why))) return true;
  current_->before.keys.resize(keys);
  groups_.resize(groups);
  noted_ = noted;
  if (!ok) return false;
  if (blocked_) {
    unrecorded_ = true;
    return true;
  }
  return Refuse("Changes were not made, because Velmaro could not first record them for Undo (" + why + ").",
                ErrorAccessDenied);
}

bool Journal::NoteValue(HKey root, const std::string& path, const std::string& name) {
  const std::string id = "v|" + std::to_string(root) + "|" + LowerAscii(path) + "|" + LowerAscii(name);
  if (!current_ || noted_.contains(id)) return true;
  std::optional<regfile::Data> value;
  if (!CurrentValue(realRegistry_, root, path, name, value)) {
    refusedWith_ = ErrorNoUnicodeTranslation;
    return false;
  }
  return AddNote(id, {{root, path, false, {{name, std::move(value)}}}}, std::nullopt);
}

bool Journal::NoteKey(HKey root, const std::string& path, bool tree) {
  if (!current_) return true;
  if (!tree) {
    // A key about to be created: each missing key on the way is one an undo
    // removes again, deepest first, when nothing else was put in it.
    std::vector<regfile::Key> created;
    for (std::size_t end = 0; end != std::string::npos && end < path.size();) {
      end = path.find('\\', end + 1);
      const std::string prefix = path.substr(0, end);
      if (!created.empty() || !KeyThere(realRegistry_, root, prefix))
        created.insert(created.begin(), regfile::Key{root, prefix, true, {}});
    }
    if (created.empty()) return true;  // every key exists already
    const std::string id = "k|" + std::to_string(root) + "|" + LowerAscii(path);
    if (noted_.contains(id)) return true;
    return AddNote(id, std::move(created), std::nullopt);
  }
  const std::string id = "t|" + std::to_string(root) + "|" + LowerAscii(path);
  if (noted_.contains(id)) return true;
  std::vector<regfile::Key> subtree;
  if (!Snapshot(realRegistry_, root, path, subtree)) {
    refusedWith_ = ErrorNoUnicodeTranslation;
    return false;
  }
  if (subtree.empty()) {  // nothing there to lose
    noted_.insert(id);
    return true;
  }
  subtree.insert(subtree.begin(), regfile::Key{root, path, true, {}});
  return AddNote(id, std::move(subtree), std::nullopt);
}

bool Journal::NoteFile(std::string_view path) {
  if (!current_) return true;
  const std::string id = "f|" + LowerAscii(path);
  if (noted_.contains(id)) return true;
  std::uint32_t attributes = InvalidFileAttributes;
  std::optional<FileState> before;
  if (realFiles_.GetAttributes(path, attributes) == ErrorSuccess &&
      !(attributes & FileAttributeDirectory)) {
    before = CurrentFile(realFiles_, path);
    if (!before) {  // there, but too large or unreadable to keep
      refusedWith_ = ErrorFileTooLarge;
      return false;
    }
  }
  return AddNote(id, {}, Step::File{std::string(path), std::move(before), std::nullopt});
}

bool Journal::NoteMouse() {
  if (depth_ == 0 || !current_ || current_->mouseBefore || !realMouse_) return true;
  current_->mouseBefore =
      MouseState{realMouse_->KeptDoubleClickTime(), realMouse_->KeptButtonsSwapped()};
  std::string why;
  if (SaveCurrent(false, why)) return true;
  current_->mouseBefore.reset();
  if (blocked_) {
    unrecorded_ = true;
    return true;
  }
  return Refuse("Changes were not made, because Velmaro could not first record them for Undo (" + why + ").",
                ErrorAccessDenied);
}

bool Journal::End() {
  if (depth_ == 0 || --depth_ > 0) return true;
  bool ok = !unrecorded_;
  if (current_->number != 0) {
    std::string why;
    ok = SaveCurrent(true, why) && ok;
  }
  current_.reset();
  return ok;
}

// ---- Undo ----

std::string Journal::NextLabel() const { return steps_.empty() ? std::string() : steps_.back().label; }

std::vector<std::string> Journal::ChangedSince() const {
  return steps_.empty() ? std::vector<std::string>{} : ChangedSince(steps_.back());
}

std::vector<std::string> Journal::ChangedSince(const Step& step) const {
  std::vector<std::string> changed;
  const auto add = [&](std::string what) {
    if (std::find(changed.begin(), changed.end(), what) == changed.end())
      changed.push_back(std::move(what));
  };
  // A key the step created holds only what the step put there, unless
  // someone added to it since.
  for (std::size_t i = 0; i < step.before.keys.size(); ++i) {
    if (!IsCreatedKey(step.before.keys, i)) continue;
    const regfile::Key& k = step.before.keys[i];
    std::vector<std::string> values, subkeys;
    if (!Contents(realRegistry_, k.root, k.path, values, subkeys)) continue;
    const auto own = [&](const std::string& path, const std::string* value) {
      return std::any_of(step.before.keys.begin(), step.before.keys.end(), [&](const regfile::Key& o) {
        if (LowerAscii(o.path) != LowerAscii(path) || o.root != k.root) return false;
        if (!value) return o.remove;
        return std::any_of(o.values.begin(), o.values.end(),
                           [&](const regfile::Value& v) { return LowerAscii(v.name) == LowerAscii(*value); });
      });
    };
    for (const auto& v : values)
      if (!own(k.path, &v)) add(regfile::Describe(k.root, k.path, v));
    for (const auto& s : subkeys)
      if (!own(JoinPath(k.path, s), nullptr)) add(regfile::Describe(k.root, JoinPath(k.path, s)));
  }
  if (step.state != StepState::Done) return changed;  // what it left is not known
  for (const auto& k : step.after.keys) {
    if (k.values.empty()) {
      if (KeyThere(realRegistry_, k.root, k.path) == k.remove) add(regfile::Describe(k.root, k.path));
      continue;
    }
    for (const auto& v : k.values)
      if (CurrentValue(realRegistry_, k.root, k.path, v.name) != v.data)
        add(regfile::Describe(k.root, k.path, v.name));
  }
  for (const auto& f : step.files) {
    const auto now = CurrentFile(realFiles_, f.path);
    const std::optional<FileMark> mark = now ? std::optional<FileMark>(MarkOf(*now)) : std::nullopt;
    if (mark != f.after) add(f.path);
  }
  if (step.mouseAfter && realMouse_ &&
      MouseState{realMouse_->KeptDoubleClickTime(), realMouse_->KeptButtonsSwapped()} !=
          *step.mouseAfter)
    add("the mouse settings");
  return changed;
}

std::vector<std::string> Journal::PutBack(const Step& step, std::vector<std::string>& restored) {
  std::vector<std::string> failed;
  // Files first: they are what most often refuses (a file held open), and
  // stopping there leaves the registry as the step left it.
  for (const auto& f : step.files) {
    const long rc = f.before ? PutFile(realFiles_, f.path, *f.before) : RemoveFile(realFiles_, f.path);
    (rc == ErrorSuccess ? restored : failed).push_back(f.path);
    if (rc != ErrorSuccess) return failed;
  }
  if (step.mouseBefore) {
    const bool ok = realMouse_ && realMouse_->SaveDoubleClickTime(step.mouseBefore->doubleClickTime) &&
                    realMouse_->SaveButtonsSwapped(step.mouseBefore->swapped);
    (ok ? restored : failed).push_back("the mouse settings");
    if (!ok) return failed;
  }
  for (const auto& k : step.before.keys) {
    if (k.remove) {
      // Removed only when it holds nothing: what others put there since stays.
      std::vector<std::string> values, subkeys;
      if (!Contents(realRegistry_, k.root, k.path, values, subkeys) || !values.empty() ||
          !subkeys.empty())
        continue;
      const long rc = realRegistry_.DeleteKey(k.root, k.path);
      (rc == ErrorSuccess || rc == ErrorFileNotFound ? restored : failed)
          .push_back(regfile::Describe(k.root, k.path) + " (removed)");
      continue;
    }
    const regfile::Outcome outcome = regfile::Apply(regfile::File{{}, {k}}, realRegistry_);
    restored.insert(restored.end(), outcome.done.begin(), outcome.done.end());
    failed.insert(failed.end(), outcome.failed.begin(), outcome.failed.end());
  }
  return failed;
}

UndoResult Journal::Undo(const std::function<bool(const std::vector<std::string>&)>& confirm) {
  UndoResult result;
  std::string why;
  if (!Transact(nullptr, why) || blocked_) {
    result.refused = "Undo cannot read the undo history: " + (why.empty() ? "it is left as it was found" : why) + ".";
    return result;
  }
  if (steps_.empty()) {
    result.refused = "There is nothing to undo.";
    return result;
  }
  const Step top = steps_.back();
  result.label = top.label;
  const std::string me = locks_.Instance();
  if (top.state != StepState::Done && top.owner != me && !locks_.Ended(top.owner)) {
    result.refused = "\"" + top.label + "\" is still being " +
                     (top.state == StepState::Recording ? "made" : "undone") +
                     " in another Velmaro window. Undo can be tried again when it is done.";
    return result;
  }
  // An undo that was stopped part-way was asked for already: it is finished.
  if (top.state != StepState::Undoing) {
    const auto changed = ChangedSince(top);
    if (!changed.empty() && !(confirm && confirm(changed))) {
      result.declined = true;
      return result;
    }
  }
  bool moved = false;
  const bool marked = Transact(
      [&](std::vector<Step>& steps) {
        if (steps.empty() || !(steps.back() == top)) return moved = true, false;
        steps.back().state = StepState::Undoing;
        steps.back().owner = me;
        return true;
      },
      why);
  if (!marked || moved) {
    result.refused = moved ? "The undo history was changed meanwhile in another Velmaro window, so "
                             "nothing was undone. Undo can be tried again."
                           : "Nothing was undone: " + why + ".";
    return result;
  }
  result.failed = PutBack(top, result.restored);
  Transact(
      [&](std::vector<Step>& steps) {
        const auto it = std::find_if(steps.begin(), steps.end(), [&](const Step& s) {
          return s.number == top.number && s.state == StepState::Undoing && s.owner == me;
        });
        if (it == steps.end()) return false;
        if (result.failed.empty()) {
          steps.erase(it);
        } else {  // kept, so that it can be tried again
          it->state = top.state == StepState::Undoing ? StepState::Done : top.state;
          it->owner = top.state == StepState::Undoing ? std::string() : top.owner;
        }
        return true;
      },
      why);
  result.done = result.failed.empty();
  return result;
}

void Journal::FinishInterrupted() {
  for (std::size_t i = steps_.size(); i-- > 0;) {
    if (i >= steps_.size()) continue;
    const Step step = steps_[i];
    if (step.state != StepState::Undoing || !locks_.Ended(step.owner)) continue;
    std::string why;
    const std::string me = locks_.Instance();
    bool found = false;
    Transact(
        [&](std::vector<Step>& steps) {
          for (auto& s : steps)
            if (s == step) s.owner = me, found = true;
          return found;
        },
        why);
    if (!found) continue;
    std::vector<std::string> restored;
    const auto failed = PutBack(step, restored);
    Transact(
        [&](std::vector<Step>& steps) {
          const auto it = std::find_if(steps.begin(), steps.end(), [&](const Step& s) {
            return s.number == step.number && s.state == StepState::Undoing && s.owner == me;
          });
          if (it == steps.end()) return false;
          if (failed.empty()) {
            steps.erase(it);
          } else {
            it->state = StepState::Done;
            it->owner.clear();
          }
          return true;
        },
        why);
    Tell(failed.empty() ? "An Undo of \"" + step.label +
                              "\" was stopped before it was done. It was finished now."
                        : "An Undo of \"" + step.label +
                              "\" was stopped before it was done, and could not be finished now. "
                              "It can be tried again.");
  }
}

}  // namespace velmaro::undo
