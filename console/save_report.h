#pragma once
// What an apply or an editor button could not save, told to the user in one
// box at the end: texts the ANSI code page cannot hold (nothing was written),
// writes the system refused (a standard user under HKEY_LOCAL_MACHINE, a
// protected key), and settings another program changed after the panel was
// shown, which the apply left as they are. Each setting is named as the user
// knows it.
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/toolkit.h"
#include "system_access/reg_extra.h"

namespace velmaro::console {

class SaveReport {
public:
  void CannotHold(std::string_view what);
  void Refused(std::string_view what);
  void Spared(std::string_view what);
  // Notes `what` as refused unless `done`; gives `done` back.
  bool Check(bool done, std::string_view what);
  // The same for a change made through `reg`, told by why it was not made:
  // refused by the system, or not made because it could not be kept for undo.
  bool Check(bool done, const RegExtra& reg, std::string_view what);
  bool Empty() const {
    return cannotHold_.empty() && refused_.empty() && notRecorded_.empty() && spared_.empty();
  }

  // Shows one box with `lead` (when given) and then the lists, and empties
  // the report; shows nothing when there is nothing to say.
  void Tell(forms::Toolkit& toolkit, std::string_view lead = {});

  static constexpr std::string_view NotStorable =
      "These entries were not saved, because Windows cannot store some of their characters:";
  static constexpr std::string_view NotSaved =
      "These settings were not saved, because Windows refused to change them:";
  static constexpr std::string_view ChangedMeanwhile =
      "Another program changed these settings after this panel was shown, so Velmaro left "
      "them as they are (choose the category again to see them):";
  static constexpr std::string_view NotRecorded =
      "These entries were left as they are, because Velmaro could not keep a copy of them "
      "for Undo:";

private:
  // In the order met, each once.
  std::vector<std::string> cannotHold_, refused_, notRecorded_, spared_;
};

}  // namespace velmaro::console
