#include "app/levelcriteria.h"

#include "app/programstate.h"
#include "platform/fieldfile.h"
#include "platform/runtimeerror.h"
#include "platform/textfile.h"

namespace minatori {

QStringList criteriaHeaderFields() {
  return {QStringLiteral("目標Time"), QStringLiteral("最低Time"), QStringLiteral("ｸﾘｱﾎﾟｲﾝﾄ"),
          QStringLiteral("ｸﾘｱ回数"),  QStringLiteral("ﾎﾟｲﾝﾄ倍率"), QStringLiteral("禁回"),
          QStringLiteral("禁点"),     QStringLiteral("判期間"),   QStringLiteral("禁期間"),
          QString(),                  QString(),                  QString()};
}

namespace {

LevelCriteria readCriteriaLine(FieldReader &in) {
  LevelCriteria c;
  c.targetTime = in.readInt32();
  c.lowestTime = in.readInt32();
  c.clearPoints = in.readInt32();
  c.clearCount = in.readInt16();
  c.pointRate = in.readFloat();
  c.banCount = in.readLoose();
  c.banPoints = in.readLoose();
  c.passPeriodDays = in.readLoose();
  c.banPeriodDays = in.readLoose();
  c.spare10 = in.readLoose();
  c.spare11 = in.readLoose();
  c.spare12 = in.readLoose();
  return c;
}

}  // namespace

CriteriaTable parseLevelCriteria(const QString &text, const QString &file, CriteriaTable table) {
  FieldReader in(text, file);
  for (int slot = 0; !in.atEnd(); ++slot) {
    const LevelCriteria line = readCriteriaLine(in);
    // The table ends at level 35; a longer file's extra lines are read and dropped.
    if (slot < kCriteriaSlots) table[slot] = line;
  }
  return table;
}

QString criteriaFilePath(const ProgramState &state) {
  return state.contentFolder + QString::fromUtf16(kCriteriaFileName);
}

void loadLevelCriteria(ProgramState &state) {
  const QString path = criteriaFilePath(state);
  state.criteria = parseLevelCriteria(readCp932File(path), path, state.criteria);
}

std::vector<QStringList> readCriteriaRows(const QString &path) {
  FieldReader in = FieldReader::openFile(path);
  std::vector<QStringList> rows;
  for (int line = 0; !in.atEnd(); ++line) {
    QStringList fields;
    for (int f = 0; f < kCriteriaFields; ++f) fields << in.readText();
    if (line > 0) rows.push_back(fields);
  }
  return rows;
}

std::optional<CriteriaCell> cellThatWouldNotReadBack(const std::vector<QStringList> &rows) {
  for (size_t r = 0; r < rows.size(); ++r) {
    QStringList cells = rows[r].mid(0, kCriteriaFields);
    while (cells.size() < kCriteriaFields) cells << QString();
    FieldWriter line(QString{});
    line.writeLine(cells);
    FieldReader back(line.text(), QString{});
    for (int f = 0; f < kCriteriaFields; ++f) {
      QString read;
      try {
        read = back.readText();
      } catch (const RuntimeError &) {
        // Cannot happen with twelve fields written; counted as this cell's fault.
      }
      if (read != cells[f]) return CriteriaCell{static_cast<int>(r) + 1, f + 1};
    }
    if (!back.atEnd()) return CriteriaCell{static_cast<int>(r) + 1, kCriteriaFields};
  }
  return std::nullopt;
}

void saveLevelCriteria(ProgramState &state, const std::vector<QStringList> &rows) {
  const QString path = criteriaFilePath(state);
  if (const std::optional<CriteriaCell> bad = cellThatWouldNotReadBack(rows))
    throw RuntimeError(errc::TypeMismatch, path, QStringLiteral("(レベル%1 の %2 列目)").arg(bad->level).arg(bad->field));
  FieldWriter out(path);
  out.writeLine(criteriaHeaderFields());
  for (const QStringList &row : rows) {
    QStringList cells = row.mid(0, kCriteriaFields);
    while (cells.size() < kCriteriaFields) cells << QString();
    out.writeLine(cells);
  }
  out.save();
  // Taken from the text just written, not read back: a scanner that opens
  // the new file at once cannot make a saved file look unsaved.
  state.criteria = parseLevelCriteria(out.text(), path, state.criteria);
}

}  // namespace minatori
