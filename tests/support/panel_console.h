#pragma once
// The console over memory, with the splash gone and the category tree
// expanded: the one stand-in window the panel tests, the hostile-value sweep
// and the panel fuzzer drive. Its registry records the names each load reads
// (ReadRecorder) and every write (RecordingRegistry), and its toolkit logs
// each message box in the same log, so that a test can check what came
// first. Also the comparison of two whole registries that allows only what
// the panels write on every apply by design.
#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "console/boot_options.h"
#include "console/splash.h"
#include "console/tweaker.h"
#include "platform/memory/memory_desktop.h"
#include "platform/forwarding.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_mouse.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_toolkit.h"
#include "support/recording_registry.h"
#include "support/registry_dump.h"

namespace velmaro::testing {

using namespace platform;
using console::Categories;

// The names of every value a load asks for, by root and key path.
class ReadRecorder final : public ForwardingRegistry {
public:
  explicit ReadRecorder(MemoryRegistry& real) : ForwardingRegistry(real) {}
  using Place = std::tuple<HKey, std::string, std::string>;
  std::set<Place> reads;
  // While discovering what a load reads, a key it opens is made first, so
  // that the values it then asks for are seen too.
  bool makeKeys = false;

  long OpenKey(HKey root, std::string_view path, HKey& out) override {
    const long rc = makeKeys ? real_.CreateKey(root, path, out) : real_.OpenKey(root, path, out);
    if (rc == ErrorSuccess) paths_[out] = Join(root, path);
    return rc;
  }
  long CreateKey(HKey root, std::string_view path, HKey& out) override {
    const long rc = real_.CreateKey(root, path, out);
    if (rc == ErrorSuccess) paths_[out] = Join(root, path);
    return rc;
  }
  long CloseKey(HKey key) override {
    paths_.erase(key);
    return real_.CloseKey(key);
  }
  long QueryValue(HKey key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    if (const auto it = paths_.find(key); it != paths_.end())
      reads.insert({it->second.first, it->second.second, std::string(name)});
    return real_.QueryValue(key, name, type, data, size);
  }

private:
  std::pair<HKey, std::string> Join(HKey root, std::string_view path) const {
    const auto it = paths_.find(root);
    if (it == paths_.end()) return {root, std::string(path)};
    return {it->second.first,
            it->second.second + (path.empty() ? "" : "\\" + std::string(path))};
  }
  std::map<HKey, std::pair<HKey, std::string>> paths_;
};

// The panels write these on every apply by design: the settings store's
// boot choices and title box; an Internet Explorer title that is plain text
// while its box is clear (the title then goes); and the registered names,
// shown from the NT key when the 95 key holds none and then written to both.
inline bool WrittenByDesign(const std::string& line) {
  for (const char* allowed : {"\\Velmaro\\Settings: \"Auto Scan\"",
                              "\\Velmaro\\Settings: \"DisSplach\"",
                              "\\Velmaro\\Settings: \"Boot Delay\"",
                              "\\Velmaro\\Settings: \"Chack\"",
                              "\\Internet Explorer\\Main: \"Window Title\" type 1:",
                              "\\Windows\\CurrentVersion: \"RegisteredOwner\" type 1:",
                              "\\Windows\\CurrentVersion: \"RegisteredOrganization\" type 1:"})
    if (line.find(allowed) != std::string::npos) return true;
  return false;
}

// The dump's lines, each value line led by its key's path.
inline std::vector<std::string> Lines(const std::string& dump) {
  std::vector<std::string> lines;
  std::string key;
  std::size_t pos = 0;
  while (pos < dump.size()) {
    const auto end = std::min(dump.find('\n', pos), dump.size());
    std::string line = dump.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.front() == '[') {
      key = line.substr(1, line.size() - 2);
      lines.push_back(line);
    } else {
      lines.push_back(key + ":" + line.substr(1));
    }
  }
  return lines;
}

// The lines of `a` missing from `b`, but for those written by design.
inline std::vector<std::string> Lost(const std::string& a, const std::string& b) {
  const auto la = Lines(a), lb = Lines(b);
  const std::set<std::string> sb(lb.begin(), lb.end());
  std::vector<std::string> out;
  for (const auto& line : la)
    if (!sb.count(line) && !WrittenByDesign(line)) out.push_back(line.substr(0, 160));
  return out;
}

// Answers every question with Yes, and keeps the text of every other box:
// what the user was told.
class AnsweringToolkit final : public forms::MemoryToolkit {
public:
  std::vector<std::string> told;
  std::vector<std::string> asked;
  int answer = forms::IdYes;  // what every question gets
  int MsgBox(const std::string& text, const std::string&, int flags) override {
    if (forms::IsAnswerOf(flags, forms::IdYes)) return asked.push_back(text), answer;
    told.push_back(text);
    return forms::IdOk;
  }
};

// Logs "MsgBox <title>" before each message box.
class LoggingToolkit final : public forms::MemoryToolkit {
public:
  explicit LoggingToolkit(std::vector<std::string>& log) : log_(log) {}
  int MsgBox(const std::string& text, const std::string& title, int flags) override {
    log_.push_back("MsgBox " + title);
    return MemoryToolkit::MsgBox(text, title, flags);
  }

private:
  std::vector<std::string>& log_;
};

struct ConsoleOnMemory {
  std::vector<std::string> log;  // registry writes and message boxes, in order
  MemoryRegistry registry;
  ReadRecorder reader{registry};
  RecordingRegistry recorded{reader, log};
  MemoryFiles files;
  MemoryMouse mouse;
  MemoryDesktop desktop;
  LoggingToolkit tk{log};
  console::ConsoleSystem system{tk, recorded, files, mouse, desktop};
  console::Tweaker main{system};

  // Shows the window, lets the splash go and opens the tree, with no
  // restart notice in the way.
  void Start() {
    system.store.Write(settings::ShowMess, "0");
    tk.Show(main);
    tk.Advance(console::Splash::TimerInterval);
    tk.ExpandNode(main, "Tr", console::RootNode);
  }
  void Choose(int node) { tk.ClickNode(main, "Tr", node); }
  void ApplyPanel() { tk.Click(main, "Apply"); }
  forms::CheckBox& Box(const char* name) { return main.Get<forms::CheckBox>(name); }
  forms::TextBox& Text(const char* name) { return main.Get<forms::TextBox>(name); }

  Snapshot Values(HKey root, const std::string& path) { return ValuesOf(registry, root, path); }
  // Every value of the whole registry, to prove what did not change.
  Snapshot WholeRegistry() { return testing::WholeRegistry(registry); }
  std::int32_t Dword(const char* path, const char* name, std::int32_t fallback = -99) {
    return system.reg.GetDWordValue(HkeyCurrentUser, path, name, fallback);
  }
  BinaryValue Binary(HKey root, const char* path, const char* name) {
    return system.reg.GetBinaryValue(root, path, name);
  }
  std::string String(HKey root, const std::string& path, const char* name,
                     const char* fallback = "<none>") {
    return system.reg.GetStringValue(root, path, name, fallback);
  }
  std::string BootFile() {
    std::string bytes;
    files.ReadWholeFile(console::BootFilePath, bytes, 1 << 20);
    return bytes;
  }
  // The texts of a list's nodes, in order.
  std::vector<std::string> NodeTexts(const char* list) {
    const auto& tree = main.Get<forms::TreeView>(list);
    std::vector<std::string> texts;
    for (int i = 1; i <= tree.Count(); ++i) texts.push_back(tree.Node(i)->Text());
    return texts;
  }
  // The pointer's changes since the log held `mark` of them: an action that
  // shows the hourglass adds exactly {Hourglass, Default}.
  std::vector<forms::MousePointer> PointersSince(std::size_t mark) const {
    std::vector<forms::MousePointer> since;
    for (std::size_t i = mark; i < tk.PointerLog().size(); ++i)
      since.push_back(tk.PointerLog()[i].pointer);
    return since;
  }
  static constexpr std::array kHourglassThenDefault{forms::MousePointer::Hourglass,
                                                    forms::MousePointer::Default};
};

// The hostile-value sweep's console: started at once, over a registry where
// a bitmap class has an icon, as a typical system has.
struct Console : ConsoleOnMemory {
  Console() {
    registry.SetRawValue(HkeyClassesRoot, ".bmp", "", RegSz, {'P', 'a', 'i', 'n', 't', 0});
    registry.SetRawValue(HkeyClassesRoot, "Paint\\DefaultIcon", "", RegSz, {'p', '.', 'e', 0});
    Start();
  }
};

// The values a category's load reads, once an apply has left what it
// writes (a first apply writes the panel's defaults).
inline std::set<ReadRecorder::Place> ValuesReadBy(const console::Category& category) {
  Console c;
  c.Choose(category.node);
  c.ApplyPanel();
  c.reader.makeKeys = true;
  c.Choose(category.node);
  // The options' own keys only decide which questions are asked.
  std::erase_if(c.reader.reads, [](const ReadRecorder::Place& p) {
    return std::get<2>(p) == settings::ShowMess || std::get<2>(p) == settings::Confirm;
  });
  return c.reader.reads;
}

}  // namespace velmaro::testing
