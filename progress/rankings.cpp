#include "progress/rankings.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "app/programstate.h"
#include "platform/clock.h"
#include "results/tallies.h"
#include "roster/roster.h"

namespace minatori {

namespace {

constexpr int kMaxStudentNumber = kRosterSlots - 1;
constexpr qint32 kFailedTime = 99998;       // a personal best that stands for a failed run
constexpr int kListNameLength = 5;          // characters of a name in a list row
const QString kCurrentMark = QStringLiteral("●");
const QString kFullSpace = QStringLiteral("　");

bool rosterNumber(int s) { return s >= 0 && s <= kMaxStudentNumber; }
bool tallyNumber(int s) { return s >= 1 && s < kTallyStudents; }

// The number right-aligned in `width` characters; a longer one shows its last digits.
QString lastDigits(qint64 value, int width) { return QString::number(value).rightJustified(width, u' ').right(width); }

QString withoutTrailingBlanks(const QString &text) {
  qsizetype end = text.size();
  while (end > 0 && text[end - 1] == u' ') --end;
  return text.left(end);
}

// A name filled with `fill` full-width spaces and cut to the list's name column.
QString nameColumn(const QString &name, int fill) { return (name + kFullSpace.repeated(fill)).left(kListNameLength); }

// Grade index of a student; a number outside the roster's tables has birth
// year 0, which puts it in no group but "全学年".
int gradeOf(const ProgramState &state, int s) {
  const int birthYear = rosterNumber(s) ? state.roster.birthYearByNumber[static_cast<size_t>(s)] : 0;
  return gradeIndex(state.roster.schoolYear, birthYear);
}

bool isCurrent(const ProgramState &state, int s) { return s != 0 && s == state.studentNumber; }

QString markOf(const ProgramState &state, int s, int g) { return isCurrent(state, s) ? kCurrentMark : gradeMark(g); }

// The figures of one student on one level that the rankings read.
struct Standing {
  qint32 best = kNoTime;
  qint64 allPoints = 0;    // A
  qint64 todayPoints = 0;  // T
};

Standing standingOf(const ResultsTallies &tallies, int level, int s) {
  if (!tallyNumber(s)) return {};
  return {tallies.personalBest(level, s), tallies.pointTotal(level, s), tallies.todayPointTotal(level, s)};
}

qint32 rankingKey(const Standing &st, ResultsKind kind, PointsRanking ranking) {
  if (kind == ResultsKind::Times) return st.best;
  // More points sort first; the other total breaks ties within the key.
  const qint64 key = ranking == PointsRanking::Today ? 1000000 - st.todayPoints * 1000 - st.allPoints
                                                     : 1000000 - st.allPoints * 1000 - st.todayPoints;
  return static_cast<qint32>(std::clamp<qint64>(key, INT32_MIN, INT32_MAX));
}

// The value whose equality shares a rank: the time, or the points ranked by.
qint64 comparedValue(const Standing &st, ResultsKind kind, PointsRanking ranking) {
  if (kind == ResultsKind::Times) return st.best;
  return ranking == PointsRanking::Today ? st.todayPoints : st.allPoints;
}

void sortRange(std::vector<qint32> &key, std::vector<qint16> &payload, int lo, int hi, std::vector<qint32> &leftKey,
               std::vector<qint16> &leftPayload) {
  if (lo >= hi) return;
  const int mid = (lo + hi) / 2;
  sortRange(key, payload, lo, mid, leftKey, leftPayload);
  sortRange(key, payload, mid + 1, hi, leftKey, leftPayload);
  const int leftCount = mid - lo + 1;
  std::copy(key.begin() + lo, key.begin() + mid + 1, leftKey.begin());
  std::copy(payload.begin() + lo, payload.begin() + mid + 1, leftPayload.begin());
  int a = 0, b = mid + 1, out = lo;
  while (a < leftCount && b <= hi) {
    if (leftKey[static_cast<size_t>(a)] < key[static_cast<size_t>(b)]) {
      key[static_cast<size_t>(out)] = leftKey[static_cast<size_t>(a)];
      payload[static_cast<size_t>(out++)] = leftPayload[static_cast<size_t>(a++)];
    } else {
      key[static_cast<size_t>(out)] = key[static_cast<size_t>(b)];
      payload[static_cast<size_t>(out++)] = payload[static_cast<size_t>(b++)];
    }
  }
  // The right run's rest is already in place.
  for (; a < leftCount; ++a, ++out) {
    key[static_cast<size_t>(out)] = leftKey[static_cast<size_t>(a)];
    payload[static_cast<size_t>(out)] = leftPayload[static_cast<size_t>(a)];
  }
}

// What today's and the period's rows show of one record.
struct RecordLook {
  QString timeText;  // "40秒"
  QString mark;
  QString name;  // the name column
  int g = 0;
  qint32 points = 0;
};

RecordLook lookOf(const ProgramState &state, const Seisekikiroku &r) {
  const int s = r.studentNumber;
  RecordLook look;
  look.timeText = QString::number(r.resultTime) + u'秒';
  // Number 0 is no student (and numbers beyond the roster's tables have no
  // name): such a record is listed without a name.
  const QString name = s >= 1 && rosterNumber(s) ? trimBlanks(state.roster.nameByNumber[static_cast<size_t>(s)]) : QString();
  look.name = nameColumn(name, 4);
  look.g = gradeOf(state, s);
  look.mark = markOf(state, s, look.g);
  look.points = listBasePoints(state.criteria[static_cast<size_t>(r.level)].targetTime, r.resultTime);
  return look;
}

int listedLevels(const ProgramState &state) { return std::clamp<int>(state.levelCount, 0, kMaxCriteriaLevel); }

bool listedLevel(const ProgramState &state, int level) { return level >= 1 && level <= listedLevels(state); }

// "hh:mm" of a time of day stored as a fraction of a day.
QString clockText(double recordTime) {
  const int seconds = secondsOfDay(recordTime);
  return QStringLiteral("%1:%2").arg(seconds / 3600, 2, 10, QChar(u'0')).arg(seconds % 3600 / 60, 2, 10, QChar(u'0'));
}

int dayOf(double recordDate) { return wholeDaySerial(recordDate); }

// A row of today's or the period's list: timed-out attempts as "×", others
// by their time; `when` is the clock or the day.
QString timeRow(const RecordLook &look, const Seisekikiroku &r, const QString &when) {
  if (r.resultTime >= kTimedOutFrom) return QStringLiteral("　　× ") + when + look.mark + look.name + look.mark;
  return look.timeText.rightJustified(5, u' ') + u' ' + when + look.mark + look.name + look.mark +
         QString::number(look.points);
}

}  // namespace

QString gradeMark(int g) {
  if (g >= 1 && g <= 6) return QString(QChar(static_cast<char16_t>(u'①' + (g - 1))));
  if (g >= 7 && g <= 9) return QString(QChar(static_cast<char16_t>(u'Ⅰ' + (g - 7))));
  return kFullSpace;
}

// The progress screen offers the name-selection screen's groups with the same rule.
bool inGroup(const QString &group, int g) { return inGradeGroup(group, g); }

void mergeSortByKey(std::vector<qint32> &key, std::vector<qint16> &payload, int n) {
  n = std::min<int>(n, static_cast<int>(std::min(key.size(), payload.size())) - 1);
  if (n < 2) return;
  std::vector<qint32> leftKey(static_cast<size_t>(n / 2 + 1));
  std::vector<qint16> leftPayload(leftKey.size());
  sortRange(key, payload, 1, n, leftKey, leftPayload);
}

QStringList rankingRows(const ProgramState &state, int level, ResultsKind kind, PointsRanking ranking,
                        const QString &group) {
  return rankingRows(state, level, kind, ranking, group, RankColumn::List);
}

QStringList rankingRows(const ProgramState &state, int level, ResultsKind kind, PointsRanking ranking,
                        const QString &group, RankColumn column) {
  if (level < 1 || level >= kTallyLevels) return {};
  const RosterTable &roster = state.roster;
  const int n = std::clamp(roster.rosterCount, 0, static_cast<int>(roster.numberByLine.size()) - 1);
  std::vector<qint32> key(static_cast<size_t>(n) + 1);
  std::vector<qint16> payload(key.size());
  for (int i = 1; i <= n; ++i) {
    const qint16 s = roster.numberByLine[static_cast<size_t>(i)];
    payload[static_cast<size_t>(i)] = s;
    key[static_cast<size_t>(i)] = rankingKey(standingOf(state.tallies, level, s), kind, ranking);
  }
  // Sorted twice: each run reverses equal keys, so the two together keep
  // the roster's order among them (the rows of a rank are then put in text
  // order below).
  mergeSortByKey(key, payload, n);
  mergeSortByKey(key, payload, n);

  QStringList rows;
  int rank = 0;
  qint64 previous = 0;
  // The lists keep their rows in text order: rows of one rank, which begin
  // alike, stand in the order of their texts, not the roster's.
  qsizetype rankStart = 0;
  const auto sortTies = [&rows, &rankStart] { std::sort(rows.begin() + rankStart, rows.end()); };
  for (int i = 1; i <= n; ++i) {
    const int s = payload[static_cast<size_t>(i)];
    const Standing st = standingOf(state.tallies, level, s);
    const qint64 compared = comparedValue(st, kind, ranking);
    // Every student holds a place, also those the group leaves out.
    if (i == 1 || compared != previous) {
      sortTies();
      rankStart = rows.size();
      rank = i;
    }
    previous = compared;
    const int g = gradeOf(state, s);
    if (!inGroup(group, g)) continue;
    const QString mark = markOf(state, s, g);
    const QString endMark = isCurrent(state, s) ? kCurrentMark : kFullSpace;
    const QString name =
        nameColumn(rosterNumber(s) ? withoutTrailingBlanks(roster.nameByNumber[static_cast<size_t>(s)]) : QString(), 6);
    const bool sheet = column == RankColumn::Sheet;
    const QString rankText = lastDigits(rank, sheet ? 3 : 2);
    const qint32 k = key[static_cast<size_t>(i)];
    if (kind == ResultsKind::Times) {
      if (k == kFailedTime)
        rows << rankText + mark + name + QStringLiteral("*失敗* ") + endMark;
      else if (k == kNoTime)
        rows << (sheet ? QStringLiteral("---") : QStringLiteral("--")) + mark + name + QStringLiteral("------ ") + endMark;
      else
        rows << rankText + mark + name + lastDigits(k, 6) + u' ' + endMark;
    } else if (ranking == PointsRanking::AllRecords || st.todayPoints != 0) {
      rows << rankText + mark + name + lastDigits(st.todayPoints, 3) + u'/' + lastDigits(st.allPoints, 5);
    }
  }
  sortTies();
  return rows;
}

int listBasePoints(int targetTime, int resultTime) {
  return resultTime >= kFailedTime ? 0 : basePoints(targetTime, resultTime, /*tallyVariant=*/true);
}

std::vector<QStringList> todayRows(const ProgramState &state, const std::vector<Seisekikiroku> &records,
                                   const QDate &today, const QString &group) {
  std::vector<QStringList> rows(static_cast<size_t>(listedLevels(state)) + 1);
  const int todaySerial = dateSerial(today);
  for (const Seisekikiroku &r : records) {
    if (!listedLevel(state, r.level) || dayOf(r.recordDate) != todaySerial) continue;
    const RecordLook look = lookOf(state, r);
    if (inGroup(group, look.g)) rows[static_cast<size_t>(r.level)] << timeRow(look, r, clockText(r.recordTime));
  }
  return rows;
}

int periodDays(int periodChoice, const QDate &today) {
  const int w = today.dayOfWeek() % 7 + 1;  // Sunday = 1 … Saturday = 7
  const bool sunday = w == 1;
  switch (periodChoice) {
    case 1: return sunday ? 7 : w - 1;       // this week, from Monday
    case 2: return sunday ? 14 : w - 1 + 7;  // from last week's Monday
    case 3: return 30;
    case 4: return 365;
    case 5: return 3650;
    default: return 0;  // no choice: an empty period
  }
}

std::vector<QStringList> periodRows(const ProgramState &state, const std::vector<Seisekikiroku> &records,
                                    const QDateTime &now, int periodChoice, ResultsKind kind, const QString &group) {
  std::vector<QStringList> rows(static_cast<size_t>(listedLevels(state)) + 1);
  // The record's day, not its time of day, is compared with the moment D days
  // ago, so a period starts at a midnight: D = 7 on a Sunday is Monday to Sunday.
  const double from = dateTimeSerial(now) - periodDays(periodChoice, now.date());
  for (const Seisekikiroku &r : records) {
    if (!listedLevel(state, r.level) || !(r.recordDate > from)) continue;
    const RecordLook look = lookOf(state, r);
    if (!inGroup(group, look.g)) continue;
    const QString day = dateFromSerial(dayOf(r.recordDate)).toString(QStringLiteral("MM/dd"));
    QStringList &list = rows[static_cast<size_t>(r.level)];
    if (kind == ResultsKind::Times)
      list << timeRow(look, r, day);
    else
      list << QString::number(look.points).rightJustified(5, u' ') + u' ' + day + look.mark + look.name + look.mark +
                  look.timeText;
  }
  return rows;
}

}  // namespace minatori
