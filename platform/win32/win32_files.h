#pragma once
// The real file system through the ANSI kernel32 functions.
#include "platform/files.h"
#include "platform/win32/win32_text.h"

namespace velmaro::platform {

class Win32Files final : public FileSystem {
public:
  long WindowsDirectory(std::string& path) override;
  long SystemDirectory(std::string& path) override;
  long ModulePath(std::string& path) override;
  long GetAttributes(std::string_view path, std::uint32_t& attributes) override;
  long SetAttributes(std::string_view path, std::uint32_t attributes) override;
  long ReadWholeFile(std::string_view path, std::string& bytes, std::uint64_t maxBytes) override;
  long WriteWholeFile(std::string_view path, std::string_view bytes) override;
  long Move(std::string_view from, std::string_view to, std::uint32_t flags) override;
  long Delete(std::string_view path) override;
  long Copy(std::string_view from, std::string_view to, bool failIfExists) override;
  long CreateDir(std::string_view path) override;
  long RemoveDir(std::string_view path) override;
  long ListFolders(std::string_view folder, std::vector<std::string>& names) override;
  long Digest(std::string_view path, FileDigest& digest) override;
  long OpenForDelete(std::string_view path) override;

private:
  // The path as the ANSI functions take it, or why it cannot be given to them.
  long SystemPath(std::string_view path, std::size_t limit, std::string& ansi) const;

  Win32CodePage codePage_;
};

// Writes `text` as `name` in the user's temporary folder (GetTempPathA):
// where the programs' silent runs say what they did.
long WriteInTempFolder(FileSystem& files, std::string_view name, std::string_view text);

}  // namespace velmaro::platform
