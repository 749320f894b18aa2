#include "system_access/undo_recording.h"

namespace velmaro::undo {

using namespace platform;

// A change whose old state cannot be recorded is refused as the system
// refuses text the code page lacks; one whose step cannot be saved, or that
// lies outside the scope, as access denied. Nothing changes that undo could
// not put back.
long Journal::RecordingRegistry::Refused() const { return j_.refusedWith_; }

bool Journal::RecordingRegistry::NoteValue(HKey key, std::string_view name) {
  if (j_.depth_ == 0) return true;
  const auto [r, p] = paths_.Resolve(key);
  return j_.NoteValue(r, p, std::string(name));
}

long Journal::RecordingRegistry::CreateKey(HKey root, std::string_view path, HKey& out) {
  const auto [r, p] = paths_.Resolve(root, path);
  if (j_.depth_ > 0 && !j_.NoteKey(r, p, false)) return Refused();
  return CreateRemembered(root, path, out);
}

long Journal::RecordingRegistry::SetValue(HKey key, std::string_view name, std::uint32_t type,
                                          const std::uint8_t* data, std::uint32_t size) {
  if (!NoteValue(key, name)) return Refused();
  return real_.SetValue(key, name, type, data, size);
}

long Journal::RecordingRegistry::SetValueExact(HKey key, std::string_view name,
                                               std::uint32_t type, const std::uint8_t* data,
                                               std::uint32_t size) {
  if (!NoteValue(key, name)) return Refused();
  return real_.SetValueExact(key, name, type, data, size);
}

long Journal::RecordingRegistry::DeleteKey(HKey root, std::string_view path) {
  const auto [r, p] = paths_.Resolve(root, path);
  if (j_.depth_ > 0 && !j_.NoteKey(r, p, true)) return Refused();
  return real_.DeleteKey(root, path);
}

long Journal::RecordingRegistry::DeleteValue(HKey key, std::string_view name) {
  if (!NoteValue(key, name)) return Refused();
  return real_.DeleteValue(key, name);
}

long Journal::RecordingFiles::SetAttributes(std::string_view path, std::uint32_t attributes) {
  if (!Note(path)) return j_.refusedWith_;
  return real_.SetAttributes(path, attributes);
}

long Journal::RecordingFiles::WriteWholeFile(std::string_view path, std::string_view bytes) {
  if (!Note(path)) return j_.refusedWith_;
  return real_.WriteWholeFile(path, bytes);
}

long Journal::RecordingFiles::Move(std::string_view from, std::string_view to,
                                   std::uint32_t flags) {
  if (!Note(from) || !Note(to)) return j_.refusedWith_;
  return real_.Move(from, to, flags);
}

long Journal::RecordingFiles::Delete(std::string_view path) {
  if (!Note(path)) return j_.refusedWith_;
  return real_.Delete(path);
}

long Journal::RecordingFiles::Copy(std::string_view from, std::string_view to, bool failIfExists) {
  if (!Note(to)) return j_.refusedWith_;
  return real_.Copy(from, to, failIfExists);
}

bool Journal::RecordingMouse::SaveDoubleClickTime(unsigned ms) {
  return j_.NoteMouse() && real_.SaveDoubleClickTime(ms);
}

bool Journal::RecordingMouse::SaveButtonsSwapped(bool swap) {
  return j_.NoteMouse() && real_.SaveButtonsSwapped(swap);
}

}  // namespace velmaro::undo
