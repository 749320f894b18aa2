// The More Explorer tweaks panel: high-colour shell icons, three shell verbs
// (open with Notepad, an MS-DOS prompt in folders, Quick View) and bitmap
// thumbnails as icons. The verb boxes and the thumbnail state are refreshed
// after every category's load.
#include <array>

#include "console/categories.h"
#include "console/switch_tweaks.h"
#include "console/tweaker.h"

namespace velmaro::console {
namespace {

using namespace forms::design;
using platform::HkeyClassesRoot;
using platform::HkeyCurrentUser;

constexpr std::string_view kWindowMetrics = "Control Panel\\Desktop\\WindowMetrics";
constexpr std::string_view kQuickViewShown = "*\\QuickView";
constexpr std::string_view kQuickViewVerb = "*\\shell\\QuickView";

// Shell verbs: the keys whose presence the box shows, and what it writes.
struct Verb {
  std::string_view control;
  std::array<std::string_view, 3> shownBy;  // all must exist (empty: unused)
  std::string_view verbKey;
  std::string_view label;
  std::string_view command;
};
constexpr Verb kNotepad{"NotPad1", {"*\\shell", "*\\shell\\open", "*\\shell\\open\\command"},
                        "*\\shell\\open", "&Open with Notepad", "notepad.exe %1"};
constexpr Verb kPrompt{"CommandPrompt",
                       {"Directory\\shell\\CommandPrompt", "Directory\\shell\\CommandPrompt\\command",
                        ""},
                       "Directory\\shell\\CommandPrompt", "MS-&DOS Prompt here",
                       "command.com /k cd %1"};

void Layout(forms::FormSpec& f, int frame) {
  using namespace grid;
  const auto in = [frame](forms::ControlSpec c) { return InPanel(std::move(c), frame); };
  f.Add(in(CheckBox("Hicolor", "Displaying Hi-Color Icons without the Plus Pack ",
                    {Left, 28, Wide, 20})));
  f.Add(in(Label("Label15", "You need a graphics card capable of displaying above 256 colors.",
                 {Left + 20, 54, Wide - 20, 16})));
  f.Add(in(Label("Label16", "Specify your card type :", {Left + 20, 80, 140, 16})));
  f.Add(in(DropDownList("Card", {"16-Bit Card", "24-Bit Card"}, {Left + 164, 76, 160, 120})));
  f.Add(in(CheckBox("NotPad1",
                    "Use Notpad to open any file by right clicking on it and selecting the option.",
                    {Left, 118, Wide, 20})));
  f.Add(in(CheckBox("CommandPrompt", "Add 'MS-DOS Prompt Here' to every folder",
                    {Left, 118 + Row, Wide, 20})));
  f.Add(in(CheckBox("QuickView",
                    "Add the QuickView Option to All Files       (Quick View must be installed)",
                    {Left, 118 + 2 * Row, Wide, 20})));
  f.Add(in(CheckBox("BmpTh", "Automatically View Thumbnails of Bitmap Files",
                    {Left, 118 + 3 * Row, Wide, 20})));
}

std::string What(const forms::CheckBox& box) { return forms::DisplayText(box.Caption()); }

class MoreExplorer final : public Panel {
public:
  explicit MoreExplorer(Tweaker& main)
      : main_(main),
        sys_(main.System()),
        Hicolor(main.Get<forms::CheckBox>("Hicolor")),
        Card(main.Get<forms::DropDownList>("Card")),
        QuickView(main.Get<forms::CheckBox>("QuickView")),
        BmpTh(main.Get<forms::CheckBox>("BmpTh")),
        verbs_{BoundVerb{kNotepad, main.Get<forms::CheckBox>(kNotepad.control)},
               BoundVerb{kPrompt, main.Get<forms::CheckBox>(kPrompt.control)}},
        hicolorShown_(Hicolor),
        cardShown_(Card),
        quickViewShown_(QuickView) {}

  void Load() override {
    const std::string bpp =
        sys_.reg.GetStringValue(HkeyCurrentUser, kWindowMetrics, "Shell Icon BPP", "50");
    if (bpp != "50") {
      Hicolor.SetValue(1);
      Card.SetListIndex(bpp == "16" ? 0 : 1);
    }
    // A clear box deletes the value; a ticked one writes "16" or "24".
    const bool faithful =
        HoldsOneOf(sys_.reg, HkeyCurrentUser, kWindowMetrics, "Shell Icon BPP",
                   {TextWritten(sys_.reg, "16"), TextWritten(sys_.reg, "24")});
    const auto stored = [this] {
      return StoredState(sys_.reg, HkeyCurrentUser, kWindowMetrics, "Shell Icon BPP");
    };
    hicolorShown_.Note(faithful, stored);
    cardShown_.Note(faithful, stored);

    const std::string cls = sys_.reg.GetStringValue(HkeyClassesRoot, ".bmp", "", "");
    const std::string icon =
        cls.empty() ? std::string()
                    : sys_.reg.GetStringValue(HkeyClassesRoot, cls + "\\DefaultIcon", "", "");
    BmpTh.SetValue(!cls.empty() && icon == "%1" ? 1 : 0);
  }

  // The loader's shared tail.
  void AfterAnyLoad() override {
    main_.BmpThState = BmpTh.Value() == 1;
    for (auto& verb : verbs_) {
      bool all = true;
      for (const auto key : verb.row.shownBy)
        if (!key.empty()) all = all && Exists(key);
      verb.box.SetValue(all ? 1 : 0);
      // A verb key that exists without the rest, or another program's verb
      // under the same key (its own label or command), is not what the box
      // shows: an apply leaves it alone unless the user ticks or clears the box.
      verb.shown.Note(all ? IsOurs(verb.row.verbKey, verb.row.label, verb.row.command)
                          : !Exists(verb.row.verbKey),
                      [this, &row = verb.row] {
                        std::string keys;
                        for (const auto key : row.shownBy)
                          if (!key.empty()) keys += Exists(key) ? '1' : '0';
                        return keys + VerbState(row.verbKey);
                      });
    }
    if (Exists(kQuickViewShown)) QuickView.SetValue(1);
    // A ticked box always applies as ticked, over nothing or our own verb; a
    // clear one leaves a verb that is there alone (the box cannot show it)
    // unless the user clears the box.
    quickViewShown_.Note(QuickView.Value() == 1
                             ? IsOurs(kQuickViewVerb, "&Quick View", QuickViewCommand())
                             : !Exists(kQuickViewVerb),
                         [this] {
                           return (Exists(kQuickViewShown) ? "1" : "0") + VerbState(kQuickViewVerb);
                         });
  }

  // More_Exp.
  void Apply() override {
    SaveReport report;
    ApplyTogether(hicolorShown_, cardShown_, sys_.reg, report, What(Hicolor), [&](SaveReport& r) {
      const bool done =
          Hicolor.Value() == 1
              ? sys_.reg.SaveStringValue(HkeyCurrentUser, kWindowMetrics, "Shell Icon BPP",
                                         Card.Text() == "16-Bit Card" ? "16" : "24")
              : RemoveValue(sys_.reg, HkeyCurrentUser, kWindowMetrics, "Shell Icon BPP");
      r.Check(done, What(Hicolor));
    });
    for (auto& verb : verbs_) {
      verb.shown.Apply(sys_.reg, report, What(verb.box), [&](SaveReport& r) {
        const bool done = verb.box.Value() == 1
                              ? AddVerb(verb.row.verbKey, verb.row.label, verb.row.command)
                              : RemoveKey(sys_.reg, HkeyClassesRoot, verb.row.verbKey);
        r.Check(done, What(verb.box));
      });
    }
    quickViewShown_.Apply(sys_.reg, report, What(QuickView), [&](SaveReport& r) {
      const bool done = QuickView.Value() == 1
                            ? AddVerb(kQuickViewVerb, "&Quick View", QuickViewCommand())
                            : RemoveKey(sys_.reg, HkeyClassesRoot, kQuickViewVerb);
      r.Check(done, What(QuickView));
    });
    ApplyThumbnails(report);
    report.Tell(sys_.toolkit);
  }

private:
  struct BoundVerb {
    BoundVerb(const Verb& v, forms::CheckBox& b) : row(v), box(b), shown(b) {}
    const Verb& row;
    forms::CheckBox& box;
    Shown shown;
  };

  bool Exists(std::string_view key) const { return sys_.reg.KeyExists(HkeyClassesRoot, key); }
  // What a verb holds that the box's apply writes or removes.
  std::string VerbState(std::string_view verbKey) const {
    const std::string commandKey = std::string(verbKey) + "\\command";
    return (Exists(verbKey) ? "1" : "0") + StoredState(sys_.reg, HkeyClassesRoot, verbKey, "") +
           StoredState(sys_.reg, HkeyClassesRoot, commandKey, "");
  }

  std::string QuickViewCommand() const {
    std::string system;
    sys_.files.SystemDirectory(system);
    return system + "\\viewers\\quikview.exe %1";
  }
  // The verb's label and command are what the box writes, or not set at all.
  bool IsOurs(std::string_view verbKey, std::string_view label, std::string_view command) const {
    const std::string commandKey = std::string(verbKey) + "\\command";
    return HoldsOneOf(sys_.reg, HkeyClassesRoot, verbKey, "", {TextWritten(sys_.reg, label)}) &&
           HoldsOneOf(sys_.reg, HkeyClassesRoot, commandKey, "", {TextWritten(sys_.reg, command)});
  }
  bool AddVerb(std::string_view verbKey, std::string_view label, std::string_view command) {
    const std::string commandKey = std::string(verbKey) + "\\command";
    return sys_.reg.CreateKey(HkeyClassesRoot, commandKey) &&
           sys_.reg.SaveStringValue(HkeyClassesRoot, verbKey, "", label) &&
           sys_.reg.SaveStringValue(HkeyClassesRoot, commandKey, "", command);
  }

  void ApplyThumbnails(SaveReport& report) {
    const bool on = BmpTh.Value() == 1;
    if (on == main_.BmpThState) return;
    const std::string cls = sys_.reg.GetStringValue(HkeyClassesRoot, ".bmp", "", "");
    // Without a bitmap class there is no icon to change: writing would land on
    // a key of its own called "\DefaultIcon".
    if (cls.empty()) return;
    const std::string iconKey = cls + "\\DefaultIcon";
    bool done;
    if (on) {
      const std::string old = sys_.reg.GetStringValue(HkeyClassesRoot, iconKey, "", "");
      // "%1" is thumbnails already: saving it would lose the icon to put back.
      // An icon the store cannot keep is not replaced: it could never come back.
      done = (old == "%1" || sys_.store.Write(settings::BmpIcon, old)) &&
             sys_.reg.SaveStringValue(HkeyClassesRoot, iconKey, "", "%1");
    } else {
      done = sys_.reg.SaveStringValue(HkeyClassesRoot, iconKey, "",
                                      sys_.store.Read(settings::BmpIcon, ""));
    }
    // The icon now matches the box: a second apply without a reload must not
    // run this again. After a refusal it still may.
    if (report.Check(done, What(BmpTh))) main_.BmpThState = on;
  }

  Tweaker& main_;
  ConsoleSystem& sys_;
  forms::CheckBox& Hicolor;
  forms::DropDownList& Card;
  forms::CheckBox& QuickView;
  forms::CheckBox& BmpTh;
  std::array<BoundVerb, 2> verbs_;  // NotPad1, CommandPrompt
  Shown hicolorShown_, cardShown_, quickViewShown_;
};

}  // namespace

const PanelKind MoreExplorerPanel{&Layout, &MakePanel<MoreExplorer>};

}  // namespace velmaro::console
