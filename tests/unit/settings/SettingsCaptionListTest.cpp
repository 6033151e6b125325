#include <gtest/gtest.h>

#include "core/settings/CaptionList.h"

namespace parlo {
namespace {

using List = std::vector<Bytes>;

TEST(CaptionList, KnownCaptionLeavesTheOrderAlone) {
  List items = {"a", "b", "c", "d", "e"};
  RememberCaption(items, "c");
  EXPECT_EQ(items, (List{"a", "b", "c", "d", "e"}));
  RememberCaption(items, "e");
  EXPECT_EQ(items, (List{"a", "b", "c", "d", "e"}));
}

TEST(CaptionList, NewCaptionGoesOnTopAndTheLastDropsOut) {
  List items = {"a", "b", "c", "d", "e"};
  RememberCaption(items, "new");
  EXPECT_EQ(items, (List{"new", "a", "b", "c", "d"}));
  RememberCaption(items, "");
  EXPECT_EQ(items, (List{"", "new", "a", "b", "c"}));
}

TEST(CaptionList, ComparisonIsExactBytes) {
  List items = {"Ultima Online - ", "", "", "", ""};
  RememberCaption(items, "ultima online - ");
  EXPECT_EQ(items.front(), "ultima online - ");
  RememberCaption(items, "Ultima Online -");
  EXPECT_EQ(items, (List{"Ultima Online -", "ultima online - ", "Ultima Online - ", "", ""}));
  // Double-byte text is compared byte for byte too.
  List dbcs = {"\x83\x5C", "", "", "", ""};
  RememberCaption(dbcs, "\x83\x5C");
  EXPECT_EQ(dbcs.front(), "\x83\x5C");
  EXPECT_EQ(dbcs.size(), 5u);
}

TEST(CaptionList, FiveEntriesStayFive) {
  List items(5);
  for (int i = 0; i < 20; ++i) RememberCaption(items, "c" + std::to_string(i));
  EXPECT_EQ(items, (List{"c19", "c18", "c17", "c16", "c15"}));
}

}  // namespace
}  // namespace parlo
