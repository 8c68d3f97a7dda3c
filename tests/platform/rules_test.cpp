/* The rules the core exports to every backend: who takes input, who takes
 * the focus, a text's mnemonic and its shown form, the character keys, what
 * Cancel sends, a control's name for screen readers, and a message box's
 * buttons and Escape answer.
 */
#include "platform/core/rules.h"
#include "platform/core/window.h"
#include "tests/platform/recording.h"
#include "ui/resource.h"

namespace {

using namespace userscript;

struct TextCase {
  const char *text;
  int mnemonic;
  const char *shown;
};

class MnemonicText : public testing::TestWithParam<TextCase> {};

TEST_P(MnemonicText, FirstSingleAmpersandMarksTheMnemonicAndNoMarkIsShown) {
  const TextCase &c = GetParam();
  EXPECT_EQ(mnemonicOf(c.text), c.mnemonic) << c.text;
  EXPECT_EQ(textWithoutMnemonicMarks(c.text), c.shown) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Texts, MnemonicText,
                         testing::Values(TextCase{"&Set", 'S', "Set"}, TextCase{"&cancel", 'C', "cancel"},
                                         TextCase{"Save &now", 'N', "Save now"},
                                         TextCase{"Fish && Chips", 0, "Fish & Chips"},
                                         TextCase{"&&&Both", 'B', "&Both"},
                                         TextCase{"One &two &three", 'T', "One two three"},
                                         TextCase{"&1st", '1', "1st"}, TextCase{"Ends with &", 0, "Ends with &"},
                                         TextCase{"Plain", 0, "Plain"}, TextCase{"", 0, ""}));

TEST(CharacterKeys, OnlyUpperCaseLettersAndDigitsAreCharacterKeys) {
  for (int key : {'A', 'M', 'Z', '0', '9'}) EXPECT_TRUE(isCharacterKey(key)) << key;
  // Lower-case codes are other virtual keys (numeric keypad, F keys).
  for (int key :
       std::initializer_list<int>{'a', 'z', '@', '[', '/', ':', VK_SPACE, VK_RETURN, VK_ESCAPE, VK_TAB, VK_LEFT, 0})
    EXPECT_FALSE(isCharacterKey(key)) << key;
}

class Rules : public PlatformTest {};

TEST_F(Rules, OnlyFocusableKindsTakeTheFocus) {
  runInDialog(IDD_SELECT_KEY, {check([](HWND dialog) {
                for (HWND control : dialog->controls) {
                  bool expected = control->kind != WindowKind::Static && control->kind != WindowKind::GroupBox;
                  EXPECT_EQ(takesFocus(control), expected) << control->id;
                }
                EXPECT_FALSE(takesFocus(dialog));
                EXPECT_FALSE(takesFocus(nullptr));
              })});
  runInDialog(IDD_ADVANCED_MOUSE, {check([](HWND dialog) {
                EXPECT_TRUE(takesFocus(GetDlgItem(dialog, IDC_MOUSE_X_SCALE)));
                EXPECT_TRUE(takesFocus(GetDlgItem(dialog, IDC_MOUSE_ANALOG_X)));
                EXPECT_FALSE(takesFocus(GetDlgItem(dialog, IDC_MOUSE_X_LABEL)));
              })});
  runInDialog(IDD_MAIN_MENU, {check([](HWND dialog) {
                // The "Select a category" frame.
                EXPECT_FALSE(takesFocus(dialog->controls[1]));
                EXPECT_TRUE(takesFocus(GetDlgItem(dialog, IDC_MENU_SAVE)));
              })});
}

// Input goes only to the active dialog while it is enabled and not ended, and
// to its visible, enabled controls.
TEST_F(Rules, InputReachesOnlyTheActiveDialogAndItsEnabledControls) {
  HWND menu = nullptr;
  RecordingHook = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_MENU_INPUT_DEVICES)
      DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SELECT_KEY), dialog, recordingProc, 0);
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
    return message == WM_INITDIALOG;
  };
  expectDialog("Tarrengard Configuration", {check([&](HWND dialog) {
                                              menu = dialog;
                                              EXPECT_TRUE(acceptsInput(dialog));
                                              EXPECT_TRUE(acceptsInput(GetDlgItem(dialog, IDC_MENU_SAVE)));
                                              EnableWindow(GetDlgItem(dialog, IDC_MENU_SAVE), FALSE);
                                              EXPECT_FALSE(acceptsInput(GetDlgItem(dialog, IDC_MENU_SAVE)));
                                              EnableWindow(GetDlgItem(dialog, IDC_MENU_SAVE), TRUE);
                                            }),
                                            click(IDC_MENU_INPUT_DEVICES), check([](HWND dialog) {
                                              // Ended, but its message has not returned yet.
                                              EndDialog(dialog, 0);
                                              EXPECT_FALSE(acceptsInput(dialog));
                                              EXPECT_FALSE(acceptsInput(GetDlgItem(dialog, IDC_MENU_EXIT)));
                                            })});
  expectDialog("Select Key", {check([&](HWND dialog) {
                                EXPECT_FALSE(acceptsInput(menu));  // the owner, under a nested dialog
                                EXPECT_FALSE(acceptsInput(GetDlgItem(menu, IDC_MENU_EXIT)));
                                EXPECT_TRUE(acceptsInput(dialog));
                                EXPECT_TRUE(acceptsInput(GetDlgItem(dialog, IDOK)));
                                EXPECT_FALSE(acceptsInput(GetDlgItem(dialog, IDC_SELECT_LIST)));  // disabled
                                EXPECT_FALSE(acceptsInput(nullptr));
                              }),
                              key(VK_ESCAPE)});
  runDialog(IDD_MAIN_MENU);
  EXPECT_FALSE(acceptsInput(menu));  // gone
}

// Escape and an unhandled close box: IDCANCEL with the Cancel button, which
// a dialog may not have.
TEST_F(Rules, CancelNamesTheCancelButtonWhereThereIsOne) {
  runInDialog(IDD_SELECT_KEY, {check([](HWND dialog) {
                takeNotifications();
                sendCancel(dialog);
                EXPECT_EQ(takeNotifications(), (std::vector<Notification>{command(dialog, IDCANCEL, BN_CLICKED)}));
                EXPECT_NE(GetDlgItem(dialog, IDCANCEL), nullptr);
              })});
  runInDialog(IDD_MUSIC_SOUND_VIDEO, {check([](HWND dialog) {
                takeNotifications();
                sendCancel(dialog);
                EXPECT_EQ(takeNotifications(), (std::vector<Notification>{{WM_COMMAND, IDCANCEL, BN_CLICKED, 0}}));
              })});
}

// ---- Names for screen readers ------------------------------------------------------

// The cases the six dialogs as they open do not reach (tests/qt checks every
// control of them): a hidden or emptied label, a control with nothing before
// it. Control numbers are template positions.
struct NameCase {
  const char *what;
  int dialog;
  size_t control;
  std::function<void(HWND dialog)> change;
  const char *name;
};

TEST_F(Rules, AControlIsNamedByItsTextOrTheLabelWindowsFindsForIt) {
  auto hide = [](size_t i) { return [i](HWND d) { d->controls[i]->style &= ~WS_VISIBLE; }; };
  auto blank = [](size_t i) { return [i](HWND d) { d->controls[i]->text = "  "; }; };
  const NameCase cases[] = {
      {"a drop-down list: its label", IDD_MUSIC_SOUND_VIDEO, 3, [](HWND) {}, "Music device:"},
      {"a hidden label still names", IDD_MUSIC_SOUND_VIDEO, 3, hide(2), "Music device:"},
      // The blank label ends the search; none after it before "Enabled", so
      // the nearest label further back: the frame "Music".
      {"a blank label names nothing", IDD_MUSIC_SOUND_VIDEO, 3, blank(2), "Music"},
      {"a list with its label after it", IDD_INPUT_DEVICES, 2, [](HWND) {}, "Action"},
      {"a blank label after it: the frame", IDD_INPUT_DEVICES, 2, blank(3), "Key Assignments"},
      {"a blank button: nothing before, its frame", IDD_INPUT_DEVICES, 0, blank(0), "Key Assignments"},
      {"a blank button outside every frame", IDD_MAIN_MENU, 0, blank(0), ""},
      {"a mnemonic mark is not read", IDD_SELECT_KEY, 4, [](HWND) {}, "Set"},
      {"a label without prefixes reads its '&'", IDD_SELECT_KEY, 2,
       [](HWND d) { SetWindowTextA(d->controls[1], " Fish & Chips "); }, "Fish & Chips"},
  };
  for (const NameCase &c : cases) {
    SCOPED_TRACE(c.what);
    runInDialog(c.dialog, {check([&c](HWND dialog) {
                  c.change(dialog);
                  EXPECT_EQ(accessibleNameOf(dialog->controls[c.control]), c.name);
                  EXPECT_EQ(accessibleNameOf(dialog), "");
                })});
  }
}

// The program's own name stands in only while the control shows no text: a
// filled note is read as it reads.
TEST_F(Rules, AShownTextNamesAControlBeforeTheProgramsOwnName) {
  runInDialog(IDD_SELECT_KEY, {check([](HWND dialog) {
                HWND note = GetDlgItem(dialog, IDC_SELECT_ALSO_BOUND);
                ASSERT_NE(findAccessibleName(IDD_SELECT_KEY, IDC_SELECT_ALSO_BOUND), nullptr);
                EXPECT_EQ(accessibleNameOf(note), findAccessibleName(IDD_SELECT_KEY, IDC_SELECT_ALSO_BOUND));
                SetWindowTextA(note, "Also bound to: Crouch (secondary)");
                EXPECT_EQ(accessibleNameOf(note), "Also bound to: Crouch (secondary)");
              })});
}

// ---- Message boxes ------------------------------------------------------------------

struct BoxCase {
  const char *name;
  UINT type;
  std::vector<int> buttons;
  int escapeAnswer;
};

class MessageBoxType : public testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxType, ButtonsLeftToRightAndWhatEscapeAnswers) {
  const BoxCase &c = GetParam();
  for (UINT icon : {0u, MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING, MB_ICONINFORMATION}) {
    MessageBoxButtons buttons = messageBoxButtons(c.type | icon);
    EXPECT_EQ(std::vector<int>(buttons.answers, buttons.answers + buttons.count), c.buttons) << icon;
    EXPECT_EQ(messageBoxEscapeAnswer(c.type | icon), c.escapeAnswer) << icon;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryType, MessageBoxType,
    testing::Values(BoxCase{"Ok", MB_OK, {IDOK}, IDOK}, BoxCase{"OkCancel", MB_OKCANCEL, {IDOK, IDCANCEL}, IDCANCEL},
                    // Windows ignores Escape and greys the close box where there is no Cancel.
                    BoxCase{"AbortRetryIgnore", MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, 0},
                    BoxCase{"YesNoCancel", MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
                    BoxCase{"YesNo", MB_YESNO, {IDYES, IDNO}, 0},
                    BoxCase{"RetryCancel", MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDCANCEL}),
    [](const testing::TestParamInfo<BoxCase> &info) { return std::string(info.param.name); });

}  // namespace
