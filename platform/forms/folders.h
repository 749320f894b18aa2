#pragma once
// What a drive chooser and a folder tree show, and how they fail. Both
// toolkits' controls read the disks through a FolderSource; DiskFolders is
// the one over the platform's file system and drives (real or in memory).
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/drives.h"
#include "platform/files.h"

namespace velmaro::forms {

// The error numbers these controls fail with, as the classic runtime numbers
// them, so that a handler can tell them apart.
inline constexpr int ErrBadFileName = 52;
inline constexpr int ErrDeviceUnavailable = 68;
inline constexpr int ErrPathNotFound = 76;

class ControlError : public std::runtime_error {
public:
  ControlError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int Number() const { return number_; }

private:
  int number_;
};

struct DriveEntry {
  char letter = 'C';  // upper case
  std::string label;  // empty when it has none or its disk is out
};

class FolderSource {
public:
  virtual ~FolderSource() = default;
  // Every drive, in letter order.
  virtual std::vector<DriveEntry> Drives() = 0;
  // The folder a path names, as the tree shows it: the drive letter in upper
  // case, each name as the disk spells it, a backslash only at a root. A bare
  // drive ("d:") names that drive's current folder. Throws ControlError:
  // ErrPathNotFound for a folder that is not there (or a file),
  // ErrDeviceUnavailable for a drive that is not there or not ready,
  // ErrBadFileName for a path that cannot name a folder at all.
  virtual std::string Locate(std::string_view path) = 0;
  // The folders inside a folder that Locate gave, sorted without regard to
  // case; empty when it cannot be listed.
  virtual std::vector<std::string> SubFolders(std::string_view folder) = 0;
  // Where a tree starts: the program's current folder.
  virtual std::string StartFolder() = 0;
};

class DiskFolders final : public FolderSource {
public:
  DiskFolders(platform::FileSystem& files, platform::Drives& drives)
      : files_(files), drives_(drives) {}
  std::vector<DriveEntry> Drives() override;
  std::string Locate(std::string_view path) override;
  std::vector<std::string> SubFolders(std::string_view folder) override;
  std::string StartFolder() override;

private:
  void CheckDrive(char letter);
  std::string Spelt(const std::string& normal);

  platform::FileSystem& files_;
  platform::Drives& drives_;
};

}  // namespace velmaro::forms
