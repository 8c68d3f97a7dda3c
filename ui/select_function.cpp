// The "Select Function" dialog: binds one game function, or none, to the
// mouse binding that FunctionSelectRequest names (a button's single or
// double click, or a digital direction). Ends with 0 after Set and 1 on
// cancel; an unrecognised source shows its description and writes nothing.
#include <cstdio>

#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/resource.h"

namespace {

const char BadSelectionText[] = "You must select a key, or tick the \"None\" box to specify a key to assign.";
const char BadSelectionCaption[] = "Bad Selection";
const char *const DirectionWordTable[MouseDirectionCount] = {"Left", "Right", "Up", "Down"};

bool isUnbound(const char *name) { return name == nullptr || name[0] == '\0'; }

bool indexBelow(int32_t index, int32_t count) { return index >= 0 && index < count; }

// The binding the request names, or null when there is none: an unrecognised
// source, or an index outside the binding's table.
const char **requestedTarget() {
  const FunctionSelectRequestRecord &request = FunctionSelectRequest;
  if (request.sourceKind == SourceMouseButton) {
    if (request.doubleClicked != 0) {
      return indexBelow(request.sourceIndex, MouseDoubleClickCount)
                 ? &GameSettings.MouseButtonClicked[request.sourceIndex]
                 : nullptr;
    }
    return indexBelow(request.sourceIndex, MouseButtonCount) ? &GameSettings.MouseButton[request.sourceIndex] : nullptr;
  }
  if (request.sourceKind == SourceMouseDigital) {
    return indexBelow(request.sourceIndex, MouseDirectionCount) ? &GameSettings.MouseDigitalAxes[request.sourceIndex]
                                                                : nullptr;
  }
  return nullptr;
}

// Only asked for when requestedTarget() is not null, so the index is valid.
const char *requestedDefault() {
  const FunctionSelectRequestRecord &request = FunctionSelectRequest;
  if (request.sourceKind == SourceMouseDigital) return DefaultMouseDigitalTable[request.sourceIndex];
  if (request.doubleClicked != 0) return DefaultMouseButtonClickedTable[request.sourceIndex];
  return DefaultMouseButtonTable[request.sourceIndex];
}

void describeRequest(HWND dialog) {
  const FunctionSelectRequestRecord &request = FunctionSelectRequest;
  const char *source = "Unknown";
  if (request.sourceKind == SourceMouseButton) source = "Mouse";
  if (request.sourceKind == SourceMouseDigital) source = "Mouse Digital";

  const char *item = "Unknown";
  if (request.sourceKind == SourceMouseButton) {
    if (indexBelow(request.sourceIndex, MouseButtonCount)) item = MouseButtonNameTable[request.sourceIndex];
  } else if ((request.sourceKind & SourceMouseDigital) != 0) {
    if (indexBelow(request.sourceIndex, MouseDirectionCount)) item = DirectionWordTable[request.sourceIndex];
  }

  char line[96];
  std::snprintf(line, sizeof line, "%s %s%s", source, item, request.doubleClicked != 0 ? " (Doubleclicked)" : "");
  SetDlgItemTextA(dialog, IDC_SELECT_TARGET, line);
}

// The list is unsorted and holds GameFunctionTable in order; the match is
// on the whole name, ignoring case.
bool selectFunctionByName(HWND list, const char *name) {
  LRESULT row = SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)name);
  if (row == LB_ERR) return false;
  SendMessageA(list, LB_SETCURSEL, (WPARAM)row, 0);
  return true;
}

// The current function, else the target's default, else "Move_Forward".
void applySelectionRule(HWND dialog, const char *current) {
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  if (!isUnbound(current) && selectFunctionByName(list, current)) return;
  const char *fallback = requestedDefault();
  if (!isUnbound(fallback)) {
    selectFunctionByName(list, fallback);
    return;
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

void initDialog(HWND dialog) {
  describeRequest(dialog);
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int f = 0; f < GameFunctionCount; ++f) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)GameFunctionTable[f]);

  const char **target = requestedTarget();
  if (target == nullptr) return;  // the template's state: "None" unticked, list disabled
  if (isUnbound(*target)) {
    CheckDlgButton(dialog, IDC_SELECT_NONE, BST_CHECKED);
    EnableWindow(list, FALSE);
  } else {
    CheckDlgButton(dialog, IDC_SELECT_NONE, BST_UNCHECKED);
    EnableWindow(list, TRUE);
    applySelectionRule(dialog, *target);
  }
}

void onNoneClicked(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  if (IsDlgButtonChecked(dialog, IDC_SELECT_NONE) == BST_CHECKED) {
    EnableWindow(list, FALSE);
    return;
  }
  EnableWindow(list, TRUE);
  const char **target = requestedTarget();
  if (target != nullptr) applySelectionRule(dialog, *target);
}

void onSet(HWND dialog) {
  const char **target = requestedTarget();
  if (IsDlgButtonChecked(dialog, IDC_SELECT_NONE) == BST_CHECKED) {
    if (target != nullptr) *target = EmptyName;
    GameSettings.configChanged = true;
    EndDialog(dialog, 0);
    return;
  }
  LRESULT row = SendDlgItemMessageA(dialog, IDC_SELECT_LIST, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) {
    MessageBoxA(dialog, BadSelectionText, BadSelectionCaption, MB_OK | MB_ICONINFORMATION);
    return;
  }
  if (target != nullptr && row >= 0 && row < GameFunctionCount) *target = GameFunctionTable[row];
  GameSettings.configChanged = true;
  EndDialog(dialog, 0);
}

// The whole command word counts: only plain clicks of the three buttons,
// never the function list's own notifications.
INT_PTR onCommand(HWND dialog, WPARAM wParam) {
  switch (wParam) {
    case IDCANCEL: EndDialog(dialog, 1); return TRUE;
    case IDC_SELECT_NONE: onNoneClicked(dialog); return TRUE;
    case IDOK: onSet(dialog); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK selectFunctionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: initDialog(dialog); return TRUE;
    case WM_COMMAND: return onCommand(dialog, wParam);
    default: return FALSE;
  }
}
