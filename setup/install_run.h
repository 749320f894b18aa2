#pragma once
// The installation run, step by step: the distribution folder checked
// against what Setup.exe carries about it, the files in the way surveyed
// before anything changes, then copy, link, register and log. The wizard
// shows each step on page 5; the silent mode runs the same steps without a
// window.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "setup/install_log.h"
#include "setup/installation.h"
#include "setup/setup_system.h"

namespace velmaro::setup {

class InstallRun {
public:
  explicit InstallRun(SetupSystem& system) : system_(system) {}

  // Why the distribution folder cannot be installed from ("Velmaro.003 is
  // missing"), or empty when every payload file is there as built.
  std::string CheckDistribution();

  // The folders chosen (no trailing backslash but at a drive root), and
  // whether Setup made them; an earlier log's word counts too.
  std::string folder;
  std::string shortcuts;
  bool folderMade = false;
  bool shortcutsMade = false;

  // Before any change: reads an earlier log and finds the files in the way.
  void Survey();
  // Installed names that are there and are not Setup's: asked about.
  const std::vector<std::string>& Foreign() const { return foreign_; }
  // The user keeps this file of their own; it is not installed.
  void Keep(std::string_view installedName);
  // Files to be replaced that a running program holds (asked again on Retry).
  std::vector<std::string> InUse();

  // One progress report: the installed name and the bar's value after it.
  using Shown = std::function<void(std::string_view name, int progress)>;
  // Copies every file to a temporary name beside its place, checks it, and
  // moves them into place only when all arrived whole: a copy that fails
  // leaves no partial file and no file replaced.
  bool Copy(const Shown& shown = {});
  bool Link(const Shown& shown = {});
  // The settings, and the entry when Uninstall.exe was installed.
  bool Register();
  // The log beside Uninstall.exe, replaced whole.
  bool WriteLog();
  // Once the new log is written: a reinstall that put the shortcuts in
  // another folder takes away the links the earlier log names there while
  // they are as Setup left them (no log would know of them any more), and
  // that folder when Setup made it and it is left empty.
  void RemoveEarlierLinks();
  // Takes away the folders this run made when nothing was installed.
  void RemoveMadeFolders();
  // Takes away the links and the new files this run made, and then its
  // folders; files it replaced stay replaced.
  void Undo();

  bool Installed(std::string_view installedName) const;
  int LinksMade() const { return static_cast<int>(log_.links.size()); }
  const std::vector<std::string>& Problems() const { return problems_; }
  // Installed names whose copy, and targets whose shortcut, failed.
  const std::vector<std::string>& NotCopied() const { return notCopied_; }
  const std::vector<std::string>& NotLinked() const { return notLinked_; }
  std::string LogPath() const;

private:
  std::string Target(std::string_view installedName) const;
  void Record(std::string value) { log_.values.push_back(std::move(value)); }

  SetupSystem& system_;
  std::optional<install::InstallLog> previous_;
  std::vector<std::string> foreign_;
  std::vector<std::string> kept_;
  std::array<bool, install::Files.size()> existed_{};
  install::InstallLog log_;
  std::vector<std::string> problems_;
  std::vector<std::string> notCopied_;
  std::vector<std::string> notLinked_;
};

}  // namespace velmaro::setup
