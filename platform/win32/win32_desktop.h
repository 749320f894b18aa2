#pragma once
// The icon changer's shell calls: ExtractIconA and the icon picker from
// shell32, loaded on first use (start-up does not need them), and the
// setting-change broadcast through user32.
#include "platform/desktop.h"

namespace velmaro::platform {

class Win32Desktop final : public Desktop {
public:
  // The picker's signature on NT-family systems: owner, a wide path buffer
  // and its size in characters, the index in and out; 1 when the user chose.
  using Picker = int(__stdcall*)(void* owner, wchar_t* path, unsigned chars, int* index);
  // `picker` stands in for the shell's (tests); null means the shell's own.
  explicit Win32Desktop(Picker picker = nullptr) : picker_(picker) {}

  int IconCount(std::string_view file) override;
  IconPick PickIcon(std::string& file, int& index) override;
  void BroadcastSettingChange() override;

private:
  Picker picker_;
};

}  // namespace velmaro::platform
