// The boot file rewrite against any old content: lines other than the three
// keys keep every byte and their order, every key line carries the new
// choice, at most one missing key is added, every line ends in CR LF, and an
// apply either replaces the file with exactly that content or (over the size
// limit) leaves it untouched.
#include <vector>

#include "console/boot_options.h"
#include "fuzz/fuzz_input.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"

namespace {

using namespace velmaro;
using velmaro::fuzz::Check;

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(pos));
      break;
    }
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

enum class Key { None, AutoScan, BootDelay, Logo };

Key KeyOf(std::string_view line) {
  if (line.starts_with("AutoScan=")) return Key::AutoScan;
  if (line.starts_with("BootDelay=")) return Key::BootDelay;
  if (line.starts_with("Logo=")) return Key::Logo;
  return Key::None;
}

void CheckRewrite(std::string_view old, const console::BootOptions& o, std::string_view out) {
  // Every line ends in CR LF: no lone CR or LF anywhere, and nothing after
  // the last line end.
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\r') Check(i + 1 < out.size() && out[i + 1] == '\n', "lone CR");
    if (out[i] == '\n') Check(i > 0 && out[i - 1] == '\r', "lone LF");
  }
  Check(out.empty() || out.ends_with("\r\n"), "last line without CR LF");

  const auto before = Lines(old);
  const auto after = Lines(out);
  const std::string autoScan = o.autoScan == 1 ? "AutoScan=2" : "AutoScan=0";
  const std::string delay = "BootDelay=" + std::to_string(o.delaySl);
  const std::string logo = o.disSpl == 1 ? "Logo=0" : "Logo=1";
  int counts[4] = {};
  for (const auto& line : before) ++counts[static_cast<int>(KeyOf(line))];
  // Line for line: the same place, a key line rewritten, any other kept.
  Check(after.size() == before.size() || after.size() == before.size() + 1, "line count");
  for (std::size_t i = 0; i < before.size(); ++i) {
    switch (KeyOf(before[i])) {
      case Key::None: Check(after[i] == before[i], "other line changed"); break;
      case Key::AutoScan: Check(after[i] == autoScan, "AutoScan line"); break;
      case Key::BootDelay: Check(after[i] == delay, "BootDelay line"); break;
      case Key::Logo: Check(after[i] == logo, "Logo line"); break;
    }
  }
  // The first missing key by priority, and only that one, is appended.
  const std::string* missing = counts[1] == 0   ? &autoScan
                               : counts[2] == 0 ? &delay
                               : counts[3] == 0 ? &logo
                                                : nullptr;
  Check((after.size() == before.size() + 1) == (missing != nullptr), "appended line count");
  if (missing) Check(after.back() == *missing, "appended line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const std::uint8_t choice = in.Byte();
  console::BootOptions o;
  // The controls only give these, but the rewrite must hold for any.
  o.autoScan = choice % 3;
  o.disSpl = (choice / 3) % 3;
  o.delaySl = (choice / 9) % 6;
  const bool oversized = (choice & 0xE0) == 0xE0;
  const std::string old = in.Rest();

  const std::string out = console::RewriteBootFile(old, o);
  CheckRewrite(old, o, out);
  // Three applies complete any file: every key is there afterwards.
  std::string full = console::RewriteBootFile(console::RewriteBootFile(out, o), o);
  for (const auto& key : {"AutoScan=", "BootDelay=", "Logo="})
    Check(full.starts_with(key) || full.find(std::string("\n") + key) != std::string::npos,
          "a key is still missing after three applies");

  // The apply on a drive: the file is replaced by exactly the rewrite, or
  // left byte for byte when it is over the limit.
  platform::MemoryFiles files;
  platform::MemoryRegistry registry;
  SettingsStore store(registry);
  std::string content = old;
  if (oversized) content.resize(console::MaxBootFileBytes + 1 + old.size() % 7, 'x');
  files.PutFile(console::BootFilePath, content, platform::FileAttributeHidden);
  const auto result = console::ApplyBootOptions(files, store, o);
  std::string now;
  files.ReadWholeFile(console::BootFilePath, now, 4 * console::MaxBootFileBytes);
  if (oversized) {
    Check(!result.ok() && now == content, "an oversized file was touched");
  } else {
    Check(result.ok(), "an apply on a healthy drive failed");
    Check(now == console::RewriteBootFile(content, o), "the file is not the rewrite");
    Check(files.AttributesOf(console::BootFilePath) == platform::FileAttributeHidden,
          "attributes not carried over");
  }
  return 0;
}
