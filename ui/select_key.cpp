// The "Select Key" dialog: binds one key, or none, to the primary or the
// secondary slot of one game function, as KeySelectRequest names it. Ends
// with 0 after Set (the opener then rebuilds its lists) and 1 on cancel.
// The key may also be picked by pressing it, and a note right of the list
// says where else the selected key is bound.
#include <cstdio>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/resource.h"

namespace {

const char BadSelectionText[] = "You must select a key, or tick the \"None\" box to specify a key to assign.";
const char BadSelectionCaption[] = "Bad Selection";
const char PressKeyCaption[] = "Press a Key";
const char PressKeyPrompt[] = "Press the key for %s, or Escape to cancel.";
const char UnnamedKeyPrompt[] =
    "That key has no name in the game's key list. Press another key for %s, or Escape to cancel.";
const char AlsoBoundLead[] = "Also bound to:";
const char AlsoBoundMore[] = "and %d more";

// The note's room (66 x 40 dialog units): five lines of at most 15
// characters, so that the longest entry (three lines) and a count fit. The
// note sets its own line breaks, so the control never wraps or cuts a line
// (every line it can hold was measured in Qt's dialog font and Wine's).
constexpr size_t NoteLineLength = 15;
constexpr size_t NoteLineCount = 5;

bool requestIsValid() {
  return KeySelectRequest.functionIndex >= 0 && KeySelectRequest.functionIndex < GameFunctionCount;
}

int requestedSlot() { return KeySelectRequest.keySlot != 0 ? 1 : 0; }

const char *&requestedBinding() { return GameSettings.KeyBindings[KeySelectRequest.functionIndex][requestedSlot()]; }

bool isUnbound(const char *name) { return name == nullptr || name[0] == '\0'; }

// Whole-text match, ignoring case: a prefix search would let "F1" pick "F10".
bool selectKeyByName(HWND list, const char *name) {
  LRESULT row = SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)name);
  if (row == LB_ERR) return false;
  SendMessageA(list, LB_SETCURSEL, (WPARAM)row, 0);
  return true;
}

// The current key, else the function's default for this slot, else the
// first entry; a default that is not listed leaves no selection.
void applySelectionRule(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  const char *current = requestedBinding();
  if (!isUnbound(current) && selectKeyByName(list, current)) return;
  const DefaultKeyBinding &defaults = DefaultKeyBindingTable[KeySelectRequest.functionIndex];
  const char *fallback = requestedSlot() == 0 ? defaults.primary : defaults.secondary;
  if (!isUnbound(fallback)) {
    selectKeyByName(list, fallback);
    return;
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
}

// The key list's selected name, as the table has it; null when the list has
// no selection or "None" is ticked.
const char *selectedKey(HWND dialog) {
  if (IsDlgButtonChecked(dialog, IDC_SELECT_NONE) == BST_CHECKED) return nullptr;
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) return nullptr;
  char text[SettingsNameBufferSize];
  LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)row, 0);
  if (length < 0 || length >= (LRESULT)sizeof text) return nullptr;
  SendMessageA(list, LB_GETTEXT, (WPARAM)row, (LPARAM)text);
  const char *key = findKeyName(text);
  return isUnbound(key) ? nullptr : key;
}

// One slot of the note, "Crouch (secondary)", as the lines it takes: the
// slot word on the name's line if both fit, and a name longer than a line
// broken after an underscore ("Show_Opponents_" / "Weapon").
std::vector<std::string> noteEntry(const char *function, int slot) {
  std::vector<std::string> lines;
  std::string name = function;
  while (name.size() > NoteLineLength) {
    size_t cut = name.rfind('_', NoteLineLength - 1);
    size_t length = cut == std::string::npos ? NoteLineLength : cut + 1;
    lines.push_back(name.substr(0, length));
    name.erase(0, length);
  }
  std::string slotWord = slot == 0 ? "(primary)" : "(secondary)";
  if (name.size() + 1 + slotWord.size() <= NoteLineLength) {
    lines.push_back(name + " " + slotWord);
  } else {
    lines.push_back(name);
    lines.push_back(slotWord);
  }
  return lines;
}

// The note: "Also bound to:", then the entries that fit its lines, in
// function order; what has no room is counted on the last line ("and 3
// more"), never cut. Lines are separated by "\n"; "" for no entry.
std::string noteText(const std::vector<std::vector<std::string>> &entries) {
  std::vector<std::string> lines;
  if (!entries.empty()) lines.push_back(AlsoBoundLead);
  size_t shown = 0;
  for (; shown < entries.size(); ++shown) {
    size_t room = NoteLineCount - lines.size() - (shown + 1 < entries.size() ? 1 : 0);
    if (entries[shown].size() > room) break;
    lines.insert(lines.end(), entries[shown].begin(), entries[shown].end());
  }
  if (shown < entries.size()) {
    char more[32];
    std::snprintf(more, sizeof more, AlsoBoundMore, static_cast<int>(entries.size() - shown));
    lines.push_back(more);
  }
  std::string text;
  for (const std::string &line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// Every other slot that holds the selected key, this function's other slot
// included, as the file compares names: ignoring case ("KPad6" is "Kpad6").
// Nothing is unbound; the player only learns of it.
void showAlsoBound(HWND dialog) {
  std::vector<std::vector<std::string>> entries;
  if (const char *key = selectedKey(dialog)) {
    for (int f = 0; f < GameFunctionCount; ++f) {
      for (int slot = 0; slot < 2; ++slot) {
        if (f == KeySelectRequest.functionIndex && slot == requestedSlot()) continue;
        if (findKeyName(GameSettings.KeyBindings[f][slot]) == key)
          entries.push_back(noteEntry(GameFunctionTable[f], slot));
      }
    }
  }
  SetDlgItemTextA(dialog, IDC_SELECT_ALSO_BOUND, noteText(entries).c_str());
}

void initDialog(HWND dialog) {
  // Only reachable with a bad request; refuse rather than index past the table.
  if (!requestIsValid()) {
    EndDialog(dialog, 1);
    return;
  }
  char caption[64];
  std::snprintf(caption, sizeof caption, "Select %s Key", requestedSlot() != 0 ? "Secondary" : "Primary");
  SetWindowTextA(dialog, caption);
  SetDlgItemTextA(dialog, IDC_SELECT_TARGET, GameFunctionTable[KeySelectRequest.functionIndex]);

  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int k = 0; k < KeyNameCount; ++k) SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)KeyNameTable[k]);

  if (isUnbound(requestedBinding())) {
    CheckDlgButton(dialog, IDC_SELECT_NONE, BST_CHECKED);
    EnableWindow(list, FALSE);
  } else {
    CheckDlgButton(dialog, IDC_SELECT_NONE, BST_UNCHECKED);
    EnableWindow(list, TRUE);
    applySelectionRule(dialog);
  }
  showAlsoBound(dialog);
}

void onNoneClicked(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  if (IsDlgButtonChecked(dialog, IDC_SELECT_NONE) == BST_CHECKED) {
    EnableWindow(list, FALSE);
  } else {
    EnableWindow(list, TRUE);
    applySelectionRule(dialog);
  }
  showAlsoBound(dialog);
}

// The player presses the key instead of looking for its name: the capture
// box reads it by its scan code, whatever the keyboard layout, and the list
// selects that key as if it had been clicked. A key the game has no name for
// is refused in the box, which asks again; Escape leaves everything as it was.
void onPressKey(HWND dialog) {
  const char *function = GameFunctionTable[KeySelectRequest.functionIndex];
  char prompt[256];
  std::snprintf(prompt, sizeof prompt, PressKeyPrompt, function);
  for (;;) {
    int keyCode = capturePressedKey(dialog, PressKeyCaption, prompt);
    if (keyCode < 0) return;
    const char *key = keyNameForKeyCode(keyCode);
    if (!isUnbound(key)) {
      HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
      CheckDlgButton(dialog, IDC_SELECT_NONE, BST_UNCHECKED);
      EnableWindow(list, TRUE);
      selectKeyByName(list, key);
      showAlsoBound(dialog);
      return;
    }
    std::snprintf(prompt, sizeof prompt, UnnamedKeyPrompt, function);
  }
}

void onSet(HWND dialog) {
  if (IsDlgButtonChecked(dialog, IDC_SELECT_NONE) == BST_CHECKED) {
    requestedBinding() = EmptyName;
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
  char text[SettingsNameBufferSize];
  LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)row, 0);
  if (length >= 0 && length < (LRESULT)sizeof text) {
    SendMessageA(list, LB_GETTEXT, (WPARAM)row, (LPARAM)text);
    // Store the table's own entry, in its letter case.
    const char *key = findKeyName(text);
    if (!isUnbound(key)) requestedBinding() = key;
  }
  GameSettings.configChanged = true;
  EndDialog(dialog, 0);
}

// The whole command word counts: only plain clicks of the buttons. The key
// list's notifications stay unhandled (FALSE), left to the dialog manager; a
// changed selection only updates the note on its way, and a double-click
// still only selects.
INT_PTR onCommand(HWND dialog, WPARAM wParam) {
  switch (wParam) {
    case IDCANCEL: EndDialog(dialog, 1); return TRUE;
    case IDC_SELECT_NONE: onNoneClicked(dialog); return TRUE;
    case IDOK: onSet(dialog); return TRUE;
    case IDC_SELECT_PRESS_KEY: onPressKey(dialog); return TRUE;
    case MAKEWPARAM(IDC_SELECT_LIST, LBN_SELCHANGE): showAlsoBound(dialog); return FALSE;
    default: return FALSE;
  }
}

}  // namespace

INT_PTR CALLBACK selectKeyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: initDialog(dialog); return TRUE;
    case WM_COMMAND: return onCommand(dialog, wParam);
    default: return FALSE;
  }
}
