#include <QFontDatabase>
#include <QGuiApplication>

#include "platform/fonts.h"

namespace minatori {

namespace {
// The first family of `preferred` the system has, else the last one (the
// toolkit then substitutes). Before the application object exists (nothing
// is drawn then) the first one, unchecked and not kept. Only the interface
// thread asks.
QString firstInstalled(QString &chosen, std::initializer_list<const char16_t *> preferred) {
  if (!chosen.isEmpty()) return chosen;
  if (!qGuiApp) return QString::fromUtf16(*preferred.begin());
  const QStringList families = QFontDatabase::families();
  for (const char16_t *name : preferred) {
    chosen = QString::fromUtf16(name);
    if (families.contains(chosen, Qt::CaseInsensitive)) break;
  }
  return chosen;
}
QString g_gothic, g_mincho;
}  // namespace

QString gothicFamily() { return firstInstalled(g_gothic, {u"ＭＳ ゴシック", u"MS Gothic", u"IPAGothic"}); }
QString minchoFamily() { return firstInstalled(g_mincho, {u"ＭＳ 明朝", u"MS Mincho", u"IPAMincho"}); }

}  // namespace minatori
