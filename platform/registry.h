#pragma once
// The registry operations the programs use, mirroring advapi32 with Windows
// return codes. Names are UTF-8 and name exactly one key or value, also where
// the ANSI code page cannot hold them (the ANSI functions would give '?' for
// such a character, and two names could then look the same); value data are
// the bytes as the ANSI functions see them (REG_SZ data in the ANSI code
// page, see AnsiCodePage).
#include <cstdint>
#include <string>
#include <string_view>

namespace velmaro::platform {

// An open key. The predefined roots carry the 32-bit values Windows gives them.
using HKey = std::uint32_t;
inline constexpr HKey HkeyClassesRoot = 0x80000000u;
inline constexpr HKey HkeyCurrentUser = 0x80000001u;
inline constexpr HKey HkeyLocalMachine = 0x80000002u;

inline constexpr std::uint32_t RegSz = 1;
inline constexpr std::uint32_t RegExpandSz = 2;
inline constexpr std::uint32_t RegBinary = 3;
inline constexpr std::uint32_t RegDword = 4;
inline constexpr std::uint32_t RegMultiSz = 7;

inline constexpr long ErrorSuccess = 0;
inline constexpr long ErrorFileNotFound = 2;
inline constexpr long ErrorAccessDenied = 5;
inline constexpr long ErrorInvalidHandle = 6;
inline constexpr long ErrorInvalidParameter = 87;
inline constexpr long ErrorMoreData = 234;
inline constexpr long ErrorNoMoreItems = 259;
inline constexpr long ErrorNoUnicodeTranslation = 1113;  // name not in the ANSI code page

// UTF-8 <-> ANSI code page conversion at the system boundary.
class AnsiCodePage {
public:
  virtual ~AnsiCodePage() = default;
  // False (and `ansi` unspecified) when a character has no ANSI form: callers
  // must not use a substitute, it would name another key or change the data.
  virtual bool ToAnsi(std::string_view utf8, std::string& ansi) const = 0;
  virtual std::string FromAnsi(std::string_view ansi) const = 0;
};

// Hands a value's bytes to a caller as RegQueryValueEx does: with no buffer,
// the size alone; a short buffer gets ErrorMoreData and the size needed.
long HandOutValue(std::string_view bytes, std::uint8_t* data, std::uint32_t* size);

class Registry {
public:
  virtual ~Registry() = default;

  // RegOpenKeyA / RegCreateKeyA: an empty path opens the key itself again.
  virtual long OpenKey(HKey root, std::string_view path, HKey& out) = 0;
  virtual long CreateKey(HKey root, std::string_view path, HKey& out) = 0;
  virtual long CloseKey(HKey key) = 0;

  // RegQueryValueExA: data may be null to ask for type and size only. A short
  // buffer gives ErrorMoreData with *size set to the size needed.
  virtual long QueryValue(HKey key, std::string_view name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) = 0;
  virtual long SetValue(HKey key, std::string_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) = 0;
  // The same, but text is stored exactly as counted: the system adds no NUL
  // it was not given (as RegSetValueExA does when the byte after the counted
  // data is not NUL). What an undo needs to put a value back byte for byte.
  virtual long SetValueExact(HKey key, std::string_view name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
    return SetValue(key, name, type, data, size);
  }

  // Deletes the key with its whole subtree (Windows' RegDeleteKeyA refuses a
  // key with subkeys on NT; callers rely on the subtree going).
  virtual long DeleteKey(HKey root, std::string_view path) = 0;
  virtual long DeleteValue(HKey key, std::string_view name) = 0;

  // The enumerations give each name exactly. A name no UTF-8 text can give
  // again (half of a surrogate pair) is listed with U+FFFD in its place and
  // ErrorNoUnicodeTranslation: it is there, but no call can reach it by name.
  //
  // RegEnumKeyA: `name` gets at most `capacity` - 1 characters and a NUL.
  virtual long EnumKey(HKey key, std::uint32_t index, std::string& name,
                       std::uint32_t capacity) = 0;
  // RegEnumValueA: fails with ErrorMoreData when the name does not fit in
  // `nameCapacity` - 1 characters or the data does not fit in `dataCapacity`.
  virtual long EnumValue(HKey key, std::uint32_t index, std::string& name,
                         std::uint32_t nameCapacity, std::uint32_t* type,
                         std::uint32_t dataCapacity) = 0;
  // The same with the value's data: `data` gets its bytes as the ANSI
  // functions see them. Fails as EnumValue does. A registry that reads both
  // in one call (RegEnumValueA can) overrides it; by default the data is
  // asked for in a second call.
  virtual long EnumValueData(HKey key, std::uint32_t index, std::string& name,
                             std::uint32_t nameCapacity, std::uint32_t* type,
                             std::uint32_t dataCapacity, std::string& data);

  // IsTextUnicode over raw bytes with the given test flags.
  virtual bool IsTextUnicode(const std::uint8_t* bytes, int length, int flags) const = 0;

  virtual const AnsiCodePage& CodePage() const = 0;
};

}  // namespace velmaro::platform
