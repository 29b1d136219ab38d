#include "app/ui/programicon.h"

#include <QPainter>

#include "platform/displayscale.h"

namespace minatori {

QPixmap drawProgramIcon(int size) {
  return designPicture(QSize(size, size), [size](QPainter &p) {
    p.fillRect(QRect(0, 0, size, size), QColor(192, 255, 192));
    p.setRenderHint(QPainter::Antialiasing);
    const double u = size / 16.0;
    p.setPen(QPen(QColor(96, 96, 96), u * 0.6));
    p.drawLine(QPointF(3 * u, 1 * u), QPointF(3 * u, 15 * u));
    // Domestic, culture and foreign, as on the board.
    const QColor colours[] = {QColor(255, 255, 0), QColor(128, 128, 255), QColor(192, 64, 0)};
    for (int i = 0; i < 3; ++i) {
      const double y = (3 + 4.5 * i) * u;
      p.setPen(QPen(Qt::red, u * 0.5));
      p.drawLine(QPointF(3 * u, y), QPointF((5 + 2 * i) * u, y));
      p.setPen(Qt::NoPen);
      p.setBrush(Qt::red);
      p.drawEllipse(QPointF(3 * u, y), u * 0.9, u * 0.9);
      p.setPen(QPen(Qt::black, u * 0.25));
      p.setBrush(colours[i]);
      p.drawRect(QRectF((5 + 2 * i) * u, y - 1.2 * u, 8 * u - 2 * i * u, 2.4 * u));
    }
  });
}

}  // namespace minatori
