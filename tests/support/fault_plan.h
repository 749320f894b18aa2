#pragma once
// Stand-ins for the registry and the files that refuse the k-th change made
// through either, for tests that run a writer once for every change it makes
// and check what the user is told and what is left.
#include <string>
#include <vector>

#include "platform/memory/memory_files.h"
#include "platform/mouse.h"
#include "platform/registry.h"

namespace velmaro::testing {

using namespace platform;

// Counts every change made through it, the registry's and the files' alike,
// and refuses the one numbered `failAt` (a file write then leaves half its
// bytes, as a full disk does).
struct FaultPlan {
  int failAt = 0;
  int count = 0;
  bool failed = false;
  bool Fails() {
    if (++count != failAt) return false;
    failed = true;
    return true;
  }
};

class FailingRegistry final : public Registry {
public:
  FailingRegistry(Registry& real, FaultPlan& plan) : real_(real), plan_(plan) {}
  long OpenKey(HKey root, std::string_view path, HKey& out) override {
    return real_.OpenKey(root, path, out);
  }
  long CreateKey(HKey root, std::string_view path, HKey& out) override {
    // Opening an existing key changes nothing and is never refused.
    if (real_.OpenKey(root, path, out) == ErrorSuccess) return ErrorSuccess;
    return plan_.Fails() ? ErrorAccessDenied : real_.CreateKey(root, path, out);
  }
  long CloseKey(HKey key) override { return real_.CloseKey(key); }
  long QueryValue(HKey key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    return real_.QueryValue(key, name, type, data, size);
  }
  long SetValue(HKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.SetValue(key, name, type, data, size);
  }
  long DeleteKey(HKey root, std::string_view path) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.DeleteKey(root, path);
  }
  long DeleteValue(HKey key, std::string_view name) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.DeleteValue(key, name);
  }
  long EnumKey(HKey key, std::uint32_t index, std::string& name, std::uint32_t capacity) override {
    return real_.EnumKey(key, index, name, capacity);
  }
  long EnumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                 std::uint32_t* type, std::uint32_t dataCapacity) override {
    return real_.EnumValue(key, index, name, nameCapacity, type, dataCapacity);
  }
  long EnumValueData(platform::HKey key, std::uint32_t index, std::string& name,
                     std::uint32_t nameCapacity, std::uint32_t* type, std::uint32_t dataCapacity,
                     std::string& data) override {
    return real_.EnumValueData(key, index, name, nameCapacity, type, dataCapacity, data);
  }
  bool IsTextUnicode(const std::uint8_t* bytes, int length, int flags) const override {
    return real_.IsTextUnicode(bytes, length, flags);
  }
  const AnsiCodePage& CodePage() const override { return real_.CodePage(); }

private:
  Registry& real_;
  FaultPlan& plan_;
};

class FailingFiles final : public FileSystem {
public:
  FailingFiles(MemoryFiles& real, FaultPlan& plan) : real_(real), plan_(plan) {}
  long WindowsDirectory(std::string& path) override { return real_.WindowsDirectory(path); }
  long SystemDirectory(std::string& path) override { return real_.SystemDirectory(path); }
  long ModulePath(std::string& path) override { return real_.ModulePath(path); }
  long GetAttributes(std::string_view path, std::uint32_t& attributes) override {
    return real_.GetAttributes(path, attributes);
  }
  long SetAttributes(std::string_view path, std::uint32_t attributes) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.SetAttributes(path, attributes);
  }
  long ReadWholeFile(std::string_view path, std::string& bytes, std::uint64_t maxBytes) override {
    return real_.ReadWholeFile(path, bytes, maxBytes);
  }
  long WriteWholeFile(std::string_view path, std::string_view bytes) override {
    if (plan_.Fails()) real_.FailNext("WriteWholeFile.Data", ErrorDiskFull);
    return real_.WriteWholeFile(path, bytes);
  }
  long Move(std::string_view from, std::string_view to, std::uint32_t flags) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.Move(from, to, flags);
  }
  long Delete(std::string_view path) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.Delete(path);
  }
  long Copy(std::string_view from, std::string_view to, bool failIfExists) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.Copy(from, to, failIfExists);
  }
  long CreateDir(std::string_view path) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.CreateDir(path);
  }
  long RemoveDir(std::string_view path) override {
    return plan_.Fails() ? ErrorAccessDenied : real_.RemoveDir(path);
  }
  long ListFolders(std::string_view folder, std::vector<std::string>& names) override {
    return real_.ListFolders(folder, names);
  }

private:
  MemoryFiles& real_;
  FaultPlan& plan_;
};


class FailingMouse final : public Mouse {
public:
  FailingMouse(Mouse& real, FaultPlan& plan) : real_(real), plan_(plan) {}
  unsigned DoubleClickTime() override { return real_.DoubleClickTime(); }
  bool SetDoubleClickTime(unsigned ms) override {
    return !plan_.Fails() && real_.SetDoubleClickTime(ms);
  }
  void SwapButtons(bool swap) override { real_.SwapButtons(swap); }
  bool ButtonsSwapped() override { return real_.ButtonsSwapped(); }
  bool SaveDoubleClickTime(unsigned ms) override {
    return !plan_.Fails() && real_.SaveDoubleClickTime(ms);
  }
  bool SaveButtonsSwapped(bool swap) override {
    return !plan_.Fails() && real_.SaveButtonsSwapped(swap);
  }

private:
  Mouse& real_;
  FaultPlan& plan_;
};

}  // namespace velmaro::testing
