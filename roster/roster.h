#pragma once
// The roster "新名簿.txt" in the data folder: one student a line, eight
// fields (number, birth-year code, two spare numbers, name, status, two spare
// texts). This program only reads it. Here too: the school-year and grade
// arithmetic and the student lines of the name-selection screen.

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace minatori {

struct ProgramState;
struct ResultsTallies;

inline constexpr const char16_t *kRosterFileName = u"新名簿.txt";
inline constexpr int kRosterSlots = 5001;  // student numbers and active lines 0..5000
inline constexpr int kNameLength = 20;

struct RosterEntry {
  qint16 studentNumber = 0;
  qint16 birthYearCode = 0;
  qint16 extraNumber3 = 0;
  qint16 extraNumber4 = 0;
  QString name;  // 20 characters, blank-filled
  QString extraText7;
  QString extraText8;
};

struct RosterTable {
  RosterTable();
  // Positions 1..rosterCount: the active lines in file order; 0 is scratch.
  std::vector<RosterEntry> entries;
  int rosterCount = 0;
  std::vector<qint16> numberByLine;
  // Indexed by student number 0..5000; written for every line, active or not.
  std::vector<QString> nameByNumber;
  std::vector<qint16> birthYearByNumber;
  std::vector<QString> gradeLabelByNumber;  // full-width label, empty when never stored
  int schoolYear = 0;
};

// One line of the file as read, with its status (not kept in the entry).
struct RosterLine {
  RosterEntry entry;
  int status = 0;
};

// `text` without the ASCII blanks at both ends; names are filled with
// those, while a full-width space belongs to the name.
QString trimBlanks(const QString &text);

// Reads the roster's lines. A last line with fewer than eight fields is error
// 62 naming the file and the line.
std::vector<RosterLine> parseRosterLines(const QString &text, const QString &file);
QString rosterFilePath(const ProgramState &state);

// The school year of `today`: its calendar year, one less before the start month.
int schoolYearNow(const QDate &today, double yearStartMonth);
// g = schoolYear − birthYearCode − 6; 1 is the first year of elementary school.
inline int gradeIndex(int schoolYear, int birthYearCode) { return schoolYear - birthYearCode - 6; }
// "幼-", "幼1".."幼3", "小1".."小6", "中1".."中3", "高1".."高3", "大+".
QString shortGradeLabel(int g);
// "幼３", "小１".."小６", "中１".."中３", "高１" for 0 ≤ g ≤ 10, else empty (not stored).
QString fullGradeLabel(int g);
// The grade counted within its own school; below 1 exactly for kindergarten.
int gradeWithinSchool(int g);

// Whether grade index g belongs to the name-selection screen's group text.
bool inGradeGroup(const QString &group, int g);
// The twelve groups of the name-selection screen, in list order.
QStringList gradeGroups();

// A student's figures over levels 1..35 from the tallies.
struct StudentFigures {
  float todayCount = 0;
  qint64 todayPoints = 0;
  qint64 allCount = 0;
  qint64 allPoints = 0;
};
StudentFigures studentFigures(const ResultsTallies &tallies, int studentNumber);
QString todayCountText(float count);
QString todayPointsText(qint64 points);
QString allCountText(qint64 count);
QString allPointsText(qint64 points);

// One row of the name list.
struct StudentLine {
  qint16 birthYearCode = 0;
  qint16 studentNumber = 0;
  QString text;
};
// The row text: grade label, name, full-width fill to the figure column, and
// the pair of figures of `figureMode` 0..3.
QString studentLineText(int g, const QString &name, int figureMode, const StudentFigures &figures);

// Reads the roster into state.roster with the name list's grade rule and
// returns the active students' lines in file order. The caller recomputes the
// tallies first.
std::vector<StudentLine> readRosterForNameList(ProgramState &state, const QDate &today, int figureMode);

// Reads the roster and, for every line with a number in 0..5000, active or
// not, stores the trimmed name, the birth-year code and, for grade index
// 0..10, the full-width grade label by number, with the grade one lower before
// the start month, then hands the line to `each`, in file order. The progress
// screen's reader and the results-data manager's share it.
void refreshRosterByNumber(ProgramState &state, const QDate &today,
                           const std::function<void(const RosterLine &)> &each);

// The progress screen's reader: refreshes the per-number tables with its own
// grade rule (one lower before the start month) and returns its student
// list's rows, "小３ /  name/17".
QStringList loadStudentList(ProgramState &state, const QDate &today);

}  // namespace minatori
