#include "platform/printing.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace minatori {

namespace {

QString fileNamePart(const QString &name) {
  QString part = name.trimmed();
  for (QChar &c : part)
    if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 0x20) c = u'_';
  return part.isEmpty() ? QStringLiteral("成績") : part;
}

void setUpA4(QPrinter &printer, const QString &documentName) {
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setPageOrientation(QPageLayout::Portrait);
  printer.setDocName(documentName);
}

}  // namespace

QString uniquePdfPath(const QString &folder, const QString &documentName, const QDateTime &now) {
  const QString stem =
      fileNamePart(documentName) + u'_' + now.toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
  const QDir dir(folder);
  QString path = dir.filePath(stem + QStringLiteral(".pdf"));
  for (int n = 2; QFileInfo::exists(path); ++n) path = dir.filePath(stem + u'_' + QString::number(n) + QStringLiteral(".pdf"));
  return path;
}

PrintOutcome printWithoutDialog(const QString &dataFolder, const QString &documentName, const QDateTime &now,
                                const std::function<void(QPainter &, QPagedPaintDevice &)> &draw, PrintRoute route) {
  PrintOutcome outcome;
  QPrinter printer(QPrinter::HighResolution);
  const QPrinterInfo system = route == PrintRoute::PdfOnly ? QPrinterInfo() : QPrinterInfo::defaultPrinter();
  if (!system.isNull()) {
    printer.setPrinterName(system.printerName());
    outcome.where = system.printerName();
  } else {
    const QString folder = QDir(dataFolder).filePath(QString::fromUtf16(kPrintFolderName));
    if (!QDir().mkpath(folder)) {
      outcome.error = QStringLiteral("フォルダを作れません: ") + QDir::toNativeSeparators(folder);
      return outcome;
    }
    outcome.toPdf = true;
    outcome.where = uniquePdfPath(folder, documentName, now);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(outcome.where);
  }
  setUpA4(printer, documentName);
  QPainter painter;
  if (!painter.begin(&printer)) {
    outcome.error = QStringLiteral("印刷を始められません: ") + QDir::toNativeSeparators(outcome.where);
    return outcome;
  }
  draw(painter, printer);
  outcome.ok = painter.end();
  if (!outcome.ok) outcome.error = QStringLiteral("印刷を終えられません: ") + QDir::toNativeSeparators(outcome.where);
  return outcome;
}

}  // namespace minatori
