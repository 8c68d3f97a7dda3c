/* The rules every backend asks (platform/core/rules.h). */
#include "platform/core/rules.h"

#include <algorithm>
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

namespace {

bool isLabel(HWND control) { return control->kind == WindowKind::Static || control->kind == WindowKind::GroupBox; }

// A label's or button's text as it is shown (SS_NOPREFIX statics show '&'),
// without the blanks around it that only keep digits in place.
std::string shownName(HWND control) {
  std::string text = control->text;
  if (!(control->kind == WindowKind::Static && (control->style & SS_NOPREFIX))) text = textWithoutMnemonicMarks(text);
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool isVisibleWith(HWND control, uint32_t styles) { return (control->style & WS_VISIBLE) && (control->style & styles); }

// Whether `inner` lies wholly inside `outer` (dialog units).
bool liesIn(HWND inner, HWND outer) {
  return inner->x >= outer->x && inner->y >= outer->y && inner->x + inner->cx <= outer->x + outer->cx &&
         inner->y + inner->cy <= outer->y + outer->cy;
}

}  // namespace

std::string accessibleNameOf(HWND control) {
  if (!isWindow(control) || control->kind == WindowKind::Dialog) return {};
  bool ownText = control->kind != WindowKind::ListBox && control->kind != WindowKind::ComboBox &&
                 control->kind != WindowKind::Trackbar;
  if (ownText && !shownName(control).empty()) return shownName(control);
  if (const DialogTemplateData *dialog = control->dialog->dialogTemplate) {
    if (const char *name = findAccessibleName(dialog->id, control->id)) return name;
  }

  const std::vector<HWND> &controls = control->dialog->controls;
  size_t at = static_cast<size_t>(std::find(controls.begin(), controls.end(), control) - controls.begin());
  // As Windows: back through the template, a label (even a hidden one)
  // names the control, and a visible tab stop or group start ends the search.
  for (size_t i = at; i-- > 0;) {
    if (isLabel(controls[i])) {
      if (!shownName(controls[i]).empty()) return shownName(controls[i]);
      break;
    }
    if (isVisibleWith(controls[i], WS_TABSTOP | WS_GROUP)) break;
  }
  // A label placed after its control, before the next tab stop.
  for (size_t i = at + 1; i < controls.size(); ++i) {
    if (controls[i]->kind == WindowKind::Static) {
      if (!shownName(controls[i]).empty()) return shownName(controls[i]);
      break;
    }
    if (isVisibleWith(controls[i], WS_TABSTOP)) break;
  }
  // The nearest label before it, past other controls (a row of buttons under
  // one label), then the group box it lies in.
  for (size_t i = at; i-- > 0;) {
    if (isLabel(controls[i]) && !shownName(controls[i]).empty()) return shownName(controls[i]);
  }
  for (HWND frame : controls) {
    if (frame->kind == WindowKind::GroupBox && liesIn(control, frame)) return shownName(frame);
  }
  return {};
}
