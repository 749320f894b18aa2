#pragma once
// A journal as one running console sees it in the native tests: its own
// program's locks in the shared memory session, and a scope that takes the
// console's own keys and files plus the tests' made-up keys.
#include <string>

#include "console/velmaro_scope.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_locks.h"
#include "platform/memory/memory_registry.h"
#include "system_access/undo_journal.h"

namespace velmaro::testing {

// Every program of a test's session; a program ends with its MemoryLocks.
inline platform::MemoryLockTable& Session() {
  static platform::MemoryLockTable table;
  return table;
}

inline ChangeScope TestScope(platform::Registry& registry, platform::FileSystem& files) {
  ChangeScope scope = console::WhatVelmaroMayChange(registry, files);
  scope.AddKey(platform::HkeyCurrentUser, "Software\\A", true);
  scope.AddKey(platform::HkeyLocalMachine, "SOFTWARE\\X", true);
  return scope;
}

struct ProgramLocks {
  explicit ProgramLocks(platform::MemoryLockTable& table) : locks(table) {}
  platform::MemoryLocks locks;
};

// A journal over the memory platform, opened as a new program would.
class TestJournal : private ProgramLocks, public undo::Journal {
public:
  TestJournal(platform::Registry& registry, platform::FileSystem& files, std::string path,
              platform::MemoryLockTable& session = Session())
      : ProgramLocks(session),
        undo::Journal(registry, files, std::move(path), locks, TestScope(registry, files)) {}
  platform::Locks& Program() { return locks; }
};

}  // namespace velmaro::testing
