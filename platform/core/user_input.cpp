/* User input: what the mouse and the keyboard do to the dialogs, with the
 * notifications Windows sends, in its order. Backends call these; so does
 * BM_CLICK (clickButton).
 */
#include "platform/core/user_input.h"

#include <algorithm>
#include <cctype>

#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/core/window.h"

namespace {

// Input for a dialog as a whole (keys, the close box), where a control of it
// would not do.
bool dialogAcceptsInput(HWND dialog) {
  return isWindow(dialog) && dialog->kind == WindowKind::Dialog && acceptsInput(dialog);
}

// Input aimed at a control, where the dialog itself would not do.
bool controlAcceptsInput(HWND control) {
  return isWindow(control) && control->kind != WindowKind::Dialog && acceptsInput(control);
}

bool isButton(HWND control) {
  return control->kind == WindowKind::PushButton || control->kind == WindowKind::CheckBox ||
         control->kind == WindowKind::RadioButton;
}

void focusBeforeClick(HWND control) {
  if (takesFocus(control) && control->dialog->focus != control) moveFocus(control->dialog, control);
}

void selectAndNotify(HWND list, int row) {
  if (list->selection != row) {
    list->selection = row;
    backendWindowChanged(list, WindowChange::Selection);
  }
}

// Keyboard moves inside a list: the new row, or -1 when the key does not move.
int rowAfterKey(HWND list, int key) {
  int count = static_cast<int>(list->items.size());
  if (count == 0) return -1;
  int row = list->selection;
  int target = row;
  switch (key) {
    case VK_UP:
    case VK_LEFT: target = row < 0 ? 0 : std::max(0, row - 1); break;
    case VK_DOWN:
    case VK_RIGHT: target = row < 0 ? 0 : std::min(count - 1, row + 1); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    default:
      if (isCharacterKey(key)) {
        // Type-ahead: the next row after the selection that starts with the character.
        for (int step = 1; step <= count; ++step) {
          int index = ((row < 0 ? -1 : row) + step) % count;
          const std::string &item = list->items[static_cast<size_t>(index)];
          if (!item.empty() && std::toupper(static_cast<unsigned char>(item[0])) == key) return index;
        }
      }
      return -1;
  }
  return target == row ? -1 : target;
}

void trackbarKey(HWND bar, int key) {
  int position = bar->position;
  int code = -1;
  switch (key) {
    case VK_LEFT:
    case VK_UP:
      position -= bar->lineSize;
      code = TB_LINEUP;
      break;
    case VK_RIGHT:
    case VK_DOWN:
      position += bar->lineSize;
      code = TB_LINEDOWN;
      break;
    // Page Up decreases the position of a horizontal track bar.
    case VK_PRIOR:
      position -= bar->pageSize;
      code = TB_PAGEUP;
      break;
    case VK_NEXT:
      position += bar->pageSize;
      code = TB_PAGEDOWN;
      break;
    case VK_HOME:
      position = bar->rangeMin;
      code = TB_TOP;
      break;
    case VK_END:
      position = bar->rangeMax;
      code = TB_BOTTOM;
      break;
    default: return;
  }
  position = std::clamp(position, bar->rangeMin, std::max(bar->rangeMin, bar->rangeMax));
  if (position != bar->position) {
    bar->position = position;
    backendWindowChanged(bar, WindowChange::Trackbar);
    notifyScroll(bar, code, position);
  }
  // The key's release ends the move in any case.
  if (isWindow(bar)) notifyScroll(bar, TB_ENDTRACK, 0);
}

// Arrows among the buttons of a group: the next visible, enabled button of
// the focused control's group, wrapping; landing on an unchecked automatic
// radio button clicks it.
void groupArrow(HWND control, bool previous) {
  std::vector<HWND> candidates;
  for (HWND member : groupOf(control)) {
    if (member == control || (isButton(member) && isVisible(member) && isEnabled(member))) candidates.push_back(member);
  }
  auto at = std::find(candidates.begin(), candidates.end(), control);
  if (candidates.size() < 2 || at == candidates.end()) return;
  size_t index = static_cast<size_t>(at - candidates.begin());
  size_t count = candidates.size();
  HWND next = candidates[(index + (previous ? count - 1 : 1)) % count];
  moveFocus(next->dialog, next);
  if (next->kind == WindowKind::RadioButton && next->check != BST_CHECKED) clickButton(next);
}

// The first visible, enabled control whose mnemonic is `letter`.
HWND findMnemonic(HWND dialog, char letter) {
  int wanted = std::toupper(static_cast<unsigned char>(letter));
  for (HWND control : dialog->controls) {
    if (!isVisible(control) || !isEnabled(control)) continue;
    if (control->kind == WindowKind::Static && (control->style & SS_NOPREFIX)) continue;
    if (mnemonicOf(control->text) == wanted) return control;
  }
  return nullptr;
}

bool mnemonic(HWND dialog, char letter) {
  HWND control = findMnemonic(dialog, letter);
  if (!control) return false;
  if (isButton(control)) return clickButton(control);
  // A label or group box hands the focus to the next tab stop after it.
  HWND next = nextTabStop(dialog, control, false);
  if (next) moveFocus(dialog, next);
  return next != nullptr;
}

// F4 and Alt+Up/Down open a focused drop-down list, or close it as chosen.
void toggleDropDown(HWND focus) {
  if (!acceptsInput(focus) || focus->kind != WindowKind::ComboBox) return;
  if (focus->dropped) {
    closeDropDown(focus, true);
  } else {
    openDropDown(focus);
  }
}

void enterKey(HWND dialog) {
  HWND focus = dialog->focus;
  if (isWindow(focus) && focus->kind == WindowKind::PushButton) {
    notifyCommand(focus, BN_CLICKED);
    return;
  }
  HWND target = GetDlgItem(dialog, dialog->defaultId);
  if (target && !isEnabled(target)) return;
  sendToDialog(dialog, WM_COMMAND, MAKEWPARAM(dialog->defaultId, BN_CLICKED), reinterpret_cast<LPARAM>(target));
}

}  // namespace

bool clickButton(HWND button) {
  if (!isVisible(button) || !isEnabled(button) || !isButton(button)) return false;
  focusBeforeClick(button);
  if (!isWindow(button)) return false;
  if (button->kind == WindowKind::CheckBox) {
    setCheck(button, button->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
  } else if (button->kind == WindowKind::RadioButton) {
    checkRadioInGroup(button);
  }
  notifyCommand(button, BN_CLICKED);
  return true;
}

bool userClick(HWND control) {
  if (!controlAcceptsInput(control)) return false;
  if (isButton(control)) return clickButton(control);
  if (control->kind == WindowKind::ComboBox) return userFocus(control);
  focusBeforeClick(control);
  return true;
}

bool userSelectRow(HWND control, int row) {
  if (!controlAcceptsInput(control)) return false;
  if (row < 0 || row >= static_cast<int>(control->items.size())) return false;
  if (control->kind == WindowKind::ListBox) {
    focusBeforeClick(control);
    if (!isWindow(control)) return true;
    selectAndNotify(control, row);
    if (control->style & LBS_NOTIFY) notifyCommand(control, LBN_SELCHANGE);
    return true;
  }
  if (control->kind == WindowKind::ComboBox) {
    focusBeforeClick(control);
    openDropDown(control);
    if (!isWindow(control)) return true;
    selectAndNotify(control, row);
    closeDropDown(control, true);
    notifyCommand(control, CBN_SELCHANGE);
    return true;
  }
  return false;
}

bool userDoubleClickRow(HWND control, int row) {
  if (!userSelectRow(control, row)) return false;
  if (isWindow(control) && control->kind == WindowKind::ListBox && (control->style & LBS_NOTIFY))
    notifyCommand(control, LBN_DBLCLK);
  return true;
}

bool userFocus(HWND control) {
  if (!controlAcceptsInput(control) || !takesFocus(control)) return false;
  focusBeforeClick(control);
  if (isWindow(control) && control->kind == WindowKind::ComboBox) {
    // The click opens the list; a second click on the box closes it unchosen.
    openDropDown(control);
    closeDropDown(control, false);
  }
  return true;
}

bool userDragTrackbar(HWND bar, int position) {
  if (!controlAcceptsInput(bar) || bar->kind != WindowKind::Trackbar) return false;
  focusBeforeClick(bar);
  position = std::clamp(position, bar->rangeMin, std::max(bar->rangeMin, bar->rangeMax));
  while (isWindow(bar) && bar->position != position) {
    bar->position += bar->position < position ? 1 : -1;
    backendWindowChanged(bar, WindowChange::Trackbar);
    notifyScroll(bar, TB_THUMBTRACK, bar->position);
  }
  if (isWindow(bar)) notifyScroll(bar, TB_THUMBPOSITION, bar->position);
  if (isWindow(bar)) notifyScroll(bar, TB_ENDTRACK, 0);
  return true;
}

bool userCloseBox(HWND dialog) {
  if (!dialogAcceptsInput(dialog) || !(dialog->style & WS_SYSMENU)) return false;
  requestClose(dialog);
  return true;
}

bool userAltKey(HWND dialog, int key) {
  if (!dialogAcceptsInput(dialog)) return false;
  if (togglesDropDown(key, true)) {
    toggleDropDown(dialog->focus);
  } else {
    mnemonic(dialog, static_cast<char>(key));
  }
  return true;
}

bool userKey(HWND dialog, int key, bool shift) {
  if (!dialogAcceptsInput(dialog)) return false;
  HWND focus = isWindow(dialog->focus) && isEnabled(dialog->focus) ? dialog->focus : nullptr;
  if (togglesDropDown(key, false)) {
    toggleDropDown(focus);
    return true;
  }

  // An open drop-down list takes Enter and Escape itself.
  if (focus && focus->kind == WindowKind::ComboBox && focus->dropped) {
    if (key == VK_RETURN || key == VK_ESCAPE) {
      closeDropDown(focus, key == VK_RETURN);
      return true;
    }
  }
  switch (key) {
    case VK_RETURN: enterKey(dialog); return true;
    case VK_ESCAPE: sendCancel(dialog); return true;
    case VK_TAB: {
      HWND next = nextTabStop(dialog, focus, shift);
      if (next) moveFocus(dialog, next);
      return true;
    }
    default: break;
  }
  if (!focus) {
    if (isCharacterKey(key)) mnemonic(dialog, static_cast<char>(key));
    return true;
  }
  switch (focus->kind) {
    case WindowKind::ListBox:
    case WindowKind::ComboBox: {
      int row = rowAfterKey(focus, key);
      if (row >= 0) {
        selectAndNotify(focus, row);
        if (focus->kind == WindowKind::ComboBox) {
          notifyCommand(focus, CBN_SELCHANGE);
        } else if (focus->style & LBS_NOTIFY) {
          notifyCommand(focus, LBN_SELCHANGE);
        }
      }
      return true;
    }
    case WindowKind::Trackbar:
      if (isCharacterKey(key)) {
        mnemonic(dialog, static_cast<char>(key));
      } else {
        trackbarKey(focus, key);
      }
      return true;
    default: break;
  }
  // Buttons: Space clicks, arrows move within the group, a bare letter is a mnemonic.
  switch (key) {
    case VK_SPACE: clickButton(focus); break;
    case VK_LEFT:
    case VK_UP: groupArrow(focus, true); break;
    case VK_RIGHT:
    case VK_DOWN: groupArrow(focus, false); break;
    default:
      if (isCharacterKey(key)) mnemonic(dialog, static_cast<char>(key));
      break;
  }
  return true;
}
