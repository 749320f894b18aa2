// Every value a panel reads, stored in every hostile form (another type, an
// odd length, a NUL inside, no NUL at the end, bytes above 127, text the
// code page cannot hold, 100,000 bytes...): showing the panel and pressing
// Apply without touching anything leaves the whole registry and the boot
// file byte for byte as they were, except what the panels write on every
// apply by design (support/panel_console.h lists it).
#include <gtest/gtest.h>

#include "console/save_report.h"
#include "support/panel_console.h"

namespace velmaro::testing {
namespace {

using B = std::vector<std::uint8_t>;

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

TEST(HostileValuesTest, AnUntouchedApplyKeepsEveryValueAPanelCouldNotShow) {
  int cases = 0;
  for (const auto& category : Categories) {
    if (!category.panel || category.appliesAtOnce) continue;
    // The values this panel's load reads, with everything in place that an
    // earlier apply leaves (a first apply writes the panel's defaults).
    const auto places = ValuesReadBy(category);
    ASSERT_FALSE(places.empty()) << category.text;
    for (const auto& [root, path, name] : places) {
      for (const auto& hostile : HostileKinds()) {
        Console c;
        c.Choose(category.node);
        c.ApplyPanel();
        c.registry.SetRawValue(root, path, name, hostile.type, hostile.bytes);
        const std::string before = DumpRegistry(c.registry);
        const std::string boot = c.BootFile();
        c.Choose(category.node);
        c.ApplyPanel();
        const std::string after = DumpRegistry(c.registry);
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
      c.ApplyPanel();
      c.registry.SetUnmappableText(root, path, name);
      const std::string before = DumpRegistry(c.registry);
      c.Choose(category.node);
      c.ApplyPanel();
      const std::string after = DumpRegistry(c.registry);
      EXPECT_EQ(Lost(before, after), std::vector<std::string>{})
          << category.text << ": " << path << "\\" << name << " as unmappable text";
      EXPECT_EQ(Lost(after, before), std::vector<std::string>{})
          << category.text << ": " << path << "\\" << name << " as unmappable text";
      ++cases;
    }
  }
  // Six panels, each reading several values.
  EXPECT_GT(cases, 300);
}

// Another program (or another Velmaro window) changes a value after the
// panel was shown: an untouched Apply leaves it as that program set it, and
// names it when the apply would have written it.
TEST(HostileValuesTest, AValueChangedAfterTheLoadSurvivesAnUntouchedApplyAndIsNamed) {
  int cases = 0, named = 0;
  for (const auto& category : Categories) {
    if (!category.panel || category.appliesAtOnce) continue;
    for (const auto& [root, path, name] : ValuesReadBy(category)) {
      Console c;
      c.Choose(category.node);
      c.ApplyPanel();
      c.Choose(category.node);
      c.registry.SetRawValue(root, path, name, RegSz, {'o', 't', 'h', 'e', 'r', 0});
      const std::string before = DumpRegistry(c.registry);
      const std::string boot = c.BootFile();
      c.tk.AnswerNextBox(forms::IdOk);
      c.ApplyPanel();
      const std::string after = DumpRegistry(c.registry);
      const std::string where = std::string(category.text) + ": " + path + "\\" + name;
      EXPECT_EQ(Lost(before, after), std::vector<std::string>{}) << where;
      EXPECT_EQ(Lost(after, before), std::vector<std::string>{}) << where;
      EXPECT_EQ(c.BootFile(), boot) << where;
      if (c.tk.UnusedScripts() == 0) {
        EXPECT_EQ(c.tk.Boxes().back().text.find(console::SaveReport::ChangedMeanwhile), 0u)
            << where << ": " << c.tk.Boxes().back().text;
        ++named;
      }
      ++cases;
    }
  }
  // Every value an apply writes is named; those it only reads (the bitmap
  // class, the special folders, the store's boot choices) are not.
  EXPECT_GT(cases, 20);
  EXPECT_GE(named, 30) << "of " << cases;
}

}  // namespace
}  // namespace velmaro::testing
