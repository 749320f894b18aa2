#include "platform/memory/memory_registry.h"

#include "platform/utf8.h"

#include <algorithm>
#include <cstring>

namespace velmaro::platform {
namespace {

// Code points 0x80..0x9F of Windows-1252; 0 marks the five unassigned bytes.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::string Fold(std::string_view utf8) { return UpperLatin(utf8); }

std::vector<std::string> SplitPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Names are exact UTF-8, as the wide functions give them; only malformed
// text names nothing.
bool WellFormed(std::string_view utf8) {
  std::size_t i = 0;
  char32_t cp = 0;
  while (i < utf8.size())
    if (!NextCodePoint(utf8, i, cp) || (cp >= 0xD800 && cp < 0xE000)) return false;
  return true;
}

// A name's length in UTF-16 units, what the name buffers of the system count.
std::size_t WideLength(std::string_view utf8) {
  std::size_t i = 0, units = 0;
  char32_t cp = 0;
  while (i < utf8.size()) {
    if (!NextCodePoint(utf8, i, cp)) ++i;
    units += cp >= 0x10000 ? 2 : 1;
  }
  return units;
}

bool IsPredefined(HKey key) {
  return key == HkeyClassesRoot || key == HkeyCurrentUser || key == HkeyLocalMachine;
}

}  // namespace

bool Cp1252CodePage::ToAnsi(std::string_view utf8, std::string& ansi) const {
  ansi.clear();
  std::size_t i = 0;
  while (i < utf8.size()) {
    char32_t cp = 0;
    if (!NextCodePoint(utf8, i, cp)) return false;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      ansi += static_cast<char>(cp);
      continue;
    }
    const auto* hit = std::find(std::begin(kCp1252High), std::end(kCp1252High), cp);
    if (cp == 0 || hit == std::end(kCp1252High)) return false;
    ansi += static_cast<char>(0x80 + (hit - std::begin(kCp1252High)));
  }
  return true;
}

std::string Cp1252CodePage::FromAnsi(std::string_view ansi) const {
  std::string out;
  for (const char c : ansi) {
    const auto b = static_cast<unsigned char>(c);
    char32_t cp = b;
    // Windows maps the unassigned bytes to the C1 controls of the same value.
    if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] != 0) cp = kCp1252High[b - 0x80];
    AppendUtf8(out, cp);
  }
  return out;
}

struct MemoryRegistry::Node {
  struct Value {
    std::string name;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    bool unmappable = false;  // text the ANSI functions can only give with '?'
  };
  std::string name;
  bool deleted = false;
  bool readOnly = false;
  std::map<std::string, std::shared_ptr<Node>> children;  // by folded name
  std::map<std::string, Value> values;                    // by folded name

  void MarkDeleted() {
    deleted = true;
    for (auto& [key, child] : children) child->MarkDeleted();
  }
  void MarkReadOnly() {
    readOnly = true;
    for (auto& [key, child] : children) child->MarkReadOnly();
  }
};

MemoryRegistry::MemoryRegistry()
    : currentUser_(std::make_shared<Node>()), localMachine_(std::make_shared<Node>()) {
  // HKEY_CLASSES_ROOT shows HKEY_LOCAL_MACHINE\Software\Classes, as under Wine.
  auto software = std::make_shared<Node>();
  software->name = "Software";
  classesRoot_ = std::make_shared<Node>();
  classesRoot_->name = "Classes";
  software->children["CLASSES"] = classesRoot_;
  localMachine_->children["SOFTWARE"] = software;
}

MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::ProtectKey(HKey root, std::string_view path) {
  std::shared_ptr<Node> node;
  if (Walk(root, path, true, node) == ErrorSuccess) node->MarkReadOnly();
}

void MemoryRegistry::FailNext(std::string operation, long code) {
  failures_[std::move(operation)] = code;
}

long MemoryRegistry::Fail(const char* operation) const {
  const auto it = failures_.find(operation);
  return it == failures_.end() ? ErrorSuccess : it->second;
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::Resolve(HKey key) const {
  if (key == HkeyClassesRoot) return classesRoot_;
  if (key == HkeyCurrentUser) return currentUser_;
  if (key == HkeyLocalMachine) return localMachine_;
  const auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : it->second;
}

HKey MemoryRegistry::NewHandle(std::shared_ptr<Node> node) {
  const HKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = std::move(node);
  return handle;
}

long MemoryRegistry::Walk(HKey root, std::string_view path, bool create,
                          std::shared_ptr<Node>& node) {
  node = Resolve(root);
  if (!node) return ErrorInvalidHandle;
  if (node->deleted) return 1018;  // ERROR_KEY_DELETED
  if (!WellFormed(path)) return ErrorNoUnicodeTranslation;
  for (const auto& part : SplitPath(path)) {
    if (part.size() > 255) return ErrorInvalidParameter;
    const std::string folded = Fold(part);
    auto it = node->children.find(folded);
    if (it == node->children.end()) {
      if (!create) return ErrorFileNotFound;
      if (node->readOnly) return ErrorAccessDenied;
      auto child = std::make_shared<Node>();
      child->name = part;
      it = node->children.emplace(folded, std::move(child)).first;
    }
    node = it->second;
  }
  return ErrorSuccess;
}

long MemoryRegistry::OpenKey(HKey root, std::string_view path, HKey& out) {
  if (const long code = Fail("OpenKey")) return code;
  std::shared_ptr<Node> node;
  const long rc = Walk(root, path, false, node);
  if (rc != ErrorSuccess) return rc;
  // Like RegOpenKeyA, an empty path hands back the key it was given.
  out = SplitPath(path).empty() ? root : NewHandle(node);
  return ErrorSuccess;
}

long MemoryRegistry::CreateKey(HKey root, std::string_view path, HKey& out) {
  if (const long code = Fail("CreateKey")) return code;
  std::shared_ptr<Node> node;
  const long rc = Walk(root, path, true, node);
  if (rc != ErrorSuccess) return rc;
  // RegCreateKeyA asks for write access, which a protected key refuses.
  if (node->readOnly) return ErrorAccessDenied;
  out = SplitPath(path).empty() ? root : NewHandle(node);
  return ErrorSuccess;
}

long MemoryRegistry::CloseKey(HKey key) {
  if (IsPredefined(key)) return ErrorSuccess;
  return handles_.erase(key) ? ErrorSuccess : ErrorInvalidHandle;
}

long MemoryRegistry::QueryValue(HKey key, std::string_view name, std::uint32_t* type,
                                std::uint8_t* data, std::uint32_t* size) {
  if (const long code = Fail("QueryValue")) return code;
  const auto node = Resolve(key);
  if (!node) return ErrorInvalidHandle;
  if (node->deleted) return 1018;
  if (!WellFormed(name)) return ErrorNoUnicodeTranslation;
  const auto it = node->values.find(Fold(name));
  if (it == node->values.end()) return ErrorFileNotFound;
  const auto& value = it->second;
  if (type) *type = value.type;
  if (value.unmappable) return ErrorNoUnicodeTranslation;
  return HandOutValue(
      std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()), data,
      size);
}

long MemoryRegistry::SetValue(HKey key, std::string_view name, std::uint32_t type,
                              const std::uint8_t* data, std::uint32_t size) {
  return Store(key, name, type, data, size, false);
}

long MemoryRegistry::SetValueExact(HKey key, std::string_view name, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
  return Store(key, name, type, data, size, true);
}

long MemoryRegistry::Store(HKey key, std::string_view name, std::uint32_t type,
                           const std::uint8_t* data, std::uint32_t size, bool exact) {
  if (const long code = Fail("SetValue")) return code;
  const auto node = Resolve(key);
  if (!node) return ErrorInvalidHandle;
  if (node->deleted) return 1018;
  if (!WellFormed(name)) return ErrorNoUnicodeTranslation;
  if (node->readOnly) return ErrorAccessDenied;
  if (size > 0 && !data) return ErrorInvalidParameter;
  std::vector<std::uint8_t> bytes(data, data + size);
  // Text counted without its NUL is stored with one, as the system does when
  // the caller's buffer is terminated (the Win32 side always hands it a
  // terminated copy). Text counted as empty stays empty, as there.
  if ((type == RegSz || type == RegExpandSz) && size > 0 && bytes.back() != 0 && !exact)
    bytes.push_back(0);
  node->values[Fold(name)] = Node::Value{std::string(name), type, std::move(bytes)};
  return ErrorSuccess;
}

long MemoryRegistry::DeleteKey(HKey root, std::string_view path) {
  if (const long code = Fail("DeleteKey")) return code;
  auto parts = SplitPath(path);
  if (parts.empty()) return ErrorAccessDenied;  // a root is never deleted
  const std::string leaf = parts.back();
  parts.pop_back();
  std::string parentPath;
  for (const auto& p : parts) parentPath += p + "\\";
  std::shared_ptr<Node> parent;
  const long rc = Walk(root, parentPath, false, parent);
  if (rc != ErrorSuccess) return rc;
  const auto it = parent->children.find(Fold(leaf));
  if (it == parent->children.end()) return ErrorFileNotFound;
  if (parent->readOnly || it->second->readOnly) return ErrorAccessDenied;
  it->second->MarkDeleted();
  parent->children.erase(it);
  if (journal_) journal_->push_back("DeleteKey " + std::string(path));
  return ErrorSuccess;
}

long MemoryRegistry::DeleteValue(HKey key, std::string_view name) {
  if (const long code = Fail("DeleteValue")) return code;
  const auto node = Resolve(key);
  if (!node) return ErrorInvalidHandle;
  if (node->deleted) return 1018;
  if (node->readOnly) return ErrorAccessDenied;
  return node->values.erase(Fold(name)) ? ErrorSuccess : ErrorFileNotFound;
}

long MemoryRegistry::EnumKey(HKey key, std::uint32_t index, std::string& name,
                             std::uint32_t capacity) {
  if (const long code = Fail("EnumKey")) return code;
  const auto node = Resolve(key);
  if (!node) return ErrorInvalidHandle;
  if (node->deleted) return 1018;
  if (index >= node->children.size()) return ErrorNoMoreItems;
  const auto& child = *std::next(node->children.begin(), index)->second;
  if (WideLength(child.name) + 1 > capacity) return ErrorMoreData;
  return Named(child.name, name);
}

long MemoryRegistry::EnumValue(HKey key, std::uint32_t index, std::string& name,
                               std::uint32_t nameCapacity, std::uint32_t* type,
                               std::uint32_t dataCapacity) {
  std::string scratch;
  return EnumValueData(key, index, name, nameCapacity, type, dataCapacity, scratch);
}

long MemoryRegistry::EnumValueData(HKey key, std::uint32_t index, std::string& name,
                                   std::uint32_t nameCapacity, std::uint32_t* type,
                                   std::uint32_t dataCapacity, std::string& data) {
  data.clear();
  if (const long code = Fail("EnumValue")) return code;
  const auto node = Resolve(key);
  if (!node) return ErrorInvalidHandle;
  if (node->deleted) return 1018;
  if (index >= node->values.size()) return ErrorNoMoreItems;
  const auto& value = std::next(node->values.begin(), index)->second;
  if (WideLength(value.name) + 1 > nameCapacity || value.data.size() > dataCapacity)
    return ErrorMoreData;
  if (type) *type = value.type;
  data.assign(value.data.begin(), value.data.end());
  return Named(value.name, name);
}

// A name no UTF-8 text can give again (half of a surrogate pair, as the
// system allows) is listed with U+FFFD in its place and flagged.
long MemoryRegistry::Named(const std::string& stored, std::string& name) {
  if (WellFormed(stored)) {
    name = stored;
    return ErrorSuccess;
  }
  name.clear();
  std::size_t i = 0;
  char32_t cp = 0;
  while (i < stored.size()) {
    if (!NextCodePoint(stored, i, cp)) ++i, cp = 0xFFFD;
    AppendUtf8(name, cp >= 0xD800 && cp < 0xE000 ? char32_t{0xFFFD} : cp);
  }
  return ErrorNoUnicodeTranslation;
}

bool MemoryRegistry::IsTextUnicode(const std::uint8_t* bytes, int length, int flags) const {
  // The four positive tests of the system's heuristic: a byte-order mark,
  // 16-bit ASCII, statistics (high bytes steadier than low bytes), and
  // UTF-16 white space. The negative tests are not asked for by these flags,
  // so NUL padding after the text does not count against it.
  if (!bytes || length < 2) return false;
  if (bytes[length - 1] == 0) --length;
  const int count = std::min(length / 2, 256);
  if (count == 0) return false;
  unsigned loDiff = 0, hiDiff = 0, lastLo = 0, lastHi = 0;
  bool controls = false, allHighZero = true;
  for (int i = 0; i < count; ++i) {
    const unsigned lo = bytes[2 * i], hi = bytes[2 * i + 1];
    const unsigned wc = lo | (hi << 8);
    loDiff += lo > lastLo ? lo - lastLo : lastLo - lo;
    hiDiff += hi > lastHi ? hi - lastHi : lastHi - hi;
    lastLo = lo;
    lastHi = hi;
    if (hi != 0) allHighZero = false;
    if (wc == '\r' || wc == '\n' || wc == '\t' || wc == ' ' || wc == 0x3000) controls = true;
  }
  const unsigned first = bytes[0] | (bytes[1] << 8);
  if ((flags & 8) && first == 0xFEFF) return true;
  if ((flags & 1) && allHighZero && loDiff < 127) return true;
  if ((flags & 2) && 3 * hiDiff < loDiff) return true;
  if ((flags & 4) && controls) return true;
  return false;
}

void MemoryRegistry::SetRawValue(HKey root, std::string_view path, std::string_view name,
                                 std::uint32_t type, std::vector<std::uint8_t> data) {
  std::shared_ptr<Node> node;
  if (Walk(root, path, true, node) != ErrorSuccess) return;
  node->values[Fold(name)] = Node::Value{std::string(name), type, std::move(data)};
}

void MemoryRegistry::AddRawKey(HKey root, std::string_view path, std::string name) {
  std::shared_ptr<Node> node;
  if (Walk(root, path, true, node) != ErrorSuccess) return;
  auto child = std::make_shared<Node>();
  child->name = name;
  node->children.emplace(Fold(name), std::move(child));
}

void MemoryRegistry::SetUnmappableText(HKey root, std::string_view path, std::string_view name) {
  std::shared_ptr<Node> node;
  if (Walk(root, path, true, node) != ErrorSuccess) return;
  node->values[Fold(name)] =
      Node::Value{std::string(name), RegSz, {'?', '?', 0}, true};
}

}  // namespace velmaro::platform
