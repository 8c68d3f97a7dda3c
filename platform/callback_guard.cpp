/* The one way out of a callback that failed (platform/callback_guard.h). */
#include "platform/callback_guard.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

namespace {

CallbackFailureHandler FailureHandler = nullptr;

}  // namespace

void setCallbackFailureHandler(CallbackFailureHandler handler) { FailureHandler = handler; }

const char *currentExceptionMessage() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc &) {
    return "Couldn't allocate memory.";
  } catch (const std::exception &error) {
    return error.what();
  } catch (...) {
    return "Unexpected error.";
  }
}

void failInsideCallback() noexcept {
  const char *message = currentExceptionMessage();
  if (FailureHandler) FailureHandler(message);
  std::fprintf(stderr, "%s\n", message);
  std::exit(1);
}
