#pragma once
// Message boxes that a test answers in advance and reads afterwards.

#include <deque>
#include <functional>
#include <vector>

#include "platform/messageboxes.h"

namespace minatori::test {

struct ShownMessage {
  QString text;
  QString title;
  MessageButtons buttons;
  MessageIcon icon;
};

class RecordingMessageBoxes final : public MessageBoxes {
 public:
  std::deque<MessageAnswer> answers;  // given in order; then Ok (Yes for Yes/No)
  std::vector<ShownMessage> shown;
  // Runs while the box stands open, before it is answered: what a test lets
  // happen behind an open box (time passing, timers ticking).
  std::function<void(const ShownMessage &)> whileOpen;

 protected:
  MessageAnswer ask(const QString &text, const QString &title, MessageButtons buttons, MessageIcon icon) override {
    shown.push_back({text, title, buttons, icon});
    if (whileOpen) whileOpen(shown.back());
    if (answers.empty()) return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    const MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
};

}  // namespace minatori::test
