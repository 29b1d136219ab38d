// The result sheets drawn for real: on the canvas pixmap, on page images laid
// out like A4 paper and into a PDF file through the dialog-free printing.
// Fonts need a QGuiApplication, so this file has its own main().

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>
#include <memory>

#include "app/programstate.h"
#include "platform/clock.h"
#include "platform/printing.h"
#include "progress/sheets.h"
#include "results/resultslog.h"

using namespace minatori;

namespace {

QString q(const char16_t *text) { return QString::fromUtf16(text); }

QDateTime now() { return QDateTime(QDate(2026, 12, 9), QTime(14, 30, 5)); }

class Sheets : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    state_ = std::make_unique<ProgramState>();
    state_->contentFolder = dir_.path() + u'/';
    state_->dataFolder = dir_.path() + QStringLiteral("/data/");
    state_->programTitle = q(u"ミナトリ");
    state_->levelCount = 12;
    for (int level = 1; level <= 12; ++level) state_->levelNames[level] = q(u"レベル") + QString::number(level);
    RosterTable &r = state_->roster;
    r.schoolYear = 2026;
    r.numberByLine[1] = 7;
    r.numberByLine[2] = 8;
    r.nameByNumber[7] = q(u"佐藤花子");
    r.nameByNumber[8] = q(u"鈴木");
    r.birthYearByNumber[7] = r.birthYearByNumber[8] = 2017;
    r.rosterCount = 2;
    state_->tallies.personalBest(2, 7) = 30;
    state_->tallies.pointTotal(2, 8) = 12;
  }

  // Appends attempts of `student` on `level`, one a day up to today.
  void writeAttempts(int student, int level, std::initializer_list<int> seconds) {
    QFile log(resultsLogPath(*state_));
    ASSERT_TRUE(log.open(QIODevice::Append));
    int daysAgo = static_cast<int>(seconds.size());
    for (int t : seconds)
      log.write(encodeRecord(makeRecord(dateSerial(now().date()) - --daysAgo, 36000, static_cast<qint16>(student),
                                        static_cast<qint16>(level), t, {})));
  }

  SheetRequest request(std::vector<int> levels) const {
    return SheetRequest{7, std::move(levels), q(u"全学年"), PointsRanking::AllRecords, now()};
  }

  // Keeps the pictures for a person to look at when MINATORI_SHEET_PNGS names a folder.
  static void keep(const QImage &image, const QString &name) {
    const QString folder = qEnvironmentVariable("MINATORI_SHEET_PNGS");
    if (!folder.isEmpty()) image.save(QDir(folder).filePath(name));
  }

  QTemporaryDir dir_;
  std::unique_ptr<ProgramState> state_;
};

bool reddish(QRgb c) { return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80; }
bool bluish(QRgb c) { return qBlue(c) > 200 && qRed(c) < 80 && qGreen(c) < 80; }
bool dark(QRgb c) { return qGray(c) < 128; }

// Whether some pixel of `area` (fractions of the image) satisfies `test`.
template <typename Test>
bool anyPixel(const QImage &image, QRectF area, Test test) {
  const QRect r(int(area.left() * image.width()), int(area.top() * image.height()), int(area.width() * image.width()),
                int(area.height() * image.height()));
  for (int y = r.top(); y <= r.bottom() && y < image.height(); ++y)
    for (int x = r.left(); x <= r.right() && x < image.width(); ++x)
      if (test(image.pixel(x, y))) return true;
  return false;
}
bool blank(const QImage &image, QRectF area) {
  return !anyPixel(image, area, [](QRgb c) { return c != qRgb(255, 255, 255); });
}

QImage canvasImage() {
  QImage image(sheetCanvasPixels(), QImage::Format_RGB32);
  image.fill(Qt::gray);
  return image;
}

TEST_F(Sheets, CanvasShowsBestsRedAndOtherAttemptsBlue) {
  writeAttempts(7, 2, {50, 40, 45, 30, 99999});
  QImage image = canvasImage();
  QPainter painter(&image);
  const SheetsOutcome outcome = drawSheets(painter, canvasTarget(image.size()), *state_, request({2}));
  painter.end();
  keep(image, QStringLiteral("canvas-one.png"));
  EXPECT_EQ(outcome.blocks, 1);
  EXPECT_EQ(outcome.refusedLevel, 0);
  // The graph lies left of the summary, inside the first block.
  const QRectF graph(0.1, 0.05, 0.4, 0.3);
  EXPECT_TRUE(anyPixel(image, graph, reddish));
  EXPECT_TRUE(anyPixel(image, graph, bluish));
  EXPECT_TRUE(anyPixel(image, {0.5, 0.05, 0.5, 0.3}, dark)) << "summary";
  EXPECT_TRUE(blank(image, {0, 0.4, 1, 0.6})) << "the canvas is cleared first";
}

TEST_F(Sheets, FourthLevelClearsTheCanvas) {
  writeAttempts(7, 5, {20, 10});
  QImage image = canvasImage();
  QPainter painter(&image);
  const SheetsOutcome outcome = drawSheets(painter, canvasTarget(image.size()), *state_, request({2, 3, 4, 5}));
  painter.end();
  keep(image, QStringLiteral("canvas-four.png"));
  EXPECT_EQ(outcome.blocks, 4);
  EXPECT_EQ(outcome.pages, 2);
  EXPECT_TRUE(anyPixel(image, {0.1, 0.05, 0.4, 0.3}, reddish)) << "level 5 at the top";
  EXPECT_TRUE(blank(image, {0, 0.4, 1, 0.6}));
}

// A level above the catalogue ends the run quietly; one the rank tables
// cannot hold (above 30) ends it and is reported for the window's message.
TEST_F(Sheets, StopsAtLevelsItCannotDraw) {
  for (auto [levelCount, stopper, refused] : {std::tuple{12, 13, 0}, {35, 31, 31}}) {
    state_->levelCount = static_cast<qint16>(levelCount);
    QImage image = canvasImage();
    QPainter painter(&image);
    const SheetsOutcome outcome = drawSheets(painter, canvasTarget(image.size()), *state_, request({2, stopper, 3}));
    EXPECT_EQ(outcome.blocks, 1) << stopper;
    EXPECT_EQ(outcome.refusedLevel, refused) << stopper;
  }
}

// A4 page images at 100 dpi; the device's resolution gives the printer's scale.
TEST_F(Sheets, PrinterPagesHoldThreeBlocksEachUnderTheName) {
  writeAttempts(7, 2, {50, 40, 45, 30});
  writeAttempts(7, 5, {200, 150});
  auto page = [] {
    QImage image(827, 1169, QImage::Format_RGB32);
    image.setDotsPerMeterX(3937);
    image.setDotsPerMeterY(3937);
    image.fill(Qt::white);
    return image;
  };
  std::deque<QImage> pages{page()};
  QPainter painter(&pages.back());
  SheetTarget target = printerTarget(pages.back());
  target.newPage = [&](QPainter &p) {
    p.end();
    pages.push_back(page());
    p.begin(&pages.back());
  };
  const SheetsOutcome outcome = drawSheets(painter, target, *state_, request({2, 3, 4, 5}));
  painter.end();
  for (size_t i = 0; i < pages.size(); ++i) keep(pages[i], QStringLiteral("page-%1.png").arg(i + 1));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(outcome.pages, 2);
  for (const QImage &p : pages) EXPECT_TRUE(anyPixel(p, {0, 0, 0.25, 0.045}, dark)) << "the name";
  EXPECT_TRUE(anyPixel(pages[0], {0.1, 0.65, 0.4, 0.3}, dark)) << "third block";
  EXPECT_TRUE(anyPixel(pages[1], {0.1, 0.05, 0.4, 0.3}, reddish)) << "level 5";
  EXPECT_TRUE(blank(pages[1], {0, 0.4, 1, 0.6}));
}

int pdfPages(const QByteArray &pdf) {
  return static_cast<int>(QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

TEST_F(Sheets, PrintedWithoutAPrinterIntoAPdfPerRun) {
  writeAttempts(7, 2, {50, 40, 45, 30});
  auto print = [&] {
    return printWithoutDialog(state_->dataFolder, state_->roster.nameByNumber[7], now(),
                              [&](QPainter &painter, QPagedPaintDevice &device) {
                                drawSheets(painter, printerTarget(device), *state_, request({2, 3, 4, 5}));
                              },
                              PrintRoute::PdfOnly);
  };
  const PrintOutcome first = print();
  ASSERT_TRUE(first.ok) << first.error.toStdString();
  EXPECT_TRUE(first.toPdf);
  const QFileInfo file(first.where);
  EXPECT_EQ(file.absolutePath(), QDir(state_->dataFolder + q(u"印刷")).absolutePath());
  EXPECT_EQ(file.fileName(), q(u"佐藤花子_2026-12-09_143005.pdf"));
  QFile pdf(first.where);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  EXPECT_EQ(pdfPages(bytes), 2);
  EXPECT_TRUE(bytes.contains("IPAGothic"));

  const PrintOutcome second = print();
  ASSERT_TRUE(second.ok);
  EXPECT_EQ(QFileInfo(second.where).fileName(), q(u"佐藤花子_2026-12-09_143005_2.pdf"));
}

TEST(PdfPath, NameCharactersAFileCannotHoldAreReplaced) {
  QTemporaryDir dir;
  EXPECT_EQ(QFileInfo(uniquePdfPath(dir.path(), q(u" a/b:c "), now())).fileName(), q(u"a_b_c_2026-12-09_143005.pdf"));
  EXPECT_EQ(QFileInfo(uniquePdfPath(dir.path(), q(u"  "), now())).fileName(), q(u"成績_2026-12-09_143005.pdf"));
}

}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
