#pragma once
// The real registry through advapi32: names go through the wide functions
// where the ANSI code page cannot hold them, and enumeration gives them
// exactly, so that every call acts on the key or value it names. Value data
// are the bytes as the ANSI functions see them.
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/win32/win32_text.h"

namespace velmaro::platform {

class Win32Registry final : public Registry {
public:
  Win32Registry() = default;
  ~Win32Registry() override;
  Win32Registry(const Win32Registry&) = delete;
  Win32Registry& operator=(const Win32Registry&) = delete;

  long OpenKey(HKey root, std::string_view path, HKey& out) override;
  long CreateKey(HKey root, std::string_view path, HKey& out) override;
  long CloseKey(HKey key) override;
  long QueryValue(HKey key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override;
  long SetValue(HKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long SetValueExact(HKey key, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override;
  long DeleteKey(HKey root, std::string_view path) override;
  long DeleteValue(HKey key, std::string_view name) override;
  long EnumKey(HKey key, std::uint32_t index, std::string& name, std::uint32_t capacity) override;
  long EnumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                 std::uint32_t* type, std::uint32_t dataCapacity) override;
  long EnumValueData(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                     std::uint32_t* type, std::uint32_t dataCapacity, std::string& data) override;
  bool IsTextUnicode(const std::uint8_t* bytes, int length, int flags) const override;
  const AnsiCodePage& CodePage() const override { return codePage_; }

private:
  long Enumerate(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                 std::uint32_t* type, std::uint32_t dataCapacity, std::string* data);
  long EnumerateAnsi(void* key, std::uint32_t index, std::string& name,
                     std::uint32_t nameCapacity, std::uint32_t* type, std::uint32_t dataCapacity,
                     std::string* data);
  static long QueryWide(void* key, const std::wstring& name, std::uint32_t* type,
                        std::uint8_t* data, std::uint32_t* size);
  // Whether a text value reads through the ANSI functions without substitutes.
  static bool FitsCodePage(void* key, const std::string& ansiName);
  long Store(HKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
             std::uint32_t size, bool exact);
  void* Native(HKey key) const;  // the HKEY behind a handle, or null
  HKey Remember(void* native);

  Win32CodePage codePage_;
  std::map<HKey, void*> handles_;
  HKey nextHandle_ = 0x100;
  std::vector<wchar_t> wideName_;        // enumeration buffers, kept between calls
  std::vector<unsigned char> scratch_;
};

}  // namespace velmaro::platform
