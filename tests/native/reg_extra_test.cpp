// Behaviour of the registry gateway that only the in-memory registry can
// provoke: damaged values, refused calls, and handles left open.
#include <gtest/gtest.h>

#include "platform/memory/memory_registry.h"
#include "platform/registry_key.h"
#include "system_access/reg_extra.h"
#include "system_access/settings_store.h"

namespace velmaro {
namespace {

using namespace platform;

class RegExtraTest : public ::testing::Test {
protected:
  MemoryRegistry registry_;
  RegExtra reg_{registry_};
  const std::string p_ = "Software\\Test";
};

TEST_F(RegExtraTest, AKeyIsClosedOnceWhenItsHolderGoesAndAMoveHandsItOn) {
  {
    RegistryKey outer(registry_);
    ASSERT_TRUE(outer.Create(HkeyCurrentUser, p_));
    ASSERT_TRUE(outer.Open(HkeyCurrentUser, p_)) << "opening again closes the first handle";
    EXPECT_EQ(registry_.OpenHandleCount(), 1);
    RegistryKey moved = std::move(outer);
    EXPECT_FALSE(outer);
    EXPECT_TRUE(moved);
    EXPECT_EQ(registry_.OpenHandleCount(), 1);
    const auto missing = RegistryKey::Opened(registry_, HkeyCurrentUser, p_ + "\\None");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.code(), ErrorFileNotFound);
  }
  EXPECT_EQ(registry_.OpenHandleCount(), 0);
}

TEST_F(RegExtraTest, DamagedValuesReadAsWhatTheyHold) {
  // Text stored without its NUL is taken whole; a DWORD of the wrong size is
  // no DWORD.
  registry_.SetRawValue(HkeyCurrentUser, p_, "NoNul", RegSz, {'a', 'b', 'c'});
  registry_.SetRawValue(HkeyCurrentUser, p_, "Short", RegDword, {1, 0});
  registry_.SetRawValue(HkeyCurrentUser, p_, "Bare", RegSz, {});
  EXPECT_EQ(reg_.GetStringValue(HkeyCurrentUser, p_, "NoNul", "x"), "abc");
  EXPECT_EQ(reg_.GetDWordValue(HkeyCurrentUser, p_, "Short", 9), 9);
  EXPECT_EQ(reg_.GetStringValue(HkeyCurrentUser, p_, "Bare", "x"), "");
  // Windows-1252 letters outside Latin-1 survive the trip through the code page.
  ASSERT_TRUE(reg_.SaveStringValue(HkeyCurrentUser, p_, "Euro", "5 \xE2\x82\xAC"));
  EXPECT_EQ(reg_.GetStringValue(HkeyCurrentUser, p_, "Euro", "x"), "5 \xE2\x82\xAC");
}

TEST_F(RegExtraTest, RefusedCallsLeaveTheRegistryAsItWasAndNoHandleOpen) {
  ASSERT_TRUE(reg_.SaveStringValue(HkeyCurrentUser, p_, "v", "old"));
  registry_.FailNext("SetValue", ErrorAccessDenied);
  EXPECT_FALSE(reg_.SaveStringValue(HkeyCurrentUser, p_, "v", "new"));
  EXPECT_FALSE(reg_.SaveDWordValue(HkeyCurrentUser, p_, "d", 1));
  EXPECT_FALSE(reg_.SaveBinaryValue(HkeyCurrentUser, p_, "b", {1}));
  registry_.ClearFailures();
  EXPECT_EQ(reg_.GetStringValue(HkeyCurrentUser, p_, "v", "x"), "old");

  registry_.FailNext("QueryValue", ErrorAccessDenied);
  EXPECT_EQ(reg_.GetStringValue(HkeyCurrentUser, p_, "v", "fallback"), "fallback");
  EXPECT_EQ(reg_.GetBinaryValue(HkeyCurrentUser, p_, "v", Bytes{4}).bytes(), Bytes{4});
  registry_.ClearFailures();

  registry_.FailNext("CreateKey", ErrorAccessDenied);
  EXPECT_FALSE(reg_.SaveStringValue(HkeyCurrentUser, p_ + "\\New", "v", "x"));
  EXPECT_FALSE(reg_.CreateKey(HkeyCurrentUser, p_ + "\\New"));
  registry_.ClearFailures();
  EXPECT_TRUE(reg_.GetAllKeys(HkeyCurrentUser, p_).empty());

  registry_.FailNext("EnumValue", ErrorAccessDenied);
  EXPECT_EQ(reg_.GetAllValues(HkeyCurrentUser, p_), (ValueTable{ValueColumn{}}));
  registry_.ClearFailures();
  EXPECT_EQ(registry_.OpenHandleCount(), 0);
}

TEST_F(RegExtraTest, AProtectedKeyIsReadableButRefusesEveryChange) {
  ASSERT_TRUE(reg_.SaveStringValue(HkeyLocalMachine, "SOFTWARE\\Kept\\Sub", "v", "old"));
  ASSERT_TRUE(reg_.SaveStringValue(HkeyCurrentUser, p_, "v", "old"));
  registry_.ProtectKey(HkeyLocalMachine, "");
  EXPECT_EQ(reg_.GetStringValue(HkeyLocalMachine, "SOFTWARE\\Kept\\Sub", "v", "x"), "old");
  EXPECT_TRUE(reg_.KeyExists(HkeyLocalMachine, "SOFTWARE\\Kept"));
  EXPECT_FALSE(reg_.SaveStringValue(HkeyLocalMachine, "SOFTWARE\\Kept\\Sub", "v", "new"));
  EXPECT_FALSE(reg_.SaveDWordValue(HkeyLocalMachine, "SOFTWARE\\New", "d", 1));
  EXPECT_FALSE(reg_.CreateKey(HkeyLocalMachine, "SOFTWARE\\Kept"));
  EXPECT_FALSE(reg_.DeleteValue(HkeyLocalMachine, "SOFTWARE\\Kept\\Sub", "v"));
  EXPECT_FALSE(reg_.DeleteKey(HkeyLocalMachine, "SOFTWARE\\Kept"));
  EXPECT_FALSE(reg_.SaveStringValue(HkeyClassesRoot, "*\\shell\\open", "", "x"));  // a view of it
  EXPECT_EQ(reg_.GetStringValue(HkeyLocalMachine, "SOFTWARE\\Kept\\Sub", "v", "x"), "old");
  EXPECT_FALSE(reg_.KeyExists(HkeyLocalMachine, "SOFTWARE\\New"));
  // Other roots go on as before.
  EXPECT_TRUE(reg_.SaveStringValue(HkeyCurrentUser, p_, "v", "new"));
  EXPECT_EQ(registry_.OpenHandleCount(), 0);
}

TEST_F(RegExtraTest, RootsAreNeverDeleted) {
  ASSERT_TRUE(reg_.SaveStringValue(HkeyCurrentUser, p_, "v", "x"));
  EXPECT_FALSE(reg_.DeleteKey(HkeyCurrentUser, ""));
  EXPECT_FALSE(reg_.DeleteKey(HkeyCurrentUser, "\\"));
  EXPECT_EQ(reg_.GetStringValue(HkeyCurrentUser, p_, "v", "gone"), "x");
}

TEST(PadBuffer, FillsToTheIconPickersBufferAndLeavesLongTextAlone) {
  const std::string padded = RegExtra::PadBuffer("c:\\a\\b.dll");
  ASSERT_EQ(padded.size(), 255u);
  EXPECT_EQ(padded.substr(0, 10), "c:\\a\\b.dll");
  EXPECT_EQ(padded.find_first_not_of('\0', 10), std::string::npos);
  // Characters, not bytes: "é" is one character of the 255.
  EXPECT_EQ(RegExtra::PadBuffer("\xC3\xA9").size(), 2u + 254u);
  const std::string longPath(300, 'x');
  EXPECT_EQ(RegExtra::PadBuffer(longPath), longPath);
}

TEST(ConsoleOptions, OnlyZeroSwitchesAnOptionOffAndDamagedTextKeepsTheDefault) {
  MemoryRegistry registry;
  SettingsStore store(registry);
  EXPECT_TRUE(OptionIsOn(store, settings::ShowMess));  // first run
  const std::pair<const char*, bool> cases[] = {
      {"0", false}, {"00", false}, {" 0 ", false}, {"1", true},  {"01", true},
      {"", true},   {"yes", true}, {"2", true},    {"-1", true}, {"0x", true}};
  for (const auto& [text, on] : cases) {
    store.Write(settings::Confirm, text);
    EXPECT_EQ(OptionIsOn(store, settings::Confirm), on) << '"' << text << '"';
  }
  EXPECT_EQ(WholeNumber(" 0400 "), 400);
  EXPECT_EQ(WholeNumber("-3"), -3);
  EXPECT_EQ(WholeNumber("12abc"), std::nullopt);
  EXPECT_EQ(WholeNumber("abc"), std::nullopt);
  EXPECT_EQ(WholeNumber("99999999999999"), 1000000000);
}

}  // namespace
}  // namespace velmaro
