// The forms toolkit on real windows. Run with "--demo" it is a small program
// whose form uses every kind of control; run otherwise (as ctest does) it
// starts itself as that program and drives it from outside as a user would:
// clicks, keys, the close box, message boxes, a modal form, What's This, and
// a drive chooser and folder tree over the real disks.
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/forms/toolkit.h"
#include "platform/win32/win32_drives.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_toolkit.h"
#include "wine/wine_drive.h"

namespace {

using namespace velmaro::forms;
namespace d = velmaro::forms::design;

constexpr char kMainCaption[] = "Toolkit demo";
constexpr char kOptionsCaption[] = "Demo options";
constexpr char kHelloHelp[] = "Shows a greeting and offers to quit.";
// The demo starts in this folder, which holds Alpha and Beta.
constexpr char kFolders[] = "C:\\VelmaroTreeDemo";

FormSpec MainSpec() {
  FormSpec s{"Demo", kMainCaption, 440, 420};
  s.Add(d::Label("Label1", "&Name:", {10, 12, 50, 15}))
      .Add(d::TextBox("Text1", "", {64, 8, 150, 21}))
      .Add(d::CheckBox("Check1", "&Tick me", {10, 36, 204, 20}))
      .Add(d::Frame("Fram", "Mouse buttons", {10, 60, 204, 70}).At(0))
      .Add(d::OptionButton("Right1", "&Right-handed mode", {10, 18, 180, 20}).In("Fram", 0).Value(1))
      .Add(d::OptionButton("Left1", "&Left-handed mode", {10, 42, 180, 20}).In("Fram", 0))
      .Add(d::DropDownList("Combo1", {"Shortcut icon", "My Computer icon", "Hard disk icon"},
                           {10, 140, 204, 21}))
      .Add(d::Slider("Slide", 0, 5, {10, 170, 204, 32}).Value(2).Changes(1, 2))
      .Add(d::ProgressBar("Bar", 0, 100, {10, 210, 204, 16}))
      .Add(d::TreeView("Tr", {226, 8, 204, 150}).TreeStyle(true, true, LabelEditMode::Manual))
      .Add(d::Label("Status", "", {226, 166, 204, 15}))
      .Add(d::Label("Ticks", "Ticks: 0", {226, 186, 100, 15}))
      .Add(d::Label("NodeClicks", "0", {330, 186, 100, 15}))
      .Add(d::Label("Link", "Velmaro on the web", {226, 206, 150, 15}).Link())
      .Add(d::Button("Command3", "What's this?", {10, 262, 90, 25}))
      .Add(d::Button("Options", "&Options...", {106, 262, 90, 25}))
      .Add(d::Button("Hello", "Say &hello", {246, 262, 90, 25}).Default())
      .Add(d::Button("Close", "Close", {342, 262, 90, 25}).Cancel())
      .Add(d::Timer("Timer1", 200, true))
      .Add(d::DriveChooser("Drive1", {10, 300, 204, 21}))
      .Add(d::FolderTree("Dir1", {226, 300, 204, 110}));
  return s;
}

FormSpec OptionsSpec() {
  FormSpec s{"DemoOpt", kOptionsCaption, 240, 90, BorderStyle::FixedDialog};
  s.Add(d::CheckBox("Confirm", "Ask before &quitting", {10, 10, 220, 20}).Value(1))
      .Add(d::Button("OK", "OK", {60, 55, 80, 25}).Default())
      .Add(d::Button("Cancel", "Cancel", {150, 55, 80, 25}).Cancel());
  return s;
}

// The control id the toolkit gives a control: its place in the form's tab order.
int IdOf(const FormSpec& spec, const std::string& name) {
  for (std::size_t i = 0; i < spec.controls.size(); ++i)
    if (spec.controls[i].name == name) return 1000 + static_cast<int>(i);
  return -1;
}

int RunDemo() {
  Win32Toolkit tk;
  velmaro::platform::Win32Files files;
  velmaro::platform::Win32Drives drives;
  DiskFolders folders(files, drives);
  Form main(MainSpec());
  main.Get<DriveChooser>("Drive1").Bind(folders);
  main.Get<FolderTree>("Dir1").Bind(folders);
  Form options(OptionsSpec());
  int ticks = 0;
  int nodeClicks = 0;
  auto status = [&](const std::string& text) { main.Get<Label>("Status").SetCaption(text); };

  main.On(Event::Load, [&](EventArgs&) {
    main.Get<CheckBox>("Check1").SetValue(2);
    auto& tree = main.Get<TreeView>("Tr");
    TreeNode& root = tree.Add("Velmaro");
    tree.AddChild(root, "Windows");
    tree.AddChild(root, "Mouse");
    tree.Select(&root);
    main.Get<DropDownList>("Combo1").SetListIndex(0);
  });
  main.On(Event::QueryUnload, [&](EventArgs& a) {
    if (a.reason == UnloadReason::Code) return;
    a.cancel = tk.MsgBox("Do you really want to quit the demo?", "Confirmation",
                         mb::YesNo | mb::IconQuestion | mb::DefButton2) == IdNo;
  });
  main.On(Event::Click, "Check1", [&](EventArgs&) {
    status("Check: " + std::to_string(main.Get<CheckBox>("Check1").Value()));
  });
  main.On(Event::Change, "Text1", [&](EventArgs&) {
    const std::string& text = main.Get<TextBox>("Text1").Text();
    if (text == "throw") throw std::runtime_error("asked to fail");
    status("Text: " + text);
  });
  main.OnClick("Right1", [&] { status("Option: Right"); });
  main.OnClick("Left1", [&] { status("Option: Left"); });
  main.OnClick("Combo1", [&] { status("List: " + main.Get<DropDownList>("Combo1").Text()); });
  main.On(Event::Change, "Slide", [&](EventArgs&) {
    const int v = main.Get<Slider>("Slide").Value();
    status("Slider: " + std::to_string(v));
    main.Get<ProgressBar>("Bar").SetValue(v * 20);
  });
  main.On(Event::NodeClick, "Tr", [&](EventArgs& a) {
    status("Node: " + a.node->Text() + " (" + std::to_string(a.node->Index()) + ")");
    main.Get<Label>("NodeClicks").SetCaption(std::to_string(++nodeClicks));
  });
  main.On(Event::Expand, "Tr", [&](EventArgs& a) { status("Expand: " + a.node->Text()); });
  main.On(Event::Collapse, "Tr", [&](EventArgs& a) { status("Collapse: " + a.node->Text()); });
  main.On(Event::Timer, "Timer1", [&](EventArgs&) {
    main.Get<Label>("Ticks").SetCaption("Ticks: " + std::to_string(++ticks));
  });
  main.On(Event::Change, "Dir1", [&](EventArgs&) {
    status("Folder: " + main.Get<FolderTree>("Dir1").Path());
  });
  main.On(Event::Change, "Drive1", [&](EventArgs&) {
    try {
      main.Get<FolderTree>("Dir1").SetPath(main.Get<DriveChooser>("Drive1").Drive());
    } catch (const ControlError& e) {
      status("Drive error " + std::to_string(e.Number()));
    }
  });
  main.OnClick("Command3", [&] { tk.EnterWhatsThisMode(main); });
  main.OnClick("Options", [&] {
    tk.ShowModal(options);
    status("Options closed");
  });
  main.OnClick("Hello", [&] {
    main.SetMousePointer(MousePointer::Hourglass);
    main.SetMousePointer(MousePointer::Default);
    if (tk.MsgBox("Hello from the demo. Quit now?", "Demo", mb::YesNo | mb::IconQuestion) == IdYes)
      tk.Unload(main);
  });
  main.OnClick("Close", [&] { tk.Unload(main); });
  main.SetHelpProvider([](const Control& c) {
    if (c.Name() == "Hello") return std::string(kHelloHelp);
    if (c.Name() == "Check1") return std::string("A box with a grayed third state.");
    return std::string();
  });
  options.OnClick("OK", [&] { tk.Unload(options); });
  options.OnClick("Cancel", [&] { tk.Unload(options); });

  tk.Show(main);
  tk.Run();
  // The driver makes one handler fail on purpose; any other failure is a fault.
  if (tk.LastHandlerError().empty()) return 0;
  return tk.LastHandlerError() == "asked to fail" ? 2 : 3;
}

// ---- The driver ----

using velmaro::e2e::RemoteTree;
using velmaro::e2e::TextOf;
using velmaro::e2e::VisibleWindow;
using velmaro::e2e::WaitFor;

struct Driver {
  PROCESS_INFORMATION pi{};
  HWND main = nullptr;
  FormSpec spec = MainSpec();
  int failures = 0;

  HWND Item(const char* name) { return GetDlgItem(main, IdOf(spec, name)); }
  std::string Status() { return TextOf(Item("Status")); }

  bool Check(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    std::fflush(stdout);
    if (!ok) ++failures;
    return ok;
  }
  bool StatusBecomes(const std::string& want) {
    return WaitFor([&] { return Status() == want; });
  }
  bool Answer(const char* title, int button) { return velmaro::e2e::AnswerBox(title, button); }
  void Key(HWND h, WPARAM vk) { velmaro::e2e::Key(h, vk); }
  // NodeClick is raised this many times in all, and not once more.
  bool NodeClicksBecome(int n) {
    const std::string want = std::to_string(n);
    const bool reached = WaitFor([&] { return TextOf(Item("NodeClicks")) == want; });
    Sleep(300);
    return reached && TextOf(Item("NodeClicks")) == want;
  }

  int Run() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string cmd = std::string("\"") + self + "\" --demo";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    velmaro::e2e::RemoveTree(kFolders);
    CreateDirectoryA(kFolders, nullptr);
    CreateDirectoryA((std::string(kFolders) + "\\Alpha").c_str(), nullptr);
    CreateDirectoryA((std::string(kFolders) + "\\Beta").c_str(), nullptr);
    if (!CreateProcessA(self, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, kFolders, &si, &pi)) {
      std::printf("FAIL cannot start the demo\n");
      return 1;
    }
    const bool started = WaitFor(
        [&] {
          main = VisibleWindow("VelmaroForm", kMainCaption);
          return main && GetDlgItem(main, IdOf(spec, "Close"));
        },
        15000);
    if (Check(started, "the demo's window appears with its controls"))
      Steps();
    else
      Diagnose();
    DWORD code = 1;
    const bool exited = WaitForSingleObject(pi.hProcess, failures ? 0 : 5000) == WAIT_OBJECT_0;
    if (exited) GetExitCodeProcess(pi.hProcess, &code);
    Check(exited && code == 2, "the demo ended by itself; only the failure asked for was caught");
    if (!exited) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    velmaro::e2e::RemoveTree(kFolders);
    std::printf("%d failure(s)\n", failures);
    return failures ? 1 : 0;
  }

  // What there is instead of the demo's window.
  void Diagnose() {
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    std::printf("     the demo %s\n", code == STILL_ACTIVE ? "is running" : "has exited");
    EnumWindows(
        [](HWND h, LPARAM) -> BOOL {
          char cls[64] = {}, title[128] = {};
          GetClassNameA(h, cls, sizeof cls);
          GetWindowTextA(h, title, sizeof title);
          std::printf("     window %s \"%s\"%s\n", cls, title, IsWindowVisible(h) ? " visible" : "");
          return TRUE;
        },
        0);
  }

  void Steps() {
    RECT r;
    GetClientRect(main, &r);
    const int dpi = velmaro::e2e::ScreenDpi();
    Check(r.right == MulDiv(440, dpi, 96) && r.bottom == MulDiv(420, dpi, 96),
          "the client area has the described size, scaled to the display's DPI");
    Check(SendMessageA(Item("Check1"), BM_GETCHECK, 0, 0) == BST_INDETERMINATE,
          "a value of 2 set at load shows a grayed box");
    Check(StatusBecomes("List: Shortcut icon"), "events raised by the load reached their handlers");

    PostMessageA(Item("Check1"), BM_CLICK, 0, 0);
    Check(StatusBecomes("Check: 0") && SendMessageA(Item("Check1"), BM_GETCHECK, 0, 0) == BST_UNCHECKED,
          "a click on the grayed box clears it and raises Click");

    SendMessageA(Item("Text1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
    Check(StatusBecomes("Text: typed"), "typing in the text box raises Change");
    SendMessageA(Item("Text1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("throw"));
    SendMessageA(Item("Text1"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed again"));
    Check(StatusBecomes("Text: typed again"), "a handler that throws leaves the program running");

    PostMessageA(Item("Left1"), BM_CLICK, 0, 0);
    Check(StatusBecomes("Option: Left") && SendMessageA(Item("Right1"), BM_GETCHECK, 0, 0) == BST_UNCHECKED,
          "choosing an option clears the other");

    Key(Item("Combo1"), VK_DOWN);
    Check(StatusBecomes("List: My Computer icon"), "the list's next entry raises Click");

    Key(Item("Slide"), VK_RIGHT);
    Check(StatusBecomes("Slider: 3"), "the slider's move raises Change");
    Check(WaitFor([&] { return SendMessageA(Item("Bar"), PBM_GETPOS, 0, 0) == 60; }),
          "the handler's progress value reaches the bar");

    HWND tree = Item("Tr");
    Check(SendMessageA(tree, TVM_GETCOUNT, 0, 0) == 3, "the tree holds the nodes added at load");
    Key(tree, VK_RIGHT);
    Check(StatusBecomes("Expand: Velmaro"), "expanding a node raises Expand");
    Key(tree, VK_DOWN);
    Check(StatusBecomes("Node: Windows (2)") && NodeClicksBecome(1),
          "choosing a node by key raises NodeClick once, with its index");
    RemoteTree nodes(tree, pi.hProcess);
    HTREEITEM mouse = nodes.Next(nodes.Next(nodes.Root(), TVGN_CHILD), TVGN_NEXT);
    Check(nodes.Click(mouse) && StatusBecomes("Node: Mouse (3)") && NodeClicksBecome(2),
          "a click on another node raises NodeClick once");
    Check(nodes.Click(mouse) && NodeClicksBecome(3) && Status() == "Node: Mouse (3)",
          "a click on the selected node raises NodeClick once too");
    Key(tree, VK_UP);
    Check(StatusBecomes("Node: Windows (2)") && NodeClicksBecome(4),
          "a key that moves the selection raises it once");

    Folders();

    PostMessageA(Item("Command3"), BM_CLICK, 0, 0);
    Sleep(200);
    RECT hello;
    GetWindowRect(Item("Hello"), &hello);
    POINT pt{(hello.left + hello.right) / 2, (hello.top + hello.bottom) / 2};
    ScreenToClient(main, &pt);
    PostMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    HWND popup = nullptr;
    Check(WaitFor([&] { return (popup = VisibleWindow("VelmaroHelpPopup", nullptr)) != nullptr; }) &&
              TextOf(popup) == kHelloHelp,
          "What's This shows the button's help text");
    Sleep(200);
    Check(!VisibleWindow("#32770", "Demo"), "... instead of running the button's handler");
    if (popup) Key(popup, VK_ESCAPE);
    Check(WaitFor([&] { return !VisibleWindow("VelmaroHelpPopup", nullptr); }), "a key closes the help popup");

    PostMessageA(Item("Options"), BM_CLICK, 0, 0);
    HWND dialog = nullptr;
    Check(WaitFor([&] { return (dialog = VisibleWindow("VelmaroForm", kOptionsCaption)) != nullptr; }),
          "the modal form opens");
    Check(!IsWindowEnabled(main), "the main window takes no input while it is open");
    if (dialog) Key(GetDlgItem(dialog, 1000), VK_ESCAPE);
    Check(StatusBecomes("Options closed") && !VisibleWindow("VelmaroForm", kOptionsCaption) && IsWindowEnabled(main),
          "Esc presses its Cancel button; the modal show returns and the main window is usable");

    PostMessageA(main, WM_CLOSE, 0, 0);
    Check(Answer("Confirmation", IDNO), "the close box asks through QueryUnload");
    Sleep(200);
    Check(VisibleWindow("VelmaroForm", kMainCaption) != nullptr, "answering No keeps the window");

    // The system asks before it ends the session; the answer comes back only
    // after the box, so it is asked from another thread.
    DWORD_PTR agreed = 1;
    std::thread ask([&] {
      SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &agreed);
    });
    const bool asked = Answer("Confirmation", IDNO);
    ask.join();
    Check(asked && agreed == FALSE, "the end of the session asks too, and No refuses it");

    Check(WaitFor([&] { return TextOf(Item("Ticks")) != "Ticks: 0" && TextOf(Item("Ticks")) != "Ticks: 1"; }),
          "the timer ticks");

    Key(Item("Text1"), VK_RETURN);
    Check(Answer("Demo", IDYES), "Enter presses the default button, whose handler asks");
  }

  // The folder tree shows the way down to the demo's folder and the folders
  // inside; choosing one by the pointer or a key opens it; one removed
  // meanwhile is dropped, not entered; the drive chooser moves the tree.
  void Folders() {
    HWND dir = Item("Dir1");
    RemoteTree tree(dir, pi.hProcess);
    auto count = [&] { return SendMessageA(dir, TVM_GETCOUNT, 0, 0); };
    HTREEITEM demo = tree.Next(tree.Root(), TVGN_CHILD);
    HTREEITEM alpha = tree.Next(demo, TVGN_CHILD);
    Check(count() == 4 && tree.Text(tree.Root()) == "C:\\" && tree.Text(demo) == "VelmaroTreeDemo" &&
              tree.Text(alpha) == "Alpha" && tree.Text(tree.Next(alpha, TVGN_NEXT)) == "Beta",
          "the folder tree shows C:\\, the demo's folder and the two inside it");
    Check(tree.Click(alpha) && StatusBecomes("Folder: C:\\VelmaroTreeDemo\\Alpha") &&
              WaitFor([&] { return count() == 3; }),
          "a click opens a folder and raises Change");
    Key(dir, VK_UP);
    Check(StatusBecomes("Folder: C:\\VelmaroTreeDemo") && WaitFor([&] { return count() == 4; }),
          "a key that moves up opens the folder above");
    RemoveDirectoryA((std::string(kFolders) + "\\Beta").c_str());
    HTREEITEM beta = tree.Next(tree.Next(tree.Next(tree.Root(), TVGN_CHILD), TVGN_CHILD), TVGN_NEXT);
    Check(tree.Click(beta) && WaitFor([&] { return count() == 3; }) &&
              Status() == "Folder: C:\\VelmaroTreeDemo",
          "a folder removed meanwhile is dropped from the tree, without Change");

    HWND drive = Item("Drive1");
    const auto drives = SendMessageA(drive, CB_GETCOUNT, 0, 0);
    const auto at = SendMessageA(drive, CB_GETCURSEL, 0, 0);
    // Another process's list answers in UTF-16.
    auto entry = [&](LRESULT i) {
      wchar_t text[64] = {};
      SendMessageW(drive, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      return std::wstring(text);
    };
    Check(drives >= 2 && entry(at).rfind(L"c:", 0) == 0, "the drive chooser lists the drives, on c:");
    if (at + 1 < drives) {
      Key(drive, VK_DOWN);
      const std::string root = std::string(1, static_cast<char>(std::toupper(entry(at + 1)[0]))) + ":\\";
      Check(WaitFor([&] { return Status().rfind("Folder: " + root, 0) == 0; }),
            "choosing another drive moves the tree to it through Change");
      Key(drive, VK_UP);
      Check(StatusBecomes("Folder: C:\\VelmaroTreeDemo"), "and back to c:, to its current folder");
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  velmaro::e2e::SeeRealPixels();  // the demo as Velmaro.exe's manifest declares it
  if (argc > 1 && std::string(argv[1]) == "--demo") return RunDemo();
  Driver driver;
  return driver.Run();
}
