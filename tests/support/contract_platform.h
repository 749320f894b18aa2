#pragma once
// The contract suites run against whichever platform these factories give:
// the in-memory one natively, the real one under Wine.
#include <memory>
#include <optional>
#include <string>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/mouse.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace velmaro::testing {

std::unique_ptr<platform::Registry> MakeContractRegistry();
const char* ContractPlatformName();

std::unique_ptr<platform::FileSystem> MakeContractFiles();
std::unique_ptr<platform::Drives> MakeContractDrives();
// The shell over `files`, a FileSystem from MakeContractFiles.
std::unique_ptr<platform::Shell> MakeContractShell(platform::FileSystem& files);

// Stores a text value holding a character the ANSI code page lacks, as a
// program using the wide functions would (HKEY_CURRENT_USER).
void StoreUnmappableText(platform::Registry& registry, const std::string& path,
                         const std::string& name);

// Another program that uses the wide functions, beside ours, under
// HKEY_CURRENT_USER: it stores text under exact names and is the witness of
// what a key or value holds afterwards (natively, the memory registry).
// Names are UTF-8; `halfPair` adds an unpaired surrogate (U+D800) after the
// name, which no UTF-8 text can name again.
void WideSetText(platform::Registry& registry, const std::string& path, const std::string& name,
                 const std::string& text, bool halfPair = false);
void WideCreateKey(platform::Registry& registry, const std::string& path, const std::string& name,
                   bool halfPair = false);
std::optional<std::string> WideText(platform::Registry& registry, const std::string& path,
                                    const std::string& name);
bool WideKeyExists(platform::Registry& registry, const std::string& path);

std::unique_ptr<platform::Mouse> MakeContractMouse();

// Keeps a file open, without sharing, the way another program would, until
// the returned object goes. `files` is a FileSystem from MakeContractFiles.
class HeldFile {
public:
  virtual ~HeldFile() = default;
};
std::unique_ptr<HeldFile> HoldOpen(platform::FileSystem& files, const std::string& path);

}  // namespace velmaro::testing
