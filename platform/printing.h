#pragma once
// Printing without a dialog: a document goes to the system's default printer
// when one is configured, otherwise to an A4 PDF file in the "印刷" folder of
// the data folder, so a classroom machine without a printer still keeps the
// pages. One call is one document (one print job).

#include <QDateTime>
#include <QString>
#include <functional>

class QPainter;
class QPagedPaintDevice;

namespace minatori {

inline constexpr const char16_t *kPrintFolderName = u"印刷";

enum class PrintRoute {
  DefaultPrinterOrPdf,  // the program's choice
  PdfOnly,              // tests, and machines told never to use the printer
};

struct PrintOutcome {
  bool ok = false;
  bool toPdf = false;
  QString where;  // the printer's name, or the PDF file's path
  QString error;  // why nothing was printed, when !ok
};

// The PDF file for `documentName` (a student's name) printed at `now`:
// "<name>_2026-12-09_143005.pdf" in `folder`, with "_2", "_3" … added when
// that name is taken. Characters a file name cannot hold become "_".
QString uniquePdfPath(const QString &folder, const QString &documentName, const QDateTime &now);

// Opens an A4 portrait document at high resolution, lets `draw` paint its
// pages on the painter (new pages through the device), and ends the document,
// which sends the job. `dataFolder` ends in the separator.
PrintOutcome printWithoutDialog(const QString &dataFolder, const QString &documentName, const QDateTime &now,
                                const std::function<void(QPainter &, QPagedPaintDevice &)> &draw,
                                PrintRoute route = PrintRoute::DefaultPrinterOrPdf);

}  // namespace minatori
