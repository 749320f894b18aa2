#pragma once
// The drives of the machine as kernel32 reports them: which letters exist,
// whether a disk is in the drive, and the folder each drive would use for a
// path without a folder of its own. Roots are "C:\" style; paths are UTF-8.
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace velmaro::platform {

inline constexpr long ErrorInvalidDrive = 15;
inline constexpr long ErrorNotReady = 21;  // no disk in the drive

class Drives {
public:
  virtual ~Drives() = default;

  // GetLogicalDriveStringsA: the root of every drive, in letter order.
  virtual long DriveRoots(std::vector<std::string>& roots) = 0;
  // Whether the drive can be used now, asked without the system's "insert a
  // disk" box: ErrorNotReady for a drive without its disk, ErrorInvalidDrive
  // for a letter with no drive.
  virtual long DriveReady(std::string_view root) = 0;
  // GetVolumeInformationA, the same way: the volume label (empty when it has
  // none).
  virtual long VolumeLabel(std::string_view root, std::string& label) = 0;
  // GetFullPathNameA("X:"): the folder that drive X: uses for a path without
  // a folder of its own (its current folder), no trailing backslash but at a
  // root. A drive with no current folder gives its root.
  virtual long DriveFolder(char letter, std::string& path) = 0;
  // GetCurrentDirectoryA.
  virtual long CurrentDirectory(std::string& path) = 0;
};

}  // namespace velmaro::platform
