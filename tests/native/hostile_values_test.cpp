// Every value a panel reads, stored in every hostile form (another type, an
// odd length, a NUL inside, no NUL at the end, bytes above 127, text the
// code page cannot hold, 100,000 bytes...): showing the panel and pressing
// Apply without touching anything leaves the whole registry and the boot
// file byte for byte as they were, except what the panels write on every
// apply by design (listed below).
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "console/boot_options.h"
#include "console/splash.h"
#include "console/tweaker.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_toolkit.h"
#include "support/registry_dump.h"

namespace velmaro::console {
namespace {

using namespace platform;
using B = std::vector<std::uint8_t>;

// The names of every value a load asks for, by root and key path.
class ReadRecorder final : public Registry {
public:
  explicit ReadRecorder(MemoryRegistry& real) : real_(real) {}
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
  long SetValue(HKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return real_.SetValue(key, name, type, data, size);
  }
  long DeleteKey(HKey root, std::string_view path) override { return real_.DeleteKey(root, path); }
  long DeleteValue(HKey key, std::string_view name) override { return real_.DeleteValue(key, name); }
  long EnumKey(HKey key, std::uint32_t index, std::string& name, std::uint32_t capacity) override {
    return real_.EnumKey(key, index, name, capacity);
  }
  long EnumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                 std::uint32_t* type, std::uint32_t dataCapacity) override {
    return real_.EnumValue(key, index, name, nameCapacity, type, dataCapacity);
  }
  bool IsTextUnicode(const std::uint8_t* bytes, int length, int flags) const override {
    return real_.IsTextUnicode(bytes, length, flags);
  }
  const AnsiCodePage& CodePage() const override { return real_.CodePage(); }

private:
  std::pair<HKey, std::string> Join(HKey root, std::string_view path) const {
    const auto it = paths_.find(root);
    if (it == paths_.end()) return {root, std::string(path)};
    return {it->second.first,
            it->second.second + (path.empty() ? "" : "\\" + std::string(path))};
  }
  MemoryRegistry& real_;
  std::map<HKey, std::pair<HKey, std::string>> paths_;
};

struct Hostile {
  const char* what;
  std::uint32_t type;
  B bytes;
};

std::vector<Hostile> HostileKinds() {
  B big(100000, 'x');
  big.back() = 0;
  return {
      {"a DWORD of 7", RegDword, {7, 0, 0, 0}},
      {"a DWORD of 2 bytes", RegDword, {1, 0}},
      {"a DWORD of 8 bytes", RegDword, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"text", RegSz, {'h', 'o', 's', 't', 'i', 'l', 'e', 0}},
      {"empty text", RegSz, {}},
      {"a lone NUL", RegSz, {0}},
      {"text without its NUL", RegSz, {'a', 'b', 'c'}},
      {"text with a NUL inside", RegSz, {'1', 0, 'x', 'y', 0}},
      {"bytes 0x80-0xFF", RegSz, {0x80, 0x8D, 0xA0, 0xFF, 0}},
      {"expandable text", RegExpandSz, {'%', 'T', 'E', 'M', 'P', '%', 0}},
      {"a multi-string", RegMultiSz, {'a', 0, 'b', 0, 0}},
      {"binary of length 0", RegBinary, {}},
      {"binary of 4 bytes", RegBinary, {1, 0, 0, 0}},
      {"binary of 100,000 bytes", RegBinary, B(100000, 0xEE)},
      {"text of 100,000 bytes", RegSz, big},
      {"a type of its own", 0x1234, {1, 2, 3}},
  };
}

// The panels write these on every apply by design: the settings store's
// boot choices and title box; an Internet Explorer title that is plain text
// while its box is clear (the title then goes); and the registered names,
// shown from the NT key when the 95 key holds none and then written to both.
bool WrittenByDesign(const std::string& line) {
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
std::vector<std::string> Lines(const std::string& dump) {
  std::vector<std::string> lines;
  std::string key;
  std::size_t pos = 0;
  while (pos < dump.size()) {
    const auto end = dump.find('\n', pos);
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
std::vector<std::string> Lost(const std::string& a, const std::string& b) {
  const auto la = Lines(a), lb = Lines(b);
  const std::set<std::string> sb(lb.begin(), lb.end());
  std::vector<std::string> out;
  for (const auto& line : la)
    if (!sb.count(line) && !WrittenByDesign(line)) out.push_back(line.substr(0, 160));
  return out;
}

struct Console {
  MemoryRegistry registry;
  ReadRecorder reader{registry};
  MemoryFiles files;
  forms::MemoryToolkit tk;
  ConsoleSystem system{tk, reader, files};
  Tweaker main{system};

  Console() {
    // A bitmap class with an icon, as a typical system has.
    registry.SetRawValue(HkeyClassesRoot, ".bmp", "", RegSz, {'P', 'a', 'i', 'n', 't', 0});
    registry.SetRawValue(HkeyClassesRoot, "Paint\\DefaultIcon", "", RegSz, {'p', '.', 'e', 0});
    system.store.Write(settings::ShowMess, "0");
    tk.Show(main);
    tk.Advance(Splash::TimerInterval);
    tk.ExpandNode(main, "Tr", 1);
  }
  void Choose(int node) { tk.ClickNode(main, "Tr", node); }
  void Apply() { tk.Click(main, "Apply"); }
  std::string BootFile() {
    std::string bytes;
    files.ReadWholeFile(BootFilePath, bytes, 1 << 20);
    return bytes;
  }
};

TEST(HostileValuesTest, AnUntouchedApplyKeepsEveryValueAPanelCouldNotShow) {
  int cases = 0;
  for (const auto& category : Categories) {
    if (!category.panel || category.appliesAtOnce) continue;
    // The values this panel's load reads, with everything in place that an
    // earlier apply leaves (a first apply writes the panel's defaults).
    std::set<ReadRecorder::Place> places;
    {
      Console c;
      c.Choose(category.node);
      c.Apply();
      c.reader.makeKeys = true;
      c.Choose(category.node);
      places = c.reader.reads;
    }
    ASSERT_FALSE(places.empty()) << category.text;
    for (const auto& [root, path, name] : places) {
      // The settings store's own keys are ours to repair.
      if (path.find("Velmaro") != std::string::npos) continue;
      for (const auto& hostile : HostileKinds()) {
        Console c;
        c.Choose(category.node);
        c.Apply();
        c.registry.SetRawValue(root, path, name, hostile.type, hostile.bytes);
        const std::string before = testing::DumpRegistry(c.registry);
        const std::string boot = c.BootFile();
        c.Choose(category.node);
        c.Apply();
        const std::string after = testing::DumpRegistry(c.registry);
        const std::string where = std::string(category.text) + ": " + path + "\\" + name +
                                  " as " + hostile.what;
        EXPECT_EQ(Lost(before, after), std::vector<std::string>{}) << where;
        EXPECT_EQ(Lost(after, before), std::vector<std::string>{}) << where;
        EXPECT_EQ(c.BootFile(), boot) << where;
        ++cases;
      }
      // And text the code page cannot hold, stored through the wide functions.
      Console c;
      c.Choose(category.node);
      c.Apply();
      c.registry.SetUnmappableText(root, path, name);
      const std::string before = testing::DumpRegistry(c.registry);
      c.Choose(category.node);
      c.Apply();
      EXPECT_EQ(testing::DumpRegistry(c.registry), before)
          << category.text << ": " << path << "\\" << name << " as unmappable text";
      ++cases;
    }
  }
  // Six panels, each reading several values.
  EXPECT_GT(cases, 300);
}

}  // namespace
}  // namespace velmaro::console
