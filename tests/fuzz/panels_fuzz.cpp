// Every panel's load and untouched apply over random registry content: any
// mix of types, sizes and bytes in the values the panels read. Nothing may
// crash or show a message, and the apply may change nothing but what the
// panels write on every apply by design.
#include "fuzz/fuzz_input.h"
#include "support/panel_console.h"

namespace {

using namespace velmaro;
using velmaro::fuzz::Check;

struct Panel {
  const console::Category* category;
  std::vector<testing::ReadRecorder::Place> places;
};

const std::vector<Panel>& Panels() {
  static const std::vector<Panel> panels = [] {
    std::vector<Panel> all;
    for (const auto& c : console::Categories)
      if (c.panel && !c.appliesAtOnce) {
        const auto read = testing::ValuesReadBy(c);
        all.push_back({&c, {read.begin(), read.end()}});
      }
    return all;
  }();
  return panels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const Panel& panel = Panels()[in.Byte() % Panels().size()];
  testing::Console c;
  c.Choose(panel.category->node);
  c.ApplyPanel();
  // Random content in some of the values the panel reads.
  for (int n = in.Byte() % 8; n > 0 && !in.Empty(); --n) {
    const auto& [root, path, name] = panel.places[in.Byte() % panel.places.size()];
    const std::uint8_t kind = in.Byte();
    if (kind == 0xFF) {
      c.registry.SetUnmappableText(root, path, name);
      continue;
    }
    const std::uint32_t type = kind < 0xF0 ? kind % 8 : in.Word();
    std::string bytes = in.Bytes(64);
    // Now and then a large one.
    if (kind % 16 == 15) bytes.resize(4001 + in.Byte() * 8, bytes.empty() ? 'x' : bytes[0]);
    c.registry.SetRawValue(root, path, name, type,
                           std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  }
  const std::string before = testing::DumpRegistry(c.registry);
  const std::string boot = c.BootFile();
  c.Choose(panel.category->node);  // a message box here throws: it is a finding
  c.ApplyPanel();
  const std::string after = testing::DumpRegistry(c.registry);
  Check(testing::Lost(before, after).empty() && testing::Lost(after, before).empty(),
        "an untouched apply changed a value it could not show");
  Check(c.BootFile() == boot, "an untouched apply changed the boot file");
  return 0;
}
