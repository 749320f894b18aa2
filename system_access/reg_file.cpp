#include "system_access/reg_file.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/ascii_case.h"
#include "platform/registry_key.h"
#include "platform/utf8.h"

namespace velmaro::regfile {
namespace {

using namespace platform;

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kEol = "\r\n";
// regedit wraps long hex lists after a comma; the file stays readable.
constexpr std::size_t kWrapColumn = 76;

constexpr std::array<std::pair<HKey, std::string_view>, 3> kRoots{{
    {HkeyClassesRoot, "HKEY_CLASSES_ROOT"},
    {HkeyCurrentUser, "HKEY_CURRENT_USER"},
    {HkeyLocalMachine, "HKEY_LOCAL_MACHINE"},
}};

bool Fail(std::string* why, std::string text) {
  if (why) *why = std::move(text);
  return false;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// "..." with the two escapes REGEDIT4 knows.
std::string Quoted(std::string_view ansi) {
  std::string out = "\"";
  for (const char c : ansi) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// A REG_SZ that regedit's "..." form reproduces byte for byte: the text, one
// terminating NUL, and no character that the form cannot carry.
bool PlainString(const Data& d) {
  if (d.type != RegSz || d.bytes.empty() || d.bytes.back() != '\0') return false;
  for (std::size_t i = 0; i + 1 < d.bytes.size(); ++i)
    if (static_cast<unsigned char>(d.bytes[i]) < 0x20) return false;
  return true;
}

void AppendHex(std::string& line, std::string& out, std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    line += kDigits[b >> 4];
    line += kDigits[b & 15];
    if (i + 1 == bytes.size()) break;
    line += ',';
    if (line.size() >= kWrapColumn) {
      out += line + "\\" + std::string(kEol);
      line = "  ";
    }
  }
}

void WriteData(const Data& d, std::string& line, std::string& out) {
  if (PlainString(d)) {
    line += Quoted(std::string_view(d.bytes).substr(0, d.bytes.size() - 1));
  } else if (d.type == RegDword && d.bytes.size() == 4) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(d.bytes[i]);
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", v);
    line += text;
  } else {
    if (d.type == RegBinary) {
      line += "hex:";
    } else {
      char text[24];
      std::snprintf(text, sizeof text, "hex(%x):", d.type);
      line += text;
    }
    AppendHex(line, out, d.bytes);
  }
}

// ---- Reading ----

constexpr std::string_view kUnicodeHeader = "Windows Registry Editor Version 5.00";

// UTF-16LE to UTF-8, strictly: an odd length or an unpaired surrogate fails.
bool Utf16ToUtf8(std::string_view bytes, std::string& out) {
  out.clear();
  if (bytes.size() % 2) return false;
  const auto unit = [&](std::size_t i) -> char32_t {
    return static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
  };
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    char32_t cp = unit(i);
    if (cp >= 0xDC00 && cp < 0xE000) return false;
    if (cp >= 0xD800 && cp < 0xDC00) {
      if (i + 3 >= bytes.size()) return false;
      const char32_t low = unit(i + 2);
      if (low < 0xDC00 || low >= 0xE000) return false;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    AppendUtf8(out, cp);
  }
  return true;
}

// The file's logical lines: line ends of any kind, and a line ending in a
// backslash outside quotes continued by the next one (its leading blanks go).
struct Line {
  std::string text;
  int number;  // of its first physical line
};

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool EndsInContinuation(std::string_view s) {
  bool quoted = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && quoted) {
      ++i;  // an escape inside quotes
    } else if (s[i] == '"') {
      quoted = !quoted;
    }
  }
  return !quoted && !s.empty() && s.back() == '\\';
}

std::vector<Line> LogicalLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  int number = 0;
  bool continuing = false;
  while (pos < bytes.size()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
    std::string_view physical = bytes.substr(pos, end - pos);
    pos = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    ++number;
    if (continuing) {
      physical.remove_prefix(std::min(physical.find_first_not_of(" \t"), physical.size()));
      lines.back().text.pop_back();  // the backslash
      lines.back().text += physical;
    } else {
      lines.push_back({std::string(physical), number});
    }
    const std::string_view joined = Trim(lines.back().text);
    continuing = !joined.starts_with(";") && EndsInContinuation(joined);
  }
  return lines;
}

// Reads "..." at the start of `s`; the rest follows.
bool ReadQuoted(std::string_view& s, std::string& out) {
  if (s.empty() || s.front() != '"') return false;
  out.clear();
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      out += s[++i];
    } else if (s[i] == '"') {
      s.remove_prefix(i + 1);
      return true;
    } else {
      out += s[i];
    }
  }
  return false;
}

bool ReadHexNumber(std::string_view s, std::uint32_t& v, std::size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return false;
  v = 0;
  for (const char c : s) {
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return false;
    v = v * 16 + digit;
  }
  return true;
}

bool ReadHexList(std::string_view s, std::string& bytes) {
  bytes.clear();
  s = Trim(s);
  while (!s.empty()) {
    std::size_t comma = s.find(',');
    const std::string_view item = Trim(s.substr(0, comma));
    std::uint32_t v = 0;
    if (!ReadHexNumber(item, v, 2)) return false;
    bytes += static_cast<char>(v);
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
    if (Trim(s).empty()) return false;  // a trailing comma
  }
  return true;
}

// How the text of a file becomes names and value bytes: a REGEDIT4 file's
// is ANSI; a Unicode file's is UTF-8 here (decoded), and its texts are
// turned into the ANSI bytes the registry functions see.
struct Texts {
  const AnsiCodePage& codePage;
  bool unicode = false;
  std::string Name(std::string_view s) const {
    return unicode ? std::string(s) : codePage.FromAnsi(s);
  }
  // Quoted text (UTF-8 in a Unicode file) as ANSI bytes.
  bool Quoted(std::string_view s, std::string& out) const {
    if (!unicode) return out.assign(s), true;
    return codePage.ToAnsi(s, out);
  }
  // hex(1), hex(2) and hex(7) carry UTF-16 in a Unicode file.
  bool Hex(std::uint32_t type, std::string& bytes) const {
    if (!unicode || (type != RegSz && type != RegExpandSz && type != RegMultiSz)) return true;
    std::string utf8;
    return Utf16ToUtf8(bytes, utf8) && codePage.ToAnsi(utf8, bytes);
  }
};

bool ReadData(std::string_view s, std::optional<Data>& out, const Texts& texts) {
  s = Trim(s);
  if (s == "-") {
    out.reset();
    return true;
  }
  Data d;
  if (!s.empty() && s.front() == '"') {
    std::string text;
    if (!ReadQuoted(s, text) || !Trim(s).empty() || !texts.Quoted(text, d.bytes)) return false;
    d.type = RegSz;
    d.bytes += '\0';
  } else if (s.starts_with("dword:")) {
    std::uint32_t v = 0;
    if (!ReadHexNumber(Trim(s.substr(6)), v, 8)) return false;
    d.type = RegDword;
    for (int i = 0; i < 4; ++i) d.bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
  } else if (s.starts_with("hex:")) {
    d.type = RegBinary;
    if (!ReadHexList(s.substr(4), d.bytes)) return false;
  } else if (s.starts_with("hex(")) {
    const auto close = s.find("):");
    if (close == std::string_view::npos || !ReadHexNumber(s.substr(4, close - 4), d.type, 8))
      return false;
    if (!ReadHexList(s.substr(close + 2), d.bytes) || !texts.Hex(d.type, d.bytes)) return false;
  } else {
    return false;
  }
  out = std::move(d);
  return true;
}

}  // namespace

std::string_view RootName(HKey root) {
  for (const auto& [key, name] : kRoots)
    if (key == root) return name;
  return {};
}

std::optional<HKey> RootOf(std::string_view name) {
  for (const auto& [key, root] : kRoots)
    if (SameAsciiText(root, name))
      return key;
  return std::nullopt;
}

bool Write(const File& file, const AnsiCodePage& codePage, std::string& out, std::string* why) {
  out = std::string(kHeader) + std::string(kEol) + std::string(kEol);
  for (const auto& comment : file.comments) {
    if (HasLineBreak(comment)) return Fail(why, "a comment holds a line break");
    std::string ansi;
    if (!codePage.ToAnsi(comment, ansi)) return Fail(why, "a comment the code page cannot hold");
    out += ";" + ansi + std::string(kEol);
  }
  if (!file.comments.empty()) out += kEol;
  for (const auto& key : file.keys) {
    const std::string_view root = RootName(key.root);
    std::string path;
    if (root.empty()) return Fail(why, "a key under a root regedit does not know");
    if (!codePage.ToAnsi(key.path, path) || HasLineBreak(path))
      return Fail(why, "a key whose name cannot be written: " + key.path);
    out += std::string(key.remove ? "[-" : "[") + std::string(root) + (path.empty() ? "" : "\\") +
           path + "]" + std::string(kEol);
    for (const auto& value : key.values) {
      std::string name;
      if (!codePage.ToAnsi(value.name, name) || HasLineBreak(name))
        return Fail(why, "a value whose name cannot be written: " + value.name);
      std::string line = (value.name.empty() ? std::string("@") : Quoted(name)) + "=";
      if (value.data)
        WriteData(*value.data, line, out);
      else
        line += "-";
      out += line + std::string(kEol);
    }
    out += kEol;
  }
  return true;
}

namespace {

bool ReadFile(std::string_view bytes, std::string_view header, const Texts& texts, File& out,
              std::string* why) {
  out = {};
  const auto lines = LogicalLines(bytes);
  std::size_t i = 0;
  while (i < lines.size() && Trim(lines[i].text).empty()) ++i;
  if (i == lines.size() || Trim(lines[i].text) != header)
    return Fail(why, "the file does not start with " + std::string(header));
  Key* key = nullptr;
  for (++i; i < lines.size(); ++i) {
    const std::string_view text = Trim(lines[i].text);
    const auto bad = [&](std::string_view what) {
      return Fail(why, "line " + std::to_string(lines[i].number) + ": " + std::string(what));
    };
    if (text.empty()) continue;
    if (text.front() == ';') {
      // Everything after the ';', trailing blanks included.
      const std::string_view raw = lines[i].text;
      if (!key) out.comments.push_back(texts.Name(raw.substr(raw.find(';') + 1)));
      continue;
    }
    if (text.front() == '[') {
      if (text.back() != ']') return bad("a key line without its closing bracket");
      std::string_view name = text.substr(1, text.size() - 2);
      Key k;
      if (!name.empty() && name.front() == '-') {
        k.remove = true;
        name.remove_prefix(1);
      }
      const auto slash = name.find('\\');
      const auto root = RootOf(name.substr(0, slash));
      if (!root) return bad("a key under an unknown root");
      k.root = *root;
      if (slash != std::string_view::npos) k.path = texts.Name(name.substr(slash + 1));
      out.keys.push_back(std::move(k));
      key = &out.keys.back();
      continue;
    }
    if (!key) return bad("a value before any key");
    if (key->remove) return bad("a value under a key that is removed");
    std::string_view rest = text;
    Value v;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else {
      std::string name;
      if (!ReadQuoted(rest, name) || name.empty()) return bad("a value name that cannot be read");
      v.name = texts.Name(name);
    }
    rest = Trim(rest);
    if (rest.empty() || rest.front() != '=') return bad("a value without '='");
    if (!ReadData(rest.substr(1), v.data, texts)) return bad("value data that cannot be read");
    key->values.push_back(std::move(v));
  }
  return true;
}

}  // namespace

bool Read(std::string_view bytes, const AnsiCodePage& codePage, File& out, std::string* why) {
  return ReadFile(bytes, kHeader, Texts{codePage}, out, why);
}

bool ReadUnicode(std::string_view bytes, const AnsiCodePage& codePage, File& out,
                 std::string* why) {
  out = {};
  if (!bytes.starts_with("\xFF\xFE"))
    return Fail(why, "the file does not start with the byte order mark of Unicode text");
  std::string text;
  if (!Utf16ToUtf8(bytes.substr(2), text))
    return Fail(why, "the file is not whole Unicode text (its byte order or its end is broken)");
  return ReadFile(text, kUnicodeHeader, Texts{codePage, true}, out, why);
}

std::string Describe(HKey root, std::string_view path, std::optional<std::string_view> name) {
  std::string text(RootName(root));
  if (!path.empty()) text += "\\" + std::string(path);
  if (name) text += ": " + (name->empty() ? std::string("(Default)") : std::string(*name));
  return text;
}

Outcome Apply(const File& file, Registry& r) {
  Outcome out;
  const auto note = [&out](bool ok, std::string what) {
    (ok ? out.done : out.failed).push_back(std::move(what));
  };
  for (const auto& k : file.keys) {
    if (k.remove) {
      const long rc = r.DeleteKey(k.root, k.path);
      note(rc == ErrorSuccess || rc == ErrorFileNotFound, Describe(k.root, k.path) + " (removed)");
      continue;
    }
    if (k.values.empty()) {
      note(RegistryKey(r).Create(k.root, k.path), Describe(k.root, k.path));
      continue;
    }
    // The key is opened once for all its values (a file may give thousands).
    const bool sets = std::any_of(k.values.begin(), k.values.end(),
                                  [](const Value& v) { return v.data.has_value(); });
    RegistryKey key(r);
    const long opened = (sets ? key.Create(k.root, k.path) : key.Open(k.root, k.path)) ? ErrorSuccess : key.code();
    for (const auto& v : k.values) {
      long rc = opened;
      if (opened != ErrorSuccess) {
        if (!v.data && opened == ErrorFileNotFound) rc = ErrorSuccess;  // nothing to delete
      } else if (v.data) {
        rc = r.SetValueExact(key.get(), v.name, v.data->type,
                             reinterpret_cast<const std::uint8_t*>(v.data->bytes.data()),
                             static_cast<std::uint32_t>(v.data->bytes.size()));
      } else {
        rc = r.DeleteValue(key.get(), v.name);
        if (rc == ErrorFileNotFound) rc = ErrorSuccess;
      }
      note(rc == ErrorSuccess, Describe(k.root, k.path, v.name));
    }
  }
  return out;
}

}  // namespace velmaro::regfile
