/* User input through the scripted user: the notifications a person's clicks
 * and keys cause, in Windows' order, and the keyboard rules of the dialog
 * manager.
 */
#include "platform/core/user_input.h"
#include "platform/core/window.h"
#include "tests/platform/recording.h"
#include "ui/resource.h"

namespace {

using namespace userscript;
using N = std::vector<Notification>;

void fill(HWND dialog, int id, std::initializer_list<const char *> rows, UINT message) {
  for (const char *row : rows) SendDlgItemMessageA(dialog, id, message, 0, reinterpret_cast<LPARAM>(row));
}

// Lists and radio buttons filled as the dialogs fill them.
INT_PTR fillingHook(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  if (GetDlgItem(dialog, IDC_MSV_VOICES)) {
    fill(dialog, IDC_MSV_VOICES, {"1", "2", "4", "8"}, CB_ADDSTRING);
    SendDlgItemMessageA(dialog, IDC_MSV_VOICES, CB_SETCURSEL, 1, 0);
    CheckDlgButton(dialog, IDC_MSV_16BIT, BST_CHECKED);
  }
  if (GetDlgItem(dialog, IDC_INPUT_ACTIONS)) {
    fill(dialog, IDC_INPUT_ACTIONS, {"Move_Forward", "Fire", "Jump"}, LB_ADDSTRING);
    fill(dialog, IDC_INPUT_CONTROLLER, {"Keyboard only", "Keyboard and Mouse"}, CB_ADDSTRING);
  }
  if (GetDlgItem(dialog, IDC_SELECT_LIST)) {
    fill(dialog, IDC_SELECT_LIST, {"Alpha", "Bravo", "Charlie", "Beta"}, LB_ADDSTRING);
    EnableWindow(GetDlgItem(dialog, IDC_SELECT_LIST), TRUE);
  }
  if (GetDlgItem(dialog, IDC_MOUSE_X_SCALE)) {
    for (int id : {IDC_MOUSE_X_SCALE, IDC_MOUSE_Y_SCALE}) {
      SendDlgItemMessageA(dialog, id, TBM_SETRANGE, TRUE, MAKELONG(-40, 40));
      SendDlgItemMessageA(dialog, id, TBM_SETPAGESIZE, 0, 10);
      SendDlgItemMessageA(dialog, id, TBM_SETPOS, TRUE, 10);
    }
    CheckDlgButton(dialog, IDC_MOUSE_MOMENTARY, BST_CHECKED);
  }
  return TRUE;
}

class UserInput : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    RecordingHook = fillingHook;
  }
};

HWND item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

TEST_F(UserInput, CheckBoxChangesStateBeforeItNotifies) {
  UINT seenState = 99;
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_MSV_MUSIC_ENABLED)
      seenState = IsDlgButtonChecked(dialog, IDC_MSV_MUSIC_ENABLED);
    return fillingHook(dialog, message, wParam, lParam);
  };
  runInDialog(IDD_MUSIC_SOUND_VIDEO,
              {click(IDC_MSV_MUSIC_ENABLED), check([&](HWND dialog) {
                 EXPECT_EQ(seenState, BST_CHECKED);
                 EXPECT_EQ(takeNotifications(), N{command(dialog, IDC_MSV_MUSIC_ENABLED, BN_CLICKED)});
               }),
               click(IDC_MSV_MUSIC_ENABLED), check([&](HWND) { EXPECT_EQ(seenState, BST_UNCHECKED); })});
}

TEST_F(UserInput, RadioGroupRunsFromItsGroupStyleToTheNext) {
  runInDialog(IDD_MUSIC_SOUND_VIDEO, {check([](HWND dialog) {
                                        CheckDlgButton(dialog, IDC_MSV_FULLSCREEN,
                                                       BST_CHECKED);  // a check box after the group
                                        takeNotifications();
                                      }),
                                      click(IDC_MSV_8BIT), check([](HWND dialog) {
                                        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_8BIT), BST_CHECKED);
                                        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_16BIT), BST_UNCHECKED);
                                        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_FULLSCREEN), BST_CHECKED);
                                        EXPECT_EQ(takeNotifications(), N{command(dialog, IDC_MSV_8BIT, BN_CLICKED)});
                                      }),
                                      // Clicking the checked one again still notifies and keeps it checked.
                                      click(IDC_MSV_8BIT), check([](HWND dialog) {
                                        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_8BIT), BST_CHECKED);
                                        EXPECT_EQ(takeNotifications(), N{command(dialog, IDC_MSV_8BIT, BN_CLICKED)});
                                      })});
}

TEST_F(UserInput, ListBoxRowClicksAndDoubleClicks) {
  runInDialog(IDD_INPUT_DEVICES,
              {check([](HWND) { takeNotifications(); }), selectRow(IDC_INPUT_ACTIONS, 2), check([](HWND dialog) {
                 EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_INPUT_ACTIONS, LB_GETCURSEL, 0, 0), 2);
                 EXPECT_EQ(takeNotifications(), (N{command(dialog, IDC_INPUT_ACTIONS, LBN_SETFOCUS),
                                                   command(dialog, IDC_INPUT_ACTIONS, LBN_SELCHANGE)}));
               }),
               doubleClickRow(IDC_INPUT_ACTIONS, 1), check([](HWND dialog) {
                 EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_INPUT_ACTIONS, LB_GETCURSEL, 0, 0), 1);
                 EXPECT_EQ(takeNotifications(), (N{command(dialog, IDC_INPUT_ACTIONS, LBN_SELCHANGE),
                                                   command(dialog, IDC_INPUT_ACTIONS, LBN_DBLCLK)}));
               }),
               // Arrows and type-ahead move the selection and notify.
               key(VK_DOWN), key('M'), check([](HWND dialog) {
                 EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_INPUT_ACTIONS, LB_GETCURSEL, 0, 0), 0);
                 EXPECT_EQ(takeNotifications(), (N{command(dialog, IDC_INPUT_ACTIONS, LBN_SELCHANGE),
                                                   command(dialog, IDC_INPUT_ACTIONS, LBN_SELCHANGE)}));
               }),
               click(IDC_INPUT_SELECT_PRIMARY), check([](HWND dialog) {
                 EXPECT_EQ(takeNotifications(), (N{command(dialog, IDC_INPUT_ACTIONS, LBN_KILLFOCUS),
                                                   command(dialog, IDC_INPUT_SELECT_PRIMARY, BN_CLICKED)}));
               })});
}

TEST_F(UserInput, ListBoxWithoutNotifyStyleStaysSilent) {
  runInDialog(IDD_SELECT_KEY,
              {check([](HWND dialog) {
                 item(dialog, IDC_SELECT_LIST)->style &= ~LBS_NOTIFY;
                 takeNotifications();
               }),
               selectRow(IDC_SELECT_LIST, 1), doubleClickRow(IDC_SELECT_LIST, 2), check([](HWND dialog) {
                 EXPECT_TRUE(takeNotifications().empty());
                 EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SELECT_LIST, LB_GETCURSEL, 0, 0), 2);
               })});
}

TEST_F(UserInput, DropDownListNotificationsInWindowsOrder) {
  runInDialog(
      IDD_MUSIC_SOUND_VIDEO,
      {check([](HWND) { takeNotifications(); }),
       // Picking a row with the mouse from another control.
       selectRow(IDC_MSV_VOICES, 3), check([](HWND dialog) {
         EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MSV_VOICES, CB_GETCURSEL, 0, 0), 3);
         EXPECT_EQ(takeNotifications(),
                   (N{command(dialog, IDC_MSV_VOICES, CBN_SETFOCUS), command(dialog, IDC_MSV_VOICES, CBN_DROPDOWN),
                      command(dialog, IDC_MSV_VOICES, CBN_SELENDOK), command(dialog, IDC_MSV_VOICES, CBN_CLOSEUP),
                      command(dialog, IDC_MSV_VOICES, CBN_SELCHANGE)}));
       }),
       // Arrows on the closed list: one CBN_SELCHANGE per move, none past the end.
       key(VK_UP), key(VK_DOWN), key(VK_DOWN), check([](HWND dialog) {
         EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MSV_VOICES, CB_GETCURSEL, 0, 0), 3);
         EXPECT_EQ(takeNotifications(),
                   (N{command(dialog, IDC_MSV_VOICES, CBN_SELCHANGE), command(dialog, IDC_MSV_VOICES, CBN_SELCHANGE)}));
       }),
       // Leaving it by Tab.
       key(VK_TAB), check([](HWND dialog) {
         EXPECT_EQ(GetFocus(), item(dialog, IDC_MSV_16BIT));  // the checked radio button
         EXPECT_EQ(takeNotifications(), N{command(dialog, IDC_MSV_VOICES, CBN_KILLFOCUS)});
       }),
       // A click in and out again without a choice.
       focus(IDC_MSV_VOICES), click(IDC_MSV_FULLSCREEN), check([](HWND dialog) {
         EXPECT_EQ(
             takeNotifications(),
             (N{command(dialog, IDC_MSV_VOICES, CBN_SETFOCUS), command(dialog, IDC_MSV_VOICES, CBN_DROPDOWN),
                command(dialog, IDC_MSV_VOICES, CBN_SELENDCANCEL), command(dialog, IDC_MSV_VOICES, CBN_CLOSEUP),
                command(dialog, IDC_MSV_VOICES, CBN_KILLFOCUS), command(dialog, IDC_MSV_FULLSCREEN, BN_CLICKED)}));
       })});
}

TEST_F(UserInput, F4AndAltUpOrDownOpenTheFocusedDropDownListAndCloseItAsChosen) {
  struct Press {
    int key;
    bool alt;
  };
  runInDialog(IDD_MUSIC_SOUND_VIDEO,
              {focus(IDC_MSV_VOICES), check([](HWND dialog) {
                 takeNotifications();
                 for (Press p : {Press{VK_F4, false}, Press{VK_DOWN, true}, Press{VK_UP, true}}) {
                   auto press = [&] { return p.alt ? userAltKey(dialog, p.key) : userKey(dialog, p.key); };
                   EXPECT_TRUE(press());
                   EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MSV_VOICES, CB_GETDROPPEDSTATE, 0, 0), TRUE) << p.key;
                   EXPECT_EQ(takeNotifications(), N{command(dialog, IDC_MSV_VOICES, CBN_DROPDOWN)});
                   EXPECT_TRUE(press());
                   EXPECT_EQ(takeNotifications(), (N{command(dialog, IDC_MSV_VOICES, CBN_SELENDOK),
                                                     command(dialog, IDC_MSV_VOICES, CBN_CLOSEUP)}));
                 }
               })});
}

TEST_F(UserInput, AnOpenDropDownListIsClosedAsCancelledWhenItLosesTheFocus) {
  runInDialog(IDD_MUSIC_SOUND_VIDEO,
              {check([](HWND dialog) {
                 SetFocus(item(dialog, IDC_MSV_VOICES));
                 SendDlgItemMessageA(dialog, IDC_MSV_VOICES, CB_SHOWDROPDOWN, TRUE, 0);
                 EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MSV_VOICES, CB_GETDROPPEDSTATE, 0, 0), TRUE);
                 takeNotifications();
               }),
               // Escape closes the open list, not the dialog.
               key(VK_ESCAPE), check([](HWND dialog) {
                 EXPECT_EQ(takeNotifications(), (N{command(dialog, IDC_MSV_VOICES, CBN_SELENDCANCEL),
                                                   command(dialog, IDC_MSV_VOICES, CBN_CLOSEUP)}));
                 SendDlgItemMessageA(dialog, IDC_MSV_VOICES, CB_SHOWDROPDOWN, TRUE, 0);
                 takeNotifications();
               }),
               click(IDC_MSV_SOUND_ENABLED), check([](HWND dialog) {
                 EXPECT_EQ(takeNotifications(), (N{command(dialog, IDC_MSV_VOICES, CBN_SELENDCANCEL),
                                                   command(dialog, IDC_MSV_VOICES, CBN_CLOSEUP),
                                                   command(dialog, IDC_MSV_VOICES, CBN_KILLFOCUS),
                                                   command(dialog, IDC_MSV_SOUND_ENABLED, BN_CLICKED)}));
               })});
}

TEST_F(UserInput, EnterClicksTheFocusedPushButtonElseSendsTheDefaultId) {
  runInDialog(IDD_ADVANCED_MOUSE, {check([](HWND) { takeNotifications(); }),
                                   // Focus on the track bar: the default button's id.
                                   key(VK_RETURN), check([](HWND dialog) {
                                     EXPECT_EQ(takeNotifications(), N{command(dialog, IDOK, BN_CLICKED)});
                                     SetFocus(item(dialog, IDC_MOUSE_DIGITAL_LEFT));
                                   }),
                                   key(VK_RETURN), check([](HWND dialog) {
                                     EXPECT_EQ(takeNotifications(),
                                               N{command(dialog, IDC_MOUSE_DIGITAL_LEFT, BN_CLICKED)});
                                     SetFocus(item(dialog, IDC_MOUSE_MOMENTARY));
                                   }),
                                   // A radio button is no push button: the default id again.
                                   key(VK_RETURN), check([](HWND dialog) {
                                     EXPECT_EQ(takeNotifications(), N{command(dialog, IDOK, BN_CLICKED)});
                                     EnableWindow(item(dialog, IDOK), FALSE);
                                   }),
                                   // A disabled default button sends nothing.
                                   key(VK_RETURN), check([](HWND dialog) {
                                     EXPECT_TRUE(takeNotifications().empty());
                                     EnableWindow(item(dialog, IDOK), TRUE);
                                   })});
}

TEST_F(UserInput, EnterWithoutADefaultButtonSendsIdOk) {
  runInDialog(IDD_SELECT_KEY, {check([](HWND dialog) {
                                 item(dialog, IDOK)->id = 50;  // no control has IDOK any more
                                 dialog->defaultId = IDOK;
                                 SetFocus(item(dialog, IDC_SELECT_LIST));
                                 takeNotifications();
                               }),
                               key(VK_RETURN), check([](HWND dialog) {
                                 N seen = takeNotifications();
                                 ASSERT_EQ(seen.size(), 1u);
                                 EXPECT_EQ(seen[0].id, IDOK);
                                 EXPECT_EQ(seen[0].control, 0);
                                 item(dialog, 50)->id = IDOK;
                               })});
}

TEST_F(UserInput, EscapeAndTheCloseBoxSendIdCancelAndCloseNothing) {
  std::vector<UINT> messages;
  RecordingHook = [&](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
    messages.push_back(message);
    return message == WM_INITDIALOG;
  };
  runInDialog(IDD_MAIN_MENU,
              {key(VK_ESCAPE), closeBox(), check([&](HWND dialog) {
                 EXPECT_EQ(takeNotifications(),
                           (N{command(dialog, IDCANCEL, BN_CLICKED), command(dialog, IDCANCEL, BN_CLICKED)}));
                 EXPECT_FALSE(dialog->ended);
                 // The close box asks the procedure with WM_CLOSE first.
                 EXPECT_EQ(messages, (std::vector<UINT>{WM_INITDIALOG, WM_COMMAND, WM_CLOSE, WM_COMMAND}));
               })});
  // A dialog without a system menu has no close box: Escape only.
  runInDialog(IDD_SELECT_KEY, {key(VK_ESCAPE), check([](HWND dialog) {
                                 EXPECT_EQ(takeNotifications(), N{command(dialog, IDCANCEL, BN_CLICKED)});
                               })});
}

TEST_F(UserInput, TabVisitsEnabledTabStopsAndWraps) {
  std::vector<int> visited;
  auto record = [&](HWND) { visited.push_back(GetDlgCtrlID(GetFocus())); };
  runInDialog(IDD_MAIN_MENU, {key(VK_TAB), check(record), key(VK_TAB), check(record), key(VK_TAB), check(record),
                              key(VK_TAB), check(record), key(VK_TAB), check(record), shiftTab(), check(record),
                              check([](HWND dialog) { EnableWindow(item(dialog, IDC_MENU_INPUT_DEVICES), FALSE); }),
                              key(VK_TAB), key(VK_TAB), check(record)});
  EXPECT_EQ(visited,
            (std::vector<int>{IDC_MENU_MUSIC_SOUND_VIDEO, IDC_MENU_INPUT_DEVICES, IDC_MENU_SAVE, IDC_MENU_SAVE_AND_RUN,
                              IDC_MENU_EXIT, IDC_MENU_SAVE_AND_RUN, IDC_MENU_MUSIC_SOUND_VIDEO}));
}

TEST_F(UserInput, TabIntoARadioGroupLandsOnTheCheckedButtonAndLeavesIt) {
  std::vector<int> visited;
  auto record = [&](HWND) { visited.push_back(GetDlgCtrlID(GetFocus())); };
  runInDialog(IDD_ADVANCED_MOUSE,
              {check([](HWND dialog) { SetFocus(item(dialog, IDC_MOUSE_Y_SCALE)); }), key(VK_TAB), check(record),
               key(VK_TAB), check(record), shiftTab(), check(record), shiftTab(), check(record)});
  EXPECT_EQ(visited,
            (std::vector<int>{IDC_MOUSE_MOMENTARY, IDC_MOUSE_ANALOG_X, IDC_MOUSE_MOMENTARY, IDC_MOUSE_Y_SCALE}));
}

TEST_F(UserInput, ArrowsMoveWithinTheGroupAndClickRadioButtons) {
  runInDialog(IDD_ADVANCED_MOUSE, {check([](HWND dialog) {
                                     SetFocus(item(dialog, IDC_MOUSE_MOMENTARY));
                                     takeNotifications();
                                   }),
                                   key(VK_LEFT), check([](HWND dialog) {
                                     EXPECT_EQ(GetFocus(), item(dialog, IDC_MOUSE_TOGGLE));
                                     EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MOUSE_TOGGLE), BST_CHECKED);
                                     EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MOUSE_MOMENTARY), BST_UNCHECKED);
                                     EXPECT_EQ(takeNotifications(), N{command(dialog, IDC_MOUSE_TOGGLE, BN_CLICKED)});
                                   }),
                                   // Space clicks the focused button.
                                   key(VK_SPACE), check([](HWND dialog) {
                                     EXPECT_EQ(takeNotifications(), N{command(dialog, IDC_MOUSE_TOGGLE, BN_CLICKED)});
                                   }),
                                   // The label after the radio buttons ends their group, so
                                   // the arrows wrap inside it instead of reaching the
                                   // direction buttons further down the template.
                                   key(VK_DOWN), key(VK_DOWN), check([](HWND dialog) {
                                     EXPECT_EQ(GetFocus(), item(dialog, IDC_MOUSE_TOGGLE));
                                     EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MOUSE_TOGGLE), BST_CHECKED);
                                     EXPECT_EQ(takeNotifications(), (N{command(dialog, IDC_MOUSE_MOMENTARY, BN_CLICKED),
                                                                       command(dialog, IDC_MOUSE_TOGGLE, BN_CLICKED)}));
                                   })});
}

TEST_F(UserInput, MnemonicsClickTheirButton) {
  runInDialog(
      IDD_SELECT_KEY,
      {check([](HWND) { takeNotifications(); }), altKey('c'), check([](HWND dialog) {
         // The focus leaves the list (the first tab stop once enabled) first.
         EXPECT_EQ(takeNotifications(),
                   (N{command(dialog, IDC_SELECT_LIST, LBN_KILLFOCUS), command(dialog, IDCANCEL, BN_CLICKED)}));
         EXPECT_EQ(GetFocus(), item(dialog, IDCANCEL));
       }),
       // A bare letter on a button is a mnemonic too ...
       key('S'), check([](HWND dialog) { EXPECT_EQ(takeNotifications(), N{command(dialog, IDOK, BN_CLICKED)}); }),
       // ... but a list box takes letters itself.
       selectRow(IDC_SELECT_LIST, 0), key('C'), check([](HWND dialog) {
         EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SELECT_LIST, LB_GETCURSEL, 0, 0), 3);
         takeNotifications();
         EnableWindow(item(dialog, IDOK), FALSE);
       }),
       altKey('S'), altKey('Q'), check([](HWND) { EXPECT_TRUE(takeNotifications().empty()); })});
}

TEST_F(UserInput, DisabledControlsSendNothing) {
  runInDialog(IDD_MUSIC_SOUND_VIDEO, {check([](HWND dialog) {
                                        for (int id : {IDC_MSV_MUSIC_ENABLED, IDC_MSV_VOICES, IDC_MSV_8BIT})
                                          EnableWindow(item(dialog, id), FALSE);
                                        takeNotifications();
                                      }),
                                      click(IDC_MSV_MUSIC_ENABLED), selectRow(IDC_MSV_VOICES, 0), focus(IDC_MSV_VOICES),
                                      click(IDC_MSV_8BIT), check([](HWND dialog) {
                                        EXPECT_TRUE(takeNotifications().empty());
                                        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_MUSIC_ENABLED), BST_UNCHECKED);
                                        EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_8BIT), BST_UNCHECKED);
                                        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MSV_VOICES, CB_GETCURSEL, 0, 0), 1);
                                        EXPECT_EQ(GetFocus(), nullptr);  // disabling it took the focus away
                                      })});
}

TEST_F(UserInput, DisablingTheFocusedControlTakesItsFocus) {
  runInDialog(IDD_MUSIC_SOUND_VIDEO, {focus(IDC_MSV_VOICES), check([](HWND dialog) {
                                        takeNotifications();
                                        EnableWindow(item(dialog, IDC_MSV_VOICES), FALSE);
                                        EXPECT_EQ(GetFocus(), nullptr);
                                        EXPECT_EQ(takeNotifications(),
                                                  N{command(dialog, IDC_MSV_VOICES, CBN_KILLFOCUS)});
                                      }),
                                      // With no focus, Enter goes to the default button, Tab to the first stop.
                                      key(VK_RETURN), key(VK_TAB), check([](HWND dialog) {
                                        EXPECT_EQ(takeNotifications(), N{command(dialog, IDOK, BN_CLICKED)});
                                        EXPECT_EQ(GetFocus(), item(dialog, IDC_MSV_MUSIC_ENABLED));
                                        // Nor can code give the focus to a disabled control.
                                        EnableWindow(item(dialog, IDC_MSV_FULLSCREEN), FALSE);
                                        EXPECT_EQ(SetFocus(item(dialog, IDC_MSV_FULLSCREEN)), nullptr);
                                        EXPECT_EQ(GetFocus(), item(dialog, IDC_MSV_MUSIC_ENABLED));
                                      })});
}

TEST_F(UserInput, TrackbarDragSendsEachStepWithItsOwnHandle) {
  runInDialog(IDD_ADVANCED_MOUSE,
              {check([](HWND) { takeNotifications(); }), dragTrackbar(IDC_MOUSE_Y_SCALE, 7), check([](HWND dialog) {
                 N seen = takeNotifications();
                 N expected = {scroll(dialog, IDC_MOUSE_Y_SCALE, TB_THUMBTRACK),
                               scroll(dialog, IDC_MOUSE_Y_SCALE, TB_THUMBTRACK),
                               scroll(dialog, IDC_MOUSE_Y_SCALE, TB_THUMBTRACK),
                               scroll(dialog, IDC_MOUSE_Y_SCALE, TB_THUMBPOSITION),
                               scroll(dialog, IDC_MOUSE_Y_SCALE, TB_ENDTRACK)};
                 EXPECT_EQ(seen, expected);
                 EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MOUSE_Y_SCALE, TBM_GETPOS, 0, 0), 7);
                 EXPECT_EQ(GetFocus(), item(dialog, IDC_MOUSE_Y_SCALE));
               }),
               // Past the end: clamped to the range.
               dragTrackbar(IDC_MOUSE_Y_SCALE, 99), check([](HWND dialog) {
                 EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_MOUSE_Y_SCALE, TBM_GETPOS, 0, 0), 40);
                 EXPECT_EQ(takeNotifications().size(), 33u + 2u);
               })});
}

TEST_F(UserInput, TrackbarKeysMoveByLineAndPageThenEndTrack) {
  std::vector<int> positions;
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
    if (message == WM_HSCROLL)
      positions.push_back(static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0)));
    return fillingHook(dialog, message, wParam, lParam);
  };
  runInDialog(IDD_ADVANCED_MOUSE,
              {check([](HWND) { takeNotifications(); }),  // the X track bar has the focus
               key(VK_RIGHT), key(VK_PRIOR), key(VK_NEXT), key(VK_LEFT), key(VK_HOME), check([](HWND dialog) {
                 EXPECT_EQ(
                     takeNotifications(),
                     (N{scroll(dialog, IDC_MOUSE_X_SCALE, TB_LINEDOWN), scroll(dialog, IDC_MOUSE_X_SCALE, TB_ENDTRACK),
                        scroll(dialog, IDC_MOUSE_X_SCALE, TB_PAGEUP), scroll(dialog, IDC_MOUSE_X_SCALE, TB_ENDTRACK),
                        scroll(dialog, IDC_MOUSE_X_SCALE, TB_PAGEDOWN), scroll(dialog, IDC_MOUSE_X_SCALE, TB_ENDTRACK),
                        scroll(dialog, IDC_MOUSE_X_SCALE, TB_LINEUP), scroll(dialog, IDC_MOUSE_X_SCALE, TB_ENDTRACK),
                        scroll(dialog, IDC_MOUSE_X_SCALE, TB_TOP), scroll(dialog, IDC_MOUSE_X_SCALE, TB_ENDTRACK)}));
               })});
  // Page Up decreases a horizontal track bar's position.
  EXPECT_EQ(positions, (std::vector<int>{11, 11, 1, 1, 11, 11, 10, 10, -40, -40}));
}

}  // namespace
