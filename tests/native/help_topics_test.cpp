#include <gtest/gtest.h>

#include "console/help_topics.h"

namespace velmaro::console {
namespace {

TEST(HelpTopics, TopicsAreFoundByControlThenByArray) {
  const auto help = HelpTopics::Parse(
      "; comment\r\n"
      "stray text before any topic\r\n"
      "[Tweaker.Fram]\r\n"
      "Every panel.\r\n"
      "[Tweaker.Fram(7)]\r\n"
      "The icon panel,\r\n"
      "  on two lines.\r\n"
      "\r\n"
      "Second paragraph.\r\n"
      "[not a topic]\r\n"
      "ignored\r\n"
      "[Opt.Cancel]");
  EXPECT_EQ(help.Find("Tweaker", "Fram", 7), "The icon panel, on two lines.\nSecond paragraph.");
  EXPECT_EQ(help.Find("Tweaker", "Fram", 3), "Every panel.");
  EXPECT_EQ(help.Find("Tweaker", "Fram"), "Every panel.");
  EXPECT_EQ(help.Find("Opt", "Cancel"), "");
  EXPECT_EQ(help.Find("Tweaker", "Tr"), "");
  EXPECT_EQ(HelpTopics::Parse("").size(), 0u);
  EXPECT_EQ(HelpTopics::Parse("[\n]\n[]").size(), 0u);
}

}  // namespace
}  // namespace velmaro::console
