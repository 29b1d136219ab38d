#pragma once
// The results log as a CSV file for teachers' own spreadsheets: code page 932,
// CR LF, a header line, one line a record in the log's order.

#include <QDate>
#include <QString>
#include <vector>

#include "results/seisekikiroku.h"

namespace minatori {

struct ProgramState;

// The CSV text of `records` (record 1 first): number, date, time of day,
// level, level name, result seconds, student number, name, grade label,
// school. Names and grades come from the roster tables as last read.
QString resultsCsvText(const ProgramState &state, const std::vector<Seisekikiroku> &records);

// Writes every record of the log to "成績一覧_yyyy-MM-dd.csv" in the data
// folder ("_2", "_3" … when that name is taken) and returns the file's path.
// Throws RuntimeError when the log cannot be read or the file not written.
QString exportResultsCsv(const ProgramState &state, const QDate &today);

}  // namespace minatori
