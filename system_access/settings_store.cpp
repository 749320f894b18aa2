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

int SettingNumber(std::string_view text, int fallback) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const std::size_t digits = i;
  long long value = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
    // Saturate: a stored number this large is damage, not a setting.
    value = std::min(value * 10 + (text[i] - '0'), 1000000000LL);
    ++i;
  }
  if (i == digits) return fallback;
  return static_cast<int>(negative ? -value : value);
}

bool OptionIsOn(const SettingsStore& store, std::string_view key, bool fallback) {
  const std::string text = store.Read(key);
  const auto first = text.find_first_not_of(" \t");
  const auto last = text.find_last_not_of(" \t");
  if (first == std::string::npos) return fallback;
  const std::string_view digits = std::string_view(text).substr(first, last - first + 1);
  if (digits.find_first_not_of('0') == std::string_view::npos) return false;
  if (digits.find_first_not_of('0') == digits.size() - 1 && digits.back() == '1') return true;
  return fallback;
}

}  // namespace velmaro
