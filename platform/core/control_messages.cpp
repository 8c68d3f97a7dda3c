/* SendMessageA: the window, button, list box, drop-down list and track bar
 * messages the dialogs use, with the answers Windows gives. Setting a control
 * from code changes its state without notifying the dialog; only BM_CLICK
 * and CB_SHOWDROPDOWN act like the user and notify.
 */
#include <cctype>
#include <cstring>
#include <string>

#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/core/window.h"

namespace {

bool startsWithNoCase(const std::string &text, const char *prefix) {
  size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

bool equalsNoCase(const std::string &text, const char *other) {
  return text.size() == std::strlen(other) && startsWithNoCase(text, other);
}

const char *textArgument(LPARAM lParam) {
  const char *text = reinterpret_cast<const char *>(lParam);
  return text ? text : "";
}

// Inserts an item as LB_ADDSTRING / CB_ADDSTRING do; returns its index. A
// sorted list places it after the items that compare equal.
int addItem(HWND list, const char *text, bool sorted) {
  std::string item = text;
  size_t index = list->items.size();
  if (sorted) {
    index = 0;
    while (index < list->items.size() && compareListText(list->items[index], item) <= 0) ++index;
  }
  list->items.insert(list->items.begin() + static_cast<long>(index), item);
  // The selected item stays selected when an item goes in before it.
  if (list->selection >= static_cast<int>(index)) list->selection++;
  backendWindowChanged(list, WindowChange::Items);
  return static_cast<int>(index);
}

void resetItems(HWND list) {
  list->items.clear();
  list->selection = -1;
  backendWindowChanged(list, WindowChange::Items);
}

// LB_SETCURSEL / CB_SETCURSEL: -1 or an index out of range clears the
// selection and answers -1.
LRESULT setSelection(HWND list, WPARAM wParam) {
  int index = static_cast<int>(wParam);
  bool valid = index >= 0 && index < static_cast<int>(list->items.size());
  int selection = valid ? index : -1;
  if (list->selection != selection) {
    list->selection = selection;
    backendWindowChanged(list, WindowChange::Selection);
  }
  return valid ? index : -1;
}

// LB_FINDSTRING / LB_SELECTSTRING and their combo box twins: the first item
// after `start` (wrapping; -1 searches from the top) whose text begins with
// `prefix`, or is equal to it for the exact search; case is ignored.
int findItem(HWND list, WPARAM start, const char *prefix, bool exact) {
  int count = static_cast<int>(list->items.size());
  int from = static_cast<int>(start);
  if (from < 0 || from >= count) from = -1;
  for (int step = 1; step <= count; ++step) {
    int index = (from + step) % count;
    const std::string &item = list->items[static_cast<size_t>(index)];
    if (exact ? equalsNoCase(item, prefix) : startsWithNoCase(item, prefix)) return index;
  }
  return -1;
}

LRESULT itemText(HWND list, WPARAM wParam, LPARAM lParam) {
  int index = static_cast<int>(wParam);
  char *buffer = reinterpret_cast<char *>(lParam);
  if (index < 0 || index >= static_cast<int>(list->items.size()) || !buffer) return -1;
  const std::string &item = list->items[static_cast<size_t>(index)];
  std::memcpy(buffer, item.c_str(), item.size() + 1);
  return static_cast<LRESULT>(item.size());
}

LRESULT itemTextLength(HWND list, WPARAM wParam) {
  int index = static_cast<int>(wParam);
  if (index < 0 || index >= static_cast<int>(list->items.size())) return -1;
  return static_cast<LRESULT>(list->items[static_cast<size_t>(index)].size());
}

LRESULT listBoxMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case LB_ADDSTRING: return addItem(list, textArgument(lParam), list->style & LBS_SORT);
    case LB_RESETCONTENT: resetItems(list); return 0;
    case LB_SETCURSEL: return setSelection(list, wParam);
    case LB_GETCURSEL: return list->selection;
    case LB_GETTEXT: return itemText(list, wParam, lParam);
    case LB_GETTEXTLEN: return itemTextLength(list, wParam);
    case LB_GETCOUNT: return static_cast<LRESULT>(list->items.size());
    case LB_FINDSTRING: return findItem(list, wParam, textArgument(lParam), false);
    case LB_FINDSTRINGEXACT: return findItem(list, wParam, textArgument(lParam), true);
    case LB_SELECTSTRING: {
      int index = findItem(list, wParam, textArgument(lParam), false);
      if (index >= 0) setSelection(list, static_cast<WPARAM>(index));
      return index;
    }
    case LB_SETTABSTOPS: {
      if (!(list->style & LBS_USETABSTOPS)) return FALSE;
      int count = static_cast<int>(wParam);
      const int *stops = reinterpret_cast<const int *>(lParam);
      if (count < 0 || (count > 0 && !stops)) return FALSE;
      list->tabStops.assign(stops, stops + count);
      backendWindowChanged(list, WindowChange::TabStops);
      return TRUE;
    }
    default: return 0;
  }
}

LRESULT comboBoxMessage(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case CB_ADDSTRING: return addItem(combo, textArgument(lParam), combo->style & CBS_SORT);
    case CB_RESETCONTENT: resetItems(combo); return 0;
    case CB_SETCURSEL: return setSelection(combo, wParam);
    case CB_GETCURSEL: return combo->selection;
    case CB_GETLBTEXT: return itemText(combo, wParam, lParam);
    case CB_GETLBTEXTLEN: return itemTextLength(combo, wParam);
    case CB_GETCOUNT: return static_cast<LRESULT>(combo->items.size());
    case CB_FINDSTRINGEXACT: return findItem(combo, wParam, textArgument(lParam), true);
    case CB_SELECTSTRING: {
      int index = findItem(combo, wParam, textArgument(lParam), false);
      if (index >= 0) setSelection(combo, static_cast<WPARAM>(index));
      return index;
    }
    case CB_SHOWDROPDOWN:
      // Windows opens and closes the list as the user would, with the notifications.
      if (wParam) {
        openDropDown(combo);
      } else {
        closeDropDown(combo, false);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE: return combo->dropped ? TRUE : FALSE;
    default: return 0;
  }
}

void clampPosition(HWND bar) {
  int position = bar->position;
  if (position > bar->rangeMax) position = bar->rangeMax;
  if (position < bar->rangeMin) position = bar->rangeMin;
  bar->position = position;
}

LRESULT trackbarMessage(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case TBM_GETPOS: return bar->position;
    case TBM_GETRANGEMIN: return bar->rangeMin;
    case TBM_GETRANGEMAX: return bar->rangeMax;
    case TBM_SETPOS:
      bar->position = static_cast<int>(lParam);
      clampPosition(bar);
      break;
    case TBM_SETRANGE:
      // Both ends are signed 16-bit values packed into lParam.
      bar->rangeMin = static_cast<short>(LOWORD(lParam));
      bar->rangeMax = static_cast<short>(HIWORD(lParam));
      clampPosition(bar);
      break;
    case TBM_SETTICFREQ: bar->ticFrequency = static_cast<int>(wParam); break;
    case TBM_SETPAGESIZE: {
      int previous = bar->pageSize;
      bar->pageSize = static_cast<int>(lParam);
      backendWindowChanged(bar, WindowChange::Trackbar);
      return previous;
    }
    case TBM_GETPAGESIZE: return bar->pageSize;
    case TBM_SETTHUMBLENGTH: bar->thumbLength = static_cast<int>(wParam); break;
    default: return 0;
  }
  backendWindowChanged(bar, WindowChange::Trackbar);
  return 0;
}

LRESULT buttonMessage(HWND button, UINT message, WPARAM wParam) {
  switch (message) {
    case BM_GETCHECK: return button->check;
    case BM_SETCHECK:
      // A plain push button has no check state.
      if (button->kind == WindowKind::CheckBox || button->kind == WindowKind::RadioButton)
        setCheck(button, static_cast<UINT>(wParam));
      return 0;
    case BM_CLICK: clickButton(button); return 0;
    default: return 0;
  }
}

}  // namespace

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!isWindow(window)) return 0;
  switch (message) {
    case WM_SETTEXT: SetWindowTextA(window, reinterpret_cast<LPCSTR>(lParam)); return TRUE;
    case WM_GETTEXT: return GetWindowTextA(window, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(window->text.size());
    default: break;
  }
  switch (window->kind) {
    case WindowKind::Dialog:
      if (message == WM_CLOSE) {
        requestClose(window);
        return 0;
      }
      {
        INT_PTR handled = sendToDialog(window, message, wParam, lParam);
        // A dialog answers WM_INITDIALOG with the procedure's value, other messages with 0.
        return message == WM_INITDIALOG ? handled : 0;
      }
    case WindowKind::PushButton:
    case WindowKind::CheckBox:
    case WindowKind::RadioButton:
    case WindowKind::GroupBox: return buttonMessage(window, message, wParam);
    case WindowKind::ListBox: return listBoxMessage(window, message, wParam, lParam);
    case WindowKind::ComboBox: return comboBoxMessage(window, message, wParam, lParam);
    case WindowKind::Trackbar: return trackbarMessage(window, message, wParam, lParam);
    case WindowKind::Static: return 0;
  }
  return 0;
}
