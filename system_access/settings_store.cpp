#include "system_access/settings_store.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace velmaro {
namespace {

// An application or section name becomes one key name: empty names or names
// with a separator would address another key (an empty application would
// make DeleteSettings remove all of HKEY_CURRENT_USER\Software).
bool IsPlainName(std::string_view name) {
  return !name.empty() && name.find('\\') == std::string_view::npos;
}

std::string SectionPath(std::string_view app, std::string_view section) {
  std::string path = "Software\\";
  path.append(app);
  if (!section.empty()) {
    path += '\\';
    path.append(section);
  }
  return path;
}

}  // namespace

std::string SettingsStore::ReadSetting(std::string_view app, std::string_view section,
                                       std::string_view key, std::string_view fallback) const {
  if (!IsPlainName(app) || !IsPlainName(section)) return std::string(fallback);
  return reg_.GetStringValue(platform::HkeyCurrentUser, SectionPath(app, section), key, fallback);
}

bool SettingsStore::WriteSetting(std::string_view app, std::string_view section,
                                 std::string_view key, std::string_view text) const {
  if (!IsPlainName(app) || !IsPlainName(section)) return false;
  return reg_.SaveStringValue(platform::HkeyCurrentUser, SectionPath(app, section), key, text);
}

bool SettingsStore::DeleteSettings(std::string_view app) const {
  if (!IsPlainName(app)) return false;
  return reg_.DeleteKey(platform::HkeyCurrentUser, SectionPath(app, {}));
}

std::optional<long long> WholeNumber(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  bool negative = false;
  if (text.front() == '-' || text.front() == '+') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (const char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = std::min(value * 10 + (c - '0'), 1000000000LL);
  }
  return negative ? -value : value;
}

bool SettingsStore::Readable(std::string_view key) const {
  const auto raw = reg_.GetRawValue(platform::HkeyCurrentUser,
                                    "Software\\" + std::string(settings::App) + "\\" +
                                        std::string(settings::Section),
                                    key);
  return !raw || raw->IsPlainText();
}

bool OptionIsOn(const SettingsStore& store, std::string_view key, bool fallback) {
  const auto number = WholeNumber(store.Read(key));
  if (number == 0) return false;
  if (number == 1) return true;
  return fallback;
}

}  // namespace velmaro
