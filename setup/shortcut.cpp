#include "setup/shortcut.h"

#include "setup/installation.h"

namespace velmaro::setup {

using platform::Failed;
using platform::HResult;

HResult CreateShortcut(platform::Shell& shell, std::string_view linkFile,
                       std::string_view targetPath, std::string_view workingDirectory,
                       std::string_view arguments, std::string_view iconFile, int iconIndex,
                       int showCommand) {
  if (linkFile.empty() || targetPath.empty()) return platform::EInvalidArg;
  HResult hr = platform::SOk;
  auto link = shell.NewShellLink(hr);
  if (!link) return Failed(hr) ? hr : platform::EFail;
  if (Failed(hr = link->SetPath(targetPath))) return hr;
  if (!workingDirectory.empty() && Failed(hr = link->SetWorkingDirectory(workingDirectory)))
    return hr;
  if (!arguments.empty() && Failed(hr = link->SetArguments(arguments))) return hr;
  if (Failed(hr = link->SetDescription(install::ShortcutDescription))) return hr;
  if (!iconFile.empty() && Failed(hr = link->SetIconLocation(iconFile, iconIndex))) return hr;
  if (Failed(hr = link->SetShowCmd(showCommand))) return hr;
  if (Failed(hr = link->Resolve(platform::SlrUpdate))) return hr;
  return link->Save(linkFile);
}

}  // namespace velmaro::setup
