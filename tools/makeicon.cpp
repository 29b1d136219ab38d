// makeicon ICON.ico
// Draws the program's icon (a vertical timeline with drop boxes, one of
// them filled) and writes it as a Windows icon file with PNG images of
// 16, 32, 48 and 256 pixels: the format Windows reads since Vista. Shapes
// only, so no font and no application object is needed.

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <cstdio>
#include <vector>

namespace {

QImage drawIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);  // drawn on a 64-unit square
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1F, 0x3A, 0x68));
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
  p.setBrush(QColor(0xF2, 0xF2, 0xF2));
  p.drawRect(QRectF(15, 8, 5, 48));  // the timeline
  const double rows[] = {12, 27, 42};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(QColor(0xF2, 0xF2, 0xF2));
    p.drawRect(QRectF(20, rows[i] + 3, 6, 3));  // tick
    if (i == 1) {
      p.setBrush(QColor(0xF0, 0x8A, 0x24));  // the box answered
      p.setPen(Qt::NoPen);
    } else {
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(QColor(0xF2, 0xF2, 0xF2), 2));
    }
    p.drawRect(QRectF(28, rows[i], 26, 9));
    p.setPen(Qt::NoPen);
  }
  return image;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: makeicon ICON.ico\n");
    return 2;
  }
  const int sizes[] = {16, 32, 48, 256};
  std::vector<QByteArray> pngs;
  for (const int size : sizes) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!drawIcon(size).save(&buffer, "PNG")) return 1;
    pngs.push_back(png);
  }
  // ICONDIR, then one ICONDIRENTRY per image, then the images.
  QByteArray ico(6 + 16 * pngs.size(), '\0');
  char *h = ico.data();
  qToLittleEndian<quint16>(0, h);
  qToLittleEndian<quint16>(1, h + 2);  // an icon, not a cursor
  qToLittleEndian<quint16>(static_cast<quint16>(pngs.size()), h + 4);
  quint32 offset = static_cast<quint32>(ico.size());
  for (size_t i = 0; i < pngs.size(); ++i) {
    char *e = ico.data() + 6 + 16 * i;
    e[0] = static_cast<char>(sizes[i] == 256 ? 0 : sizes[i]);  // 0 stands for 256
    e[1] = e[0];
    qToLittleEndian<quint16>(1, e + 4);   // colour planes
    qToLittleEndian<quint16>(32, e + 6);  // bits per pixel
    qToLittleEndian<quint32>(static_cast<quint32>(pngs[i].size()), e + 8);
    qToLittleEndian<quint32>(offset, e + 12);
    offset += static_cast<quint32>(pngs[i].size());
  }
  for (const QByteArray &png : pngs) ico += png;
  QFile out(QString::fromLocal8Bit(argv[1]));
  if (!out.open(QIODevice::WriteOnly) || out.write(ico) != ico.size()) return 1;
  return 0;
}
