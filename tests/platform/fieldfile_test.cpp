#include "platform/fieldfile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/runtimeerror.h"
#include "platform/textfile.h"

using namespace minatori;

namespace {

// Reads every field until the reader says the end is reached.
QStringList readAll(const QString &text) {
  FieldReader in(text, QStringLiteral("t.txt"));
  QStringList out;
  while (!in.atEnd()) out << in.readText();
  return out;
}

struct ReaderCase {
  const char *name;
  QString text;
  QStringList fields;
};

class FieldReaderCases : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(FieldReaderCases, ReadsFieldsAsTheConventionSays) {
  EXPECT_EQ(readAll(GetParam().text), GetParam().fields) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FieldReaderCases,
    ::testing::Values(
        ReaderCase{"plain", "a,b,c\r\n", {"a", "b", "c"}},
        ReaderCase{"line ends end fields", "a\r\nb\r\nc", {"a", "b", "c"}},
        ReaderCase{"bare LF and CR", "a\nb\rc", {"a", "b", "c"}},
        ReaderCase{"spaces around are dropped", "  a  ,\tb\t, c d \r\n", {"a", "b", "c d"}},
        ReaderCase{"quotes keep commas", "\"x, y\",z\r\n", {"x, y", "z"}},
        ReaderCase{"quotes keep spaces", "\" pad \",z", {" pad ", "z"}},
        ReaderCase{"text after a closing quote is dropped", "\"ab\"cd,e", {"ab", "e"}},
        ReaderCase{"quote inside a plain field stays", "ab\"c,d", {"ab\"c", "d"}},
        ReaderCase{"empty fields", ",,\r\n", {"", "", ""}},
        ReaderCase{"a comma at the very end holds one more field", "a,", {"a", ""}},
        ReaderCase{"trailing commas make empty fields", "1,2,,,\r\n3", {"1", "2", "", "", "", "3"}},
        ReaderCase{"final CR LF starts no record", "a,b\r\n", {"a", "b"}},
        ReaderCase{"blank lines after the last record", "a\r\n\r\n  \r\n", {"a"}},
        ReaderCase{"blank line between records is one empty field", "a\r\n\r\nb", {"a", "", "b"}},
        ReaderCase{"end-of-file mark is not a field", "a\r\n\x1A", {"a"}},
        ReaderCase{"empty text", "", {}},
        ReaderCase{"quoted empty", "\"\",x", {"", "x"}},
        ReaderCase{"unclosed quote runs to the end", "\"abc", {"abc"}},
        ReaderCase{"japanese text", "①Ⅲ～－★,年", {"①Ⅲ～－★", "年"}}),
    [](const auto &info) {
      std::string n = info.param.name;
      for (char &c : n) if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return n;
    });

TEST(FieldReader, AReadOfNFieldsRunsOnAcrossLineEnds) {
  FieldReader in(QStringLiteral("1,2\r\n3,4,5\r\n"), QStringLiteral("t.txt"));
  EXPECT_EQ(in.readInt32(), 1);
  EXPECT_EQ(in.readInt32(), 2);
  EXPECT_EQ(in.readInt32(), 3);  // taken from the next line
  in.skip(2);
  EXPECT_TRUE(in.atEnd());
}

TEST(FieldReader, ReadingPastTheEndIsInputPastEndNamingTheFile) {
  FieldReader in(QStringLiteral("a,b\r\n"), QStringLiteral("共通データ.txt"));
  in.skip(2);
  try {
    in.readText();
    FAIL() << "no error";
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), errc::InputPastEnd);
    EXPECT_EQ(e.file(), QStringLiteral("共通データ.txt"));
  }
}

// Blank lines, blanks and an end mark after a short last record hold no
// fields: however many of them follow it, its missing field is past the end.
TEST(FieldReader, BlankLinesAfterAShortLastRecordAreStillPastTheEnd) {
  const char *const texts[] = {"a,b\r\n\r\n", "a,b\r\n\r\n\r\n\r\n", "a,b\n\n", "a,b\r\r",
                               "a,b\r\n  \r\n\t\r\n", "a,b\r\n\r\n\x1A", "\r", "\r\n \r\n"};
  for (const char *text : texts) {
    FieldReader in(QString::fromLatin1(text), QStringLiteral("t.txt"));
    const int present = QString::fromLatin1(text).startsWith(u'a') ? 2 : 0;
    in.skip(present);
    EXPECT_TRUE(in.atEnd()) << QByteArray(text).toPercentEncoding().constData();
    try {
      const QString field = in.readText();
      ADD_FAILURE() << "read \"" << field.toStdString() << "\" from " << QByteArray(text).toPercentEncoding().constData();
    } catch (const RuntimeError &e) {
      EXPECT_EQ(e.number(), errc::InputPastEnd);
    }
  }
}

TEST(FieldReader, ACommaBeforeBlankLinesStillHoldsItsEmptyField) {
  FieldReader in(QStringLiteral("a,\r\n\r\n\r\n"), QStringLiteral("t.txt"));
  EXPECT_EQ(in.readText(), QStringLiteral("a"));
  EXPECT_FALSE(in.atEnd());
  EXPECT_EQ(in.readText(), QString());
  EXPECT_TRUE(in.atEnd());
  EXPECT_THROW(in.readText(), RuntimeError);
}

struct NumberCase {
  QString field;
  qint32 asInt32;
  qint16 asInt16;
  float asFloat;
};

class NumericSlots : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumericSlots, ConvertToTheSlotType) {
  const NumberCase &c = GetParam();
  const QString text = c.field + u',' + c.field + u',' + c.field;
  FieldReader in(text, QStringLiteral("t.txt"));
  EXPECT_EQ(in.readInt32(), c.asInt32) << c.field.toStdString();
  EXPECT_EQ(in.readInt16(), c.asInt16) << c.field.toStdString();
  EXPECT_FLOAT_EQ(in.readFloat(), c.asFloat) << c.field.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, NumericSlots,
                         ::testing::Values(NumberCase{"", 0, 0, 0}, NumberCase{"120", 120, 120, 120},
                                           NumberCase{"1.5", 2, 2, 1.5f}, NumberCase{"2.5", 2, 2, 2.5f},
                                           NumberCase{"-7", -7, -7, -7}, NumberCase{"12abc", 12, 12, 12},
                                           NumberCase{"abc", 0, 0, 0}, NumberCase{"40000", 40000, 32767, 40000},
                                           NumberCase{"1e3", 1000, 1000, 1000}));

TEST(FieldFile, Cp932RoundTripIsByteExact) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("r.txt"));
  FieldWriter out(path);
  out.writeLine({QStringLiteral("①Ⅲ～－★"), QStringLiteral("第1"), QString()});
  out.save();
  const QByteArray bytes = readWholeFile(path);
  // ① 0x8740, Ⅲ 0x8756, ～ 0x8160, － 0x817C, ★ 0x819A
  EXPECT_EQ(bytes, QByteArray("\x87\x40\x87\x56\x81\x60\x81\x7C\x81\x9A,\x91\xE6" "1,\r\n"));
  FieldReader in = FieldReader::openFile(path);
  EXPECT_EQ(in.readText(), QStringLiteral("①Ⅲ～－★"));
  EXPECT_EQ(in.readText(), QStringLiteral("第1"));
  EXPECT_EQ(in.readText(), QString());
  EXPECT_TRUE(in.atEnd());
}

// Every kind of character the program writes to its files and the roster
// and name list hold, with the bytes Windows gives them. The same table runs
// on every system, so the Debian and the Windows converter must agree.
enum class Way { Both, EncodeOnly, DecodeOnly };
struct Cp932Case {
  const char *name;
  QString text;
  QByteArray bytes;
  Way way = Way::Both;
};

class Cp932Bytes : public ::testing::TestWithParam<Cp932Case> {};

TEST_P(Cp932Bytes, AreThoseOfWindows) {
  const Cp932Case &c = GetParam();
  if (c.way != Way::DecodeOnly) {
    EXPECT_EQ(encodeCp932(c.text, QStringLiteral("x")).toHex(' ').toStdString(), c.bytes.toHex(' ').toStdString());
  }
  if (c.way != Way::EncodeOnly) {
    EXPECT_EQ(decodeCp932(c.bytes, QStringLiteral("x")).toStdString(), c.text.toStdString());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp932Bytes,
    ::testing::Values(
        Cp932Case{"ascii", QStringLiteral("Az09 !\"#,.~\\"), QByteArray("Az09 !\"#,.~\\")},
        Cp932Case{"empty", QString(), QByteArray()},
        Cp932Case{"line_end_and_end_of_file_mark", QStringLiteral("a\r\n\x1A"), QByteArray("a\r\n\x1A")},
        Cp932Case{"half_width_kana", QStringLiteral("ｸﾘｱﾎﾟｲﾝﾄ｡ｰ"), QByteArray("\xB8\xD8\xB1\xCE\xDF\xB2\xDD\xC4\xA1\xB0")},
        Cp932Case{"full_width_fill_of_the_name_list", QStringLiteral("\u3000\u3000"), QByteArray("\x81\x40\x81\x40")},
        Cp932Case{"kana_and_kanji", QStringLiteral("みなと学習塾第1"),
                  QByteArray("\x82\xDD\x82\xC8\x82\xC6\x8A\x77\x8F\x4B\x8F\x6D\x91\xE6" "1")},
        Cp932Case{"punctuation", QStringLiteral("ー・／（）「」★"),
                  QByteArray("\x81\x5B\x81\x45\x81\x5E\x81\x69\x81\x6A\x81\x75\x81\x76\x81\x9A")},
        Cp932Case{"full_width_forms", QStringLiteral("～－∥―￠￡￢"),
                  QByteArray("\x81\x60\x81\x7C\x81\x61\x81\x5C\x81\x91\x81\x92\x81\xCA")},
        // As other programs type them: WAVE DASH, MINUS SIGN, DOUBLE VERTICAL
        // LINE, EM DASH, and the Latin-1 cent, pound and not signs.
        Cp932Case{"look_alikes", QStringLiteral("\u301C\u2212\u2016\u2014\u00A2\u00A3\u00AC"),
                  QByteArray("\x81\x60\x81\x7C\x81\x61\x81\x5C\x81\x91\x81\x92\x81\xCA"), Way::EncodeOnly},
        Cp932Case{"nec_row_13", QStringLiteral("①⑳ⅠⅩ№㈱"),
                  QByteArray("\x87\x40\x87\x53\x87\x54\x87\x5D\x87\x82\x87\x8A")},
        Cp932Case{"ibm_extensions", QStringLiteral("ⅰ髙﨑"), QByteArray("\xFA\x40\xFB\xFC\xFA\xB1")},
        // Characters with two codes are written in one of them, as Windows does,
        // and both are read.
        Cp932Case{"doubles_are_written_once", QStringLiteral("≒∵￢"), QByteArray("\x81\xE0\x81\xE6\x81\xCA")},
        Cp932Case{"nec_doubles_are_read", QStringLiteral("≒∵"), QByteArray("\x87\x90\x87\x9A"), Way::DecodeOnly},
        Cp932Case{"nec_selected_ibm_rows_are_read", QStringLiteral("纊ⅰ￢"), QByteArray("\xED\x40\xEE\xEF\xEE\xF9"),
                  Way::DecodeOnly},
        // 0x80 and 0xFC stand for no character alone, but are trail bytes.
        Cp932Case{"trail_bytes_80_and_FC", QStringLiteral("÷◯"), QByteArray("\x81\x80\x81\xFC")},
        Cp932Case{"user_defined_area", QStringLiteral("\uE000\uE757"), QByteArray("\xF0\x40\xF9\xFC")}),
    [](const auto &info) { return std::string(info.param.name); });

// Characters code page 932 has no form for: refused, never written as a
// best fit ("e" for "é", "\\" for "¥") or as a stand-in character.
TEST(FieldFile, CharactersWithoutACodePage932FormAreRefused) {
  for (const QString &text : {QStringLiteral("café"), QStringLiteral("¥100"), QStringLiteral("森鷗外"),
                              QStringLiteral("𠮷田"), QStringLiteral("😀"), QString(QChar(0xD800)),
                              QStringLiteral("ä"), QString(QChar(0x80)), QString(QChar(0xF8F0)),
                              QString(QChar(0xF8F3))}) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_EQ(tryEncodeCp932(text).value_or("(refused)").toStdString(), "(refused)");
    EXPECT_THROW(encodeCp932(text, QStringLiteral("x")), RuntimeError);
  }
}

struct BadTextCase {
  const char *name;
  QByteArray bytes;
};

class BadText : public ::testing::TestWithParam<BadTextCase> {};

TEST_P(BadText, IsRefusedNamingTheFile) {
  try {
    decodeCp932(GetParam().bytes, QStringLiteral("新名簿.txt"));
    FAIL() << GetParam().name;
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), errc::BadTextEncoding);
    EXPECT_EQ(e.file(), QStringLiteral("新名簿.txt"));
  }
}

INSTANTIATE_TEST_SUITE_P(Table, BadText,
                         ::testing::Values(BadTextCase{"utf8_bom", QByteArray("\xEF\xBB\xBF" "abc")},
                                           // Notepad's default today: UTF-8 without the mark. These
                                           // bytes also decode in code page 932, as garbage.
                                           BadTextCase{"utf8_school_name", QStringLiteral("4,\"31415みなと学習塾\",0").toUtf8()},
                                           BadTextCase{"utf8_one_accent", QStringLiteral("café").toUtf8()},
                                           BadTextCase{"lone_lead_byte_at_end", QByteArray("ab\x81")},
                                           BadTextCase{"invalid_trail_byte", QByteArray("\x81\x20z")},
                                           BadTextCase{"lead_byte_before_a_line_end", QByteArray("\x82\r\nx")},
                                           BadTextCase{"unassigned_row", QByteArray("\x85\x40")},
                                           BadTextCase{"unassigned_lead_byte", QByteArray("\xEB\x40")},
                                           // Read as U+0080 and private-use characters by
                                           // Windows, refused by ICU: refused on both.
                                           BadTextCase{"single_byte_80", QByteArray("a\x80" "b")},
                                           BadTextCase{"single_byte_A0", QByteArray("a\xA0" "b")},
                                           BadTextCase{"single_bytes_FD_FE_FF", QByteArray("\xFD\xFE\xFF")},
                                           BadTextCase{"single_byte_FF_at_end", QByteArray("abc\xFF")}));

// Code page 932 text is not mistaken for UTF-8: kanji, kana, half-width kana,
// the NEC and IBM rows.
TEST(FieldFile, CodePage932TextIsNotTakenForUtf8) {
  for (const QString &text : {QStringLiteral("31415みなと学習塾"), QStringLiteral("目標Time,ｸﾘｱﾎﾟｲﾝﾄ,禁期間"),
                              QStringLiteral("①Ⅲ～－髙"), QStringLiteral("plain ASCII")}) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_EQ(decodeCp932(encodeCp932(text, QStringLiteral("x")), QStringLiteral("x")), text);
  }
}

TEST(FieldFile, AnUnencodableCharacterWritesNothing) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("w.txt"));
  writeFileAtomically(path, QByteArray("old\r\n"));
  FieldWriter out(path);
  out.writeLine({QStringLiteral("😀")});
  EXPECT_THROW(out.save(), RuntimeError);
  EXPECT_EQ(readWholeFile(path), QByteArray("old\r\n"));
}

TEST(TextFile, MissingFileAndMissingFolderAreTold) {
  QTemporaryDir dir;
  try {
    readWholeFile(dir.filePath(QStringLiteral("none.txt")));
    FAIL();
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), errc::FileNotFound);
  }
  try {
    readWholeFile(dir.filePath(QStringLiteral("no/such/none.txt")));
    FAIL();
  } catch (const RuntimeError &e) {
    EXPECT_EQ(e.number(), errc::PathNotFound);
  }
}

}  // namespace
