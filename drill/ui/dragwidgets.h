#pragma once
// The two ends of a drag on the drill board: the candidate list a drag starts
// from, and the drop boxes that receive it.

#include <QLabel>
#include <QListWidget>

namespace minatori {

// A sorted list whose mouse-down (any button) on an entry starts a drag of
// that entry's text, with its own drag picture.
class CandidateList : public QListWidget {
  Q_OBJECT
 public:
  explicit CandidateList(QWidget *parent = nullptr);
  // The list position of the entry being dragged, −1 when none.
  int draggedIndex() const { return draggedIndex_; }

 protected:
  void mousePressEvent(QMouseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

 private:
  int draggedIndex_ = -1;
};

// A label that takes dropped text and hands it on, after the drop event has
// returned.
class DropBox : public QLabel {
  Q_OBJECT
 public:
  DropBox(int index, QWidget *parent);
  int index() const { return index_; }

 Q_SIGNALS:
  void dropped(int index, const QString &text);

 protected:
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dragMoveEvent(QDragMoveEvent *event) override;
  void dropEvent(QDropEvent *event) override;

 private:
  int index_;
};

// The picture that follows the pointer while an entry is dragged.
QPixmap dragPicture(const QString &text, const QFont &font);

}  // namespace minatori
