// REGEDIT4 files: any bytes are read or refused without failing; whatever is
// read writes back to a file that reads the same; and any registry content
// written reads back exactly (read(write(x)) == x). Imported, whatever the
// bytes (REGEDIT4 or Unicode) and whatever a file names, nothing outside what
// Velmaro may change is ever written, even when every change the preview
// offers is made.
#include "console/export.h"
#include "console/import.h"
#include "console/velmaro_scope.h"
#include "fuzz/fuzz_input.h"
#include "platform/memory/memory_desktop.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_mouse.h"
#include "platform/memory/memory_registry.h"
#include "system_access/key_paths.h"
#include "system_access/reg_file.h"

namespace {

using namespace velmaro;
using velmaro::fuzz::Check;

const platform::Cp1252CodePage kCodePage;

// UTF-8 text of characters cp1252 holds: ASCII and a few Western letters.
std::string Text(fuzz::Input& in, std::size_t max) {
  static const char* kExtra[] = {"\xC3\xA9", "\xC3\xBC", "\xE2\x82\xAC", "\\", "\"", "@", "[", "]",
                                 ";", "=", " "};
  std::string s;
  const std::size_t n = in.Byte() % (max + 1);
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint8_t b = in.Byte();
    if (b < 0xF0)
      s += static_cast<char>(0x20 + b % 0x5F);
    else
      s += kExtra[b % std::size(kExtra)];
  }
  return s;
}

// Places Velmaro changes, shares with the system, or never touches: a
// generated file names them often enough to matter.
constexpr const char* kPaths[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Control Panel\\Mouse",
    "Control Panel\\Desktop", "Software\\Velmaro\\Settings", "*\\shell\\open",
    "*\\shell\\open\\command", "*\\shell", "SYSTEM\\CurrentControlSet\\Services\\X",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\App"};
constexpr const char* kNames[] = {"NoRun", "DoubleClickSpeed", "SwapMouseButtons",
                                  "SmoothScroll", "MenuShowDelay", "", "Start"};

std::string Path(fuzz::Input& in) {
  const std::uint8_t b = in.Byte();
  return b < 128 ? kPaths[b % std::size(kPaths)] : Text(in, 30);
}
std::string Name(fuzz::Input& in) {
  const std::uint8_t b = in.Byte();
  return b < 128 ? kNames[b % std::size(kNames)] : Text(in, 12);
}

regfile::File Generate(fuzz::Input& in) {
  regfile::File f;
  for (int c = in.Byte() % 3; c > 0; --c)
    f.comments.push_back(in.Byte() % 2 ? Text(in, 20)
                                       : std::string(console::BootOptionsComment) + Text(in, 30));
  static constexpr platform::HKey kRoots[] = {platform::HkeyClassesRoot, platform::HkeyCurrentUser,
                                              platform::HkeyLocalMachine};
  for (int k = in.Byte() % 4; k > 0; --k) {
    regfile::Key key;
    key.root = kRoots[in.Byte() % 3];
    key.path = Path(in);
    key.remove = in.Byte() % 5 == 0;
    if (!key.remove) {
      for (int v = in.Byte() % 5; v > 0; --v) {
        regfile::Value value;
        value.name = Name(in);
        if (in.Byte() % 6 != 0) {
          const std::uint8_t t = in.Byte();
          value.data = regfile::Data{t < 200 ? std::uint32_t{1} + t % 7 : in.Word(), in.Bytes(255)};
        }
        key.values.push_back(std::move(value));
      }
    }
    f.keys.push_back(std::move(key));
  }
  return f;
}

// Every registry change, held to the scope as it is made.
class ScopeWitness final : public platform::ForwardingRegistry {
public:
  ScopeWitness(platform::Registry& real, const ChangeScope& scope)
      : platform::ForwardingRegistry(real), scope_(scope) {}
  long OpenKey(platform::HKey root, std::string_view path, platform::HKey& out) override {
    const long rc = real_.OpenKey(root, path, out);
    if (rc == platform::ErrorSuccess) paths_.Remember(out, root, path);
    return rc;
  }
  long CreateKey(platform::HKey root, std::string_view path, platform::HKey& out) override {
    const auto [r, p] = paths_.Resolve(root, path);
    Check(scope_.AllowsKey(r, p) || scope_.AllowsEmptyKeyRemoval(r, p),
          "an import creates a key outside the scope");
    const long rc = real_.CreateKey(root, path, out);
    if (rc == platform::ErrorSuccess) paths_.Remember(out, root, path);
    return rc;
  }
  long CloseKey(platform::HKey key) override {
    paths_.Forget(key);
    return real_.CloseKey(key);
  }
  long SetValue(platform::HKey key, std::string_view name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override {
    Value(key, name);
    return real_.SetValue(key, name, type, data, size);
  }
  long SetValueExact(platform::HKey key, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override {
    Value(key, name);
    return real_.SetValueExact(key, name, type, data, size);
  }
  long DeleteValue(platform::HKey key, std::string_view name) override {
    Value(key, name);
    return real_.DeleteValue(key, name);
  }
  long DeleteKey(platform::HKey root, std::string_view path) override {
    const auto [r, p] = paths_.Resolve(root, path);
    Check(scope_.AllowsKey(r, p) && scope_.AllowsKey(r, p + "\\x"),
          "an import removes a key outside the scope");
    return real_.DeleteKey(root, path);
  }

private:
  void Value(platform::HKey key, std::string_view name) {
    const auto [r, p] = paths_.Resolve(key);
    Check(scope_.AllowsValue(r, p, name), "an import writes a value outside the scope");
  }
  const ChangeScope& scope_;
  KeyPaths paths_;
};

class FileWitness final : public platform::ForwardingFiles {
public:
  FileWitness(platform::FileSystem& real, const ChangeScope& scope)
      : platform::ForwardingFiles(real), scope_(scope) {}
  long SetAttributes(std::string_view path, std::uint32_t attributes) override {
    return Ours(path), real_.SetAttributes(path, attributes);
  }
  long WriteWholeFile(std::string_view path, std::string_view bytes) override {
    return Ours(path), real_.WriteWholeFile(path, bytes);
  }
  long Move(std::string_view from, std::string_view to, std::uint32_t flags) override {
    return Ours(from), Ours(to), real_.Move(from, to, flags);
  }
  long Delete(std::string_view path) override { return Ours(path), real_.Delete(path); }

private:
  void Ours(std::string_view path) {
    Check(scope_.AllowsFile(path), "an import changes a file outside the scope");
  }
  const ChangeScope& scope_;
};

// Imports the bytes as a file, making every change the preview offers.
void Import(std::string_view bytes) {
  platform::MemoryRegistry registry;
  platform::MemoryFiles files;
  platform::MemoryMouse mouse;
  platform::MemoryDesktop desktop;
  files.PutFile("c:\\msdos.sys", "[Options]\r\nAutoScan=1\r\n");
  registry.SetRawValue(platform::HkeyCurrentUser, kPaths[0], "NoRun", platform::RegDword, {7, 0, 0, 0});
  regfile::File file;
  std::string why;
  if (!console::ReadImportFile(bytes, registry.CodePage(), file, why)) return;
  const ChangeScope scope = console::WhatVelmaroMayChange(registry, files);
  ScopeWitness witness(registry, scope);
  FileWitness fileWitness(files, scope);
  console::SilentToolkit silent;
  console::ConsoleSystem system(silent, witness, fileWitness, mouse, desktop);
  const console::ImportPlan plan = console::PlanImport(system, file);
  console::ApplyImport(system, plan, "fuzz");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  regfile::File read;
  if (regfile::Read(bytes, kCodePage, read)) {
    std::string again;
    if (regfile::Write(read, kCodePage, again)) {
      regfile::File reread;
      Check(regfile::Read(again, kCodePage, reread), "a written file is refused");
      Check(reread == read, "a file read and written again reads differently");
    }
  }

  Import(bytes);

  fuzz::Input in(data, size);
  const regfile::File made = Generate(in);
  std::string written;
  if (regfile::Write(made, kCodePage, written)) {
    Import(written);
    regfile::File back;
    std::string why;
    Check(regfile::Read(written, kCodePage, back, &why), "our own file is refused");
    Check(back == made, "read(write(x)) differs from x");
  }
  return 0;
}
