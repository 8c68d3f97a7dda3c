/* The message-box rules (platform/core/message_box_rules.h). */
#include "platform/core/message_box_rules.h"

MessageBoxButtons messageBoxButtons(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {2, {IDOK, IDCANCEL}};
    case MB_ABORTRETRYIGNORE: return {3, {IDABORT, IDRETRY, IDIGNORE}};
    case MB_YESNOCANCEL: return {3, {IDYES, IDNO, IDCANCEL}};
    case MB_YESNO: return {2, {IDYES, IDNO}};
    case MB_RETRYCANCEL: return {2, {IDRETRY, IDCANCEL}};
    default: return {1, {IDOK}};
  }
}

int messageBoxEscapeAnswer(UINT type) {
  MessageBoxButtons buttons = messageBoxButtons(type);
  if (buttons.count == 1) return buttons.answers[0];
  for (int i = 0; i < buttons.count; ++i) {
    if (buttons.answers[i] == IDCANCEL) return IDCANCEL;
  }
  return 0;
}
