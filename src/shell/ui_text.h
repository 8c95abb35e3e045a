#pragma once
// Texts of the shell's dialogs that have no number of their own: the German text for the
// German user interface, the English one otherwise.

#include <QString>

#include "foundation/message_table.h"

namespace kovw::shell {

inline QString ui_text(const char* german, const char* english) {
  return QString::fromUtf8(foundation::german() ? german : english);
}

// A numbered text of the message table in the current language.
inline QString message_qtext(int number) {
  return QString::fromUtf8(foundation::message_text(number));
}

}  // namespace kovw::shell
