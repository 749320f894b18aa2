#include "platform/memory/memory_mouse.h"

namespace velmaro::platform {

unsigned MemoryMouse::DoubleClickTime() { return session_.doubleClickTime; }

bool MemoryMouse::SetDoubleClickTime(unsigned ms) {
  calls_.push_back("SetDoubleClickTime " + std::to_string(ms));
  // The system takes 0 as its default.
  session_.doubleClickTime = ms ? ms : 500;
  return true;
}

void MemoryMouse::SwapButtons(bool swap) {
  calls_.push_back(std::string("SwapMouseButton ") + (swap ? "1" : "0"));
  session_.swapped = swap;
}

bool MemoryMouse::ButtonsSwapped() { return session_.swapped; }

bool MemoryMouse::SaveDoubleClickTime(unsigned ms) {
  if (refuseSaving_) return false;
  calls_.push_back("SaveDoubleClickTime " + std::to_string(ms));
  session_.doubleClickTime = kept_.doubleClickTime = ms ? ms : 500;
  return true;
}

bool MemoryMouse::SaveButtonsSwapped(bool swap) {
  if (refuseSaving_) return false;
  calls_.push_back(std::string("SaveButtonsSwapped ") + (swap ? "1" : "0"));
  session_.swapped = kept_.swapped = swap;
  return true;
}

}  // namespace velmaro::platform
