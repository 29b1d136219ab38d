#include "tests/support/faultyfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <numeric>

#include "platform/runtimeerror.h"

namespace minatori::faults {

namespace {

QByteArray realBytes(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void apply(QByteArray &bytes, qint64 offset, const QByteArray &data) {
  if (bytes.size() < offset + data.size()) bytes.resize(offset + data.size(), '\0');
  std::copy(data.begin(), data.end(), bytes.begin() + offset);
}

}  // namespace

FaultyFiles::FaultyFiles(const QString &folder) : real_(systemFileSystem()), folder_(QDir(folder).absolutePath()) {
  for (const QFileInfo &f : QDir(folder_).entryInfoList(QDir::Files))
    durable_[key(f.absoluteFilePath())] = {true, realBytes(f.absoluteFilePath())};
  setFileSystem(this);
  setHeldWait([this](int ms) { heldWaitMs_ += ms; });
}

FaultyFiles::~FaultyFiles() {
  setHeldWait({});
  setFileSystem(nullptr);
}

void FaultyFiles::hold(const QString &fileName, int times) { held_[fileName] = times; }
void FaultyFiles::holdRemovals(const QString &fileName, int times) { heldRemovals_[fileName] = times; }
void FaultyFiles::cacheExists(const QString &fileName, bool answer) { cachedExists_[fileName] = answer; }

void FaultyFiles::heldCheck(const QString &path, bool removal) {
  const QString name = QFileInfo(path).fileName();
  for (auto *held : {&held_, removal ? &heldRemovals_ : nullptr}) {
    if (!held) continue;
    const auto it = held->find(name);
    if (it == held->end() || it->second <= 0) continue;
    if (it->second != kAlways) --it->second;
    throw RuntimeError(errc::FileBusy, path);
  }
}

QString FaultyFiles::key(const QString &path) { return QFileInfo(path).absoluteFilePath(); }

void FaultyFiles::failAt(int call, Fault fault, int times) {
  faultCall_ = call;
  fault_ = fault;
  faultTimes_ = times;
}

void FaultyFiles::track(const QString &path) {
  // A file first seen now is on the disk as it is now.
  const QString k = key(path);
  if (!durable_.count(k)) durable_[k] = {QFileInfo::exists(k), realBytes(k)};
}

void FaultyFiles::deadCheck() const {
  if (crashed_) throw SimulatedCrash{};
}

void FaultyFiles::count(const QString &path, bool *partial, bool *failed) {
  deadCheck();
  track(path);
  ++calls_;
  if (faultCall_ == 0 || calls_ < faultCall_ || calls_ - faultCall_ >= faultTimes_) return;
  // Calls that report a failure by their result rather than by throwing.
  if (failed && fault_ != Fault::Crash && fault_ != Fault::TornCrash && fault_ != Fault::PowerCut) {
    *failed = true;
    return;
  }
  switch (fault_) {
    case Fault::IoError: throw RuntimeError(errc::DeviceIo, path);
    case Fault::Denied: throw RuntimeError(errc::PermissionDenied, path);
    case Fault::DiskFull: throw RuntimeError(errc::DiskFull, path);
    case Fault::ShortWrite:
      if (partial) {
        *partial = true;
        return;
      }
      throw RuntimeError(errc::DiskFull, path);
    case Fault::TornCrash:
      if (partial) {
        *partial = true;
        return;
      }
      [[fallthrough]];
    case Fault::Crash:
    case Fault::PowerCut: crashed_ = true; throw SimulatedCrash{};
  }
}

FileHandle FaultyFiles::open(const QString &path, bool write) {
  deadCheck();
  heldCheck(path, false);
  if (!write) return real_.open(path, false);
  const bool existed = real_.exists(path);
  count(path);
  const FileHandle h = real_.open(path, true);
  if (!existed) pending_.push_back({Change::Create, key(path), {}, 0, {}});
  return h;
}

void FaultyFiles::close(FileHandle file) noexcept { real_.close(file); }

bool FaultyFiles::tryLock(FileHandle file, const QString &path, qint64 start, qint64 length, bool exclusive) {
  deadCheck();
  if (locksNotEnforced) return true;
  return real_.tryLock(file, path, start, length, exclusive);
}

void FaultyFiles::unlock(FileHandle file, qint64 start, qint64 length) noexcept { real_.unlock(file, start, length); }

qint64 FaultyFiles::size(FileHandle file, const QString &path) {
  deadCheck();
  return real_.size(file, path);
}

QByteArray FaultyFiles::readAt(FileHandle file, const QString &path, qint64 offset, qint64 length) {
  deadCheck();
  return real_.readAt(file, path, offset, length);
}

void FaultyFiles::writeAt(FileHandle file, const QString &path, qint64 offset, const QByteArray &bytes) {
  bool partial = false;
  count(path, &partial);
  if (partial) {
    const QByteArray half = bytes.left(bytes.size() / 2);
    real_.writeAt(file, path, offset, half);
    pending_.push_back({Change::Write, key(path), {}, offset, half});
    if (fault_ == Fault::TornCrash) {
      crashed_ = true;
      throw SimulatedCrash{};
    }
    throw RuntimeError(errc::DiskFull, path);
  }
  real_.writeAt(file, path, offset, bytes);
  pending_.push_back({Change::Write, key(path), {}, offset, bytes});
}

void FaultyFiles::resize(FileHandle file, const QString &path, qint64 length) {
  count(path);
  real_.resize(file, path, length);
  pending_.push_back({Change::Resize, key(path), {}, length, {}});
}

void FaultyFiles::flush(FileHandle file, const QString &path) {
  count(path);
  // The layer keeps the disk's state itself: no real flush is needed, and
  // thousands of crash points stay quick.
  Q_UNUSED(file);
  const QString k = key(path);
  durable_[k].bytes = realBytes(k);
  std::erase_if(pending_, [&](const Change &c) {
    return c.path == k && (c.kind == Change::Write || c.kind == Change::Resize);
  });
}

bool FaultyFiles::exists(const QString &path) {
  deadCheck();
  if (const auto it = cachedExists_.find(QFileInfo(path).fileName()); it != cachedExists_.end()) return it->second;
  return real_.exists(path);
}

bool FaultyFiles::remove(const QString &path) {
  deadCheck();
  if (beforeRemove) beforeRemove(path);
  heldCheck(path, true);
  bool failed = false;
  count(path, nullptr, &failed);
  if (failed) return false;
  const bool existed = real_.exists(path);
  const bool removed = real_.remove(path);
  if (removed && existed) pending_.push_back({Change::Remove, key(path), {}, 0, {}});
  return removed;
}

bool FaultyFiles::rename(const QString &from, const QString &to) { return move(from, to, false); }

void FaultyFiles::replace(const QString &from, const QString &to) {
  if (!move(from, to, true)) throw RuntimeError(fault_ == Fault::DiskFull ? errc::DiskFull
                                     : fault_ == Fault::Denied ? errc::PermissionDenied
                                                               : errc::DeviceIo,
                                     to);
}

bool FaultyFiles::move(const QString &from, const QString &to, bool replacing) {
  deadCheck();
  heldCheck(from, false);
  heldCheck(to, false);
  bool failed = false;
  count(replacing ? to : from, nullptr, &failed);
  if (failed) return false;
  track(from);
  track(to);
  if (replacing) {
    real_.replace(from, to);
  } else if (!real_.rename(from, to)) {
    return false;
  }
  pending_.push_back({Change::Rename, key(from), key(to), 0, {}});
  return true;
}

void FaultyFiles::flushFolderOf(const QString &filePath) {
  bool failed = false;
  count(filePath, nullptr, &failed);
  if (failed) return;  // as where the file system has no such call
  const QString folder = QFileInfo(filePath).absolutePath();
  // The folder's entries as they are now are on the disk; a file's data
  // stays as its own last flush left it.
  std::vector<Change> kept;
  for (const Change &c : pending_) {
    const bool entry = c.kind == Change::Create || c.kind == Change::Remove || c.kind == Change::Rename;
    if (!entry || QFileInfo(c.path).absolutePath() != folder) {
      kept.push_back(c);
      continue;
    }
    if (c.kind == Change::Create) durable_[c.path].exists = true;
    if (c.kind == Change::Remove) durable_[c.path].exists = false;
    if (c.kind == Change::Rename) {
      durable_[c.to] = durable_[c.path];
      durable_[c.path] = {};
    }
  }
  pending_ = kept;
}

void FaultyFiles::powerCut(const std::vector<int> &kept) {
  std::map<QString, Durable> disk = durable_;
  for (const int i : kept) {
    const Change &c = pending_[static_cast<size_t>(i)];
    Durable &d = disk[c.path];
    switch (c.kind) {
      case Change::Write:
        if (d.exists) apply(d.bytes, c.offset, c.bytes);
        break;
      case Change::Resize:
        if (d.exists) d.bytes.resize(c.offset, '\0');
        break;
      case Change::Create:
        d.exists = true;
        break;
      case Change::Remove:
        d.exists = false;
        break;
      case Change::Rename:
        disk[c.to] = d;
        disk[c.path] = {};
        break;
    }
  }
  for (const auto &[path, d] : disk) {
    if (!d.exists) {
      QFile::remove(path);
      continue;
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(d.bytes);
  }
  durable_ = disk;
  pending_.clear();
  crashed_ = false;
  faultCall_ = 0;
  calls_ = 0;
}

void FaultyFiles::revive() {
  crashed_ = false;
  faultCall_ = 0;
  calls_ = 0;
}

std::vector<std::vector<int>> FaultyFiles::landings(int count) {
  std::vector<std::vector<int>> out;
  if (count <= 4) {
    for (unsigned mask = 0; mask < (1u << count); ++mask) {
      std::vector<int> subset;
      for (int i = 0; i < count; ++i)
        if (mask & (1u << i)) subset.push_back(i);
      do out.push_back(subset);
      while (std::next_permutation(subset.begin(), subset.end()));
    }
    return out;
  }
  // None, all in order, all reversed, and each one alone or left out.
  std::vector<int> all(static_cast<size_t>(count));
  std::iota(all.begin(), all.end(), 0);
  out.push_back({});
  out.push_back(all);
  out.emplace_back(all.rbegin(), all.rend());
  for (int i = 0; i < count; ++i) {
    out.push_back({i});
    std::vector<int> without;
    for (int j = 0; j < count; ++j)
      if (j != i) without.push_back(j);
    out.push_back(without);
  }
  return out;
}

}  // namespace minatori::faults
