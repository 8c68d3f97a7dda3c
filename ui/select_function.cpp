// The "Select Function" dialog: binds one game function, or none, to the
// mouse binding that FunctionSelectRequest names (a button's single or
// double click, or a digital direction). Ends with 0 after Set and 1 on
// cancel; an unrecognised source shows its description and writes nothing.
#include <cstdio>

#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/picker.h"
#include "ui/resource.h"

namespace {

const char *const DirectionWordTable[MouseDirectionCount] = {"Left", "Right", "Up", "Down"};

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

// The current function, else the target's default, else "Move_Forward"
// (the list holds GameFunctionTable in order). No target: nothing to select.
picker::Binding pickedBinding() {
  const char **target = requestedTarget();
  return {target, target != nullptr ? requestedDefault() : nullptr};
}

void initDialog(HWND dialog) {
  describeRequest(dialog);
  picker::fillList(dialog, GameFunctionTable, GameFunctionCount);
  picker::showBinding(dialog, pickedBinding());
}

void onNoneClicked(HWND dialog) { picker::onNoneClicked(dialog, pickedBinding()); }

void storeFunctionOfRow(HWND, LRESULT row) {
  const char **target = requestedTarget();
  if (target != nullptr && row >= 0 && row < GameFunctionCount) *target = GameFunctionTable[row];
}

void onSet(HWND dialog) { picker::onSet(dialog, requestedTarget(), storeFunctionOfRow); }

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
