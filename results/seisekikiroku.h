#pragma once
// One record of the results log "成績累積データ.dat": 44 bytes, little-endian,
// fields packed without padding. This header is the only place that knows
// the byte layout.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>

namespace minatori {

struct Seisekikiroku {
  double recordDate = 0;  // date serial, whole days
  double recordTime = 0;  // fraction of a day, to the second (0.5 = 12:00:00)
  qint16 studentNumber = 0;
  qint16 level = 0;
  qint32 resultTime = 0;  // seconds; 99999 = timed out
  std::array<char, 5> schoolCode{};  // code page 932, padded with spaces
  std::array<char, 5> spareText1{};  // five spaces
  std::array<char, 5> pointsText{};  // "0" and four spaces; points are recomputed
  std::array<char, 5> spareText2{};  // five zero bytes
};

namespace recordlayout {
inline constexpr std::size_t RecordDate = 0, RecordTime = 8, StudentNumber = 16, Level = 18, ResultTime = 20,
                             SchoolCode = 24, SpareText1 = 29, PointsText = 34, SpareText2 = 39;
inline constexpr std::size_t Size = 44;
static_assert(RecordTime == RecordDate + sizeof(double));
static_assert(StudentNumber == RecordTime + sizeof(double));
static_assert(Level == StudentNumber + sizeof(qint16));
static_assert(ResultTime == Level + sizeof(qint16));
static_assert(SchoolCode == ResultTime + sizeof(qint32));
static_assert(SpareText1 == SchoolCode + 5 && PointsText == SpareText1 + 5 && SpareText2 == PointsText + 5);
static_assert(Size == SpareText2 + 5, "a results record is 44 bytes");
}  // namespace recordlayout

inline constexpr int kResultRecordSize = static_cast<int>(recordlayout::Size);

// The 44 bytes of a record.
QByteArray encodeRecord(const Seisekikiroku &record);
// A record from 44 bytes at `bytes`.
Seisekikiroku decodeRecord(const char *bytes);

// A record for an attempt: the date and time as stored, the texts as they are
// always written. `schoolCode` is cut to five bytes of code page 932 and
// padded with spaces.
Seisekikiroku makeRecord(int dateSerial, int secondsSinceMidnight, qint16 studentNumber, qint16 level,
                         qint32 resultTime, const QString &schoolCode);

}  // namespace minatori
