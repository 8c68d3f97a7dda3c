// What Select Key and Select Function share: a list of names to pick one
// from (IDC_SELECT_LIST), a "None" box that leaves the binding unbound
// (IDC_SELECT_NONE), and Set, which refuses a list without a selection. Each
// dialog keeps only what differs: its names, its request, how a row is stored.
#pragma once

#include "platform/win32.h"

namespace picker {

// The binding a picker edits: where its name is kept, null when the request
// names no binding; and the name to select when the list lacks the current one.
struct Binding {
  const char **name;
  const char *fallback;
};

// A binding holds no name: null or "".
bool isUnbound(const char *name);

// Whether "None" is ticked.
bool noneTicked(HWND dialog);

// Whole-text match, ignoring case: a prefix search would let "F1" pick "F10".
bool selectByName(HWND list, const char *name);

// Refills the list with `names` in table order, so that row i is names[i].
void fillList(HWND dialog, const char *const *names, int count);

// As the dialog opens: an unbound binding ticks "None" and disables the
// list; otherwise the list is enabled and the selection rule picks the row.
// A null binding leaves the template's state: "None" unticked, list disabled.
void showBinding(HWND dialog, const Binding &binding);

// "None" clicked: ticked disables the list; unticked enables it and, for a
// binding the request names, selects by the rule again.
void onNoneClicked(HWND dialog, const Binding &binding);

// Set: with "None" ticked the binding (if any) becomes unbound; with no row
// selected the user is told to pick one and the dialog stays open; otherwise
// `storeRow` writes the selected row. Then the configuration counts as
// changed and the dialog ends with 0.
void onSet(HWND dialog, const char **binding, void (*storeRow)(HWND list, LRESULT row));

}  // namespace picker
