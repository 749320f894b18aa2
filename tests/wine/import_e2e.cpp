// Import on the real console under Wine, with the registry API as the
// witness: a category exported, changed by hand (types too) and brought back
// exactly by "Velmaro.exe /import", which ends with 0; the same import again
// ends with 0 and changes nothing, the history included; Undo in the console
// takes the import back as one step; a file naming a service under
// HKEY_LOCAL_MACHINE\SYSTEM beside values Velmaro does change ends with 2
// and writes nothing at all; the boot options of a file's comment reach
// c:\msdos.sys; and the Import... dialog: its preview lists the change, No
// writes nothing, Yes applies it and the panel shows it.
//
// With "--show Import" it leaves the preview of a sample file open, for a
// screenshot. With "--time N" it only times N interleaved rounds of importing 2,000
// start-up entries with "Velmaro.exe /import FILE /quiet" and with
// "regedit /s FILE", and prints the minimum and median of each.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/memory/memory_registry.h"
#include "system_access/reg_file.h"
#include "wine/console_drive.h"

namespace {

using namespace velmaro::e2e;

const char* const kPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kService = "SYSTEM\\CurrentControlSet\\Services\\VelmaroImportE2E";
const std::string kDword1("4:\1\0\0\0", 6);

// The values a registry file sets, as Raw() shows them, by key and name.
std::map<std::pair<std::string, std::string>, std::string> ValuesOf(const std::string& bytes) {
  const velmaro::platform::Cp1252CodePage codePage;
  velmaro::regfile::File file;
  std::map<std::pair<std::string, std::string>, std::string> values;
  if (!velmaro::regfile::Read(bytes, codePage, file)) return values;
  for (const auto& k : file.keys)
    for (const auto& v : k.values)
      if (v.data && k.root == velmaro::platform::HkeyCurrentUser)
        values[{k.path, v.name}] = std::to_string(v.data->type) + ":" + v.data->bytes;
  return values;
}

// The median of a few timings.
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void RemoveEntries(int count) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRun, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  for (int i = 0; i < count; ++i) RegDeleteValueA(key, ("VelmaroBench" + std::to_string(i)).c_str());
  RegCloseKey(key);
}

// 2,000 start-up entries (the StartUp Applications editor's key takes any
// name, so every one is within what Velmaro changes), imported both ways.
int Time(const std::string& exe, int rounds) {
  constexpr int kEntries = 2000;
  std::string file = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + std::string(kRun) + "]\r\n";
  for (int i = 0; i < kEntries; ++i)
    file += "\"VelmaroBench" + std::to_string(i) + "\"=\"c:\\\\bench\\\\tool" + std::to_string(i) +
            ".exe /quiet\"\r\n";
  const std::string path = "C:\\velmaro-bench.reg";
  PutFileBytes(path, file);
  std::vector<double> ours, theirs;
  int wrong = 0;
  const auto all = [] {
    return Raw(HKEY_LOCAL_MACHINE, kRun, "VelmaroBench0") != "<none>" &&
           Raw(HKEY_LOCAL_MACHINE, kRun, "VelmaroBench1999") == "1:c:\\bench\\tool1999.exe /quiet" +
                                                                    std::string(1, '\0');
  };
  for (int r = 0; r < rounds; ++r) {
    for (int which = 0; which < 2; ++which) {
      // Alternate which goes first, so that neither always finds a warm cache.
      const bool velmaro = (which == 0) == (r % 2 == 0);
      RemoveEntries(kEntries);
      DeleteFileA(UndoHistoryFile().c_str());  // each import records its step afresh
      const double start = Now();
      const int code = velmaro ? RunToEnd("\"" + exe + "\" /import " + path + " /quiet", 120000)
                               : RunToEnd("regedit.exe /s " + path, 120000);
      const double seconds = Now() - start;
      if (code != 0 || !all()) ++wrong;
      (velmaro ? ours : theirs).push_back(seconds);
    }
  }
  RemoveEntries(kEntries);
  DeleteFileA(path.c_str());
  std::printf("import of %d values, %d interleaved rounds (%d wrong):\n", kEntries, rounds, wrong);
  std::printf("  Velmaro.exe /import /quiet: min %.0f ms, median %.0f ms\n",
              *std::min_element(ours.begin(), ours.end()), Median(ours));
  std::printf("  regedit /s:                 min %.0f ms, median %.0f ms\n",
              *std::min_element(theirs.begin(), theirs.end()), Median(theirs));
  std::vector<double> ratios;
  for (std::size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / theirs[i]);
  std::printf("  median of per-round ratios: %.2f\n", Median(ratios));
  return wrong == 0 ? 0 : 1;
}

// The Import... preview of a sample file left open, for a screenshot.
int Show(const std::string& exe) {
  SetRaw(HKEY_CURRENT_USER, "Software\\Velmaro\\Settings", "ShowMess", REG_SZ, std::string("0", 2));
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoRun", REG_DWORD, std::string("\0\0\0\0", 4));
  const std::string sample = "C:\\Velmaro settings.reg";
  PutFileBytes(sample,
               "REGEDIT4\r\n\r\n; Velmaro 1.0 settings: Start Menu, General\r\n; Velmaro boot "
               "options for c:\\msdos.sys (regedit cannot carry them; Velmaro's Import sets them): "
               "BootDelay=4\r\n\r\n[HKEY_CURRENT_USER\\" + std::string(kPolicies) +
                   "]\r\n\"NoRun\"=dword:00000001\r\n\"NoFind\"=dword:00000001\r\n\r\n"
                   "[HKEY_CURRENT_USER\\Software\\Microsoft\\MS Setup (ACME)\\User Info]\r\n"
                   "\"DefName\"=\"Ann Example\"\r\n\r\n[HKEY_LOCAL_MACHINE\\" + kRun +
                   "]\r\n\"Agent\"=\"c:\\\\tools\\\\agent.exe /quiet\"\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\" + kService + "]\r\n\"Start\"=dword:00000002\r\n");
  Console c;
  c.keepRunning = true;
  if (!c.Start(exe) || !c.Choose("Start Menu")) return 1;
  c.Press("Import");
  if (!ChooseFile("Import settings", sample)) return 1;
  return WaitFor([] { return VisibleWindow("#32770", "Confirmation") != nullptr; }) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  SeeRealPixels();
  const std::string root = argc > 1 ? WinePath(argv[1]) : ".";
  const std::string exe = root + "\\console\\Velmaro.exe";
  if (argc > 3 && std::string(argv[2]) == "--time") return Time(exe, std::atoi(argv[3]));
  if (argc > 2 && std::string(argv[2]) == "--show") return Show(exe);
  Checker check;
  const std::string history = UndoHistoryFile();
  DeleteFileA(history.c_str());
  SetRaw(HKEY_CURRENT_USER, "Software\\Velmaro\\Settings", "ShowMess", REG_SZ, std::string("0", 2));
  // The Start Menu's six settings, each stored so that the panel shows it as it is.
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoRun", REG_DWORD, std::string("\1\0\0\0", 4));
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoFind", REG_DWORD, std::string("\0\0\0\0", 4));
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoRecentDocsMenu", REG_DWORD, std::string("\1\0\0\0", 4));
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoFavoritesMenu", REG_DWORD, std::string("\0\0\0\0", 4));
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoLogOff", REG_BINARY, std::string("\1\0\0", 3));
  SetRaw(HKEY_CURRENT_USER, kPolicies, "NoStartBanner", REG_BINARY, std::string("\0\0\0", 3));

  const std::string file = "C:\\velmaro-import.reg";
  DeleteFileA(file.c_str());
  check(RunToEnd("\"" + exe + "\" /export " + file + " \"Start Menu\"") == 0,
        "Velmaro.exe /export FILE \"Start Menu\" ends with 0");
  const auto exported = ValuesOf(FileBytes(file));
  check(exported.size() == 6, "the file holds the panel's six settings (" +
                                  std::to_string(exported.size()) + ")");
  // Changed by hand, types included.
  for (const auto& [where, data] : exported)
    SetRaw(HKEY_CURRENT_USER, where.first.c_str(), where.second.c_str(), REG_SZ, std::string("x\0", 2));
  const auto holdsFile = [&] {
    bool all = true;
    for (const auto& [where, data] : exported)
      if (Raw(HKEY_CURRENT_USER, where.first.c_str(), where.second.c_str()) != data) {
        std::printf("     %s differs\n", where.second.c_str());
        all = false;
      }
    return all;
  };
  DWORD code = 99;
  std::string said = OutputOf("\"" + exe + "\" /import " + file, &code);
  check(code == 0, "Velmaro.exe /import FILE ends with 0 (" + std::to_string(code) + ")");
  check(holdsFile(), "every value is back as exported, type and bytes");
  check(said.find("Imported from " + file) != std::string::npos &&
            said.find("Start Menu: \"Hide the 'Run' menu from the Start Menu\": on (now off)") !=
                std::string::npos,
        "... and it says what it changed: " + said.substr(0, 300));
  const std::string recorded = FileBytes(history);
  check(!recorded.empty(), "the import is in the undo history");

  said = OutputOf("\"" + exe + "\" /import " + file + " /quiet", &code);
  check(code == 0 && said.empty(), "the same import again ends with 0 and, quiet, says nothing");
  check(holdsFile() && FileBytes(history) == recorded,
        "... and changes nothing, the undo history included");

  {
    Console c;
    if (!c.Start(exe)) return 1;
    check(WaitFor([&] { return IsWindowEnabled(c.Item("Undo")) != 0; }),
          "the console offers to undo the import");
    c.Press("Undo");
    std::string undone;
    check(AnswerBox("Velmaro", IDOK, &undone) &&
              undone.find("Undone: Import of " + file) != std::string::npos,
          "Undo names the import: " + undone.substr(0, 120));
    bool byHand = true;
    for (const auto& [where, data] : exported)
      byHand = byHand && Raw(HKEY_CURRENT_USER, where.first.c_str(), where.second.c_str()) ==
                             std::string("1:x\0", 4);
    check(byHand, "one Undo puts back all six values as they were by hand");
    check(!IsWindowEnabled(c.Item("Undo")), "nothing more is left to undo");
    check(c.Quit(), "the console closes");
  }

  // A service under HKEY_LOCAL_MACHINE\SYSTEM beside a value Velmaro does
  // change: refused whole.
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kService);
  const std::string outside = "C:\\velmaro-outside.reg";
  PutFileBytes(outside, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + std::string(kPolicies) +
                            "]\r\n\"NoRun\"=dword:00000001\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
                            kService + "]\r\n\"Start\"=dword:00000002\r\n\"ImagePath\"=\"c:\\\\evil.exe\"\r\n");
  const std::string before = FileBytes(history);
  said = OutputOf("\"" + exe + "\" /import " + outside, &code);
  check(code == 2, "a file naming a service under HKEY_LOCAL_MACHINE\\SYSTEM ends with 2 (" +
                       std::to_string(code) + ")");
  check(said.find(kService) != std::string::npos, "... naming it: " + said.substr(0, 300));
  HKEY probe = nullptr;
  check(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kService, 0, KEY_READ, &probe) != ERROR_SUCCESS,
        "... the service key is not made");
  check(Raw(HKEY_CURRENT_USER, kPolicies, "NoRun") == std::string("1:x\0", 4),
        "... NoRun beside it is not written either");
  check(FileBytes(history) == before, "... and nothing is recorded");
  DeleteFileA(outside.c_str());

  // The boot options of the comment, through the boot file's own rewrite.
  const std::string boot = "C:\\msdos.sys", bootFile = "C:\\velmaro-boot.reg";
  PutFileBytes(boot, "[Options]\r\nAutoScan=0\r\nBootDelay=1\r\nLogo=1\r\n");
  PutFileBytes(bootFile, "REGEDIT4\r\n\r\n; Velmaro 1.0 settings: Windows\r\n; Velmaro boot options "
                         "for c:\\msdos.sys (regedit cannot carry them; Velmaro's Import sets "
                         "them): AutoScan=2 BootDelay=4 Logo=0\r\n\r\n");
  check(RunToEnd("\"" + exe + "\" /import " + bootFile + " /quiet") == 0,
        "a file with the boot options' comment ends with 0");
  check(FileBytes(boot) == "[Options]\r\nAutoScan=2\r\nBootDelay=4\r\nLogo=0\r\n",
        "c:\\msdos.sys holds them, every other line as it was: " + FileBytes(boot));
  DeleteFileA(bootFile.c_str());

  // The dialog: the preview lists the change; No writes nothing; Yes applies.
  {
    Console c;
    if (!c.Start(exe)) return 1;
    check(c.Choose("Start Menu"), "the Start Menu panel shows");
    check(!c.Checked("HideRun"), "HideRun shows NoRun's \"x\" as clear");
    std::string preview;
    c.Press("Import");
    check(ChooseFile("Import settings", file), "Import... asks for the file");
    check(AnswerBox("Confirmation", IDNO, &preview), "a preview asks before importing");
    check(preview.find("Start Menu: \"Hide the 'Run' menu from the Start Menu\": on (now off)") !=
              std::string::npos,
          "... listing what changes: " + preview.substr(0, 700));
    c.Idle();
    check(Raw(HKEY_CURRENT_USER, kPolicies, "NoRun") == std::string("1:x\0", 4),
          "No writes nothing");
    c.Press("Import");
    check(ChooseFile("Import settings", file) && AnswerBox("Confirmation", IDYES),
          "the same file again, and Yes");
    std::string done;
    check(AnswerBox("Velmaro", IDOK, &done) && done.find("Imported from") != std::string::npos,
          "Import says it is done: " + done.substr(0, 120));
    check(holdsFile(), "Yes applies every value of the file");
    check(WaitFor([&] { return c.Checked("HideRun"); }), "the panel shows NoRun ticked");
    check(WaitFor([&] { return IsWindowEnabled(c.Item("Undo")) != 0; }), "Undo is offered");
    check(c.Quit(), "the console closes");
  }
  DeleteFileA(file.c_str());
  std::printf("%d failure(s)\n", check.failures);
  return check.failures == 0 ? 0 : 1;
}
