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
#include "support/undo_support.h"
#include "support/fault_plan.h"
#include "system_access/reg_extra.h"
#include "system_access/undo_history_file.h"
#include "system_access/undo_snapshot.h"

namespace velmaro::undo {
namespace {

using namespace platform;
using testing::DumpRegistry;
using testing::TestJournal;

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
    TestJournal journal(registry, files, kJournal);
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
    TestJournal reopened(registry, files, kJournal);
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
  TestJournal journal(registry, files, kJournal);
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
  TestJournal journal(registry, files, kJournal);
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
  TestJournal journal(registry, files, kJournal);
  const SettingsStore store(journal.Registry());
  journal.Begin("Apply 'Windows' settings...");
  ASSERT_TRUE(console::ApplyBootOptions(journal.Files(), store, {1, 1, 4}).ok());
  journal.End();
  std::string now;
  files.ReadWholeFile(console::BootFilePath, now, 1 << 20);
  ASSERT_NE(now, old);

  // A failure while putting it back leaves the current file whole.
  files.FailNext("Move", ErrorAccessDenied, console::BootFilePath);
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
    TestJournal journal(registry, files, kJournal);
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
    files.Delete(std::string(kJournal) + ".damaged");  // the name is free (taken: see below)
    const std::string state = DumpRegistry(registry);
    TestJournal journal(registry, files, kJournal);
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
  const std::string newer = "Velmaro undo journal, format 3\r\nwhatever comes next\r\n";
  files.PutFile(kJournal, newer);
  TestJournal journal(registry, files, kJournal);
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
  TestJournal journal(registry, files, kJournal);
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


// ---- Write-ahead, several consoles, a hostile or stuck history ----

namespace write_ahead {

bool KeyThereForTest(MemoryRegistry& registry, const char* path) {
  return detail::KeyThere(registry, HkeyCurrentUser, path);
}

using velmaro::testing::FaultyMachine;
using velmaro::testing::Stopped;

std::string Everything(MemoryRegistry& registry, MemoryFiles& files) {
  std::string all = DumpRegistry(registry);
  for (const auto& path : files.AllPaths()) {
    if (path.starts_with("c:\\documents")) continue;  // the history itself
    std::string bytes;
    files.ReadWholeFile(path, bytes, 1 << 20);
    all += path + "=" + bytes + "|" + std::to_string(files.AttributesOf(path)) + "\n";
  }
  return all;
}

// One step of every kind of change: values set and deleted, keys created on
// the way, a subtree deleted, the boot file replaced.
// Returns the count of changes made before the step is marked complete.
int ApplyStep(Journal& j, const velmaro::testing::FaultPlan& plan) {
  const RegExtra reg(j.Registry());
  j.Begin("Apply 'Test' settings...");
  reg.SaveStringValue(HkeyCurrentUser, "Software\\A", "v1", "new");
  reg.SaveDWordValue(HkeyCurrentUser, "Software\\A\\New\\Deeper", "n", 5);
  reg.DeleteValue(HkeyCurrentUser, "Software\\A", "v2");
  reg.DeleteKey(HkeyLocalMachine, "SOFTWARE\\X");
  j.Files().WriteWholeFile(console::BootFilePath, "[Options]\r\nBootGUI=0\r\n");
  const int beforeEnd = plan.count;
  j.End();
  return beforeEnd;
}

// What the system held first; then an earlier step, which no later fault
// may lose, is recorded.
std::string Seed(FaultyMachine& m) {
  m.registry.SetRawValue(HkeyCurrentUser, "Software\\A", "v1", RegSz, {'o', 'l', 'd', 0});
  m.registry.SetRawValue(HkeyCurrentUser, "Software\\A", "v2", RegSz, {'t', 'w', 'o', 0});
  m.registry.SetRawValue(HkeyLocalMachine, "SOFTWARE\\X\\Sub", "s", RegDword, {1, 0, 0, 0});
  m.files.PutFile(console::BootFilePath, "[Options]\r\nBootGUI=1\r\n", FileAttributeHidden);
  const std::string first = Everything(m.registry, m.files);
  TestJournal j(m.registry, m.files, kJournal);
  j.Begin("Earlier");
  RegExtra(j.Registry()).SaveStringValue(HkeyCurrentUser, "Software\\A", "v3", "earlier");
  EXPECT_TRUE(j.End());
  return first;
}

// A new start undoes every step it offers: each must go back without a
// question (nothing else changed meanwhile) unless `questionsAllowed`, and
// the system must then hold what it held before the first step.
void ExpectAgreement(FaultyMachine& m, const std::string& first, bool questionsAllowed,
                     const std::string& where) {
  m.plan.failAt = 0;
  TestJournal restarted(m.registry, m.files, kJournal);
  int questions = 0, undone = 0;
  while (restarted.CanUndo() && undone < 5) {
    const UndoResult r = restarted.Undo([&](const std::vector<std::string>&) {
      ++questions;
      return true;
    });
    ASSERT_TRUE(r.done) << where << " " << r.refused << ::testing::PrintToString(r.failed);
    ++undone;
  }
  EXPECT_EQ(Everything(m.registry, m.files), first) << where;
  if (!questionsAllowed) {
    EXPECT_EQ(questions, 0) << where;
  }
}

TEST(UndoJournalTest, EveryWriteOfAnApplyOrAnUndoMayFailOrStopAndHistoryAndSystemAgree) {
  int total = 0, beforeEnd = 0;
  {
    FaultyMachine m;
    Seed(m);
    TestJournal j(m.failing, m.failingFiles, kJournal);
    beforeEnd = ApplyStep(j, m.plan);
    total = m.plan.count;
  }
  ASSERT_GT(total, 12);
  int refusalsTold = 0;
  for (const bool stop : {false, true})
    for (int k = 1; k <= total; ++k) {
      FaultyMachine m;
      const std::string first = Seed(m);
      m.plan = {};
      m.plan.failAt = k;
      m.plan.stop = stop;
      std::string notice;
      try {
        TestJournal j(m.failing, m.failingFiles, kJournal);
        ApplyStep(j, m.plan);
        notice = j.TakeNotice();
      } catch (const Stopped&) {
      }
      // A save of the history that failed before a change meant the change
      // was refused, and the user is told why. (When the last save fails,
      // the step stays on disk as recorded so far, and can be undone.)
      if (!stop && k <= beforeEnd && m.plan.what.starts_with("C:\\Documents")) {
        EXPECT_NE(notice.find("could not first record them for Undo"), std::string::npos) << k << " " << m.plan.what << " of " << total;
        ++refusalsTold;
      }
      ExpectAgreement(m, first, !stop, std::string(stop ? "stop" : "fail") + " at write " +
                                           std::to_string(k) + " of the apply");
    }
  EXPECT_GT(refusalsTold, 0);

  // The same for an Undo of that step.
  int undoWrites = 0;
  {
    FaultyMachine m;
    Seed(m);
    TestJournal j(m.registry, m.files, kJournal);
    ApplyStep(j, m.plan);
    TestJournal counted(m.failing, m.failingFiles, kJournal);
    ASSERT_TRUE(counted.Undo(nullptr).done);
    undoWrites = m.plan.count;
  }
  ASSERT_GT(undoWrites, 6);
  for (const bool stop : {false, true})
    for (int k = 1; k <= undoWrites; ++k) {
      FaultyMachine m;
      const std::string first = Seed(m);
      {
        TestJournal j(m.registry, m.files, kJournal);
        ApplyStep(j, m.plan);
      }
      m.plan = {};
      m.plan.failAt = k;
      m.plan.stop = stop;
      try {
        TestJournal j(m.failing, m.failingFiles, kJournal);
        j.Undo(nullptr);
      } catch (const Stopped&) {
      }
      // A step stopped part-way back is finished at the next start and not
      // offered again; one that failed part-way stays, and asks.
      ExpectAgreement(m, first, !stop, std::string(stop ? "stop" : "fail") + " at write " +
                                           std::to_string(k) + " of the undo");
    }
}

TEST(UndoJournalTest, ConsolesSharingTheHistoryLoseNoStepAndUndoTakesBackOnlyItsOwnStep) {
  MemoryRegistry registry;
  MemoryFiles files;
  auto a = std::make_unique<TestJournal>(registry, files, kJournal);
  TestJournal b(registry, files, kJournal);
  const auto step = [](Journal& j, const std::string& label, const char* name, const char* text) {
    j.Begin(label);
    RegExtra(j.Registry()).SaveStringValue(HkeyCurrentUser, "Software\\Velmaro\\Settings", name, text);
    return j.End();
  };
  // Interleaved: B records a whole step while A's is under way.
  a->Begin("A1");
  RegExtra(a->Registry()).SaveStringValue(HkeyCurrentUser, "Software\\A", "a", "1");
  ASSERT_TRUE(step(b, "B1", "b", "2"));
  RegExtra(a->Registry()).SaveStringValue(HkeyCurrentUser, "Software\\A", "a2", "1");
  ASSERT_TRUE(a->End());
  ASSERT_TRUE(step(b, "B2", "b", "3"));
  {
    TestJournal c(registry, files, kJournal);
    std::vector<std::string> labels;
    for (const auto& s : c.Steps()) labels.push_back(s.label);
    // In the order each step first changed something.
    EXPECT_EQ(labels, (std::vector<std::string>{"A1", "B1", "B2"}));
  }
  // A takes back the newest step, B's, and names it; B then sees it gone.
  UndoResult r = a->Undo(nullptr);
  EXPECT_TRUE(r.done);
  EXPECT_EQ(r.label, "B2");
  b.Refresh();
  EXPECT_EQ(b.NextLabel(), "B1");
  EXPECT_EQ(b.Undo(nullptr).label, "B1");
  EXPECT_EQ(a->Undo(nullptr).label, "A1");
  EXPECT_FALSE(a->CanUndo());
  // The settings key was made by B1: what came into it since (Setup's
  // values) is named and asked about, and stays with its key.
  EXPECT_FALSE(KeyThereForTest(registry, "Software\\Velmaro"));
  ASSERT_TRUE(step(b, "B3", "b", "4"));
  RegExtra(registry).SaveStringValue(HkeyCurrentUser, "Software\\Velmaro", "DllPath", "C:\\V\\Velmaro.dll");
  std::vector<std::string> asked;
  r = a->Undo([&](const std::vector<std::string>& changed) {
    asked = changed;
    return true;
  });
  EXPECT_TRUE(r.done);
  EXPECT_EQ(asked, std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Velmaro: DllPath"});
  EXPECT_EQ(RegExtra(registry).GetStringValue(HkeyCurrentUser, "Software\\Velmaro", "DllPath", ""),
            "C:\\V\\Velmaro.dll");
  EXPECT_FALSE(KeyThereForTest(registry, "Software\\Velmaro\\Settings"));
  // A step still being recorded in a running console is not taken back
  // under it; once that console has ended, it can be.
  a->Begin("A2");
  RegExtra(a->Registry()).SaveStringValue(HkeyCurrentUser, "Software\\A", "a", "x");
  r = b.Undo(nullptr);
  EXPECT_FALSE(r.done);
  EXPECT_NE(r.refused.find("still being made in another Velmaro window"), std::string::npos);
  a.reset();  // the console is killed mid-step
  r = b.Undo(nullptr);
  EXPECT_TRUE(r.done) << r.refused;
  EXPECT_EQ(RegExtra(registry).GetStringValue(HkeyCurrentUser, "Software\\A", "a", "none"), "none");
}

TEST(UndoJournalTest, AHistoryNamingWhatVelmaroDoesNotChangeIsSetAsideAndNothingIsApplied) {
  MemoryRegistry registry;
  MemoryFiles files;
  files.PutFile("C:\\WINDOWS\\win.ini", "[windows]\r\n");
  registry.SetRawValue(HkeyCurrentUser, "Software\\Other", "keep", RegSz, {'k', 0});
  const auto crafted = [](Step step) {
    step.number = 1;
    step.label = "Apply 'Start Menu' settings...";
    std::string bytes;
    EXPECT_TRUE(WriteHistory({step}, bytes));
    return bytes;
  };
  Step foreignValue, foreignFile, foreignKey;
  foreignValue.before.keys.push_back(
      {HkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", false,
       {{"x", regfile::Data{RegSz, std::string("evil.exe\0", 9)}}}});
  foreignFile.files.push_back({"C:\\WINDOWS\\win.ini", FileState{0, "owned"}, std::nullopt});
  foreignKey.before.keys.push_back({HkeyCurrentUser, "Software\\Other", true, {}});
  foreignKey.before.keys.push_back({HkeyCurrentUser, "Control Panel\\Desktop", false,
                                    {{"Wallpaper", regfile::Data{RegSz, std::string("x\0", 2)}}}});
  for (const Step& s : {foreignValue, foreignFile, foreignKey}) {
    const std::string bytes = crafted(s);
    files.PutFile(kJournal, bytes);
    files.Delete(std::string(kJournal) + ".damaged");
    const std::string state = DumpRegistry(registry);
    TestJournal journal(registry, files, kJournal);
    EXPECT_FALSE(journal.CanUndo());
    EXPECT_NE(journal.LoadMessage().find("which Velmaro does not change"), std::string::npos)
        << journal.LoadMessage();
    EXPECT_NE(journal.LoadMessage().find("set aside"), std::string::npos);
    EXPECT_EQ(journal.Undo([](const std::vector<std::string>&) { return true; }).done, false);
    EXPECT_EQ(DumpRegistry(registry), state);
    std::string ini;
    files.ReadWholeFile("C:\\WINDOWS\\win.ini", ini, 1 << 20);
    EXPECT_EQ(ini, "[windows]\r\n");
    std::string aside;
    files.ReadWholeFile(std::string(kJournal) + ".damaged", aside, 1 << 20);
    EXPECT_EQ(aside, bytes);
  }
  // Removing a key is only ever removing an empty one: a history asking to
  // remove a parent of Velmaro's keys takes nothing with it.
  Step parent;
  parent.before.keys.push_back({HkeyCurrentUser, "Software", true, {}});
  files.PutFile(kJournal, crafted(parent));
  TestJournal journal(registry, files, kJournal);
  std::vector<std::string> asked;
  EXPECT_TRUE(journal.Undo([&](const std::vector<std::string>& changed) {
    asked = changed;
    return true;
  }).done);
  EXPECT_NE(std::find(asked.begin(), asked.end(), "HKEY_CURRENT_USER\\Software\\Other"), asked.end());
  EXPECT_EQ(RegExtra(registry).GetStringValue(HkeyCurrentUser, "Software\\Other", "keep", ""), "k");
}

TEST(UndoJournalTest, AHistoryOfTodaysFormatIsReadAndNamesTheCodePageLacksAreRecorded) {
  MemoryRegistry registry;
  MemoryFiles files;
  // Format 1 held names in the ANSI code page and had no states.
  const auto block = [](const std::string& head, const std::string& bytes) {
    return head + " " + std::to_string(bytes.size()) + "\r\n" + bytes + "\r\n";
  };
  const std::string body =
      "Velmaro undo journal, format 1\r\nstep 4\r\nlabel Apply 'General' settings...\r\n" +
      block("before", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"caf\xE9\"=\"old\"\r\n\r\n") +
      block("after", "REGEDIT4\r\n\r\n") + "end 4\r\n";
  files.PutFile(kJournal, body + "check " + detail::Hex(detail::Fnv1a(body)) + "\r\n");
  registry.SetRawValue(HkeyCurrentUser, "Software\\A", "caf\xC3\xA9", RegSz, {'n', 'e', 'w', 0});
  {
    TestJournal journal(registry, files, kJournal);
    ASSERT_TRUE(journal.CanUndo()) << journal.LoadMessage();
    EXPECT_EQ(journal.NextLabel(), "Apply 'General' settings...");
    EXPECT_TRUE(journal.Undo(nullptr).done);
    EXPECT_EQ(RegExtra(registry).GetStringValue(HkeyCurrentUser, "Software\\A", "caf\xC3\xA9", ""), "old");
  }
  // A name the code page cannot hold (as the editors act on exact names)
  // is recorded in UTF-8 and read back as it was.
  Step wide;
  wide.number = 1;
  wide.label = "StartUp Applications: Remove";
  wide.before.keys.push_back({HkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                              false, {{"\xD0\x97\xD0\xB0\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA",
                                       regfile::Data{RegSz, std::string("a.exe\0", 6)}}}});
  std::string bytes;
  ASSERT_TRUE(WriteHistory({wide}, bytes));
  std::vector<Step> back;
  ASSERT_EQ(ReadHistory(bytes, registry.CodePage(), back), ReadStatus::Ok);
  EXPECT_EQ(back, std::vector<Step>{wide});
}

TEST(UndoJournalTest, AHistoryThatCannotBeSetAsideIsSaidSoKeptWholeAndNotRecordedOver) {
  MemoryRegistry registry;
  MemoryFiles files;
  const std::string damaged = "Velmaro undo journal, format 2\r\nstep 1\r\ncut short";
  const std::string earlier = "an older damaged history";
  files.PutFile(kJournal, damaged);
  files.PutFile(std::string(kJournal) + ".damaged", earlier);
  TestJournal journal(registry, files, kJournal);
  EXPECT_NE(journal.LoadMessage().find("could not be set aside"), std::string::npos);
  EXPECT_NE(journal.LoadMessage().find("that name is taken"), std::string::npos);
  EXPECT_EQ(journal.LoadMessage().find("was set aside"), std::string::npos);
  journal.Begin("step");
  RegExtra(journal.Registry()).SaveStringValue(HkeyCurrentUser, "Software\\A", "v1", "x");
  EXPECT_FALSE(journal.End());
  EXPECT_FALSE(journal.CanUndo());
  std::string now, aside;
  files.ReadWholeFile(kJournal, now, 1 << 20);
  files.ReadWholeFile(std::string(kJournal) + ".damaged", aside, 1 << 20);
  EXPECT_EQ(now, damaged);
  EXPECT_EQ(aside, earlier);
  // Once the user has moved it away, steps are recorded again.
  files.Delete(kJournal);
  journal.Begin("step");
  RegExtra(journal.Registry()).SaveStringValue(HkeyCurrentUser, "Software\\A", "v1", "y");
  EXPECT_TRUE(journal.End());
  EXPECT_TRUE(journal.CanUndo());
}

}  // namespace write_ahead

}  // namespace
}  // namespace velmaro::undo
