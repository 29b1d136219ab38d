#pragma once
#include "platform/messageboxes.h"

namespace minatori {

// Message boxes as real Qt dialogs.
class QtMessageBoxes final : public MessageBoxes {
 public:
  MessageAnswer show(const QString &text, const QString &title, MessageButtons buttons,
                     MessageIcon icon) override;
};

}  // namespace minatori
