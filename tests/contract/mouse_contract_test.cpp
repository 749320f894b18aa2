// The mouse settings, in memory natively and on the real system under Wine:
// what the Mouse panel sets is what the system then reports, and saving sets
// as well as keeps. Each case puts the settings back as it found them.
#include <gtest/gtest.h>

#include "support/contract_platform.h"

namespace velmaro {
namespace {

class MouseContract : public ::testing::Test {
protected:
  void SetUp() override {
    time_ = mouse_->DoubleClickTime();
    swapped_ = mouse_->ButtonsSwapped();
  }
  void TearDown() override {
    mouse_->SaveDoubleClickTime(time_);
    mouse_->SaveButtonsSwapped(swapped_);
  }

  std::unique_ptr<platform::Mouse> mouse_ = testing::MakeContractMouse();
  unsigned time_ = 0;
  bool swapped_ = false;
};

TEST_F(MouseContract, TheSessionTakesTheTimeAndTheButtonOrder) {
  ASSERT_TRUE(mouse_->SetDoubleClickTime(650));
  EXPECT_EQ(mouse_->DoubleClickTime(), 650u);
  ASSERT_TRUE(mouse_->SetDoubleClickTime(120));
  EXPECT_EQ(mouse_->DoubleClickTime(), 120u);
  mouse_->SwapButtons(true);
  EXPECT_TRUE(mouse_->ButtonsSwapped());
  mouse_->SwapButtons(false);
  EXPECT_FALSE(mouse_->ButtonsSwapped());
}

TEST_F(MouseContract, SavingAlsoSetsTheSession) {
  ASSERT_TRUE(mouse_->SaveDoubleClickTime(730));
  EXPECT_EQ(mouse_->DoubleClickTime(), 730u);
  ASSERT_TRUE(mouse_->SaveButtonsSwapped(true));
  EXPECT_TRUE(mouse_->ButtonsSwapped());
  ASSERT_TRUE(mouse_->SaveButtonsSwapped(false));
  EXPECT_FALSE(mouse_->ButtonsSwapped());
}

}  // namespace
}  // namespace velmaro
