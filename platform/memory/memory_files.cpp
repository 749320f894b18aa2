#include "platform/memory/memory_files.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include "platform/ascii_case.h"

namespace velmaro::platform {
namespace {

constexpr std::uint32_t kKeptAttributes =
    FileAttributeReadOnly | FileAttributeHidden | FileAttributeSystem | FileAttributeArchive;
constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

// Lower-cases the letters of Windows-1252, the way the file system compares
// names on a Western installation.
char FoldAnsi(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 0x20);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 0x20);
  switch (b) {
    case 0x8A:
      return static_cast<char>(0x9A);  // S caron
    case 0x8C:
      return static_cast<char>(0x9C);  // OE
    case 0x8E:
      return static_cast<char>(0x9E);  // Z caron
    case 0x9F:
      return static_cast<char>(0xFF);  // Y diaeresis
    default:
      return c;
  }
}

bool IsInvalidNameByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
}

}  // namespace

MemoryFiles::MemoryFiles() {
  AddDrive('C');
  SetWindowsDirectory(windowsDir_);
  PutFolder(systemDir_);
  PutFile(modulePath_, "MZ");
}

long MemoryFiles::Resolve(std::string_view path, std::size_t limit, Resolved& out) const {
  out = {};
  // A NUL would end the path early on the real system and name another file.
  if (path.find('\0') != std::string_view::npos) return ErrorInvalidName;
  std::string ansi;
  if (!codePage_.ToAnsi(path, ansi)) return ErrorNoUnicodeTranslation;
  if (ansi.size() >= limit) return ErrorFilenameExcedRange;
  std::replace(ansi.begin(), ansi.end(), '/', '\\');
  if (ansi.size() < 3 || !std::isalpha(static_cast<unsigned char>(ansi[0])) || ansi[1] != ':' ||
      ansi[2] != '\\')
    return ErrorInvalidName;
  const auto drive = drives_.find(UpperAscii(ansi[0]));
  if (drive == drives_.end()) return ErrorPathNotFound;
  if (!drive->second.ready) return ErrorNotReady;

  std::vector<std::string> parts, names;
  std::size_t start = 3;
  while (start <= ansi.size()) {
    const std::size_t end = std::min(ansi.find('\\', start), ansi.size());
    std::string part = ansi.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    if (std::any_of(part.begin(), part.end(), IsInvalidNameByte)) return ErrorInvalidName;
    // Windows drops trailing dots and blanks from each name.
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part.empty()) continue;
    names.push_back(codePage_.FromAnsi(part));
    std::transform(part.begin(), part.end(), part.begin(), FoldAnsi);
    parts.push_back(std::move(part));
  }
  out.trailingSeparator = !parts.empty() && ansi.back() == '\\';
  out.drive = std::string(1, LowerAscii(ansi[0])) + ":";
  out.key = out.drive;
  for (const auto& part : parts) out.key += "\\" + part;
  out.parts = std::move(parts);
  out.names = std::move(names);
  return ErrorSuccess;
}

long MemoryFiles::CheckFolders(const Resolved& r) const {
  std::string prefix = r.drive;
  for (std::size_t i = 0; i + 1 < r.parts.size(); ++i) {
    prefix += "\\" + r.parts[i];
    const auto it = nodes_.find(prefix);
    if (it == nodes_.end() || !it->second.directory) return ErrorPathNotFound;
  }
  // "file\" names a folder that is not there.
  const auto it = nodes_.find(r.key);
  if (r.trailingSeparator && it != nodes_.end() && !it->second.directory) return ErrorPathNotFound;
  return ErrorSuccess;
}

long MemoryFiles::Enter(std::string_view operation, std::string_view path, std::size_t limit,
                        Resolved& r) {
  if (const long rc = Resolve(path, limit, r)) return rc;
  if (const long rc = Fail(operation, r.key)) return rc;
  return CheckFolders(r);
}

long MemoryFiles::Fail(std::string_view operation, const std::string& key) {
  const auto it = std::find_if(failures_.begin(), failures_.end(), [&](const Failure& f) {
    return f.operation == operation && (f.key.empty() || f.key == key);
  });
  if (it == failures_.end()) return ErrorSuccess;
  const long code = it->code;
  failures_.erase(it);
  return code;
}

MemoryFiles::Node* MemoryFiles::Find(const Resolved& r) {
  const auto it = nodes_.find(r.key);
  return it == nodes_.end() ? nullptr : &it->second;
}

bool MemoryFiles::HasChildren(const std::string& key) const {
  const std::string prefix = key + "\\";
  const auto it = nodes_.lower_bound(prefix);
  return it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

long MemoryFiles::WindowsDirectory(std::string& path) {
  path.clear();
  if (const long rc = Fail("WindowsDirectory")) return rc;
  path = windowsDir_;
  return ErrorSuccess;
}

long MemoryFiles::SystemDirectory(std::string& path) {
  path.clear();
  if (const long rc = Fail("SystemDirectory")) return rc;
  path = systemDir_;
  return ErrorSuccess;
}

long MemoryFiles::ModulePath(std::string& path) {
  path.clear();
  if (const long rc = Fail("ModulePath")) return rc;
  path = modulePath_;
  return ErrorSuccess;
}

long MemoryFiles::GetAttributes(std::string_view path, std::uint32_t& attributes) {
  attributes = InvalidFileAttributes;
  Resolved r;
  if (const long rc = Enter("GetAttributes", path, MaxPath, r)) return rc;
  const Node* node = Find(r);
  if (!node) return ErrorFileNotFound;
  if (node->directory)
    attributes = FileAttributeDirectory | node->attributes;
  else
    attributes = node->attributes ? node->attributes : FileAttributeNormal;
  return ErrorSuccess;
}

long MemoryFiles::SetAttributes(std::string_view path, std::uint32_t attributes) {
  Resolved r;
  if (const long rc = Enter("SetAttributes", path, MaxPath, r)) return rc;
  Node* node = Find(r);
  if (!node) return ErrorFileNotFound;
  node->attributes = attributes & kKeptAttributes;
  return ErrorSuccess;
}

long MemoryFiles::ReadWholeFile(std::string_view path, std::string& bytes, std::uint64_t maxBytes) {
  bytes.clear();
  Resolved r;
  if (const long rc = Enter("ReadWholeFile", path, MaxPath, r)) return rc;
  const Node* node = Find(r);
  if (!node) return ErrorFileNotFound;
  if (node->directory) return ErrorAccessDenied;
  if (node->heldOpen) return ErrorSharingViolation;
  if (node->data.size() > maxBytes) return ErrorFileTooLarge;
  bytes = node->data;
  return ErrorSuccess;
}

long MemoryFiles::WriteWholeFile(std::string_view path, std::string_view bytes) {
  Resolved r;
  if (const long rc = Enter("WriteWholeFile", path, MaxPath, r)) return rc;
  Node* node = Find(r);
  if (node) {
    if (node->directory) return ErrorAccessDenied;
    if (node->heldOpen) return ErrorSharingViolation;
    if (node->attributes & FileAttributeReadOnly) return ErrorAccessDenied;
  } else {
    node = &nodes_[r.key];
    node->name = r.names.empty() ? std::string() : r.names.back();
  }
  Note("WriteWholeFile", path);
  // Truncated and marked for backup; hidden and system stay.
  node->attributes =
      (node->attributes & (FileAttributeHidden | FileAttributeSystem)) | FileAttributeArchive;
  node->data.clear();
  if (const long rc = Fail("WriteWholeFile.Data", r.key)) {
    node->data = bytes.substr(0, bytes.size() / 2);
    return rc;
  }
  node->data = bytes;
  return Fail("WriteWholeFile.Flush", r.key);
}

long MemoryFiles::Move(std::string_view from, std::string_view to, std::uint32_t flags) {
  Resolved rf, rt;
  if (const long rc = Enter("Move", from, MaxPath, rf)) return rc;
  if (const long rc = Enter("Move", to, MaxPath, rt)) return rc;
  Node* source = Find(rf);
  if (!source) return ErrorFileNotFound;
  if (source->heldOpen) return ErrorSharingViolation;
  if (rf.key == rt.key) return ErrorSuccess;  // the same file, perhaps another letter case
  if (rt.key.compare(0, rf.key.size() + 1, rf.key + "\\") == 0) return ErrorAccessDenied;
  if (const Node* target = Find(rt)) {
    if (!(flags & MovefileReplaceExisting)) return ErrorAlreadyExists;
    if (target->directory || source->directory || target->heldOpen ||
        (target->attributes & FileAttributeReadOnly))
      return ErrorAccessDenied;
  }
  // A folder moves with everything below it.
  std::map<std::string, Node> moved;
  const std::string prefix = rf.key + "\\";
  for (auto it = nodes_.begin(); it != nodes_.end();) {
    if (it->first == rf.key || it->first.compare(0, prefix.size(), prefix) == 0) {
      moved[rt.key + it->first.substr(rf.key.size())] = std::move(it->second);
      it = nodes_.erase(it);
    } else {
      ++it;
    }
  }
  if (auto top = moved.find(rt.key); top != moved.end() && !rt.names.empty())
    top->second.name = rt.names.back();
  for (auto& [key, node] : moved) nodes_[key] = std::move(node);
  Note("Move", from);
  return ErrorSuccess;
}

// Why a file cannot be deleted (0 when it can), as Windows answers a
// deletion or an open for one: no such file; a folder; held open by a
// program that shares no deletion (its open fails first); read-only.
long MemoryFiles::RefusesDeletion(const Node* node) {
  if (!node) return ErrorFileNotFound;
  if (node->directory) return ErrorAccessDenied;
  if (node->heldOpen) return ErrorSharingViolation;
  return node->attributes & FileAttributeReadOnly ? ErrorAccessDenied : ErrorSuccess;
}

long MemoryFiles::Delete(std::string_view path) {
  Resolved r;
  if (const long rc = Enter("Delete", path, MaxPath, r)) return rc;
  if (const long rc = RefusesDeletion(Find(r))) return rc;
  nodes_.erase(r.key);
  Note("Delete", path);
  return ErrorSuccess;
}

long MemoryFiles::Copy(std::string_view from, std::string_view to, bool failIfExists) {
  Resolved rf, rt;
  if (const long rc = Enter("Copy", from, MaxPath, rf)) return rc;
  if (const long rc = Enter("Copy", to, MaxPath, rt)) return rc;
  const Node* source = Find(rf);
  if (!source) return ErrorFileNotFound;
  if (source->directory) return ErrorAccessDenied;
  if (source->heldOpen || rf.key == rt.key) return ErrorSharingViolation;
  if (const Node* target = Find(rt)) {
    if (failIfExists) return ErrorFileExists;
    if (target->directory || (target->attributes & FileAttributeReadOnly)) return ErrorAccessDenied;
    if (target->heldOpen) return ErrorSharingViolation;
  }
  Node copy;
  copy.name = rt.names.empty() ? std::string() : rt.names.back();
  copy.attributes = source->attributes | FileAttributeArchive;
  copy.data = source->data;
  nodes_[rt.key] = std::move(copy);
  Note("Copy", to);
  return ErrorSuccess;
}

long MemoryFiles::CreateDir(std::string_view path) {
  Resolved r;
  if (const long rc = Enter("CreateDir", path, MaxDirectoryPath, r)) return rc;
  if (Find(r)) return ErrorAlreadyExists;
  Node& node = nodes_[r.key];
  node.directory = true;
  node.name = r.names.empty() ? std::string() : r.names.back();
  Note("CreateDir", path);
  return ErrorSuccess;
}

long MemoryFiles::RemoveDir(std::string_view path) {
  Resolved r;
  if (const long rc = Enter("RemoveDir", path, MaxPath, r)) return rc;
  const Node* node = Find(r);
  if (!node) return ErrorFileNotFound;
  if (!node->directory) return ErrorDirectory;
  if (r.parts.empty()) return ErrorAccessDenied;  // the drive root
  if (HasChildren(r.key)) return ErrorDirNotEmpty;
  nodes_.erase(r.key);
  Note("RemoveDir", path);
  return ErrorSuccess;
}

long MemoryFiles::ListFolders(std::string_view folder, std::vector<std::string>& names) {
  names.clear();
  Resolved r;
  if (const long rc = Enter("ListFolders", folder, MaxPath - 2, r)) return rc;
  const Node* node = Find(r);
  if (!node) return ErrorPathNotFound;
  if (!node->directory) return ErrorDirectory;
  const std::string prefix = r.key + "\\";
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end(); ++it) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) break;
    const std::string rest = it->first.substr(prefix.size());
    if (!it->second.directory || rest.find('\\') != std::string::npos) continue;
    names.push_back(it->second.name.empty() ? codePage_.FromAnsi(rest) : it->second.name);
  }
  return ErrorSuccess;
}

// ---- Drives ----

long MemoryFiles::DriveRoots(std::vector<std::string>& roots) {
  roots.clear();
  if (const long rc = Fail("DriveRoots")) return rc;
  for (const auto& [letter, drive] : drives_) roots.push_back(std::string(1, letter) + ":\\");
  return ErrorSuccess;
}

long MemoryFiles::DriveReady(std::string_view root) {
  std::string label;
  return VolumeLabel(root, label);
}

long MemoryFiles::VolumeLabel(std::string_view root, std::string& label) {
  label.clear();
  if (root.size() != 3 || root.substr(1, 2) != ":\\") return ErrorInvalidDrive;
  if (const long rc = Fail("VolumeLabel")) return rc;
  const auto it = drives_.find(UpperAscii(root[0]));
  if (it == drives_.end()) return ErrorInvalidDrive;
  if (!it->second.ready) return ErrorNotReady;
  label = it->second.label;
  return ErrorSuccess;
}

long MemoryFiles::DriveFolder(char letter, std::string& path) {
  const char up = UpperAscii(letter);
  path = std::string(1, up) + ":\\";
  if (const long rc = Fail("DriveFolder")) return rc;
  const auto it = drives_.find(up);
  if (it != drives_.end() && !it->second.folder.empty()) path = it->second.folder;
  return ErrorSuccess;
}

long MemoryFiles::CurrentDirectory(std::string& path) {
  path.clear();
  if (const long rc = Fail("CurrentDirectory")) return rc;
  path = currentDirectory_;
  return ErrorSuccess;
}

void MemoryFiles::AddDrive(char letter, bool ready, std::string label) {
  const char up = UpperAscii(letter);
  Drive& drive = drives_[up];
  drive.ready = ready;
  drive.label = std::move(label);
  Node& root = nodes_[std::string(1, LowerAscii(up)) + ":"];
  root.directory = true;
}

void MemoryFiles::SetDriveReady(char letter, bool ready) {
  const auto it = drives_.find(UpperAscii(letter));
  if (it != drives_.end()) it->second.ready = ready;
}

void MemoryFiles::SetDriveFolder(char letter, std::string path) {
  const auto it = drives_.find(UpperAscii(letter));
  if (it != drives_.end()) it->second.folder = std::move(path);
}

void MemoryFiles::Note(std::string_view operation, std::string_view path) {
  if (journal_) journal_->push_back(std::string(operation) + " " + std::string(path));
}

void MemoryFiles::MakeFolders(const Resolved& r, std::size_t count) {
  std::string key = r.drive;
  for (std::size_t i = 0; i < count && i < r.parts.size(); ++i) {
    key += "\\" + r.parts[i];
    Node& node = nodes_[key];
    if (!node.directory) {
      node = Node{};
      node.directory = true;
      node.name = r.names[i];
    }
  }
}

void MemoryFiles::SetWindowsDirectory(std::string_view path) {
  Resolved r;
  if (Resolve(path, kNoLimit, r) != ErrorSuccess) return;
  MakeFolders(r, r.parts.size());
  windowsDir_ = std::string(path);
}

void MemoryFiles::PutFolder(std::string_view path) {
  Resolved r;
  if (Resolve(path, kNoLimit, r) == ErrorSuccess) MakeFolders(r, r.parts.size());
}

void MemoryFiles::SetModulePath(std::string_view path) {
  PutFile(path, "MZ");
  modulePath_ = std::string(path);
}

void MemoryFiles::PutFile(std::string_view path, std::string_view bytes, std::uint32_t attributes) {
  Resolved r;
  if (Resolve(path, kNoLimit, r) != ErrorSuccess || r.parts.empty()) return;
  MakeFolders(r, r.parts.size() - 1);
  Node& node = nodes_[r.key];
  node = Node{};
  node.name = r.names.back();
  node.attributes = attributes & kKeptAttributes;
  node.data = bytes;
}

void MemoryFiles::HoldOpen(std::string_view path, bool held) {
  Resolved r;
  if (Resolve(path, kNoLimit, r) != ErrorSuccess) return;
  if (Node* node = Find(r)) node->heldOpen = held;
}

void MemoryFiles::FailNext(std::string operation, long code, std::string_view path) {
  Resolved r;
  std::string key;
  // A path that cannot be resolved keeps its own text, which no call matches.
  if (!path.empty())
    key = Resolve(path, kNoLimit, r) == ErrorSuccess ? r.key : "?" + std::string(path);
  failures_.push_back({std::move(operation), std::move(key), code});
}

std::vector<std::string> MemoryFiles::AllPaths() const {
  std::vector<std::string> paths;
  for (const auto& [key, node] : nodes_) paths.push_back(key);
  return paths;
}

}  // namespace velmaro::platform

namespace velmaro::platform {

// A stand-in for SHA-256: four FNV-1a sums with different seeds, 64 hex
// digits, so that any change of content changes the digest in tests.
long MemoryFiles::Digest(std::string_view path, FileDigest& digest) {
  digest = {};
  std::string bytes;
  if (const long rc = ReadWholeFile(path, bytes, UINT64_MAX)) return rc;
  static const char* const kHex = "0123456789abcdef";
  for (std::uint64_t seed = 1; seed <= 4; ++seed) {
    std::uint64_t h = 0xcbf29ce484222325ull ^ (seed * 0x9e3779b97f4a7c15ull);
    for (unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
    for (int shift = 60; shift >= 0; shift -= 4) digest.sha256 += kHex[(h >> shift) & 0xF];
  }
  digest.size = bytes.size();
  return ErrorSuccess;
}

long MemoryFiles::OpenForDelete(std::string_view path) {
  Resolved r;
  if (const long rc = Enter("OpenForDelete", path, MaxPath, r)) return rc;
  return RefusesDeletion(Find(r));
}

}  // namespace velmaro::platform
