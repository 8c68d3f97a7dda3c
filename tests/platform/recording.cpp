/* The recording dialog procedure and the failure collector. */
#include "tests/platform/recording.h"

#include <gtest/gtest.h>

std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> RecordingHook;

namespace {
std::vector<Notification> Seen;
}

std::vector<Notification> takeNotifications() {
  std::vector<Notification> seen;
  seen.swap(Seen);
  return seen;
}

void PrintTo(const Notification &n, std::ostream *out) {
  *out << (n.message == WM_COMMAND ? "WM_COMMAND(" : "WM_HSCROLL(") << n.id << ", code " << n.code
       << (n.control ? ", control)" : ", null)");
}

Notification command(HWND dialog, int id, int code) {
  return Notification{WM_COMMAND, id, code, reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))};
}

Notification scroll(HWND dialog, int id, int code) {
  return Notification{WM_HSCROLL, id, code, reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))};
}

INT_PTR CALLBACK recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    Seen.push_back(Notification{message, LOWORD(wParam), HIWORD(wParam), lParam});
  } else if (message == WM_HSCROLL) {
    Seen.push_back(Notification{message, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), LOWORD(wParam), lParam});
  }
  if (RecordingHook) return RecordingHook(dialog, message, wParam, lParam);
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR runDialog(int id, HWND owner, LPARAM param) {
  Seen.clear();
  return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(id), owner, recordingProc, param);
}

FailureCollector::FailureCollector() {
  userscript::setFailureHandler([this](const std::string &message) { messages.push_back(message); });
}

FailureCollector::~FailureCollector() {
  userscript::setFailureHandler([](const std::string &message) { ADD_FAILURE() << message; });
}

#include "platform/core/window.h"

void PlatformTest::SetUp() {
  RecordingHook = nullptr;
  Seen.clear();
}

void PlatformTest::TearDown() {
  RecordingHook = nullptr;
  EXPECT_TRUE(openDialogs().empty()) << "a dialog is still open";
}

#include "platform/resources.h"
#include "ui/resource.h"

void expectAModalBoxOverInputDevices() {
  userscript::expectDialog(
      "Input Devices", {check([](HWND dialog) {
                          SetFocus(GetDlgItem(dialog, IDC_INPUT_CONTROLLER));
                          takeNotifications();
                        }),
                        userscript::key(VK_RETURN), check([](HWND dialog) {
                          EXPECT_EQ(takeNotifications(),
                                    (std::vector<Notification>{command(dialog, IDOK, BN_CLICKED),
                                                               command(dialog, IDC_INPUT_CONTROLLER, CBN_KILLFOCUS),
                                                               command(dialog, IDC_INPUT_CONTROLLER, CBN_SETFOCUS)}));
                          EndDialog(dialog, 0);
                        })});
}

void runInDialog(int id, std::vector<userscript::Action> actions) {
  actions.push_back(userscript::inspect([](HWND dialog) { EndDialog(dialog, 0); }));
  userscript::expectDialog(findDialogTemplate(id)->caption, std::move(actions));
  EXPECT_EQ(runDialog(id), 0);
}
