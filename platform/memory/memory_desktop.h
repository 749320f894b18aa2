#pragma once
// The shell's side of the icon changer in memory: files with a number of
// icons, a scripted icon picker, and a count of broadcasts. Without a script
// the picker is unavailable, as Wine's is.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop.h"

namespace velmaro::platform {

class MemoryDesktop final : public Desktop {
public:
  int IconCount(std::string_view file) override;
  IconPick PickIcon(std::string& file, int& index) override;
  void BroadcastSettingChange() override;

  // Test aids.
  // The file holds this many icons (paths compare without letter case).
  void SetIconCount(std::string_view file, int count);
  // The next picker gives this answer; for Chosen, with this file and index.
  void AnswerNextPicker(IconPick answer, std::string file = {}, int index = 0);
  struct PickerRequest {
    std::string file;
    int index = 0;
  };
  // What each picker was opened at, scripted or not.
  const std::vector<PickerRequest>& PickerRequests() const { return requests_; }
  int Broadcasts() const { return broadcasts_; }
  // Runs at each broadcast, so that a test can log it beside other calls.
  std::function<void()> onBroadcast;

private:
  struct Answer {
    IconPick pick;
    std::string file;
    int index;
  };
  std::map<std::string, int> icons_;
  std::deque<Answer> answers_;
  std::vector<PickerRequest> requests_;
  int broadcasts_ = 0;
};

}  // namespace velmaro::platform
