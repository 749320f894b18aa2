#pragma once
// Form1: Uninstall's one window. It asks once; Yes removes what Setup made
// (the program files, the shortcuts and their folder, the entry in the list
// of installed programs and every setting of Velmaro) and leaves the install
// folder with this program in it.
#include <string>
#include <string_view>

#include "platform/forms/form.h"
#include "platform/registry.h"
#include "uninstall/uninstall_system.h"

namespace velmaro::uninstall {

class Form1 : public forms::Form {
public:
  explicit Form1(UninstallSystem& system);
  static forms::FormSpec Design();

  // Deletes a registry key with its subkeys; the result is not needed.
  void DeleteKey(platform::HKey root, std::string_view path);

  // What the settings name, and whether it may be touched: files only in
  // the folder "DllPath" names when this program runs from there, shortcuts
  // only inside the current user's Programs menu folder.
  struct Installation {
    bool identified = false;     // "DllPath" names this program's own folder
    std::string directory;       // the install folder, no trailing backslash ("C:" for a root)
    std::string shortcuts;       // "ShortcutPath"
    bool shortcutsInside = false;  // ... and it lies inside the Programs menu folder
  };
  Installation Find() const;

  static constexpr std::string_view Question = "Do you really want to uninstall Velmaro 1.0 ?";

private:
  void OnLoad();
  void OnQueryUnload(forms::EventArgs& e);
  void Remove();

  UninstallSystem& system_;
};

}  // namespace velmaro::uninstall
