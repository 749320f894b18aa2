// The boot options of the Windows panel: what the panel shows from the
// store, how the boot file's lines are rewritten, and that an apply either
// replaces the file and records the choices or leaves everything as it was.
#include "console/boot_options.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"
#include "support/recording_registry.h"

namespace velmaro::console {
namespace {

using namespace platform;
using ::testing::ElementsAre;

constexpr const char* kBoot = "c:\\msdos.sys";
constexpr const char* kTemp = "C:\\WINDOWS\\msdos.sys";
constexpr std::uint32_t kRhs = FileAttributeReadOnly | FileAttributeHidden | FileAttributeSystem;

// A boot file as Windows 95 writes it, holding 1, 2 and 1.
const std::string kSample =
    "[Paths]\r\n"
    "WinDir=C:\\WINDOWS\r\n"
    "WinBootDir=C:\\WINDOWS\r\n"
    "HostWinBootDrv=C\r\n"
    "\r\n"
    "[Options]\r\n"
    "BootGUI=1\r\n"
    "AutoScan=1\r\n"
    "BootDelay=2\r\n"
    "Logo=1\r\n"
    ";The following lines are required for compatibility with other programs.\r\n"
    ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxa\r\n";

BootOptions Options(int autoScan, int disSpl, int delay) {
  return {autoScan, disSpl, delay};
}

class BootOptionsTest : public ::testing::Test {
protected:
  std::string Content(const std::string& path) {
    std::string bytes;
    EXPECT_EQ(files_.ReadWholeFile(path, bytes, 1 << 24), ErrorSuccess) << path;
    return bytes;
  }
  std::uint32_t Rhs(const std::string& path) { return files_.AttributesOf(path) & kRhs; }
  BootApplyResult Apply(const BootOptions& o) { return ApplyBootOptions(files_, store_, o); }

  // The names of the values written, in order.
  std::vector<std::string> Written() const { return registry_.Writes("SetValue"); }

  MemoryRegistry memory_;
  std::vector<std::string> log_;
  testing::RecordingRegistry registry_{memory_, log_};
  SettingsStore store_{registry_};
  MemoryFiles files_;
};

// ---- Loading the panel -------------------------------------------------

TEST_F(BootOptionsTest, AnEmptyStoreShowsTheFirstRunState) {
  const BootOptions o = LoadBootOptions(store_);
  EXPECT_EQ(o.autoScan, 0);
  EXPECT_EQ(o.disSpl, 0);  // "DisSplach" defaults to 1: splash shown, box clear
  EXPECT_EQ(o.delaySl, 2);
  EXPECT_EQ(BootDelayCaption(o.delaySl), "Boot delay time(in seconds) : 2");
  EXPECT_EQ(BootDelayCaption(5), "Boot delay time(in seconds) : 5");
}

TEST_F(BootOptionsTest, StoredTextsBecomeControlStatesOrTheirDefaults) {
  struct Case {
    const char *autoScan, *disSplach, *bootDelay;
    int wantAutoScan, wantDisSpl, wantDelay;
  };
  const Case cases[] = {
      {"1", "0", "4", 1, 1, 4},
      {"0", "1", "0", 0, 0, 0},
      {"2", "00", " 5 ", 2, 1, 5},  // a stored 2 shows a grayed box
      // Numbers that do not fit: box states fall back to the default,
      // the delay is held to what the slider can show.
      {"3", "7", "9", 0, 0, 5},
      {"-1", "-0", "-3", 0, 1, 0},
      {"99999999999999", "1", "99999999999999", 0, 0, 5},
      // Not numbers at all: the key's default.
      {"yes", "no", "two", 0, 0, 2},
      {"1x", "0x", "4s", 0, 0, 2},
      {"", "", "", 0, 0, 2},
  };
  for (const auto& c : cases) {
    store_.Write(settings::AutoScan, c.autoScan);
    store_.Write(settings::DisSplach, c.disSplach);
    store_.Write(settings::BootDelay, c.bootDelay);
    const BootOptions o = LoadBootOptions(store_);
    EXPECT_EQ(o.autoScan, c.wantAutoScan) << '"' << c.autoScan << '"';
    EXPECT_EQ(o.disSpl, c.wantDisSpl) << '"' << c.disSplach << '"';
    EXPECT_EQ(o.delaySl, c.wantDelay) << '"' << c.bootDelay << '"';
  }
}

// ---- Rewriting the lines -------------------------------------------------

TEST_F(BootOptionsTest, RecognisedLinesAreRewrittenInPlaceAndOthersKept) {
  const std::string expected =
      "[Paths]\r\n"
      "WinDir=C:\\WINDOWS\r\n"
      "WinBootDir=C:\\WINDOWS\r\n"
      "HostWinBootDrv=C\r\n"
      "\r\n"
      "[Options]\r\n"
      "BootGUI=1\r\n"
      "AutoScan=2\r\n"
      "BootDelay=4\r\n"
      "Logo=0\r\n"
      ";The following lines are required for compatibility with other programs.\r\n"
      ";xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxa\r\n";
  EXPECT_EQ(RewriteBootFile(kSample, Options(1, 1, 4)), expected);

  // Clear boxes, and a grayed AutoScan box (not "checked"), write the other values.
  EXPECT_EQ(RewriteBootFile("AutoScan=2\r\nBootDelay=4\r\nLogo=0\r\n", Options(0, 0, 0)),
            "AutoScan=0\r\nBootDelay=0\r\nLogo=1\r\n");
  EXPECT_EQ(RewriteBootFile("AutoScan=1\r\nBootDelay=4\r\nLogo=0\r\n", Options(2, 2, 3)),
            "AutoScan=0\r\nBootDelay=3\r\nLogo=1\r\n");
  // Whatever followed the prefix goes; a key that appears twice is rewritten twice.
  EXPECT_EQ(
      RewriteBootFile("AutoScan==junk\nLogo=\nAutoScan=1\nBootDelay=\nLogo=1", Options(1, 0, 1)),
      "AutoScan=2\r\nLogo=1\r\nAutoScan=2\r\nBootDelay=1\r\nLogo=1\r\n");
  // The delay never leaves the slider's range.
  EXPECT_EQ(RewriteBootFile("BootDelay=2\r\nAutoScan=0\r\nLogo=1\r\n", Options(0, 0, 17)),
            "BootDelay=5\r\nAutoScan=0\r\nLogo=1\r\n");
}

TEST_F(BootOptionsTest, MissingKeysAreAddedOnePerApplyInOrder) {
  const BootOptions o = Options(1, 1, 3);
  std::string file = "[Options]\r\nBootGUI=1\r\n";
  file = RewriteBootFile(file, o);
  EXPECT_EQ(file, "[Options]\r\nBootGUI=1\r\nAutoScan=2\r\n");
  file = RewriteBootFile(file, o);
  EXPECT_EQ(file, "[Options]\r\nBootGUI=1\r\nAutoScan=2\r\nBootDelay=3\r\n");
  file = RewriteBootFile(file, o);
  EXPECT_EQ(file, "[Options]\r\nBootGUI=1\r\nAutoScan=2\r\nBootDelay=3\r\nLogo=0\r\n");
  EXPECT_EQ(RewriteBootFile(file, o), file);
  // A present key is skipped in the order: Logo alone still gains AutoScan first.
  EXPECT_EQ(RewriteBootFile("AutoScan=0\r\nLogo=1\r\n", o),
            "AutoScan=2\r\nLogo=0\r\nBootDelay=3\r\n");
}

TEST_F(BootOptionsTest, PrefixesCountOnlyExactlyAndAtTheStart) {
  const std::string others =
      "autoscan=1\r\n"
      " AutoScan=1\r\n"
      "\tAutoScan=1\r\n"
      "AUTOSCAN=1\r\n"
      "AutoScan 1\r\n"
      "AutoScan\r\n"
      "bootdelay=2\r\n"
      " BootDelay=2\r\n"
      "LOGO=1\r\n"
      ";Logo=1\r\n";
  // Copied unchanged, and not seen: the AutoScan line is appended.
  EXPECT_EQ(RewriteBootFile(others, Options(1, 1, 4)), others + "AutoScan=2\r\n");
}

TEST_F(BootOptionsTest, EveryLineEndBecomesCrLfAndNoLineIsInvented) {
  const BootOptions o = Options(0, 0, 2);
  const std::string tail = "AutoScan=0\r\n";
  EXPECT_EQ(RewriteBootFile("", o), tail);  // an empty file has no lines
  EXPECT_EQ(RewriteBootFile("a\nb\rc\r\nd", o), "a\r\nb\r\nc\r\nd\r\n" + tail);
  EXPECT_EQ(RewriteBootFile("\r\n", o), "\r\n" + tail);
  EXPECT_EQ(RewriteBootFile("\r\r\n\n\n\r", o), "\r\n\r\n\r\n\r\n\r\n" + tail);
  EXPECT_EQ(RewriteBootFile("Logo=1\n\rBootDelay=9", o), "Logo=1\r\n\r\nBootDelay=2\r\n" + tail);
}

TEST_F(BootOptionsTest, OtherLinesKeepEveryByteHoweverOddOrLong) {
  const std::string odd = std::string("nul\0inside", 10) + "\x1a\xff\xe9\x01";
  const std::string notAKey = std::string("\0AutoScan=1", 11);
  const std::string longLine(300000, 'L');
  const std::string file = odd + "\r\n" + notAKey + "\n" + longLine + "\r\nLogo=1";
  EXPECT_EQ(RewriteBootFile(file, Options(1, 1, 1)),
            odd + "\r\n" + notAKey + "\r\n" + longLine + "\r\nLogo=0\r\nAutoScan=2\r\n");
}

// ---- Applying ------------------------------------------------------------

TEST_F(BootOptionsTest, ApplyReplacesTheFileKeepsItsAttributesThenRecordsTheChoices) {
  files_.PutFile(kBoot, kSample, kRhs);
  const auto result = Apply(Options(1, 1, 4));
  ASSERT_TRUE(result.ok()) << static_cast<int>(result.step) << " " << result.error;
  EXPECT_TRUE(result.fileReplaced);
  EXPECT_FALSE(result.fileCreated);
  EXPECT_EQ(Content(kBoot), RewriteBootFile(kSample, Options(1, 1, 4)));
  EXPECT_EQ(Rhs(kBoot), kRhs);
  EXPECT_FALSE(files_.Exists(kTemp));

  EXPECT_THAT(Written(), ElementsAre("Auto Scan", "DisSplach", "Boot Delay"));
  EXPECT_EQ(store_.Read(settings::AutoScan), "1");
  EXPECT_EQ(store_.Read(settings::DisSplach), "0");  // inverted against the box
  EXPECT_EQ(store_.Read(settings::BootDelay), "4");
  const BootOptions shown = LoadBootOptions(store_);
  EXPECT_EQ(shown.autoScan, 1);
  EXPECT_EQ(shown.disSpl, 1);
  EXPECT_EQ(shown.delaySl, 4);

  // Clearing the boxes records "0" and "1".
  ASSERT_TRUE(Apply(Options(0, 0, 0)).ok());
  EXPECT_EQ(store_.Read(settings::AutoScan), "0");
  EXPECT_EQ(store_.Read(settings::DisSplach), "1");
  EXPECT_EQ(store_.Read(settings::BootDelay), "0");
  EXPECT_EQ(Rhs(kBoot), kRhs);
}

TEST_F(BootOptionsTest, ApplyCarriesWhateverAttributesTheOldFileHad) {
  for (const std::uint32_t attributes : {0u, FileAttributeHidden, FileAttributeReadOnly,
                                         FileAttributeSystem | FileAttributeHidden}) {
    files_.PutFile(kBoot, kSample, attributes);
    ASSERT_TRUE(Apply(Options(1, 0, 2)).ok()) << attributes;
    EXPECT_EQ(Rhs(kBoot), attributes);
    EXPECT_EQ(Content(kBoot), RewriteBootFile(kSample, Options(1, 0, 2)));
  }
}

TEST_F(BootOptionsTest, ThreeAppliesCompleteAFileLackingEveryKey) {
  files_.PutFile(kBoot, "[Options]\nBootGUI=1\n", kRhs);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(Apply(Options(0, 1, 5)).ok());
  EXPECT_EQ(Content(kBoot), "[Options]\r\nBootGUI=1\r\nAutoScan=0\r\nBootDelay=5\r\nLogo=0\r\n");
}

TEST_F(BootOptionsTest, EditingTheFileByHandDoesNotChangeWhatThePanelShows) {
  files_.PutFile(kBoot, kSample, kRhs);
  ASSERT_TRUE(Apply(Options(1, 1, 4)).ok());
  files_.PutFile(kBoot, "AutoScan=0\r\nBootDelay=0\r\nLogo=1\r\n", kRhs);
  const BootOptions shown = LoadBootOptions(store_);
  EXPECT_EQ(shown.autoScan, 1);
  EXPECT_EQ(shown.disSpl, 1);
  EXPECT_EQ(shown.delaySl, 4);
}

TEST_F(BootOptionsTest, AMissingBootFileIsCreatedWithTheThreeLines) {
  ASSERT_FALSE(files_.Exists(kBoot));
  const auto result = Apply(Options(1, 1, 3));
  ASSERT_TRUE(result.ok());
  EXPECT_TRUE(result.fileCreated);
  EXPECT_EQ(Content(kBoot), "AutoScan=2\r\nBootDelay=3\r\nLogo=0\r\n");
  EXPECT_EQ(Rhs(kBoot), 0u);
  EXPECT_FALSE(files_.Exists(kTemp));
  EXPECT_EQ(store_.Read(settings::BootDelay), "3");
  // From then on it is an ordinary boot file.
  const auto again = Apply(Options(0, 0, 1));
  ASSERT_TRUE(again.ok());
  EXPECT_FALSE(again.fileCreated);
  EXPECT_EQ(Content(kBoot), "AutoScan=0\r\nBootDelay=1\r\nLogo=1\r\n");
}

TEST_F(BootOptionsTest, ALeftoverTemporaryFileIsClearedFirst) {
  files_.PutFile(kBoot, kSample, kRhs);
  files_.PutFile(kTemp, "half a file from a crash", kRhs);
  ASSERT_TRUE(Apply(Options(1, 1, 4)).ok());
  EXPECT_EQ(Content(kBoot), RewriteBootFile(kSample, Options(1, 1, 4)));
  EXPECT_FALSE(files_.Exists(kTemp));
}

TEST_F(BootOptionsTest, AStoreThatRefusesIsReportedAfterTheFileWasReplaced) {
  files_.PutFile(kBoot, kSample, kRhs);
  memory_.FailNext("SetValue", ErrorAccessDenied);
  const auto result = Apply(Options(1, 1, 4));
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.step, BootStep::SaveSettings);
  EXPECT_TRUE(result.fileReplaced);
  EXPECT_EQ(Content(kBoot), RewriteBootFile(kSample, Options(1, 1, 4)));
  EXPECT_THAT(Written(), ElementsAre("Auto Scan", "DisSplach", "Boot Delay"));
}

// Every way an apply can fail leaves the old file exactly as it was, no
// temporary file, and the store untouched.
struct FailureCase {
  const char* name;
  std::function<void(MemoryFiles&)> arrange;
  BootStep step;
  long error;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class BootApplyFailure : public BootOptionsTest,
                         public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BootApplyFailure, LeavesTheOldFileAndTheStoreAsTheyWere) {
  const FailureCase& c = GetParam();
  files_.PutFile(kBoot, kSample, kRhs);
  store_.Write(settings::AutoScan, "0");
  store_.Write(settings::DisSplach, "1");
  store_.Write(settings::BootDelay, "2");
  log_.clear();
  c.arrange(files_);
  const auto before = files_.AllPaths();

  const auto result = Apply(Options(1, 1, 4));

  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.step, c.step);
  EXPECT_EQ(result.error, c.error);
  EXPECT_FALSE(result.fileReplaced);
  files_.HoldOpen(kBoot, false);
  EXPECT_EQ(Content(kBoot), kSample);
  EXPECT_EQ(Rhs(kBoot), kRhs);
  EXPECT_EQ(files_.AllPaths(), before);  // no temporary file, nothing else either
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(store_.Read(settings::DisSplach), "1");
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, BootApplyFailure,
    ::testing::Values(
        FailureCase{"NoWindowsDirectory",
                    [](MemoryFiles& f) { f.FailNext("WindowsDirectory", ErrorAccessDenied); },
                    BootStep::WindowsDirectory, ErrorAccessDenied},
        FailureCase{"WindowsInTheDriveRoot", [](MemoryFiles& f) { f.SetWindowsDirectory("C:\\"); },
                    BootStep::WindowsDirectory, ErrorInvalidParameter},
        FailureCase{"TargetCannotBeExamined",
                    [](MemoryFiles& f) { f.FailNext("GetAttributes", ErrorAccessDenied, kBoot); },
                    BootStep::ReadTarget, ErrorAccessDenied},
        FailureCase{"TargetCannotBeRead",
                    [](MemoryFiles& f) { f.FailNext("ReadWholeFile", ErrorAccessDenied); },
                    BootStep::ReadTarget, ErrorAccessDenied},
        FailureCase{"TargetHeldOpen", [](MemoryFiles& f) { f.HoldOpen(kBoot); },
                    BootStep::ReadTarget, ErrorSharingViolation},
        FailureCase{"StaleTempHeldOpen",
                    [](MemoryFiles& f) {
                      f.PutFile(kTemp, "stale");
                      f.HoldOpen(kTemp);
                    },
                    BootStep::ClearTemp, ErrorSharingViolation},
        FailureCase{"TempCannotBeCreated",
                    [](MemoryFiles& f) { f.FailNext("WriteWholeFile", ErrorAccessDenied, kTemp); },
                    BootStep::WriteTemp, ErrorAccessDenied},
        FailureCase{"DiskFullHalfwayThroughTheTemp",
                    [](MemoryFiles& f) { f.FailNext("WriteWholeFile.Data", ErrorDiskFull); },
                    BootStep::WriteTemp, ErrorDiskFull},
        FailureCase{"FlushFails",
                    [](MemoryFiles& f) { f.FailNext("WriteWholeFile.Flush", ErrorWriteFault); },
                    BootStep::WriteTemp, ErrorWriteFault},
        FailureCase{"AttributesCannotBeCarried",
                    [](MemoryFiles& f) { f.FailNext("SetAttributes", ErrorAccessDenied, kTemp); },
                    BootStep::CopyAttributes, ErrorAccessDenied},
        FailureCase{"ReadOnlyTargetStaysReadOnly",
                    [](MemoryFiles& f) { f.FailNext("SetAttributes", ErrorAccessDenied, kBoot); },
                    BootStep::Unprotect, ErrorAccessDenied},
        FailureCase{"MoveRefused", [](MemoryFiles& f) { f.FailNext("Move", ErrorAccessDenied); },
                    BootStep::Replace, ErrorAccessDenied}),
    [](const ::testing::TestParamInfo<FailureCase>& p) { return p.param.name; });

TEST_F(BootOptionsTest, ATempThatCouldNotBeRemovedIsClearedByTheNextApply) {
  files_.PutFile(kBoot, kSample, kRhs);
  files_.FailNext("Move", ErrorAccessDenied);
  files_.FailNext("Delete", ErrorAccessDenied, kTemp);
  ASSERT_EQ(Apply(Options(1, 1, 4)).step, BootStep::Replace);
  ASSERT_TRUE(files_.Exists(kTemp));  // the clean-up was refused too
  EXPECT_EQ(Content(kBoot), kSample);
  EXPECT_EQ(Rhs(kBoot), kRhs);

  ASSERT_TRUE(Apply(Options(1, 1, 4)).ok());
  EXPECT_EQ(Content(kBoot), RewriteBootFile(kSample, Options(1, 1, 4)));
  EXPECT_FALSE(files_.Exists(kTemp));
}

TEST_F(BootOptionsTest, BootFilesThatCannotBeRewrittenAreLeftAlone) {
  // Too large to be a boot file.
  const std::string huge(MaxBootFileBytes + 1, 'x');
  files_.PutFile(kBoot, huge, kRhs);
  auto result = Apply(Options(1, 1, 4));
  EXPECT_EQ(result.step, BootStep::ReadTarget);
  EXPECT_EQ(result.error, ErrorFileTooLarge);
  EXPECT_EQ(Content(kBoot), huge);

  // A folder by that name.
  ASSERT_EQ(files_.SetAttributes(kBoot, 0), ErrorSuccess);
  ASSERT_EQ(files_.Delete(kBoot), ErrorSuccess);
  ASSERT_EQ(files_.CreateDir(kBoot), ErrorSuccess);
  result = Apply(Options(1, 1, 4));
  EXPECT_EQ(result.step, BootStep::ReadTarget);
  EXPECT_TRUE(files_.IsDirectory(kBoot));

  // A missing file whose creation fails is not half-created.
  ASSERT_EQ(files_.RemoveDir(kBoot), ErrorSuccess);
  files_.FailNext("Move", ErrorAccessDenied);
  result = Apply(Options(1, 1, 4));
  EXPECT_EQ(result.step, BootStep::Replace);
  EXPECT_FALSE(files_.Exists(kBoot));
  EXPECT_FALSE(files_.Exists(kTemp));
  EXPECT_TRUE(Written().empty());
}

TEST_F(BootOptionsTest, ABootFileAppearingDuringTheApplyIsNotOverwritten) {
  // The file was missing when looked at; the move must not replace one that
  // another program put there meanwhile. Stand-in: it exists at move time.
  files_.FailNext("GetAttributes", ErrorFileNotFound, kBoot);
  files_.PutFile(kBoot, kSample, kRhs);
  const auto result = Apply(Options(1, 1, 4));
  EXPECT_EQ(result.step, BootStep::Replace);
  EXPECT_EQ(result.error, ErrorAlreadyExists);
  EXPECT_EQ(Content(kBoot), kSample);
  EXPECT_FALSE(files_.Exists(kTemp));
}

}  // namespace
}  // namespace velmaro::console

namespace velmaro::console {
namespace {

using namespace platform;

class BootHardeningTest : public ::testing::Test {
protected:
  std::string Read() {
    std::string bytes;
    files.ReadWholeFile("c:\\msdos.sys", bytes, 1 << 24);
    return bytes;
  }
  MemoryRegistry registry;
  SettingsStore store{registry};
  MemoryFiles files;
};

TEST_F(BootHardeningTest, WithNoChoiceStoredTheFileIsShownAndAnUntouchedApplyLeavesItByteForByte) {
  // LF line ends, AutoScan=1 (prompt before scanning: no box state writes it).
  const std::string old = "[Options]\nAutoScan=1\nBootDelay=3\nLogo=0\n";
  files.PutFile("c:\\msdos.sys", old, FileAttributeHidden);
  const BootShown shown = LoadBootShown(store, files, false);
  EXPECT_EQ(shown.options.autoScan, 1);
  EXPECT_EQ(shown.options.delaySl, 3);
  EXPECT_EQ(shown.options.disSpl, 1);
  EXPECT_FALSE(shown.autoScanFaithful);  // "AutoScan=1" is no box state
  EXPECT_TRUE(shown.delayFaithful);
  EXPECT_TRUE(shown.logoFaithful);

  BootOptions untouched = shown.options;
  untouched.keepAutoScan = true;  // the panel keeps what it could not show
  ASSERT_TRUE(ApplyBootOptions(files, store, untouched).ok());
  // Line ends are rewritten: CR LF; the kept line stays "AutoScan=1".
  EXPECT_EQ(Read(), "[Options]\r\nAutoScan=1\r\nBootDelay=3\r\nLogo=0\r\n");
  EXPECT_EQ(store.Read(settings::AutoScan, "none"), "none");  // still the file's
  EXPECT_EQ(store.Read(settings::BootDelay), "3");
  // A second untouched apply finds nothing to change and leaves the file.
  const auto before = files.AllPaths();
  ASSERT_TRUE(ApplyBootOptions(files, store, untouched).ok());
  EXPECT_EQ(Read(), "[Options]\r\nAutoScan=1\r\nBootDelay=3\r\nLogo=0\r\n");
  EXPECT_EQ(files.AllPaths(), before);

  // Damage in the store is no choice either; a stored choice wins over the file.
  registry.SetRawValue(HkeyCurrentUser, "Software\\Velmaro\\Settings", "Auto Scan", RegDword,
                       {1, 0, 0, 0});
  store.Write(settings::DisSplach, "1");
  const BootShown again = LoadBootShown(store, files, false);
  EXPECT_FALSE(again.autoScanFaithful);
  EXPECT_EQ(again.options.disSpl, 0);  // "DisSplach" 1 from the store, not Logo=0
  EXPECT_TRUE(again.logoFaithful);
}

TEST_F(BootHardeningTest, WhatOneApplyWritesTheNextCanReadAndTheLimitIsSaidAtOnce) {
  // A file of exactly the limit holding every key: accepted, and again.
  std::string full = "AutoScan=0\r\nBootDelay=2\r\nLogo=1\r\n";
  full += std::string(MaxBootFileBytes - full.size() - 2, ';') + "\r\n";
  ASSERT_EQ(full.size(), MaxBootFileBytes);
  files.PutFile("c:\\msdos.sys", full);
  EXPECT_TRUE(ApplyBootOptions(files, store, {1, 0, 2}).ok());
  EXPECT_TRUE(ApplyBootOptions(files, store, {0, 1, 3}).ok());
  EXPECT_EQ(Read().size(), MaxBootFileBytes);

  // One that would grow past it once its missing key is added is refused at
  // once, untouched, with the reason said.
  const std::string lacking = std::string(MaxBootFileBytes - 2, ';') + "\r\n";
  files.PutFile("c:\\msdos.sys", lacking);
  const BootApplyResult r = ApplyBootOptions(files, store, {1, 0, 2});
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.error, ErrorFileTooLarge);
  EXPECT_EQ(Read(), lacking);
  EXPECT_NE(BootFailureText(r).find("larger than Velmaro can safely rewrite"), std::string::npos);
}

TEST_F(BootHardeningTest, TheFailureMessageSaysWhy) {
  const std::string old = "AutoScan=0\r\n";
  struct Case {
    std::function<void()> arrange;
    std::string why;
  };
  const Case cases[] = {
      {[&] { files.HoldOpen("c:\\msdos.sys"); }, "Another program is using the file."},
      {[&] {
         files.PutFile("c:\\msdos.sys", old, FileAttributeReadOnly);
         files.FailNext("SetAttributes", ErrorAccessDenied, "c:\\msdos.sys");
       },
       "read-only and could not be made writable"},
      {[&] { files.FailNext("WriteWholeFile.Data", ErrorDiskFull); }, "not enough room"},
  };
  for (const auto& c : cases) {
    files.PutFile("c:\\msdos.sys", old);
    c.arrange();
    const BootApplyResult r = ApplyBootOptions(files, store, {1, 1, 4});
    files.HoldOpen("c:\\msdos.sys", false);
    files.ClearFailures();
    EXPECT_FALSE(r.ok()) << c.why;
    EXPECT_EQ(BootFailureText(r).rfind(std::string(BootFailedMessage), 0), 0u) << c.why;
    EXPECT_NE(BootFailureText(r).find(c.why), std::string::npos) << BootFailureText(r);
    EXPECT_EQ(Read(), old) << c.why;
  }
  // A folder where the file should be.
  MemoryFiles folder;
  folder.CreateDir("c:\\msdos.sys");
  const BootApplyResult r = ApplyBootOptions(folder, store, {1, 1, 4});
  EXPECT_NE(BootFailureText(r).find("is a folder"), std::string::npos) << BootFailureText(r);
}

}  // namespace
}  // namespace velmaro::console
