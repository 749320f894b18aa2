#pragma once
// The kernel32 file operations the programs use, with Windows return codes.
// Paths are UTF-8; the Win32 side hands them to the ANSI functions, so a path
// the ANSI code page cannot hold is refused (ErrorNoUnicodeTranslation) rather
// than turned into a substitute that would name another file, and a path of
// MaxPath characters or more is refused (ErrorFilenameExcedRange) rather than
// cut. File contents are bytes held in a std::string: no encoding is implied
// and NUL is an ordinary byte.
//
// Method names avoid the Windows names themselves: windows.h turns those into
// ...A/...W macros, which would rename the methods in some files only.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The return codes shared with the registry (ErrorSuccess, ErrorFileNotFound,
// ErrorAccessDenied, ErrorInvalidParameter, ErrorNoUnicodeTranslation).
#include "platform/registry.h"

namespace velmaro::platform {

inline constexpr long ErrorPathNotFound = 3;
inline constexpr long ErrorNotSameDevice = 17;
inline constexpr long ErrorWriteFault = 29;
inline constexpr long ErrorGenFailure = 31;        // the system failed without saying why
inline constexpr long ErrorSharingViolation = 32;  // another program holds the file open
inline constexpr long ErrorLockViolation = 33;
inline constexpr long ErrorFileExists = 80;
inline constexpr long ErrorDiskFull = 112;
inline constexpr long ErrorInvalidName = 123;  // wildcards, NUL, or a malformed path
inline constexpr long ErrorDirNotEmpty = 145;
inline constexpr long ErrorAlreadyExists = 183;
inline constexpr long ErrorFilenameExcedRange = 206;
inline constexpr long ErrorFileTooLarge = 223;
inline constexpr long ErrorDirectory = 267;  // a directory was expected

inline constexpr std::uint32_t FileAttributeReadOnly = 0x01;
inline constexpr std::uint32_t FileAttributeHidden = 0x02;
inline constexpr std::uint32_t FileAttributeSystem = 0x04;
inline constexpr std::uint32_t FileAttributeDirectory = 0x10;
inline constexpr std::uint32_t FileAttributeArchive = 0x20;
inline constexpr std::uint32_t FileAttributeNormal = 0x80;
inline constexpr std::uint32_t InvalidFileAttributes = 0xFFFFFFFFu;

inline constexpr std::uint32_t MovefileReplaceExisting = 0x1;
inline constexpr std::uint32_t MovefileCopyAllowed = 0x2;
inline constexpr std::uint32_t MovefileWriteThrough = 0x8;

// A path of MaxPath ANSI characters or more is refused; a directory to create
// must leave room for an 8.3 name, as CreateDirectoryA requires.
inline constexpr std::size_t MaxPath = 260;
inline constexpr std::size_t MaxDirectoryPath = 248;

// A file's length and its SHA-256 digest as 64 lower-case hex digits.
struct FileDigest {
  std::uint64_t size = 0;
  std::string sha256;
  bool operator==(const FileDigest&) const = default;
};

class FileSystem {
public:
  virtual ~FileSystem() = default;

  // GetWindowsDirectoryA, GetSystemDirectoryA, GetModuleFileNameA(NULL):
  // full paths without a trailing backslash (unless a drive root).
  virtual long WindowsDirectory(std::string& path) = 0;
  virtual long SystemDirectory(std::string& path) = 0;
  virtual long ModulePath(std::string& path) = 0;

  // GetFileAttributesA: the attribute word, or InvalidFileAttributes with the
  // reason (ErrorFileNotFound for a missing file, ErrorPathNotFound for a
  // missing folder on the way).
  virtual long GetAttributes(std::string_view path, std::uint32_t& attributes) = 0;
  // SetFileAttributesA: read-only, hidden, system and archive are kept; other
  // bits are ignored. Works on a file that another program holds open.
  virtual long SetAttributes(std::string_view path, std::uint32_t attributes) = 0;

  // The whole file. A file larger than `maxBytes` is refused with
  // ErrorFileTooLarge. On failure `bytes` is empty.
  virtual long ReadWholeFile(std::string_view path, std::string& bytes, std::uint64_t maxBytes) = 0;
  // Creates or truncates the file, writes every byte and flushes it to disk
  // before returning success. A read-only file is refused (ErrorAccessDenied)
  // and keeps its content; an existing hidden or system file keeps those
  // attributes. When writing or flushing fails the file may be left holding
  // part of the bytes: the caller owns its clean-up.
  virtual long WriteWholeFile(std::string_view path, std::string_view bytes) = 0;

  // MoveFileExA. With MovefileReplaceExisting an existing target is replaced in
  // one step, unless it is read-only or held open (ErrorAccessDenied both).
  // Without it an existing target gives ErrorAlreadyExists.
  virtual long Move(std::string_view from, std::string_view to, std::uint32_t flags) = 0;
  // DeleteFileA: a read-only file gives ErrorAccessDenied, a directory too.
  virtual long Delete(std::string_view path) = 0;
  // CopyFileA: content and attributes; an existing target gives ErrorFileExists
  // when `failIfExists`, ErrorAccessDenied when it is read-only.
  virtual long Copy(std::string_view from, std::string_view to, bool failIfExists) = 0;
  // CreateDirectoryA (one level; ErrorAlreadyExists when the name is taken),
  // RemoveDirectoryA (empty directories only: ErrorDirNotEmpty otherwise).
  virtual long CreateDir(std::string_view path) = 0;
  virtual long RemoveDir(std::string_view path) = 0;
  // FindFirstFileA/FindNextFileA over the folder: the names of the folders
  // directly inside it, spelt as the disk holds them, without "." and "..",
  // in no particular order. A missing folder gives ErrorPathNotFound, a file
  // ErrorDirectory. A name the ANSI code page cannot spell is left out: no
  // ANSI call could open it.
  virtual long ListFolders(std::string_view folder, std::vector<std::string>& names) = 0;
  // The file's length and SHA-256, read through (BCrypt on Windows; the
  // memory platform uses a stand-in digest of its own).
  virtual long Digest(std::string_view path, FileDigest& digest) = 0;
  // Opens the file for deletion and writing (sharing everything) and closes
  // it again, changing nothing: a program that is running, or a file another
  // program holds open without sharing, refuses (ErrorSharingViolation),
  // though it may still be renamed; a read-only file gives ErrorAccessDenied.
  virtual long OpenForDelete(std::string_view path) = 0;

  // Conveniences over GetAttributes.
  std::uint32_t AttributesOf(std::string_view path) {
    std::uint32_t attributes = InvalidFileAttributes;
    GetAttributes(path, attributes);
    return attributes;
  }
  bool Exists(std::string_view path) { return AttributesOf(path) != InvalidFileAttributes; }
  bool IsFile(std::string_view path) {
    const std::uint32_t a = AttributesOf(path);
    return a != InvalidFileAttributes && (a & FileAttributeDirectory) == 0;
  }
  bool IsDirectory(std::string_view path) {
    const std::uint32_t a = AttributesOf(path);
    return a != InvalidFileAttributes && (a & FileAttributeDirectory) != 0;
  }
};

// Why a file operation failed, in words for a message ("access was denied").
std::string FileErrorText(long code);

// Writes the whole file under a free temporary name beside `path` and then
// moves it over `path` in one step (replace + write-through). Until that
// step the old file keeps every byte; on any failure the temporary file is
// removed again. A read-only or held-open target is refused
// (ErrorAccessDenied), as Move refuses it.
long ReplaceWholeFile(FileSystem& files, const std::string& path, std::string_view bytes);

}  // namespace velmaro::platform
