#pragma once
// RegExtra: the console's one gateway to the registry. Every procedure opens
// the key it needs and closes it before returning; reads yield the caller's
// fallback instead of failing. Writes and deletes never raise: they return
// whether the system took them, and the panels tell the user about the ones
// it refused.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/registry.h"

namespace velmaro {

using platform::HKey;
using Bytes = std::vector<std::uint8_t>;

// What GetBinaryValue yields: the value's bytes, the caller's fallback bytes,
// or the integer 0 when the caller gave no byte fallback. Callers tell "no
// value" from "value" by that distinction, so it is kept in the type.
class BinaryValue {
public:
  BinaryValue() = default;  // the integer 0
  explicit BinaryValue(Bytes bytes) : value_(std::move(bytes)) {}

  bool IsBytes() const { return std::holds_alternative<Bytes>(value_); }
  const Bytes& bytes() const;  // empty list when the result is the integer 0
  // Byte 0 of the list; the integer 0 when there is no list.
  std::uint8_t FirstByte() const;

  friend bool operator==(const BinaryValue&, const BinaryValue&) = default;

private:
  std::variant<std::int16_t, Bytes> value_{std::int16_t{0}};
};

// GetAllValues' two-row table, one column per value. A key without values (or
// one that cannot be opened) gives one column whose two cells are empty text:
// `type` is then empty rather than a number.
struct ValueColumn {
  std::string name;
  std::optional<std::uint32_t> type;
  friend bool operator==(const ValueColumn&, const ValueColumn&) = default;
};
using ValueTable = std::vector<ValueColumn>;

class RegExtra {
public:
  explicit RegExtra(platform::Registry& registry) : registry_(registry) {}

  std::string GetStringValue(HKey root, std::string_view path, std::string_view name,
                             std::string_view fallback) const;
  bool SaveStringValue(HKey root, std::string_view path, std::string_view name,
                       std::string_view text) const;
  // The same as another text type: RegExpandSz keeps a value that the system
  // expands ("%USERPROFILE%\\Desktop") expandable. Other types are refused.
  bool SaveStringValueAs(HKey root, std::string_view path, std::string_view name,
                         std::string_view text, std::uint32_t type) const;
  // The value's type, or nothing when the key or the value is absent.
  std::optional<std::uint32_t> ValueType(HKey root, std::string_view path,
                                         std::string_view name) const;
  // The value as stored, for callers that must not write over what they
  // could not read: nothing when the key or the value is absent; `readable`
  // false when it is there but the system cannot give it (text the ANSI code
  // page cannot hold).
  struct RawValue {
    std::uint32_t type = 0;
    std::string bytes;
    bool readable = true;
    // Text as the system keeps what SaveStringValue writes: REG_SZ ended by
    // one NUL (or empty), nothing after it.
    bool IsPlainText() const;
    friend bool operator==(const RawValue&, const RawValue&) = default;
  };
  std::optional<RawValue> GetRawValue(HKey root, std::string_view path,
                                      std::string_view name) const;

  std::int32_t GetDWordValue(HKey root, std::string_view path, std::string_view name,
                             std::int32_t fallback) const;
  bool SaveDWordValue(HKey root, std::string_view path, std::string_view name,
                      std::int32_t number) const;

  BinaryValue GetBinaryValue(HKey root, std::string_view path, std::string_view name,
                             std::optional<Bytes> fallback = std::nullopt) const;
  bool SaveBinaryValue(HKey root, std::string_view path, std::string_view name,
                       const Bytes& bytes) const;

  bool CreateKey(HKey root, std::string_view path) const;
  // Whether the key can be opened. (Asking for its unnamed value is no test
  // on NT and Wine, where a key need not have one.)
  bool KeyExists(HKey root, std::string_view path) const;
  bool DeleteKey(HKey root, std::string_view path) const;  // with its whole subtree
  bool DeleteValue(HKey root, std::string_view path, std::string_view name) const;

  // With `reachable`, the listing goes on past a name no call can reach
  // again (the system gives it with U+FFFD in place of half a surrogate
  // pair), flagged false there; without it, such a name ends the listing.
  std::vector<std::string> GetAllKeys(HKey root, std::string_view path,
                                      std::vector<bool>* reachable = nullptr) const;
  ValueTable GetAllValues(HKey root, std::string_view path) const;

  // Text utilities for the icon picker's path buffer.
  static std::string PadBuffer(std::string_view text);
  std::string CleanString(std::string& text) const;
  bool IsUnicodeText(std::string_view bytes) const;

  platform::Registry& registry() const { return registry_; }
  // The system's code for the last write or delete: ErrorSuccess when it was
  // made. ErrorNoUnicodeTranslation there means nobody refused the change
  // itself: its name or the value now there could not be kept for undo.
  long LastChangeCode() const { return lastChange_; }

  static constexpr std::uint32_t NameBufferChars = 255;
  static constexpr std::uint32_t ValueDataLimit = 4000;

private:
  bool Changed(long code) const {
    lastChange_ = code;
    return code == platform::ErrorSuccess;
  }

  platform::Registry& registry_;
  mutable long lastChange_ = platform::ErrorSuccess;
};

}  // namespace velmaro
