#include "console/save_report.h"

#include <algorithm>

namespace velmaro::console {
namespace {

void AddOnce(std::vector<std::string>& list, std::string_view what) {
  if (std::find(list.begin(), list.end(), what) == list.end()) list.emplace_back(what);
}

void AppendList(std::string& text, std::string_view heading,
                const std::vector<std::string>& list) {
  if (list.empty()) return;
  if (!text.empty()) text += "\n\n";
  text += heading;
  for (const auto& entry : list) text += "\n" + entry;
}

}  // namespace

void SaveReport::CannotHold(std::string_view what) { AddOnce(cannotHold_, what); }

void SaveReport::Refused(std::string_view what) { AddOnce(refused_, what); }

void SaveReport::Spared(std::string_view what) { AddOnce(spared_, what); }

bool SaveReport::Check(bool done, std::string_view what) {
  if (!done) Refused(what);
  return done;
}

bool SaveReport::Check(bool done, const RegExtra& reg, std::string_view what) {
  if (!done && reg.LastChangeCode() == platform::ErrorNoUnicodeTranslation)
    AddOnce(notRecorded_, what);
  else if (!done)
    Refused(what);
  return done;
}

void SaveReport::Tell(forms::Toolkit& toolkit, std::string_view lead) {
  std::string text(lead);
  AppendList(text, NotStorable, cannotHold_);
  AppendList(text, NotSaved, refused_);
  AppendList(text, NotRecorded, notRecorded_);
  // Nothing went wrong when the only news is what was spared.
  const bool trouble = !text.empty();
  AppendList(text, ChangedMeanwhile, spared_);
  cannotHold_.clear();
  refused_.clear();
  notRecorded_.clear();
  spared_.clear();
  if (!text.empty())
    toolkit.MsgBox(text, "Velmaro",
                   forms::mb::Ok | (trouble ? forms::mb::IconExclamation : forms::mb::IconInformation));
}

}  // namespace velmaro::console
