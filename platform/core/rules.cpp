/* The rules every backend asks (platform/core/rules.h). */
#include "platform/core/rules.h"

#include <algorithm>
#include <cctype>
#include <cstring>

bool acceptsInput(HWND window) {
  if (!isWindow(window)) return false;
  if (window->kind == WindowKind::Dialog) return window == activeDialog() && isEnabled(window) && !window->ended;
  return isVisible(window) && isEnabled(window) && acceptsInput(window->dialog);
}

bool takesFocus(HWND control) {
  return isWindow(control) && control->kind != WindowKind::Dialog && control->kind != WindowKind::Static &&
         control->kind != WindowKind::GroupBox;
}

bool isTabStop(HWND control) {
  return isWindow(control) && control->kind != WindowKind::Dialog && isVisible(control) && isEnabled(control) &&
         (control->style & WS_TABSTOP);
}

std::vector<HWND> groupOf(HWND control) {
  std::vector<HWND> group;
  if (!isWindow(control) || control->kind == WindowKind::Dialog) return group;
  const std::vector<HWND> &all = control->dialog->controls;
  auto at = std::find(all.begin(), all.end(), control);
  size_t first = static_cast<size_t>(at - all.begin());
  while (first > 0 && !(all[first]->style & WS_GROUP)) --first;
  for (size_t i = first; i < all.size(); ++i) {
    if (i > first && (all[i]->style & WS_GROUP)) break;
    group.push_back(all[i]);
  }
  return group;
}

HWND nextTabStop(HWND dialog, HWND from, bool previous) {
  if (!isWindow(dialog)) return nullptr;
  const std::vector<HWND> &all = dialog->controls;
  int n = static_cast<int>(all.size());
  if (n == 0) return nullptr;
  int start = static_cast<int>(std::find(all.begin(), all.end(), from) - all.begin());
  if (start == n) start = previous ? 0 : n - 1;  // from nowhere: the first (or last) control
  std::vector<HWND> fromGroup;
  if (isWindow(from) && from->kind == WindowKind::RadioButton) fromGroup = groupOf(from);
  for (int step = 1; step <= n; ++step) {
    HWND candidate = all[static_cast<size_t>(((start + (previous ? -step : step)) % n + n) % n)];
    if (!isTabStop(candidate)) continue;
    if (candidate->kind != WindowKind::RadioButton) return candidate;
    // A radio group is one stop: Tab leaves it, and enters it on the checked button.
    if (std::find(fromGroup.begin(), fromGroup.end(), candidate) != fromGroup.end()) continue;
    for (HWND member : groupOf(candidate)) {
      if (member->kind == WindowKind::RadioButton && member->check == BST_CHECKED && isTabStop(member)) return member;
    }
    return candidate;
  }
  return nullptr;
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

bool togglesDropDown(int key, bool alt) { return alt ? key == VK_UP || key == VK_DOWN : key == VK_F4; }

namespace {

// Rank of a character in a Windows sorted list: punctuation and symbols,
// then digits, then letters (case ignored), then anything else.
int characterRank(unsigned char c) {
  static const char Symbols[] = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";
  const char *at = c ? std::strchr(Symbols, c) : nullptr;
  if (at) return 1 + static_cast<int>(at - Symbols);
  if (std::isdigit(c)) return 100 + (c - '0');
  if (std::isalpha(c)) return 200 + (std::tolower(c) - 'a');
  return 300 + c;
}

int compareRanks(const std::string &a, const std::string &b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ra = characterRank(static_cast<unsigned char>(a[i]));
    int rb = characterRank(static_cast<unsigned char>(b[i]));
    if (ra != rb) return ra < rb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string withoutHyphens(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c != '-' && c != '\'') out += c;
  }
  return out;
}

}  // namespace

int compareListText(const std::string &a, const std::string &b) {
  int result = compareRanks(withoutHyphens(a), withoutHyphens(b));
  return result != 0 ? result : compareRanks(a, b);
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

bool isVisibleWith(HWND control, uint32_t styles) { return isVisible(control) && (control->style & styles); }

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
