#pragma once
// What a window test runs on: a fake clock, a seeded random generator,
// recorded message boxes and sounds, an installation tree, and the
// application object made from them.

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <memory>

#include "app/ui/application.h"
#include "platform/random.h"
#include "tests/support/fakeclock.h"
#include "tests/support/recordingaudio.h"
#include "tests/support/recordingmessageboxes.h"
#include "tests/support/testinstallation.h"

namespace minatori::test {

struct WindowRun {
  FakeClock clock;
  Random random;
  RecordingMessageBoxes messages;
  RecordingAudio audio;
  TestInstallation inst;
  std::unique_ptr<Application> app;

  // Makes the application; files the test writes into the tree first are read from then on.
  Application &makeApp() {
    app = std::make_unique<Application>(Services{&clock, &random, &messages, &audio}, inst.programFolder());
    return *app;
  }
};

// With MINATORI_SCREENSHOTS set to a folder, saves what `window` shows as
// <folder>/<name>.png: the README's pictures are made this way.
inline void saveScreenshot(QWidget *window, const QString &name) {
  const QString folder = qEnvironmentVariable("MINATORI_SCREENSHOTS");
  if (folder.isEmpty() || !window) return;
  QDir().mkpath(folder);
  QCoreApplication::processEvents();
  window->grab().save(folder + u'/' + name + QStringLiteral(".png"));
}

// The captions that the controls of `window` shown now cut off, each as
// "name «text» needs W×H in w×h (font)": the font engine of each system measures
// type its own way, and a control sized in twips may then be too small.
// Plain one-line and multi-line texts of buttons and labels; wrapped and
// rich texts size themselves.
inline QStringList clippedCaptions(QWidget *window) {
  QStringList out;
  const auto report = [&](const QWidget *w, const QString &text, QSize need, QSize room) {
    if (need.width() > room.width() || need.height() > room.height())
      out << QStringLiteral("%1 «%2» needs %3×%4 in %5×%6 (%7 %8 pt)")
                 .arg(w->objectName(), text)
                 .arg(need.width()).arg(need.height()).arg(room.width()).arg(room.height())
                 .arg(w->font().family()).arg(w->font().pointSizeF());
  };
  for (QWidget *w : window->findChildren<QWidget *>()) {
    if (!w->isVisibleTo(window)) continue;
    if (auto *button = qobject_cast<QPushButton *>(w)) {
      if (button->text().isEmpty()) continue;
      QStyleOptionButton option;
      option.initFrom(button);
      option.text = button->text();
      const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
      report(button, button->text(), button->fontMetrics().size(Qt::TextShowMnemonic, button->text()), room.size());
    } else if (auto *box = qobject_cast<QAbstractButton *>(w)) {  // option and check boxes
      if (box->text().isEmpty()) continue;
      report(box, box->text(), QSize(box->sizeHint().width(), 0), box->size());
    } else if (auto *label = qobject_cast<QLabel *>(w)) {
      const QString text = label->text();
      if (text.isEmpty() || label->wordWrap() || Qt::mightBeRichText(text)) continue;
      const int margin = 2 * label->margin();
      const QSize room = label->contentsRect().size() - QSize(margin, margin);
      report(label, text, label->fontMetrics().size(0, text), room);
    }
  }
  return out;
}

// The same criteria on levels 1..12: target 60 s, lowest 90 s, rate 1, the
// given clearing points and count and over-practice count, 14 days to pass
// and 1 day of over-practice.
inline void setEveryLevel(ProgramState &state, int clearPoints, int clearCount, int banCount) {
  for (int level = 1; level <= 12; ++level) {
    LevelCriteria &c = state.criteria[static_cast<size_t>(level)];
    c.targetTime = 60;
    c.lowestTime = 90;
    c.pointRate = 1;
    c.clearPoints = clearPoints;
    c.clearCount = clearCount;
    c.banCount = LooseValue::fromNumber(banCount);
    c.banPoints = LooseValue::fromNumber(0);
    c.passPeriodDays = LooseValue::fromField(QStringLiteral("14"));
    c.banPeriodDays = LooseValue::fromNumber(1);
  }
}

// A drop as Qt delivers it: the enter event first (without it the drop is ignored).
inline void dropText(QWidget *box, const QString &text) {
  QMimeData mime;
  mime.setText(text);
  const QPoint at = box->rect().center();
  QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(box, &enter);
  QDropEvent drop(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(box, &drop);
  // The box hands the text on once the drop event has returned.
  QCoreApplication::sendPostedEvents(box, QEvent::MetaCall);
}

}  // namespace minatori::test
