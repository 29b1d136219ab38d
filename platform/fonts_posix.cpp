#include "platform/fonts.h"

namespace minatori {

QString gothicFamily() { return QStringLiteral("IPAGothic"); }
QString minchoFamily() { return QStringLiteral("IPAMincho"); }

}  // namespace minatori
