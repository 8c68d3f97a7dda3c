/* Test-only seams of the Windows test programs: a system function the
 * program imports is replaced in the program's own import table, so every
 * call the program makes to it reaches the replacement, and the system's
 * function stays callable through the pointer returned.
 */
#pragma once

#include "platform/win32.h"

// Points the program's imports of `function` from `dll` at `replacement`.
// Returns the system's function, or null when the program does not import it.
FARPROC replaceImportAddress(const char *dll, const char *function, FARPROC replacement);

// The same with the function's own type. (void (*)() converts to and from
// any function pointer type without a warning.)
template <typename Function>
Function replaceImport(const char *dll, const char *function, Function replacement) {
  auto generic = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(replacement));
  FARPROC system = replaceImportAddress(dll, function, generic);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(system));
}

// Routes the program's midiOutGetNumDevs and midiOutGetDevCapsA through the
// tests' device list (setMidiOutDevicesForTesting); until a test sets one,
// they answer as the system does.
void useTestMidiDevices();
