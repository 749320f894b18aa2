#pragma once
// Setup over the in-memory platform: a distribution folder on drive D:, a
// floppy drive without its disk, and the wizard ready to be walked.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_shell.h"
#include "platform/memory/memory_toolkit.h"
#include "setup/wizard.h"

namespace velmaro::testing {

using namespace velmaro::setup;

inline constexpr const char* kDist = "D:\\DIST";
inline constexpr const char* kPrograms = "C:\\WINDOWS\\Start Menu\\Programs";

class SetupTest : public ::testing::Test {
protected:
  void SetUp() override {
    // The memory disk starts as the console's: Setup meets an empty one.
    files.Delete("C:\\Program Files\\Velmaro\\Velmaro.exe");
    files.RemoveDir("C:\\Program Files\\Velmaro");
    files.AddDrive('A', false);
    files.AddDrive('D', true, "CD");
    PutDistribution(kDist, "Setup.exe");
    files.SetCurrentDirectory(kDist);
    Make();
  }
  // The five numbered files beside Setup, each with its own bytes.
  void PutDistribution(const std::string& folder, const std::string& setupName) {
    files.SetModulePath(folder + "\\" + setupName);
    for (int i = 1; i <= 5; ++i) {
      files.PutFile(folder + "\\Velmaro.00" + std::to_string(i), Content(i));
      // What the build writes into Setup.exe.
      files.Digest(folder + "\\Velmaro.00" + std::to_string(i), system.payload[i - 1]);
    }
  }
  static std::string Content(int i) { return "file " + std::to_string(i) + std::string(i * 100, 'x'); }
  void Make() { wizard = std::make_unique<Wizard>(system); }

  Wizard& W() { return *wizard; }
  template <class T = forms::Control>
  T& Get(const std::string& name, int index = forms::kNoIndex) {
    return wizard->Get<T>(name, index);
  }
  std::string Caption(const std::string& name, int index = forms::kNoIndex) {
    return Get<forms::CaptionControl>(name, index).Caption();
  }
  std::string Text(const std::string& name) { return Get<forms::TextBox>(name).Text(); }
  bool Enabled(const std::string& name) { return Get(name).Enabled(); }
  void Next() { tk.Click(W(), "NextStep"); }

  // Walks to a page with the default choices; page 3 installs into `folder`
  // (created when missing) and page 4 makes `shortcuts` under Programs.
  void WalkTo(int page, const std::string& folder = "C:\\Program Files\\Velmaro",
              const std::string& shortcuts = "Velmaro") {
    tk.Show(W());
    while (W().Page() < page) {
      const int from = W().Page();
      if (from == 3) {
        tk.Type(W(), "TextCopy", folder);
        if (!files.IsDirectory(folder)) tk.AnswerNextBox(forms::IdYes);
      }
      if (from == 4) tk.Type(W(), "Text1", shortcuts);
      if (from == 5) RunTimer();
      Next();
      ASSERT_EQ(W().Page(), from + 1) << "stuck on page " << from;
    }
  }
  void RunTimer() { tk.Advance(1250); }

  platform::MemoryRegistry registry;
  platform::MemoryFiles files;
  platform::MemoryShell shell{files};
  forms::MemoryToolkit tk;
  SetupSystem system{tk, registry, files, files, shell};
  std::unique_ptr<Wizard> wizard;
};

}  // namespace velmaro::testing
