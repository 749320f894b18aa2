#pragma once
// Registry files in the REGEDIT4 format that the system's regedit imports
// (`regedit /s file.reg`), written and read exactly: value types and bytes
// survive a round trip, so a file can carry settings to another machine or
// hold the state to put back.
//
// The file is text in the ANSI code page, as regedit reads a REGEDIT4 file.
// Names and key paths are UTF-8 here and converted at the edge; value data are
// the bytes as the ANSI registry functions see them, written as they are.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace velmaro::regfile {

// A value's type and stored bytes.
struct Data {
  std::uint32_t type = platform::RegSz;
  std::string bytes;
  friend bool operator==(const Data&, const Data&) = default;
};

struct Value {
  std::string name;           // empty: the key's unnamed value ("@")
  std::optional<Data> data;   // none: the value is deleted ("name"=-)
  friend bool operator==(const Value&, const Value&) = default;
};

struct Key {
  platform::HKey root = platform::HkeyCurrentUser;
  std::string path;     // below the root, backslash-separated, may be empty
  bool remove = false;  // [-KEY]: the key goes with its subtree; no values then
  std::vector<Value> values;
  friend bool operator==(const Key&, const Key&) = default;
};

struct File {
  // Comment lines (without the leading ';'), written after the header.
  std::vector<std::string> comments;
  std::vector<Key> keys;
  friend bool operator==(const File&, const File&) = default;
};

// "HKEY_CURRENT_USER" and so on; empty for a root regedit does not know.
std::string_view RootName(platform::HKey root);
std::optional<platform::HKey> RootOf(std::string_view name);

// The file's bytes. False when a name or path has a character the code page
// cannot hold, or a comment holds a line break: such a file would import
// something else. `why` then names what failed.
bool Write(const File& file, const platform::AnsiCodePage& codePage, std::string& out,
           std::string* why = nullptr);

// Reads a REGEDIT4 file (regedit's continuation lines, blank lines and
// comments included). False, with the line number and cause in `why`, for a
// file that is not REGEDIT4 or holds a line it cannot read: nothing of such a
// file may be applied.
bool Read(std::string_view bytes, const platform::AnsiCodePage& codePage, File& out,
          std::string* why = nullptr);

// Reads the Unicode file that the system's regedit writes ("Windows Registry
// Editor Version 5.00", UTF-16LE after its byte order mark) into the same
// form: names as UTF-8, texts (quoted, hex(1), hex(2), hex(7)) as the ANSI
// bytes the registry functions see. False, with the cause in `why`, for a
// file without the mark, with an odd length or a broken surrogate, or
// holding text the code page cannot hold.
bool ReadUnicode(std::string_view bytes, const platform::AnsiCodePage& codePage, File& out,
                 std::string* why = nullptr);

// "HKEY_CURRENT_USER\\Software\\A", and ": name" (": (Default)") for a value.
std::string Describe(platform::HKey root, std::string_view path,
                     std::optional<std::string_view> name = std::nullopt);

// Makes the registry hold what the file says, entry by entry, as regedit
// imports it: [-KEY] removes the key with its subtree; [KEY] creates it; a
// value is set with exactly its type and bytes (text gains no NUL it was not
// given), "name"=- removes it. `done` and `failed` name each entry in words.
struct Outcome {
  std::vector<std::string> done;
  std::vector<std::string> failed;
};
Outcome Apply(const File& file, platform::Registry& registry);

}  // namespace velmaro::regfile
