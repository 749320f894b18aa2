#pragma once
// Form1: Uninstall's one window. It asks once; Yes removes what Setup made
// (the program files, the shortcuts and their folder, the entry in the list
// of installed programs and every setting of Velmaro) and leaves the install
// folder with this program in it.
#include <string>
#include <string_view>

#include "platform/forms/form.h"
#include "platform/registry.h"
#include "uninstall/removal.h"
#include "uninstall/uninstall_system.h"

namespace velmaro::uninstall {

class Form1 : public forms::Form {
public:
  explicit Form1(UninstallSystem& system);
  static forms::FormSpec Design();

  // Deletes a registry key with its subkeys; the result is not needed.
  void DeleteKey(platform::HKey root, std::string_view path);

  static constexpr std::string_view Question = "Do you really want to uninstall Velmaro 1.0 ?";
  static constexpr std::string_view InUseText = "Velmaro is running. Close it and choose Retry.";

private:
  void OnLoad();
  void OnQueryUnload(forms::EventArgs& e);
  void Remove();

  UninstallSystem& system_;
  forms::Label& Label1;
  forms::Button& Yes;
  forms::Button& No;
  Removal removal_{system_};
  bool removing_ = false;  // Yes was chosen: the removal runs to its end
};

}  // namespace velmaro::uninstall
