#include "platform/paths.h"

#include <cctype>
#include <vector>

#include "platform/utf8.h"
#include "platform/ascii_case.h"

namespace velmaro::platform {

std::string NormalPath(std::string_view path) {
  if (path.size() < 3 || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':' ||
      (path[2] != '\\' && path[2] != '/'))
    return {};
  std::vector<std::string> parts;
  std::size_t start = 3;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    std::string part(path.substr(start, end - start));
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    // Windows drops trailing dots and blanks from each name.
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (!part.empty()) parts.push_back(std::move(part));
  }
  std::string out;
  out += UpperAscii(path[0]);
  out += ":\\";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out += '\\';
    out += parts[i];
  }
  return out;
}

bool SamePath(std::string_view a, std::string_view b) {
  const std::string na = NormalPath(a), nb = NormalPath(b);
  return !na.empty() && UpperLatin(na) == UpperLatin(nb);
}

bool IsInside(std::string_view inner, std::string_view outer) {
  const std::string in = UpperLatin(NormalPath(inner));
  std::string out = UpperLatin(NormalPath(outer));
  if (in.empty() || out.empty()) return false;
  if (out.back() != '\\') out += '\\';
  return in.size() > out.size() && in.compare(0, out.size(), out) == 0;
}

std::string FolderOf(std::string_view path) {
  const std::string n = NormalPath(path);
  if (n.size() <= 3) return {};
  const std::size_t slash = n.find_last_of('\\');
  return slash == 2 ? n.substr(0, 3) : n.substr(0, slash);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != '\\' && out.back() != '/') out += '\\';
  out.append(name);
  return out;
}

std::string CommandPath(std::string_view path) {
  if (path.find(' ') == std::string_view::npos) return std::string(path);
  return '"' + std::string(path) + '"';
}

bool NamesDevice(std::string_view path) {
  if (path.starts_with("\\\\.\\") || path.starts_with("\\\\?\\") ||
      path.starts_with("//./") || path.starts_with("//?/"))
    return true;
  std::string_view name = path.substr(path.find_last_of("\\/:") + 1);
  // The device name ends at the first dot (an extension) or blank.
  name = name.substr(0, name.find_first_of(". "));
  std::string upper(name);
  for (auto& c : upper) c = UpperAscii(c);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (upper == device) return true;
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
         upper[3] >= '1' && upper[3] <= '9';
}

}  // namespace velmaro::platform
