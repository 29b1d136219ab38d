#pragma once
// A value read from a free-format text field into a slot of no fixed type:
// a number, a text or nothing. It keeps the field's text exactly as read, so
// writing it back reproduces the field unchanged.

#include <QString>

namespace minatori {

// The number a text begins with: optional sign, digits, an optional fraction
// and exponent ("12abc" → 12, "1.5" → 1.5, "abc" → 0, "" → 0).
double leadingNumber(const QString &text);

// True when the whole (trimmed) text is a number in the sense of leadingNumber.
bool isNumberText(const QString &text);

// Plain decimal without trailing zeros: 1, 1.5, -3, 0.25. A 32-bit float is
// written with the digits it holds (1.1f → "1.1").
QString formatNumber(double value);
QString formatFloat(float value);

class LooseValue {
 public:
  enum class Kind { Empty, Number, Text };

  LooseValue() = default;
  // Classifies a field's text as read: empty, a number, or text.
  static LooseValue fromField(const QString &fieldText);
  static LooseValue fromNumber(double value);

  Kind kind() const { return kind_; }
  bool isEmpty() const { return kind_ == Kind::Empty; }
  // The number it stands for; empty counts as 0 and text as its leading number.
  double toNumber() const;
  // The text exactly as read (or as formed from a number).
  const QString &text() const { return text_; }

  friend bool operator==(const LooseValue &, const LooseValue &) = default;

 private:
  Kind kind_ = Kind::Empty;
  QString text_;
  double number_ = 0;
};

}  // namespace minatori
