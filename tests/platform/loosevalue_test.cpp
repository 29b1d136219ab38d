#include "platform/loosevalue.h"

#include <gtest/gtest.h>

using namespace minatori;

namespace {

struct LooseCase {
  QString field;
  LooseValue::Kind kind;
  double number;
};

class LooseValues : public ::testing::TestWithParam<LooseCase> {};

TEST_P(LooseValues, KeepTheTextAndKnowTheirNumber) {
  const LooseCase &c = GetParam();
  const LooseValue v = LooseValue::fromField(c.field);
  EXPECT_EQ(v.kind(), c.kind) << c.field.toStdString();
  EXPECT_DOUBLE_EQ(v.toNumber(), c.number) << c.field.toStdString();
  EXPECT_EQ(v.text(), c.field);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LooseValues,
    ::testing::Values(LooseCase{"", LooseValue::Kind::Empty, 0}, LooseCase{"14", LooseValue::Kind::Number, 14},
                      LooseCase{"007", LooseValue::Kind::Number, 7}, LooseCase{"-2.50", LooseValue::Kind::Number, -2.5},
                      LooseCase{"abc", LooseValue::Kind::Text, 0}, LooseCase{"7日", LooseValue::Kind::Text, 7},
                      LooseCase{".5", LooseValue::Kind::Number, 0.5}, LooseCase{".", LooseValue::Kind::Text, 0},
                      LooseCase{"1e", LooseValue::Kind::Text, 1}, LooseCase{"+3", LooseValue::Kind::Number, 3}));

TEST(Numbers, AreWrittenWithoutTrailingZeros) {
  EXPECT_EQ(formatFloat(1.0f), QStringLiteral("1"));
  EXPECT_EQ(formatFloat(1.5f), QStringLiteral("1.5"));
  EXPECT_EQ(formatFloat(1.1f), QStringLiteral("1.1"));
  EXPECT_EQ(formatFloat(0.25f), QStringLiteral("0.25"));
  EXPECT_EQ(formatNumber(12), QStringLiteral("12"));
  EXPECT_EQ(formatNumber(-3), QStringLiteral("-3"));
  EXPECT_EQ(formatNumber(2.75), QStringLiteral("2.75"));
  EXPECT_EQ(LooseValue::fromNumber(12).text(), QStringLiteral("12"));
}

}  // namespace
