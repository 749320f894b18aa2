#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace velmaro::platform {
namespace {

// What Windows 95's advapi32 answers for the wide functions. Its registry
// holds only names of its code page, so the ANSI ones serve there.
constexpr long kNoWideFunctions = ERROR_CALL_NOT_IMPLEMENTED;

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// A name as it goes to the system: through the ANSI functions when the code
// page holds it, else through the wide ones, so that it names exactly that
// key or value and never the one whose name merely looks the same in the
// code page ('?' for each character it lacks). False for malformed UTF-8.
struct SystemName {
  bool wide = false;
  std::string ansi;
  std::wstring w;
};
bool Spell(std::string_view utf8, SystemName& out) {
  if (ToAnsiExact(utf8, out.ansi)) return true;
  out.wide = true;
  return ToWide(utf8, out.w);
}

// A name the wide functions gave, in UTF-8; false when it holds half of a
// surrogate pair, which no UTF-8 text can name again.
// Such a half is given as U+FFFD.
bool NameFromWide(const wchar_t* name, std::size_t length, std::string& out) {
  std::wstring text(name, length);
  bool whole = true;
  for (std::size_t i = 0; i < length; ++i) {
    const wchar_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      text[i] = 0xFFFD;
      whole = false;
    }
  }
  out = FromWide(text);
  return whole;
}

// UTF-16 text data as the ANSI functions hand it out: in the code page, with
// its substitutes (`exact` false), or refused when it needs one.
bool TextToAnsi(std::string_view utf16, bool exact, std::string& ansi) {
  ansi.clear();
  const int chars = static_cast<int>(utf16.size() / sizeof(wchar_t));
  if (chars == 0) return true;
  std::wstring text(static_cast<std::size_t>(chars), L'\0');
  std::memcpy(text.data(), utf16.data(), static_cast<std::size_t>(chars) * sizeof(wchar_t));
  BOOL usedDefault = FALSE;
  const DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
  const int n = WideCharToMultiByte(CP_ACP, flags, text.data(), chars, nullptr, 0, nullptr,
                                    exact ? &usedDefault : nullptr);
  ansi.assign(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_ACP, flags, text.data(), chars, ansi.data(), n, nullptr,
                      exact ? &usedDefault : nullptr);
  return n > 0 && !usedDefault;
}

// RegDeleteKey refuses a key that has subkeys on NT and under Wine, so the
// subtree goes first, deepest keys first, by the names the wide functions
// give: the ANSI ones would miss a subkey named outside the code page, or
// take a look-alike. Windows 95's RegDeleteKeyA takes the subtree itself.
long DeleteTree(HKEY parent, const std::wstring& path) {
  HKEY key = nullptr;
  const long rc = RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<std::wstring> children;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    children.emplace_back(name, length);
  }
  for (const auto& child : children) DeleteTree(key, child);
  RegCloseKey(key);
  return RegDeleteKeyW(parent, path.c_str());
}

}  // namespace

Win32Registry::~Win32Registry() {
  for (auto& [handle, native] : handles_) RegCloseKey(static_cast<HKEY>(native));
}

void* Win32Registry::Native(HKey key) const {
  switch (key) {
    case HkeyClassesRoot: return HKEY_CLASSES_ROOT;
    case HkeyCurrentUser: return HKEY_CURRENT_USER;
    case HkeyLocalMachine: return HKEY_LOCAL_MACHINE;
    default: break;
  }
  const auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : it->second;
}

HKey Win32Registry::Remember(void* native) {
  for (const auto& [handle, known] : handles_)
    if (known == native) return handle;
  const HKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = native;
  return handle;
}

long Win32Registry::OpenKey(HKey root, std::string_view path, HKey& out) {
  HKEY parent = static_cast<HKEY>(Native(root));
  if (!parent) return ErrorInvalidHandle;
  SystemName n;
  if (!Spell(path, n)) return ErrorNoUnicodeTranslation;
  HKEY key = nullptr;
  const long rc = n.wide ? RegOpenKeyW(parent, n.w.c_str(), &key)
                         : RegOpenKeyA(parent, n.ansi.c_str(), &key);
  if (rc != ERROR_SUCCESS) return rc;
  out = key == parent ? root : Remember(key);
  return rc;
}

long Win32Registry::CreateKey(HKey root, std::string_view path, HKey& out) {
  HKEY parent = static_cast<HKEY>(Native(root));
  if (!parent) return ErrorInvalidHandle;
  SystemName n;
  if (!Spell(path, n)) return ErrorNoUnicodeTranslation;
  HKEY key = nullptr;
  const long rc = n.wide ? RegCreateKeyW(parent, n.w.c_str(), &key)
                         : RegCreateKeyA(parent, n.ansi.c_str(), &key);
  if (rc != ERROR_SUCCESS) return rc;
  out = key == parent ? root : Remember(key);
  return rc;
}

long Win32Registry::CloseKey(HKey key) {
  if (key == HkeyClassesRoot || key == HkeyCurrentUser || key == HkeyLocalMachine)
    return ErrorSuccess;
  const auto it = handles_.find(key);
  if (it == handles_.end()) return ErrorInvalidHandle;
  const long rc = RegCloseKey(static_cast<HKEY>(it->second));
  handles_.erase(it);
  return rc;
}

long Win32Registry::QueryValue(HKey key, std::string_view name, std::uint32_t* type,
                               std::uint8_t* data, std::uint32_t* size) {
  HKEY native = static_cast<HKEY>(Native(key));
  if (!native) return ErrorInvalidHandle;
  SystemName n;
  if (!Spell(name, n)) return ErrorNoUnicodeTranslation;
  if (n.wide) return QueryWide(native, n.w, type, data, size);
  DWORD t = 0, s = size ? *size : 0;
  const long rc = RegQueryValueExA(native, n.ansi.c_str(), nullptr, &t, data, size ? &s : nullptr);
  if (type) *type = t;
  if (size) *size = s;
  // Text stored through the wide functions may hold characters the code page
  // lacks; the ANSI call hands out '?' in their place. That is not the value:
  // refuse it, as a write of such text is refused.
  if ((rc == ErrorSuccess || rc == ErrorMoreData) && IsText(t) && !FitsCodePage(native, n.ansi))
    return ErrorNoUnicodeTranslation;
  return rc;
}

// A value whose name only the wide functions can give, read as the ANSI
// functions read the others: text in the code page, refused when it needs a
// substitute there.
long Win32Registry::QueryWide(void* key, const std::wstring& name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) {
  HKEY native = static_cast<HKEY>(key);
  DWORD t = 0, bytes = 0;
  long rc = RegQueryValueExW(native, name.c_str(), nullptr, &t, nullptr, &bytes);
  if (type) *type = t;
  if (rc != ERROR_SUCCESS) return rc;
  std::string stored(bytes, '\0');
  rc = RegQueryValueExW(native, name.c_str(), nullptr, &t,
                        reinterpret_cast<BYTE*>(stored.data()), &bytes);
  if (type) *type = t;
  if (rc != ERROR_SUCCESS) return rc;  // changed meanwhile
  stored.resize(std::min<std::size_t>(bytes, stored.size()));
  if (IsText(t) && !TextToAnsi(std::string(stored), true, stored)) return ErrorNoUnicodeTranslation;
  return HandOutValue(stored, data, size);
}

bool Win32Registry::FitsCodePage(void* key, const std::string& ansiName) {
  HKEY native = static_cast<HKEY>(key);
  const int n = MultiByteToWideChar(CP_ACP, 0, ansiName.c_str(), -1, nullptr, 0);
  std::wstring name(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansiName.c_str(), -1, name.data(), n);
  DWORD bytes = 0;
  if (RegQueryValueExW(native, name.c_str(), nullptr, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
    return true;
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(native, name.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS)
    return true;
  const int chars = static_cast<int>(bytes / sizeof(wchar_t));
  if (chars == 0) return true;
  BOOL usedDefault = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), chars, nullptr, 0, nullptr,
                      &usedDefault);
  return !usedDefault;
}

long Win32Registry::SetValue(HKey key, std::string_view name, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) {
  return Store(key, name, type, data, size, false);
}

long Win32Registry::SetValueExact(HKey key, std::string_view name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) {
  return Store(key, name, type, data, size, true);
}

long Win32Registry::Store(HKey key, std::string_view name, std::uint32_t type,
                          const std::uint8_t* data, std::uint32_t size, bool exact) {
  HKEY native = static_cast<HKEY>(Native(key));
  if (!native) return ErrorInvalidHandle;
  SystemName n;
  if (!Spell(name, n)) return ErrorNoUnicodeTranslation;
  // The system reads one byte past counted text to see whether it is
  // terminated (and then stores the NUL too); give it a copy rather than the
  // caller's buffer, ended by a NUL, or by another byte for an exact write.
  std::vector<std::uint8_t> copy(data, data + size);
  copy.push_back(exact ? 'x' : 0);
  if (!n.wide) return RegSetValueExA(native, n.ansi.c_str(), 0, type, copy.data(), size);
  if (!IsText(type))
    return RegSetValueExW(native, n.w.c_str(), 0, type, copy.data(), size);
  // Text in the code page, as RegSetValueExA takes it: counted without its
  // NUL it gains one, unless written exactly.
  std::size_t count = size;
  if (!exact && size > 0 && copy[size - 1] != 0) ++count;
  std::wstring text;
  if (count > 0) {
    const auto* bytes = reinterpret_cast<const char*>(copy.data());
    const int chars = MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(count), nullptr, 0);
    text.assign(static_cast<std::size_t>(chars > 0 ? chars : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(count), text.data(), chars);
  }
  const auto length = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  text.push_back(L'x');  // not terminated: the system adds nothing
  return RegSetValueExW(native, n.w.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.data()),
                        length);
}

long Win32Registry::DeleteKey(HKey root, std::string_view path) {
  HKEY parent = static_cast<HKEY>(Native(root));
  if (!parent) return ErrorInvalidHandle;
  if (path.find_first_not_of('\\') == std::string_view::npos) return ErrorAccessDenied;
  SystemName n;
  std::wstring wide;
  if (!Spell(path, n) || !ToWide(path, wide)) return ErrorNoUnicodeTranslation;
  const long rc = DeleteTree(parent, wide);
  if (rc != kNoWideFunctions || n.wide) return rc;
  return RegDeleteKeyA(parent, n.ansi.c_str());
}

long Win32Registry::DeleteValue(HKey key, std::string_view name) {
  HKEY native = static_cast<HKEY>(Native(key));
  if (!native) return ErrorInvalidHandle;
  SystemName n;
  if (!Spell(name, n)) return ErrorNoUnicodeTranslation;
  return n.wide ? RegDeleteValueW(native, n.w.c_str()) : RegDeleteValueA(native, n.ansi.c_str());
}

long Win32Registry::EnumKey(HKey key, std::uint32_t index, std::string& name,
                            std::uint32_t capacity) {
  HKEY native = static_cast<HKEY>(Native(key));
  if (!native) return ErrorInvalidHandle;
  std::vector<wchar_t> wide(static_cast<std::size_t>(capacity) + 1, L'\0');
  DWORD length = capacity;
  const long rc =
      RegEnumKeyExW(native, index, wide.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == kNoWideFunctions) {
    std::vector<char> buffer(static_cast<std::size_t>(capacity) + 1, '\0');
    const long rcA = RegEnumKeyA(native, index, buffer.data(), capacity);
    if (rcA == ERROR_SUCCESS) name = codePage_.FromAnsi(buffer.data());
    return rcA;
  }
  if (rc != ERROR_SUCCESS) return rc;
  return NameFromWide(wide.data(), length, name) ? ErrorSuccess : ErrorNoUnicodeTranslation;
}

long Win32Registry::EnumValue(HKey key, std::uint32_t index, std::string& name,
                              std::uint32_t nameCapacity, std::uint32_t* type,
                              std::uint32_t dataCapacity) {
  return Enumerate(key, index, name, nameCapacity, type, dataCapacity, nullptr);
}

long Win32Registry::EnumValueData(HKey key, std::uint32_t index, std::string& name,
                                  std::uint32_t nameCapacity, std::uint32_t* type,
                                  std::uint32_t dataCapacity, std::string& data) {
  return Enumerate(key, index, name, nameCapacity, type, dataCapacity, &data);
}

// One call a value, into a buffer kept between calls; a value larger than it
// is asked for its size and read again. Text data are turned into the code
// page as the ANSI functions turn them, substitutes included (a read by name
// refuses those): the limits count those bytes.
long Win32Registry::Enumerate(HKey key, std::uint32_t index, std::string& name,
                              std::uint32_t nameCapacity, std::uint32_t* type,
                              std::uint32_t dataCapacity, std::string* data) {
  if (data) data->clear();
  HKEY native = static_cast<HKEY>(Native(key));
  if (!native) return ErrorInvalidHandle;
  if (wideName_.size() < static_cast<std::size_t>(nameCapacity) + 1)
    wideName_.resize(static_cast<std::size_t>(nameCapacity) + 1);
  if (scratch_.empty()) scratch_.resize(16384);
  DWORD nameLength = nameCapacity, t = 0, got = static_cast<DWORD>(scratch_.size());
  long rc = RegEnumValueW(native, index, wideName_.data(), &nameLength, nullptr, &t,
                          scratch_.data(), &got);
  if (rc == kNoWideFunctions)
    return EnumerateAnsi(native, index, name, nameCapacity, type, dataCapacity, data);
  if (rc == ERROR_MORE_DATA) {
    // The name or the data does not fit: the sizes alone tell which.
    DWORD needed = 0;
    nameLength = nameCapacity;
    rc = RegEnumValueW(native, index, wideName_.data(), &nameLength, nullptr, &t, nullptr,
                       &needed);
    if (rc != ERROR_SUCCESS) return rc;
    // Text takes a byte a character at least in the code page.
    if (needed / (IsText(t) ? sizeof(wchar_t) : 1) > dataCapacity) return ErrorMoreData;
    scratch_.resize(std::max<std::size_t>(needed, 1));
    nameLength = nameCapacity;
    got = needed;
    rc = RegEnumValueW(native, index, wideName_.data(), &nameLength, nullptr, &t,
                       scratch_.data(), &got);
  }
  if (rc != ERROR_SUCCESS) return rc;
  std::string bytes(reinterpret_cast<const char*>(scratch_.data()), got);
  if (IsText(t)) TextToAnsi(std::string(bytes), false, bytes);
  if (bytes.size() > dataCapacity) return ErrorMoreData;
  const bool whole = NameFromWide(wideName_.data(), nameLength, name);
  if (type) *type = t;
  if (data) *data = std::move(bytes);
  return whole ? ErrorSuccess : ErrorNoUnicodeTranslation;
}

// Windows 95: the size is asked for first and the buffer made to fit.
long Win32Registry::EnumerateAnsi(void* key, std::uint32_t index, std::string& name,
                                  std::uint32_t nameCapacity, std::uint32_t* type,
                                  std::uint32_t dataCapacity, std::string* data) {
  HKEY native = static_cast<HKEY>(key);
  std::vector<char> nameBuffer(static_cast<std::size_t>(nameCapacity) + 1, '\0');
  DWORD nameLength = nameCapacity, dataLength = 0, t = 0;
  long rc = RegEnumValueA(native, index, nameBuffer.data(), &nameLength, nullptr, &t, nullptr,
                          &dataLength);
  if (rc != ERROR_SUCCESS) return rc;
  if (dataLength > dataCapacity) return ErrorMoreData;
  if (data) {
    std::string bytes(static_cast<std::size_t>(dataLength) + 1, '\0');
    nameLength = nameCapacity;
    DWORD got = dataLength;
    rc = RegEnumValueA(native, index, nameBuffer.data(), &nameLength, nullptr, &t,
                       reinterpret_cast<BYTE*>(bytes.data()), &got);
    if (rc != ERROR_SUCCESS) return rc;  // changed meanwhile
    bytes.resize(std::min<DWORD>(got, dataLength));
    *data = std::move(bytes);
  }
  name = codePage_.FromAnsi(std::string_view(nameBuffer.data(), nameLength));
  if (type) *type = t;
  return ErrorSuccess;
}

bool Win32Registry::IsTextUnicode(const std::uint8_t* bytes, int length, int flags) const {
  if (!bytes || length <= 0) return false;
  INT f = flags;
  return ::IsTextUnicode(bytes, length, &f) != FALSE;
}

}  // namespace velmaro::platform
