#include "drill/answering.h"

#include "content/historytable.h"
#include "drill/question.h"

namespace minatori {

void AnswerBoard::reset(int itemCount) {
  boxCaptions.assign(static_cast<size_t>(itemCount), QStringLiteral("?"));
  yearCaptions.assign(static_cast<size_t>(itemCount), QStringLiteral("?"));
  correctCount = 0;
  correcting = false;
  wrongBox = 0;
}

QString droppedEventText(const QString &entry) { return entry.mid(2); }

DropOutcome judgeDrop(AnswerBoard &board, const Question &question, const HistoryTable &table, int box,
                      const QString &entry) {
  // An entry is at least a tag and a space; a drag from the empty part of the
  // list delivers nothing to judge.
  if (board.correcting || entry.size() < 2 || box < 1 || box > board.itemCount()) return DropOutcome::Ignored;
  const size_t k = static_cast<size_t>(box - 1);
  const HistoryRow &row = table.row(question.items[k].row);
  board.boxCaptions[k] = droppedEventText(entry);
  if (board.boxCaptions[k] == row.eventText) {
    board.yearCaptions[k] = QString::number(row.year);
    ++board.correctCount;
    return board.correctCount >= board.itemCount() ? DropOutcome::Completed : DropOutcome::Right;
  }
  board.correctCount = 0;
  board.correcting = true;
  board.wrongBox = box;
  return DropOutcome::Wrong;
}

QStringList confirmCorrection(AnswerBoard &board, const Question &question, const HistoryTable &table,
                              const QStringList &candidates) {
  QStringList list = candidates;
  for (const PlacedItem &item : question.items) list << table.row(item.row).listEntry();
  list.removeDuplicates();
  const int k = board.itemCount();
  board.reset(k);
  return list;
}

}  // namespace minatori
