#include "console/export.h"

#include <algorithm>
#include <map>

#include "console/tweaker.h"
#include "platform/ascii_case.h"
#include "platform/paths.h"

namespace velmaro::console {
namespace {

using platform::HkeyCurrentUser;


bool IsOwnSetting(const regfile::Key& k) {
  constexpr std::string_view kOwn = "Software\\Velmaro";
  return k.root == HkeyCurrentUser && k.path.size() >= kOwn.size() &&
         platform::SameAsciiText(std::string_view(k.path).substr(0, kOwn.size()), kOwn) &&
         (k.path.size() == kOwn.size() || k.path[kOwn.size()] == '\\');
}

// The boot options an apply would store, as the file's lines, in the
// file's order.
void NoteBootChoices(const regfile::Key& k, std::map<int, std::string>& lines) {
  for (const auto& v : k.values) {
    if (!v.data) continue;
    std::string text = v.data->bytes;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    if (platform::SameAsciiText(v.name, settings::AutoScan))
      lines[0] = std::string("AutoScan=") + (text == "1" ? "2" : "0");
    else if (platform::SameAsciiText(v.name, settings::BootDelay))
      lines[1] = "BootDelay=" + text;
    else if (platform::SameAsciiText(v.name, settings::DisSplach))
      lines[2] = std::string("Logo=") + (text == "0" ? "0" : "1");
  }
}

// Adds the captured changes in order; changes to one key in a row become one
// entry, a value written twice keeps its last form.
void Append(regfile::File& file, std::vector<regfile::Key> changes,
            std::map<int, std::string>& boot) {
  for (auto& change : changes) {
    if (IsOwnSetting(change)) {
      NoteBootChoices(change, boot);
      continue;
    }
    regfile::Key* last = file.keys.empty() ? nullptr : &file.keys.back();
    if (!change.remove && last && !last->remove && last->root == change.root &&
        platform::SameAsciiText(last->path, change.path)) {
      for (auto& v : change.values) {
        auto same = std::find_if(last->values.begin(), last->values.end(),
                                 [&](const regfile::Value& w) { return platform::SameAsciiText(w.name, v.name); });
        if (same != last->values.end())
          *same = std::move(v);
        else
          last->values.push_back(std::move(v));
      }
      continue;
    }
    file.keys.push_back(std::move(change));
  }
}

// The mouse settings an apply would keep, where the system keeps them.
void AppendMouse(regfile::File& file, CapturingMouse& mouse) {
  regfile::Key key{platform::HkeyCurrentUser, "Control Panel\\Mouse", false, {}};
  const auto text = [](const std::string& t) { return regfile::Data{platform::RegSz, t + '\0'}; };
  if (mouse.savedTime) key.values.push_back({"DoubleClickSpeed", text(std::to_string(*mouse.savedTime))});
  if (mouse.savedSwap) key.values.push_back({"SwapMouseButtons", text(*mouse.savedSwap ? "1" : "0")});
  mouse.savedTime.reset();
  mouse.savedSwap.reset();
  if (!key.values.empty()) file.keys.push_back(std::move(key));
}

std::string FileProblem(long code) {
  switch (code) {
    case platform::ErrorPathNotFound: return "the folder does not exist";
    case platform::ErrorAccessDenied: return "Windows refused access to it (it may be read-only)";
    case platform::ErrorSharingViolation: return "another program is using it";
    case platform::ErrorDiskFull: return "there is not enough room on the disk";
    case platform::ErrorInvalidName: return "the name is not a valid file name";
    case platform::ErrorFilenameExcedRange: return "the path is too long";
    case platform::ErrorFileExists:
      return "temporary files left beside it by earlier attempts are in the way";
    case platform::ErrorNoUnicodeTranslation:
      return "Windows cannot store some characters of its name";
    default: return "Windows reported error " + std::to_string(code);
  }
}

}  // namespace

std::vector<const Category*> ExportableCategories() {
  std::vector<const Category*> all;
  for (const auto& c : Categories)
    if (c.travels) all.push_back(&c);
  return all;
}

const Category* CategoryNamed(std::string_view text) {
  for (const Category* c : ExportableCategories())
    if (platform::SameAsciiText(c->text, text)) return c;
  return nullptr;
}

regfile::File ExportSettings(ConsoleSystem& system, std::span<const Category* const> categories) {
  // A system of its own over the console's: its stand-ins capture while the
  // console's pass through, so the user's window and the system are untouched.
  SilentToolkit silent;
  ConsoleSystem shadow(silent, system.capture, system.captureFiles, system.mouse, system.desktop,
                       system.help);
  Tweaker window(shadow);
  regfile::File file;
  std::vector<std::string> names;
  std::map<int, std::string> boot;
  shadow.captureFiles.StartCapture();
  shadow.captureMouse.StartCapture();
  for (const Category* category : categories) {
    Panel* panel = window.PanelOf(category->node);
    if (!panel || !category->travels) continue;
    if (category->appliesAtOnce) {
      Append(file, panel->Export(), boot);
    } else {
      // What a load writes (the menu delay it creates) is no setting.
      shadow.capture.StartCapture();
      window.SelectOption(category->node);
      shadow.capture.StopCapture();
      shadow.capture.StartCapture();
      panel->Apply();
      Append(file, shadow.capture.StopCapture(), boot);
      AppendMouse(file, shadow.captureMouse);
    }
    names.push_back(std::string(category->text));
  }
  shadow.captureMouse.StopCapture();
  shadow.captureFiles.StopCapture();
  std::string list;
  for (const auto& n : names) list += (list.empty() ? "" : ", ") + n;
  file.comments.push_back(" Velmaro 1.0 settings: " + list);
  if (!boot.empty()) {
    std::string lines;
    for (const auto& [order, line] : boot) lines += " " + line;
    file.comments.push_back(std::string(BootOptionsComment) + lines);
  }
  return file;
}

bool WriteExport(ConsoleSystem& system, std::span<const Category* const> categories,
                 const std::string& path, std::string& error) {
  // Windows would hand the bytes to the device (or drop them) and report success.
  if (platform::NamesDevice(path)) {
    error = "The settings could not be written to " + path +
            ": the name is that of a device, not of a file. Choose another name.";
    return false;
  }
  const regfile::File file = ExportSettings(system, categories);
  std::string bytes, why;
  if (!regfile::Write(file, system.capture.CodePage(), bytes, &why)) {
    error = "The settings could not be put into a registry file: " + why + ".";
    return false;
  }
  // A file it replaces stays whole until the new one is complete.
  if (const long rc = platform::ReplaceWholeFile(system.documents, path, bytes)) {
    error = "The settings could not be written to " + path + ": " + FileProblem(rc) + ".";
    return false;
  }
  return true;
}

std::vector<std::string> CommandWords(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

bool IsExportCommand(std::string_view commandLine) {
  const auto words = CommandWords(commandLine);
  return !words.empty() && (platform::SameAsciiText(words[0], "/export") || platform::SameAsciiText(words[0], "-export"));
}

int RunExportCommand(ConsoleSystem& system, std::string_view commandLine, std::string& error) {
  const auto words = CommandWords(commandLine);
  if (words.size() < 2 || words.size() > 3 || !IsExportCommand(commandLine)) {
    error = "Usage: Velmaro.exe /export FILE [CATEGORY]";
    return 2;
  }
  std::vector<const Category*> categories = ExportableCategories();
  if (words.size() == 3) {
    const Category* one = CategoryNamed(words[2]);
    if (!one) {
      error = "Velmaro has no category \"" + words[2] + "\" to export. Categories:";
      for (const Category* c : categories) error += " \"" + std::string(c->text) + "\"";
      return 2;
    }
    categories = {one};
  }
  return WriteExport(system, categories, words[1], error) ? 0 : 1;
}

}  // namespace velmaro::console
