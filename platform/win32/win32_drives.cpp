#include "platform/win32/win32_drives.h"

#include <windows.h>

#include <cctype>
#include <vector>
#include "platform/ascii_case.h"

namespace velmaro::platform {
namespace {

long LastError() {
  const DWORD e = GetLastError();
  return e == ERROR_SUCCESS ? ErrorGenFailure : static_cast<long>(e);
}

// An empty floppy or card reader makes the system ask for a disk in a box of
// its own; the programs ask only to know, so the box is turned off meanwhile.
class QuietErrors {
public:
  QuietErrors() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietErrors() { SetErrorMode(old_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

private:
  UINT old_;
};

bool IsRoot(std::string_view root) {
  return root.size() == 3 && std::isalpha(static_cast<unsigned char>(root[0])) && root[1] == ':' &&
         root[2] == '\\';
}

}  // namespace

long Win32Drives::DriveRoots(std::vector<std::string>& roots) {
  roots.clear();
  const DWORD mask = GetLogicalDrives();
  if (mask == 0) return LastError();
  for (int i = 0; i < 26; ++i)
    if (mask & (1u << i)) roots.push_back(std::string(1, static_cast<char>('A' + i)) + ":\\");
  return ErrorSuccess;
}

long Win32Drives::DriveReady(std::string_view root) {
  if (!IsRoot(root)) return ErrorInvalidDrive;
  const std::string r(root);
  if (GetDriveTypeA(r.c_str()) == DRIVE_NO_ROOT_DIR) return ErrorInvalidDrive;
  QuietErrors quiet;
  return GetFileAttributesA(r.c_str()) == INVALID_FILE_ATTRIBUTES ? LastError() : ErrorSuccess;
}

long Win32Drives::VolumeLabel(std::string_view root, std::string& label) {
  label.clear();
  if (!IsRoot(root)) return ErrorInvalidDrive;
  const std::string r(root);
  if (GetDriveTypeA(r.c_str()) == DRIVE_NO_ROOT_DIR) return ErrorInvalidDrive;
  QuietErrors quiet;
  char name[MAX_PATH + 1] = {};
  if (!GetVolumeInformationA(r.c_str(), name, sizeof name, nullptr, nullptr, nullptr, nullptr, 0))
    return LastError();
  label = codePage_.FromAnsi(name);
  return ErrorSuccess;
}

long Win32Drives::DriveFolder(char letter, std::string& path) {
  path.clear();
  if (!std::isalpha(static_cast<unsigned char>(letter))) return ErrorInvalidDrive;
  const char drive[3] = {UpperAscii(letter), ':', 0};
  std::vector<char> buffer(MAX_PATH);
  DWORD n = GetFullPathNameA(drive, static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetFullPathNameA(drive, static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  }
  if (n == 0 || n >= buffer.size()) return LastError();
  std::string p(buffer.data(), n);
  if (p.size() > 3 && p.back() == '\\') p.pop_back();
  path = codePage_.FromAnsi(p);
  return ErrorSuccess;
}

long Win32Drives::CurrentDirectory(std::string& path) {
  path.clear();
  std::vector<char> buffer(MAX_PATH);
  DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (n == 0 || n >= buffer.size()) return LastError();
  path = codePage_.FromAnsi(std::string_view(buffer.data(), n));
  return ErrorSuccess;
}

}  // namespace velmaro::platform
