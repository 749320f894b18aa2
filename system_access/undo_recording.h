#pragma once
// The journal's recording stand-ins: each passes every call on to the real
// registry, files or mouse, and before a call that changes something has the
// journal note (and save) how the thing was. A call the journal refuses is
// not passed on. A new changing call is one more override here.
#include "platform/forwarding.h"
#include "system_access/key_paths.h"
#include "system_access/undo_journal.h"

namespace velmaro::undo {

class Journal::RecordingRegistry final : public KeyTrackingRegistry {
public:
  RecordingRegistry(Journal& journal, platform::Registry& real)
      : KeyTrackingRegistry(real), j_(journal) {}

  long CreateKey(platform::HKey root, std::string_view path, platform::HKey& out) override;
  long SetValue(platform::HKey key, std::string_view name, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size) override;
  long SetValueExact(platform::HKey key, std::string_view name, std::uint32_t type,
                     const std::uint8_t* data, std::uint32_t size) override;
  long DeleteKey(platform::HKey root, std::string_view path) override;
  long DeleteValue(platform::HKey key, std::string_view name) override;

private:
  // Where the journal refused, the code the caller gets instead.
  long Refused() const;
  bool NoteValue(platform::HKey key, std::string_view name);

  Journal& j_;
};

class Journal::RecordingFiles final : public platform::ForwardingFiles {
public:
  RecordingFiles(Journal& journal, platform::FileSystem& real)
      : platform::ForwardingFiles(real), j_(journal) {}

  long SetAttributes(std::string_view path, std::uint32_t attributes) override;
  long WriteWholeFile(std::string_view path, std::string_view bytes) override;
  long Move(std::string_view from, std::string_view to, std::uint32_t flags) override;
  long Delete(std::string_view path) override;
  long Copy(std::string_view from, std::string_view to, bool failIfExists) override;
  // Folders pass through unrecorded: the console creates and removes none.

private:
  bool Note(std::string_view path) { return j_.depth_ == 0 || j_.NoteFile(path); }

  Journal& j_;
};

class Journal::RecordingMouse final : public platform::ForwardingMouse {
public:
  RecordingMouse(Journal& journal, platform::Mouse& real)
      : platform::ForwardingMouse(real), j_(journal) {}
  // Only what is kept for the next log-on is a change to undo; the test
  // box's trial time passes through.
  bool SaveDoubleClickTime(unsigned ms) override;
  bool SaveButtonsSwapped(bool swap) override;

private:
  Journal& j_;
};

}  // namespace velmaro::undo
