#include "system_access/reg_extra.h"

#include <algorithm>

#include "platform/registry_key.h"
#include "platform/utf8.h"

namespace velmaro {
namespace {

using namespace platform;

std::string CutAtNul(std::string text) {
  const auto nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

// UTF-16LE bytes to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char32_t unit = static_cast<unsigned char>(bytes[i]) |
                    (static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
      const char32_t low = static_cast<unsigned char>(bytes[i + 2]) |
                           (static_cast<unsigned char>(bytes[i + 3]) << 8);
      if (low >= 0xDC00 && low < 0xE000) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (unit >= 0xD800 && unit < 0xE000) unit = 0xFFFD;
    AppendUtf8(out, unit);
  }
  return out;
}

}  // namespace

const Bytes& BinaryValue::bytes() const {
  static const Bytes none;
  return IsBytes() ? std::get<Bytes>(value_) : none;
}

std::uint8_t BinaryValue::FirstByte() const {
  return IsBytes() && !bytes().empty() ? bytes().front() : 0;
}

std::string RegExtra::GetStringValue(HKey root, std::string_view path, std::string_view name,
                                     std::string_view fallback) const {
  std::string result(fallback);
  RegistryKey key(registry_);
  if (!key.Open(root, path)) return result;
  std::uint32_t type = 0, size = 0;
  if (registry_.QueryValue(key.get(), name, &type, nullptr, &size) != ErrorSuccess ||
      type != RegSz)
    return result;
  std::string buffer(size, ' ');
  // The value may change between the two queries; a failed second query
  // keeps the fallback rather than yielding a buffer of blanks.
  if (registry_.QueryValue(key.get(), name, &type,
                           reinterpret_cast<std::uint8_t*>(buffer.data()), &size) != ErrorSuccess ||
      type != RegSz)
    return result;
  buffer.resize(std::min<std::size_t>(size, buffer.size()));
  return CutAtNul(registry_.CodePage().FromAnsi(buffer));
}

bool RegExtra::SaveStringValue(HKey root, std::string_view path, std::string_view name,
                               std::string_view text) const {
  return SaveStringValueAs(root, path, name, text, RegSz);
}

bool RegExtra::SaveStringValueAs(HKey root, std::string_view path, std::string_view name,
                                 std::string_view text, std::uint32_t type) const {
  if (type != RegSz && type != RegExpandSz) return false;
  std::string ansi;
  // Text the code page cannot hold would be stored with substitutes: the old
  // value is kept instead.
  if (!registry_.CodePage().ToAnsi(text, ansi)) return Changed(ErrorNoUnicodeTranslation);
  RegistryKey key(registry_);
  if (!key.Create(root, path)) return Changed(key.code());
  return Changed(registry_.SetValue(key.get(), name, type,
                                    reinterpret_cast<const std::uint8_t*>(ansi.data()),
                                    static_cast<std::uint32_t>(ansi.size())));
}

std::optional<std::uint32_t> RegExtra::ValueType(HKey root, std::string_view path,
                                                std::string_view name) const {
  const auto raw = GetRawValue(root, path, name);
  return raw ? std::optional<std::uint32_t>(raw->type) : std::nullopt;
}

bool RegExtra::RawValue::IsPlainText() const {
  if (!readable || type != RegSz) return false;
  const auto nul = bytes.find('\0');
  return nul == std::string::npos ? bytes.empty() : nul + 1 == bytes.size();
}

std::optional<RegExtra::RawValue> RegExtra::GetRawValue(HKey root, std::string_view path,
                                                         std::string_view name) const {
  RegistryKey key(registry_);
  if (!key.Open(root, path)) return std::nullopt;
  RawValue raw;
  std::uint32_t size = 0;
  long rc = registry_.QueryValue(key.get(), name, &raw.type, nullptr, &size);
  if (rc == ErrorFileNotFound) return std::nullopt;
  if (rc != ErrorSuccess) {
    raw.readable = false;
    return raw;
  }
  raw.bytes.assign(size, '\0');
  rc = registry_.QueryValue(key.get(), name, &raw.type,
                            reinterpret_cast<std::uint8_t*>(raw.bytes.data()), &size);
  if (rc == ErrorFileNotFound) return std::nullopt;  // gone meanwhile
  if (rc != ErrorSuccess) raw.readable = false;
  raw.bytes.resize(std::min<std::size_t>(size, raw.bytes.size()));
  return raw;
}

std::int32_t RegExtra::GetDWordValue(HKey root, std::string_view path, std::string_view name,
                                     std::int32_t fallback) const {
  RegistryKey key(registry_);
  if (!key.Open(root, path)) return fallback;
  std::uint8_t data[4] = {};
  std::uint32_t type = 0, size = 4;
  if (registry_.QueryValue(key.get(), name, &type, data, &size) != ErrorSuccess ||
      type != RegDword || size != 4)
    return fallback;
  return static_cast<std::int32_t>(data[0] | (data[1] << 8) | (data[2] << 16) |
                                   (static_cast<std::uint32_t>(data[3]) << 24));
}

bool RegExtra::SaveDWordValue(HKey root, std::string_view path, std::string_view name,
                              std::int32_t number) const {
  const auto n = static_cast<std::uint32_t>(number);
  const std::uint8_t data[4] = {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                static_cast<std::uint8_t>(n >> 16),
                                static_cast<std::uint8_t>(n >> 24)};
  RegistryKey key(registry_);
  if (!key.Create(root, path)) return Changed(key.code());
  return Changed(registry_.SetValue(key.get(), name, RegDword, data, 4));
}

BinaryValue RegExtra::GetBinaryValue(HKey root, std::string_view path, std::string_view name,
                                     std::optional<Bytes> fallback) const {
  const auto fallbackResult = [&fallback] {
    return fallback ? BinaryValue(std::move(*fallback)) : BinaryValue();
  };
  RegistryKey key(registry_);
  if (!key.Open(root, path)) return fallbackResult();
  std::uint32_t type = 0, size = 0;
  if (registry_.QueryValue(key.get(), name, &type, nullptr, &size) != ErrorSuccess ||
      type != RegBinary || size == 0)
    return fallbackResult();
  Bytes data(size);
  if (registry_.QueryValue(key.get(), name, &type, data.data(), &size) != ErrorSuccess ||
      type != RegBinary || size == 0)
    return fallbackResult();
  data.resize(std::min<std::size_t>(size, data.size()));
  return BinaryValue(std::move(data));
}

bool RegExtra::SaveBinaryValue(HKey root, std::string_view path, std::string_view name,
                               const Bytes& bytes) const {
  RegistryKey key(registry_);
  if (!key.Create(root, path)) return Changed(key.code());
  return Changed(registry_.SetValue(key.get(), name, RegBinary, bytes.data(),
                                    static_cast<std::uint32_t>(bytes.size())));
}

bool RegExtra::CreateKey(HKey root, std::string_view path) const {
  RegistryKey key(registry_);
  return Changed(key.Create(root, path) ? ErrorSuccess : key.code());
}

bool RegExtra::KeyExists(HKey root, std::string_view path) const {
  RegistryKey key(registry_);
  return key.Open(root, path);
}

bool RegExtra::DeleteKey(HKey root, std::string_view path) const {
  // An empty path would name the root itself.
  if (path.find_first_not_of('\\') == std::string_view::npos) return Changed(ErrorAccessDenied);
  return Changed(registry_.DeleteKey(root, path));
}

bool RegExtra::DeleteValue(HKey root, std::string_view path, std::string_view name) const {
  RegistryKey key(registry_);
  if (!key.Open(root, path)) return Changed(key.code());
  return Changed(registry_.DeleteValue(key.get(), name));
}

std::vector<std::string> RegExtra::GetAllKeys(HKey root, std::string_view path,
                                              std::vector<bool>* reachable) const {
  std::vector<std::string> names;
  if (reachable) reachable->clear();
  RegistryKey key(registry_);
  if (!key.Open(root, path)) return names;
  std::string name;
  for (std::uint32_t index = 0;; ++index) {
    const long rc = registry_.EnumKey(key.get(), index, name, NameBufferChars);
    if (rc != ErrorSuccess && !(reachable && rc == ErrorNoUnicodeTranslation)) break;
    names.push_back(CutAtNul(name));
    if (reachable) reachable->push_back(rc == ErrorSuccess);
  }
  return names;
}

ValueTable RegExtra::GetAllValues(HKey root, std::string_view path) const {
  ValueTable table;
  RegistryKey key(registry_);
  if (key.Open(root, path)) {
    std::string name;
    std::uint32_t type = 0;
    // Any failure ends the listing, including a value whose data exceeds the
    // scratch buffer or whose name does not fit: callers rely on that limit.
    for (std::uint32_t index = 0;
         registry_.EnumValue(key.get(), index, name, NameBufferChars, &type, ValueDataLimit) ==
         ErrorSuccess;
         ++index)
      table.push_back(ValueColumn{CutAtNul(name), type});
  }
  if (table.empty()) table.push_back(ValueColumn{});
  return table;
}

std::string RegExtra::PadBuffer(std::string_view text) {
  std::size_t chars = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
  std::string padded(text);
  if (chars < NameBufferChars) padded.append(NameBufferChars - chars, '\0');
  return padded;
}

bool RegExtra::IsUnicodeText(std::string_view bytes) const {
  return registry_.IsTextUnicode(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                 static_cast<int>(bytes.size()), 15);
}

std::string RegExtra::CleanString(std::string& text) const {
  if (IsUnicodeText(text)) text = Utf16LeToUtf8(text);
  return CutAtNul(text);
}

}  // namespace velmaro
