#pragma once
// Stand-ins for the registry and the files that refuse the k-th change made
// through either, for tests that run a writer once for every change it makes
// and check what the user is told and what is left.
#include <string>
#include <vector>

#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"
#include "platform/forwarding.h"
#include "platform/registry.h"

namespace velmaro::testing {

using namespace platform;

// The program was ended (killed) at the planned call.
struct Stopped {};

// Counts every change made through it, the registry's and the files' alike,
// and refuses the one numbered `failAt` (a file write then leaves half its
// bytes, as a full disk does). With `stop`, the program ends there instead:
// the call throws Stopped (a file write after leaving half its bytes).
struct FaultPlan {
  int failAt = 0;
  int count = 0;
  bool failed = false;
  bool stop = false;
  std::string what;  // the path the planned call was about, when a file's
  bool Fails(std::string_view about = {}, bool stopNow = true) {
    if (++count != failAt) return false;
    failed = true;
    what = std::string(about);
    if (stop && stopNow) throw Stopped{};
    return true;
  }
};

class FailingRegistry final : public ForwardingRegistry {
public:
  FailingRegistry(Registry& real, FaultPlan& plan) : ForwardingRegistry(real), plan_(plan) {}
  long CreateKey(HKey root, std::string_view path, HKey& out) override {
    // Opening an existing key changes nothing and is never refused.
    if (real_.OpenKey(root, path, out) == ErrorSuccess) return ErrorSuccess;
    return plan_.Fails() ? ErrorAccessDenied : real_.CreateKey(root, path, out);
  }
  long SetValue(HKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.SetValue(key, name, type, data, size);
  }
  long SetValueExact(HKey key, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.SetValueExact(key, name, type, data, size);
  }
  long DeleteKey(HKey root, std::string_view path) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.DeleteKey(root, path);
  }
  long DeleteValue(HKey key, std::string_view name) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.DeleteValue(key, name);
  }

private:
  FaultPlan& plan_;
};

class FailingFiles final : public ForwardingFiles {
public:
  FailingFiles(MemoryFiles& real, FaultPlan& plan)
      : ForwardingFiles(real), memory_(real), plan_(plan) {}
  long SetAttributes(std::string_view path, std::uint32_t attributes) override {
    return plan_.Fails(path) ? ErrorAccessDenied : real_.SetAttributes(path, attributes);
  }
  long WriteWholeFile(std::string_view path, std::string_view bytes) override {
    if (!plan_.Fails(path, false)) return real_.WriteWholeFile(path, bytes);
    memory_.FailNext("WriteWholeFile.Data", ErrorDiskFull);
    const long rc = real_.WriteWholeFile(path, bytes);
    if (plan_.stop) throw Stopped{};
    return rc;
  }
  long Move(std::string_view from, std::string_view to, std::uint32_t flags) override {
    return plan_.Fails(to) ? ErrorAccessDenied : real_.Move(from, to, flags);
  }
  long Delete(std::string_view path) override {
    return plan_.Fails(path) ? ErrorAccessDenied : real_.Delete(path);
  }
  long Copy(std::string_view from, std::string_view to, bool failIfExists) override {
    return plan_.Fails(to) ? ErrorAccessDenied : real_.Copy(from, to, failIfExists);
  }
  long CreateDir(std::string_view path) override {
    return plan_.Fails(path) ? ErrorAccessDenied : real_.CreateDir(path);
  }
  long RemoveDir(std::string_view path) override {
    return plan_.Fails(path) ? ErrorAccessDenied : real_.RemoveDir(path);
  }

private:
  MemoryFiles& memory_;  // where a failing write leaves half its bytes
  FaultPlan& plan_;
};


class FailingMouse final : public ForwardingMouse {
public:
  FailingMouse(Mouse& real, FaultPlan& plan) : ForwardingMouse(real), plan_(plan) {}
  bool SetDoubleClickTime(unsigned ms) override {
    return !plan_.Fails() && real_.SetDoubleClickTime(ms);
  }
  bool SaveDoubleClickTime(unsigned ms) override {
    return !plan_.Fails() && real_.SaveDoubleClickTime(ms);
  }
  bool SaveButtonsSwapped(bool swap) override {
    return !plan_.Fails() && real_.SaveButtonsSwapped(swap);
  }

private:
  FaultPlan& plan_;
};

// A memory registry and files, seen through stand-ins that refuse the change
// the plan names: what a writer under test is given.
struct FaultyMachine {
  MemoryRegistry registry;
  MemoryFiles files;
  FaultPlan plan;
  FailingRegistry failing{registry, plan};
  FailingFiles failingFiles{files, plan};
};

}  // namespace velmaro::testing
