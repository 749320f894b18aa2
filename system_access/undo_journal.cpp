#include "system_access/undo_journal.h"

#include "platform/forwarding.h"
#include "system_access/key_paths.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace velmaro::undo {
namespace {

using namespace platform;

constexpr std::string_view kTitle = "Velmaro undo journal, format ";
constexpr std::string_view kEol = "\r\n";
constexpr std::uint32_t kNameCapacity = 16384;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Join(std::string_view path, std::string_view sub) {
  if (path.empty()) return std::string(sub);
  if (sub.empty()) return std::string(path);
  return std::string(path) + "\\" + std::string(sub);
}

std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t h = 1469598103934665603ull;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

std::string Hex(std::uint64_t v) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

// ---- The registry as it is now ----

class OpenedKey {
public:
  OpenedKey(Registry& r, HKey root, std::string_view path) : r_(r) {
    if (r_.OpenKey(root, path, key_) != ErrorSuccess) key_ = 0;
  }
  ~OpenedKey() {
    if (key_) r_.CloseKey(key_);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  explicit operator bool() const { return key_ != 0; }
  HKey get() const { return key_; }

private:
  Registry& r_;
  HKey key_ = 0;
};

// A value as it is: absent, or its type and bytes. False when it is there
// but cannot be read as it is (text the code page lacks): such a value could
// not be put back, so what would change it is refused.
bool ValueIn(Registry& r, HKey key, std::string_view name, std::optional<regfile::Data>& out) {
  out.reset();
  std::uint32_t type = 0, size = 0;
  const long rc = r.QueryValue(key, name, &type, nullptr, &size);
  if (rc == ErrorFileNotFound) return true;
  if (rc != ErrorSuccess) return false;
  std::string bytes(size, '\0');
  if (size > 0 && r.QueryValue(key, name, &type, reinterpret_cast<std::uint8_t*>(bytes.data()),
                               &size) != ErrorSuccess)
    return false;
  bytes.resize(size);
  out = regfile::Data{type, std::move(bytes)};
  return true;
}

bool CurrentValue(Registry& r, HKey root, std::string_view path, std::string_view name,
                  std::optional<regfile::Data>& out) {
  out.reset();
  OpenedKey key(r, root, path);
  return !key || ValueIn(r, key.get(), name, out);
}

std::optional<regfile::Data> CurrentValue(Registry& r, HKey root, std::string_view path,
                                          std::string_view name) {
  std::optional<regfile::Data> value;
  CurrentValue(r, root, path, name, value);
  return value;
}

bool KeyThere(Registry& r, HKey root, std::string_view path) {
  return static_cast<bool>(OpenedKey(r, root, path));
}

// The key and everything below it, parents before their subkeys; false when
// a value in it cannot be read as it is.
bool Snapshot(Registry& r, HKey root, const std::string& path, std::vector<regfile::Key>& out) {
  OpenedKey key(r, root, path);
  if (!key) return true;
  regfile::Key entry{root, path, false, {}};
  std::uint32_t type = 0;
  std::string name;
  long rc = ErrorSuccess;
  for (std::uint32_t i = 0;
       (rc = r.EnumValue(key.get(), i, name, kNameCapacity, &type, 0xFFFFFFFFu)) == ErrorSuccess;
       ++i) {
    std::optional<regfile::Data> value;
    if (!ValueIn(r, key.get(), name, value)) return false;
    entry.values.push_back({name, std::move(value)});
  }
  // A name no call can reach again cannot be put back either.
  if (rc == ErrorNoUnicodeTranslation) return false;
  out.push_back(std::move(entry));
  std::vector<std::string> subkeys;
  for (std::uint32_t i = 0;
       (rc = r.EnumKey(key.get(), i, name, kNameCapacity)) == ErrorSuccess; ++i)
    subkeys.push_back(name);
  if (rc == ErrorNoUnicodeTranslation) return false;
  for (const auto& sub : subkeys)
    if (!Snapshot(r, root, Join(path, sub), out)) return false;
  return true;
}

// Whether the history can keep these states as they are. Its format holds
// names in the ANSI code page: a change to an entry named outside it is
// refused, as one whose value cannot be read is.
bool Recordable(const std::vector<regfile::Key>& keys, const AnsiCodePage& codePage) {
  std::string scratch;
  return regfile::Write(regfile::File{{}, keys}, codePage, scratch);
}

std::optional<FileState> CurrentFile(FileSystem& fs, std::string_view path) {
  std::uint32_t attributes = InvalidFileAttributes;
  if (fs.GetAttributes(path, attributes) != ErrorSuccess ||
      (attributes & FileAttributeDirectory))
    return std::nullopt;
  FileState state{attributes & (FileAttributeReadOnly | FileAttributeHidden |
                                FileAttributeSystem | FileAttributeArchive),
                  {}};
  if (fs.ReadWholeFile(path, state.bytes, kMaxRecordedFileBytes) != ErrorSuccess)
    return std::nullopt;
  return state;
}

// Replaces a file in one step, so that a failure leaves the old one whole.
long PutFile(FileSystem& fs, const std::string& path, const FileState& state) {
  const std::string temp = path + ".velmaro-undo";
  fs.SetAttributes(temp, FileAttributeNormal);
  fs.Delete(temp);
  long rc = fs.WriteWholeFile(temp, state.bytes);
  if (rc == ErrorSuccess) rc = fs.SetAttributes(temp, state.attributes ? state.attributes
                                                                       : FileAttributeNormal);
  std::uint32_t old = InvalidFileAttributes;
  const bool oldThere = fs.GetAttributes(path, old) == ErrorSuccess;
  if (rc == ErrorSuccess && oldThere && (old & FileAttributeReadOnly))
    rc = fs.SetAttributes(path, old & ~FileAttributeReadOnly);
  if (rc == ErrorSuccess)
    rc = fs.Move(temp, path, MovefileReplaceExisting | MovefileWriteThrough);
  if (rc != ErrorSuccess) {
    if (oldThere) fs.SetAttributes(path, old);
    fs.SetAttributes(temp, FileAttributeNormal);
    fs.Delete(temp);
  }
  return rc;
}

long RemoveFile(FileSystem& fs, const std::string& path) {
  if (!fs.Exists(path)) return ErrorSuccess;
  fs.SetAttributes(path, FileAttributeNormal);
  return fs.Delete(path);
}

// ---- The journal file ----

void Line(std::string& out, std::string_view text) {
  out += text;
  out += kEol;
}

void Block(std::string& out, std::string_view head, std::string_view bytes) {
  Line(out, std::string(head) + " " + std::to_string(bytes.size()));
  out += bytes;
  out += kEol;
}


class Reader {
public:
  explicit Reader(std::string_view bytes) : rest_(bytes) {}
  bool Line(std::string& out) {
    const auto end = rest_.find(kEol);
    if (end == std::string_view::npos) return false;
    out.assign(rest_.substr(0, end));
    rest_.remove_prefix(end + kEol.size());
    return true;
  }
  bool Bytes(std::size_t n, std::string& out) {
    if (rest_.size() < n + kEol.size() || rest_.substr(n, kEol.size()) != kEol) return false;
    out.assign(rest_.substr(0, n));
    rest_.remove_prefix(n + kEol.size());
    return true;
  }
  bool Empty() const { return rest_.empty(); }
  const char* Position() const { return rest_.data(); }

private:
  std::string_view rest_;
};

bool Word(std::string& line, std::string_view word) {
  if (line.rfind(std::string(word) + " ", 0) != 0) return false;
  line.erase(0, word.size() + 1);
  return true;
}

bool Number(std::string_view text, std::uint64_t& v, int base = 10) {
  if (text.empty() || text.size() > 16) return false;
  v = 0;
  for (const char c : text) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 99;
    if (d >= base) return false;
    v = v * base + d;
  }
  return true;
}

bool ReadFileState(Reader& r, std::string line, std::optional<FileState>& out) {
  if (!Word(line, "before")) return false;
  if (line == "absent") {
    out.reset();
    return true;
  }
  const auto blank = line.find(' ');
  std::uint64_t attrs = 0, size = 0;
  if (blank == std::string::npos || !Number(line.substr(0, blank), attrs, 16) ||
      !Number(line.substr(blank + 1), size) || attrs > 0xFFFFFFFFu || size > kMaxRecordedFileBytes)
    return false;
  FileState s{static_cast<std::uint32_t>(attrs), {}};
  if (!r.Bytes(size, s.bytes)) return false;
  out = std::move(s);
  return true;
}

bool ReadFileMark(std::string line, std::optional<FileMark>& out) {
  if (!Word(line, "after")) return false;
  if (line == "absent") {
    out.reset();
    return true;
  }
  const auto a = line.find(' '), b = line.find(' ', a + 1);
  std::uint64_t attrs = 0;
  FileMark m;
  if (a == std::string::npos || b == std::string::npos || !Number(line.substr(0, a), attrs, 16) ||
      attrs > 0xFFFFFFFFu || !Number(line.substr(a + 1, b - a - 1), m.size) ||
      !Number(line.substr(b + 1), m.hash, 16))
    return false;
  m.attributes = static_cast<std::uint32_t>(attrs);
  out = m;
  return true;
}

std::string AttrText(std::uint32_t attributes) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", attributes);
  return text;
}

bool ReadStep(Reader& r, std::string first, const AnsiCodePage& codePage, Step& step,
              std::string& why) {
  std::uint64_t number = 0;
  std::string line, bytes;
  if (!Word(first, "step") || !Number(first, number) || number > 999999999) {
    why = "a step without its number";
    return false;
  }
  step.number = static_cast<int>(number);
  if (!r.Line(line) || !Word(line, "label")) return why = "a step without its label", false;
  step.label = line;
  std::uint64_t size = 0;
  if (!r.Line(line) || !Word(line, "before") || !Number(line, size) || !r.Bytes(size, bytes) ||
      !regfile::Read(bytes, codePage, step.before))
    return why = "step " + std::to_string(number) + ": its registry state cannot be read", false;
  if (!r.Line(line) || !Word(line, "after") || !Number(line, size) || !r.Bytes(size, bytes) ||
      !regfile::Read(bytes, codePage, step.after))
    return why = "step " + std::to_string(number) + ": its registry result cannot be read", false;
  for (;;) {
    if (!r.Line(line)) return why = "step " + std::to_string(number) + " is cut short", false;
    if (Word(line, "file")) {
      Step::File f;
      f.path = line;
      std::string b, a;
      if (!r.Line(b) || !ReadFileState(r, b, f.before) || !r.Line(a) || !ReadFileMark(a, f.after))
        return why = "step " + std::to_string(number) + ": a file cannot be read", false;
      step.files.push_back(std::move(f));
      continue;
    }
    if (Word(line, "mouse")) {
      std::uint64_t v[4] = {};
      std::size_t pos = 0;
      for (int i = 0; i < 4; ++i) {
        const auto blank = line.find(' ', pos);
        if (!Number(line.substr(pos, blank == std::string::npos ? blank : blank - pos), v[i]) ||
            v[i] > 0xFFFFFFFFu || ((i == 1 || i == 3) && v[i] > 1))
          return why = "step " + std::to_string(number) + ": its mouse line cannot be read", false;
        pos = blank == std::string::npos ? line.size() : blank + 1;
      }
      step.mouseBefore = MouseState{static_cast<unsigned>(v[0]), v[1] == 1};
      step.mouseAfter = MouseState{static_cast<unsigned>(v[2]), v[3] == 1};
      continue;
    }
    if (line == "end " + std::to_string(number)) return true;
    return why = "step " + std::to_string(number) + ": an unexpected line", false;
  }
}

}  // namespace

FileMark MarkOf(const FileState& state) {
  return {state.attributes, state.bytes.size(), Fnv1a(state.bytes)};
}

// ---- The journal file ----
//
// Velmaro undo journal, format 1
// step 17
// label Apply 'Windows' settings
// before <n>      then n bytes: a REGEDIT4 text of the state before
// after <n>       then n bytes: a REGEDIT4 text of what the step left
// file c:\msdos.sys
// before <attributes, hex> <n>   then the n bytes the file held (or "before absent")
// after <attributes> <size> <hash>                                (or "after absent")
// end 17
// check <hash of every byte above>

bool WriteJournal(const std::vector<Step>& steps, const AnsiCodePage& codePage, std::string& out) {
  out.clear();
  Line(out, std::string(kTitle) + std::to_string(kFormat));
  Line(out, "; Each step holds how things were before one change Velmaro made.");
  for (const auto& step : steps) {
    std::string before, after;
    if (!regfile::Write(step.before, codePage, before) ||
        !regfile::Write(step.after, codePage, after))
      return false;
    Line(out, "step " + std::to_string(step.number));
    Line(out, "label " + step.label);
    Block(out, "before", before);
    Block(out, "after", after);
    for (const auto& f : step.files) {
      Line(out, "file " + f.path);
      if (f.before) {
        Block(out, "before " + AttrText(f.before->attributes), f.before->bytes);
      } else {
        Line(out, "before absent");
      }
      Line(out, f.after ? "after " + AttrText(f.after->attributes) + " " +
                              std::to_string(f.after->size) + " " + Hex(f.after->hash)
                        : std::string("after absent"));
    }
    if (step.mouseBefore && step.mouseAfter)
      Line(out, "mouse " + std::to_string(step.mouseBefore->doubleClickTime) + " " +
                    (step.mouseBefore->swapped ? "1" : "0") + " " +
                    std::to_string(step.mouseAfter->doubleClickTime) + " " +
                    (step.mouseAfter->swapped ? "1" : "0"));
    Line(out, "end " + std::to_string(step.number));
  }
  Line(out, "check " + Hex(Fnv1a(out)));
  return true;
}

ReadStatus ReadJournal(std::string_view bytes, const AnsiCodePage& codePage,
                       std::vector<Step>& steps, std::string* why) {
  steps.clear();
  std::string reason;
  const auto damaged = [&](std::string text) {
    steps.clear();
    if (why) *why = std::move(text);
    return ReadStatus::Damaged;
  };
  Reader r(bytes);
  std::string line;
  if (!r.Line(line) || !line.starts_with(kTitle)) return damaged("it is not an undo journal");
  std::uint64_t format = 0;
  if (!Number(line.substr(kTitle.size()), format)) return damaged("its format cannot be read");
  if (format > static_cast<std::uint64_t>(kFormat)) {
    if (why) *why = "it was written by a newer Velmaro (format " + std::to_string(format) + ")";
    return ReadStatus::NewerFormat;
  }
  // The check line covers every byte before it: anything cut short or
  // altered is caught before a step is used.
  const auto check = bytes.rfind("check ");
  if (check == std::string_view::npos || (check != 0 && bytes[check - 1] != '\n'))
    return damaged("it is cut short");
  std::string last(bytes.substr(check));
  if (last != "check " + Hex(Fnv1a(bytes.substr(0, check))) + std::string(kEol))
    return damaged("its content does not match its check line");
  Reader body(bytes.substr(0, check));
  body.Line(line);
  while (body.Line(line)) {
    if (line.starts_with(";")) continue;
    Step step;
    if (!ReadStep(body, line, codePage, step, reason)) return damaged(reason);
    steps.push_back(std::move(step));
  }
  return ReadStatus::Ok;
}

// ---- The recording stand-ins ----

class Journal::RecordingRegistry final : public platform::ForwardingRegistry {
public:
  RecordingRegistry(Journal& journal, platform::Registry& real)
      : platform::ForwardingRegistry(real), j_(journal) {}

  long OpenKey(HKey root, std::string_view path, HKey& out) override {
    const long rc = real_.OpenKey(root, path, out);
    if (rc == ErrorSuccess) paths_.Remember(out, root, path);
    return rc;
  }
  long CreateKey(HKey root, std::string_view path, HKey& out) override {
    const auto [r, p] = paths_.Resolve(root, path);
    // An absent key is recorded, unless the history cannot name it.
    if (j_.depth_ > 0 && !j_.NoteKey(r, p, false)) return ErrorNoUnicodeTranslation;
    const long rc = real_.CreateKey(root, path, out);
    if (rc == ErrorSuccess) paths_.Remember(out, root, path);
    return rc;
  }
  long CloseKey(HKey key) override {
    paths_.Forget(key);
    return real_.CloseKey(key);
  }
  // A change whose old state cannot be recorded is refused, as the system
  // refuses text the code page lacks: nothing changes that undo could not
  // put back.
  long SetValue(HKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    if (!NoteValue(key, name)) return ErrorNoUnicodeTranslation;
    return real_.SetValue(key, name, type, data, size);
  }
  long SetValueExact(HKey key, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override {
    if (!NoteValue(key, name)) return ErrorNoUnicodeTranslation;
    return real_.SetValueExact(key, name, type, data, size);
  }
  long DeleteKey(HKey root, std::string_view path) override {
    const auto [r, p] = paths_.Resolve(root, path);
    if (j_.depth_ > 0 && !j_.NoteKey(r, p, true)) return ErrorNoUnicodeTranslation;
    return real_.DeleteKey(root, path);
  }
  long DeleteValue(HKey key, std::string_view name) override {
    if (!NoteValue(key, name)) return ErrorNoUnicodeTranslation;
    return real_.DeleteValue(key, name);
  }

private:
  bool NoteValue(HKey key, std::string_view name) {
    if (j_.depth_ == 0) return true;
    const auto [r, p] = paths_.Resolve(key);
    return j_.NoteValue(r, p, std::string(name));
  }

  Journal& j_;
  KeyPaths paths_;
};

class Journal::RecordingFiles final : public platform::ForwardingFiles {
public:
  RecordingFiles(Journal& journal, FileSystem& real)
      : platform::ForwardingFiles(real), j_(journal) {}

  long SetAttributes(std::string_view path, std::uint32_t attributes) override {
    if (!Note(path)) return ErrorFileTooLarge;
    return real_.SetAttributes(path, attributes);
  }
  long WriteWholeFile(std::string_view path, std::string_view bytes) override {
    if (!Note(path)) return ErrorFileTooLarge;
    return real_.WriteWholeFile(path, bytes);
  }
  long Move(std::string_view from, std::string_view to, std::uint32_t flags) override {
    if (!Note(from) || !Note(to)) return ErrorFileTooLarge;
    return real_.Move(from, to, flags);
  }
  long Delete(std::string_view path) override {
    if (!Note(path)) return ErrorFileTooLarge;
    return real_.Delete(path);
  }
  long Copy(std::string_view from, std::string_view to, bool failIfExists) override {
    if (!Note(to)) return ErrorFileTooLarge;
    return real_.Copy(from, to, failIfExists);
  }
  // Folders pass through unrecorded: the console creates and removes none.

private:
  // A file too large to record is not changed either.
  bool Note(std::string_view path) { return j_.depth_ == 0 || j_.NoteFile(path); }

  Journal& j_;
};

class Journal::RecordingMouse final : public platform::ForwardingMouse {
public:
  RecordingMouse(Journal& journal, platform::Mouse& real)
      : platform::ForwardingMouse(real), j_(journal) {}
  // Only what is kept for the next log-on is a change to undo; the test
  // box's trial time passes through.
  bool SaveDoubleClickTime(unsigned ms) override {
    j_.NoteMouse();
    return real_.SaveDoubleClickTime(ms);
  }
  bool SaveButtonsSwapped(bool swap) override {
    j_.NoteMouse();
    return real_.SaveButtonsSwapped(swap);
  }

private:
  Journal& j_;
};

// ---- The journal ----

Journal::Journal(platform::Registry& registry, FileSystem& files, std::string path)
    : realRegistry_(registry),
      realFiles_(files),
      path_(std::move(path)),
      registry_(std::make_unique<RecordingRegistry>(*this, registry)),
      files_(std::make_unique<RecordingFiles>(*this, files)) {
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

void Journal::NoteMouse() {
  if (!current_ || current_->mouseBefore || !realMouse_) return;
  current_->mouseBefore =
      MouseState{realMouse_->KeptDoubleClickTime(), realMouse_->KeptButtonsSwapped()};
}

void Journal::Load() {
  std::string bytes;
  const long rc = realFiles_.ReadWholeFile(path_, bytes, 4 * kMaxJournalBytes);
  if (rc == ErrorFileNotFound || rc == ErrorPathNotFound) return;
  std::string why;
  const ReadStatus status =
      rc == ErrorSuccess ? ReadJournal(bytes, realRegistry_.CodePage(), steps_, &why)
                         : ReadStatus::Damaged;
  if (status == ReadStatus::NewerFormat) {
    readOnly_ = true;
    loadMessage_ = "The undo history in " + path_ + " cannot be used: " + why +
                   ". It is left as it is, and changes made now cannot be undone.";
  } else if (status == ReadStatus::Damaged) {
    // Set aside, never used in part; a new history starts.
    const std::string aside = path_ + ".damaged";
    realFiles_.Delete(aside);
    realFiles_.Move(path_, aside, MovefileReplaceExisting);
    loadMessage_ = "The undo history in " + path_ + " is damaged (" +
                   (why.empty() ? "it cannot be read" : why) +
                   ") and was set aside as " + aside + ". Earlier changes cannot be undone.";
  }
}

bool Journal::Save() {
  if (readOnly_) return false;
  // Bounded: the oldest steps go first, but the newest always stays.
  std::string bytes;
  for (;;) {
    if (steps_.size() > kMaxSteps) {
      steps_.erase(steps_.begin());
      continue;
    }
    if (!WriteJournal(steps_, realRegistry_.CodePage(), bytes)) return false;
    if (bytes.size() <= kMaxJournalBytes || steps_.size() <= 1) break;
    steps_.erase(steps_.begin());
  }
  // The folders on the way, as the first save finds them missing.
  for (auto slash = path_.find('\\', 3); slash != std::string::npos;
       slash = path_.find('\\', slash + 1))
    if (!realFiles_.IsDirectory(path_.substr(0, slash))) realFiles_.CreateDir(path_.substr(0, slash));
  const std::string temp = path_ + ".new";
  if (realFiles_.WriteWholeFile(temp, bytes) != ErrorSuccess ||
      realFiles_.Move(temp, path_, MovefileReplaceExisting | MovefileWriteThrough) !=
          ErrorSuccess) {
    realFiles_.Delete(temp);
    return false;
  }
  return true;
}

void Journal::Begin(std::string label) {
  if (depth_++ > 0) return;
  current_ = Step{};
  current_->number = steps_.empty() ? 1 : steps_.back().number + 1;
  current_->label = std::move(label);
  noted_.clear();
  groups_.clear();
}

bool Journal::NoteValue(HKey root, const std::string& path, const std::string& name) {
  const std::string id = "v|" + std::to_string(root) + "|" + Lower(path) + "|" + Lower(name);
  if (!current_ || std::find(noted_.begin(), noted_.end(), id) != noted_.end()) return true;
  std::optional<regfile::Data> value;
  if (!CurrentValue(realRegistry_, root, path, name, value)) return false;
  regfile::Key before{root, path, false, {{name, std::move(value)}}};
  if (!Recordable({before}, realRegistry_.CodePage())) return false;
  noted_.push_back(id);
  groups_.push_back(current_->before.keys.size());
  current_->before.keys.push_back(std::move(before));
  return true;
}

bool Journal::NoteKey(HKey root, const std::string& path, bool tree) {
  if (!current_) return true;
  if (!tree) {
    // A key about to be created: the first missing one on the way is what an
    // undo removes, with whatever was made below it.
    std::string prefix;
    std::size_t pos = 0;
    while (pos <= path.size()) {
      const auto end = std::min(path.find('\\', pos), path.size());
      prefix = path.substr(0, end);
      if (!KeyThere(realRegistry_, root, prefix)) break;
      pos = end + 1;
      if (end == path.size()) return true;  // every key exists already
    }
    const std::string id = "k|" + std::to_string(root) + "|" + Lower(prefix);
    if (std::find(noted_.begin(), noted_.end(), id) != noted_.end()) return true;
    if (!Recordable({{root, prefix, true, {}}}, realRegistry_.CodePage())) return false;
    noted_.push_back(id);
    groups_.push_back(current_->before.keys.size());
    current_->before.keys.push_back({root, prefix, true, {}});
    return true;
  }
  const std::string id = "t|" + std::to_string(root) + "|" + Lower(path);
  if (std::find(noted_.begin(), noted_.end(), id) != noted_.end()) return true;
  std::vector<regfile::Key> subtree;
  if (!Snapshot(realRegistry_, root, path, subtree) ||
      !Recordable(subtree, realRegistry_.CodePage()))
    return false;
  noted_.push_back(id);
  if (subtree.empty()) return true;  // nothing there to lose
  // Removing it first gives the subtree back exactly, without what was added.
  groups_.push_back(current_->before.keys.size());
  current_->before.keys.push_back({root, path, true, {}});
  for (auto& k : subtree) current_->before.keys.push_back(std::move(k));
  return true;
}

bool Journal::NoteFile(std::string_view path) {
  if (!current_) return true;
  const std::string id = "f|" + Lower(path);
  if (std::find(noted_.begin(), noted_.end(), id) != noted_.end()) return true;
  std::uint32_t attributes = InvalidFileAttributes;
  std::optional<FileState> before;
  if (realFiles_.GetAttributes(path, attributes) == ErrorSuccess &&
      !(attributes & FileAttributeDirectory)) {
    before = CurrentFile(realFiles_, path);
    if (!before) return false;  // there, but too large or unreadable to keep
  }
  noted_.push_back(id);
  current_->files.push_back({std::string(path), std::move(before), std::nullopt});
  return true;
}

void Journal::Finish(Step& step) {
  // What the step left, for the comparison before an undo: each value as it
  // is now, each key created or deleted by whether it exists now.
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
  // Undo runs the notes newest first; a subtree keeps its own order
  // (removal, then each key before its subkeys).
  std::vector<regfile::Key> ordered;
  for (std::size_t g = groups_.size(); g-- > 0;) {
    const std::size_t from = groups_[g];
    const std::size_t to = g + 1 < groups_.size() ? groups_[g + 1] : step.before.keys.size();
    for (std::size_t i = from; i < to; ++i) ordered.push_back(std::move(step.before.keys[i]));
  }
  step.before.keys = std::move(ordered);
  for (auto& f : step.files) {
    const auto now = CurrentFile(realFiles_, f.path);
    f.after = now ? std::optional<FileMark>(MarkOf(*now)) : std::nullopt;
  }
  std::reverse(step.files.begin(), step.files.end());
  if (step.mouseBefore && realMouse_)
    step.mouseAfter = MouseState{realMouse_->KeptDoubleClickTime(), realMouse_->KeptButtonsSwapped()};
  else
    step.mouseBefore.reset();
}

bool Journal::End() {
  if (depth_ == 0 || --depth_ > 0) return true;
  Step step = std::move(*current_);
  current_.reset();
  if (step.before.keys.empty() && step.files.empty() && !step.mouseBefore) return true;
  Finish(step);
  steps_.push_back(std::move(step));
  return Save();
}

std::string Journal::NextLabel() const { return steps_.empty() ? std::string() : steps_.back().label; }

std::vector<std::string> Journal::ChangedSince() const {
  std::vector<std::string> changed;
  if (steps_.empty()) return changed;
  const Step& step = steps_.back();
  for (const auto& k : step.after.keys) {
    if (k.values.empty()) {
      if (KeyThere(realRegistry_, k.root, k.path) == k.remove) changed.push_back(regfile::Describe(k.root, k.path));
      continue;
    }
    for (const auto& v : k.values)
      if (CurrentValue(realRegistry_, k.root, k.path, v.name) != v.data)
        changed.push_back(regfile::Describe(k.root, k.path, v.name));
  }
  for (const auto& f : step.files) {
    const auto now = CurrentFile(realFiles_, f.path);
    const std::optional<FileMark> mark = now ? std::optional<FileMark>(MarkOf(*now)) : std::nullopt;
    if (mark != f.after) changed.push_back(f.path);
  }
  if (step.mouseAfter && realMouse_ &&
      MouseState{realMouse_->KeptDoubleClickTime(), realMouse_->KeptButtonsSwapped()} !=
          *step.mouseAfter)
    changed.push_back("the mouse settings");
  return changed;
}

UndoResult Journal::Undo(const std::function<bool(const std::vector<std::string>&)>& confirm) {
  UndoResult result;
  if (!CanUndo()) return result;
  const auto changed = ChangedSince();
  if (!changed.empty() && !(confirm && confirm(changed))) {
    result.declined = true;
    return result;
  }
  const Step& step = steps_.back();
  // Files first: they are what most often refuses (a file held open), and
  // stopping there leaves the registry as the step left it.
  for (const auto& f : step.files) {
    const long rc = f.before ? PutFile(realFiles_, f.path, *f.before) : RemoveFile(realFiles_, f.path);
    (rc == ErrorSuccess ? result.restored : result.failed).push_back(f.path);
    if (rc != ErrorSuccess) return result;
  }
  if (step.mouseBefore) {
    if (!realMouse_) {
      result.failed.push_back("the mouse settings");
      return result;
    }
    const bool ok = realMouse_->SaveDoubleClickTime(step.mouseBefore->doubleClickTime) &&
                    realMouse_->SaveButtonsSwapped(step.mouseBefore->swapped);
    (ok ? result.restored : result.failed).push_back("the mouse settings");
    if (!ok) return result;
  }
  const regfile::Outcome outcome = regfile::Apply(step.before, realRegistry_);
  result.restored.insert(result.restored.end(), outcome.done.begin(), outcome.done.end());
  result.failed = outcome.failed;
  // A step that could not be put back whole stays, so that it can be tried again.
  if (result.failed.empty()) {
    steps_.pop_back();
    Save();
    result.done = true;
  }
  return result;
}

}  // namespace velmaro::undo
