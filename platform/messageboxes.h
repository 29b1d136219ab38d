#pragma once
// Message boxes go through this interface, so tests can answer them and read
// their texts.

#include <QObject>
#include <QString>

namespace minatori {

class RuntimeError;

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

class MessageBoxes : public QObject {
  Q_OBJECT
 public:
  // Shows the box and waits for the answer. The wait runs the event loop, so
  // timers go on ticking behind the box: a clock that must stand still while
  // a box is open holds itself on opened() and goes on at closed().
  MessageAnswer show(const QString &text, const QString &title, MessageButtons buttons = MessageButtons::Ok,
                     MessageIcon icon = MessageIcon::None);
 Q_SIGNALS:
  void opened();  // the first box has opened
  void closed();  // the last open box has closed

 protected:
  // Shows the box itself and waits for the answer.
  virtual MessageAnswer ask(const QString &text, const QString &title, MessageButtons buttons, MessageIcon icon) = 0;

 private:
  int open_ = 0;  // boxes open now: one may open behind another
};

// The run-time error report: the number, the text and the file, CR LF between.
QString runtimeErrorReportText(const RuntimeError &error);
// Shows the report in a box titled `title`, with one OK button.
void showRuntimeErrorReport(MessageBoxes &boxes, const QString &title, const RuntimeError &error);

}  // namespace minatori
