// Undo and export on the real console under Wine: an Apply taken back with
// the Undo button, also after the console was closed and started again; two
// consoles applying and undoing in turn over one shared history; a history
// held open by another program refusing the change it cannot record; a crafted
// history that names what Velmaro does not change, refused; the
// command-line export read back by Wine's own regedit after every value was
// changed by hand, types included; and a registry file with quotes,
// backslashes and letters outside ASCII in names and data imported exactly.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/memory/memory_registry.h"
#include "system_access/reg_file.h"
#include "system_access/undo_history_file.h"
#include "wine/console_drive.h"

namespace {

using namespace velmaro::e2e;

const char* const kPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

// The names in a folder, sorted.
std::string Listing(const std::string& folder) {
  std::map<std::string, int> names;
  WIN32_FIND_DATAA found{};
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return "";
  do names[found.cFileName] = 1;
  while (FindNextFileA(h, &found));
  FindClose(h);
  std::string list;
  for (const auto& [name, one] : names) list += name + " ";
  return list;
}

// "--full-disk": drive T: is a small drive of its own (tests/wine/small_drive.sh
// makes it). An export that runs out of room there leaves the file it would
// replace byte for byte and nothing beside it; with room again, it replaces it.
int FullDisk(const std::string& exe) {
  Checker check;
  const std::string target = "T:\\settings.reg", filler = "T:\\filler";
  DeleteFileA(filler.c_str());
  // An export of three pages or more (a long default user name), over a
  // file of one: writing it in place would have had two pages of room.
  const char* userInfo = "Software\\Microsoft\\MS Setup (ACME)\\User Info";
  const std::string defName = Raw(HKEY_CURRENT_USER, userInfo, "DefName");
  SetRaw(HKEY_CURRENT_USER, userInfo, "DefName", REG_SZ, std::string(9000, 'x') + '\0');
  const std::string old = "REGEDIT4\r\n\r\n; an earlier export\r\n";
  PutFileBytes(target, old);
  if (!check(FileBytes(target) == old, "the old export is on T:")) return 1;
  // Fill the drive, then give back one page: less room than the export needs.
  HANDLE out = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const std::string page(4096, 'f');
  DWORD filled = 0, n = 0;
  while (WriteFile(out, page.data(), 4096, &n, nullptr) && n == 4096) filled += n;
  SetFilePointer(out, static_cast<LONG>(filled - 4096), nullptr, FILE_BEGIN);
  SetEndOfFile(out);
  CloseHandle(out);
  const std::string before = Listing("T:\\");
  const int full = RunToEnd("\"" + exe + "\" /export " + target);
  check(full == 1, "an export to a full drive ends with 1 (got " + std::to_string(full) + ")");
  check(FileBytes(target) == old, "the file it would replace keeps every byte");
  check(Listing("T:\\") == before, "nothing is left beside it: " + Listing("T:\\"));
  DeleteFileA(filler.c_str());
  check(RunToEnd("\"" + exe + "\" /export " + target) == 0, "with room again the export ends with 0");
  const std::string now = FileBytes(target);
  check(now.rfind("REGEDIT4", 0) == 0 && now.size() > 2 * 4096,
        "... and replaces the file (" + std::to_string(now.size()) + " bytes, more than the room "
        "there was)");
  check(Listing("T:\\") == "settings.reg ", "... leaving nothing else: " + Listing("T:\\"));
  DeleteFileA(target.c_str());
  if (defName == "<none>") RemoveRaw(HKEY_CURRENT_USER, userInfo, "DefName");
  else SetRaw(HKEY_CURRENT_USER, userInfo, "DefName", REG_SZ, defName.substr(2));
  std::printf("%d failure(s)\n", check.failures);
  return check.failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  SeeRealPixels();
  const std::string root = argc > 1 ? WinePath(argv[1]) : ".";
  const std::string exe = root + "\\console\\Velmaro.exe";
  if (argc > 2 && std::string(argv[2]) == "--full-disk") return FullDisk(exe);
  Checker check;
  // A fresh history, no restart notice, NoRun absent.
  const std::string history = UndoHistoryFile();
  DeleteFileA(history.c_str());
  SetRaw(HKEY_CURRENT_USER, "Software\\Velmaro\\Settings", "ShowMess", REG_SZ, std::string("0", 2));
  RemoveRaw(HKEY_CURRENT_USER, kPolicies, "NoRun");
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoFind", REG_DWORD, std::string("\7\0\0\0", 4));

  {
    Console c;
    if (!c.Start(exe)) return 1;
    Sleep(800);
    check(!IsWindowEnabled(c.Item("Undo")), "Undo starts unavailable: there is nothing to undo");
    check(c.Choose("Start Menu"), "the Start Menu panel shows");
    c.Press("HideRun");
    c.Press("Apply");
    check(WaitFor([] { return Raw(HKEY_CURRENT_USER, kPolicies, "NoRun") == std::string("4:\1\0\0\0", 6); }),
          "Apply writes NoRun = 1");
    check(WaitFor([&] { return IsWindowEnabled(c.Item("Undo")) != 0; }), "Undo becomes available");
    c.Press("Undo");
    std::string said;
    check(AnswerBox("Velmaro", IDOK, &said), "Undo says what it did");
    check(said.find("Apply 'Start Menu' settings...") != std::string::npos &&
              said.find("NoRun") != std::string::npos,
          "... naming the step and the value put back");
    check(Raw(HKEY_CURRENT_USER, kPolicies, "NoRun") == "<none>", "NoRun is absent again, as before");
    check(Raw(HKEY_CURRENT_USER, kPolicies, "NoFind") == std::string("4:\7\0\0\0", 6),
          "NoFind keeps its 7");
    check(WaitFor([&] { return !c.Checked("HideRun"); }), "the panel shows the state put back");
    check(!IsWindowEnabled(c.Item("Undo")), "nothing is left to undo");
    // One more apply, then the console goes.
    c.Press("HideRun");
    c.Press("Apply");
    check(WaitFor([] { return Raw(HKEY_CURRENT_USER, kPolicies, "NoRun") == std::string("4:\1\0\0\0", 6); }),
          "a second Apply writes NoRun again");
    check(c.Quit(), "the console closes");
  }
  {
    Console c;
    if (!c.Start(exe)) return 1;
    Sleep(800);
    check(IsWindowEnabled(c.Item("Undo")) != 0, "after a restart, the last apply can still be undone");
    c.Press("Undo");
    check(AnswerBox("Velmaro", IDOK), "Undo says what it did");
    check(Raw(HKEY_CURRENT_USER, kPolicies, "NoRun") == "<none>", "NoRun is absent again");
    check(c.Quit(), "the console closes");
  }

  // Two consoles at once, applying and undoing in turn: no step is lost,
  // Undo takes back the newest step whichever console made it, and a value
  // another program put in a key a step created is named, asked about, and kept.
  DeleteFileA(history.c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, kPolicies);  // the first Apply makes the key
  {
    Console a, b;
    if (!a.Start(exe) || !b.Start(exe)) return 1;
    Sleep(800);
    check(a.Choose("Start Menu") && b.Choose("Explorer"), "console A shows Start Menu, B Explorer");
    const std::string one("4:\1\0\0\0", 6);
    const auto applied = [&](Console& c, const char* box, const char* value) {
      c.Press(box);
      c.Press("Apply");
      return WaitFor([&] { return Raw(HKEY_CURRENT_USER, kPolicies, value) == one; }) &&
             WaitFor([&] { return IsWindowEnabled(c.Item("Undo")) != 0; }) && c.Idle();
    };
    check(applied(a, "HideRun", "NoRun"), "A applies NoRun = 1, making the key");
    check(applied(b, "RemFile", "NoFileMenu"), "B applies NoFileMenu = 1 into it");
    check(applied(a, "HideFind", "NoFind"), "A applies NoFind = 1");
    check(applied(b, "HideAll", "NoDesktop"), "B applies NoDesktop = 1");
    a.Idle();
    b.Idle();
    const std::string bytes = FileBytes(history);
    std::size_t steps = 0;
    for (auto at = bytes.find("\r\nend "); at != std::string::npos; at = bytes.find("\r\nend ", at + 1))
      ++steps;
    check(steps == 4, "the shared history holds all four steps (" + std::to_string(steps) + ")");
    std::string said, asked;
    a.Press("Undo");
    const bool answered = AnswerBox("Velmaro", IDOK, &said);
    check(answered && said.find("Undone: Apply 'Explorer' settings...") != std::string::npos,
          "Undo in A takes back B's newest step and names it: " + said.substr(0, 200));
    // B's first Apply wrote NoDesktop as its box showed it (0).
    check(Raw(HKEY_CURRENT_USER, kPolicies, "NoDesktop") == std::string("4:\0\0\0\0", 6) &&
              Raw(HKEY_CURRENT_USER, kPolicies, "NoFind") == one,
          "... NoDesktop is back to what B's first Apply left, A's NoFind stays");
    SetRaw(HKEY_CURRENT_USER, kPolicies, "NoFind", REG_DWORD, std::string("\5\0\0\0", 4));
    b.Press("Undo");
    check(AnswerBox("Confirmation", IDNO, &asked) && asked.find("NoFind") != std::string::npos,
          "Undo in B of A's step names NoFind, changed since by another program, and asks");
    check(Raw(HKEY_CURRENT_USER, kPolicies, "NoFind") == std::string("4:\5\0\0\0", 6), "No keeps it");
    b.Press("Undo");
    check(AnswerBox("Confirmation", IDYES) && AnswerBox("Velmaro", IDOK), "Yes takes the step back");
    a.Press("Undo");
    check(AnswerBox("Velmaro", IDOK) && Absent(Raw(HKEY_CURRENT_USER, kPolicies, "NoFileMenu")),
          "Undo in A takes back B's first step");
    SetRaw(HKEY_CURRENT_USER, kPolicies, "VelmaroOther", REG_SZ, std::string("theirs", 7));
    b.Press("Undo");
    check(AnswerBox("Confirmation", IDYES, &asked) && asked.find("VelmaroOther") != std::string::npos,
          "Undo of the step that made the key names the value put in it since, and asks");
    check(AnswerBox("Velmaro", IDOK, &said) && said.find("Apply 'Start Menu' settings...") != std::string::npos,
          "... and takes the step back");
    check(Absent(Raw(HKEY_CURRENT_USER, kPolicies, "NoRun")) &&
              Absent(Raw(HKEY_CURRENT_USER, kPolicies, "NoFind")),
          "the step's own values are gone");
    check(Raw(HKEY_CURRENT_USER, kPolicies, "VelmaroOther") == std::string("1:theirs\0", 9),
          "the other program's value stays, with the key");
    a.Kill();
    b.Kill();
  }
  RemoveRaw(HKEY_CURRENT_USER, kPolicies, "VelmaroOther");

  // The history held open by another program: it cannot be replaced, so the
  // change is not made, and the user is told why.
  DeleteFileA(history.c_str());
  RemoveRaw(HKEY_CURRENT_USER, kPolicies, "NoRun");
  {
    Console c;
    if (!c.Start(exe)) return 1;
    check(c.Choose("Start Menu"), "the Start Menu shows");
    c.Press("HideRun");
    c.Press("Apply");
    check(WaitFor([&] { return IsWindowEnabled(c.Item("Undo")) != 0; }) && c.Idle(), "an Apply is recorded");
    HANDLE held = CreateFileA(history.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    check(held != INVALID_HANDLE_VALUE, "another program holds the history open");
    c.Press("HideRun");
    c.Press("Apply");
    std::string told, text;
    while (AnswerBoxIfAny("Velmaro", IDOK, 3000, &text)) told += text + "\n";
    check(told.find("could not first record them for Undo") != std::string::npos,
          "the console says the change was not made because it could not be recorded first");
    check(Raw(HKEY_CURRENT_USER, kPolicies, "NoRun") == std::string("4:\1\0\0\0", 6),
          "NoRun keeps the 1 of the Apply recorded before");
    CloseHandle(held);
    c.Press("Undo");
    check(AnswerBox("Velmaro", IDOK) && Absent(Raw(HKEY_CURRENT_USER, kPolicies, "NoRun")),
          "once it is let go, the recorded Apply is undone");
    c.Kill();
  }

  // A history made by hand, with a correct check line, naming a key and a
  // file Velmaro never changes: nothing in it is applied, and the user is told.
  {
    velmaro::undo::Step foreign;
    foreign.number = 1;
    foreign.label = "Apply 'Start Menu' settings...";
    foreign.before.keys.push_back({velmaro::platform::HkeyCurrentUser, "Software\\VelmaroForeign", false,
                                   {{"Evil", velmaro::regfile::Data{REG_SZ, std::string("x", 2)}}}});
    foreign.files.push_back({"C:\\windows\\win.ini", velmaro::undo::FileState{0, "owned"}, std::nullopt});
    std::string crafted;
    velmaro::undo::WriteHistory({foreign}, crafted);
    const std::string ini = FileBytes("C:\\windows\\win.ini");
    for (const bool nameTaken : {false, true}) {
      DeleteFileA((history + ".damaged").c_str());
      if (nameTaken) PutFileBytes(history + ".damaged", "an older one");
      check(PutFileBytes(history, crafted), "a crafted history is in place");
      Console c;
      std::string said;
      if (!c.Start(exe, "Velmaro", &said)) return 1;
      check(said.find("which Velmaro does not change") != std::string::npos,
            "the console says the history names what it does not change");
      check(said.find(nameTaken ? "could not be set aside" : "was set aside") != std::string::npos,
            nameTaken ? "... and that it could not be set aside (the name is taken)"
                      : "... and that it was set aside");
      Sleep(300);
      check(!IsWindowEnabled(c.Item("Undo")), "Undo stays unavailable");
      check(Absent(Raw(HKEY_CURRENT_USER, "Software\\VelmaroForeign", "Evil")) &&
                FileBytes("C:\\windows\\win.ini") == ini,
            "nothing in it was applied");
      check(FileBytes(nameTaken ? history : history + ".damaged") == crafted,
            nameTaken ? "the history is kept as it was" : "the history is set aside as it was");
      if (nameTaken) {
        check(c.Choose("Start Menu"), "the Start Menu shows");
        c.Press("HideRun");
        c.Press("Apply");
        check(WaitFor([] { return Raw(HKEY_CURRENT_USER, kPolicies, "NoRun") == std::string("4:\1\0\0\0", 6); }),
              "an Apply still works");
        c.Idle();
        check(FileBytes(history) == crafted, "... and records nothing over the history kept");
        RemoveRaw(HKEY_CURRENT_USER, kPolicies, "NoRun");
      }
      c.Kill();
    }
    DeleteFileA(history.c_str());
    DeleteFileA((history + ".damaged").c_str());
  }

  // The command line: the Start Menu's settings to a file, without a window.
  const std::string file = "C:\\velmaro-export.reg";
  DeleteFileA(file.c_str());
  // A known start whatever an earlier run left: absent values show their
  // defaults and are exported as the boxes write them; NoFind keeps its 7.
  for (const char* n : {"NoStartBanner", "NoRecentDocsMenu", "NoFavoritesMenu"})
    RemoveRaw(HKEY_CURRENT_USER, kPolicies, n);
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoFind", REG_DWORD, std::string("\7\0\0\0", 4));
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoRun", REG_DWORD, std::string("\1\0\0\0", 4));
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoLogOff", REG_BINARY, std::string("\1\0\0", 3));
  check(RunToEnd("\"" + exe + "\" /export " + file + " \"Start Menu\"") == 0,
        "Velmaro.exe /export FILE \"Start Menu\" ends with 0");
  check(!VisibleWindow("VelmaroForm", "Velmaro"), "... and showed no window");
  check(RunToEnd("\"" + exe + "\" /export C:\\other.reg Nowhere") == 2,
        "an unknown category ends with 2");
  for (const char* device : {"AUX", "C:\\windows\\nul.reg", "com1"})
    check(RunToEnd("\"" + exe + "\" /export " + device) == 1,
          std::string("a device name (") + device + ") is refused with 1");
  const char* names[] = {"NoStartBanner", "NoLogOff", "NoRun", "NoFind", "NoRecentDocsMenu",
                         "NoFavoritesMenu"};
  // What the file holds for the Start Menu's key: the values its boxes write.
  const std::string exportedBytes = FileBytes(file);
  const velmaro::platform::Cp1252CodePage codePage;
  velmaro::regfile::File exported;
  check(velmaro::regfile::Read(exportedBytes, codePage, exported), "the exported file is REGEDIT4");
  std::map<std::string, std::string> inFile;
  for (const auto& k : exported.keys)
    if (k.root == velmaro::platform::HkeyCurrentUser && k.path == kPolicies)
      for (const auto& v : k.values)
        if (v.data) inFile[v.name] = std::to_string(v.data->type) + ":" + v.data->bytes;
  check(inFile.size() == 5 && !inFile.count("NoFind") && inFile["NoRun"] == std::string("4:\1\0\0\0", 6),
        "the file holds the five values the boxes show, NoFind's 7 left out");
  // Every value changed by hand, types too; then Wine's regedit imports the file.
  for (const char* n : names) SetRaw(HKEY_CURRENT_USER, kPolicies, n, REG_SZ, std::string("x\0", 2));
  check(RunToEnd("regedit.exe /s " + file) == 0, "regedit /s imports the file");
  bool back = true;
  for (const char* n : names) {
    const std::string now = Raw(HKEY_CURRENT_USER, kPolicies, n);
    // NoFind is not in the file and keeps the hand's "x".
    const std::string want = inFile.count(n) ? inFile[n] : std::string("1:x\0", 4);
    if (now != want) {
      std::printf("     %s differs after the import\n", n);
      back = false;
    }
  }
  check(back, "after the import every exported value is back, type and bytes");

  // A file with quotes, backslashes and Western letters in key and value
  // names and in data, written by our writer, imported by regedit exactly.
  velmaro::regfile::File f;
  const std::string key = "Software\\VelmaroRoundTrip\\K\xC3\xA9y \"q\" \\ end";
  f.keys.push_back({velmaro::platform::HkeyCurrentUser, key, false,
                    {{"", velmaro::regfile::Data{REG_SZ, std::string("def\0", 4)}},
                     {"na\"me\\ \xC3\xBC", velmaro::regfile::Data{REG_SZ, std::string("C:\\\"x\" \xE9\0", 9)}},
                     {"bin", velmaro::regfile::Data{REG_BINARY, std::string("\0\1\xff", 3)}},
                     {"dw", velmaro::regfile::Data{REG_DWORD, std::string("\x78\x56\x34\x12", 4)}},
                     {"exp", velmaro::regfile::Data{REG_EXPAND_SZ, std::string("%TEMP%\\a\0", 9)}},
                     {"multi", velmaro::regfile::Data{REG_MULTI_SZ, std::string("a\0b\0\0", 5)}}}});
  std::string bytes;
  velmaro::regfile::Write(f, codePage, bytes);
  const std::string crafted = "C:\\velmaro-roundtrip.reg";
  PutFileBytes(crafted, bytes);
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VelmaroRoundTrip");
  check(RunToEnd("regedit.exe /s " + crafted) == 0, "regedit /s imports a file of odd names");
  const std::string ansiKey = "Software\\VelmaroRoundTrip\\K\xE9y \"q\" \\ end";
  bool exact = true;
  for (const auto& v : f.keys[0].values) {
    std::string ansiName;
    codePage.ToAnsi(v.name, ansiName);
    const std::string now = Raw(HKEY_CURRENT_USER, ansiKey.c_str(), ansiName.c_str());
    const std::string want = std::to_string(v.data->type) + ":" + v.data->bytes;
    if (now != want) {
      std::printf("     \"%s\" differs after the import (%zu bytes, want %zu)\n", ansiName.c_str(),
                  now.size(), want.size());
      exact = false;
    }
  }
  check(exact, "every value comes back with its type and bytes");
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VelmaroRoundTrip");
  DeleteFileA(crafted.c_str());
  DeleteFileA(file.c_str());
  std::printf("%d failure(s)\n", check.failures);
  return check.failures == 0 ? 0 : 1;
}
