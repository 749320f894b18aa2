#include "platform/win32/win32_shell.h"

#include "platform/files.h"

#include <windows.h>
// After windows.h.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

namespace velmaro::platform {
namespace {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

const HResult kNoAnsiForm = HResultFromWin32(ErrorNoUnicodeTranslation);

// The link's interfaces, released when it goes.
class Win32ShellLink final : public ShellLinkObject {
public:
  Win32ShellLink(IShellLinkA* link, IPersistFile* file, const AnsiCodePage& codePage)
      : link_(link), file_(file), codePage_(codePage) {}
  ~Win32ShellLink() override {
    if (file_) file_->Release();
    if (link_) link_->Release();
  }
  Win32ShellLink(const Win32ShellLink&) = delete;
  Win32ShellLink& operator=(const Win32ShellLink&) = delete;

  HResult SetPath(std::string_view path) override {
    return WithAnsi(path, [&](const char* a) { return link_->SetPath(a); });
  }
  HResult SetWorkingDirectory(std::string_view folder) override {
    return WithAnsi(folder, [&](const char* a) { return link_->SetWorkingDirectory(a); });
  }
  HResult SetArguments(std::string_view arguments) override {
    return WithAnsi(arguments, [&](const char* a) { return link_->SetArguments(a); });
  }
  HResult SetDescription(std::string_view text) override {
    return WithAnsi(text, [&](const char* a) { return link_->SetDescription(a); });
  }
  HResult SetIconLocation(std::string_view file, int index) override {
    return WithAnsi(file, [&](const char* a) { return link_->SetIconLocation(a, index); });
  }
  HResult SetShowCmd(int show) override { return link_->SetShowCmd(show); }
  HResult Resolve(std::uint32_t flags) override { return link_->Resolve(nullptr, flags); }
  HResult Save(std::string_view linkFile) override {
    const std::wstring w = Wide(linkFile);
    return file_->Save(w.c_str(), FALSE);
  }

  // Reading back, for ReadShellLink.
  HResult Load(std::string_view linkFile) {
    const std::wstring w = Wide(linkFile);
    return file_->Load(w.c_str(), STGM_READ);
  }
  IShellLinkA* Link() const { return link_; }

private:
  template <typename Call>
  HResult WithAnsi(std::string_view text, Call call) {
    std::string ansi;
    if (!codePage_.ToAnsi(text, ansi)) return kNoAnsiForm;
    return call(ansi.c_str());
  }

  IShellLinkA* link_;
  IPersistFile* file_;
  const AnsiCodePage& codePage_;
};

// The show command as the file holds it (at 0x3C): Wine's GetShowCmd after
// Load always answers 1.
int ShowCommandInFile(std::string_view linkFile) {
  const std::wstring w = Wide(linkFile);
  HANDLE h = CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  unsigned char header[0x40] = {};
  DWORD got = 0;
  const BOOL ok = ReadFile(h, header, sizeof header, &got, nullptr);
  CloseHandle(h);
  if (!ok || got < sizeof header) return 0;
  return header[0x3C] | header[0x3D] << 8 | header[0x3E] << 16 | header[0x3F] << 24;
}

}  // namespace

Win32Shell::Win32Shell() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  uninitialize_ = SUCCEEDED(hr);  // S_FALSE too: every success needs its CoUninitialize
}

Win32Shell::~Win32Shell() {
  if (uninitialize_) CoUninitialize();
}

std::unique_ptr<ShellLinkObject> Win32Shell::NewShellLink(HResult& hr) {
  IShellLinkA* link = nullptr;
  hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                        reinterpret_cast<void**>(&link));
  if (FAILED(hr) || !link) return nullptr;
  IPersistFile* file = nullptr;
  hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(hr) || !file) {
    link->Release();
    return nullptr;
  }
  return std::make_unique<Win32ShellLink>(link, file, codePage_);
}

HResult Win32Shell::ReadShellLink(std::string_view linkFile, ShellLinkData& data) {
  data = {};
  HResult hr = SOk;
  auto object = NewShellLink(hr);
  if (!object) return hr;
  auto& link = static_cast<Win32ShellLink&>(*object);
  if (Failed(hr = link.Load(linkFile))) return hr;
  char text[INFOTIPSIZE] = {};
  auto take = [&](HRESULT got, std::string& out) {
    out = SUCCEEDED(got) ? codePage_.FromAnsi(text) : std::string();
    text[0] = 0;
  };
  take(link.Link()->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH), data.path);
  take(link.Link()->GetWorkingDirectory(text, MAX_PATH), data.workingDirectory);
  take(link.Link()->GetArguments(text, INFOTIPSIZE), data.arguments);
  take(link.Link()->GetDescription(text, INFOTIPSIZE), data.description);
  int index = 0;
  take(link.Link()->GetIconLocation(text, MAX_PATH, &index), data.iconFile);
  data.iconIndex = index;
  data.showCmd = ShowCommandInFile(linkFile);
  return SOk;
}

long Win32Shell::Execute(std::string_view verb, std::string_view file, std::string_view parameters,
                         std::string_view folder, int show) {
  std::string v, f, p, d;
  if (!codePage_.ToAnsi(verb, v) || !codePage_.ToAnsi(file, f) || !codePage_.ToAnsi(parameters, p) ||
      !codePage_.ToAnsi(folder, d))
    return SE_ERR_FNF;  // no ANSI name can reach that file
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(GetActiveWindow(), v.c_str(), f.c_str(), p.c_str(), d.c_str(), show));
  return static_cast<long>(result);
}

long Win32Shell::ProgramsFolder(std::string& path, bool create) {
  path.clear();
  char buffer[MAX_PATH] = {};
  const HRESULT hr = SHGetFolderPathA(nullptr, CSIDL_PROGRAMS | (create ? CSIDL_FLAG_CREATE : 0),
                                      nullptr, SHGFP_TYPE_CURRENT, buffer);
  if (FAILED(hr)) return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : ErrorGenFailure;
  path = codePage_.FromAnsi(buffer);
  return path.empty() ? ErrorGenFailure : ErrorSuccess;
}

long Win32Shell::ShellFolder(int csidl, std::string& path) {
  path.clear();
  char buffer[MAX_PATH] = {};
  const HRESULT hr = SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
  if (FAILED(hr)) return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : ErrorGenFailure;
  path = codePage_.FromAnsi(buffer);
  return path.empty() ? ErrorGenFailure : ErrorSuccess;
}

}  // namespace velmaro::platform
