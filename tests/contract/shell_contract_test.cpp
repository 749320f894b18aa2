// The shell and the drives, run against memory natively and against the real
// system under Wine: shell link files written through the ShellLink object
// and read back, the Programs menu folder, opening a program, the drives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "support/contract_platform.h"

namespace velmaro {
namespace {

using namespace platform;

constexpr const char* kBase = "c:\\VelmaroShellContract";
const std::string kTarget = std::string(kBase) + "\\Target App.exe";

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

class ShellContract : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(files_->CreateDir(kBase), ErrorSuccess)
        << kBase << " is left from an earlier run; remove it by hand";
    ASSERT_EQ(files_->WriteWholeFile(kTarget, "MZ"), ErrorSuccess);
  }
  void TearDown() override {
    for (const char* name : {"\\normal.lnk", "\\minimised.lnk", "\\Target App.exe"})
      files_->Delete(std::string(kBase) + name);
    EXPECT_EQ(files_->RemoveDir(kBase), ErrorSuccess) << "a case left something behind";
  }
  HResult Write(const std::string& link, int show) {
    HResult hr = SOk;
    auto object = shell_->NewShellLink(hr);
    if (!object) return hr;
    if (Failed(hr = object->SetPath(kTarget))) return hr;
    if (Failed(hr = object->SetWorkingDirectory(kBase))) return hr;
    if (Failed(hr = object->SetArguments("-a b"))) return hr;
    if (Failed(hr = object->SetDescription("ShellLink Sample"))) return hr;
    if (Failed(hr = object->SetIconLocation(kTarget, 0))) return hr;
    if (Failed(hr = object->SetShowCmd(show))) return hr;
    if (Failed(hr = object->Resolve(SlrUpdate))) return hr;
    return object->Save(link);
  }

  std::unique_ptr<FileSystem> files_ = testing::MakeContractFiles();
  std::unique_ptr<Shell> shell_ = testing::MakeContractShell(*files_);
};

TEST_F(ShellContract, ALinkWrittenThroughTheObjectReadsBack) {
  const std::string link = std::string(kBase) + "\\normal.lnk";
  ASSERT_FALSE(Failed(Write(link, SwShowNormal)));
  ASSERT_TRUE(files_->IsFile(link));
  ShellLinkData data;
  ASSERT_EQ(shell_->ReadShellLink(link, data), SOk);
  EXPECT_EQ(Lower(data.path), Lower(kTarget));
  EXPECT_EQ(data.description, "ShellLink Sample");
  EXPECT_EQ(data.arguments, "-a b");
  EXPECT_EQ(Lower(data.workingDirectory), Lower(kBase));
  EXPECT_EQ(Lower(data.iconFile), Lower(kTarget));
  EXPECT_EQ(data.iconIndex, 0);
  EXPECT_EQ(data.showCmd, SwShowNormal);

  const std::string minimised = std::string(kBase) + "\\minimised.lnk";
  ASSERT_FALSE(Failed(Write(minimised, 7)));
  ASSERT_EQ(shell_->ReadShellLink(minimised, data), SOk);
  EXPECT_EQ(data.showCmd, 7);
}

TEST_F(ShellContract, ALinkCannotBeSavedIntoAMissingFolderNorReadFromAnotherFile) {
  const std::string link = std::string(kBase) + "\\missing\\normal.lnk";
  EXPECT_TRUE(Failed(Write(link, SwShowNormal)));
  EXPECT_FALSE(files_->Exists(link));
  ShellLinkData data;
  EXPECT_TRUE(Failed(shell_->ReadShellLink(kTarget, data))) << "not a link";
  EXPECT_TRUE(Failed(shell_->ReadShellLink(std::string(kBase) + "\\none.lnk", data)));
}

TEST_F(ShellContract, TheProgramsMenuFolderIsAFolderOfTheCurrentUser) {
  std::string programs;
  ASSERT_EQ(shell_->ProgramsFolder(programs, true), ErrorSuccess);
  EXPECT_FALSE(NormalPath(programs).empty()) << programs;
  EXPECT_TRUE(files_->IsDirectory(programs)) << programs;
  std::string again;
  ASSERT_EQ(shell_->ProgramsFolder(again, false), ErrorSuccess);
  EXPECT_EQ(again, programs);
}

TEST_F(ShellContract, OpeningAProgramStartsIt) {
  std::string self;
  ASSERT_EQ(files_->ModulePath(self), ErrorSuccess);
  // This very program, told to run no test.
  EXPECT_GT(shell_->Execute("open", self, "--gtest_filter=-*", "", SwHide), 32);
}

TEST(DrivesContract, DriveCIsThereWithItsFolders) {
  const auto drives = testing::MakeContractDrives();
  std::vector<std::string> roots;
  ASSERT_EQ(drives->DriveRoots(roots), ErrorSuccess);
  EXPECT_NE(std::find(roots.begin(), roots.end(), "C:\\"), roots.end());
  EXPECT_TRUE(std::is_sorted(roots.begin(), roots.end()));
  std::string label;
  EXPECT_EQ(drives->DriveReady("C:\\"), ErrorSuccess);
  EXPECT_EQ(drives->VolumeLabel("C:\\", label), ErrorSuccess);
  EXPECT_EQ(drives->DriveReady("C:"), ErrorInvalidDrive);
  EXPECT_EQ(drives->VolumeLabel("C:", label), ErrorInvalidDrive);
  char missing = 'Z';
  while (missing > 'C' && std::find(roots.begin(), roots.end(), std::string(1, missing) + ":\\") != roots.end())
    --missing;
  ASSERT_GT(missing, 'C') << "every letter has a drive";
  EXPECT_EQ(drives->DriveReady(std::string(1, missing) + ":\\"), ErrorInvalidDrive);
  EXPECT_EQ(drives->VolumeLabel(std::string(1, missing) + ":\\", label), ErrorInvalidDrive);

  const auto files = testing::MakeContractFiles();
  std::string folder;
  ASSERT_EQ(drives->DriveFolder('c', folder), ErrorSuccess);
  EXPECT_EQ(Lower(folder).rfind("c:\\", 0), 0u) << folder;
  EXPECT_TRUE(folder.size() == 3 || folder.back() != '\\') << folder;
  EXPECT_TRUE(files->IsDirectory(folder)) << folder;
  ASSERT_EQ(drives->CurrentDirectory(folder), ErrorSuccess);
  EXPECT_FALSE(NormalPath(folder).empty()) << folder;
}

}  // namespace
}  // namespace velmaro
