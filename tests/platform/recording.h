/* A dialog procedure for the tests that records every notification it gets,
 * with an optional hook for behaviour a test needs (ending the dialog,
 * opening another one, ...).
 */
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tests/harness/scripted_user/user_script.h"

struct Notification {
  UINT message;  // WM_COMMAND or WM_HSCROLL
  int id;        // WM_COMMAND: LOWORD(wParam); WM_HSCROLL: the id of the control in lParam
  int code;      // WM_COMMAND: HIWORD(wParam); WM_HSCROLL: LOWORD(wParam)
  LPARAM control;
  bool operator==(const Notification &) const = default;
};
void PrintTo(const Notification &n, std::ostream *out);

// What recordingProc has seen since the last takeNotifications().
std::vector<Notification> takeNotifications();
Notification command(HWND dialog, int id, int code);
Notification scroll(HWND dialog, int id, int code);

// Called by recordingProc for every message after recording it; its answer
// is the procedure's. Without a hook: TRUE for WM_INITDIALOG, FALSE otherwise.
extern std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> RecordingHook;
INT_PTR CALLBACK recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Opens template `id` modally with recordingProc and no owner.
INT_PTR runDialog(int id, HWND owner = nullptr, LPARAM param = 0);

// An inspection step that runs `look` on the dialog.
inline userscript::Action check(std::function<void(HWND)> look) { return userscript::inspect(std::move(look)); }

// Collects the scripted user's failures instead of failing the test, for
// tests of the failure reports themselves; restores the test's handler after.
class FailureCollector {
 public:
  FailureCollector();
  ~FailureCollector();
  std::vector<std::string> messages;
};

#include <gtest/gtest.h>

// Every test starts with no hook and no notifications.
class PlatformTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// Opens template `id` with recordingProc, runs `actions` in it, then ends it
// from a last inspection. The caption expected is the template's.
void runInDialog(int id, std::vector<userscript::Action> actions);

// Input Devices' step for a box its OK button opens (RecordingHook shows
// it): with the focus on the drop-down list, Enter clicks OK, and while the
// box is up the list hears that it lost the focus, then that it has it back.
void expectAModalBoxOverInputDevices();
