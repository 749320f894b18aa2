#pragma once
// Stand-ins for the registry and the files that pass every call through,
// except while capturing: then a change is not made but noted (the registry's
// as the REGEDIT4 entries that would make it) and reported as done. Running a
// panel's apply while capturing tells what it would write: the settings it
// shows, to export.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/forwarding.h"
#include "system_access/key_paths.h"
#include "system_access/reg_file.h"

namespace velmaro {

class CapturingRegistry final : public KeyTrackingRegistry {
public:
  explicit CapturingRegistry(platform::Registry& real) : KeyTrackingRegistry(real) {}
  void StartCapture();
  // The changes noted since StartCapture, in order; calls go through again.
  std::vector<regfile::Key> StopCapture();
  bool Capturing() const { return capturing_; }
  // The changes `run` would make, noted without making them; a capture
  // already going on carries on afterwards as it was.
  std::vector<regfile::Key> DryRun(const std::function<void()>& run);

  long CreateKey(platform::HKey root, std::string_view path, platform::HKey& out) override;
  long QueryValue(platform::HKey key, std::string_view name, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* size) override;
  long SetValue(platform::HKey key, std::string_view name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override;
  long SetValueExact(platform::HKey key, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override;
  long DeleteKey(platform::HKey root, std::string_view path) override;
  long DeleteValue(platform::HKey key, std::string_view name) override;
  long EnumKey(platform::HKey key, std::uint32_t index, std::string& name,
               std::uint32_t capacity) override;
  long EnumValue(platform::HKey key, std::uint32_t index, std::string& name,
                 std::uint32_t nameCapacity, std::uint32_t* type,
                 std::uint32_t dataCapacity) override;
  long EnumValueData(platform::HKey key, std::uint32_t index, std::string& name,
                     std::uint32_t nameCapacity, std::uint32_t* type, std::uint32_t dataCapacity,
                     std::string& data) override {
    return IsOwn(key) ? platform::ErrorNoMoreItems
                      : real_.EnumValueData(key, index, name, nameCapacity, type, dataCapacity, data);
  }

private:
  // Keys "created" while capturing that the system does not have: handles of
  // our own, from a range the system never gives.
  bool IsOwn(platform::HKey key) const { return key >= kOwnFirst && key < kOwnFirst + 0x10000; }
  bool Reachable(platform::HKey key) const override { return !IsOwn(key); }
  static constexpr platform::HKey kOwnFirst = 0x7FFF0000u;
  void Note(platform::HKey key, std::string_view name, std::optional<regfile::Data> data);

  bool capturing_ = false;
  platform::HKey nextOwn_ = kOwnFirst;
  std::vector<regfile::Key> noted_;
};

class CapturingFiles final : public platform::ForwardingFiles {
public:
  explicit CapturingFiles(platform::FileSystem& real) : platform::ForwardingFiles(real) {}
  void StartCapture() { capturing_ = true; }
  void StopCapture() { capturing_ = false; }

  long SetAttributes(std::string_view path, std::uint32_t attributes) override {
    return capturing_ ? platform::ErrorSuccess : real_.SetAttributes(path, attributes);
  }
  long WriteWholeFile(std::string_view path, std::string_view bytes) override {
    return capturing_ ? platform::ErrorSuccess : real_.WriteWholeFile(path, bytes);
  }
  long Move(std::string_view from, std::string_view to, std::uint32_t flags) override {
    return capturing_ ? platform::ErrorSuccess : real_.Move(from, to, flags);
  }
  long Delete(std::string_view path) override {
    return capturing_ ? platform::ErrorSuccess : real_.Delete(path);
  }
  long Copy(std::string_view from, std::string_view to, bool failIfExists) override {
    return capturing_ ? platform::ErrorSuccess : real_.Copy(from, to, failIfExists);
  }
  long CreateDir(std::string_view path) override {
    return capturing_ ? platform::ErrorSuccess : real_.CreateDir(path);
  }
  long RemoveDir(std::string_view path) override {
    return capturing_ ? platform::ErrorSuccess : real_.RemoveDir(path);
  }

private:
  bool capturing_ = false;
};

// The mouse settings: while capturing, nothing changes; what the saving calls
// would keep is noted.
class CapturingMouse final : public platform::ForwardingMouse {
public:
  explicit CapturingMouse(platform::Mouse& real) : platform::ForwardingMouse(real) {}
  void StartCapture() {
    capturing_ = true;
    savedTime.reset();
    savedSwap.reset();
  }
  void StopCapture() { capturing_ = false; }
  std::optional<unsigned> savedTime;
  std::optional<bool> savedSwap;

  bool SetDoubleClickTime(unsigned ms) override {
    return capturing_ || real_.SetDoubleClickTime(ms);
  }
  void SwapButtons(bool swap) override {
    if (!capturing_) real_.SwapButtons(swap);
  }
  bool SaveDoubleClickTime(unsigned ms) override {
    if (!capturing_) return real_.SaveDoubleClickTime(ms);
    savedTime = ms;
    return true;
  }
  bool SaveButtonsSwapped(bool swap) override {
    if (!capturing_) return real_.SaveButtonsSwapped(swap);
    savedSwap = swap;
    return true;
  }

private:
  bool capturing_ = false;
};

}  // namespace velmaro
