#include "platform/forms/folders.h"

#include <algorithm>
#include <cctype>

#include "platform/paths.h"
#include "platform/utf8.h"
#include "platform/ascii_case.h"

namespace velmaro::forms {

using platform::LowerAscii;
using platform::UpperAscii;
namespace {

[[noreturn]] void PathNotFound() { throw ControlError(ErrPathNotFound, "Path not found"); }
[[noreturn]] void DeviceUnavailable() { throw ControlError(ErrDeviceUnavailable, "Device unavailable"); }
[[noreturn]] void BadName(const char* why) {
  throw ControlError(ErrBadFileName, std::string("Bad file name: ") + why);
}

bool IsBareDrive(std::string_view path) {
  return path.size() == 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

}  // namespace

std::vector<DriveEntry> DiskFolders::Drives() {
  std::vector<DriveEntry> out;
  std::vector<std::string> roots;
  if (drives_.DriveRoots(roots) != platform::ErrorSuccess) return out;
  for (const std::string& root : roots) {
    DriveEntry e;
    e.letter = UpperAscii(root[0]);
    drives_.VolumeLabel(root, e.label);  // a drive without its disk shows no label
    out.push_back(std::move(e));
  }
  return out;
}

void DiskFolders::CheckDrive(char letter) {
  std::vector<std::string> roots;
  drives_.DriveRoots(roots);
  const std::string root = std::string(1, UpperAscii(letter)) + ":\\";
  if (std::find(roots.begin(), roots.end(), root) == roots.end()) DeviceUnavailable();
  if (drives_.DriveReady(root) != platform::ErrorSuccess) DeviceUnavailable();
}

std::string DiskFolders::Locate(std::string_view path) {
  std::string text(path);
  if (IsBareDrive(text)) {
    CheckDrive(text[0]);
    if (drives_.DriveFolder(text[0], text) != platform::ErrorSuccess) DeviceUnavailable();
  }
  const std::string normal = platform::NormalPath(text);
  if (normal.empty())
    BadName("give the full path of a folder, beginning with its drive (for example C:\\Folder).");
  CheckDrive(normal[0]);
  std::uint32_t attributes = platform::InvalidFileAttributes;
  switch (files_.GetAttributes(normal, attributes)) {
    case platform::ErrorSuccess:
      break;
    case platform::ErrorNoUnicodeTranslation:
      BadName("the path holds characters that this system cannot use in file names.");
    case platform::ErrorFilenameExcedRange:
      BadName("the path is too long.");
    case platform::ErrorInvalidName:
      BadName("the path holds characters that are not allowed in file names.");
    case platform::ErrorNotReady:
      DeviceUnavailable();
    default:
      PathNotFound();
  }
  if (!(attributes & platform::FileAttributeDirectory)) PathNotFound();
  return Spelt(normal);
}

// Each name as the disk spells it: typed "c:\program files" shows as the
// folder is called.
std::string DiskFolders::Spelt(const std::string& normal) {
  std::string out = normal.substr(0, 3);
  std::size_t start = 3;
  while (start < normal.size()) {
    std::size_t end = normal.find('\\', start);
    if (end == std::string::npos) end = normal.size();
    std::string name = normal.substr(start, end - start);
    std::vector<std::string> names;
    files_.ListFolders(out, names);
    const std::string folded = platform::UpperLatin(name);
    for (const std::string& n : names)
      if (platform::UpperLatin(n) == folded) {
        name = n;
        break;
      }
    out = platform::JoinPath(out, name);
    start = end + 1;
  }
  return out;
}

std::vector<std::string> DiskFolders::SubFolders(std::string_view folder) {
  std::vector<std::string> names;
  if (files_.ListFolders(folder, names) != platform::ErrorSuccess) return {};
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return platform::UpperLatin(a) < platform::UpperLatin(b);
  });
  return names;
}

std::string DiskFolders::StartFolder() {
  std::string current;
  if (drives_.CurrentDirectory(current) == platform::ErrorSuccess) {
    try {
      return Locate(current);
    } catch (const ControlError&) {
      // A current folder on a network share or a vanished folder: start at C:.
    }
  }
  return "C:\\";
}

}  // namespace velmaro::forms
