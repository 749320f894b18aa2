#pragma once
// In-memory drives with the Windows file semantics the programs rely on:
// paths compared without regard to letter case (Western code page letters
// included), backslashes or slashes, "." and ".." and doubled separators
// folded as Windows folds them; directories; the read-only, hidden, system
// and archive attributes; a read-only file cannot be overwritten, deleted or
// replaced; a file "held open" by another program refuses to be opened,
// deleted or moved (ErrorSharingViolation) and to be replaced
// (ErrorAccessDenied, as the system answers a rename over an open file).
//
// Only absolute paths ("c:\..."): a relative path gives ErrorInvalidName.
// Drive C: is there and ready; a test can add drives, and take a drive's
// disk out, which every call on that drive then meets (ErrorNotReady).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/memory/memory_registry.h"

namespace velmaro::platform {

class MemoryFiles final : public FileSystem, public Drives {
public:
  // Drive C: holding C:\WINDOWS, C:\WINDOWS\SYSTEM and this program as
  // C:\Program Files\Velmaro\Velmaro.exe; the current directory is C:\.
  MemoryFiles();

  long WindowsDirectory(std::string& path) override;
  long SystemDirectory(std::string& path) override;
  long ModulePath(std::string& path) override;
  long GetAttributes(std::string_view path, std::uint32_t& attributes) override;
  long SetAttributes(std::string_view path, std::uint32_t attributes) override;
  long ReadWholeFile(std::string_view path, std::string& bytes, std::uint64_t maxBytes) override;
  long WriteWholeFile(std::string_view path, std::string_view bytes) override;
  long Move(std::string_view from, std::string_view to, std::uint32_t flags) override;
  long Delete(std::string_view path) override;
  long Copy(std::string_view from, std::string_view to, bool failIfExists) override;
  long CreateDir(std::string_view path) override;
  long RemoveDir(std::string_view path) override;
  long ListFolders(std::string_view folder, std::vector<std::string>& names) override;
  long Digest(std::string_view path, FileDigest& digest) override;
  long OpenForDelete(std::string_view path) override;

  long DriveRoots(std::vector<std::string>& roots) override;
  long DriveReady(std::string_view root) override;
  long VolumeLabel(std::string_view root, std::string& label) override;
  long DriveFolder(char letter, std::string& path) override;
  long CurrentDirectory(std::string& path) override;

  // Test aids.
  // Adds a drive (its root folder is empty), or changes one: its label, and
  // whether its disk is in.
  void AddDrive(char letter, bool ready = true, std::string label = {});
  void SetDriveReady(char letter, bool ready);
  // The folder a drive uses for a path without a folder of its own.
  void SetDriveFolder(char letter, std::string path);
  void SetCurrentDirectory(std::string path) { currentDirectory_ = std::move(path); }
  // Where this program runs from (creating it, with the folders on the way).
  void SetModulePath(std::string_view path);
  // Creates a folder and those on the way.
  void PutFolder(std::string_view path);
  // Points GetWindowsDirectory elsewhere (creating the folders on the way).
  void SetWindowsDirectory(std::string_view path);
  // Creates or replaces a file with the folders on the way, ignoring the
  // read-only rule: a test's way of saying "the disk holds this".
  void PutFile(std::string_view path, std::string_view bytes, std::uint32_t attributes = 0);
  // Marks a file as held open, without sharing, by another program.
  void HoldOpen(std::string_view path, bool held = true);
  // The next call of `operation` (a method name such as "Move"; with a path,
  // only a call naming that path) fails with `code` and changes nothing.
  // Each arms one call; arm several to fail several. WriteWholeFile has two
  // later points: "WriteWholeFile.Data" fails after the file was created,
  // leaving the first half of the bytes in it (a full disk);
  // "WriteWholeFile.Flush" fails after every byte was written.
  void FailNext(std::string operation, long code, std::string_view path = {});
  void ClearFailures() { failures_.clear(); }
  // Every path that exists, folded to lower case, in sorted order: lets a
  // test prove that nothing was left behind.
  std::vector<std::string> AllPaths() const;
  // Each call that changed something is noted here as "<Operation> <path>"
  // (the paths as given), so that a test can check an order.
  void RecordInto(std::vector<std::string>* journal) { journal_ = journal; }

private:
  struct Node {
    std::string name;  // as first given; keys are folded
    bool directory = false;
    std::uint32_t attributes = 0;  // read-only, hidden, system, archive
    std::string data;
    bool heldOpen = false;
  };
  struct Failure {
    std::string operation;
    std::string key;  // empty: any path
    long code;
  };
  struct Resolved {
    std::string key;                 // folded full path, e.g. "c:\windows\msdos.sys"
    std::string drive;               // "c:"
    std::vector<std::string> parts;  // folded names below the drive
    std::vector<std::string> names;  // the same names as given
    bool trailingSeparator = false;
  };
  struct Drive {
    bool ready = true;
    std::string label;
    std::string folder;  // empty: the root
  };

  // The path's key, or why the path is not acceptable at all.
  long Resolve(std::string_view path, std::size_t limit, Resolved& out) const;
  // Every folder on the way exists (ErrorPathNotFound otherwise).
  long CheckFolders(const Resolved& r) const;
  // Resolve, then an armed failure, then the folders: the common entry.
  long Enter(std::string_view operation, std::string_view path, std::size_t limit, Resolved& r);
  long Fail(std::string_view operation, const std::string& key = {});
  void MakeFolders(const Resolved& r, std::size_t count);
  Node* Find(const Resolved& r);
  static long RefusesDeletion(const Node* node);
  bool HasChildren(const std::string& key) const;
  void Note(std::string_view operation, std::string_view path);

  Cp1252CodePage codePage_;
  std::map<std::string, Node> nodes_;
  std::string windowsDir_ = "C:\\WINDOWS";
  std::string systemDir_ = "C:\\WINDOWS\\SYSTEM";
  std::string modulePath_ = "C:\\Program Files\\Velmaro\\Velmaro.exe";
  std::string currentDirectory_ = "C:\\";
  std::map<char, Drive> drives_;  // by upper-case letter
  std::vector<Failure> failures_;
  std::vector<std::string>* journal_ = nullptr;
};

}  // namespace velmaro::platform
