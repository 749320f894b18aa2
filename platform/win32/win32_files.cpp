#include "platform/win32/win32_files.h"

#include <windows.h>
// After windows.h.
#include <bcrypt.h>

#include "platform/win32/win32_on_demand.h"

#include <algorithm>
#include <vector>

namespace velmaro::platform {
namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
constexpr DWORD kChunk = 1u << 20;

// A failed call that left no reason must still read as a failure.
long LastError() {
  const DWORD e = GetLastError();
  return e == ERROR_SUCCESS ? ErrorGenFailure : static_cast<long>(e);
}

class Handle {
public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (Valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }
  // Closing is the last step of a write; its failure is the write's failure.
  long Close() {
    const BOOL ok = CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
    return ok ? ErrorSuccess : LastError();
  }

private:
  HANDLE h_;
};

// Windows refuses to overwrite, replace or copy over a read-only file, but
// Wine running as root does not (the Unix permission does not stop root), so
// the rule is checked here to behave the same everywhere.
bool IsReadOnlyFile(const std::string& ansi) {
  const DWORD a = GetFileAttributesA(ansi.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (a & FILE_ATTRIBUTE_READONLY) != 0;
}

template <typename Call>
long SystemFolder(const AnsiCodePage& codePage, std::string& path, Call call) {
  path.clear();
  std::vector<char> buffer(MAX_PATH);
  UINT n = call(buffer.data(), static_cast<UINT>(buffer.size()));
  if (n >= buffer.size()) {
    buffer.resize(n + 1);
    n = call(buffer.data(), static_cast<UINT>(buffer.size()));
  }
  if (n == 0 || n >= buffer.size()) return LastError();
  path = codePage.FromAnsi(std::string_view(buffer.data(), n));
  return ErrorSuccess;
}

}  // namespace

long Win32Files::SystemPath(std::string_view path, std::size_t limit, std::string& ansi) const {
  // A NUL would end the path early and name another file.
  if (path.find('\0') != std::string_view::npos) return ErrorInvalidName;
  if (!codePage_.ToAnsi(path, ansi)) return ErrorNoUnicodeTranslation;
  if (ansi.size() >= limit) return ErrorFilenameExcedRange;
  return ErrorSuccess;
}

long Win32Files::WindowsDirectory(std::string& path) {
  return SystemFolder(codePage_, path,
                      [](char* b, UINT size) { return GetWindowsDirectoryA(b, size); });
}

long Win32Files::SystemDirectory(std::string& path) {
  return SystemFolder(codePage_, path,
                      [](char* b, UINT size) { return GetSystemDirectoryA(b, size); });
}

long Win32Files::ModulePath(std::string& path) {
  path.clear();
  std::vector<char> buffer(32768);
  const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0) return LastError();
  if (n >= buffer.size()) return ErrorFilenameExcedRange;
  path = codePage_.FromAnsi(std::string_view(buffer.data(), n));
  return ErrorSuccess;
}

long Win32Files::GetAttributes(std::string_view path, std::uint32_t& attributes) {
  attributes = InvalidFileAttributes;
  std::string p;
  if (const long rc = SystemPath(path, MaxPath, p)) return rc;
  const DWORD a = GetFileAttributesA(p.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return LastError();
  attributes = a;
  return ErrorSuccess;
}

long Win32Files::SetAttributes(std::string_view path, std::uint32_t attributes) {
  std::string p;
  if (const long rc = SystemPath(path, MaxPath, p)) return rc;
  const DWORD kept = attributes & kKeptAttributes;
  return SetFileAttributesA(p.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL) ? ErrorSuccess
                                                                            : LastError();
}

long Win32Files::ReadWholeFile(std::string_view path, std::string& bytes, std::uint64_t maxBytes) {
  bytes.clear();
  std::string p;
  if (const long rc = SystemPath(path, MaxPath, p)) return rc;
  Handle file(CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return LastError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) return LastError();
  if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) return ErrorFileTooLarge;
  // Read straight into a buffer of the file's size and one byte more: the
  // file may grow while it is read, and the spare byte shows that it did.
  std::string data(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
  const std::uint64_t room = maxBytes == UINT64_MAX ? maxBytes : maxBytes + 1;
  std::size_t total = 0;
  for (;;) {
    if (total == data.size()) {
      if (total > maxBytes) return ErrorFileTooLarge;
      data.resize(static_cast<std::size_t>(std::min<std::uint64_t>(2 * total, room)));
    }
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(kChunk, data.size() - total));
    DWORD got = 0;
    if (!::ReadFile(file.Get(), data.data() + total, want, &got, nullptr)) return LastError();
    if (got == 0) break;
    total += got;
  }
  if (total > maxBytes) return ErrorFileTooLarge;
  data.resize(total);
  bytes = std::move(data);
  return ErrorSuccess;
}

long Win32Files::WriteWholeFile(std::string_view path, std::string_view bytes) {
  std::string p;
  if (const long rc = SystemPath(path, MaxPath, p)) return rc;
  // Windows NT refuses CREATE_ALWAYS over a hidden or system file unless the
  // call names those attributes; naming them keeps them, as Wine does anyway.
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  const DWORD existing = GetFileAttributesA(p.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (existing & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return ErrorAccessDenied;
    if (const DWORD keep = existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
      attributes = keep | FILE_ATTRIBUTE_ARCHIVE;
  }
  Handle file(
      CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
  if (!file.Valid()) return LastError();
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(kChunk, bytes.size() - done));
    DWORD put = 0;
    if (!::WriteFile(file.Get(), bytes.data() + done, want, &put, nullptr)) return LastError();
    if (put == 0) return ErrorWriteFault;
    done += put;
  }
  if (!FlushFileBuffers(file.Get())) return LastError();
  return file.Close();
}

long Win32Files::Move(std::string_view from, std::string_view to, std::uint32_t flags) {
  std::string f, t;
  if (const long rc = SystemPath(from, MaxPath, f)) return rc;
  if (const long rc = SystemPath(to, MaxPath, t)) return rc;
  if ((flags & MOVEFILE_REPLACE_EXISTING) && lstrcmpiA(f.c_str(), t.c_str()) != 0 &&
      IsReadOnlyFile(t))
    return ErrorAccessDenied;
  return MoveFileExA(f.c_str(), t.c_str(), flags) ? ErrorSuccess : LastError();
}

long Win32Files::Delete(std::string_view path) {
  std::string p;
  if (const long rc = SystemPath(path, MaxPath, p)) return rc;
  return DeleteFileA(p.c_str()) ? ErrorSuccess : LastError();
}

long Win32Files::Copy(std::string_view from, std::string_view to, bool failIfExists) {
  std::string f, t;
  if (const long rc = SystemPath(from, MaxPath, f)) return rc;
  if (const long rc = SystemPath(to, MaxPath, t)) return rc;
  if (!failIfExists && IsReadOnlyFile(t)) return ErrorAccessDenied;
  return CopyFileA(f.c_str(), t.c_str(), failIfExists) ? ErrorSuccess : LastError();
}

long Win32Files::CreateDir(std::string_view path) {
  std::string p;
  if (const long rc = SystemPath(path, MaxDirectoryPath, p)) return rc;
  return CreateDirectoryA(p.c_str(), nullptr) ? ErrorSuccess : LastError();
}

long Win32Files::RemoveDir(std::string_view path) {
  std::string p;
  if (const long rc = SystemPath(path, MaxPath, p)) return rc;
  return RemoveDirectoryA(p.c_str()) ? ErrorSuccess : LastError();
}

long Win32Files::ListFolders(std::string_view folder, std::vector<std::string>& names) {
  names.clear();
  std::string p;
  // Room for the "\*" the search adds.
  if (const long rc = SystemPath(folder, MaxPath - 2, p)) return rc;
  const DWORD a = GetFileAttributesA(p.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) {
    const long rc = LastError();
    return rc == ErrorFileNotFound ? ErrorPathNotFound : rc;
  }
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return ErrorDirectory;
  if (p.back() != '\\' && p.back() != '/') p += '\\';
  p += '*';
  WIN32_FIND_DATAA found{};
  HANDLE h = FindFirstFileA(p.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) {
    const long rc = LastError();
    return rc == ErrorFileNotFound ? ErrorSuccess : rc;  // an empty drive root
  }
  do {
    const std::string name = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name == "." || name == "..") continue;
    // The ANSI functions spell a name outside the code page with '?'.
    if (name.find('?') != std::string::npos) continue;
    names.push_back(codePage_.FromAnsi(name));
  } while (FindNextFileA(h, &found));
  const long rc = LastError();
  FindClose(h);
  return rc == ERROR_NO_MORE_FILES ? ErrorSuccess : rc;
}

namespace {

// BCrypt, loaded on first use: the console links this file but never hashes.
struct Bcrypt {
  win32::OnDemand<NTSTATUS(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG)> open{
      "bcrypt.dll", "BCryptOpenAlgorithmProvider"};
  win32::OnDemand<NTSTATUS(BCRYPT_ALG_HANDLE, ULONG)> close{"bcrypt.dll",
                                                          "BCryptCloseAlgorithmProvider"};
  win32::OnDemand<NTSTATUS(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG,
                           ULONG)>
      create{"bcrypt.dll", "BCryptCreateHash"};
  win32::OnDemand<NTSTATUS(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG)> data{"bcrypt.dll",
                                                                         "BCryptHashData"};
  win32::OnDemand<NTSTATUS(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG)> finish{"bcrypt.dll",
                                                                           "BCryptFinishHash"};
  win32::OnDemand<NTSTATUS(BCRYPT_HASH_HANDLE)> destroy{"bcrypt.dll", "BCryptDestroyHash"};
  bool Loaded() {
    return open.Get() && close.Get() && create.Get() && data.Get() && finish.Get() && destroy.Get();
  }
};

Bcrypt& Crypt() {
  static Bcrypt crypt;
  return crypt;
}

// A BCrypt object closed by whichever of its two kinds it is.
struct HashObjects {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  ~HashObjects() {
    if (hash) Crypt().destroy.Get()(hash);
    if (algorithm) Crypt().close.Get()(algorithm, 0);
  }
};

}  // namespace

// SHA-256 through BCrypt: CryptoAPI's PROV_RSA_FULL refuses it under Wine.
long Win32Files::Digest(std::string_view path, FileDigest& digest) {
  digest = {};
  std::string p;
  if (const long rc = SystemPath(path, MaxPath, p)) return rc;
  Handle file(CreateFileA(p.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return LastError();
  Bcrypt& crypt = Crypt();
  if (!crypt.Loaded()) return ErrorGenFailure;
  HashObjects h;
  if (crypt.open.Get()(&h.algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0 ||
      crypt.create.Get()(h.algorithm, &h.hash, nullptr, 0, nullptr, 0, 0) != 0)
    return ErrorGenFailure;
  std::vector<unsigned char> buffer(kChunk);
  std::uint64_t size = 0;
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), buffer.data(), kChunk, &got, nullptr)) return LastError();
    if (got == 0) break;
    if (crypt.data.Get()(h.hash, buffer.data(), got, 0) != 0) return ErrorGenFailure;
    size += got;
  }
  unsigned char sum[32];
  if (crypt.finish.Get()(h.hash, sum, sizeof sum, 0) != 0) return ErrorGenFailure;
  static const char* const kHex = "0123456789abcdef";
  for (unsigned char c : sum) {
    digest.sha256 += kHex[c >> 4];
    digest.sha256 += kHex[c & 0xF];
  }
  digest.size = size;
  return ErrorSuccess;
}

long Win32Files::OpenForDelete(std::string_view path) {
  std::string p;
  if (const long rc = SystemPath(path, MaxPath, p)) return rc;
  // Wine grants DELETE alone on a running program's image; write access is
  // refused there as on Windows (sharing violation), so both are asked for.
  Handle file(CreateFileA(p.c_str(), DELETE | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return LastError();
  // Wine running as root lets write access past the read-only attribute.
  return IsReadOnlyFile(p) ? ErrorAccessDenied : ErrorSuccess;
}

long WriteInTempFolder(FileSystem& files, std::string_view name, std::string_view text) {
  char temp[MAX_PATH] = {};
  const DWORD n = GetTempPathA(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return LastError();
  return files.WriteWholeFile(FromAnsi(temp) + std::string(name), text);
}

}  // namespace velmaro::platform
