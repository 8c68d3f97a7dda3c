/* The rules every backend asks (platform/core/rules.h). */
#include "platform/core/rules.h"

#include <cctype>

bool acceptsInput(HWND window) {
  if (!isWindow(window)) return false;
  if (window->kind == WindowKind::Dialog) return window == activeDialog() && isEnabled(window) && !window->ended;
  return (window->style & WS_VISIBLE) && isEnabled(window) && acceptsInput(window->dialog);
}

bool takesFocus(HWND control) {
  return isWindow(control) && control->kind != WindowKind::Dialog && control->kind != WindowKind::Static &&
         control->kind != WindowKind::GroupBox;
}

bool isCharacterKey(int key) { return (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'); }

int mnemonicOf(const std::string &text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] != '&') return std::toupper(static_cast<unsigned char>(text[i + 1]));
    ++i;
  }
  return 0;
}

std::string textWithoutMnemonicMarks(const std::string &text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

void sendCancel(HWND dialog) {
  sendToDialog(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}
