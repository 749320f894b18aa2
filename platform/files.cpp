#include "platform/files.h"

#include "platform/drives.h"

namespace velmaro::platform {

std::string FileErrorText(long code) {
  switch (code) {
    case ErrorFileNotFound: return "the file is missing";
    case ErrorPathNotFound: return "a folder on the way is missing";
    case ErrorAccessDenied: return "access was denied";
    case ErrorSharingViolation: return "it is in use by another program";
    case ErrorDiskFull: return "the disk is full";
    case ErrorNotReady: return "the drive is not ready";
    case ErrorFilenameExcedRange: return "the path is too long";
    case ErrorInvalidName: return "the path is not a valid file name";
    case ErrorNoUnicodeTranslation:
      return "the path holds characters that this system cannot use in file names";
    default: return "Windows error " + std::to_string(code);
  }
}

long ReplaceWholeFile(FileSystem& files, const std::string& path, std::string_view bytes) {
  // A name of our own that is free: another file of that name is not ours.
  std::string temp;
  for (int n = 0;; ++n) {
    if (n == 10) return ErrorFileExists;
    temp = path + ".~vm" + std::to_string(n);
    if (!files.Exists(temp)) break;
  }
  long rc = files.WriteWholeFile(temp, bytes);
  if (rc == ErrorSuccess) rc = files.Move(temp, path, MovefileReplaceExisting | MovefileWriteThrough);
  if (rc != ErrorSuccess) files.Delete(temp);
  return rc;
}

}  // namespace velmaro::platform
