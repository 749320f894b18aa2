#pragma once
// The machine's drives through kernel32.
#include "platform/drives.h"
#include "platform/win32/win32_text.h"

namespace velmaro::platform {

class Win32Drives final : public Drives {
public:
  long DriveRoots(std::vector<std::string>& roots) override;
  long DriveReady(std::string_view root) override;
  long VolumeLabel(std::string_view root, std::string& label) override;
  long DriveFolder(char letter, std::string& path) override;
  long CurrentDirectory(std::string& path) override;

private:
  Win32CodePage codePage_;
};

}  // namespace velmaro::platform
