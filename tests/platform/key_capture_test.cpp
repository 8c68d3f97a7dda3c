/* The key-capture box (capturePressedKey) off Windows: modal over its owner
 * like a message box, Escape as the way out, and the scripted user's
 * key-capture steps with their failure reports.
 */
#include "platform/core/window.h"
#include "platform/key_codes.h"
#include "tests/platform/recording.h"
#include "ui/resource.h"

namespace {

using namespace userscript;

class KeyCapture : public PlatformTest {};

// The owner is disabled while the box is up, and its focused control hears
// that it lost the focus and got it back, as around a message box.
TEST_F(KeyCapture, TheBoxIsModalOverItsOwner) {
  std::vector<int> answers;
  int enabledWhenFocusLeft = -1, enabledAfter = -1;
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message != WM_COMMAND) return message == WM_INITDIALOG;
    if (wParam == MAKEWPARAM(IDC_INPUT_CONTROLLER, CBN_KILLFOCUS)) enabledWhenFocusLeft = IsWindowEnabled(dialog);
    if (LOWORD(wParam) == IDOK) {
      expectKeyCapture(0x1E);
      // A control as owner stands for its dialog.
      answers.push_back(capturePressedKey(GetDlgItem(dialog, IDC_INPUT_ACTIONS), "Caption", "Prompt"));
      enabledAfter = IsWindowEnabled(dialog);
      return TRUE;
    }
    return FALSE;
  };
  expectAModalBoxOverInputDevices();
  runDialog(IDD_INPUT_DEVICES);
  EXPECT_EQ(answers, std::vector<int>{0x1E});
  EXPECT_EQ(enabledWhenFocusLeft, FALSE);
  EXPECT_EQ(enabledAfter, TRUE);
  ASSERT_EQ(keyCaptures().size(), 1u);
  EXPECT_TRUE(keyCaptures()[0].owned);
  EXPECT_EQ(keyCaptures()[0].caption, "Caption");
  EXPECT_EQ(keyCaptures()[0].prompt, "Prompt");
  EXPECT_EQ(keyCaptures()[0].keyCode, 0x1E);
}

TEST_F(KeyCapture, EscapeAnswersMinusOneAndEveryOtherKeyItsCode) {
  const int keys[] = {KeyCodeEscape, 0x1E, KeyCodeE0 | 0x1D, KeyCodePause, KeyCodeE0 | 0x5B, KeyCodeNone};
  const int answers[] = {-1, 0x1E, KeyCodeE0 | 0x1D, KeyCodePause, KeyCodeE0 | 0x5B, KeyCodeNone};
  for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) {
    expectKeyCapture(keys[i]);
    EXPECT_EQ(capturePressedKey(nullptr, nullptr, nullptr), answers[i]) << i;
  }
  ASSERT_EQ(keyCaptures().size(), 6u);
  EXPECT_FALSE(keyCaptures()[0].owned);
  EXPECT_EQ(keyCaptures()[0].caption, "");
  EXPECT_EQ(keyCaptures()[0].keyCode, KeyCodeEscape);  // the record keeps the key itself
}

TEST_F(KeyCapture, ABoxWithoutItsStepFailsAndIsClosedWithoutAKey) {
  FailureCollector failures;
  EXPECT_EQ(capturePressedKey(nullptr, "C", "Press it"), -1);
  ASSERT_EQ(failures.messages.size(), 1u);
  EXPECT_NE(failures.messages[0].find("no step left"), std::string::npos);
  EXPECT_NE(failures.messages[0].find("\"Press it\""), std::string::npos);

  // A message-box step stays for its box.
  expectMessageBox(IDOK);
  EXPECT_EQ(capturePressedKey(nullptr, "C", "Press it"), -1);
  ASSERT_EQ(failures.messages.size(), 2u);
  EXPECT_NE(failures.messages[1].find("message box answered 1"), std::string::npos);
  EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), IDOK);
  EXPECT_EQ(failures.messages.size(), 2u);
  ASSERT_EQ(keyCaptures().size(), 2u);
  EXPECT_EQ(keyCaptures()[1].keyCode, -1);
}

TEST_F(KeyCapture, AKeyCaptureStepWhereADialogOrABoxOpensFailsAndStays) {
  FailureCollector failures;
  expectKeyCapture(0x10);
  EXPECT_EQ(runDialog(IDD_SELECT_FUNCTION), -1);
  EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), IDOK);
  ASSERT_EQ(failures.messages.size(), 2u);
  EXPECT_NE(failures.messages[0].find("key-capture box given key 0x10"), std::string::npos);
  EXPECT_EQ(capturePressedKey(nullptr, "", ""), 0x10);  // still there for a box
  EXPECT_EQ(failures.messages.size(), 2u);
}

TEST_F(KeyCapture, AStepLeftOverIsReported) {
  FailureCollector failures;
  expectKeyCapture(0x2D);
  EXPECT_FALSE(finished());
  ASSERT_EQ(failures.messages.size(), 1u);
  EXPECT_NE(failures.messages[0].find("key-capture box given key 0x2D"), std::string::npos);
}

}  // namespace
