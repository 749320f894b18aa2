// One set of cases for the file operations, run against the in-memory drive
// natively and against the real one under Wine (in a scratch folder on drive C:
// that each case creates and removes), so the fake keeps the system's rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "support/contract_platform.h"

namespace velmaro {
namespace {

using namespace platform;

constexpr const char* kBase = "c:\\VelmaroFilesContract";
constexpr std::uint32_t kRhs = FileAttributeReadOnly | FileAttributeHidden | FileAttributeSystem;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

class FilesContract : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(files_->CreateDir(kBase), ErrorSuccess)
        << kBase << " is left from an earlier run; remove it by hand";
  }
  // Everything a case named through P() goes, deepest first, whatever its
  // attributes; the scratch folder must then be empty.
  void TearDown() override {
    for (auto it = used_.rbegin(); it != used_.rend(); ++it) {
      files_->SetAttributes(*it, FileAttributeNormal);
      if (files_->Delete(*it) != ErrorSuccess) files_->RemoveDir(*it);
    }
    EXPECT_EQ(files_->RemoveDir(kBase), ErrorSuccess) << "a case left something behind";
  }

  std::string P(const std::string& name) {
    std::string path = std::string(kBase) + "\\" + name;
    used_.push_back(path);
    return path;
  }
  std::string Read(const std::string& path) {
    std::string bytes;
    EXPECT_EQ(files_->ReadWholeFile(path, bytes, 1 << 24), ErrorSuccess) << path;
    return bytes;
  }
  std::uint32_t Rhs(const std::string& path) { return files_->AttributesOf(path) & kRhs; }

  std::unique_ptr<FileSystem> files_ = testing::MakeContractFiles();
  std::vector<std::string> used_;
};

TEST_F(FilesContract, SystemFoldersAndThisProgramAreThere) {
  std::string windows, system, module;
  ASSERT_EQ(files_->WindowsDirectory(windows), ErrorSuccess);
  ASSERT_EQ(files_->SystemDirectory(system), ErrorSuccess);
  ASSERT_EQ(files_->ModulePath(module), ErrorSuccess);
  EXPECT_TRUE(files_->IsDirectory(windows)) << windows;
  EXPECT_NE(windows.back(), '\\');
  EXPECT_TRUE(files_->IsDirectory(system)) << system;
  EXPECT_EQ(Lower(system).rfind(Lower(windows) + "\\", 0), 0u) << system;
  EXPECT_TRUE(files_->IsFile(module)) << module;
  EXPECT_EQ(Lower(module).substr(module.size() - 4), ".exe");
}

TEST_F(FilesContract, WholeFilesKeepEveryByteAndRewritingTruncates) {
  const auto f = P("bytes.bin");
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += "\r\n\n\r\x1a";
  bytes += std::string(3 << 20, 'x');  // more than one write or read chunk
  ASSERT_EQ(files_->WriteWholeFile(f, bytes), ErrorSuccess);
  EXPECT_EQ(Read(f), bytes);
  ASSERT_EQ(files_->WriteWholeFile(f, std::string("a\0b", 3)), ErrorSuccess);
  EXPECT_EQ(Read(f), std::string("a\0b", 3));
  ASSERT_EQ(files_->WriteWholeFile(f, ""), ErrorSuccess);
  EXPECT_EQ(Read(f), "");
  EXPECT_TRUE(files_->IsFile(f));
}

TEST_F(FilesContract, ReadingRefusesFilesOverTheLimitAndFolders) {
  const auto f = P("hundred.txt");
  ASSERT_EQ(files_->WriteWholeFile(f, std::string(100, 'h')), ErrorSuccess);
  std::string bytes = "stale";
  EXPECT_EQ(files_->ReadWholeFile(f, bytes, 99), ErrorFileTooLarge);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(files_->ReadWholeFile(f, bytes, 100), ErrorSuccess);
  EXPECT_EQ(bytes.size(), 100u);
  EXPECT_EQ(files_->ReadWholeFile(kBase, bytes, 100), ErrorAccessDenied);
  EXPECT_EQ(files_->WriteWholeFile(kBase, "x"), ErrorAccessDenied);
  EXPECT_TRUE(files_->IsDirectory(kBase));
}

TEST_F(FilesContract, MissingFilesAndFoldersGiveTheirOwnCodes) {
  const auto missing = P("missing.txt");
  const auto inMissingDir = std::string(kBase) + "\\nodir\\x.txt";
  std::uint32_t attributes = 0;
  EXPECT_EQ(files_->GetAttributes(missing, attributes), ErrorFileNotFound);
  EXPECT_EQ(attributes, InvalidFileAttributes);
  EXPECT_EQ(files_->GetAttributes(inMissingDir, attributes), ErrorPathNotFound);
  EXPECT_FALSE(files_->Exists(missing));
  std::string bytes;
  EXPECT_EQ(files_->ReadWholeFile(missing, bytes, 10), ErrorFileNotFound);
  EXPECT_EQ(files_->SetAttributes(missing, FileAttributeHidden), ErrorFileNotFound);
  EXPECT_EQ(files_->Delete(missing), ErrorFileNotFound);
  EXPECT_EQ(files_->Delete(inMissingDir), ErrorPathNotFound);
  EXPECT_EQ(files_->Move(missing, P("to.txt"), MovefileReplaceExisting), ErrorFileNotFound);
  EXPECT_EQ(files_->Copy(missing, P("copy.txt"), false), ErrorFileNotFound);
  EXPECT_EQ(files_->RemoveDir(missing), ErrorFileNotFound);
  EXPECT_EQ(files_->WriteWholeFile(inMissingDir, "x"), ErrorPathNotFound);
  EXPECT_EQ(files_->CreateDir(std::string(kBase) + "\\nodir\\sub"), ErrorPathNotFound);
  const auto file = P("plain.txt");
  ASSERT_EQ(files_->WriteWholeFile(file, "p"), ErrorSuccess);
  EXPECT_EQ(files_->GetAttributes(file + "\\below", attributes), ErrorPathNotFound);
}

TEST_F(FilesContract, AttributesRoundTripAndHiddenSystemSurviveARewrite) {
  const auto f = P("attrs.txt");
  ASSERT_EQ(files_->WriteWholeFile(f, "one"), ErrorSuccess);
  EXPECT_EQ(Rhs(f), 0u);
  EXPECT_EQ(files_->AttributesOf(f) & FileAttributeDirectory, 0u);
  EXPECT_NE(files_->AttributesOf(kBase) & FileAttributeDirectory, 0u);
  ASSERT_EQ(files_->SetAttributes(f, kRhs), ErrorSuccess);
  EXPECT_EQ(Rhs(f), kRhs);
  ASSERT_EQ(files_->SetAttributes(f, FileAttributeHidden | FileAttributeSystem), ErrorSuccess);
  EXPECT_EQ(Rhs(f), FileAttributeHidden | FileAttributeSystem);
  ASSERT_EQ(files_->WriteWholeFile(f, "two"), ErrorSuccess);
  EXPECT_EQ(Read(f), "two");
  EXPECT_EQ(Rhs(f), FileAttributeHidden | FileAttributeSystem);
  ASSERT_EQ(files_->SetAttributes(f, FileAttributeNormal), ErrorSuccess);
  EXPECT_EQ(Rhs(f), 0u);
}

TEST_F(FilesContract, ReadOnlyFilesCannotBeOverwrittenDeletedOrReplaced) {
  const auto ro = P("readonly.txt");
  const auto other = P("other.txt");
  ASSERT_EQ(files_->WriteWholeFile(ro, "keep me"), ErrorSuccess);
  ASSERT_EQ(files_->WriteWholeFile(other, "intruder"), ErrorSuccess);
  ASSERT_EQ(files_->SetAttributes(ro, FileAttributeReadOnly | FileAttributeHidden), ErrorSuccess);

  EXPECT_EQ(files_->WriteWholeFile(ro, "lost"), ErrorAccessDenied);
  EXPECT_EQ(files_->Delete(ro), ErrorAccessDenied);
  EXPECT_EQ(files_->Move(other, ro, MovefileReplaceExisting | MovefileWriteThrough),
            ErrorAccessDenied);
  EXPECT_EQ(files_->Copy(other, ro, false), ErrorAccessDenied);
  EXPECT_EQ(Read(ro), "keep me");
  EXPECT_EQ(Rhs(ro), FileAttributeReadOnly | FileAttributeHidden);
  EXPECT_EQ(Read(other), "intruder");

  // Read-only guards the content, not the name: the file itself may move.
  const auto moved = P("moved.txt");
  ASSERT_EQ(files_->Move(ro, moved, 0), ErrorSuccess);
  EXPECT_EQ(Read(moved), "keep me");
  EXPECT_EQ(Rhs(moved), FileAttributeReadOnly | FileAttributeHidden);
  ASSERT_EQ(files_->SetAttributes(moved, FileAttributeNormal), ErrorSuccess);
  EXPECT_EQ(files_->Delete(moved), ErrorSuccess);
}

TEST_F(FilesContract, MoveReplacesInOneStepOnlyWhenAsked) {
  const auto from = P("new.txt");
  const auto to = P("target.txt");
  ASSERT_EQ(files_->WriteWholeFile(from, "new"), ErrorSuccess);
  ASSERT_EQ(files_->WriteWholeFile(to, "old"), ErrorSuccess);
  ASSERT_EQ(files_->SetAttributes(from, FileAttributeHidden | FileAttributeSystem), ErrorSuccess);
  ASSERT_EQ(files_->SetAttributes(to, FileAttributeHidden), ErrorSuccess);

  EXPECT_EQ(files_->Move(from, to, MovefileWriteThrough), ErrorAlreadyExists);
  EXPECT_EQ(Read(from), "new");
  EXPECT_EQ(Read(to), "old");

  ASSERT_EQ(files_->Move(from, to, MovefileReplaceExisting | MovefileWriteThrough), ErrorSuccess);
  EXPECT_FALSE(files_->Exists(from));
  EXPECT_EQ(Read(to), "new");
  EXPECT_EQ(Rhs(to), FileAttributeHidden | FileAttributeSystem);  // the moved file's own

  EXPECT_EQ(files_->Move(to, std::string(kBase) + "\\nodir\\t.txt", MovefileReplaceExisting),
            ErrorPathNotFound);
  EXPECT_EQ(files_->Move(to, std::string(kBase) + "\\TARGET.TXT", MovefileReplaceExisting),
            ErrorSuccess);
  EXPECT_EQ(Read(to), "new");
}

TEST_F(FilesContract, CopyTakesContentAndAttributesAndLeavesTheSource) {
  const auto from = P("source.txt");
  const auto to = P("copy.txt");
  ASSERT_EQ(files_->WriteWholeFile(from, "content"), ErrorSuccess);
  ASSERT_EQ(files_->SetAttributes(from, FileAttributeReadOnly | FileAttributeHidden), ErrorSuccess);
  ASSERT_EQ(files_->Copy(from, to, true), ErrorSuccess);
  EXPECT_EQ(Read(to), "content");
  EXPECT_EQ(Rhs(to), FileAttributeReadOnly | FileAttributeHidden);
  EXPECT_EQ(Read(from), "content");
  EXPECT_EQ(files_->Copy(from, to, true), ErrorFileExists);

  const auto plain = P("plain.txt");
  ASSERT_EQ(files_->WriteWholeFile(plain, "old"), ErrorSuccess);
  ASSERT_EQ(files_->Copy(from, plain, false), ErrorSuccess);
  EXPECT_EQ(Read(plain), "content");
}

TEST_F(FilesContract, FoldersAreCreatedOnceAndRemovedOnlyWhenEmpty) {
  const auto dir = P("dir");
  const auto inside = P("dir\\inside.txt");
  ASSERT_EQ(files_->CreateDir(dir), ErrorSuccess);
  EXPECT_EQ(files_->CreateDir(dir), ErrorAlreadyExists);
  ASSERT_EQ(files_->WriteWholeFile(inside, "i"), ErrorSuccess);
  EXPECT_EQ(files_->CreateDir(inside), ErrorAlreadyExists);
  EXPECT_EQ(files_->RemoveDir(dir), ErrorDirNotEmpty);
  EXPECT_EQ(files_->RemoveDir(inside), ErrorDirectory);
  EXPECT_EQ(files_->Delete(dir), ErrorAccessDenied);
  EXPECT_TRUE(files_->IsDirectory(dir));
  ASSERT_EQ(files_->Delete(inside), ErrorSuccess);
  EXPECT_EQ(files_->RemoveDir(dir), ErrorSuccess);
  EXPECT_FALSE(files_->Exists(dir));
}

TEST_F(FilesContract, ListingGivesTheFoldersInsideAsTheyAreSpelt) {
  const auto top = P("Top");
  const auto alpha = P("Top\\Alpha Folder");
  const auto beta = P("Top\\beta");
  const auto inner = P("Top\\beta\\inner");
  const auto file = P("Top\\file.txt");
  for (const auto& dir : {top, alpha, beta, inner}) ASSERT_EQ(files_->CreateDir(dir), ErrorSuccess);
  ASSERT_EQ(files_->WriteWholeFile(file, "f"), ErrorSuccess);
  std::vector<std::string> names;
  ASSERT_EQ(files_->ListFolders(top, names), ErrorSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Alpha Folder", "beta"})) << "files and deeper folders are not listed";
  ASSERT_EQ(files_->ListFolders(Lower(top) + "\\", names), ErrorSuccess);
  EXPECT_EQ(names.size(), 2u);
  ASSERT_EQ(files_->ListFolders(inner, names), ErrorSuccess);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(files_->ListFolders(std::string(kBase) + "\\missing", names), ErrorPathNotFound);
  EXPECT_EQ(files_->ListFolders(file, names), ErrorDirectory);
  EXPECT_TRUE(names.empty());
  ASSERT_EQ(files_->ListFolders("c:\\", names), ErrorSuccess);
  EXPECT_NE(std::find(names.begin(), names.end(), "VelmaroFilesContract"), names.end());
}

TEST_F(FilesContract, PathsIgnoreLetterCaseAndSeparatorStyle) {
  const auto f = P("Mixed Case.txt");
  ASSERT_EQ(files_->WriteWholeFile(f, "m"), ErrorSuccess);
  EXPECT_EQ(Read("C:/VELMAROFILESCONTRACT/mixed case.TXT"), "m");
  EXPECT_EQ(Read(std::string(kBase) + "\\.\\sub\\..\\MIXED CASE.txt"), "m");
  const auto accented = P("Café Zoë.txt");
  ASSERT_EQ(files_->WriteWholeFile(accented, "é"), ErrorSuccess);
  EXPECT_EQ(Read(std::string(kBase) + "\\CAFÉ ZOË.TXT"), "é");
}

TEST_F(FilesContract, AFileHeldOpenElsewhereCannotBeOpenedDeletedOrReplaced) {
  const auto held = P("held.txt");
  const auto other = P("other.txt");
  ASSERT_EQ(files_->WriteWholeFile(held, "held"), ErrorSuccess);
  ASSERT_EQ(files_->WriteWholeFile(other, "other"), ErrorSuccess);
  {
    const auto hold = testing::HoldOpen(*files_, held);
    std::string bytes;
    EXPECT_EQ(files_->ReadWholeFile(held, bytes, 100), ErrorSharingViolation);
    EXPECT_EQ(files_->WriteWholeFile(held, "x"), ErrorSharingViolation);
    EXPECT_EQ(files_->Delete(held), ErrorSharingViolation);
    EXPECT_EQ(files_->Move(held, P("away.txt"), 0), ErrorSharingViolation);
    EXPECT_EQ(files_->Copy(held, P("copy.txt"), false), ErrorSharingViolation);
    EXPECT_EQ(files_->Move(other, held, MovefileReplaceExisting), ErrorAccessDenied);
    EXPECT_EQ(files_->OpenForDelete(held), ErrorSharingViolation) << "in use";
    // Attributes are not guarded by the open file.
    EXPECT_EQ(files_->SetAttributes(held, FileAttributeHidden), ErrorSuccess);
    EXPECT_EQ(Rhs(held), FileAttributeHidden);
  }
  EXPECT_EQ(Read(held), "held");
  EXPECT_EQ(Read(other), "other");
  EXPECT_FALSE(files_->Exists(std::string(kBase) + "\\away.txt"));
  EXPECT_EQ(files_->Move(other, held, MovefileReplaceExisting), ErrorSuccess);
  EXPECT_EQ(Read(held), "other");
}

TEST_F(FilesContract, DigestsFollowTheBytesAndOpeningForDeletionChangesNothing) {
  const auto a = P("a.bin");
  const auto b = P("b.bin");
  const std::string bytes("abc\0def", 7);
  ASSERT_EQ(files_->WriteWholeFile(a, bytes), ErrorSuccess);
  ASSERT_EQ(files_->WriteWholeFile(b, "abc def"), ErrorSuccess);
  FileDigest da, again, db;
  ASSERT_EQ(files_->Digest(a, da), ErrorSuccess);
  ASSERT_EQ(files_->Digest(a, again), ErrorSuccess);
  ASSERT_EQ(files_->Digest(b, db), ErrorSuccess);
  EXPECT_EQ(da.size, 7u);
  EXPECT_EQ(da.sha256.size(), 64u);
  EXPECT_EQ(da, again);
  EXPECT_NE(da.sha256, db.sha256) << "one byte differs";
  EXPECT_EQ(files_->Digest(P("missing.bin"), da), ErrorFileNotFound);
  EXPECT_EQ(files_->OpenForDelete(a), ErrorSuccess);
  EXPECT_EQ(Read(a), bytes) << "nothing changed";
  EXPECT_EQ(files_->OpenForDelete(P("missing.bin")), ErrorFileNotFound);
  ASSERT_EQ(files_->SetAttributes(b, FileAttributeReadOnly), ErrorSuccess);
  EXPECT_EQ(files_->OpenForDelete(b), ErrorAccessDenied) << "read-only, not in use";
}

TEST_F(FilesContract, PathsTheSystemCannotTakeAreRefusedNotAltered) {
  // Not in the Western code page: refused, nothing written under a substitute.
  const std::string snow = std::string(kBase) + "\\snow \xE9\x9B\xAA.txt";
  EXPECT_EQ(files_->WriteWholeFile(snow, "x"), ErrorNoUnicodeTranslation);
  std::uint32_t attributes = 0;
  EXPECT_EQ(files_->GetAttributes(snow, attributes), ErrorNoUnicodeTranslation);
  EXPECT_EQ(files_->CreateDir(snow), ErrorNoUnicodeTranslation);
  EXPECT_EQ(files_->Delete(snow), ErrorNoUnicodeTranslation);

  // A NUL would cut the path to "...\\cut": refused instead.
  const auto cut = P("cut");
  EXPECT_EQ(files_->WriteWholeFile(cut + std::string("\0.txt", 5), "x"), ErrorInvalidName);
  EXPECT_FALSE(files_->Exists(cut));
  EXPECT_EQ(files_->WriteWholeFile(std::string(kBase) + "\\wild*.txt", "x"), ErrorInvalidName);
  EXPECT_EQ(files_->GetAttributes(std::string(kBase) + "\\a?.txt", attributes), ErrorInvalidName);

  // MaxPath counts the terminating NUL: 259 characters fit, 260 do not.
  const std::string prefix = std::string(kBase) + "\\";
  const auto longest = P(std::string(MaxPath - 1 - prefix.size(), 'L'));
  EXPECT_EQ(files_->WriteWholeFile(longest, "long"), ErrorSuccess);
  EXPECT_EQ(Read(longest), "long");
  const auto tooLong = longest + "L";
  EXPECT_EQ(files_->WriteWholeFile(tooLong, "x"), ErrorFilenameExcedRange);
  EXPECT_EQ(files_->GetAttributes(tooLong, attributes), ErrorFilenameExcedRange);
  const auto deepestDir = P(std::string(MaxDirectoryPath - 1 - prefix.size(), 'D'));
  EXPECT_EQ(files_->CreateDir(deepestDir), ErrorSuccess);
  EXPECT_EQ(files_->CreateDir(deepestDir + "D"), ErrorFilenameExcedRange);
}

}  // namespace
}  // namespace velmaro
