// Process entry off Windows: the arguments after the program's name go to
// start-up (app/command_line.h). The dialog templates are linked in, so the
// instance only has to be non-null.
#ifndef _WIN32
#include <string>
#include <vector>

#include "app/entry_guard.h"
#include "config/support.h"

int main(int argc, char **argv) {
  // Before anything is opened: the X connection must never be descriptor 1.
  ensureStandardDescriptors();
  static char module;
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  return tarrengardMainGuarded((HINSTANCE)&module, arguments);
}
#endif
