// The last line of defence of both entry points: a windowed program that
// aborts in std::terminate vanishes without a word, so an exception that
// reaches the entry point takes the library's fatal-error path instead.
#include "app/entry_guard.h"

#include "app/startup.h"
#include "config/support.h"
#include "platform/callback_guard.h"

int tarrengardMainGuarded(HINSTANCE instance, const std::vector<std::string> &arguments) {
  try {
    return tarrengardMain(instance, arguments);
  } catch (...) {
    fatalError("%s", currentExceptionMessage());
  }
}
