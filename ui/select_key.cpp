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
#include "ui/picker.h"
#include "ui/resource.h"

namespace {

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

// The current key, else the function's default for this slot, else the
// first entry.
picker::Binding pickedBinding() {
  const DefaultKeyBinding &defaults = DefaultKeyBindingTable[KeySelectRequest.functionIndex];
  return {&requestedBinding(), requestedSlot() == 0 ? defaults.primary : defaults.secondary};
}

// The key list's selected name, as the table has it; null when the list has
// no selection or "None" is ticked.
const char *selectedKey(HWND dialog) {
  if (picker::noneTicked(dialog)) return nullptr;
  HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
  LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) return nullptr;
  char text[SettingsNameBufferSize];
  LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)row, 0);
  if (length < 0 || length >= (LRESULT)sizeof text) return nullptr;
  SendMessageA(list, LB_GETTEXT, (WPARAM)row, (LPARAM)text);
  const char *key = findKeyName(text);
  return picker::isUnbound(key) ? nullptr : key;
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

  picker::fillList(dialog, KeyNameTable, KeyNameCount);
  picker::showBinding(dialog, pickedBinding());
  showAlsoBound(dialog);
}

void onNoneClicked(HWND dialog) {
  picker::onNoneClicked(dialog, pickedBinding());
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
    if (!picker::isUnbound(key)) {
      HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
      CheckDlgButton(dialog, IDC_SELECT_NONE, BST_UNCHECKED);
      EnableWindow(list, TRUE);
      picker::selectByName(list, key);
      showAlsoBound(dialog);
      return;
    }
    std::snprintf(prompt, sizeof prompt, UnnamedKeyPrompt, function);
  }
}

// Stores the table's own entry, in its letter case.
void storeKeyOfRow(HWND list, LRESULT row) {
  char text[SettingsNameBufferSize];
  LRESULT length = SendMessageA(list, LB_GETTEXTLEN, (WPARAM)row, 0);
  if (length >= 0 && length < (LRESULT)sizeof text) {
    SendMessageA(list, LB_GETTEXT, (WPARAM)row, (LPARAM)text);
    const char *key = findKeyName(text);
    if (!picker::isUnbound(key)) requestedBinding() = key;
  }
}

void onSet(HWND dialog) { picker::onSet(dialog, &requestedBinding(), storeKeyOfRow); }

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
