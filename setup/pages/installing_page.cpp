// Page 5: the installation run, started by the one-shot timer 1250 ms after
// the page shows, one line and bar per step: copy, link, register and log.
// A copy that fails installs nothing; what was not installed is neither
// linked nor registered, and every failure is told.
#include "setup/installation.h"
#include "setup/pages.h"
#include "setup/wizard.h"

namespace velmaro::setup {
namespace {

using namespace forms::design;
using namespace page_grid;
using forms::Event;
using forms::EventArgs;
namespace mb = forms::mb;

void Layout(PageDesign& page) {
  page.Add(Label("Label1", "Installation in progres. Please wait :", {Left, 24, Inner, 16}).At(4));
  page.Add(Label("Label2", "Copying file : ", {Left, 64, Inner, 16}).At(3));
  page.Add(ProgressBar("ProgressBar1", 0, 100, {Left, 84, Inner, 18}));
  page.Add(Label("Label3", "Creating shortcut : ", {Left, 124, Inner, 16}).At(3).Hidden());
  page.Add(ProgressBar("ProgressBar2", 0, 100, {Left, 144, Inner, 18}).Hidden());
  page.Add(Label("Label4", "Updating registry...", {Left, 184, Inner, 16}).At(2).Hidden());
  page.Add(ProgressBar("ProgressBar3", 0, 100, {Left, 204, Inner, 18}).Hidden());
}

std::string Listed(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

class Installing final : public WizardPage {
public:
  explicit Installing(Wizard& wizard)
      : wizard_(wizard),
        system_(wizard.System()),
        NextStep(wizard.Get<forms::Button>("NextStep")),
        Timer1(wizard.Get<forms::Timer>("Timer1")),
        copyLine_(wizard.Get<forms::Label>("Label2", 3)),
        copyBar_(wizard.Get<forms::ProgressBar>("ProgressBar1")),
        linkLine_(wizard.Get<forms::Label>("Label3", 3)),
        linkBar_(wizard.Get<forms::ProgressBar>("ProgressBar2")),
        registryLine_(wizard.Get<forms::Label>("Label4", 2)),
        registryBar_(wizard.Get<forms::ProgressBar>("ProgressBar3")) {
    wizard.On(Event::Timer, Timer1.Name(), [this](EventArgs&) { OnTimer(); });
  }

  // Nothing leads on until the run has ended.
  void Shown() override {
    NextStep.SetEnabled(false);
    Timer1.SetEnabled(true);
  }

private:
  void OnTimer();
  void DoInstalling();
  bool CopyStep(InstallRun& run);
  void LinkStep(InstallRun& run);
  void RegisterStep(InstallRun& run);

  Wizard& wizard_;
  SetupSystem& system_;
  forms::Button& NextStep;
  forms::Timer& Timer1;
  forms::Label& copyLine_;
  forms::ProgressBar& copyBar_;
  forms::Label& linkLine_;
  forms::ProgressBar& linkBar_;
  forms::Label& registryLine_;
  forms::ProgressBar& registryBar_;
};

void Installing::OnTimer() {
  Timer1.SetEnabled(false);
  wizard_.SetMousePointer(forms::MousePointer::Hourglass);
  DoInstalling();
  wizard_.SetMousePointer(forms::MousePointer::Default);
  NextStep.SetEnabled(true);
  NextStep.SetFocus();
  const auto& problems = wizard_.Problems();
  if (problems.empty()) return;
  std::string text = "Setup could not install everything:\n";
  for (const std::string& p : problems) text += "\n" + p;
  system_.toolkit.MsgBox(text, "Installation incomplete", mb::Ok | mb::IconExclamation);
}

// The distribution folder was verified before page 1, and the files in the
// way were settled as page 4 was left: what is left is the run itself.
void Installing::DoInstalling() {
  auto& shared = wizard_.State();
  shared.problems.clear();
  shared.consoleInstalled = false;
  if (!shared.run) return;
  InstallRun& run = *shared.run;
  const bool copied = CopyStep(run);
  LinkStep(run);
  registryLine_.SetVisible(true);
  registryBar_.SetVisible(true);
  shared.consoleInstalled = run.Installed(install::Console);
  shared.problems = run.Problems();
  if (!copied && !run.Installed(install::Uninstaller)) {
    run.RemoveMadeFolders();
    shared.problems.push_back(
        "Nothing was installed; files that were there before are as they were.");
    registryLine_.SetCaption("Registry not updated: nothing was installed.");
    return;
  }
  RegisterStep(run);
  shared.problems = run.Problems();
}

bool Installing::CopyStep(InstallRun& run) {
  const bool copied = run.Copy([&](std::string_view name, int progress) {
    copyLine_.SetCaption("Copying file : " + std::string(name));
    copyBar_.SetValue(progress);
  });
  copyLine_.SetCaption(run.NotCopied().empty() ? "Copying complete."
                                               : "Copying failed for : " + Listed(run.NotCopied()));
  return copied;
}

void Installing::LinkStep(InstallRun& run) {
  linkLine_.SetVisible(true);
  linkBar_.SetVisible(true);
  const bool linked = run.Link([&](std::string_view name, int progress) {
    linkLine_.SetCaption("Creating shortcut for : " + std::string(name));
    linkBar_.SetValue(progress);
  });
  linkBar_.SetValue(100);
  linkLine_.SetCaption(linked ? "Creating shortcut completed."
                              : "Creating shortcut failed for : " + Listed(run.NotLinked()));
}

// The settings and the entry, then the log beside Uninstall.exe.
void Installing::RegisterStep(InstallRun& run) {
  registryBar_.SetValue(50);
  const bool registered = run.Register();
  const bool logged = run.WriteLog();
  if (logged) run.RemoveEarlierLinks();
  registryBar_.SetValue(100);
  registryLine_.SetCaption(registered && logged ? "Registry updating complete."
                                                : "Registry updating failed.");
}

}  // namespace

const PageKind InstallingPage{&Layout, &MakePage<Installing>};

}  // namespace velmaro::setup
