#pragma once
// Stand-ins that hand every call to the real registry, files or mouse: the
// base of those that change a few calls (record them for undo, capture them
// for an export, refuse one in a test) and pass the rest through unchanged.
#include "platform/files.h"
#include "platform/mouse.h"
#include "platform/registry.h"

namespace velmaro::platform {

class ForwardingRegistry : public Registry {
public:
  explicit ForwardingRegistry(Registry& real) : real_(real) {}

  long OpenKey(HKey root, std::string_view path, HKey& out) override {
    return real_.OpenKey(root, path, out);
  }
  long CreateKey(HKey root, std::string_view path, HKey& out) override {
    return real_.CreateKey(root, path, out);
  }
  long CloseKey(HKey key) override { return real_.CloseKey(key); }
  long QueryValue(HKey key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    return real_.QueryValue(key, name, type, data, size);
  }
  long SetValue(HKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return real_.SetValue(key, name, type, data, size);
  }
  long SetValueExact(HKey key, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override {
    return real_.SetValueExact(key, name, type, data, size);
  }
  long DeleteKey(HKey root, std::string_view path) override { return real_.DeleteKey(root, path); }
  long DeleteValue(HKey key, std::string_view name) override { return real_.DeleteValue(key, name); }
  long EnumKey(HKey key, std::uint32_t index, std::string& name, std::uint32_t capacity) override {
    return real_.EnumKey(key, index, name, capacity);
  }
  long EnumValue(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                 std::uint32_t* type, std::uint32_t dataCapacity) override {
    return real_.EnumValue(key, index, name, nameCapacity, type, dataCapacity);
  }
  long EnumValueData(HKey key, std::uint32_t index, std::string& name, std::uint32_t nameCapacity,
                     std::uint32_t* type, std::uint32_t dataCapacity, std::string& data) override {
    return real_.EnumValueData(key, index, name, nameCapacity, type, dataCapacity, data);
  }
  bool IsTextUnicode(const std::uint8_t* bytes, int length, int flags) const override {
    return real_.IsTextUnicode(bytes, length, flags);
  }
  const AnsiCodePage& CodePage() const override { return real_.CodePage(); }

protected:
  Registry& real_;
};

class ForwardingFiles : public FileSystem {
public:
  explicit ForwardingFiles(FileSystem& real) : real_(real) {}

  long WindowsDirectory(std::string& path) override { return real_.WindowsDirectory(path); }
  long SystemDirectory(std::string& path) override { return real_.SystemDirectory(path); }
  long ModulePath(std::string& path) override { return real_.ModulePath(path); }
  long GetAttributes(std::string_view path, std::uint32_t& attributes) override {
    return real_.GetAttributes(path, attributes);
  }
  long SetAttributes(std::string_view path, std::uint32_t attributes) override {
    return real_.SetAttributes(path, attributes);
  }
  long ReadWholeFile(std::string_view path, std::string& bytes, std::uint64_t maxBytes) override {
    return real_.ReadWholeFile(path, bytes, maxBytes);
  }
  long WriteWholeFile(std::string_view path, std::string_view bytes) override {
    return real_.WriteWholeFile(path, bytes);
  }
  long Move(std::string_view from, std::string_view to, std::uint32_t flags) override {
    return real_.Move(from, to, flags);
  }
  long Delete(std::string_view path) override { return real_.Delete(path); }
  long Digest(std::string_view path, FileDigest& digest) override {
    return real_.Digest(path, digest);
  }
  long OpenForDelete(std::string_view path) override { return real_.OpenForDelete(path); }
  long Copy(std::string_view from, std::string_view to, bool failIfExists) override {
    return real_.Copy(from, to, failIfExists);
  }
  long CreateDir(std::string_view path) override { return real_.CreateDir(path); }
  long RemoveDir(std::string_view path) override { return real_.RemoveDir(path); }
  long ListFolders(std::string_view folder, std::vector<std::string>& names) override {
    return real_.ListFolders(folder, names);
  }

protected:
  FileSystem& real_;
};

class ForwardingMouse : public Mouse {
public:
  explicit ForwardingMouse(Mouse& real) : real_(real) {}

  unsigned DoubleClickTime() override { return real_.DoubleClickTime(); }
  bool SetDoubleClickTime(unsigned ms) override { return real_.SetDoubleClickTime(ms); }
  void SwapButtons(bool swap) override { real_.SwapButtons(swap); }
  bool ButtonsSwapped() override { return real_.ButtonsSwapped(); }
  bool SaveDoubleClickTime(unsigned ms) override { return real_.SaveDoubleClickTime(ms); }
  bool SaveButtonsSwapped(bool swap) override { return real_.SaveButtonsSwapped(swap); }
  unsigned KeptDoubleClickTime() override { return real_.KeptDoubleClickTime(); }
  bool KeptButtonsSwapped() override { return real_.KeptButtonsSwapped(); }

protected:
  Mouse& real_;
};

}  // namespace velmaro::platform
