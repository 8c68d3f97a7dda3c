// The list, "None" and Set of the two binding dialogs (ui/picker.h).
#include "ui/picker.h"

#include "settings/settings.h"
#include "ui/resource.h"

namespace picker {

namespace {

const char BadSelectionText[] = "You must select a key, or tick the \"None\" box to specify a key to assign.";
const char BadSelectionCaption[] = "Bad Selection";

// The current name, else the fallback, else the first row; a fallback that
// is not listed leaves no selection.
void applySelectionRule(HWND dialog, const Binding &binding) {
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  const char *current = *binding.name;
  if (!isUnbound(current) && selectByName(list, current)) return;
  if (!isUnbound(binding.fallback)) {
    selectByName(list, binding.fallback);
    return;
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

}  // namespace

bool isUnbound(const char *name) { return name == nullptr || name[0] == '\0'; }

bool noneTicked(HWND dialog) { return IsDlgButtonChecked(dialog, IDC_SELECT_NONE) == BST_CHECKED; }

bool selectByName(HWND list, const char *name) {
  LRESULT row = SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)name);
  if (row == LB_ERR) return false;
  SendMessageA(list, LB_SETCURSEL, (WPARAM)row, 0);
  return true;
}

void fillList(HWND dialog, const char *const *names, int count) {
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < count; ++i) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)names[i]);
}

void showBinding(HWND dialog, const Binding &binding) {
  if (binding.name == nullptr) return;
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  if (isUnbound(*binding.name)) {
    CheckDlgButton(dialog, IDC_SELECT_NONE, BST_CHECKED);
    EnableWindow(list, FALSE);
  } else {
    CheckDlgButton(dialog, IDC_SELECT_NONE, BST_UNCHECKED);
    EnableWindow(list, TRUE);
    applySelectionRule(dialog, binding);
  }
}

void onNoneClicked(HWND dialog, const Binding &binding) {
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  if (noneTicked(dialog)) {
    EnableWindow(list, FALSE);
    return;
  }
  EnableWindow(list, TRUE);
  if (binding.name != nullptr) applySelectionRule(dialog, binding);
}

void onSet(HWND dialog, const char **binding, void (*storeRow)(HWND list, LRESULT row)) {
  if (noneTicked(dialog)) {
    if (binding != nullptr) *binding = EmptyName;
    GameSettings.configChanged = true;
    EndDialog(dialog, 0);
    return;
  }
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) {
    MessageBoxA(dialog, BadSelectionText, BadSelectionCaption, MB_OK | MB_ICONINFORMATION);
    return;
  }
  storeRow(list, row);
  GameSettings.configChanged = true;
  EndDialog(dialog, 0);
}

}  // namespace picker
