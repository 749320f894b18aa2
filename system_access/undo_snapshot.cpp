#include "system_access/undo_snapshot.h"

#include <cstdio>

namespace velmaro::undo::detail {

using namespace platform;

namespace {
constexpr std::uint32_t kNameCapacity = 16384;

bool ValueIn(Registry& r, HKey key, std::string_view name, std::optional<regfile::Data>& out) {
  out.reset();
  std::uint32_t type = 0, size = 0;
  const long rc = r.QueryValue(key, name, &type, nullptr, &size);
  if (rc == ErrorFileNotFound) return true;
  if (rc != ErrorSuccess) return false;
  std::string bytes(size, '\0');
  if (size > 0 && r.QueryValue(key, name, &type, reinterpret_cast<std::uint8_t*>(bytes.data()),
                               &size) != ErrorSuccess)
    return false;
  bytes.resize(size);
  out = regfile::Data{type, std::move(bytes)};
  return true;
}
}  // namespace


std::uint64_t Fnv1a(std::string_view bytes) {
  std::uint64_t h = 1469598103934665603ull;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

std::string Hex(std::uint64_t v) {
  char text[20];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(v));
  return text;
}

bool CurrentValue(Registry& r, HKey root, std::string_view path, std::string_view name,
                  std::optional<regfile::Data>& out) {
  out.reset();
  const auto key = RegistryKey::Opened(r, root, path);
  return !key || ValueIn(r, key.get(), name, out);
}

std::optional<regfile::Data> CurrentValue(Registry& r, HKey root, std::string_view path,
                                          std::string_view name) {
  std::optional<regfile::Data> value;
  CurrentValue(r, root, path, name, value);
  return value;
}

bool KeyThere(Registry& r, HKey root, std::string_view path) {
  return static_cast<bool>(RegistryKey::Opened(r, root, path));
}

// The names of a key's values and subkeys, in the system's order. False when
// one of them is there but no call can reach it by name (half of a surrogate
// pair): such a key can be neither recorded nor called empty.
bool NamesIn(Registry& r, HKey key, std::vector<std::string>& values,
             std::vector<std::string>& subkeys) {
  values.clear();
  subkeys.clear();
  bool reachable = true;
  std::uint32_t type = 0;
  std::string name;
  long rc = ErrorSuccess;
  for (std::uint32_t i = 0;
       (rc = r.EnumValue(key, i, name, kNameCapacity, &type, 0xFFFFFFFFu)) == ErrorSuccess ||
       rc == ErrorNoUnicodeTranslation;
       ++i) {
    if (rc == ErrorSuccess) values.push_back(name);
    else reachable = false;
  }
  for (std::uint32_t i = 0; (rc = r.EnumKey(key, i, name, kNameCapacity)) == ErrorSuccess ||
                            rc == ErrorNoUnicodeTranslation;
       ++i) {
    if (rc == ErrorSuccess) subkeys.push_back(name);
    else reachable = false;
  }
  return reachable;
}

bool Snapshot(Registry& r, HKey root, const std::string& path, std::vector<regfile::Key>& out) {
  const auto key = RegistryKey::Opened(r, root, path);
  if (!key) return true;
  regfile::Key entry{root, path, false, {}};
  std::vector<std::string> names, subkeys;
  if (!NamesIn(r, key.get(), names, subkeys)) return false;
  for (const auto& name : names) {
    std::optional<regfile::Data> value;
    if (!ValueIn(r, key.get(), name, value)) return false;
    entry.values.push_back({name, std::move(value)});
  }
  out.push_back(std::move(entry));
  for (const auto& sub : subkeys)
    if (!Snapshot(r, root, JoinPath(path, sub), out)) return false;
  return true;
}

bool Contents(Registry& r, HKey root, std::string_view path, std::vector<std::string>& values,
              std::vector<std::string>& subkeys) {
  values.clear();
  subkeys.clear();
  const auto key = RegistryKey::Opened(r, root, path);
  if (!key) return false;
  // An entry no name reaches still makes the key not empty.
  if (!NamesIn(r, key.get(), values, subkeys)) values.push_back("(a name Windows gives only in part)");
  return true;
}

std::optional<FileState> CurrentFile(FileSystem& fs, std::string_view path) {
  std::uint32_t attributes = InvalidFileAttributes;
  if (fs.GetAttributes(path, attributes) != ErrorSuccess ||
      (attributes & FileAttributeDirectory))
    return std::nullopt;
  FileState state{attributes & (FileAttributeReadOnly | FileAttributeHidden |
                                FileAttributeSystem | FileAttributeArchive),
                  {}};
  if (fs.ReadWholeFile(path, state.bytes, kMaxRecordedFileBytes) != ErrorSuccess)
    return std::nullopt;
  return state;
}

long PutFile(FileSystem& fs, const std::string& path, const FileState& state) {
  const std::string temp = path + ".velmaro-undo";
  fs.SetAttributes(temp, FileAttributeNormal);
  fs.Delete(temp);
  long rc = fs.WriteWholeFile(temp, state.bytes);
  if (rc == ErrorSuccess) rc = fs.SetAttributes(temp, state.attributes ? state.attributes
                                                                       : FileAttributeNormal);
  std::uint32_t old = InvalidFileAttributes;
  const bool oldThere = fs.GetAttributes(path, old) == ErrorSuccess;
  if (rc == ErrorSuccess && oldThere && (old & FileAttributeReadOnly))
    rc = fs.SetAttributes(path, old & ~FileAttributeReadOnly);
  if (rc == ErrorSuccess)
    rc = fs.Move(temp, path, MovefileReplaceExisting | MovefileWriteThrough);
  if (rc != ErrorSuccess) {
    if (oldThere) fs.SetAttributes(path, old);
    fs.SetAttributes(temp, FileAttributeNormal);
    fs.Delete(temp);
  }
  return rc;
}

long RemoveFile(FileSystem& fs, const std::string& path) {
  if (!fs.Exists(path)) return ErrorSuccess;
  fs.SetAttributes(path, FileAttributeNormal);
  return fs.Delete(path);
}

}  // namespace velmaro::undo::detail

namespace velmaro::undo {
FileMark MarkOf(const FileState& state) {
  return {state.attributes, state.bytes.size(), detail::Fnv1a(state.bytes)};
}
}  // namespace velmaro::undo
