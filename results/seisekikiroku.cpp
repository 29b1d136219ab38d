#include "results/seisekikiroku.h"

#include <QtEndian>
#include <cstring>

#include "platform/textfile.h"

namespace minatori {

namespace rl = recordlayout;

QByteArray encodeRecord(const Seisekikiroku &r) {
  QByteArray b(kResultRecordSize, '\0');
  char *p = b.data();
  qToLittleEndian(r.recordDate, p + rl::RecordDate);
  qToLittleEndian(r.recordTime, p + rl::RecordTime);
  qToLittleEndian(r.studentNumber, p + rl::StudentNumber);
  qToLittleEndian(r.level, p + rl::Level);
  qToLittleEndian(r.resultTime, p + rl::ResultTime);
  std::memcpy(p + rl::SchoolCode, r.schoolCode.data(), 5);
  std::memcpy(p + rl::SpareText1, r.spareText1.data(), 5);
  std::memcpy(p + rl::PointsText, r.pointsText.data(), 5);
  std::memcpy(p + rl::SpareText2, r.spareText2.data(), 5);
  return b;
}

Seisekikiroku decodeRecord(const char *p) {
  Seisekikiroku r;
  r.recordDate = qFromLittleEndian<double>(p + rl::RecordDate);
  r.recordTime = qFromLittleEndian<double>(p + rl::RecordTime);
  r.studentNumber = qFromLittleEndian<qint16>(p + rl::StudentNumber);
  r.level = qFromLittleEndian<qint16>(p + rl::Level);
  r.resultTime = qFromLittleEndian<qint32>(p + rl::ResultTime);
  std::memcpy(r.schoolCode.data(), p + rl::SchoolCode, 5);
  std::memcpy(r.spareText1.data(), p + rl::SpareText1, 5);
  std::memcpy(r.pointsText.data(), p + rl::PointsText, 5);
  std::memcpy(r.spareText2.data(), p + rl::SpareText2, 5);
  return r;
}

namespace {

// Five bytes of code page 932: cut at a character boundary, padded with
// spaces. A character with no code page 932 form ends the text there too,
// rather than leaving bytes another program would misread.
std::array<char, 5> fiveBytes(const QString &text) {
  std::array<char, 5> out;
  out.fill(' ');
  size_t used = 0;
  for (const QChar c : text) {
    const std::optional<QByteArray> encoded = tryEncodeCp932(QString(c));
    if (!encoded) break;
    const QByteArray &b = *encoded;
    if (used + static_cast<size_t>(b.size()) > out.size()) break;
    std::memcpy(out.data() + used, b.constData(), static_cast<size_t>(b.size()));
    used += static_cast<size_t>(b.size());
  }
  return out;
}

}  // namespace

Seisekikiroku makeRecord(int dateSerial, int secondsSinceMidnight, qint16 studentNumber, qint16 level,
                         qint32 resultTime, const QString &schoolCode) {
  Seisekikiroku r;
  r.recordDate = dateSerial;
  r.recordTime = secondsSinceMidnight / 86400.0;
  r.studentNumber = studentNumber;
  r.level = level;
  r.resultTime = resultTime;
  r.schoolCode = fiveBytes(schoolCode);
  r.spareText1 = fiveBytes(QString());
  r.pointsText = fiveBytes(QStringLiteral("0"));
  r.spareText2 = {0, 0, 0, 0, 0};
  return r;
}

}  // namespace minatori
