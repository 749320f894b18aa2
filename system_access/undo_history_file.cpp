#include "system_access/undo_history_file.h"

#include <algorithm>
#include <cstdio>

#include "system_access/undo_snapshot.h"

namespace velmaro::undo {
namespace {

using namespace platform;
using detail::Fnv1a;
using detail::Hex;

constexpr std::string_view kTitle = "Velmaro undo journal, format ";
constexpr std::string_view kEol = "\r\n";

// Format 2 keeps names as the program holds them: UTF-8 takes any name.
class Utf8Text final : public AnsiCodePage {
public:
  bool ToAnsi(std::string_view utf8, std::string& ansi) const override {
    ansi.assign(utf8);
    return true;
  }
  std::string FromAnsi(std::string_view ansi) const override { return std::string(ansi); }
};
const Utf8Text kUtf8;

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

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

bool ReadStep(Reader& r, std::string first, const AnsiCodePage& codePage, int format, Step& step,
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
  if (!r.Line(line)) return why = "step " + std::to_string(number) + " is cut short", false;
  if (format >= 2 && Word(line, "state")) {
    const auto blank = line.find(' ');
    const std::string state = line.substr(0, blank);
    step.owner = blank == std::string::npos ? std::string() : line.substr(blank + 1);
    if (state == "recording") step.state = StepState::Recording;
    else if (state == "undoing") step.state = StepState::Undoing;
    else return why = "step " + std::to_string(number) + ": an unknown state", false;
    if (step.owner.empty()) return why = "step " + std::to_string(number) + ": a state without its program", false;
    if (!r.Line(line)) return why = "step " + std::to_string(number) + " is cut short", false;
  }
  if (!Word(line, "before") || !Number(line, size) || !r.Bytes(size, bytes) ||
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

// Velmaro undo journal, format 2
// step 17
// label Apply 'Windows' settings
// state recording <program>   (or "undoing"; none for a step complete)
// before <n>      then n bytes: a REGEDIT4 text of the state before
// after <n>       then n bytes: a REGEDIT4 text of what the step left
// file c:\msdos.sys
// before <attributes, hex> <n>   then the n bytes the file held (or "before absent")
// after <attributes> <size> <hash>                                (or "after absent")
// end 17
// check <hash of every byte above>

namespace {

// One step's lines; false when a name holds a line break.
bool WriteStep(const Step& step, std::string& out) {
  std::string before, after;
  if (!regfile::Write(step.before, kUtf8, before) || !regfile::Write(step.after, kUtf8, after) ||
      HasLineBreak(step.label) || HasLineBreak(step.owner))
    return false;
  Line(out, "step " + std::to_string(step.number));
  Line(out, "label " + step.label);
  if (step.state != StepState::Done)
    Line(out, std::string("state ") +
                  (step.state == StepState::Recording ? "recording " : "undoing ") + step.owner);
  Block(out, "before", before);
  Block(out, "after", after);
  for (const auto& f : step.files) {
    if (HasLineBreak(f.path)) return false;
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
  return true;
}

}  // namespace

bool WriteHistory(const std::vector<Step>& steps, std::string& out, StepTexts* cache) {
  out.clear();
  Line(out, std::string(kTitle) + std::to_string(kFormat));
  Line(out, "; Each step holds how things were before one change Velmaro made.");
  StepTexts used;
  for (const auto& step : steps) {
    const auto known = cache ? std::find_if(cache->begin(), cache->end(),
                                            [&](const auto& c) { return c.first == step; })
                             : StepTexts::iterator{};
    if (cache && known != cache->end()) {
      used.push_back(std::move(*known));
    } else {
      std::string text;
      if (!WriteStep(step, text)) return false;
      used.emplace_back(step, std::move(text));
    }
    out += used.back().second;
  }
  Line(out, "check " + Hex(Fnv1a(out)));
  if (cache) *cache = std::move(used);
  return true;
}

ReadStatus ReadHistory(std::string_view bytes, const AnsiCodePage& ansi, std::vector<Step>& steps,
                       std::string* why) {
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
  if (format == 0) return damaged("its format cannot be read");
  const AnsiCodePage& codePage = format == 1 ? ansi : static_cast<const AnsiCodePage&>(kUtf8);
  Reader body(bytes.substr(0, check));
  body.Line(line);
  while (body.Line(line)) {
    if (line.starts_with(";")) continue;
    Step step;
    if (!ReadStep(body, line, codePage, static_cast<int>(format), step, reason))
      return damaged(reason);
    steps.push_back(std::move(step));
  }
  return ReadStatus::Ok;
}

}  // namespace velmaro::undo
