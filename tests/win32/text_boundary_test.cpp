// The two ways into the ANSI code page, on the real system: exact for the
// registry and files, best fit for what is only shown.
#include <gtest/gtest.h>

#include "platform/win32/win32_text.h"

namespace velmaro::platform {
namespace {

// Letters of the Latin-1 range that every Western code page holds, and one
// (a CJK ideograph) that none of them does.
constexpr char kLatin[] = "Zo\xC3\xAB Caf\xC3\xA9";
constexpr char kUnmappable[] = "snow \xE9\x9B\xAA";

TEST(TextBoundary, ExactConversionRefusesWhatTheCodePageLacks) {
  std::string ansi = "left over";
  ASSERT_TRUE(ToAnsiExact(kLatin, ansi));
  EXPECT_EQ(ansi.size(), 8u);  // one byte per letter
  EXPECT_EQ(FromAnsi(ansi), kLatin);
  EXPECT_FALSE(ToAnsiExact(kUnmappable, ansi));
  EXPECT_EQ(ansi, "");
  EXPECT_FALSE(ToAnsiExact("broken \xC3", ansi));  // a sequence cut short
  EXPECT_TRUE(ToAnsiExact("", ansi));
  EXPECT_EQ(ansi, "");
}

TEST(TextBoundary, BestFitShowsASubstituteAndNeverFails) {
  const std::string shown = ToAnsiBestFit(kUnmappable);
  EXPECT_EQ(shown.substr(0, 5), "snow ");
  EXPECT_EQ(shown.size(), 6u);  // one stand-in for the ideograph
  EXPECT_EQ(FromAnsi(ToAnsiBestFit(kLatin)), kLatin);
  EXPECT_EQ(ToAnsiBestFit("broken \xC3").substr(0, 7), "broken ");
  EXPECT_EQ(FromWide(L"Zo\u00EB"), "Zo\xC3\xAB");
}

TEST(TextBoundary, TheRegistryAndFilesUseTheExactWay) {
  const Win32CodePage codePage;
  std::string ansi;
  EXPECT_FALSE(codePage.ToAnsi(kUnmappable, ansi));
  ASSERT_TRUE(codePage.ToAnsi(kLatin, ansi));
  EXPECT_EQ(codePage.FromAnsi(ansi), kLatin);
}

}  // namespace
}  // namespace velmaro::platform
