#pragma once
// The mouse settings in memory: the session's and the kept ones apart, as on
// the system, so that a test sees what would survive the next log-on.
#include <string>
#include <vector>

#include "platform/mouse.h"

namespace velmaro::platform {

class MemoryMouse final : public Mouse {
public:
  struct Settings {
    unsigned doubleClickTime = 500;  // the system's default
    bool swapped = false;
    friend bool operator==(const Settings&, const Settings&) = default;
  };

  unsigned DoubleClickTime() override;
  bool SetDoubleClickTime(unsigned ms) override;
  void SwapButtons(bool swap) override;
  bool ButtonsSwapped() override;
  bool SaveDoubleClickTime(unsigned ms) override;
  bool SaveButtonsSwapped(bool swap) override;
  unsigned KeptDoubleClickTime() override { return kept_.doubleClickTime; }
  bool KeptButtonsSwapped() override { return kept_.swapped; }

  // Test aids.
  const Settings& Session() const { return session_; }
  const Settings& Kept() const { return kept_; }
  // Both the session's and the kept settings.
  void Reset(Settings settings) { session_ = kept_ = settings; }
  // A new log-on: the session starts from the kept settings.
  void NewSession() { session_ = kept_; }
  // Every later saving call is refused (false, nothing kept or changed).
  void RefuseSaving(bool refuse = true) { refuseSaving_ = refuse; }
  // The calls that changed something, in order: "SetDoubleClickTime 650",
  // "SwapMouseButton 1", "SaveDoubleClickTime 650", "SaveButtonsSwapped 1".
  const std::vector<std::string>& Calls() const { return calls_; }

private:
  Settings session_, kept_;
  bool refuseSaving_ = false;
  std::vector<std::string> calls_;
};

}  // namespace velmaro::platform
