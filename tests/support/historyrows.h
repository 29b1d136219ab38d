#pragma once
// History tables made in a test, row by row.

#include <initializer_list>

#include "content/historytable.h"

namespace minatori::test {

struct RowSpec {
  int year;
  int category;
  const char *text;
  const char *tag = "あ";
};

inline HistoryTable historyTable(std::initializer_list<RowSpec> specs) {
  HistoryTable t;
  t.file = QStringLiteral("歴史年2001.CSV");
  for (const RowSpec &s : specs) {
    HistoryRow r;
    r.firstGroup = 1;
    r.year = s.year;
    r.category = s.category;
    r.eventText = QString::fromUtf8(s.text);
    r.tag = QString::fromUtf8(s.tag);
    t.rows.push_back(r);
  }
  return t;
}

// `count` rows one `step` years apart from `firstYear`, categories cycling 1..3.
inline HistoryTable evenTable(int count, int firstYear = 1000, int step = 7) {
  HistoryTable t;
  t.file = QStringLiteral("歴史年2001.CSV");
  for (int i = 0; i < count; ++i) {
    HistoryRow r;
    r.firstGroup = 1;
    r.year = firstYear + i * step;
    r.category = i % 3 + 1;
    r.eventText = QStringLiteral("できごと%1").arg(i + 1);
    r.tag = QString(QChar(u'あ' + i % 40));
    t.rows.push_back(r);
  }
  return t;
}

}  // namespace minatori::test
