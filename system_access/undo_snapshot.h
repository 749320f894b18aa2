#pragma once
// The undo journal's view of the system: a value, a key's subtree, a file as
// they are now, and putting a file back in one move. Used by the journal's
// units only.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii_case.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry_key.h"
#include "platform/registry.h"
#include "system_access/reg_file.h"
#include "system_access/undo_journal.h"

namespace velmaro::undo::detail {

std::uint64_t Fnv1a(std::string_view bytes);
std::string Hex(std::uint64_t v);

// A value as it is: absent, or its type and bytes. False when it is there
// but cannot be read as it is (text the code page lacks): such a value could
// not be put back, so what would change it is refused.
bool CurrentValue(platform::Registry& r, platform::HKey root, std::string_view path,
                  std::string_view name, std::optional<regfile::Data>& out);
std::optional<regfile::Data> CurrentValue(platform::Registry& r, platform::HKey root,
                                          std::string_view path, std::string_view name);
bool KeyThere(platform::Registry& r, platform::HKey root, std::string_view path);

// The key and everything below it, parents before their subkeys; false when
// a value in it cannot be read as it is, or a name in it cannot be reached.
bool Snapshot(platform::Registry& r, platform::HKey root, const std::string& path,
              std::vector<regfile::Key>& out);

// The names of a key's values and of its subkeys; false when it is absent. An
// entry no name reaches is listed too, so that such a key never counts as empty.
bool Contents(platform::Registry& r, platform::HKey root, std::string_view path,
              std::vector<std::string>& values, std::vector<std::string>& subkeys);

std::optional<FileState> CurrentFile(platform::FileSystem& fs, std::string_view path);
// Replaces a file in one move, so that a failure leaves the old one whole.
long PutFile(platform::FileSystem& fs, const std::string& path, const FileState& state);
long RemoveFile(platform::FileSystem& fs, const std::string& path);

}  // namespace velmaro::undo::detail
