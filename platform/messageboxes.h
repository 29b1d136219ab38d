#pragma once
// Message boxes go through this interface, so tests can answer them and read
// their texts.

#include <QString>

namespace minatori {

class RuntimeError;

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box and waits for the answer.
  virtual MessageAnswer show(const QString &text, const QString &title,
                             MessageButtons buttons = MessageButtons::Ok,
                             MessageIcon icon = MessageIcon::None) = 0;
};

// The run-time error report: the number, the text and the file, CR LF between.
QString runtimeErrorReportText(const RuntimeError &error);
// Shows the report in a box titled `title`, with one OK button.
void showRuntimeErrorReport(MessageBoxes &boxes, const QString &title, const RuntimeError &error);

}  // namespace minatori
