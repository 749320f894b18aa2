#include "platform/forms/folder_controls.h"


#include "platform/ascii_case.h"
#include "platform/forms/form.h"
#include "platform/paths.h"

namespace velmaro::forms {
namespace {

using platform::LowerAscii;
using platform::UpperAscii;

}  // namespace

// ---- Drive chooser ----

void DriveChooser::Bind(FolderSource& source) {
  source_ = &source;
  const std::string start = source.StartFolder();
  Fill(start.empty() ? 'C' : UpperAscii(start[0]));
}

void DriveChooser::Fill(char keep) {
  drives_ = source_ ? source_->Drives() : std::vector<DriveEntry>{};
  index_ = -1;
  for (std::size_t i = 0; i < drives_.size(); ++i)
    if (drives_[i].letter == keep) index_ = static_cast<int>(i);
  if (index_ < 0 && !drives_.empty()) index_ = 0;
  Changed(Property::Listing);
}

std::string DriveChooser::EntryText(const DriveEntry& drive) {
  std::string text{LowerAscii(drive.letter), ':'};
  if (!drive.label.empty()) text += " [" + drive.label + "]";
  return text;
}

std::string DriveChooser::Drive() const {
  if (index_ < 0) return {};
  return std::string{LowerAscii(drives_[static_cast<std::size_t>(index_)].letter), ':'};
}

void DriveChooser::SetDrive(std::string_view text) {
  const char letter = text.empty() ? '\0' : UpperAscii(text[0]);
  for (std::size_t i = 0; i < drives_.size(); ++i) {
    if (drives_[i].letter != letter) continue;
    if (index_ == static_cast<int>(i)) return;
    index_ = static_cast<int>(i);
    Changed(Property::Value);
    Raise(Event::Change);
    return;
  }
  throw ControlError(ErrDeviceUnavailable, "Device unavailable");
}

void DriveChooser::ChooseByUser(int listIndex) {
  if (listIndex < 0 || listIndex >= static_cast<int>(drives_.size())) return;
  SetDrive(std::string(1, drives_[static_cast<std::size_t>(listIndex)].letter));
}

void DriveChooser::Refresh() {
  const std::string drive = Drive();
  Fill(drive.empty() ? 'C' : UpperAscii(drive[0]));
}

void DriveChooser::Reset() {
  Control::Reset();
  if (source_) {
    Bind(*source_);
  } else {
    drives_.clear();
    index_ = -1;
  }
}

// ---- Folder tree ----

void FolderTree::Bind(FolderSource& source) {
  source_ = &source;
  path_ = source.StartFolder();
  List();
}

void FolderTree::List() {
  entries_.clear();
  if (!source_ || path_.size() < 3) {
    Changed(Property::Listing);
    return;
  }
  std::string way = path_.substr(0, 3);
  entries_.push_back({way, way, 0, true});
  std::size_t start = 3;
  int level = 0;
  while (start < path_.size()) {
    std::size_t end = path_.find('\\', start);
    if (end == std::string::npos) end = path_.size();
    const std::string name = path_.substr(start, end - start);
    way = platform::JoinPath(way, name);
    entries_.push_back({name, way, ++level, true});
    start = end + 1;
  }
  for (const std::string& name : source_->SubFolders(path_))
    entries_.push_back({name, platform::JoinPath(path_, name), level + 1, false});
  Changed(Property::Listing);
}

void FolderTree::SetPath(std::string_view path) {
  if (!source_) throw FormError("folder tree " + Id() + " has no folders to show");
  MoveTo(source_->Locate(path));
}

void FolderTree::MoveTo(std::string folder) {
  const bool moved = folder != path_;
  path_ = std::move(folder);
  List();
  if (moved) Raise(Event::Change);
}

int FolderTree::CurrentEntry() const {
  for (std::size_t i = entries_.size(); i-- > 0;)
    if (entries_[i].open) return static_cast<int>(i);
  return -1;
}

void FolderTree::Refresh() { List(); }

bool FolderTree::OpenByUser(int entry) {
  if (!source_ || entry < 0 || entry >= static_cast<int>(entries_.size())) return false;
  std::string folder;
  try {
    folder = source_->Locate(entries_[static_cast<std::size_t>(entry)].path);
  } catch (const ControlError&) {
    List();
    return false;
  }
  // Outside the check: what the Change handlers fail with is theirs to report.
  MoveTo(std::move(folder));
  return true;
}

void FolderTree::Reset() {
  Control::Reset();
  if (source_) {
    Bind(*source_);
  } else {
    path_.clear();
    entries_.clear();
  }
}

}  // namespace velmaro::forms
