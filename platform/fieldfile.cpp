#include "platform/fieldfile.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/runtimeerror.h"
#include "platform/textfile.h"

namespace minatori {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }
// Ctrl-Z, which old editors leave at the end of a text file.
bool isEndMark(QChar c) { return c == QChar(0x1A); }

template <typename T>
T toSlot(double v) {
  const double r = std::nearbyint(v);  // default rounding: half to even
  if (r <= static_cast<double>(std::numeric_limits<T>::min())) return std::numeric_limits<T>::min();
  if (r >= static_cast<double>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(r);
}

}  // namespace

FieldReader::FieldReader(QString text, QString file) : text_(std::move(text)), file_(std::move(file)) {}

FieldReader FieldReader::openFile(const QString &path) { return FieldReader(readCp932File(path), path); }

bool FieldReader::atEnd() const {
  if (afterComma_) return false;  // a comma always promises one more field
  // The first character at or after pos_ that is not blank space, kept until
  // the reader passes it: readText() asks at every field, and scanning a run
  // of blank lines afresh each time would make reading it quadratic.
  if (contentAt_ < pos_) {
    contentAt_ = pos_;
    while (contentAt_ < text_.size()) {
      const QChar c = text_[contentAt_];
      if (!isBlank(c) && !isLineEnd(c) && !isEndMark(c)) break;
      ++contentAt_;
    }
  }
  return contentAt_ >= text_.size();
}

QString FieldReader::readText() {
  // Blank lines after the last record hold no fields: a short last line is
  // past the end however many of them follow it.
  if (atEnd()) throw RuntimeError(errc::InputPastEnd, file_);
  const qsizetype n = text_.size();
  const bool afterComma = afterComma_;
  afterComma_ = false;
  // Here only after a comma: "a," at the very end still holds an empty last field.
  if (afterComma && (pos_ >= n || (isEndMark(text_[pos_]) && atEnd()))) return QString();
  while (pos_ < n && isBlank(text_[pos_])) ++pos_;

  QString field;
  if (pos_ < n && text_[pos_] == u'"') {
    const qsizetype close = text_.indexOf(u'"', pos_ + 1);
    const qsizetype stop = close < 0 ? n : close;
    field = text_.mid(pos_ + 1, stop - pos_ - 1);
    pos_ = close < 0 ? n : close + 1;
    // Anything between the closing quote and the delimiter is dropped.
    while (pos_ < n && text_[pos_] != u',' && !isLineEnd(text_[pos_])) ++pos_;
  } else {
    const qsizetype start = pos_;
    while (pos_ < n && text_[pos_] != u',' && !isLineEnd(text_[pos_])) ++pos_;
    qsizetype end = pos_;
    while (end > start && isBlank(text_[end - 1])) --end;
    field = text_.mid(start, end - start);
  }

  // Consume the one delimiter that ended the field.
  if (pos_ < n) {
    if (text_[pos_] == u',') {
      ++pos_;
      afterComma_ = true;
    } else if (text_[pos_] == u'\r') {
      ++pos_;
      if (pos_ < n && text_[pos_] == u'\n') ++pos_;
    } else if (text_[pos_] == u'\n') {
      ++pos_;
    }
  }
  return field;
}

qint32 FieldReader::readInt32() { return toSlot<qint32>(readNumber()); }
qint16 FieldReader::readInt16() { return toSlot<qint16>(readNumber()); }
float FieldReader::readFloat() {
  const double v = readNumber();
  if (std::fabs(v) > std::numeric_limits<float>::max())
    return v < 0 ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();
  return static_cast<float>(v);
}

int FieldReader::lineNumber() const {
  // Counted on from the last answer: readers ask once a field, and counting
  // from the start each time would make reading a long file quadratic.
  if (pos_ < countedTo_) countedTo_ = 0, countedLines_ = 1;
  for (qsizetype i = countedTo_; i < pos_ && i < text_.size(); ++i) {
    if (text_[i] == u'\n' || (text_[i] == u'\r' && (i + 1 >= text_.size() || text_[i + 1] != u'\n'))) ++countedLines_;
  }
  countedTo_ = std::max(countedTo_, std::min(pos_, text_.size()));
  return countedLines_;
}

void FieldReader::skip(int count) {
  for (int i = 0; i < count; ++i) readText();
}

void FieldWriter::writeLine(const QStringList &fields) {
  text_ += fields.join(u',');
  text_ += QStringLiteral("\r\n");
}

QString FieldWriter::quoted(const QString &text) { return u'"' + text + u'"'; }

QByteArray FieldWriter::toCp932() const { return encodeCp932(text_, file_); }

void FieldWriter::save() const { writeFileAtomically(file_, toCp932()); }

}  // namespace minatori
