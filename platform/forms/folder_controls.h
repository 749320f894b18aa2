#pragma once
// The drive chooser and the folder tree: what they show comes from a
// FolderSource that the program binds them to; their state and events live
// here, so that both toolkits behave alike.
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/controls.h"
#include "platform/forms/folders.h"

namespace velmaro::forms {

class DriveChooser : public Control {
public:
  using Control::Control;
  // Lists the drives and takes the one the source's start folder is on,
  // without Change.
  void Bind(FolderSource& source);
  const std::vector<DriveEntry>& Drives() const { return drives_; }
  // The entry as the list shows it: "c: [SYSTEM]", or "a:" without a label.
  static std::string EntryText(const DriveEntry& drive);
  int ListIndex() const { return index_; }
  // The chosen drive as a folder tree takes it: "c:"; empty before Bind.
  std::string Drive() const;
  // Chooses the drive a text begins with ("d:", "C:\Velmaro") and raises
  // Change when that is another drive. A letter the list does not hold
  // fails with ErrDeviceUnavailable; whether a disk is in is not asked.
  void SetDrive(std::string_view text);
  // A user's choice from the list, by its position.
  void ChooseByUser(int listIndex);
  // Reads the drives again, keeping the chosen one while it is there.
  void Refresh();
  void Reset() override;

private:
  void Fill(char keep);
  FolderSource* source_ = nullptr;
  std::vector<DriveEntry> drives_;
  int index_ = -1;
};

class FolderTree : public Control {
public:
  using Control::Control;
  struct Entry {
    std::string name;  // "C:\" for a root
    std::string path;
    int level = 0;
    bool open = false;  // on the way to the current folder, or the current folder itself
    friend bool operator==(const Entry&, const Entry&) = default;
  };
  // Starts in the source's start folder, without Change.
  void Bind(FolderSource& source);
  // The current folder as the source spells it ("C:\", "C:\Program Files").
  const std::string& Path() const { return path_; }
  // Moves to a folder, or with a bare drive ("d:") to that drive's current
  // folder, and raises Change when the folder changes. Throws ControlError
  // (see FolderSource::Locate) and then stays where it was.
  void SetPath(std::string_view path);
  // Every folder on the way down from the root, then the folders inside the
  // current one.
  const std::vector<Entry>& Entries() const { return entries_; }
  int CurrentEntry() const;
  // Lists the current folder's contents again.
  void Refresh();
  // A user opens a shown folder. One that has gone meanwhile is not entered:
  // the list is read again instead, and the result is false.
  bool OpenByUser(int entry);
  void Reset() override;

private:
  void List();
  void MoveTo(std::string folder);
  FolderSource* source_ = nullptr;
  std::string path_;
  std::vector<Entry> entries_;
};

}  // namespace velmaro::forms
