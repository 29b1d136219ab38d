#include "check/sharecheck.h"

#include <QRegularExpression>
#include <cmath>

#include "app/configuration.h"
#include "app/levelcriteria.h"
#include "app/programstate.h"
#include "content/historytable.h"
#include "platform/clock.h"
#include "platform/folderfacts.h"
#include "platform/lockedfile.h"
#include "platform/paths.h"
#include "platform/runtimeerror.h"
#include "platform/textfile.h"
#include "results/logjournal.h"
#include "results/resultslog.h"
#include "results/seisekikiroku.h"
#include "roster/roster.h"
#include "sound/soundtable.h"

namespace minatori::check {

namespace {

constexpr int kSteps = 6;
// Beyond this the records of this PC carry another day than the server's.
constexpr qint64 kClockToleranceSeconds = 120;
// A share that holds less than a year of records at this pace is warned of.
constexpr double kRecordsPerDay = 1000;

const QString kRightsAdvice = QStringLiteral(
    "共有とフォルダーのアクセス許可で、このパソコンの利用者に内容フォルダーの読み取り・書き込み・作成・"
    "名前の変更・削除を許してください。");
const QString kBusyAdvice = QStringLiteral(
    "ほかのプログラム（ウイルス対策・バックアップ・検索のソフトなど）が点検用のファイルを使っていました。"
    "少し待ってから、もう一度調べてください。続くときは、内容フォルダーをそのソフトの検査から外してください。");

// A PC name as it may stand in a file name.
QString safeName(const QString &pcName) {
  QString name = pcName;
  name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_-]")), QStringLiteral("_"));
  return name;
}

Finding ok(const QString &topic, const QString &text = QStringLiteral("OK")) { return {topic, Verdict::Ok, text}; }

// What a failed file call means to an administrator.
Finding fileFailure(const QString &topic, const QString &doing, const RuntimeError &e) {
  const QString where = e.file().isEmpty() ? QString() : QStringLiteral("（%1）").arg(e.file());
  switch (e.number()) {
    case errc::FileBusy:
      return {topic, Verdict::Warning, doing + QStringLiteral("ところで止まりました") + where + QStringLiteral("。") + kBusyAdvice};
    case errc::PermissionDenied:
    case errc::PathFileAccess:
      return {topic, Verdict::Problem,
              doing + QStringLiteral("権利がありません") + where + QStringLiteral("。") + kRightsAdvice};
    case errc::DiskFull:
      return {topic, Verdict::Problem,
              doing + QStringLiteral("ところで、共有の空きがなくなりました") + where +
                  QStringLiteral("。ファイルサーバーの空きを増やしてください。")};
    default:
      return {topic, Verdict::Problem,
              doing + QStringLiteral("ことができません") + where + QStringLiteral("：") + e.text()};
  }
}

// Opens, runs `body` and always closes.
template <class Body>
void withHandle(FileSystem &fs, const QString &path, bool write, Body &&body) {
  const FileHandle h = fs.open(path, write);
  try {
    body(h);
  } catch (...) {
    fs.close(h);
    throw;
  }
  fs.close(h);
}

class Checker {
 public:
  Checker(Report &report, const Clock &clock) : report_(report), clock_(clock), fs_(fileSystem()) {}

  void files(const QString &programFolder);
  void rights();
  void locks();
  void otherPc();
  void clock();
  void room();
  bool haveContentFolder() const { return !report_.contentFolder.isEmpty(); }

 private:
  void add(Finding f) { report_.findings.push_back(std::move(f)); }
  QString scratch(const QString &suffix) const {
    return report_.contentFolder + scratchFileName(report_.pcName) + suffix;
  }

  Report &report_;
  const Clock &clock_;
  FileSystem &fs_;
  ProgramState state_;
  std::optional<qint64> clockOffsetSeconds_;  // the server's time minus this PC's
};

void Checker::files(const QString &programFolder) {
  const QString topic = QStringLiteral("設定ファイル");
  state_.developmentMode = static_cast<qint16>(developmentModeFor(programFolder));
  try {
    loadConfiguration(state_, programFolder);
    add(ok(topic, QStringLiteral("OK（%1、%2、%3、%4）")
                      .arg(QString::fromUtf16(kPathFileName), QString::fromUtf16(kCommonFileName),
                           QString::fromUtf16(kCriteriaFileName), QString::fromUtf16(kSoundTableFileName))));
  } catch (const RuntimeError &e) {
    add({topic, Verdict::Problem,
         QStringLiteral("%1：%2 ミナトリも同じところで止まります。ファイルを直してください。").arg(e.file(), e.text())});
  }
  report_.dataFolder = state_.dataFolder;
  report_.contentFolder = state_.contentFolder;
  if (state_.contentFolder.isEmpty()) return;

  const auto readable = [this](const QString &topic, const QString &path, const std::function<void(const QString &)> &parse) {
    try {
      parse(readCp932File(path));
      add(ok(topic));
    } catch (const RuntimeError &e) {
      add({topic, Verdict::Problem, QStringLiteral("%1：%2").arg(e.file().isEmpty() ? path : e.file(), e.text())});
    }
  };
  const QString roster = rosterFilePath(state_);
  readable(QStringLiteral("名簿（%1）").arg(QString::fromUtf16(kRosterFileName)), roster,
           [&](const QString &text) { parseRosterLines(text, roster); });
  const QString history = state_.contentFolder + QString::fromUtf16(kHistoryFileName);
  readable(QStringLiteral("年表（%1）").arg(QString::fromUtf16(kHistoryFileName)), history,
           [&](const QString &text) { parseHistoryRows(text, history, 1); });

  // Read under a shared lock as every list of the program does, but without
  // the program's repair of an interrupted delete: the check never writes
  // the log. A journal beside it is only reported.
  const QString logTopic = QStringLiteral("成績ファイル（%1）").arg(QString::fromUtf16(kResultsLogFileName));
  const QString logPath = resultsLogPath(state_);
  try {
    const LockedFile log(logPath, LockedFile::Access::Read, LockPurpose::Read);
    const qint64 size = log.size();
    add(ok(logTopic, QStringLiteral("OK（%1件の記録）").arg(size / kResultRecordSize)));
    if (fileExists(resultsJournalPath(logPath)))
      add({QStringLiteral("消去の控え（%1）").arg(QString::fromUtf16(kResultsJournalFileName)), Verdict::Note,
           QStringLiteral("先生の消去の控えが残っています。ミナトリが次に成績ファイルを開くときに片づけます。"
                          "消さないでください。")});
  } catch (const RuntimeError &e) {
    if (e.number() == errc::FileNotFound)
      add({logTopic, Verdict::Note, QStringLiteral("まだありません。最初の記録で作られます。")});
    else
      add(fileFailure(logTopic, QStringLiteral("読む"), e));
  }
}

void Checker::rights() {
  const QString topic = QStringLiteral("内容フォルダーの権利");
  const QString first = scratch(QStringLiteral(".tmp")), second = scratch(QStringLiteral(".tmp2"));
  const QByteArray payload = QByteArrayLiteral("minatori share check\r\n");
  QString doing;
  try {
    doing = QStringLiteral("点検用のファイルを作る");
    withHandle(fs_, first, true, [&](FileHandle h) {
      doing = QStringLiteral("書き込む");
      fs_.writeAt(h, first, 0, payload);
      doing = QStringLiteral("ファイルサーバーへ書き出す");
      fs_.flush(h, first);
    });
    if (const std::optional<QDateTime> written = fileModifiedTime(first))
      clockOffsetSeconds_ = std::llround(clock_.now().msecsTo(*written) / 1000.0);
    doing = QStringLiteral("読み戻す");
    withHandle(fs_, first, false, [&](FileHandle h) {
      if (fs_.readAt(h, first, 0, payload.size()) != payload)
        throw RuntimeError(errc::DeviceIo, first, QStringLiteral("書いた内容と違います"));
    });
    doing = QStringLiteral("二つ目のファイルを作る");
    withHandle(fs_, second, true, [&](FileHandle h) { fs_.writeAt(h, second, 0, payload); });
    doing = QStringLiteral("名前を変えて、あるファイルを置き換える");
    fs_.replace(second, first);
    doing = QStringLiteral("消す");
    if (!fs_.remove(first)) throw RuntimeError(errc::PermissionDenied, first);
    add(ok(topic, QStringLiteral("OK（作成・書き込み・書き出し・読み戻し・置き換え・削除）")));
  } catch (const RuntimeError &e) {
    add(fileFailure(topic, doing, e));
  }
}

void Checker::locks() {
  const QString topic = QStringLiteral("ロック（同じパソコン）");
  const QString path = scratch(QStringLiteral(".lck"));
  FileHandle a = 0, b = 0;
  QString doing = QStringLiteral("点検用のファイルを作る");
  try {
    a = fs_.open(path, true);
    fs_.writeAt(a, path, 0, QByteArrayLiteral("x"));
    fs_.flush(a, path);
    b = fs_.open(path, true);
    doing = QStringLiteral("ロックを掛ける");
    if (!fs_.tryLock(a, path, 0, kLockPendingByte, true)) {
      add({topic, Verdict::Problem,
           QStringLiteral("成績ファイルと同じ範囲にロックを掛けられません。ファイルサーバーがバイト範囲のロックに"
                          "対応しているか確かめてください（SMB2 以上）。")});
    } else if (fs_.tryLock(b, path, 0, kLockPendingByte, true)) {
      fs_.unlock(b, 0, kLockPendingByte);
      add({topic, Verdict::Problem,
           QStringLiteral("ロックが効いていません：掛けたロックを別のハンドルが越えました。二人が同時に終えると記録が"
                          "消えます。共有をロックが効く設定で使ってください（Linux の cifs なら nobrl を付けない）。")});
    } else {
      // Every read of the program goes through the handle that holds the
      // lock, so either answer is fine; the line says which system this is.
      QString plainRead;
      try {
        fs_.readAt(b, path, 0, 1);
        plainRead = QStringLiteral("ロック中の範囲を別のハンドルから読めます（勧告ロック）");
      } catch (const RuntimeError &) {
        plainRead = QStringLiteral("ロック中の範囲は別のハンドルから読めません（強制ロック）");
      }
      doing = QStringLiteral("1 TiB の位置（待っている書き込みの印）にロックを掛ける");
      const bool pending = fs_.tryLock(a, path, kLockPendingByte, 1, true);
      fs_.unlock(a, 0, kLockPendingByte);
      const bool released = fs_.tryLock(b, path, 0, kLockPendingByte, true);
      if (released) fs_.unlock(b, 0, kLockPendingByte);
      if (pending) fs_.unlock(a, kLockPendingByte, 1);
      if (!pending)
        add({topic, Verdict::Problem,
             QStringLiteral("1 TiB の位置にロックを掛けられません。古い NAS や SMB1 だけのサーバーではミナトリの"
                            "記録が待ち続けます。SMB2 以上の共有を使ってください。")});
      else if (!released)
        add({topic, Verdict::Problem,
             QStringLiteral("外したロックがすぐに解けません。ファイルサーバーの設定（オプロック）を確かめてください。")});
      else
        add({topic, Verdict::Ok, QStringLiteral("OK（別のハンドルは拒まれ、外せばすぐ掛けられます）")});
      add({QStringLiteral("ロック中の読み取り"), Verdict::Note,
           plainRead + QStringLiteral("。ミナトリは読むときもロックを掛けるので、どちらでも問題ありません。")});
    }
  } catch (const RuntimeError &e) {
    add(fileFailure(topic, doing, e));
  }
  if (b) fs_.close(b);
  if (a) fs_.close(a);
  try {
    fs_.remove(path);
  } catch (const RuntimeError &) {
    // Held by a scanner right now: the next check removes it.
  }
}

void Checker::otherPc() {
  const QString topic = QStringLiteral("ロック（他のパソコン）");
  const QString lockPath = report_.contentFolder + QString::fromUtf16(kOtherPcLockFileName);
  const QString infoPath = report_.contentFolder + QString::fromUtf16(kOtherPcInfoFileName);
  // Who holds it and since when: written beside the lock file, which a
  // mandatory lock keeps from being read.
  QString holder = QStringLiteral("?");
  std::optional<QDateTime> since;
  try {
    const QStringList info = readCp932File(infoPath).split(QStringLiteral("\r\n"));
    if (!info.isEmpty()) holder = info.value(0);
    if (info.size() > 1) since = QDateTime::fromString(info.value(1), Qt::ISODate);
  } catch (const RuntimeError &) {
  }
  FileHandle h = 0;
  try {
    h = fs_.open(lockPath, false);
  } catch (const RuntimeError &e) {
    if (e.number() == errc::FileNotFound || e.number() == errc::PathNotFound) {
      add({topic, Verdict::Note,
           QStringLiteral("確かめていません。1台目で「他のパソコンと確かめる」を押し、%1秒のうちに2台目でこの点検を"
                          "始めてください。")
               .arg(kOtherPcHoldSeconds)});
    } else {
      add(fileFailure(topic, QStringLiteral("他のパソコンのロック用ファイルを開く"), e));
    }
    return;
  }
  const bool granted = fs_.tryLock(h, lockPath, 0, kLockPendingByte, false);
  if (granted) fs_.unlock(h, 0, kLockPendingByte);
  fs_.close(h);
  const bool fresh = since && since->isValid() && std::abs(since->secsTo(clock_.now())) <= kOtherPcHoldSeconds + 30;
  if (!granted) {
    add(ok(topic, QStringLiteral("OK（%1 のロックがこのパソコンを拒みました）").arg(holder)));
  } else if (fresh) {
    add({topic, Verdict::Problem,
         QStringLiteral("成績ファイルのロックが他のパソコンに効いていません（%1 が掛けたロックを越えました）。共有の"
                        "設定で、バイト範囲のロックがパソコンの間で効くようにしてください（SMB2 以上。Linux の cifs "
                        "なら nobrl を付けない。NFS ならロックを有効に）。")
             .arg(holder)});
  } else {
    // Left by a check that was stopped: nobody holds it.
    try {
      fs_.remove(lockPath);
      fs_.remove(infoPath);
    } catch (const RuntimeError &) {
    }
    add({topic, Verdict::Note, QStringLiteral("前の点検の残りを片づけました。他のパソコンとは確かめていません。")});
  }
}

void Checker::clock() {
  const QString topic = QStringLiteral("時計");
  if (!clockOffsetSeconds_) {
    add({topic, Verdict::Note, QStringLiteral("ファイルサーバーの時刻を読めなかったので、確かめていません。")});
    return;
  }
  const qint64 off = *clockOffsetSeconds_;
  if (std::abs(off) <= kClockToleranceSeconds) {
    add(ok(topic, QStringLiteral("OK（ファイルサーバーとの差 %1秒）").arg(std::abs(off))));
    return;
  }
  const qint64 minutes = (std::abs(off) + 30) / 60;  // to the nearest minute
  add({topic, Verdict::Warning,
       QStringLiteral("このパソコンの時計がファイルサーバーより%1分%2います。記録の日付と時刻はこのパソコンの時計で"
                      "付くので、今日の回数や期間の集計がずれます。Windows の「日付と時刻」で時刻を同期してください。")
           .arg(minutes)
           .arg(off > 0 ? QStringLiteral("遅れて") : QStringLiteral("進んで"))});
}

void Checker::room() {
  const QString topic = QStringLiteral("空き容量");
  const qint64 free = freeBytes(report_.contentFolder);
  if (free < 0) {
    add({topic, Verdict::Note, QStringLiteral("共有の空きを読めませんでした。")});
    return;
  }
  const double years = static_cast<double>(free) / (kResultRecordSize * kRecordsPerDay * 365.0);
  const QString amount = QStringLiteral("空き %1 MB：1日%2回の記録で%3")
                             .arg(free / (1024 * 1024))
                             .arg(static_cast<int>(kRecordsPerDay))
                             .arg(years >= 100 ? QStringLiteral("100年分以上")
                                              : QStringLiteral("約%1年分").arg(years, 0, 'f', 1));
  if (years < 1)
    add({topic, Verdict::Warning, amount + QStringLiteral("。ファイルサーバーの空きを増やしてください。")});
  else
    add(ok(topic, QStringLiteral("OK（%1）").arg(amount)));
}

}  // namespace

int Report::count(Verdict verdict) const {
  return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                        [verdict](const Finding &f) { return f.verdict == verdict; }));
}

QString verdictLabel(Verdict verdict) {
  switch (verdict) {
    case Verdict::Ok: return QStringLiteral("OK");
    case Verdict::Note: return QStringLiteral("情報");
    case Verdict::Warning: return QStringLiteral("注意");
    case Verdict::Problem: return QStringLiteral("問題");
  }
  return {};
}

QString Report::text() const {
  QStringList lines;
  lines << QStringLiteral("ミナトリ 共有フォルダーの点検") << QStringLiteral("日時　　　：%1").arg(when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")))
        << QStringLiteral("パソコン　：%1").arg(pcName) << QStringLiteral("プログラム：%1").arg(programFolder)
        << QStringLiteral("内容フォルダー：%1").arg(contentFolder.isEmpty() ? QStringLiteral("（不明）") : contentFolder)
        << QString();
  for (const Finding &f : findings) lines << QStringLiteral("[%1] %2：%3").arg(verdictLabel(f.verdict), f.topic, f.text);
  lines << QString()
        << QStringLiteral("問題 %1、注意 %2").arg(count(Verdict::Problem)).arg(count(Verdict::Warning));
  return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString scratchFileName(const QString &pcName) { return QStringLiteral("minatori-check-") + safeName(pcName); }

Report runChecks(const QString &programFolder, const Clock &clock, const QString &pcName, const Progress &progress) {
  Report report;
  report.when = clock.now();
  report.pcName = pcName;
  report.programFolder = programFolder;
  Checker checker(report, clock);
  const QStringList topics = {QStringLiteral("ファイル"), QStringLiteral("権利"), QStringLiteral("ロック"),
                              QStringLiteral("他のパソコン"), QStringLiteral("時計"), QStringLiteral("空き容量")};
  const auto step = [&](int done) {
    if (progress) progress(done, kSteps, done < kSteps ? topics.value(done) : QString());
  };
  step(0);
  checker.files(programFolder);
  if (!checker.haveContentFolder()) {
    report.findings.push_back({QStringLiteral("共有フォルダー"), Verdict::Problem,
                               QStringLiteral("データのフォルダーがわからないので、共有は調べられませんでした。"
                                              "上の設定ファイルを直してから、もう一度調べてください。")});
    step(kSteps);
    return report;
  }
  // Before: what an interrupted check of this PC left behind. After: what a
  // step that failed half-way left (a file made whose bytes a full share
  // refused). One still held by a scanner is the next check's.
  const auto removeScratch = [&] {
    for (const QString &suffix : {QStringLiteral(".tmp"), QStringLiteral(".tmp2"), QStringLiteral(".lck")}) {
      try {
        fileSystem().remove(report.contentFolder + scratchFileName(pcName) + suffix);
      } catch (const RuntimeError &) {
      }
    }
  };
  removeScratch();
  step(1);
  checker.rights();
  step(2);
  checker.locks();
  step(3);
  checker.otherPc();
  step(4);
  checker.clock();
  step(5);
  checker.room();
  removeScratch();
  step(kSteps);
  return report;
}

std::optional<QString> writeReport(const Report &report) {
  const QString folder = report.dataFolder.isEmpty() ? paths::withTrailingSeparator(report.programFolder) : report.dataFolder;
  const QString path = folder + QStringLiteral("共有点検_%1.txt").arg(safeName(report.pcName));
  QString text = report.text();
  // A character outside code page 932 (in a folder name) must not lose the report.
  QString safe;
  for (const QChar c : text) safe += tryEncodeCp932(QString(c)) ? c : QChar(u'?');
  try {
    writeFileAtomically(path, encodeCp932(safe, path));
    return path;
  } catch (const RuntimeError &) {
    return std::nullopt;
  }
}

LockForOtherPc::LockForOtherPc(const QString &contentFolder, const QString &pcName, const Clock &clock)
    : lockPath_(contentFolder + QString::fromUtf16(kOtherPcLockFileName)),
      infoPath_(contentFolder + QString::fromUtf16(kOtherPcInfoFileName)) {
  FileSystem &fs = fileSystem();
  try {
    writeFileAtomically(infoPath_, encodeCp932(pcName + QStringLiteral("\r\n") +
                                                   clock.now().toString(Qt::ISODate) + QStringLiteral("\r\n"),
                                               infoPath_));
    handle_ = fs.open(lockPath_, true);
    if (!fs.tryLock(handle_, lockPath_, 0, kLockPendingByte, true)) {
      fs.close(handle_);
      handle_ = 0;
      failure_ = QStringLiteral("ほかのパソコンがいま確かめています。終わってからもう一度押してください。");
    }
  } catch (const RuntimeError &e) {
    if (handle_) fs.close(handle_);
    handle_ = 0;
    failure_ = fileFailure(QString(), QStringLiteral("ロック用のファイルを作る"), e).text;
  }
}

LockForOtherPc::~LockForOtherPc() {
  FileSystem &fs = fileSystem();
  if (!handle_) return;
  fs.unlock(handle_, 0, kLockPendingByte);
  fs.close(handle_);
  try {
    fs.remove(lockPath_);
    fs.remove(infoPath_);
  } catch (const RuntimeError &) {
    // Held by a scanner: the next check finds it stale and removes it.
  }
}

}  // namespace minatori::check
