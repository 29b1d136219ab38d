#include "results/seisekikiroku.h"

#include <gtest/gtest.h>

#include <QtEndian>

using namespace minatori;

namespace {

TEST(Seisekikiroku, TwelveNoonOnTheFirstOfMayIsStoredByteExact) {
  const Seisekikiroku r = makeRecord(45413, 12 * 3600, 123, 7, 83, QStringLiteral("31415"));
  const QByteArray b = encodeRecord(r);
  ASSERT_EQ(b.size(), 44);
  EXPECT_EQ(qFromLittleEndian<double>(b.constData()), 45413.0);
  EXPECT_EQ(qFromLittleEndian<double>(b.constData() + 8), 0.5);
  EXPECT_EQ(b.mid(0, 8), QByteArray::fromHex("00000000a02ce640"));  // 45413.0, little-endian IEEE 754
  EXPECT_EQ(b.mid(16, 8), QByteArray::fromHex("7b000700" "53000000"));
  EXPECT_EQ(b.mid(24, 20), QByteArray("31415" "     " "0    ") + QByteArray(5, '\0'));
}

struct CodeCase {
  const char *code;
  QByteArray bytes;
};

class SchoolCodes : public ::testing::TestWithParam<CodeCase> {};

TEST_P(SchoolCodes, FillFiveBytes) {
  const Seisekikiroku r = makeRecord(1, 0, 1, 1, 1, QString::fromUtf8(GetParam().code));
  EXPECT_EQ(QByteArray(r.schoolCode.data(), 5), GetParam().bytes) << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(Table, SchoolCodes,
                         ::testing::Values(CodeCase{"", "     "}, CodeCase{"12", "12   "},
                                           CodeCase{"1234567", "12345"},
                                           // Two-byte characters are never cut in half.
                                           CodeCase{"みなと", QByteArray("\x82\xdd\x82\xc8 ")}));

TEST(Seisekikiroku, DecodesWhatItEncodes) {
  const Seisekikiroku r = makeRecord(45000, 86399, -2, 35, 99999, QStringLiteral("99999"));
  const Seisekikiroku back = decodeRecord(encodeRecord(r).constData());
  EXPECT_EQ(back.recordDate, 45000);
  EXPECT_DOUBLE_EQ(back.recordTime, 86399 / 86400.0);
  EXPECT_EQ(back.studentNumber, -2);
  EXPECT_EQ(back.level, 35);
  EXPECT_EQ(back.resultTime, 99999);
  EXPECT_EQ(encodeRecord(back), encodeRecord(r));
}

}  // namespace
