#include "content/historytable.h"

#include <algorithm>
#include <limits>

#include "app/levelcatalogue.h"
#include "app/programstate.h"
#include "platform/fieldfile.h"
#include "platform/runtimeerror.h"
#include "platform/textfile.h"

namespace minatori {

QString HistoryRow::listEntry() const { return tag.left(1) + u' ' + eventText; }

namespace {

// A whole number field; the header line's texts are taken as they come.
int readWhole(FieldReader &in, bool strict) {
  const int line = in.lineNumber();
  const QString text = in.readText();
  if (text.isEmpty()) return 0;
  if (strict && !isNumberText(text))
    throw RuntimeError(errc::TypeMismatch, in.file(),
                       QStringLiteral("(%1 行目の数値の項目が「%2」です)").arg(line).arg(text));
  // Truncated toward zero; a number past the range of int is held to it.
  return static_cast<int>(std::clamp(leadingNumber(text), static_cast<double>(std::numeric_limits<int>::min()),
                                     static_cast<double>(std::numeric_limits<int>::max())));
}

HistoryRow readRow(FieldReader &in, bool strict) {
  HistoryRow r;
  r.firstGroup = readWhole(in, strict);
  r.year = readWhole(in, strict);
  r.field3 = in.readLoose();
  r.field4 = in.readLoose();
  r.category = readWhole(in, strict);
  r.eventText = in.readText();
  const int tagLine = in.lineNumber();
  r.tag = in.readText();
  // The tag is what a box accepts: an event without one could never be
  // placed, and a question drawing it could only time out.
  if (strict && r.tag.isEmpty())
    throw RuntimeError(errc::TypeMismatch, in.file(),
                       QStringLiteral("(%1 行目の「%2」の見出しの項目が空です)").arg(tagLine).arg(r.eventText));
  r.field8 = in.readLoose();
  return r;
}

}  // namespace

HistoryTable parseHistoryRows(const QString &text, const QString &file, int levelGroup) {
  FieldReader in(text, file);
  HistoryTable table;
  table.file = file;
  if (in.atEnd()) return table;
  table.header = readRow(in, false);
  while (!in.atEnd()) {
    HistoryRow r = readRow(in, true);
    if (r.firstGroup <= levelGroup) table.rows.push_back(std::move(r));
  }
  return table;
}

HistoryTable loadHistoryRows(const ProgramState &state) {
  const QString path = state.contentFolder + QString::fromUtf16(kHistoryFileName);
  return parseHistoryRows(readCp932File(path), path, levelGroup(state.currentLevel));
}

}  // namespace minatori
