#include "roster/roster.h"

#include <algorithm>
#include <functional>

#include "app/programstate.h"
#include "platform/fieldfile.h"
#include "platform/loosevalue.h"
#include "platform/runtimeerror.h"
#include "platform/textfile.h"
#include "results/tallies.h"

namespace minatori {

namespace {

constexpr int kMaxStudentNumber = kRosterSlots - 1;
constexpr int kFigureLevels = 35;

QString fixedName(const QString &text) { return text.left(kNameLength).leftJustified(kNameLength, u' '); }

QString lastChars(const QString &text, int count) { return text.right(count); }

qint16 readNumberField(FieldReader &in) {
  const int line = in.lineNumber();
  const QString text = in.readText();
  if (text.isEmpty()) return 0;
  if (!isNumberText(text))
    throw RuntimeError(errc::TypeMismatch, in.file(),
                       QStringLiteral("(%1 行目の数値の項目が「%2」です)").arg(line).arg(text));
  // Held to the slot before rounding: a number past the range of qint64 has no rounded value.
  return static_cast<qint16>(qRound(std::clamp(leadingNumber(text), -32768.0, 32767.0)));
}

bool validNumber(int studentNumber) { return studentNumber >= 0 && studentNumber <= kMaxStudentNumber; }

}  // namespace

QString trimBlanks(const QString &text) {
  qsizetype first = 0, last = text.size();
  while (first < last && text[first] == u' ') ++first;
  while (last > first && text[last - 1] == u' ') --last;
  return text.mid(first, last - first);
}

RosterTable::RosterTable()
    : entries(kRosterSlots),
      numberByLine(kRosterSlots),
      nameByNumber(kRosterSlots),
      birthYearByNumber(kRosterSlots),
      gradeLabelByNumber(kRosterSlots) {}

std::vector<RosterLine> parseRosterLines(const QString &text, const QString &file) {
  FieldReader in(text, file);
  std::vector<RosterLine> lines;
  while (!in.atEnd()) {
    const int line = in.lineNumber();
    try {
      RosterLine r;
      r.entry.studentNumber = readNumberField(in);
      r.entry.birthYearCode = readNumberField(in);
      r.entry.extraNumber3 = readNumberField(in);
      r.entry.extraNumber4 = readNumberField(in);
      r.entry.name = fixedName(in.readText());
      r.status = readNumberField(in);
      r.entry.extraText7 = fixedName(in.readText());
      r.entry.extraText8 = fixedName(in.readText());
      lines.push_back(std::move(r));
    } catch (const RuntimeError &e) {
      if (e.number() != errc::InputPastEnd) throw;
      throw RuntimeError(errc::InputPastEnd, file, QStringLiteral("(%1 行目の項目が 8 個に足りません)").arg(line));
    }
  }
  return lines;
}

QString rosterFilePath(const ProgramState &state) { return state.dataFolder + QString::fromUtf16(kRosterFileName); }

int schoolYearNow(const QDate &today, double yearStartMonth) {
  return today.year() - (today.month() < yearStartMonth ? 1 : 0);
}

QString shortGradeLabel(int g) {
  if (g <= -3) return QStringLiteral("幼-");
  if (g <= 0) return QStringLiteral("幼%1").arg(g + 3);
  if (g <= 6) return QStringLiteral("小%1").arg(g);
  if (g <= 9) return QStringLiteral("中%1").arg(g - 6);
  if (g <= 12) return QStringLiteral("高%1").arg(g - 9);
  return QStringLiteral("大+");
}

QString fullGradeLabel(int g) {
  static const char16_t *const labels[] = {u"幼３", u"小１", u"小２", u"小３", u"小４", u"小５",
                                           u"小６", u"中１", u"中２", u"中３", u"高１"};
  return g >= 0 && g <= 10 ? QString::fromUtf16(labels[g]) : QString();
}

int gradeWithinSchool(int g) {
  if (g <= 0) return g - 6;  // kindergarten: −2 → −8, −1 → −7, 0 → −6
  if (g <= 6) return g;
  if (g <= 9) return g - 6;
  if (g == 10) return 1;
  return g - 9;
}

QStringList gradeGroups() {
  return {QStringLiteral("全学年"), QStringLiteral("中学生全体"), QStringLiteral("小学生全体"),
          QStringLiteral("中３"),   QStringLiteral("中２"),       QStringLiteral("中１"),
          QStringLiteral("小６"),   QStringLiteral("小５"),       QStringLiteral("小４"),
          QStringLiteral("小３"),   QStringLiteral("小２"),       QStringLiteral("小１")};
}

bool inGradeGroup(const QString &group, int g) {
  if (group == QStringLiteral("全学年")) return true;
  if (group == QStringLiteral("中学生全体")) return g >= 7 && g <= 9;
  if (group == QStringLiteral("小学生全体")) return g >= 1 && g <= 6;
  const QStringList groups = gradeGroups();
  const qsizetype i = groups.indexOf(group);
  // "中３" is list entry 3 and grade 9; "小１" is entry 11 and grade 1.
  return i >= 3 && g == 12 - static_cast<int>(i);
}

StudentFigures studentFigures(const ResultsTallies &tallies, int studentNumber) {
  StudentFigures f;
  if (studentNumber < 0 || studentNumber >= kTallyStudents) return f;
  for (int level = 1; level <= kFigureLevels; ++level) {
    f.todayCount += tallies.todayAttemptCount(level, studentNumber);
    f.todayPoints += tallies.todayPointTotal(level, studentNumber);
    f.allCount += tallies.attemptCount(level, studentNumber);
    f.allPoints += tallies.pointTotal(level, studentNumber);
  }
  return f;
}

QString todayCountText(float count) {
  return count == 0 ? QStringLiteral("     ") : lastChars(QStringLiteral("  ") + formatFloat(count), 3) + u'回';
}

QString todayPointsText(qint64 points) {
  return points == 0 ? QStringLiteral("  　") : lastChars(QStringLiteral("   ") + QString::number(points), 4);
}

QString allCountText(qint64 count) {
  return count == 0 ? QStringLiteral("     　") : lastChars(QStringLiteral("      ") + QString::number(count), 5) + u'回';
}

QString allPointsText(qint64 points) {
  return points == 0 ? QStringLiteral("       ") : lastChars(QStringLiteral("      ") + QString::number(points), 7);
}

QString studentLineText(int g, const QString &name, int figureMode, const StudentFigures &f) {
  const QString label = shortGradeLabel(g) + u' ' + trimBlanks(name);
  const int column = gradeWithinSchool(g) < 1 && figureMode != 1 ? 11 : 9;
  const QString fill(std::max<qsizetype>(0, column - label.size()), QChar(u'　'));
  QString first, second;
  switch (figureMode) {
    case 1:
      first = todayPointsText(f.todayPoints), second = allPointsText(f.allPoints);
      break;
    case 2:
      first = todayPointsText(f.todayPoints), second = todayCountText(f.todayCount);
      break;
    case 3:
      first = allPointsText(f.allPoints), second = allCountText(f.allCount);
      break;
    default:
      first = todayCountText(f.todayCount), second = allCountText(f.allCount);
  }
  return label + fill + first + u'/' + second;
}

std::vector<StudentLine> readRosterForNameList(ProgramState &state, const QDate &today, int figureMode) {
  RosterTable &r = state.roster;
  r.schoolYear = schoolYearNow(today, state.yearStartMonth);
  const QString path = rosterFilePath(state);
  std::vector<StudentLine> out;
  int n = 0;
  for (RosterLine &line : parseRosterLines(readCp932File(path), path)) {
    const RosterEntry &e = line.entry;
    // Numbers outside the tables are left out rather than written past them.
    if (!validNumber(e.studentNumber)) continue;
    if (line.status == 2 && state.showStatus2 == 1) line.status = 0;
    const auto number = static_cast<size_t>(e.studentNumber);
    r.nameByNumber[number] = e.name;
    r.birthYearByNumber[number] = e.birthYearCode;
    const int g = gradeIndex(r.schoolYear, e.birthYearCode);
    if (const QString label = fullGradeLabel(g); !label.isEmpty()) r.gradeLabelByNumber[number] = label;
    if (line.status != 0 || n == kMaxStudentNumber) continue;
    ++n;
    r.entries[static_cast<size_t>(n)] = e;
    r.numberByLine[static_cast<size_t>(n)] = e.studentNumber;
    out.push_back({e.birthYearCode, e.studentNumber,
                   studentLineText(g, e.name, figureMode, studentFigures(state.tallies, e.studentNumber))});
  }
  r.rosterCount = n;
  return out;
}

void refreshRosterByNumber(ProgramState &state, const QDate &today,
                           const std::function<void(const RosterLine &)> &each) {
  RosterTable &r = state.roster;
  const int schoolYear = schoolYearNow(today, state.yearStartMonth);
  const int offset = today.month() < state.yearStartMonth ? -1 : 0;
  const QString path = rosterFilePath(state);
  for (const RosterLine &line : parseRosterLines(readCp932File(path), path)) {
    const RosterEntry &e = line.entry;
    if (!validNumber(e.studentNumber)) continue;
    r.entries[0] = e;
    const auto number = static_cast<size_t>(e.studentNumber);
    r.nameByNumber[number] = trimBlanks(e.name);
    r.birthYearByNumber[number] = e.birthYearCode;
    if (const QString label = fullGradeLabel(gradeIndex(schoolYear, e.birthYearCode) + offset); !label.isEmpty())
      r.gradeLabelByNumber[number] = label;
    each(line);
  }
}

QStringList loadStudentList(ProgramState &state, const QDate &today) {
  const RosterTable &r = state.roster;
  QStringList rows;
  refreshRosterByNumber(state, today, [&](const RosterLine &line) {
    if (line.status != 0) return;
    const auto number = static_cast<size_t>(line.entry.studentNumber);
    rows << r.gradeLabelByNumber[number] + QStringLiteral(" /  ") + r.nameByNumber[number] + u'/' +
                QString::number(line.entry.studentNumber);
  });
  return rows;
}

}  // namespace minatori
