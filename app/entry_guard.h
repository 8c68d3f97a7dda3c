// The configurator's entry points run start-up through this guard, so that no
// exception ends the program through std::terminate.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

// tarrengardMain(instance, arguments), except that an exception escaping it (say
// std::bad_alloc from a container of the dialogs or the platform layer) ends
// the process through fatalError, as a failed allocation in the configuration
// library does: the message on standard output and, once start-up has set
// its hook, in a message box; then exit status 1.
int tarrengardMainGuarded(HINSTANCE instance, const std::vector<std::string> &arguments = {});
