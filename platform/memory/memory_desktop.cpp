#include "platform/memory/memory_desktop.h"

#include "platform/ascii_case.h"

namespace velmaro::platform {

int MemoryDesktop::IconCount(std::string_view file) {
  const auto it = icons_.find(LowerAscii(file));
  return it == icons_.end() ? 0 : it->second;
}

IconPick MemoryDesktop::PickIcon(std::string& file, int& index) {
  requests_.push_back({file, index});
  if (answers_.empty()) return IconPick::Unavailable;
  Answer a = std::move(answers_.front());
  answers_.pop_front();
  if (a.pick == IconPick::Chosen) {
    file = std::move(a.file);
    index = a.index;
  }
  return a.pick;
}

void MemoryDesktop::BroadcastSettingChange() {
  ++broadcasts_;
  if (onBroadcast) onBroadcast();
}

void MemoryDesktop::SetIconCount(std::string_view file, int count) {
  icons_[LowerAscii(file)] = count;
}

void MemoryDesktop::AnswerNextPicker(IconPick answer, std::string file, int index) {
  answers_.push_back({answer, std::move(file), index});
}

}  // namespace velmaro::platform
