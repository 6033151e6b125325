// Parlo's first start in an empty folder and its clean exit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/e2e/driver/Scenario.h"

namespace parlo::e2e {
namespace {

using ::testing::IsEmpty;

class Startup : public Scenario {};

TEST_F(Startup, FirstStartWithNothingBesideItOpensAtTheDefaultPlaceAndExitsCleanly) {
  ParloApp& parlo = StartParlo();
  EXPECT_EQ(TextOf(parlo.Main()), "Parlo!");
  RECT bounds = parlo.Bounds();
  EXPECT_EQ(bounds.left, 671);
  EXPECT_EQ(bounds.top, 112);
  EXPECT_EQ(bounds.right - bounds.left, 373);
  EXPECT_EQ(bounds.bottom - bounds.top, 472);
  EXPECT_FALSE(IsTopmost(parlo.Main()));
  EXPECT_FALSE(IsChecked(parlo.Control(IDC_CHECKBOX_PASTE)));
  EXPECT_FALSE(IsChecked(parlo.Control(IDC_CHECKBOX_YELL)));
  EXPECT_FALSE(IsChecked(parlo.Control(IDC_CHECKBOX_RANDOM)));
  Shot("main", parlo.Main());

  std::optional<DWORD> exitCode = parlo.Close();
  ASSERT_TRUE(exitCode.has_value()) << "Parlo did not end after WM_CLOSE";
  EXPECT_EQ(*exitCode, 0u);
  // The untouched empty book is not written.
  EXPECT_THAT(Dir().Files("say*.txt"), IsEmpty());
}

}  // namespace
}  // namespace parlo::e2e
