#pragma once
// The free-format field list of the installation's text files.
//
// A file is one stream of fields: a comma or a line end ends a field, spaces
// and tabs around a field are ignored, a field in double quotes is taken
// without its quotes and may hold commas. A read of n fields runs on across
// line ends, so a short line takes its missing fields from the next one.

#include <QString>
#include <QStringList>

#include "platform/loosevalue.h"

namespace minatori {

class FieldReader {
 public:
  // `file` names the source in errors.
  FieldReader(QString text, QString file);
  // Reads and decodes a code page 932 file.
  static FieldReader openFile(const QString &path);

  // No field is left: the rest is blank space and line ends, and the last
  // field did not end at a comma (so a final CR LF, or blank lines after the
  // last record, start no new record, while "a," still holds an empty field).
  bool atEnd() const;

  // One field's text. Throws RuntimeError(InputPastEnd) when atEnd().
  QString readText();
  LooseValue readLoose() { return LooseValue::fromField(readText()); }
  // A numeric slot: empty reads as 0, text as the number it begins with.
  double readNumber() { return leadingNumber(readText()); }
  // Numbers for slots of fixed width: rounded half to even and held to the
  // range of the slot.
  qint32 readInt32();
  qint16 readInt16();
  float readFloat();
  void skip(int count);

  const QString &file() const { return file_; }
  // The 1-based line the next field starts on, for messages about a bad field.
  int lineNumber() const;

 private:
  QString text_;
  QString file_;
  qsizetype pos_ = 0;
  bool afterComma_ = false;  // the last field ended at a comma
  mutable qsizetype contentAt_ = -1;  // atEnd(): the first non-blank character from some pos <= pos_
  mutable qsizetype countedTo_ = 0;  // lineNumber(): lines counted up to here
  mutable int countedLines_ = 1;
};

// Builds text in the same convention: fields joined by commas, lines ended by CR LF.
class FieldWriter {
 public:
  explicit FieldWriter(QString file) : file_(std::move(file)) {}
  // Writes one line of fields, each as its plain text (no quotes added).
  void writeLine(const QStringList &fields);
  // A text field in double quotes, for texts that may hold commas.
  static QString quoted(const QString &text);

  const QString &text() const { return text_; }
  QByteArray toCp932() const;
  // Replaces the file atomically; nothing is written when a character cannot
  // be encoded.
  void save() const;

 private:
  QString file_;
  QString text_;
};

}  // namespace minatori
