#include "drill/ui/dragwidgets.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>

#include "platform/displayscale.h"
#include "platform/twips.h"

namespace minatori {

CandidateList::CandidateList(QWidget *parent) : QListWidget(parent) {
  setSortingEnabled(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(false);  // the drag is started by hand on mouse-down
}

void CandidateList::mousePressEvent(QMouseEvent *event) {
  QListWidget::mousePressEvent(event);
  draggedIndex_ = -1;
  if (!isEnabled()) return;
  // Only the entry under the pointer, which the press has just selected. A
  // press on the empty part of the list starts nothing, whatever entry is
  // still current or selected there.
  const QListWidgetItem *item = itemAt(event->position().toPoint());
  if (!item || !item->isSelected()) return;
  draggedIndex_ = row(item);
  const QString text = item->text();
  if (text.isEmpty()) return;
  auto *mime = new QMimeData;
  mime->setText(text);
  auto *drag = new QDrag(this);
  drag->setMimeData(mime);
  const QPixmap picture = dragPicture(text, font());
  drag->setPixmap(picture);
  drag->setHotSpot(QPoint(dpx(12), static_cast<int>(picture.deviceIndependentSize().height() / 2)));
  drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
}

void CandidateList::keyPressEvent(QKeyEvent *event) {
  // An entry that is current but not selected was chosen by nobody (Qt makes
  // the first entry so when the list gets the focus). The list then moves
  // from no entry: the first arrow key chooses the first entry, where it
  // would skip it or do nothing.
  static const QSet<int> moves = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
  if (const QListWidgetItem *c = currentItem(); c && !c->isSelected() && moves.contains(event->key()))
    setCurrentRow(-1);
  QListWidget::keyPressEvent(event);
}

DropBox::DropBox(int index, QWidget *parent) : QLabel(parent), index_(index) { setAcceptDrops(true); }

void DropBox::dragEnterEvent(QDragEnterEvent *event) {
  if (event->mimeData()->hasText()) event->acceptProposedAction();
}

void DropBox::dragMoveEvent(QDragMoveEvent *event) {
  if (event->mimeData()->hasText()) event->acceptProposedAction();
}

void DropBox::dropEvent(QDropEvent *event) {
  event->acceptProposedAction();
  // Judged once the drag has ended: the judgement can end the attempt and
  // close the window, and the window system's drag still uses its drop
  // target until the drop event returns.
  const QString text = event->mimeData()->text();
  QMetaObject::invokeMethod(this, [this, text] { Q_EMIT dropped(index_, text); }, Qt::QueuedConnection);
}

QPixmap dragPicture(const QString &text, const QFont &font) {
  const QFontMetrics fm(font);
  const QSize size(fm.horizontalAdvance(text) + dpx(36), fm.height() + dpx(12));
  QPixmap pm = screenPixmap(size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 90, 40), 1.5));
  p.setBrush(QColor(255, 255, 240, 230));
  p.drawRoundedRect(QRectF(0.75, 0.75, size.width() - 1.5, size.height() - 1.5), 6, 6);
  // A small arrow at the hot spot shows where the entry will land.
  p.setBrush(QColor(200, 40, 40));
  p.setPen(Qt::NoPen);
  const double cy = size.height() / 2.0;
  const double u = dpx(100) / 100.0;  // the design pixel
  const QPointF arrow[3] = {{6 * u, cy - 5 * u}, {16 * u, cy}, {6 * u, cy + 5 * u}};
  p.drawPolygon(arrow, 3);
  p.setFont(font);
  p.setPen(QColor(20, 20, 20));
  p.drawText(QRect(dpx(24), 0, size.width() - dpx(28), size.height()), Qt::AlignVCenter | Qt::AlignLeft, text);
  return pm;
}

}  // namespace minatori
