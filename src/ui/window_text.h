// The window speaks Japanese: a message as the window shows it.
#pragma once

#include <QString>

#include "text/message.h"

namespace dxfdin::ui {

inline QString JapaneseText(const Message& message) {
  return QString::fromStdString(MessageText(message, Language::kJapanese));
}

}  // namespace dxfdin::ui
