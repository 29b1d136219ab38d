#include "drill/question.h"

#include <algorithm>

#include "content/historytable.h"
#include "platform/random.h"

namespace minatori {

namespace {

// Random restarts of a pick before the table is searched for any valid pick.
constexpr int kPickRestarts = 2000;

// Rnd × n + 1, rounded down: 1..n.
int draw(Random &random, int n) { return static_cast<int>(random.next() * n + 1); }

bool sameYearAndCategory(const HistoryTable &t, int a, int b) {
  return t.row(a).year == t.row(b).year && t.row(a).category == t.row(b).category;
}

// One pick as the drill has always drawn it: a first row, then steps of 1 to
// 3, redrawn when the step lands on the same year and category; a step past
// the last row abandons the pick. Empty when abandoned.
std::vector<int> drawPick(const HistoryTable &t, int k, Random &random) {
  const int n = t.rowCount();
  std::vector<int> rows{draw(random, n)};
  while (static_cast<int>(rows.size()) < k) {
    const int prev = rows.back();
    // At most three distinct steps exist; when all three land on the same
    // year and category the pick cannot go on from here.
    bool stepFound = false;
    for (int tries = 0; tries < 64 && !stepFound; ++tries) {
      const int s = draw(random, 3);
      if (prev + s > n) return {};
      if (!sameYearAndCategory(t, prev + s, prev)) {
        rows.push_back(prev + s);
        stepFound = true;
      }
    }
    if (!stepFound) return {};
  }
  return rows;
}

bool validPick(const HistoryTable &t, const std::vector<int> &rows) {
  return !rows.empty() && t.row(rows.back()).year != t.row(rows.front()).year;
}

// Every valid pick, for the rare table where random draws do not find one.
void enumeratePicks(const HistoryTable &t, int k, std::vector<int> &current, std::vector<std::vector<int>> &out) {
  if (static_cast<int>(current.size()) == k) {
    if (validPick(t, current)) out.push_back(current);
    return;
  }
  const int prev = current.back();
  for (int s = 1; s <= 3; ++s) {
    if (prev + s > t.rowCount() || sameYearAndCategory(t, prev + s, prev)) continue;
    current.push_back(prev + s);
    enumeratePicks(t, k, current, out);
    current.pop_back();
  }
}

std::vector<int> pickItems(const HistoryTable &t, int k, Random &random) {
  for (int i = 0; i < kPickRestarts; ++i) {
    std::vector<int> rows = drawPick(t, k, random);
    if (validPick(t, rows)) return rows;
  }
  std::vector<std::vector<int>> all;
  for (int first = 1; first <= t.rowCount(); ++first) {
    std::vector<int> current{first};
    enumeratePicks(t, k, current, all);
  }
  if (all.empty()) return {};
  return all[static_cast<size_t>(draw(random, static_cast<int>(all.size())) - 1)];
}

std::vector<int> pickDistractors(const HistoryTable &t, const std::vector<int> &items, int wanted, Random &random) {
  const int first = t.row(items.front()).year;
  const int last = t.row(items.back()).year;
  std::vector<int> candidates;
  for (int r = 1; r <= t.rowCount(); ++r) {
    const int y = t.row(r).year;
    if (y < first - 10 || y > last + 10) candidates.push_back(r);
  }
  std::vector<int> chosen;
  while (static_cast<int>(chosen.size()) < wanted && !candidates.empty()) {
    // Uniform over the rows not yet used, as redrawing until an unused one
    // comes up would be, without the unbounded loop.
    const size_t i = static_cast<size_t>(draw(random, static_cast<int>(candidates.size())) - 1);
    chosen.push_back(candidates[i]);
    candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(i));
  }
  return chosen;
}

}  // namespace

QStringList Question::candidateEntries(const HistoryTable &table) const {
  QStringList entries;
  for (const PlacedItem &item : items) entries << table.row(item.row).listEntry();
  for (int r : distractorRows) entries << table.row(r).listEntry();
  return entries;
}

Question placeQuestion(const HistoryTable &t, const std::vector<int> &itemRows, const BoardGeometry &b) {
  Question q;
  q.itemCount = static_cast<int>(itemRows.size());
  const int firstYear = t.row(itemRows.front()).year;
  const int lastYear = t.row(itemRows.back()).year;
  q.yearSpan = lastYear - firstYear;
  const double perYear = q.yearSpan == 0 ? 0 : 0.8 * b.boardHeight / q.yearSpan;
  auto heightOf = [&](double year) { return b.yearLabelTop + (year - firstYear) * perYear; };

  for (size_t k = 0; k < itemRows.size(); ++k) {
    const HistoryRow &row = t.row(itemRows[k]);
    PlacedItem item;
    item.row = itemRows[k];
    item.category = row.category;
    item.yearTop = heightOf(row.year);
    item.boxTop = item.yearTop;
    item.boxLeft = b.boxAnchorLeft + 0.4 * b.boxAnchorWidth * (row.category - 1);
    // Labels of the same or nearly the same year are pushed apart, in steps of 10.
    if (k > 0) {
      const double previousTop = q.items[k - 1].yearTop;
      while (previousTop + b.yearLabelHeight > item.yearTop) {
        item.yearTop += 10;
        item.boxTop = item.yearTop + 10;
      }
    }
    q.items.push_back(item);
  }

  // A line is moved below any item drawn under it that is earlier than the
  // line's year, so the timeline never reads backwards.
  auto lineAt = [&](int year) {
    double top = heightOf(year);
    for (const PlacedItem &item : q.items)
      if (item.yearTop > top && t.row(item.row).year < year) top = item.yearTop + b.yearLabelHeight;
    return YearLine{year, top};
  };
  if (firstYear - 50 <= 0 && 0 <= lastYear) q.zeroLine = YearLine{0, heightOf(0)};
  for (int i = 1; i <= kMaxCenturyLines; ++i) {
    const int v = 100 * i;
    if (firstYear - 50 <= v && v <= lastYear + 100) q.centuryLines.push_back(lineAt(v));
  }
  if (q.yearSpan < 100) {
    for (int i = 1; i <= 200 && static_cast<int>(q.decadeLines.size()) < kMaxDecadeLines; ++i) {
      const int v = 10 * i;
      if (i % 10 != 0 && firstYear - 10 <= v && v <= lastYear + 50) q.decadeLines.push_back(lineAt(v));
    }
  }
  return q;
}

QuestionResult makeQuestion(const HistoryTable &t, int itemCount, Random &random, const BoardGeometry &board) {
  QuestionResult result;
  if (itemCount < 1 || itemCount > kMaxItems) {
    result.whyNot = QStringLiteral("1 問の項目数 %1 は扱えません。").arg(itemCount);
    return result;
  }
  if (t.rowCount() < itemCount) {
    result.whyNot = QStringLiteral("このレベルで使えるできごとが %1 件しかありません（%2 件以上必要です）。")
                        .arg(t.rowCount())
                        .arg(itemCount);
    return result;
  }
  const std::vector<int> items = pickItems(t, itemCount, random);
  if (items.empty()) {
    result.whyNot = QStringLiteral("年の違うできごとを %1 件続けて選べません（年順に並んでいるか確かめてください）。")
                        .arg(itemCount);
    return result;
  }
  Question q = placeQuestion(t, items, board);
  q.distractorRows = pickDistractors(t, items, itemCount + 5, random);
  result.question = std::move(q);
  return result;
}

}  // namespace minatori
