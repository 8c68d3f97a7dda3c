/* Modal dialogs and message boxes: creation, ending, nesting and owners, the
 * records start-up relies on, and the scripted user's failure reports.
 */
#include "platform/core/user_input.h"
#include "platform/core/window.h"
#include "tests/platform/recording.h"
#include "ui/resource.h"

namespace {

using namespace userscript;

class Modal : public PlatformTest {};

TEST_F(Modal, InitDialogGetsTheFirstTabStopAndTheParameter) {
  WPARAM first = 0;
  LPARAM param = 0;
  RecordingHook = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      first = wParam;
      param = lParam;
    }
    return FALSE;  // the procedure keeps the focus where it is: nowhere
  };
  expectDialog("Input Devices", {check([&](HWND dialog) {
                 EXPECT_EQ(first, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_INPUT_SELECT_SECONDARY)));
                 EXPECT_EQ(GetFocus(), nullptr);
                 EndDialog(dialog, 3);
               })});
  EXPECT_EQ(runDialog(IDD_INPUT_DEVICES, nullptr, 1234), 3);
  EXPECT_EQ(param, 1234);
  EXPECT_EQ(dialogsOpened(), std::vector<std::string>{"Input Devices"});
}

TEST_F(Modal, EndDialogDuringInitDialogSkipsTheModalLoop) {
  RecordingHook = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) EndDialog(dialog, 42);
    return TRUE;
  };
  EXPECT_EQ(runDialog(IDD_SELECT_FUNCTION), 42);  // no step was needed
  EXPECT_TRUE(dialogsOpened().empty());
}

TEST_F(Modal, EndDialogClosesOnlyAfterTheCurrentMessageReturns) {
  bool stillThere = false;
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
      EndDialog(dialog, 7);
      stillThere = SetDlgItemTextA(dialog, IDC_SELECT_TARGET, "after EndDialog") && IsWindowEnabled(dialog);
    }
    return message == WM_INITDIALOG;
  };
  expectDialog("Select Key", {click(IDOK)});
  EXPECT_EQ(runDialog(IDD_SELECT_KEY), 7);
  EXPECT_TRUE(stillThere);
}

TEST_F(Modal, UnknownTemplateOrProcedureFails) {
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, recordingProc, 0), -1);
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SELECT_KEY), nullptr, nullptr, 0), -1);
  EXPECT_EQ(DialogBoxParamA(nullptr, "#abc", nullptr, recordingProc, 0), -1);
  // A template named "#number" is the same template.
  RecordingHook = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) EndDialog(dialog, 9);
    return TRUE;
  };
  EXPECT_EQ(DialogBoxParamA(nullptr, "#135", nullptr, recordingProc, 0), 9);
}

TEST_F(Modal, NestedDialogDisablesItsOwnerUntilItCloses) {
  HWND menu = nullptr;
  INT_PTR nestedResult = 0;
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_MENU_INPUT_DEVICES) {
      menu = dialog;
      nestedResult = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_INPUT_DEVICES), dialog, recordingProc, 0);
      EXPECT_TRUE(IsWindowEnabled(dialog));
      return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && GetDlgItem(dialog, IDC_INPUT_ACTIONS)) {
      EndDialog(dialog, 11);
      return TRUE;
    }
    return message == WM_INITDIALOG;
  };
  expectDialog("Tarrengard Configuration", {click(IDC_MENU_INPUT_DEVICES), check([&](HWND dialog) {
                                              EXPECT_EQ(nestedResult, 11);
                                              EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_MENU_INPUT_DEVICES));
                                              EndDialog(dialog, 0);
                                            })});
  expectDialog("Input Devices", {check([&](HWND dialog) {
                                   EXPECT_FALSE(IsWindowEnabled(menu));
                                   EXPECT_EQ(openDialogs(), (std::vector<HWND>{menu, dialog}));
                                   EXPECT_EQ(dialog->owner, menu);
                                   // Input to the disabled owner goes nowhere.
                                   EXPECT_FALSE(userClick(GetDlgItem(menu, IDC_MENU_SAVE)));
                                 }),
                                 click(IDOK)});
  EXPECT_EQ(runDialog(IDD_MAIN_MENU), 0);
  EXPECT_EQ(dialogsOpened(), (std::vector<std::string>{"Tarrengard Configuration", "Input Devices"}));
}

TEST_F(Modal, OwnerFocusedDropDownListHearsAboutTheNestedWindow) {
  RecordingHook = [](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
      MessageBoxA(dialog, "Text", "Caption", MB_OK | MB_ICONINFORMATION);
      return TRUE;
    }
    return message == WM_INITDIALOG;
  };
  expectAModalBoxOverInputDevices();
  expectMessageBox(IDOK);
  runDialog(IDD_INPUT_DEVICES);
}

// Windows order: the nested dialog is initialised, then it takes the focus
// from its owner; one ended during WM_INITDIALOG takes nothing.
TEST_F(Modal, ANestedDialogTakesTheFocusFromItsOwnerOnlyOnceShown) {
  std::vector<std::string> events;
  bool endNestedAtInit = true;
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    bool nested = GetDlgItem(dialog, IDC_SELECT_LIST) != nullptr;
    if (message == WM_INITDIALOG) {
      events.push_back(nested ? "nested init" : "init");
      if (nested && endNestedAtInit) EndDialog(dialog, 1);
      return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDC_INPUT_CONTROLLER) events.push_back(HIWORD(wParam) == CBN_KILLFOCUS ? "kill" : "set");
    if (LOWORD(wParam) == IDC_INPUT_ADVANCED && !nested)
      DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SELECT_KEY), dialog, recordingProc, 0);
    if (LOWORD(wParam) == IDCANCEL && nested) EndDialog(dialog, 1);
    return FALSE;
  };
  auto openNested = check([](HWND dialog) {
    SetFocus(GetDlgItem(dialog, IDC_INPUT_CONTROLLER));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_INPUT_ADVANCED, BN_CLICKED), 0);
  });
  expectDialog("Input Devices", {openNested, check([&](HWND) {
                                   EXPECT_EQ(events, (std::vector<std::string>{"init", "set", "nested init"}));
                                   events.clear();
                                   endNestedAtInit = false;
                                 }),
                                 openNested, check([&](HWND dialog) {
                                   EXPECT_EQ(events, (std::vector<std::string>{"nested init", "kill", "set"}));
                                   EndDialog(dialog, 0);
                                 })});
  expectDialog("Select Key", {key(VK_ESCAPE)});
  runDialog(IDD_INPUT_DEVICES);
}

TEST_F(Modal, MessageBoxesAreAnsweredFromTheScriptAndRecorded) {
  std::vector<int> answers;
  bool ownerEnabledDuringBox = true;
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_MENU_SAVE) {
      answers.push_back(MessageBoxA(dialog, "Save now?", "Question", MB_YESNO | MB_ICONQUESTION));
      ownerEnabledDuringBox = false;
      answers.push_back(MessageBoxA(nullptr, nullptr, nullptr, MB_OK));
      EndDialog(dialog, 0);
    }
    return message == WM_INITDIALOG;
  };
  expectDialog("Tarrengard Configuration", {click(IDC_MENU_SAVE)});
  expectMessageBox(IDYES);
  expectMessageBox(IDOK);
  runDialog(IDD_MAIN_MENU);
  EXPECT_EQ(answers, (std::vector<int>{IDYES, IDOK}));
  ASSERT_EQ(messageBoxes().size(), 2u);
  EXPECT_TRUE(messageBoxes()[0].owned);
  EXPECT_EQ(messageBoxes()[0].text, "Save now?");
  EXPECT_EQ(messageBoxes()[0].caption, "Question");
  EXPECT_EQ(messageBoxes()[0].style, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(messageBoxes()[0].answer, IDYES);
  EXPECT_FALSE(messageBoxes()[1].owned);
  EXPECT_EQ(messageBoxes()[1].text, "");
  EXPECT_EQ(messageBoxes()[1].caption, "Error");  // Windows' caption when none is given
}

TEST_F(Modal, ATaskModalBoxWithoutAnOwnerHoldsEveryOpenDialogAndReleasesOnlyThose) {
  HWND menu = nullptr, nested = nullptr;
  std::vector<std::vector<bool>> enabledWhileShown;  // menu, nested
  auto lookWhileShown = [&] {
    enabledWhileShown.push_back({IsWindowEnabled(menu) != 0, IsWindowEnabled(nested) != 0});
  };
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_MENU_INPUT_DEVICES) {
      menu = dialog;
      DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_INPUT_DEVICES), dialog, recordingProc, 0);
      return TRUE;
    }
    return message == WM_INITDIALOG;
  };
  expectDialog("Tarrengard Configuration", {click(IDC_MENU_INPUT_DEVICES), check([](HWND dialog) {
                                              EXPECT_TRUE(IsWindowEnabled(dialog));
                                              EndDialog(dialog, 0);
                                            })});
  expectDialog("Input Devices", {check([&](HWND dialog) {
                 nested = dialog;
                 MessageBoxA(nullptr, "Failed", "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
                 EXPECT_TRUE(IsWindowEnabled(dialog));
                 EXPECT_FALSE(IsWindowEnabled(menu));  // still held by its nested dialog
                 MessageBoxA(nullptr, "Note", "Note", MB_OK);
                 EndDialog(dialog, 0);
               })});
  expectMessageBox(IDOK, {check([&](HWND) { lookWhileShown(); })});
  expectMessageBox(IDOK, {check([&](HWND) { lookWhileShown(); })});
  runDialog(IDD_MAIN_MENU);
  // An ownerless box that is not task-modal holds nothing of its own.
  EXPECT_EQ(enabledWhileShown, (std::vector<std::vector<bool>>{{false, false}, {false, true}}));
}

TEST_F(Modal, TheIconIsRecordedInTheWindowClass) {
  HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(IDI_TARRENGARD));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(1001)), nullptr);
  RecordingHook = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      SetClassLongA(dialog, GCL_HICON, 0);  // whatever an earlier test left
      // Both widths of the call set the one class icon and return the one before.
      EXPECT_EQ(SetClassLongPtrA(dialog, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon)), 0u);
      EXPECT_EQ(SetClassLongA(dialog, GCL_HICON, static_cast<LONG>(reinterpret_cast<intptr_t>(icon))),
                static_cast<DWORD>(IDI_TARRENGARD));
      EXPECT_EQ(SetClassLongPtrA(nullptr, GCLP_HICON, 0), 0u);
      EndDialog(dialog, 0);
    }
    return TRUE;
  };
  runDialog(IDD_MAIN_MENU);
  EXPECT_EQ(reinterpret_cast<HICON>(static_cast<intptr_t>(dialogClassIcon())), icon);
}

// A backend shows the class icon from the icon table, so only a handle that
// LoadIconA gave names a resource.
TEST_F(Modal, TheClassIconNamesItsIconResourceOnlyForALoadedIcon) {
  HICON icon = LoadIconA(nullptr, MAKEINTRESOURCEA(IDI_TARRENGARD));
  std::vector<const IconResource *> seen;
  RecordingHook = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) {
      SetClassLongA(dialog, GCL_HICON, 0);
      seen.push_back(dialogClassIconResource());
      SetClassLongA(dialog, GCL_HICON, static_cast<LONG>(reinterpret_cast<intptr_t>(icon)));
      seen.push_back(dialogClassIconResource());
      SetClassLongA(dialog, GCL_HICON, IDD_MAIN_MENU);  // a number that is no icon
      seen.push_back(dialogClassIconResource());
      EndDialog(dialog, 0);
    }
    return TRUE;
  };
  runDialog(IDD_MAIN_MENU);
  EXPECT_EQ(seen, (std::vector<const IconResource *>{nullptr, findIcon(IDI_TARRENGARD), nullptr}));
}

// ---- The scripted user's failure reports --------------------------------------

INT_PTR endOnCancel(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 1);
  return message == WM_INITDIALOG;
}

TEST_F(Modal, CaptionMismatchFailsAndEndsTheDialog) {
  FailureCollector failures;
  RecordingHook = endOnCancel;
  expectDialog("Select Function", {key(VK_ESCAPE)});
  EXPECT_EQ(runDialog(IDD_SELECT_KEY), -1);
  ASSERT_EQ(failures.messages.size(), 1u);
  EXPECT_NE(failures.messages[0].find("\"Select Key\""), std::string::npos);
  EXPECT_NE(failures.messages[0].find("\"Select Function\""), std::string::npos);
  EXPECT_TRUE(finished());  // the misnamed step is used up
}

TEST_F(Modal, ADialogStillOpenWhenItsActionsRunOutFailsInsteadOfHanging) {
  FailureCollector failures;
  RecordingHook = endOnCancel;
  expectDialog("Select Key", {click(IDC_SELECT_NONE)});
  EXPECT_EQ(runDialog(IDD_SELECT_KEY), -1);
  ASSERT_EQ(failures.messages.size(), 1u);
  EXPECT_NE(failures.messages[0].find("still open"), std::string::npos);
}

TEST_F(Modal, ADialogWithNoStepLeftFailsAndEndsAtOnce) {
  FailureCollector failures;
  EXPECT_EQ(runDialog(IDD_SELECT_KEY), -1);
  ASSERT_EQ(failures.messages.size(), 1u);
  EXPECT_NE(failures.messages[0].find("no step left"), std::string::npos);
  EXPECT_EQ(dialogsOpened(), std::vector<std::string>{"Select Key"});
}

TEST_F(Modal, ActionsLeftWhenTheDialogClosesFail) {
  FailureCollector failures;
  RecordingHook = endOnCancel;
  expectDialog("Select Key", {key(VK_ESCAPE), click(IDOK)});
  EXPECT_EQ(runDialog(IDD_SELECT_KEY), 1);
  ASSERT_EQ(failures.messages.size(), 1u);
  EXPECT_NE(failures.messages[0].find("click on control 1"), std::string::npos);
}

TEST_F(Modal, ImpossibleActionsFail) {
  FailureCollector failures;
  RecordingHook = endOnCancel;
  expectDialog("Select Key",
               {click(4242), closeBox(), selectRow(IDC_SELECT_LIST, 0), dragTrackbar(IDOK, 3), key(VK_ESCAPE)});
  EXPECT_EQ(runDialog(IDD_SELECT_KEY), 1);
  ASSERT_EQ(failures.messages.size(), 4u);
  EXPECT_NE(failures.messages[0].find("no control 4242"), std::string::npos);
  EXPECT_NE(failures.messages[1].find("no close box"), std::string::npos);
  EXPECT_NE(failures.messages[2].find("has 0 rows"), std::string::npos);
  EXPECT_NE(failures.messages[3].find("not a track bar"), std::string::npos);
}

TEST_F(Modal, UnexpectedMessageBoxFailsAndIsAnsweredAsByEscape) {
  FailureCollector failures;
  EXPECT_EQ(MessageBoxA(nullptr, "Sure?", "Q", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Note", "N", MB_OK), IDOK);
  expectMessageBox(IDYES);  // a Yes for a box that only has OK
  EXPECT_EQ(MessageBoxA(nullptr, "Note", "N", MB_OK), IDOK);
  expectDialog("Select Key", {});
  EXPECT_EQ(MessageBoxA(nullptr, "Note", "N", MB_OK), IDOK);
  EXPECT_EQ(failures.messages.size(), 4u);
  EXPECT_EQ(messageBoxes().size(), 4u);
  // The dialog step stays for its dialog.
  RecordingHook = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
    if (message == WM_INITDIALOG) EndDialog(dialog, 0);
    return TRUE;
  };
  EXPECT_FALSE(finished());
  EXPECT_EQ(failures.messages.size(), 5u);
  EXPECT_NE(failures.messages[4].find("dialog \"Select Key\""), std::string::npos);
}

// Escape and the close box in a message box, as a step asks for them before
// its answer: boxes with OK or Cancel end with their Escape answer, Yes/No
// and Abort/Retry/Ignore stay up until a button is pressed.
TEST_F(Modal, EscapeAndTheCloseBoxEndOnlyBoxesThatHaveAnEscapeAnswer) {
  struct Case {
    UINT type;
    int answer;  // what the box gives
    std::vector<Action> first;
  } cases[] = {{MB_OK, IDOK, {key(VK_ESCAPE)}},
               {MB_OK | MB_ICONERROR, IDOK, {closeBox()}},
               {MB_OKCANCEL, IDCANCEL, {closeBox()}},
               {MB_YESNOCANCEL, IDCANCEL, {key(VK_ESCAPE)}},
               {MB_RETRYCANCEL, IDCANCEL, {key(VK_ESCAPE)}},
               {MB_YESNO | MB_ICONQUESTION, IDYES, {key(VK_ESCAPE), closeBox(), key(VK_ESCAPE)}},
               {MB_YESNO, IDNO, {closeBox()}},
               {MB_ABORTRETRYIGNORE, IDRETRY, {key(VK_ESCAPE), closeBox()}}};
  for (const Case &c : cases) {
    expectMessageBox(c.answer, c.first);
    EXPECT_EQ(MessageBoxA(nullptr, "Text", "Caption", c.type), c.answer) << c.type;
    ASSERT_FALSE(messageBoxes().empty());
    EXPECT_EQ(messageBoxes().back().answer, c.answer) << c.type;
  }
  EXPECT_EQ(messageBoxes().size(), std::size(cases));
}

TEST_F(Modal, AMessageBoxEndedByEscapeWithAnotherAnswerOrActionsLeftFails) {
  FailureCollector failures;
  expectMessageBox(IDYES, {key(VK_ESCAPE)});
  EXPECT_EQ(MessageBoxA(nullptr, "Save?", "Q", MB_YESNOCANCEL), IDCANCEL);
  expectMessageBox(IDOK, {key(VK_ESCAPE), closeBox()});
  EXPECT_EQ(MessageBoxA(nullptr, "Note", "N", MB_OK), IDOK);
  ASSERT_EQ(failures.messages.size(), 2u);
  EXPECT_NE(failures.messages[0].find("closed with answer 2 where the script answers 6"), std::string::npos);
  EXPECT_NE(failures.messages[1].find("1 action(s) left, the next: close box"), std::string::npos);
}

TEST_F(Modal, AMessageBoxTakesOnlyEscapeItsCloseBoxAndInspections) {
  FailureCollector failures;
  HWND owner = nullptr;
  HWND inspected = reinterpret_cast<HWND>(1);
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_MENU_SAVE) {
      owner = dialog;
      EXPECT_EQ(MessageBoxA(dialog, "Sure?", "Q", MB_YESNO), IDNO);
      EndDialog(dialog, 0);
    }
    return message == WM_INITDIALOG;
  };
  expectDialog("Tarrengard Configuration", {click(IDC_MENU_SAVE)});
  expectMessageBox(IDNO, {click(IDYES), key(VK_RETURN), inspect([&](HWND window) { inspected = window; })});
  runDialog(IDD_MAIN_MENU);
  EXPECT_EQ(inspected, owner);  // an inspection looks at the box's owner
  ASSERT_EQ(failures.messages.size(), 2u);
  EXPECT_NE(failures.messages[0].find("cannot click on control 6"), std::string::npos);
  EXPECT_NE(failures.messages[1].find("cannot key 0x0D"), std::string::npos);
}

// A box the script cannot answer closes as Escape would close it, or where
// Escape does nothing, with its last button.
TEST_F(Modal, AnUnscriptedBoxWithoutAnEscapeAnswerGetsItsLastButton) {
  FailureCollector failures;
  EXPECT_EQ(MessageBoxA(nullptr, "Disk?", "D", MB_ABORTRETRYIGNORE), IDIGNORE);
  EXPECT_EQ(MessageBoxA(nullptr, "Again?", "A", MB_RETRYCANCEL), IDCANCEL);
  EXPECT_EQ(failures.messages.size(), 2u);
}

TEST_F(Modal, AMessageBoxStepWhereADialogOpensFails) {
  FailureCollector failures;
  expectMessageBox(IDOK);
  EXPECT_EQ(runDialog(IDD_SELECT_FUNCTION), -1);
  EXPECT_EQ(failures.messages.size(), 1u);
  EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_OK), IDOK);  // the step is still there for a box
  EXPECT_EQ(failures.messages.size(), 1u);
}

}  // namespace
