// Process entry off Windows. There are no command-line options; the dialog
// templates are linked in, so the instance only has to be non-null.
#ifndef _WIN32
#include "app/entry_guard.h"

int main() {
  static char module;
  return tarrengardMainGuarded((HINSTANCE)&module);
}
#endif
