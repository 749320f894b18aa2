#include "platform/memory/memory_shell.h"

#include <cstdlib>
#include <sstream>

#include "platform/paths.h"

namespace velmaro::platform {
namespace {

constexpr const char* kMagic = "VelmaroMemoryLink";
constexpr long kSeErrFileNotFound = 2;  // SE_ERR_FNF
constexpr long kStarted = 42;           // any value above 32 means started

}  // namespace

class MemoryShell::Link final : public ShellLinkObject {
public:
  explicit Link(MemoryShell& shell) : shell_(shell) {}

  HResult SetPath(std::string_view path) override { return Set("SetPath", data_.path, path); }
  HResult SetWorkingDirectory(std::string_view folder) override {
    return Set("SetWorkingDirectory", data_.workingDirectory, folder);
  }
  HResult SetArguments(std::string_view arguments) override {
    return Set("SetArguments", data_.arguments, arguments);
  }
  HResult SetDescription(std::string_view text) override {
    return Set("SetDescription", data_.description, text);
  }
  HResult SetIconLocation(std::string_view file, int index) override {
    if (const HResult hr = Set("SetIconLocation", data_.iconFile, file)) return hr;
    data_.iconIndex = index;
    return SOk;
  }
  HResult SetShowCmd(int show) override {
    if (const HResult hr = shell_.Fail("SetShowCmd")) return hr;
    data_.showCmd = show;
    return SOk;
  }
  // The target must be there to be resolved.
  HResult Resolve(std::uint32_t) override {
    if (const HResult hr = shell_.Fail("Resolve")) return hr;
    return shell_.files_.Exists(data_.path) ? SOk : HResultFromWin32(ErrorFileNotFound);
  }
  HResult Save(std::string_view linkFile) override {
    if (const HResult hr = shell_.Fail("Save")) return hr;
    std::ostringstream out;
    out << kMagic << '\n'
        << data_.path << '\n'
        << data_.workingDirectory << '\n'
        << data_.arguments << '\n'
        << data_.description << '\n'
        << data_.iconFile << '\n'
        << data_.iconIndex << '\n'
        << data_.showCmd << '\n';
    return HResultFromWin32(shell_.files_.WriteWholeFile(linkFile, out.str()));
  }

private:
  HResult Set(const char* operation, std::string& field, std::string_view value) {
    if (const HResult hr = shell_.Fail(operation)) return hr;
    field = std::string(value);
    return SOk;
  }

  MemoryShell& shell_;
  ShellLinkData data_;
};

MemoryShell::MemoryShell(MemoryFiles& files) : files_(files) { files_.PutFolder(programs_); }

HResult MemoryShell::Fail(const std::string& operation) {
  const auto it = failures_.find(operation);
  if (it == failures_.end()) return SOk;
  const HResult hr = it->second;
  failures_.erase(it);
  return hr;
}

void MemoryShell::FailNext(std::string operation, HResult hr) { failures_[std::move(operation)] = hr; }

std::unique_ptr<ShellLinkObject> MemoryShell::NewShellLink(HResult& hr) {
  hr = Fail("NewShellLink");
  if (Failed(hr)) return nullptr;
  return std::make_unique<Link>(*this);
}

HResult MemoryShell::ReadShellLink(std::string_view linkFile, ShellLinkData& data) {
  data = {};
  std::string bytes;
  if (const long rc = files_.ReadWholeFile(linkFile, bytes, 1 << 16)) return HResultFromWin32(rc);
  std::istringstream in(bytes);
  std::string magic, index, show;
  if (!std::getline(in, magic) || magic != kMagic) return EFail;
  std::getline(in, data.path);
  std::getline(in, data.workingDirectory);
  std::getline(in, data.arguments);
  std::getline(in, data.description);
  std::getline(in, data.iconFile);
  std::getline(in, index);
  std::getline(in, show);
  data.iconIndex = std::atoi(index.c_str());
  data.showCmd = std::atoi(show.c_str());
  return SOk;
}

long MemoryShell::Execute(std::string_view verb, std::string_view file, std::string_view parameters,
                          std::string_view folder, int show) {
  executions_.push_back({std::string(verb), std::string(file), std::string(parameters),
                         std::string(folder), show});
  // A path on a drive must be there; an address ("mailto:", "http://") opens.
  const bool onDrive = file.size() > 2 && file[1] == ':' && (file[2] == '\\' || file[2] == '/');
  return onDrive && !files_.IsFile(file) ? kSeErrFileNotFound : kStarted;
}

long MemoryShell::ProgramsFolder(std::string& path, bool create) {
  path.clear();
  if (const long rc = programsFailure_) {
    programsFailure_ = ErrorSuccess;
    return rc;
  }
  if (create && !files_.IsDirectory(programs_)) {
    if (!programsCreatable_) return ErrorAccessDenied;
    files_.PutFolder(programs_);
  }
  path = programs_;
  return ErrorSuccess;
}

void MemoryShell::SetProgramsFolder(std::string path, bool exists, bool creatable) {
  programs_ = std::move(path);
  programsCreatable_ = creatable;
  if (exists) files_.PutFolder(programs_);
}

long MemoryShell::ShellFolder(int csidl, std::string& path) {
  switch (csidl) {
    case CsidlPrograms: path = programs_; break;
    case CsidlStartup: path = programs_ + "\\StartUp"; break;
    case CsidlStartMenu: path = FolderOf(programs_); break;
    case CsidlDesktopDirectory: path = "C:\\WINDOWS\\Desktop"; break;
    default: path.clear(); return ErrorFileNotFound;
  }
  return ErrorSuccess;
}

}  // namespace velmaro::platform
