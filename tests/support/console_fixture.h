#pragma once
// The console over memory as a GoogleTest fixture, for the tests of the
// panels, with the registry paths they share.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "console/save_report.h"
#include "console/shell_folders.h"
#include "support/panel_console.h"

namespace velmaro::testing {

constexpr const char* kPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kSystemPolicies = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr const char* kDesktop = "control panel\\desktop";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCdRom = "System\\CurrentControlSet\\Services\\Class\\hdc\\0004";

using forms::CheckBox;
using forms::TextBox;

class CatalogueTest : public ::testing::Test, public ConsoleOnMemory {
protected:
  void SetUp() override { Start(); }
  // Whether an editor offers its Edit and Remove buttons, which go together.
  bool Offered(const char* edit, const char* remove) {
    const bool offered = main.Get(edit).Enabled();
    EXPECT_EQ(offered, main.Get(remove).Enabled());
    return offered;
  }
};

}  // namespace velmaro::testing
