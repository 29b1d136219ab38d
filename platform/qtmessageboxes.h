#pragma once
#include "platform/messageboxes.h"

namespace minatori {

// Message boxes as real Qt dialogs.
class QtMessageBoxes final : public MessageBoxes {
 protected:
  MessageAnswer ask(const QString &text, const QString &title, MessageButtons buttons, MessageIcon icon) override;
};

}  // namespace minatori
