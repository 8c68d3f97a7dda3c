/* Where the system calls into our code (dialog and window procedures, hooks,
 * enumeration callbacks, the toolkit's event dispatch), no exception may
 * leave: the system's own frames lie between that callback and whoever would
 * catch it, and no Windows architecture promises to unwind through them
 * (MinGW's i686 unwinder cannot, and ends in std::terminate; Qt does not
 * support it either). Each such boundary catches instead, and the process
 * ends there through the program's fatal-error path, the same on every
 * backend. */
#pragma once

#include "platform/win32.h"

// What ends the process after an exception inside a callback: the program
// sets its fatal-error path (which shows the message and exits with status 1).
// Without one, the message goes to standard error and the status is 1.
using CallbackFailureHandler = void (*)(const char *message);
void setCallbackFailureHandler(CallbackFailureHandler handler);

// Inside a catch block only: the current exception as a message for the user.
// "Couldn't allocate memory." for std::bad_alloc, what() for another
// std::exception, "Unexpected error." for anything else.
const char *currentExceptionMessage() noexcept;

// Inside a catch block only: hands the current exception's message to the
// failure handler; never returns.
[[noreturn]] void failInsideCallback() noexcept;

// Runs `body` (a callback's work) and answers its result; an exception ends
// the process through failInsideCallback.
template <typename Body>
auto guardCallback(Body &&body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    failInsideCallback();
  }
}

// The dialog procedure Proc behind the guard: what every dialog is given when
// it is opened.
template <DLGPROC Proc>
INT_PTR CALLBACK guardedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return guardCallback([&] { return Proc(dialog, message, wParam, lParam); });
}
