#pragma once
// Per level and per student figures recomputed from the results log: counts
// and points over all loaded records, over the two judgement periods of the
// level and over today, with every personal best and every level's best.
// Nothing of it is stored: the log is the only record.

#include <array>
#include <vector>

#include <QString>
#include <QtGlobal>

namespace minatori {

class RuntimeError;
struct LevelCriteria;
struct ProgramState;
struct Services;

inline constexpr int kTallyLevels = 36;     // levels 1..35
inline constexpr int kTallyStudents = 5001;  // students 1..5000
inline constexpr int kLevelBestStudents = 1000;  // only students 1..1000 set a level best
inline constexpr int kLoadedRecords = 20000;     // the most recent records read
inline constexpr qint32 kNotAnAttempt = 6000;    // times from here on count for points only

// A table indexed [level][student].
template <typename T>
class LevelStudentTable {
 public:
  explicit LevelStudentTable(T initial = T{}) : cells_(static_cast<size_t>(kTallyLevels) * kTallyStudents, initial) {}
  T &operator()(int level, int student) { return cells_[index(level, student)]; }
  T operator()(int level, int student) const { return cells_[index(level, student)]; }
  void fill(T value) { std::fill(cells_.begin(), cells_.end(), value); }

 private:
  static size_t index(int level, int student) {
    return static_cast<size_t>(level) * kTallyStudents + static_cast<size_t>(student);
  }
  std::vector<T> cells_;
};

struct LoadedRecord {
  double recordDate = 0;
  double recordTime = 0;
  qint16 studentNumber = 0;
  qint16 level = 0;
  qint32 resultTime = 0;
};

struct ResultsTallies {
  LevelStudentTable<qint16> attemptCount;
  LevelStudentTable<qint32> pointTotal;
  LevelStudentTable<qint16> periodAttemptCount;
  LevelStudentTable<qint32> periodPointTotal;
  LevelStudentTable<qint16> banAttemptCount;
  LevelStudentTable<qint32> banPointTotal;
  LevelStudentTable<float> todayAttemptCount;
  LevelStudentTable<qint32> todayPointTotal;
  // No best yet is 99999, also before the first recomputation.
  LevelStudentTable<qint32> personalBest{99999};
  std::array<qint32, kTallyLevels> levelBest = [] {
    std::array<qint32, kTallyLevels> a{};
    a.fill(99999);
    return a;
  }();
  std::vector<LoadedRecord> loaded;  // oldest first, valid records only
};

// Points of one attempt of `resultTime` seconds against the level's target:
// 55 for no time, 5 on target, 4 up to twice the target, 1 up to ten times,
// 0 beyond and for a timed-out attempt; then × the level's rate, rounded down.
// `tallyVariant`: the tallies use the first three digits of the time in the
// formula (the comparisons use the whole time).
qint32 attemptPoints(const LevelCriteria &criteria, qint32 resultTime, bool tallyVariant = false);
// The base points before the rate.
qint32 basePoints(qint32 targetTime, qint32 resultTime, bool tallyVariant = false);

// Reads the most recent records of the log into tallies.loaded and takes the
// personal and level bests. Waits and retries while the log is missing or
// locked (see the loader's rules in the source).
void loadRecentResults(ProgramState &state, const Services &services);

// Recomputes every table from the log.
void computeTallies(ProgramState &state, const Services &services);

// The loader's message for an error other than a missing or busy log: the
// loader's stage, the error's number, text and number again, then each value
// of the list entry at `position` after its label ("/date", "/i=", "/time="
// for the time of day, "/name=" always empty, "/Bangou=", "/level=", "/time="
// for the result), "line" and the stage; the log's path on a line of its own.
QString loaderErrorText(int stage, const RuntimeError &error, int position, const LoadedRecord &entry,
                        const QString &path);

// Accumulates the loaded records into the tables (the part after loading).
void tallyLoadedRecords(ProgramState &state, double nowSerial, int todaySerial);

}  // namespace minatori
