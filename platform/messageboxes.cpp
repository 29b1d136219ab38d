#include "platform/messageboxes.h"

#include "platform/runtimeerror.h"

namespace minatori {

MessageAnswer MessageBoxes::show(const QString &text, const QString &title, MessageButtons buttons,
                                 MessageIcon icon) {
  if (open_++ == 0) Q_EMIT opened();
  struct Closing {
    MessageBoxes &boxes;
    ~Closing() {
      if (--boxes.open_ == 0) Q_EMIT boxes.closed();
    }
  } closing{*this};
  return ask(text, title, buttons, icon);
}

QString runtimeErrorReportText(const RuntimeError &error) {
  QString text = QStringLiteral("実行時エラー '%1':\r\n\r\n%2").arg(error.number()).arg(error.text());
  if (!error.file().isEmpty()) text += QStringLiteral("\r\n\r\nファイル: ") + error.file();
  return text;
}

void showRuntimeErrorReport(MessageBoxes &boxes, const QString &title, const RuntimeError &error) {
  boxes.show(runtimeErrorReportText(error), title, MessageButtons::Ok, MessageIcon::Critical);
}

}  // namespace minatori
