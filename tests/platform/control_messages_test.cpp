/* Control messages sent from code: answers as Windows gives them, and no
 * notification to the dialog.
 */
#include <string>

#include "platform/core/window.h"
#include "tests/platform/recording.h"
#include "ui/resource.h"

namespace {

using userscript::Action;

std::string rowText(HWND list, int row, UINT message = LB_GETTEXT) {
  char buffer[64] = "unchanged";
  LRESULT length = SendMessageA(list, message, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer));
  if (length < 0) return "<error>";
  EXPECT_EQ(static_cast<size_t>(length), std::string(buffer).size());
  return buffer;
}

LRESULT add(HWND list, const char *text, UINT message = LB_ADDSTRING) {
  return SendMessageA(list, message, 0, reinterpret_cast<LPARAM>(text));
}

class ControlMessages : public PlatformTest {};

TEST_F(ControlMessages, SortedListBoxInsertsCaseInsensitivelyAndReturnsTheIndex) {
  runInDialog(IDD_SELECT_KEY, {check([](HWND dialog) {
                HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
                EXPECT_EQ(add(list, "b"), 0);
                EXPECT_EQ(add(list, "A"), 0);
                EXPECT_EQ(add(list, "c"), 2);
                EXPECT_EQ(add(list, "Bb"), 2);
                EXPECT_EQ(add(list, "B"), 2);  // equal texts keep the order they came in
                EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 5);
                EXPECT_EQ(rowText(list, 0), "A");
                EXPECT_EQ(rowText(list, 1), "b");
                EXPECT_EQ(rowText(list, 2), "B");
                EXPECT_EQ(rowText(list, 3), "Bb");
                EXPECT_EQ(rowText(list, 4), "c");
              })});
}

TEST_F(ControlMessages, SortedListBoxPutsPunctuationBeforeDigitsBeforeLetters) {
  runInDialog(IDD_SELECT_KEY, {check([](HWND dialog) {
                HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
                for (const char *key : {"Kpad6", "z", "1", "[", "Kpad-", "Kpad*", "F10", "F2", "'", "-"})
                  add(list, key);
                const char *expected[] = {"'", "-", "[", "1", "F10", "F2", "Kpad-", "Kpad*", "Kpad6", "z"};
                for (int i = 0; i < 10; ++i) EXPECT_EQ(rowText(list, i), expected[i]) << i;
              })});
}

TEST_F(ControlMessages, InsertingBeforeTheSelectionKeepsTheSameItemSelected) {
  runInDialog(IDD_SELECT_KEY, {check([](HWND dialog) {
                HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
                add(list, "m");
                EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 0, 0), 0);
                add(list, "a");
                EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
                add(list, "z");
                EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
              })});
}

TEST_F(ControlMessages, SelectStringMatchesAPrefixIgnoringCaseFromTheStart) {
  runInDialog(
      IDD_SELECT_FUNCTION, {check([](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
        for (const char *f : {"Move_Forward", "Look_Up", "Look_Down", "Jump"}) add(list, f);
        EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("look")), 1);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
        // The search starts after wParam and wraps around.
        EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, 1, reinterpret_cast<LPARAM>("LOOK")), 2);
        EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, 2, reinterpret_cast<LPARAM>("look_u")), 1);
        // No match: LB_ERR and the selection stays.
        EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Fire")),
                  LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
        // A text longer than every item matches nothing.
        EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Jumping")),
                  LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("")), 0);
      })});
}

TEST_F(ControlMessages, FindStringExactMatchesWholeTextsOnly) {
  runInDialog(
      IDD_SELECT_KEY, {check([](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
        for (const char *key : {"Kpad6", "Kpad", "F1", "F10"}) add(list, key);
        LPARAM f1 = reinterpret_cast<LPARAM>("f1");
        EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), f1), 0);
        EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("KPAD")), 2);
        EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Kpa")),
                  LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);  // finding selects nothing
      })});
}

TEST_F(ControlMessages, ListAnswersForEmptyAndOutOfRangeRows) {
  runInDialog(IDD_SELECT_FUNCTION, {check([](HWND dialog) {
                HWND list = GetDlgItem(dialog, IDC_SELECT_LIST);
                EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
                EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
                EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 0, 0), LB_ERR);
                EXPECT_EQ(SendMessageA(list, LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("")),
                          LB_ERR);
                add(list, "Fire");
                add(list, "Jump");
                EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 1, 0), 1);
                EXPECT_EQ(rowText(list, 2), "<error>");
                EXPECT_EQ(rowText(list, -1), "<error>");
                EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 1, 0), 4);
                EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 7, 0), LB_ERR);
                // -1 clears the selection and still answers LB_ERR, as does a row past the end.
                EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);
                EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
                SendMessageA(list, LB_SETCURSEL, 0, 0);
                EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 2, 0), LB_ERR);
                EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
                SendMessageA(list, LB_SETCURSEL, 0, 0);
                EXPECT_EQ(SendMessageA(list, LB_RESETCONTENT, 0, 0), 0);
                EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
                EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
              })});
}

TEST_F(ControlMessages, TabStopsAreKeptForListsThatUseThem) {
  runInDialog(IDD_INPUT_DEVICES, {check([](HWND dialog) {
                HWND actions = GetDlgItem(dialog, IDC_INPUT_ACTIONS);
                int stops[] = {96, 128};
                EXPECT_EQ(SendMessageA(actions, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(stops)), TRUE);
                EXPECT_EQ(actions->tabStops, (std::vector<int>{96, 128}));
                int every = 40;
                HWND mouse = GetDlgItem(dialog, IDC_INPUT_MOUSE_LIST);
                EXPECT_EQ(SendMessageA(mouse, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&every)), TRUE);
                EXPECT_EQ(mouse->tabStops, std::vector<int>{40});
              })});
  runInDialog(IDD_SELECT_KEY, {check([](HWND dialog) {
                int stops[] = {10};
                EXPECT_EQ(
                    SendDlgItemMessageA(dialog, IDC_SELECT_LIST, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(stops)),
                    FALSE);  // no LBS_USETABSTOPS
              })});
}

TEST_F(ControlMessages, DropDownListMessages) {
  runInDialog(
      IDD_MUSIC_SOUND_VIDEO, {check([](HWND dialog) {
        HWND combo = GetDlgItem(dialog, IDC_MSV_SAMPLE_RATE);
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_EQ(add(combo, "22050 Hz", CB_ADDSTRING), 0);
        EXPECT_EQ(add(combo, "11025 Hz", CB_ADDSTRING), 1);  // unsorted: appended
        EXPECT_EQ(add(combo, "8000 Hz", CB_ADDSTRING), 2);
        EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(rowText(combo, 1, CB_GETLBTEXT), "11025 Hz");
        EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 2, 0), 7);
        EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 2, 0), 2);
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
        EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("11")), 1);
        EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("8000 hz")),
                  2);
        EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 3, 0), CB_ERR);
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_EQ(rowText(combo, 3, CB_GETLBTEXT), "<error>");
        EXPECT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0), FALSE);
        EXPECT_EQ(SendMessageA(combo, CB_RESETCONTENT, 0, 0), 0);
        EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
      })});
}

TEST_F(ControlMessages, TrackbarRangeIsSignedAndClampsThePosition) {
  runInDialog(IDD_ADVANCED_MOUSE, {check([](HWND dialog) {
                HWND bar = GetDlgItem(dialog, IDC_MOUSE_X_SCALE);
                EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0), 0);  // Windows' defaults
                EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0), 100);
                SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELONG(-40, 40));
                EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0), -40);
                EXPECT_EQ(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0), 40);
                SendMessageA(bar, TBM_SETPOS, TRUE, -15);
                EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), -15);
                SendMessageA(bar, TBM_SETPOS, TRUE, 41);
                EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 40);
                SendMessageA(bar, TBM_SETPOS, TRUE, -99);
                EXPECT_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), -40);
                EXPECT_EQ(SendMessageA(bar, TBM_SETPAGESIZE, 0, 10), 20);  // answers the old size
                EXPECT_EQ(SendMessageA(bar, TBM_GETPAGESIZE, 0, 0), 10);
                SendMessageA(bar, TBM_SETTICFREQ, 5, 0);
                SendMessageA(bar, TBM_SETTHUMBLENGTH, 16, 0);
                EXPECT_EQ(bar->ticFrequency, 5);
                EXPECT_EQ(bar->thumbLength, 16);
              })});
}

TEST_F(ControlMessages, ButtonsTextsAndEnabling) {
  runInDialog(IDD_MUSIC_SOUND_VIDEO, {check([](HWND dialog) {
                EXPECT_TRUE(CheckDlgButton(dialog, IDC_MSV_MUSIC_ENABLED, BST_CHECKED));
                EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_MUSIC_ENABLED), BST_CHECKED);
                // Checking a radio button from code leaves the rest of its group alone.
                CheckDlgButton(dialog, IDC_MSV_8BIT, BST_CHECKED);
                CheckDlgButton(dialog, IDC_MSV_16BIT, BST_CHECKED);
                EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_8BIT), BST_CHECKED);
                EXPECT_FALSE(CheckDlgButton(dialog, 999, BST_CHECKED));
                EXPECT_EQ(IsDlgButtonChecked(dialog, 999), 0u);

                HWND device = GetDlgItem(dialog, IDC_MSV_MUSIC_DEVICE);
                EXPECT_TRUE(IsWindowEnabled(device));
                EXPECT_FALSE(EnableWindow(device, FALSE));  // answers whether it was disabled before
                EXPECT_FALSE(IsWindowEnabled(device));
                EXPECT_TRUE(EnableWindow(device, FALSE));
                EXPECT_TRUE(EnableWindow(device, TRUE));
                EXPECT_TRUE(IsWindowEnabled(device));

                char text[32];
                EXPECT_TRUE(SetDlgItemTextA(dialog, IDC_MSV_RESOLUTION_LABEL, "Screen:"));
                EXPECT_EQ(GetDlgItemTextA(dialog, IDC_MSV_RESOLUTION_LABEL, text, sizeof text), 7u);
                EXPECT_STREQ(text, "Screen:");
                EXPECT_EQ(GetDlgItemTextA(dialog, IDC_MSV_RESOLUTION_LABEL, text, 4), 3u);  // cut to fit
                EXPECT_STREQ(text, "Scr");
                EXPECT_TRUE(SetWindowTextA(dialog, "Renamed"));
                EXPECT_EQ(GetWindowTextA(dialog, text, sizeof text), 7);
                EXPECT_EQ(SendMessageA(dialog, WM_GETTEXTLENGTH, 0, 0), 7);
                SetWindowTextA(dialog, "Music, Sound and Video");
                EXPECT_EQ(GetDlgCtrlID(device), IDC_MSV_MUSIC_DEVICE);
                EXPECT_EQ(GetDlgItem(dialog, 4242), nullptr);
              })});
}

TEST_F(ControlMessages, SettingControlsFromCodeNeverNotifies) {
  runInDialog(IDD_MUSIC_SOUND_VIDEO, {check([](HWND dialog) {
                takeNotifications();
                HWND combo = GetDlgItem(dialog, IDC_MSV_VOICES);
                add(combo, "1", CB_ADDSTRING);
                add(combo, "2", CB_ADDSTRING);
                SendMessageA(combo, CB_SETCURSEL, 1, 0);
                SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("1"));
                SendMessageA(combo, CB_RESETCONTENT, 0, 0);
                CheckDlgButton(dialog, IDC_MSV_SOUND_ENABLED, BST_CHECKED);
                SendDlgItemMessageA(dialog, IDC_MSV_16BIT, BM_SETCHECK, BST_CHECKED, 0);
                EnableWindow(GetDlgItem(dialog, IDC_MSV_MUSIC_DEVICE), FALSE);
                SetDlgItemTextA(dialog, IDC_MSV_RESOLUTION_LABEL, "x");
                EXPECT_TRUE(takeNotifications().empty());
              })});
  runInDialog(IDD_ADVANCED_MOUSE, {check([](HWND dialog) {
                HWND bar = GetDlgItem(dialog, IDC_MOUSE_Y_SCALE);
                SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELONG(-40, 40));
                SendMessageA(bar, TBM_SETPOS, TRUE, 12);
                HWND list = GetDlgItem(dialog, IDC_MOUSE_ANALOG_X);
                add(list, "", CB_ADDSTRING);
                SendMessageA(list, CB_SETCURSEL, 0, 0);
                EXPECT_TRUE(takeNotifications().empty());
              })});
}

TEST_F(ControlMessages, BmClickActsLikeTheUser) {
  runInDialog(IDD_MUSIC_SOUND_VIDEO, {check([](HWND dialog) {
                takeNotifications();
                SendDlgItemMessageA(dialog, IDC_MSV_FULLSCREEN, BM_CLICK, 0, 0);
                EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_FULLSCREEN), BST_CHECKED);
                EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_MSV_FULLSCREEN));
                EXPECT_EQ(takeNotifications(),
                          std::vector<Notification>{command(dialog, IDC_MSV_FULLSCREEN, BN_CLICKED)});
                EnableWindow(GetDlgItem(dialog, IDC_MSV_FULLSCREEN), FALSE);
                SendDlgItemMessageA(dialog, IDC_MSV_FULLSCREEN, BM_CLICK, 0, 0);
                EXPECT_TRUE(takeNotifications().empty());
                EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MSV_FULLSCREEN), BST_CHECKED);
              })});
}

TEST_F(ControlMessages, StaleAndNullHandlesAnswerLikeInvalidOnes) {
  HWND stale = nullptr;
  runInDialog(IDD_SELECT_KEY, {check([&](HWND dialog) { stale = GetDlgItem(dialog, IDC_SELECT_LIST); })});
  ASSERT_NE(stale, nullptr);
  EXPECT_EQ(SendMessageA(stale, LB_GETCOUNT, 0, 0), 0);
  EXPECT_FALSE(EnableWindow(stale, TRUE));
  EXPECT_FALSE(SetWindowTextA(stale, "x"));
  EXPECT_FALSE(EndDialog(stale, 1));
  EXPECT_EQ(GetDlgItem(nullptr, 1), nullptr);
  EXPECT_EQ(SendMessageA(nullptr, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_EQ(GetFocus(), nullptr);
}

}  // namespace
