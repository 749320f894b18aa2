#pragma once
// An in-memory registry with the semantics the programs rely on: keys and
// values named without regard to letter case, enumeration in case-insensitive
// alphabetical order (as Wine gives it), names exactly as stored, also those
// the ANSI code page cannot hold (as the wide functions give them), ErrorMoreData with the size needed,
// the unnamed default value, subtree delete, and HKEY_CLASSES_ROOT as a view
// of HKEY_LOCAL_MACHINE\Software\Classes.
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace velmaro::platform {

// Windows-1252, the ANSI code page of a Western installation.
class Cp1252CodePage final : public AnsiCodePage {
public:
  bool ToAnsi(std::string_view utf8, std::string& ansi) const override;
  std::string FromAnsi(std::string_view ansi) const override;
};

class MemoryRegistry final : public Registry {
public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  long OpenKey(HKey root, std::string_view path, HKey& out) override;
  long CreateKey(HKey root, std::string_view path, HKey& out) override;
  long CloseKey(HKey key) override;
  long QueryValue(HKey key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long SetValue(HKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long SetValueExact(HKey key, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override;
  long DeleteKey(HKey root, std::string_view path) override;
  long DeleteValue(HKey key, std::string_view name) override;
  long EnumKey(HKey key, std::uint32_t index, std::string& name, std::uint32_t capacity) override;
  long EnumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                 std::uint32_t* type, std::uint32_t dataCapacity) override;
  long EnumValueData(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                     std::uint32_t* type, std::uint32_t dataCapacity, std::string& data) override;
  bool IsTextUnicode(const std::uint8_t* bytes, int length, int flags) const override;
  const AnsiCodePage& CodePage() const override { return codePage_; }

  // Test aids. Stores bytes exactly as given (no NUL is added to text types).
  // The name may be one no UTF-8 text can name (the bytes of half a
  // surrogate pair): listing flags it, and nothing can reach it by name.
  void SetRawValue(HKey root, std::string_view path, std::string_view name, std::uint32_t type,
                   std::vector<std::uint8_t> data);
  // A subkey of `path` under a name taken as it is (also such a name).
  void AddRawKey(HKey root, std::string_view path, std::string name);
  // A text value holding characters the ANSI code page lacks (stored through
  // the wide functions): queries refuse it with ErrorNoUnicodeTranslation, as
  // the Win32 side does rather than hand out '?' substitutes.
  void SetUnmappableText(HKey root, std::string_view path, std::string_view name);
  // Makes every later call of `operation` ("OpenKey", "SetValue", ...) fail
  // with `code`, to test what callers do when the system refuses.
  void FailNext(std::string operation, long code);
  void ClearFailures() { failures_.clear(); }
  // Makes the key (created if missing) and every key now below it refuse
  // changes with ErrorAccessDenied while reads go on working, as
  // HKEY_LOCAL_MACHINE does for a standard user. An empty path takes the root.
  void ProtectKey(HKey root, std::string_view path);
  int OpenHandleCount() const { return static_cast<int>(handles_.size()); }
  // Each key deleted is noted here as "DeleteKey <path>", so that a test can
  // check an order (with MemoryFiles::RecordInto, in one journal).
  void RecordInto(std::vector<std::string>* journal) { journal_ = journal; }

private:
  struct Node;
  long Fail(const char* operation) const;
  long Store(HKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
             std::uint32_t size, bool exact);
  std::shared_ptr<Node> Resolve(HKey key) const;
  long Walk(HKey root, std::string_view path, bool create, std::shared_ptr<Node>& node);
  HKey NewHandle(std::shared_ptr<Node> node);
  static long Named(const std::string& stored, std::string& name);

  Cp1252CodePage codePage_;
  std::shared_ptr<Node> classesRoot_, currentUser_, localMachine_;
  std::map<HKey, std::shared_ptr<Node>> handles_;
  HKey nextHandle_ = 0x100;
  std::map<std::string, long> failures_;
  std::vector<std::string>* journal_ = nullptr;
};

}  // namespace velmaro::platform
