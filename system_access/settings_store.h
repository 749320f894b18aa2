#pragma once
// The per-user settings store shared by the console, Setup and Uninstall:
// text values kept under HKEY_CURRENT_USER\Software\<application>\<section>.
#include <optional>
#include <string>
#include <string_view>

#include "system_access/reg_extra.h"

namespace velmaro {

namespace settings {
inline constexpr std::string_view App = "Velmaro";
inline constexpr std::string_view Section = "Settings";

// Keys of section "Settings" and who owns them.
inline constexpr std::string_view DllPath = "DllPath";            // Setup: installed icon library
inline constexpr std::string_view ShortcutPath = "ShortcutPath";  // Setup: shortcut folder
inline constexpr std::string_view ShowMess = "ShowMess";          // options: restart notice
inline constexpr std::string_view Confirm = "Confirm";            // options: ask before quitting
inline constexpr std::string_view AutoScan = "Auto Scan";         // boot options
inline constexpr std::string_view DisSplach = "DisSplach";        // boot options, inverted box
inline constexpr std::string_view BootDelay = "Boot Delay";       // boot options, seconds
inline constexpr std::string_view Chack = "Chack";                // Explorer window title box
inline constexpr std::string_view BmpIcon = "Bmp Icon";           // saved bitmap class icon
}  // namespace settings

class SettingsStore {
public:
  explicit SettingsStore(platform::Registry& registry) : reg_(registry) {}

  // The stored text, or `fallback` when the application, section or key is
  // absent (or not text).
  std::string ReadSetting(std::string_view app, std::string_view section, std::string_view key,
                          std::string_view fallback = {}) const;
  bool WriteSetting(std::string_view app, std::string_view section, std::string_view key,
                    std::string_view text) const;
  // Removes every section and key of the application.
  bool DeleteSettings(std::string_view app) const;

  // The console's own shorthand: application "Velmaro", section "Settings".
  std::string Read(std::string_view key, std::string_view fallback = {}) const {
    return ReadSetting(settings::App, settings::Section, key, fallback);
  }
  bool Write(std::string_view key, std::string_view text) const {
    return WriteSetting(settings::App, settings::Section, key, text);
  }
  // False when the key holds something a read cannot give as it is (another
  // type, a NUL inside, text the code page cannot hold): such a value is
  // damage a writer should leave for the user to see, not overwrite unasked.
  bool Readable(std::string_view key) const;

private:
  RegExtra reg_;
};

// How a stored "0"/"1" option of the console reads. The programs only ever
// write "0" and "1"; anything else (absent, "", "yes", "2") is taken as the
// option's default, so a damaged value gives first-run behaviour instead of
// silently switching a safety question off. Blanks around the number and
// leading zeros are allowed ("00" is 0).
bool OptionIsOn(const SettingsStore& store, std::string_view key, bool fallback = true);

// A stored decimal number: blanks around it, an optional sign, digits only
// ("0400" is 400). Anything else ("", "yes", "1x") is no number. Numbers past
// a billion read as a billion: such a value is damage, not a setting.
std::optional<long long> WholeNumber(std::string_view text);

}  // namespace velmaro
