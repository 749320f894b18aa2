// The undo journal: whatever the registry and the files held before, and
// whatever writes a step made, undoing puts back exactly what was there; the
// history survives a restart, is bounded, and a damaged or newer history is
// never applied.
#include "system_access/undo_journal.h"

#include <gtest/gtest.h>

#include <random>

#include "console/boot_options.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"
#include "support/registry_dump.h"
#include "system_access/reg_extra.h"

namespace velmaro::undo {
namespace {

using namespace platform;
using testing::DumpRegistry;

constexpr const char* kJournal = "C:\\Documents\\Velmaro\\Undo history.txt";

struct Place {
  HKey root;
  const char* key;
};
// Keys that nest, a class key seen through HKEY_CLASSES_ROOT, and one that
// the writes never start with.
const Place kPlaces[] = {
    {HkeyCurrentUser, "Software\\A"},
    {HkeyCurrentUser, "Software\\A\\B"},
    {HkeyCurrentUser, "Software\\A\\B\\C"},
    {HkeyLocalMachine, "SOFTWARE\\X"},
    {HkeyClassesRoot, "*\\shell\\open\\command"},
    {HkeyClassesRoot, "*\\shell\\open"},
};
const char* const kNames[] = {"", "v1", "V2"};

// Every kind of stored value a panel may meet, the damaged ones included.
void PutRandomValue(MemoryRegistry& r, std::mt19937& rng, const Place& p, const char* name) {
  using B = std::vector<std::uint8_t>;
  switch (rng() % 12) {
    case 0: return;  // absent
    case 1: r.SetRawValue(p.root, p.key, name, RegSz, B{'o', 'n', 0}); return;
    case 2: r.SetRawValue(p.root, p.key, name, RegSz, B{'n', 'o'}); return;  // no NUL
    case 3: r.SetRawValue(p.root, p.key, name, RegSz, B{}); return;
    case 4: r.SetRawValue(p.root, p.key, name, RegDword, B{7, 0, 0, 0}); return;
    case 5: r.SetRawValue(p.root, p.key, name, RegDword, B{1, 2}); return;  // short
    case 6: r.SetRawValue(p.root, p.key, name, RegBinary, B{}); return;
    case 7: r.SetRawValue(p.root, p.key, name, RegBinary, B(5000, 0xEE)); return;
    case 8: r.SetRawValue(p.root, p.key, name, RegExpandSz, B{'%', 'x', '%', 0}); return;
    case 9: r.SetRawValue(p.root, p.key, name, RegMultiSz, B{'a', 0, 'b', 0, 0}); return;
    case 10: r.SetRawValue(p.root, p.key, name, RegSz, B{'a', 0, 'b', 0}); return;
    default: r.SetRawValue(p.root, p.key, name, RegSz, B{0xE9, 0xFF, 0x80, 0}); return;
  }
}

void RandomWrite(const RegExtra& reg, std::mt19937& rng) {
  const Place& p = kPlaces[rng() % std::size(kPlaces)];
  const char* name = kNames[rng() % std::size(kNames)];
  switch (rng() % 7) {
    case 0: reg.SaveStringValue(p.root, p.key, name, "new text"); break;
    case 1: reg.SaveDWordValue(p.root, p.key, name, static_cast<std::int32_t>(rng())); break;
    case 2: reg.SaveBinaryValue(p.root, p.key, name, Bytes{1, 0, 0}); break;
    case 3: reg.DeleteValue(p.root, p.key, name); break;
    case 4: reg.CreateKey(p.root, std::string(p.key) + "\\New\\Deeper"); break;
    case 5: reg.DeleteKey(p.root, p.key); break;
    default: reg.SaveStringValue(p.root, std::string(p.key) + "\\Made", name, "x"); break;
  }
}

TEST(UndoJournalTest, UndoingStepsInTurnGivesBackEveryByteWhateverWasThere) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    MemoryRegistry registry;
    MemoryFiles files;
    for (const auto& p : kPlaces)
      for (const char* n : kNames) PutRandomValue(registry, rng, p, n);
    Journal journal(registry, files, kJournal);
    const RegExtra reg(journal.Registry());
    std::vector<std::string> before;
    std::vector<bool> kept;  // a step that noted nothing is not kept
    const int steps = 1 + static_cast<int>(seed % 3);
    for (int s = 0; s < steps; ++s) {
      before.push_back(DumpRegistry(registry));
      const std::size_t count = journal.Steps().size();
      journal.Begin("step " + std::to_string(s));
      for (int w = 1 + static_cast<int>(rng() % 12); w > 0; --w) RandomWrite(reg, rng);
      ASSERT_TRUE(journal.End());
      kept.push_back(journal.Steps().size() > count);
    }
    // A restart in between: the history is read back from its file.
    Journal reopened(registry, files, kJournal);
    ASSERT_EQ(reopened.Steps(), journal.Steps()) << "seed " << seed;
    for (int s = steps; s-- > 0;) {
      if (kept[s]) {
        const UndoResult r = reopened.Undo(nullptr);
        ASSERT_TRUE(r.done) << "seed " << seed;
      }
      ASSERT_EQ(DumpRegistry(registry), before[s]) << "seed " << seed << " step " << s;
    }
    EXPECT_FALSE(reopened.CanUndo()) << "seed " << seed;
  }
}

TEST(UndoJournalTest, AStepThatChangesNothingIsNotKept) {
  MemoryRegistry registry;
  MemoryFiles files;
  Journal journal(registry, files, kJournal);
  const RegExtra reg(journal.Registry());
  journal.Begin("look only");
  reg.GetStringValue(HkeyCurrentUser, "Software\\A", "v1", "");
  EXPECT_TRUE(journal.End());
  EXPECT_FALSE(journal.CanUndo());
  EXPECT_FALSE(files.Exists(kJournal));
  // Writes outside a step are not recorded.
  reg.SaveStringValue(HkeyCurrentUser, "Software\\A", "v1", "x");
  EXPECT_FALSE(journal.CanUndo());
}

TEST(UndoJournalTest, UndoAsksBeforeOverwritingWhatChangedSinceAndShowsWhatItRestored) {
  MemoryRegistry registry;
  MemoryFiles files;
  registry.SetRawValue(HkeyCurrentUser, "Software\\A", "v1", RegSz, {'o', 'l', 'd', 0});
  Journal journal(registry, files, kJournal);
  const RegExtra reg(journal.Registry());
  journal.Begin("Apply 'Test' settings...");
  reg.SaveStringValue(HkeyCurrentUser, "Software\\A", "v1", "ours");
  journal.End();
  EXPECT_EQ(journal.NextLabel(), "Apply 'Test' settings...");
  EXPECT_TRUE(journal.ChangedSince().empty());

  // Someone else changes the value after us.
  RegExtra(registry).SaveStringValue(HkeyCurrentUser, "Software\\A", "v1", "theirs");
  std::vector<std::string> asked;
  UndoResult r = journal.Undo([&](const std::vector<std::string>& changed) {
    asked = changed;
    return false;
  });
  EXPECT_TRUE(r.declined);
  EXPECT_EQ(asked, std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\A: v1"});
  EXPECT_EQ(RegExtra(registry).GetStringValue(HkeyCurrentUser, "Software\\A", "v1", ""), "theirs");
  EXPECT_TRUE(journal.CanUndo());

  r = journal.Undo([](const std::vector<std::string>&) { return true; });
  EXPECT_TRUE(r.done);
  EXPECT_EQ(r.restored, std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\A: v1"});
  EXPECT_EQ(RegExtra(registry).GetStringValue(HkeyCurrentUser, "Software\\A", "v1", ""), "old");
}

TEST(UndoJournalTest, TheBootFileComesBackByteForByteWithItsAttributes) {
  MemoryRegistry registry;
  MemoryFiles files;
  const std::string old = "[Options]\r\nAutoScan=1\nBootDelay=2\r\nLogo=1\r\n\x1a";
  const std::uint32_t rhs = FileAttributeReadOnly | FileAttributeHidden | FileAttributeSystem;
  files.PutFile(console::BootFilePath, old, rhs);
  const auto pathsBefore = files.AllPaths();
  Journal journal(registry, files, kJournal);
  const SettingsStore store(journal.Registry());
  journal.Begin("Apply 'Windows' settings...");
  ASSERT_TRUE(console::ApplyBootOptions(journal.Files(), store, {1, 1, 4}).ok());
  journal.End();
  std::string now;
  files.ReadWholeFile(console::BootFilePath, now, 1 << 20);
  ASSERT_NE(now, old);

  // A failure while putting it back leaves the current file whole.
  files.FailNext("Move", ErrorAccessDenied);
  UndoResult r = journal.Undo(nullptr);
  EXPECT_FALSE(r.done);
  EXPECT_FALSE(r.failed.empty());
  std::string still;
  files.ReadWholeFile(console::BootFilePath, still, 1 << 20);
  EXPECT_EQ(still, now);
  EXPECT_TRUE(journal.CanUndo());

  r = journal.Undo(nullptr);
  EXPECT_TRUE(r.done) << ::testing::PrintToString(r.failed);
  std::string back;
  files.ReadWholeFile(console::BootFilePath, back, 1 << 20);
  EXPECT_EQ(back, old);
  EXPECT_EQ(files.AttributesOf(console::BootFilePath), rhs);
  // No temporary file is left, and the choices in the store are gone again.
  auto pathsAfter = files.AllPaths();
  std::erase_if(pathsAfter, [](const std::string& p) { return p.starts_with("c:\\documents"); });
  EXPECT_EQ(pathsAfter, pathsBefore);
  EXPECT_EQ(store.Read(settings::AutoScan, "none"), "none");
}

TEST(UndoJournalTest, ADamagedOrCutHistoryIsSetAsideAndNeverAppliedInPart) {
  MemoryRegistry registry;
  MemoryFiles files;
  {
    Journal journal(registry, files, kJournal);
    const RegExtra reg(journal.Registry());
    for (int i = 0; i < 3; ++i) {
      journal.Begin("step");
      reg.SaveStringValue(HkeyCurrentUser, "Software\\A", "v1", std::to_string(i));
      journal.End();
    }
  }
  std::string bytes;
  files.ReadWholeFile(kJournal, bytes, 1 << 20);
  for (const std::string& damaged :
       {bytes.substr(0, bytes.size() / 2), bytes.substr(0, bytes.size() - 3),
        std::string(bytes).replace(bytes.find("\"v1\"=\"1\""), 8, "\"v1\"=\"9\"")}) {
    files.PutFile(kJournal, damaged);
    const std::string state = DumpRegistry(registry);
    Journal journal(registry, files, kJournal);
    EXPECT_FALSE(journal.CanUndo());
    EXPECT_NE(journal.LoadMessage().find("damaged"), std::string::npos);
    EXPECT_EQ(DumpRegistry(registry), state);
    std::string aside;
    files.ReadWholeFile(std::string(kJournal) + ".damaged", aside, 1 << 20);
    EXPECT_EQ(aside, damaged);
  }
}

TEST(UndoJournalTest, AHistoryOfANewerFormatIsLeftUntouchedAndNothingIsRecordedOverIt) {
  MemoryRegistry registry;
  MemoryFiles files;
  const std::string newer = "Velmaro undo journal, format 2\r\nwhatever comes next\r\n";
  files.PutFile(kJournal, newer);
  Journal journal(registry, files, kJournal);
  EXPECT_NE(journal.LoadMessage().find("newer"), std::string::npos);
  const RegExtra reg(journal.Registry());
  journal.Begin("step");
  reg.SaveStringValue(HkeyCurrentUser, "Software\\A", "v1", "x");
  EXPECT_FALSE(journal.End());
  EXPECT_FALSE(journal.CanUndo());
  std::string bytes;
  files.ReadWholeFile(kJournal, bytes, 1 << 20);
  EXPECT_EQ(bytes, newer);
}

TEST(UndoJournalTest, TheHistoryStaysBoundedAndKeepsTheNewestSteps) {
  MemoryRegistry registry;
  MemoryFiles files;
  Journal journal(registry, files, kJournal);
  const RegExtra reg(journal.Registry());
  for (int i = 0; i < 1000; ++i) {
    journal.Begin("Apply " + std::to_string(i));
    for (int v = 0; v < 5; ++v)
      reg.SaveStringValue(HkeyCurrentUser, "Software\\A", "v" + std::to_string(v), std::to_string(i));
    journal.End();
  }
  std::string bytes;
  files.ReadWholeFile(kJournal, bytes, 1 << 30);
  EXPECT_LE(bytes.size(), kMaxJournalBytes);
  ASSERT_EQ(journal.Steps().size(), kMaxSteps);
  EXPECT_EQ(journal.NextLabel(), "Apply 999");
  EXPECT_TRUE(journal.Undo(nullptr).done);
  EXPECT_EQ(RegExtra(registry).GetStringValue(HkeyCurrentUser, "Software\\A", "v0", ""), "998");
}

}  // namespace
}  // namespace velmaro::undo
