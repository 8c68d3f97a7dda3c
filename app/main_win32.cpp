// Process entry of the Windows program: only the instance handle is used;
// the command line and the show state are ignored.
#ifdef _WIN32
#include "app/entry_guard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return tarrengardMainGuarded(instance); }
#endif
