#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace velmaro::platform {
namespace {

// RegDeleteKeyA refuses a key that has subkeys on NT and under Wine, so the
// subtree goes first, deepest keys first. Names stay in the ANSI code page.
long DeleteTree(HKEY parent, const std::string& path) {
  HKEY key = nullptr;
  const long rc = RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
  if (rc != ERROR_SUCCESS) return rc;
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i)
    children.emplace_back(name);
  for (const auto& child : children) DeleteTree(key, child);
  RegCloseKey(key);
  return RegDeleteKeyA(parent, path.c_str());
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
  std::string ansi;
  if (!codePage_.ToAnsi(path, ansi)) return ErrorNoUnicodeTranslation;
  HKEY key = nullptr;
  const long rc = RegOpenKeyA(parent, ansi.c_str(), &key);
  if (rc != ERROR_SUCCESS) return rc;
  out = key == parent ? root : Remember(key);
  return rc;
}

long Win32Registry::CreateKey(HKey root, std::string_view path, HKey& out) {
  HKEY parent = static_cast<HKEY>(Native(root));
  if (!parent) return ErrorInvalidHandle;
  std::string ansi;
  if (!codePage_.ToAnsi(path, ansi)) return ErrorNoUnicodeTranslation;
  HKEY key = nullptr;
  const long rc = RegCreateKeyA(parent, ansi.c_str(), &key);
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
  std::string ansi;
  if (!codePage_.ToAnsi(name, ansi)) return ErrorNoUnicodeTranslation;
  DWORD t = 0, s = size ? *size : 0;
  const long rc = RegQueryValueExA(native, ansi.c_str(), nullptr, &t, data, size ? &s : nullptr);
  if (type) *type = t;
  if (size) *size = s;
  // Text stored through the wide functions may hold characters the code page
  // lacks; the ANSI call hands out '?' in their place. That is not the value:
  // refuse it, as a write of such text is refused.
  if ((rc == ErrorSuccess || rc == ErrorMoreData) &&
      (t == REG_SZ || t == REG_EXPAND_SZ || t == REG_MULTI_SZ) && !FitsCodePage(native, ansi))
    return ErrorNoUnicodeTranslation;
  return rc;
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
  std::string ansi;
  if (!codePage_.ToAnsi(name, ansi)) return ErrorNoUnicodeTranslation;
  // The system reads one byte past counted text to see whether it is
  // terminated (and then stores the NUL too); give it a copy rather than the
  // caller's buffer, ended by a NUL, or by another byte for an exact write.
  std::vector<std::uint8_t> copy(data, data + size);
  copy.push_back(exact ? 'x' : 0);
  return RegSetValueExA(native, ansi.c_str(), 0, type, copy.data(), size);
}

long Win32Registry::DeleteKey(HKey root, std::string_view path) {
  HKEY parent = static_cast<HKEY>(Native(root));
  if (!parent) return ErrorInvalidHandle;
  std::string ansi;
  if (!codePage_.ToAnsi(path, ansi)) return ErrorNoUnicodeTranslation;
  if (ansi.find_first_not_of('\\') == std::string::npos) return ErrorAccessDenied;
  return DeleteTree(parent, ansi);
}

long Win32Registry::DeleteValue(HKey key, std::string_view name) {
  HKEY native = static_cast<HKEY>(Native(key));
  if (!native) return ErrorInvalidHandle;
  std::string ansi;
  if (!codePage_.ToAnsi(name, ansi)) return ErrorNoUnicodeTranslation;
  return RegDeleteValueA(native, ansi.c_str());
}

long Win32Registry::EnumKey(HKey key, std::uint32_t index, std::string& name,
                            std::uint32_t capacity) {
  HKEY native = static_cast<HKEY>(Native(key));
  if (!native) return ErrorInvalidHandle;
  std::vector<char> buffer(capacity + 1, '\0');
  const long rc = RegEnumKeyA(native, index, buffer.data(), capacity);
  if (rc == ERROR_SUCCESS) name = codePage_.FromAnsi(buffer.data());
  return rc;
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

// The size is asked for first and the buffer made to fit: a caller may give
// any capacity (the largest number says "whatever its size") without a
// buffer of that size being made.
long Win32Registry::Enumerate(HKey key, std::uint32_t index, std::string& name,
                              std::uint32_t nameCapacity, std::uint32_t* type,
                              std::uint32_t dataCapacity, std::string* data) {
  if (data) data->clear();
  HKEY native = static_cast<HKEY>(Native(key));
  if (!native) return ErrorInvalidHandle;
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
