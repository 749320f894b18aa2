// The installation run as page 5 shows it: copy, link, register and log,
// each on its line. A copy that fails installs nothing; what was not
// installed is neither linked nor registered, and every failure is told in
// Problems().
#include "platform/paths.h"
#include "setup/installation.h"
#include "setup/wizard.h"

namespace velmaro::setup {
namespace {

std::string Listed(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

}  // namespace

void Wizard::DoInstalling() {
  problems_.clear();
  consoleInstalled_ = false;
  if (!run_) return;
  InstallRun& run = *run_;

  auto& copyLine = Get<forms::Label>("Label2", 3);
  auto& copyBar = Get<forms::ProgressBar>("ProgressBar1");
  const bool copied = run.Copy([&](std::string_view name, int progress) {
    copyLine.SetCaption("Copying file : " + std::string(name));
    copyBar.SetValue(progress);
  });
  copyLine.SetCaption(run.NotCopied().empty() ? "Copying complete."
                                              : "Copying failed for : " + Listed(run.NotCopied()));

  auto& linkLine = Get<forms::Label>("Label3", 3);
  auto& linkBar = Get<forms::ProgressBar>("ProgressBar2");
  linkLine.SetVisible(true);
  linkBar.SetVisible(true);
  const bool linked = run.Link([&](std::string_view name, int progress) {
    linkLine.SetCaption("Creating shortcut for : " + std::string(name));
    linkBar.SetValue(progress);
  });
  linkBar.SetValue(100);
  linkLine.SetCaption(linked ? "Creating shortcut completed."
                             : "Creating shortcut failed for : " + Listed(run.NotLinked()));

  auto& registryLine = Get<forms::Label>("Label4", 2);
  auto& registryBar = Get<forms::ProgressBar>("ProgressBar3");
  registryLine.SetVisible(true);
  registryBar.SetVisible(true);
  consoleInstalled_ = run.Installed(install::Console);
  problems_ = run.Problems();
  if (!copied && !run.Installed(install::Uninstaller)) {
    run.RemoveMadeFolders();
    problems_.push_back("Nothing was installed; files that were there before are as they were.");
    registryLine.SetCaption("Registry not updated: nothing was installed.");
    return;
  }
  registryBar.SetValue(50);
  const bool registered = run.Register();
  const bool logged = run.WriteLog();
  registryBar.SetValue(100);
  problems_ = run.Problems();
  registryLine.SetCaption(registered && logged ? "Registry updating complete."
                                               : "Registry updating failed.");
}

}  // namespace velmaro::setup
