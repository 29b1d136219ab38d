#pragma once
// The result sheets: one block per level of a student's record, a graph of
// every attempt in time order (new personal bests red and joined by a line,
// other attempts blue) beside a summary that sets the student against the
// whole school. Blocks are drawn three to a page on any QPainter: the
// progress screen's canvas pixmap, a printer or a PDF writer.
//
// All geometry is a fraction of the target's width W and height H, with
// P = W / 2 and Q = H / 3, so the same drawing fills a 557-pixel canvas and a
// 1200-dpi A4 page alike. Line widths are counted in device dots and font
// sizes in points, both mapped onto the target through its twips per unit.

#include <QColor>
#include <QDateTime>
#include <QPaintDevice>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "platform/fonts.h"
#include "progress/rankings.h"
#include "results/seisekikiroku.h"

class QPainter;

namespace minatori {

struct ProgramState;

// The per-level rank tables hold levels 0..30; the sheets refuse higher ones.
inline constexpr int kSheetMaxLevel = 30;
// Attempts this slow or slower are no real times: they stay out of the
// student's graph and averages, but count towards the school's best.
inline constexpr int kSheetTimeLimit = 1800;
// The most recent records a block reads, and the days back they may lie.
inline constexpr int kSheetRecordWindow = 20000;
inline constexpr int kSheetDaysBack = 3650;
// The canvas inside the sheet panel, in twips.
inline constexpr int kSheetCanvasWidthTwips = 8355;
inline constexpr int kSheetCanvasHeightTwips = 8715;
inline constexpr int kSheetBaseFontSize = 6;
// The school's best before any attempt: no time.
inline constexpr int kSheetNoTime = 99999;

// Where the blocks go. W and H are in the painter's own units.
struct SheetTarget {
  double width = 0;        // W
  double height = 0;       // H
  double twipsPerUnit = 15;  // how many twips one painter unit stands for
  double twipsPerDot = 15;   // line widths count in dots: screen pixels or printer dots
  bool printer = false;
  int fontSize = kSheetBaseFontSize;  // points; the printer always uses 6
  QString fontFamily = gothicFamily();
  // Starts the next page of a printer target. Unset: the painter's paged
  // device (QPrinter, QPdfWriter) turns its page. A preview that draws each
  // page on its own image sets it to move the painter on to the next image.
  std::function<void(QPainter &)> newPage;
};

// The canvas pixmap of `pixels` (normally twips(8355) × twips(8715)).
SheetTarget canvasTarget(QSize pixels, int fontSize = kSheetBaseFontSize);
// A printer or PDF writer, as a painter opened on it sees it.
SheetTarget printerTarget(const QPaintDevice &device);
// The canvas size in pixels for the panel's 8355 × 8715 twips.
QSize sheetCanvasPixels();

// The ranking rows the sheets search: the progress screen's ranking of one
// level with the rank right-aligned in three characters and "---" for no
// result. `pointsRanking` applies to the points kind.
QStringList buildSheetRanking(const ProgramState &state, int level, ResultsKind kind, PointsRanking pointsRanking,
                              const QString &group);

// What a block shows of the rankings for one student and level.
struct SheetRanks {
  QString timeRank;    // the row's first three characters; empty when not listed
  QString pointsRank;  // likewise
  qint64 points = 0;   // the student's all-records points as the row ends; 0 when not listed
  qint64 pointsSum = 0;  // over the listed rows with points above 0
  int pointsCount = 0;
};
// The student's row is the first one holding the name cut to five
// characters. Levels outside 1..30 are refused (no value).
std::optional<SheetRanks> readSheetRanks(const ProgramState &state, int student, int level,
                                         PointsRanking pointsRanking, const QString &group);

// The graph's time scale maximum in seconds for the slowest counted attempt.
int sheetScaleMax(int slowest);

struct SheetPoint {
  double x = 0;   // from the target's left
  double dy = 0;  // from the block's top
  bool best = false;
  int time = 0;
  int dateSerial = 0;
};

// Everything a block computes from the log, before any drawing.
struct SheetFigures {
  int count = 0;    // the student's attempts under 1800 s on the level
  qint64 sum = 0;
  int slowest = 0;
  int schoolCount = 0;  // everybody's attempts under 1800 s on the level
  qint64 schoolSum = 0;
  int schoolBest = kSheetNoTime;  // fastest of any attempt on the level
  int scaleMax = 10;              // M
  std::vector<SheetPoint> points;  // plotted attempts in log order
  std::vector<SheetPoint> bests;   // the plotted points that were new bests, in order
  int lastDateSerial = 0;          // date of the last record taking part (any student, level)
  bool hasLastDate = false;
};
// `records` are the last records of the log in file order; P and Q scale the
// plotted points (pass 1, 1 to get fractions).
SheetFigures sheetFigures(const ProgramState &state, const std::vector<Seisekikiroku> &records, int student,
                          int level, const QString &group, const QDateTime &now, double p, double q);

// The summary beside the graph: each line with its place counted in line
// steps below the first line's place.
struct SheetSummaryLine {
  double step = 0;
  QString text;
};
std::vector<SheetSummaryLine> sheetSummary(const SheetFigures &figures, const SheetRanks &ranks);

// Called with the record reached and the maximum while a block reads the log,
// so the window can move its progress bar and let pending messages run.
using SheetProgress = std::function<void(int value, int maximum)>;

// What the window chose: whose sheets, which levels (the selected rows r of
// the level list give r + 1, in list order), the group and points ranking of
// the progress screen, and the present moment.
struct SheetRequest {
  int student = 0;
  std::vector<int> levels;
  QString group;
  PointsRanking pointsRanking = PointsRanking::AllRecords;
  QDateTime now;
};

struct SheetsOutcome {
  int blocks = 0;        // blocks drawn
  int pages = 0;         // pages (or canvas clearings + 1) used; 0 when nothing was drawn
  int refusedLevel = 0;  // a level above 30 that stopped the run, else 0
};

// One block at `top` (painter units).
void drawLevelSheet(QPainter &painter, const SheetTarget &target, const ProgramState &state,
                    const SheetRequest &request, int level, double top, const SheetRanks &ranks,
                    const SheetProgress &progress = {});

// All requested levels of the student, three blocks a page at 0.05 H, 0.35 H
// and 0.65 H. On the canvas the fourth block clears it (with `background`);
// on a paged device (printer, PDF) it starts a new page. A level above the
// level count ends the run; a level above 30 ends it too and is reported.
SheetsOutcome drawSheets(QPainter &painter, const SheetTarget &target, const ProgramState &state,
                         const SheetRequest &request, const SheetProgress &progress = {},
                         const QColor &background = Qt::white);

}  // namespace minatori
