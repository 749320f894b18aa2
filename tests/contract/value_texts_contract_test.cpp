// The one-pass listing of a key's values with their texts, against memory
// natively and the real registry under Wine: it must list exactly what
// GetAllValues lists and read exactly what GetStringValue reads, limits
// included, since the list editors rely on it in their place.
#include <gtest/gtest.h>

#include <string>

#include "support/contract_platform.h"
#include "support/raw_values.h"
#include "system_access/value_texts.h"

namespace velmaro {
namespace {

using namespace platform;

constexpr const char* kBase = "Software\\VelmaroValueTexts";

class ValueTextsContract : public ::testing::Test {
protected:
  void SetUp() override { reg_.DeleteKey(HkeyCurrentUser, kBase); }
  void TearDown() override { SetUp(); }

  void Raw(const std::string& path, const std::string& name, std::uint32_t type,
           const std::string& bytes) {
    testing::PutRawValue(*registry_, HkeyCurrentUser, path, name, type, bytes);
  }

  // What the two gateway procedures give for the same key, one value at a time.
  std::vector<ValueText> TheLongWay(const std::string& path) {
    std::vector<ValueText> all;
    for (const ValueColumn& c : reg_.GetAllValues(HkeyCurrentUser, path))
      all.push_back({c.name, c.type, reg_.GetStringValue(HkeyCurrentUser, path, c.name, "")});
    return all;
  }

  std::unique_ptr<Registry> registry_ = testing::MakeContractRegistry();
  RegExtra reg_{*registry_};
};

TEST_F(ValueTextsContract, ListsWhatGetAllValuesListsWithWhatGetStringValueReads) {
  const std::string p = std::string(kBase) + "\\Mixed";
  Raw(p, "", RegSz, std::string("unnamed\0", 8));
  Raw(p, "app", RegSz, std::string("c:\\app.exe\0", 11));
  Raw(p, "cut", RegSz, std::string("before\0after\0", 13));
  Raw(p, "empty", RegSz, std::string());
  Raw(p, "expand", RegExpandSz, std::string("%WINDIR%\\x.exe\0", 15));
  Raw(p, "number", RegDword, std::string("\x07\0\0\0", 4));
  Raw(p, "cafe", RegSz, std::string("caf\xE9\0", 5));
  const auto listed = GetAllValueTexts(reg_, HkeyCurrentUser, p);
  EXPECT_EQ(listed, TheLongWay(p));
  ASSERT_EQ(listed.size(), 7u);
  EXPECT_EQ(listed[0], (ValueText{"", RegSz, "unnamed"}));
  EXPECT_EQ(listed[1], (ValueText{"app", RegSz, "c:\\app.exe"}));
  EXPECT_EQ(listed[2].name, "cafe");
  EXPECT_EQ(listed[2].text, "caf\xC3\xA9");
  EXPECT_EQ(listed[3].text, "before");
  EXPECT_EQ(listed[4].text, "");
  EXPECT_EQ(listed[5], (ValueText{"expand", RegExpandSz, ""}));
  EXPECT_EQ(listed[6], (ValueText{"number", RegDword, ""}));
}

TEST_F(ValueTextsContract, StopsWhereGetAllValuesStops) {
  const std::string p = std::string(kBase) + "\\Long";
  // Text is stored with its NUL: 3999 characters are 4000 bytes, the most
  // that is listed.
  Raw(p, "a", RegSz, std::string(3999, 'x'));
  Raw(p, "b", RegSz, std::string(4000, 'y'));  // 4001 bytes: the listing ends here
  Raw(p, "c", RegSz, std::string("after\0", 6));
  const auto listed = GetAllValueTexts(reg_, HkeyCurrentUser, p);
  EXPECT_EQ(listed, TheLongWay(p));
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].text, std::string(3999, 'x'));

  const std::string q = std::string(kBase) + "\\LongName";
  Raw(q, "first", RegSz, std::string("1\0", 2));
  Raw(q, std::string(300, 'n'), RegSz, std::string("2\0", 2));
  EXPECT_EQ(GetAllValueTexts(reg_, HkeyCurrentUser, q), TheLongWay(q));
}

TEST_F(ValueTextsContract, AKeyWithoutValuesOrWithoutAKeyGivesOneEmptyEntry) {
  const std::string p = std::string(kBase) + "\\Bare";
  ASSERT_TRUE(reg_.CreateKey(HkeyCurrentUser, p));
  const std::vector<ValueText> one{ValueText{}};
  EXPECT_EQ(GetAllValueTexts(reg_, HkeyCurrentUser, p), one);
  EXPECT_EQ(GetAllValueTexts(reg_, HkeyCurrentUser, std::string(kBase) + "\\Missing"), one);
  EXPECT_EQ(TheLongWay(p), one);
}

TEST_F(ValueTextsContract, EnumeratingWithDataGivesTheBytesAndTheLimits) {
  const std::string p = std::string(kBase) + "\\Raw";
  Raw(p, "bin", RegBinary, std::string("\x01\x00\x02", 3));
  Raw(p, "big", RegBinary, std::string(50, 'z'));
  HKey key = 0;
  ASSERT_EQ(registry_->OpenKey(HkeyCurrentUser, p, key), ErrorSuccess);
  std::string name, data = "left over";
  std::uint32_t type = 0;
  // Enumeration order is alphabetical: "big" first.
  EXPECT_EQ(registry_->EnumValueData(key, 0, name, 255, &type, 10, data), ErrorMoreData);
  EXPECT_EQ(data, "");
  ASSERT_EQ(registry_->EnumValueData(key, 0, name, 255, &type, 50, data), ErrorSuccess);
  EXPECT_EQ(name, "big");
  EXPECT_EQ(data, std::string(50, 'z'));
  ASSERT_EQ(registry_->EnumValueData(key, 1, name, 255, &type, 50, data), ErrorSuccess);
  EXPECT_EQ(name, "bin");
  EXPECT_EQ(type, RegBinary);
  EXPECT_EQ(data, std::string("\x01\x00\x02", 3));
  EXPECT_EQ(registry_->EnumValueData(key, 2, name, 255, &type, 50, data), ErrorNoMoreItems);
  registry_->CloseKey(key);
}

}  // namespace
}  // namespace velmaro
