#include "platform/loosevalue.h"

#include <cmath>

namespace minatori {

namespace {

// Length of the numeric prefix of `t` starting at `from`, 0 when none.
qsizetype numericPrefixLength(const QString &t, qsizetype from) {
  qsizetype i = from;
  const qsizetype n = t.size();
  auto digit = [&](qsizetype k) { return k < n && t[k] >= u'0' && t[k] <= u'9'; };
  if (i < n && (t[i] == u'+' || t[i] == u'-')) ++i;
  const qsizetype mantissaStart = i;
  while (digit(i)) ++i;
  if (i < n && t[i] == u'.') {
    ++i;
    while (digit(i)) ++i;
  }
  const qsizetype mantissaLen = i - mantissaStart;
  if (mantissaLen == 0 || (mantissaLen == 1 && t[mantissaStart] == u'.')) return 0;
  if (i < n && (t[i] == u'e' || t[i] == u'E')) {
    qsizetype j = i + 1;
    if (j < n && (t[j] == u'+' || t[j] == u'-')) ++j;
    if (digit(j)) {
      while (digit(j)) ++j;
      i = j;
    }
  }
  return i - from;
}

}  // namespace

double leadingNumber(const QString &text) {
  const QString t = text.trimmed();
  const qsizetype len = numericPrefixLength(t, 0);
  if (len == 0) return 0;
  bool ok = false;
  const double v = t.left(len).toDouble(&ok);
  return ok && std::isfinite(v) ? v : 0;
}

bool isNumberText(const QString &text) {
  const QString t = text.trimmed();
  return !t.isEmpty() && numericPrefixLength(t, 0) == t.size();
}

QString formatNumber(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e15)
    return QString::number(static_cast<qint64>(value));
  return QString::number(value, 'g', 15);
}

QString formatFloat(float value) {
  if (value == std::floor(value) && std::fabs(value) < 1e7f)
    return QString::number(static_cast<qint64>(value));
  return QString::number(static_cast<double>(value), 'g', 7);
}

LooseValue LooseValue::fromField(const QString &fieldText) {
  LooseValue v;
  v.text_ = fieldText;
  if (fieldText.isEmpty()) {
    v.kind_ = Kind::Empty;
  } else if (isNumberText(fieldText)) {
    v.kind_ = Kind::Number;
    v.number_ = leadingNumber(fieldText);
  } else {
    v.kind_ = Kind::Text;
  }
  return v;
}

LooseValue LooseValue::fromNumber(double value) {
  LooseValue v;
  v.kind_ = Kind::Number;
  v.number_ = value;
  v.text_ = formatNumber(value);
  return v;
}

double LooseValue::toNumber() const {
  switch (kind_) {
    case Kind::Empty: return 0;
    case Kind::Number: return number_;
    case Kind::Text: return leadingNumber(text_);
  }
  return 0;
}

}  // namespace minatori
