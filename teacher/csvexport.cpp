#include "teacher/csvexport.h"

#include <QFileInfo>
#include <QStringList>
#include <cmath>

#include "app/levelcatalogue.h"
#include "app/programstate.h"
#include "platform/clock.h"
#include "platform/textfile.h"
#include "results/resultslog.h"
#include "roster/roster.h"
#include "teacher/resultsdata.h"

namespace minatori {

namespace {

// A field in double quotes when it holds a comma, a quote or a line end.
QString csvField(const QString &text) {
  if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n')) return text;
  QString quoted = text;
  quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}


}  // namespace

QString resultsCsvText(const ProgramState &state, const std::vector<Seisekikiroku> &records) {
  QString text = QStringLiteral("記録番号,日付,時刻,レベル,レベル名,タイム(秒),生徒番号,名前,学年,塾\r\n");
  int number = 0;
  for (const Seisekikiroku &r : records) {
    ++number;
    const bool known = r.studentNumber >= 0 && r.studentNumber < kRosterSlots;
    const auto s = static_cast<size_t>(known ? r.studentNumber : 0);
    const QString level = r.level >= 1 && r.level <= kNamedLevels ? catalogueLevelName(r.level) : QString();
    const QStringList fields = {
        QString::number(number),
        shortDateText(dateFromSerial(wholeDaySerial(r.recordDate))),
        timeOfDayText(r.recordTime),
        QString::number(r.level),
        level,
        QString::number(r.resultTime),
        QString::number(r.studentNumber),
        known ? trimBlanks(state.roster.nameByNumber[s]) : QString(),
        known ? state.roster.gradeLabelByNumber[s] : QString(),
        isOwnSchool(r, state.schoolCode) ? state.schoolName : QStringLiteral("他塾"),
    };
    QStringList line;
    for (const QString &f : fields) line << csvField(f);
    text += line.join(u',') + QStringLiteral("\r\n");
  }
  return text;
}

QString exportResultsCsv(const ProgramState &state, const QDate &today) {
  const std::vector<Seisekikiroku> records = readResultRecords(resultsLogPath(state));
  const QString stem = state.dataFolder + QStringLiteral("成績一覧_") + today.toString(QStringLiteral("yyyy-MM-dd"));
  QString path = stem + QStringLiteral(".csv");
  for (int n = 2; QFileInfo::exists(path); ++n) path = stem + QStringLiteral("_%1.csv").arg(n);
  writeFileAtomically(path, encodeCp932(resultsCsvText(state, records), path));
  return path;
}

}  // namespace minatori
