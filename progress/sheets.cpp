#include "progress/sheets.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/programstate.h"
#include "platform/clock.h"
#include "platform/loosevalue.h"
#include "platform/twips.h"
#include "results/resultslog.h"
#include "roster/roster.h"

namespace minatori {

namespace {

constexpr int kNameMatchLength = 5;  // characters of a name the ranking rows show
constexpr int kRankTextLength = 3;
constexpr int kPointsTextLength = 5;  // a points row ends with the all-records points in five
constexpr double kTwipsPerPoint = 20;
// Printer dots are counted at 600 dpi; a screen pixel is 15 twips.
constexpr double kPrinterTwipsPerDot = 1440.0 / 600.0;
constexpr int kCanvasLineDots = 5;
constexpr int kPrinterLineDots = 30;
constexpr int kFrameLineDots = 2;
constexpr int kBestLineDots = 3;

const QColor kNearBlack(1, 0, 0);  // colour value 1
const QColor kBestColour(255, 0, 0);
const QColor kAttemptColour(0, 0, 255);
const QColor kForeColour(0, 0, 0);

bool studentNumberInTables(int s) { return s >= 1 && s < kRosterSlots; }

QString withoutTrailingBlanks(const QString &text) {
  qsizetype end = text.size();
  while (end > 0 && text[end - 1] == u' ') --end;
  return text.left(end);
}

QString rosterName(const ProgramState &state, int student) {
  return studentNumberInTables(student) ? state.roster.nameByNumber[static_cast<size_t>(student)] : QString();
}

int studentGrade(const ProgramState &state, int student) {
  const int birthYear = studentNumberInTables(student) ? state.roster.birthYearByNumber[static_cast<size_t>(student)] : 0;
  return gradeIndex(state.roster.schoolYear, birthYear);
}

// The first row holding the name as the rows show it; none for an empty name,
// which every row would "hold".
const QString *findStudentRow(const QStringList &rows, const QString &name) {
  const QString shown = withoutTrailingBlanks(name).left(kNameMatchLength);
  if (shown.isEmpty()) return nullptr;
  for (const QString &row : rows)
    if (row.contains(shown)) return &row;
  return nullptr;
}

qint64 rowPoints(const QString &row) { return std::llround(leadingNumber(row.right(kPointsTextLength).trimmed())); }

// The "#######" number format: whole units, nothing for 0, a text that is
// not a number unchanged.
QString wholeOrBlank(double value) {
  const qint64 n = std::llround(value);
  return n == 0 ? QString() : QString::number(n);
}
QString wholeOrBlank(const QString &text) {
  return isNumberText(text) ? wholeOrBlank(leadingNumber(text.trimmed())) : text;
}

// The last n characters of `text` preceded by blanks.
QString rightIn(const QString &text, int n) { return (QString(n, u' ') + text).right(n); }

QString dateText(int serial) { return shortDateText(dateFromSerial(serial)); }

// A best's date in full, or only "MM/dd" when its year is the previous best's.
QString bestDateText(int serial, int previousSerial) {
  const QString full = dateText(serial);
  return full.left(5) == dateText(previousSerial).left(5) ? full.right(5) : full;
}

// Drawing in the target's proportions: line widths in dots, fonts in points.
class SheetPen {
 public:
  SheetPen(QPainter &painter, const SheetTarget &target) : painter_(painter), target_(target) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
  }

  double W() const { return target_.width; }
  double H() const { return target_.height; }
  double P() const { return target_.width / 2; }
  double Q() const { return target_.height / 3; }

  void setLineDots(double dots) { lineWidth_ = dots * target_.twipsPerDot / target_.twipsPerUnit; }
  void setFontPoints(double points) {
    fontPoints_ = points;
    QFont font(target_.fontFamily);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * kTwipsPerPoint / target_.twipsPerUnit))));
    painter_.setFont(font);
  }
  double fontPoints() const { return fontPoints_; }

  void line(QPointF from, QPointF to, const QColor &colour) {
    QPen pen(colour, lineWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter_.setPen(pen);
    painter_.drawLine(from, to);
  }
  // A point set in the current line width shows as a round dot.
  void dot(QPointF at, const QColor &colour) {
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(colour);
    const double r = std::max(lineWidth_, 1.0) / 2;
    painter_.drawEllipse(at, r, r);
    painter_.setBrush(Qt::NoBrush);
  }
  // Text with its top left corner at (x, y).
  void text(double x, double y, const QString &text) {
    painter_.setPen(kForeColour);
    painter_.drawText(QPointF(x, y + painter_.fontMetrics().ascent()), text);
  }

 private:
  QPainter &painter_;
  const SheetTarget &target_;
  double lineWidth_ = 1;
  double fontPoints_ = kSheetBaseFontSize;
};

}  // namespace

SheetTarget canvasTarget(QSize pixels, int fontSize) {
  SheetTarget target;
  target.width = pixels.width();
  target.height = pixels.height();
  target.twipsPerUnit = pixels.width() > 0 ? kSheetCanvasWidthTwips / static_cast<double>(pixels.width()) : 15;
  target.twipsPerDot = kTwipsPerPixel;
  target.printer = false;
  target.fontSize = fontSize;
  return target;
}

SheetTarget printerTarget(const QPaintDevice &device) {
  SheetTarget target;
  target.width = device.width();
  target.height = device.height();
  target.twipsPerUnit = 1440.0 / std::max(1, device.logicalDpiX());
  target.twipsPerDot = kPrinterTwipsPerDot;
  target.printer = true;
  target.fontSize = kSheetBaseFontSize;
  return target;
}

QSize sheetCanvasPixels() { return {twips(kSheetCanvasWidthTwips), twips(kSheetCanvasHeightTwips)}; }

QStringList buildSheetRanking(const ProgramState &state, int level, ResultsKind kind, PointsRanking pointsRanking,
                              const QString &group) {
  return rankingRows(state, level, kind, pointsRanking, group, RankColumn::Sheet);
}

std::optional<SheetRanks> readSheetRanks(const ProgramState &state, int student, int level,
                                         PointsRanking pointsRanking, const QString &group) {
  if (level < 1 || level > kSheetMaxLevel) return std::nullopt;
  const QString name = rosterName(state, student);
  SheetRanks ranks;
  const QStringList pointsRows = buildSheetRanking(state, level, ResultsKind::Points, pointsRanking, group);
  for (const QString &row : pointsRows) {
    const qint64 v = rowPoints(row);
    if (v > 0) {
      ++ranks.pointsCount;
      ranks.pointsSum += v;
    }
  }
  if (const QString *row = findStudentRow(pointsRows, name)) {
    ranks.pointsRank = row->left(kRankTextLength);
    ranks.points = rowPoints(*row);
  }
  const QStringList timeRows = buildSheetRanking(state, level, ResultsKind::Times, pointsRanking, group);
  if (const QString *row = findStudentRow(timeRows, name)) ranks.timeRank = row->left(kRankTextLength);
  return ranks;
}

int sheetScaleMax(int slowest) { return std::min((slowest / 10 + 1) * 10, 1000); }

SheetFigures sheetFigures(const ProgramState &state, const std::vector<Seisekikiroku> &records, int student,
                          int level, const QString &group, const QDateTime &now, double p, double q) {
  const double from = dateTimeSerial(now) - kSheetDaysBack;
  auto takesPart = [&](const Seisekikiroku &r) { return r.recordDate > from && r.level <= state.levelCount; };

  SheetFigures f;
  for (const Seisekikiroku &r : records) {
    if (!takesPart(r) || r.studentNumber != student || r.level != level || r.resultTime >= kSheetTimeLimit) continue;
    ++f.count;
    f.sum += r.resultTime;
    f.slowest = std::max<int>(f.slowest, r.resultTime);
  }
  f.scaleMax = sheetScaleMax(f.slowest);

  const bool plotted = f.count > 0 && inGroup(group, studentGrade(state, student));
  int i = 0;
  for (const Seisekikiroku &r : records) {
    if (!takesPart(r)) continue;
    f.lastDateSerial = wholeDaySerial(r.recordDate);
    f.hasLastDate = true;
    if (r.level != level) continue;
    const int t = r.resultTime;
    if (t < kSheetTimeLimit) {
      ++f.schoolCount;
      f.schoolSum += t;
    }
    f.schoolBest = std::min(f.schoolBest, t);
    // Slower attempts would sit far above the graph (a time-out 99999 s
    // thousands of blocks up), so they are left out of it.
    if (r.studentNumber != student || t >= kSheetTimeLimit) continue;
    ++i;
    if (!plotted) continue;
    SheetPoint pt;
    pt.x = p * (0.7 * i / f.count + 0.2);
    pt.dy = q * (0.8 - 0.7 * t / f.scaleMax);
    pt.time = t;
    pt.dateSerial = wholeDaySerial(r.recordDate);
    // Lower on the page is faster: a new best lies below the last one.
    pt.best = f.bests.empty() || pt.dy > f.bests.back().dy;
    if (pt.best) f.bests.push_back(pt);
    f.points.push_back(pt);
  }
  return f;
}

std::vector<SheetSummaryLine> sheetSummary(const SheetFigures &f, const SheetRanks &ranks) {
  std::vector<SheetSummaryLine> lines;
  double step = 0;
  auto add = [&](const QString &text) { lines.push_back({step += 1, text}); };
  const QString bestText = f.bests.empty() ? QString() : QString::number(f.bests.back().time) + u'秒';

  add(QStringLiteral("回数　　　　　　　") + rightIn(wholeOrBlank(f.count), 3) + u'回');
  add(QStringLiteral("タイム  　　 　    本人 / 塾全体"));
  add(QStringLiteral("　　順位　　　　") + rightIn(wholeOrBlank(ranks.timeRank), 5) + u'位');
  add(QStringLiteral("　　最高　　　　") + rightIn(bestText, 6) + QStringLiteral(" /") +
      // 99999 is "no time": a level nobody has finished shows a blank, not 99999.
      rightIn(f.schoolBest >= kSheetNoTime ? QString() : wholeOrBlank(f.schoolBest), 5) + u'秒');
  if (f.count != 0)
    add(QStringLiteral("　　平均　　　　") + rightIn(wholeOrBlank(static_cast<double>(f.sum / f.count)), 5) +
        QStringLiteral("秒 /") + rightIn(wholeOrBlank(static_cast<double>(f.schoolSum) / f.schoolCount), 5) + u'秒');
  add(QStringLiteral("ポイント  　　　"));
  add(QStringLiteral("　　順位　　　　") + rightIn(wholeOrBlank(ranks.pointsRank), 5) + u'位');
  add(QStringLiteral("　　獲得ポイント") + rightIn(wholeOrBlank(static_cast<double>(ranks.points)), 5) + u'点');
  if (ranks.pointsCount != 0)
    add(QStringLiteral("　　　　　　　　　　　　/") +
        rightIn(wholeOrBlank(static_cast<double>(ranks.pointsSum) / ranks.pointsCount), 5) + u'点');
  step += 0.5;
  add(QStringLiteral("　　　　　　　　　　　　 (塾平均)"));
  return lines;
}

void drawLevelSheet(QPainter &painter, const SheetTarget &target, const ProgramState &state,
                    const SheetRequest &request, int level, double top, const SheetRanks &ranks,
                    const SheetProgress &progress) {
  int total = 0;
  const std::vector<Seisekikiroku> records =
      readLatestResultRecords(resultsLogPath(state), kSheetRecordWindow, &total);
  const int maximum = static_cast<int>(std::lround(1.1 * (total + 1)));
  if (progress) progress(0, maximum);

  SheetPen pen(painter, target);
  const double W = pen.W(), H = pen.H(), P = pen.P(), Q = pen.Q();
  const double base = target.fontSize;

  if (top < 0.08 * H) {
    pen.setFontPoints(3 * base);
    pen.text(0.01 * P, 0.02 * Q, withoutTrailingBlanks(rosterName(state, request.student)));
  }
  const double lineDots = target.printer ? kPrinterLineDots : kCanvasLineDots;
  pen.setLineDots(lineDots);
  pen.setFontPoints(base);

  pen.setLineDots(kFrameLineDots);
  pen.line({0, top}, {W, top}, kNearBlack);
  pen.line({0, top + 0.09 * Q}, {W, top + 0.09 * Q}, kNearBlack);
  pen.setLineDots(lineDots);

  pen.setFontPoints((target.printer ? 3 : 2) * base);
  const QString levelName = level >= 0 && level < kLevelSlots ? state.levelNames[static_cast<size_t>(level)] : QString();
  pen.text(0.7 * P, top + 0.01 * Q, state.programTitle + u' ' + levelName);
  pen.setFontPoints(base);

  const SheetFigures f = sheetFigures(state, records, request.student, level, request.group, request.now, P, Q);
  if (progress) progress(total, maximum);

  pen.line({0.2 * P, top + 0.8 * Q}, {0.9 * P, top + 0.8 * Q}, kNearBlack);
  pen.line({0.2 * P, top + 0.8 * Q}, {0.2 * P, top + 0.1 * Q}, kForeColour);
  for (const SheetPoint &pt : f.points) pen.dot({pt.x, top + pt.dy}, pt.best ? kBestColour : kAttemptColour);

  const double summaryPoints = pen.fontPoints();
  pen.setFontPoints(1.5 * summaryPoints);
  const double o = (target.printer ? 0.06 : 0.08) * Q;
  for (const SheetSummaryLine &line : sheetSummary(f, ranks)) pen.text(1.05 * P, top + 0.05 * Q + line.step * o, line.text);
  pen.setFontPoints(summaryPoints);

  if (f.bests.empty()) return;
  const std::vector<SheetPoint> &b = f.bests;
  const size_t B = b.size();
  if (f.hasLastDate) pen.text(f.points.back().x - 0.025 * P, top + 0.815 * Q, dateText(f.lastDateSerial));
  pen.setLineDots(kBestLineDots);
  for (size_t k = 1; k < B; ++k) pen.line({b[k - 1].x, top + b[k - 1].dy}, {b[k].x, top + b[k].dy}, kForeColour);
  pen.text(0.12 * P, top + 0.79 * Q, QStringLiteral("0秒"));
  pen.text(0.12 * P, top + 0.1 * Q, QString::number(f.scaleMax) + u'秒');
  auto timeText = [](const SheetPoint &pt) { return QString::number(pt.time) + u'秒'; };
  pen.text(0.12 * P, top + b[0].dy - 0.01 * Q, timeText(b[0]));
  pen.text(b[0].x - 0.025 * P, top + 0.815 * Q, dateText(b[0].dateSerial));
  // Every third best between the first and the last is labelled (bests 3, 6,
  // 9 … counted from 1, up to B − 2), so long runs of bests stay readable.
  if (B > 5) {
    for (size_t k = 3; k + 2 <= B; k += 3) {
      const SheetPoint &pt = b[k - 1];
      const double x = pt.x - 0.025 * P;
      pen.text(x, top + pt.dy + 0.01 * Q, timeText(pt));
      pen.text(x, top + pt.dy + 0.03 * Q, bestDateText(pt.dateSerial, b[k - 2].dateSerial));
    }
  }
  const SheetPoint &last = b[B - 1];
  const double x = last.x - 0.025 * P;
  pen.text(x, top + last.dy + 0.04 * Q, timeText(last));
  const int previousDate = B > 1 ? b[B - 2].dateSerial : last.dateSerial;
  pen.text(x, top + last.dy + 0.07 * Q, B > 1 ? bestDateText(last.dateSerial, previousDate) : dateText(last.dateSerial));
}

SheetsOutcome drawSheets(QPainter &painter, const SheetTarget &target, const ProgramState &state,
                         const SheetRequest &request, const SheetProgress &progress, const QColor &background) {
  SheetsOutcome outcome;
  const double H = target.height;
  auto clearCanvas = [&] { painter.fillRect(QRectF(0, 0, target.width, H), background); };
  if (!target.printer) clearCanvas();
  double top = 0.05 * H - 0.3 * H;
  for (const int level : request.levels) {
    // Checked before a page is begun, so a stop leaves no empty page.
    if (level > state.levelCount) break;
    if (level < 1 || level > kSheetMaxLevel) {
      outcome.refusedLevel = level;
      break;
    }
    top += 0.3 * H;
    if (top > 0.9 * H) {
      auto *paged = target.printer ? dynamic_cast<QPagedPaintDevice *>(painter.device()) : nullptr;
      if (target.printer && target.newPage)
        target.newPage(painter);
      else if (paged)
        paged->newPage();
      else
        clearCanvas();
      top = 0.05 * H;
      ++outcome.pages;
    }
    if (outcome.pages == 0) outcome.pages = 1;
    const SheetRanks ranks = readSheetRanks(state, request.student, level, request.pointsRanking, request.group).value();
    drawLevelSheet(painter, target, state, request, level, top, ranks, progress);
    ++outcome.blocks;
  }
  return outcome;
}

}  // namespace minatori
