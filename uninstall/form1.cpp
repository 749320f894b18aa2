#include "uninstall/form1.h"

#include "platform/paths.h"
#include "platform/utf8.h"
#include "setup/installation.h"
#include "uninstall/resource_ids.h"

namespace velmaro::uninstall {

using namespace forms::design;
using forms::Event;
using forms::EventArgs;
namespace mb = forms::mb;

namespace {

constexpr int kWidth = 400;
constexpr int kAskingHeight = 120;
constexpr int kRemovingHeight = 64;  // the question and buttons gone
constexpr std::string_view kLibrarySuffix = "\\Velmaro.dll";
constexpr std::string_view kNotOurs =
    "Velmaro's settings do not name the folder this program is in as the place Velmaro was "
    "installed, so no program files can be removed. Do you want to remove Velmaro 1.0 from the "
    "list of installed programs and delete its settings ?";

bool EndsWithLibrary(const std::string& path) {
  return path.size() > kLibrarySuffix.size() &&
         platform::UpperLatin(path.substr(path.size() - kLibrarySuffix.size())) ==
             platform::UpperLatin(kLibrarySuffix);
}

// Gone already is as good as removed; anything else is told.
bool Missing(long rc) {
  return rc == platform::ErrorFileNotFound || rc == platform::ErrorPathNotFound;
}

}  // namespace

forms::FormSpec Form1::Design() {
  forms::FormSpec f("Form1", "Uninstall - Velmaro 1.0", kWidth, kAskingHeight,
                    forms::BorderStyle::FixedDialog);
  f.icon = UNINSTALL_IDI_APP;
  f.Add(Picture("Picture1", UNINSTALL_IDB_REMOVING, {12, 10, 48, 48}));
  f.Add(Label("Label1", std::string(Question), {72, 12, kWidth - 84, 62}));
  f.Add(Button("Yes", "Yes", {kWidth - 188, 84, 84, 26}));
  f.Add(Button("No", "No", {kWidth - 96, 84, 84, 26}).Default().Cancel());
  return f;
}

Form1::Form1(UninstallSystem& system) : Form(Design()), system_(system) {
  On(Event::Load, [this](EventArgs&) { OnLoad(); });
  On(Event::Activate, [this](EventArgs&) { Get("No").SetFocus(); });
  OnClick("No", [this] { system_.toolkit.End(); });
  OnClick("Yes", [this] { Remove(); });
  On(Event::QueryUnload, [this](EventArgs& e) { OnQueryUnload(e); });
}

void Form1::DeleteKey(platform::HKey root, std::string_view path) {
  system_.reg.DeleteKey(root, path);
}

Form1::Installation Form1::Find() const {
  Installation found;
  const std::string library = system_.store.Read(settings::DllPath, "");
  std::string module;
  if (EndsWithLibrary(library) && system_.files.ModulePath(module) == platform::ErrorSuccess) {
    found.directory = library.substr(0, library.size() - kLibrarySuffix.size());
    // "C:" is the drive root "C:\", not that drive's current folder.
    const std::string folder = found.directory.size() == 2 ? found.directory + "\\" : found.directory;
    found.identified = platform::SamePath(folder, platform::FolderOf(module));
  }
  found.shortcuts = system_.store.Read(settings::ShortcutPath, "");
  std::string programs;
  found.shortcutsInside =
      !found.shortcuts.empty() &&
      system_.shell.ProgramsFolder(programs, false) == platform::ErrorSuccess &&
      platform::IsInside(found.shortcuts, programs);
  return found;
}

void Form1::OnLoad() {
  // Said before the user agrees, so that Yes means what it does.
  if (!Find().identified) Get<forms::Label>("Label1").SetCaption(std::string(kNotOurs));
}

void Form1::OnQueryUnload(EventArgs& e) {
  // Once the removal has begun it runs to its end.
  if (!Get("No").Visible()) e.cancel = true;
}

void Form1::Remove() {
  Get("Yes").SetVisible(false);
  Get("No").SetVisible(false);
  SetClientSize(kWidth, kRemovingHeight);
  Get<forms::Label>("Label1").SetCaption("Removing the Velmaro 1.0 utility. Please wait...");
  SetMousePointer(forms::MousePointer::Hourglass);

  const Installation found = Find();
  std::string left;  // what could not be removed, one line each
  auto remove = [&](const std::string& path) {
    const long rc = system_.files.Delete(path);
    if (rc != platform::ErrorSuccess && !Missing(rc))
      left += "\n" + path + " (" + platform::FileErrorText(rc) + ")";
  };
  if (found.identified) {
    for (const auto& file : install::Files)
      if (file.installed != install::Uninstaller)
        remove(found.directory + "\\" + std::string(file.installed));
    if (found.shortcutsInside) {
      for (const auto& shortcut : install::Shortcuts)
        remove(platform::JoinPath(found.shortcuts, shortcut.link));
      // Only when empty: files of the user's own keep the folder.
      system_.files.RemoveDir(found.shortcuts);
    }
  }
  DeleteKey(platform::HkeyLocalMachine, install::UninstallKey);
  system_.store.DeleteSettings(settings::App);
  SetMousePointer(forms::MousePointer::Default);

  std::string text;
  if (found.identified) {
    text = "Velmaro 1.0 has been uninstalled. The directory " + found.directory +
           " cannot be removed.";
    if (!left.empty()) text += "\n\nThese could not be removed:" + left;
    if (!found.shortcuts.empty() && !found.shortcutsInside)
      text += "\n\nThe shortcut folder " + found.shortcuts +
              " lies outside the Programs folder of the Start menu and was left alone.";
  } else {
    text =
        "Velmaro 1.0 has been removed from the list of installed programs and its settings are "
        "deleted. No program files were removed.";
  }
  system_.toolkit.MsgBox(text, "Uninstalling complete.", mb::Ok | mb::IconInformation);
  system_.toolkit.End();
}

}  // namespace velmaro::uninstall
