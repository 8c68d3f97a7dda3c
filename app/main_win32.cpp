// Process entry of the Windows program: the instance handle, and the command
// line cut into arguments as the C runtime cuts one (app/command_line.h);
// the show state is not used.
#ifdef _WIN32
#include "app/command_line.h"
#include "app/entry_guard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  return tarrengardMainGuarded(instance, splitWindowsCommandLine(commandLine));
}
#endif
