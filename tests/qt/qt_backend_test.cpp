// What only the Qt backend can get wrong: pixels (dialog units, clipped
// texts, tab-stop columns), window decorations, the order of notifications
// that real widget events produce, modality, and starting without a display.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtTest/QTest>
#include <QtWidgets>
#include <cstddef>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktop.h"
#include "tests/qt/qt_test_support.h"

extern char **environ;

namespace {

using namespace userscript;

// ---- Notifications recorded as a dialog procedure sees them ----------------------

struct Notification {
  int id;
  int code;
  bool operator==(const Notification &other) const { return id == other.id && code == other.code; }
};
std::ostream &operator<<(std::ostream &out, const Notification &n) { return out << n.id << ":" << n.code; }

std::vector<Notification> Recorded;

// Records every command and scroll; ends on IDOK and IDCANCEL like the dialogs.
INT_PTR CALLBACK recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    if (HWND bar = GetDlgItem(dialog, IDC_MOUSE_X_SCALE)) {
      SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(static_cast<WORD>(-40), 40));
      SendMessageA(bar, TBM_SETPAGESIZE, 0, 10);
      SendMessageA(bar, TBM_SETPOS, TRUE, 10);
    }
    if (HWND combo = GetDlgItem(dialog, IDC_MSV_VOICES)) {
      for (const char *row : {"1", "2", "4", "8"}) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
      SendMessageA(combo, CB_SETCURSEL, 1, 0);
    }
    return TRUE;
  }
  if (message == WM_COMMAND) {
    Recorded.push_back({LOWORD(wParam), HIWORD(wParam)});
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  if (message == WM_HSCROLL) {
    Recorded.push_back({GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), 1000 + LOWORD(wParam)});
    return TRUE;
  }
  return FALSE;
}

TEST_F(QtBackend, PickingFromADropDownListNotifiesInTheWindowsOrder) {
  Recorded.clear();
  expectDialog("Music, Sound and Video", {selectRow(IDC_MSV_VOICES, 3), click(IDOK)});
  EXPECT_EQ(openDialog(IDD_MUSIC_SOUND_VIDEO, recordingProc), IDOK);
  std::vector<Notification> voices;
  for (const Notification &n : Recorded)
    if (n.id == IDC_MSV_VOICES) voices.push_back(n);
  const std::vector<Notification> windowsOrder = {{IDC_MSV_VOICES, CBN_SETFOCUS},  {IDC_MSV_VOICES, CBN_DROPDOWN},
                                                  {IDC_MSV_VOICES, CBN_SELENDOK},  {IDC_MSV_VOICES, CBN_CLOSEUP},
                                                  {IDC_MSV_VOICES, CBN_SELCHANGE}, {IDC_MSV_VOICES, CBN_KILLFOCUS}};
  EXPECT_EQ(voices, windowsOrder);
}

TEST_F(QtBackend, ADropDownListWorksFromTheKeyboardAlone) {
  // F4 opens the focused list, Down highlights the next row, Tab picks it and
  // moves on to the next control.
  Recorded.clear();
  bool movedOn = false;
  int picked = -1;
  expectDialog("Music, Sound and Video", {focus(IDC_MSV_VOICES), inspect([&](HWND d) {
                                            Recorded.clear();
                                            QWindow *window = qtWidgetFor(d)->windowHandle();
                                            QTest::keyClick(window, Qt::Key_F4);
                                            QWidget *popup = QApplication::activePopupWidget();
                                            ASSERT_NE(popup, nullptr);
                                            QTest::keyClick(popup->windowHandle(), Qt::Key_Down);
                                            QTest::keyClick(popup->windowHandle(), Qt::Key_Tab);
                                            movedOn = GetFocus() == GetDlgItem(d, IDC_MSV_8BIT);
                                            picked = (int)SendDlgItemMessageA(d, IDC_MSV_VOICES, CB_GETCURSEL, 0, 0);
                                          }),
                                          key(VK_ESCAPE)});
  openDialog(IDD_MUSIC_SOUND_VIDEO, recordingProc);
  EXPECT_TRUE(movedOn);
  EXPECT_EQ(picked, 2);  // row 1 at the start, one down
  const std::vector<Notification> windowsOrder = {{IDC_MSV_VOICES, CBN_DROPDOWN},  {IDC_MSV_VOICES, CBN_SELENDOK},
                                                  {IDC_MSV_VOICES, CBN_CLOSEUP},   {IDC_MSV_VOICES, CBN_SELCHANGE},
                                                  {IDC_MSV_VOICES, CBN_KILLFOCUS}, {IDCANCEL, BN_CLICKED}};
  EXPECT_EQ(Recorded, windowsOrder);
}

TEST_F(QtBackend, AListOpenedAndClosedUnchosenThenAClickElsewhereNotifyInTheWindowsOrder) {
  Recorded.clear();
  expectDialog("Music, Sound and Video", {focus(IDC_MSV_VOICES), click(IDC_MSV_FULLSCREEN), click(IDOK)});
  openDialog(IDD_MUSIC_SOUND_VIDEO, recordingProc);
  const std::vector<Notification> windowsOrder = {{IDC_MSV_VOICES, CBN_SETFOCUS},
                                                  {IDC_MSV_VOICES, CBN_DROPDOWN},
                                                  {IDC_MSV_VOICES, CBN_SELENDCANCEL},
                                                  {IDC_MSV_VOICES, CBN_CLOSEUP},
                                                  {IDC_MSV_VOICES, CBN_KILLFOCUS},
                                                  {IDC_MSV_FULLSCREEN, BN_CLICKED},
                                                  {IDOK, BN_CLICKED}};
  EXPECT_EQ(Recorded, windowsOrder);
}

TEST_F(QtBackend, ProgrammaticChangesShowInTheWidgetsWithoutANotification) {
  Recorded.clear();
  bool checked = false, enabled = true;
  int shown = -1;
  expectDialog("Music, Sound and Video",
               {inspect([&](HWND d) {
                  CheckDlgButton(d, IDC_MSV_FULLSCREEN, BST_CHECKED);
                  SendDlgItemMessageA(d, IDC_MSV_VOICES, CB_SETCURSEL, 2, 0);
                  EnableWindow(GetDlgItem(d, IDC_MSV_SAMPLE_RATE), FALSE);
                  auto *box = static_cast<QCheckBox *>(qtWidgetFor(GetDlgItem(d, IDC_MSV_FULLSCREEN)));
                  checked = box->isChecked();
                  shown = static_cast<QComboBox *>(qtWidgetFor(GetDlgItem(d, IDC_MSV_VOICES)))->currentIndex();
                  enabled = qtWidgetFor(GetDlgItem(d, IDC_MSV_SAMPLE_RATE))->isEnabled();
                }),
                key(VK_ESCAPE)});
  openDialog(IDD_MUSIC_SOUND_VIDEO, recordingProc);
  EXPECT_TRUE(checked);
  EXPECT_EQ(shown, 2);
  EXPECT_FALSE(enabled);
  EXPECT_EQ(Recorded, (std::vector<Notification>{{IDCANCEL, BN_CLICKED}}));
}

TEST_F(QtBackend, TrackBarKeysAndClicksPageAsOnWindows) {
  Recorded.clear();
  int afterPageUp = 0, afterClickRight = 0;
  int value = 0;
  expectDialog("Advanced Mouse Options",
               {key(VK_PRIOR), inspect([&](HWND d) {
                  afterPageUp = (int)SendDlgItemMessageA(d, IDC_MOUSE_X_SCALE, TBM_GETPOS, 0, 0);
                }),
                inspect([&](HWND d) {
                  // A click right of the thumb pages up in value (Page Down).
                  auto *slider = static_cast<TgSlider *>(qtWidgetFor(GetDlgItem(d, IDC_MOUSE_X_SCALE)));
                  QPoint beside(slider->handleRect().right() + 20, slider->handleRect().center().y());
                  QTest::mouseClick(slider->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                                    slider->mapTo(slider->window(), beside));
                  afterClickRight = (int)SendDlgItemMessageA(d, IDC_MOUSE_X_SCALE, TBM_GETPOS, 0, 0);
                  value = slider->value();
                }),
                key(VK_ESCAPE)});
  openDialog(IDD_ADVANCED_MOUSE, recordingProc);
  EXPECT_EQ(afterPageUp, 0);  // Page Up decreases: 10 - 10
  EXPECT_EQ(afterClickRight, 10);
  EXPECT_EQ(value, 10);  // the slider shows the core's position
  const std::vector<Notification> expected = {{IDC_MOUSE_X_SCALE, 1000 + TB_PAGEUP},
                                              {IDC_MOUSE_X_SCALE, 1000 + TB_ENDTRACK},
                                              {IDC_MOUSE_X_SCALE, 1000 + TB_PAGEDOWN},
                                              {IDC_MOUSE_X_SCALE, 1000 + TB_ENDTRACK},
                                              {IDCANCEL, BN_CLICKED}};
  EXPECT_EQ(Recorded, expected);
}

TEST_F(QtBackend, DraggingTheThumbStepsThroughEveryPosition) {
  Recorded.clear();
  expectDialog("Advanced Mouse Options", {dragTrackbar(IDC_MOUSE_X_SCALE, 13), key(VK_ESCAPE)});
  openDialog(IDD_ADVANCED_MOUSE, recordingProc);
  std::vector<Notification> tracks;
  for (const Notification &n : Recorded)
    if (n.code == 1000 + TB_THUMBTRACK) tracks.push_back(n);
  EXPECT_EQ(tracks.size(), 3u);  // 11, 12, 13
}

TEST_F(QtBackend, AltMnemonicsAndEscapeReachTheProcedureOnceThroughTheCore) {
  // Alt+C is "&Cancel": one BN_CLICKED, not also a click by Qt's own shortcut.
  Recorded.clear();
  expectDialog("Select Key", {altKey('c')});
  EXPECT_EQ(openDialog(IDD_SELECT_KEY, recordingProc), IDCANCEL);
  EXPECT_EQ(Recorded, (std::vector<Notification>{{IDCANCEL, BN_CLICKED}}));

  // Alt+S is "&Set", whichever control has the focus.
  Recorded.clear();
  expectDialog("Select Key", {key(VK_TAB), altKey('S')});
  EXPECT_EQ(openDialog(IDD_SELECT_KEY, recordingProc), IDOK);
  EXPECT_EQ(Recorded, (std::vector<Notification>{{IDOK, BN_CLICKED}}));

  // QDialog's own reject (what its Escape handling calls) is IDCANCEL too.
  Recorded.clear();
  expectDialog("Select Key", {inspect([](HWND d) { static_cast<QDialog *>(qtWidgetFor(d))->reject(); })});
  EXPECT_EQ(openDialog(IDD_SELECT_KEY, recordingProc), IDCANCEL);
  EXPECT_EQ(Recorded, (std::vector<Notification>{{IDCANCEL, BN_CLICKED}}));
}

TEST_F(QtBackend, TabMovesTheWidgetFocusAndShowsTheFocusFrame) {
  bool focused = false, frameShown = false;
  expectDialog("Music, Sound and Video", {key(VK_TAB), inspect([&](HWND d) {
                                            QWidget *device = qtWidgetFor(GetDlgItem(d, IDC_MSV_MUSIC_DEVICE));
                                            focused = QApplication::focusWidget() == device;
                                            frameShown = device->window()->testAttribute(Qt::WA_KeyboardFocusChange);
                                          }),
                                          key(VK_ESCAPE)});
  openDialog(IDD_MUSIC_SOUND_VIDEO, musicSoundVideoDialogProc);
  EXPECT_TRUE(focused);
  EXPECT_TRUE(frameShown);
}

TEST_F(QtBackend, AFocusedPushButtonLooksLikeTheDefaultAndLeavingItRestoresTheRealOne) {
  auto looksDefault = [](HWND d, int id) {
    return static_cast<QPushButton *>(qtWidgetFor(GetDlgItem(d, id)))->isDefault();
  };
  bool secondaryAtOpen = false, closeAtOpen = true, secondaryAfter = true, closeAfter = false;
  expectDialog("Input Devices", {inspect([&](HWND d) {
                                   secondaryAtOpen = looksDefault(d, IDC_INPUT_SELECT_SECONDARY);  // focused at opening
                                   closeAtOpen = looksDefault(d, IDOK);
                                 }),
                                 selectRow(IDC_INPUT_ACTIONS, 3), inspect([&](HWND d) {
                                   secondaryAfter = looksDefault(d, IDC_INPUT_SELECT_SECONDARY);
                                   closeAfter = looksDefault(d, IDOK);
                                 }),
                                 key(VK_ESCAPE)});
  openDialog(IDD_INPUT_DEVICES, inputDevicesDialogProc);
  EXPECT_TRUE(secondaryAtOpen);
  EXPECT_FALSE(closeAtOpen);
  EXPECT_FALSE(secondaryAfter);
  EXPECT_TRUE(closeAfter);
}

TEST_F(QtBackend, EveryWindowCarriesTheProgramIconOnceTheMenuHasSetIt) {
  QList<QSize> sizes;
  bool dialogHasIcon = false;
  expectDialog("Tarrengard Configuration", {click(IDC_MENU_MUSIC_SOUND_VIDEO), key(VK_ESCAPE)});
  expectDialog("Music, Sound and Video", {inspect([&](HWND d) {
                                            sizes = qtWidgetFor(d)->windowIcon().availableSizes();
                                            dialogHasIcon = !qtWidgetFor(d)->windowIcon().isNull();
                                          }),
                                          key(VK_ESCAPE)});
  openDialog(IDD_MAIN_MENU, mainMenuDialogProc);
  EXPECT_TRUE(dialogHasIcon);
  for (int size : {16, 24, 32, 48}) EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

// A dialog's tooltip shows over the dialog and over every control that has
// none of its own, as the Windows program adds each control as a tool.
TEST_F(QtBackend, ADialogsToolTipShowsOverItsControls) {
  QString onDialog, overButton, afterClearing = "unset";
  expectDialog("Tarrengard Configuration", {inspect([&](HWND d) {
                                              setWindowToolTip(d, "/games/Tarrengard Gold");
                                              onDialog = qtWidgetFor(d)->toolTip();
                                              QWidget *button = qtWidgetFor(GetDlgItem(d, IDC_MENU_SAVE));
                                              QHelpEvent help(QEvent::ToolTip, button->rect().center(),
                                                              button->mapToGlobal(button->rect().center()));
                                              QApplication::sendEvent(button, &help);
                                              overButton = QToolTip::text();
                                              QToolTip::hideText();
                                              setWindowToolTip(d, nullptr);
                                              afterClearing = qtWidgetFor(d)->toolTip();
                                            }),
                                            key(VK_ESCAPE)});
  openDialog(IDD_MAIN_MENU, mainMenuDialogProc);
  EXPECT_EQ(onDialog, "/games/Tarrengard Gold");
  EXPECT_EQ(overButton, "/games/Tarrengard Gold");
  EXPECT_EQ(afterClearing, "");
}

// ---- Modality and the caption's close box -------------------------------------------

// Counts the mouse presses that reach a widget.
class PressCounter : public QObject {
 public:
  int presses = 0;
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() == QEvent::MouseButtonPress) ++presses;
    return false;
  }
};

TEST_F(QtBackend, TheOwnerTakesNoClicksWhileANestedDialogIsOpen) {
  int ownerClosed = -1, pressesOnOwner = -1, pressesAfter = -1;
  PressCounter counter;
  QWidget *ownerClose = nullptr;
  auto clickOwnerClose = [&] {
    QTest::mouseClick(ownerClose->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      ownerClose->mapTo(ownerClose->window(), ownerClose->rect().center()));
  };
  expectDialog("Input Devices", {inspect([&](HWND d) {
                                   ownerClose = qtWidgetFor(GetDlgItem(d, IDOK));
                                   ownerClose->installEventFilter(&counter);
                                 }),
                                 selectRow(IDC_INPUT_ACTIONS, 9), click(IDC_INPUT_SELECT_PRIMARY),
                                 // Back on top, the same click reaches it.
                                 inspect([&](HWND) {
                                   clickOwnerClose();
                                   pressesAfter = counter.presses;
                                 })});
  expectDialog("Select Primary Key", {inspect([&](HWND d) {
                                        clickOwnerClose();
                                        pressesOnOwner = counter.presses;
                                        ownerClosed = d->owner->ended ? 1 : 0;
                                      }),
                                      key(VK_ESCAPE)});
  openDialog(IDD_INPUT_DEVICES, inputDevicesDialogProc);
  EXPECT_EQ(pressesOnOwner, 0);  // Qt's modality held the click back
  EXPECT_EQ(ownerClosed, 0);
  EXPECT_EQ(pressesAfter, 1);
}

TEST_F(QtBackend, TheCloseBoxOfADialogWithoutOneClosesNothing) {
  bool stillOpen = false;
  expectDialog("Music, Sound and Video", {inspect([&](HWND d) {
                                            QCloseEvent event;
                                            QCoreApplication::sendEvent(qtWidgetFor(d)->windowHandle(), &event);
                                            stillOpen = qtWidgetFor(d)->isVisible() && !d->ended;
                                          }),
                                          key(VK_ESCAPE)});
  openDialog(IDD_MUSIC_SOUND_VIDEO, musicSoundVideoDialogProc);
  EXPECT_TRUE(stillOpen);
}

// Real Escape keys and close requests on each type of message box: a box with
// OK or Cancel ends with its Escape answer, Yes/No and Abort/Retry/Ignore
// stay up, and only those show no close box.
TEST_F(QtBackend, MessageBoxesTakeEscapeAndTheCloseBoxOnlyWhereWindowsDoes) {
  struct Case {
    UINT type;
    int answer;
    std::vector<Action> presses;
    bool closeButton;
  } cases[] = {{MB_OK | MB_ICONINFORMATION, IDOK, {key(VK_ESCAPE)}, true},
               {MB_OKCANCEL, IDCANCEL, {closeBox()}, true},
               {MB_YESNOCANCEL, IDCANCEL, {key(VK_ESCAPE)}, true},
               {MB_RETRYCANCEL, IDCANCEL, {closeBox()}, true},
               {MB_YESNO | MB_ICONQUESTION, IDYES, {key(VK_ESCAPE), closeBox()}, false},
               {MB_ABORTRETRYIGNORE, IDIGNORE, {closeBox(), key(VK_ESCAPE)}, false}};
  for (const Case &c : cases) {
    bool closeButton = !c.closeButton;
    std::vector<Action> first = {inspect([&](HWND) {
      QWidget *box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      closeButton = box->windowFlags() & Qt::WindowCloseButtonHint;
      EXPECT_FALSE(box->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    })};
    first.insert(first.end(), c.presses.begin(), c.presses.end());
    expectMessageBox(c.answer, first);
    EXPECT_EQ(MessageBoxA(nullptr, "Text", "Caption", c.type), c.answer) << c.type;
    EXPECT_EQ(closeButton, c.closeButton) << c.type;
  }
}

// ---- Pixels -------------------------------------------------------------------------

TEST_F(QtBackend, EveryDialogIsLaidOutInDialogUnitsWithNothingClipped) { inEveryDialog(expectLaidOutInDialogUnits); }

TEST_F(QtBackend, BaseUnitsComeFromTheDialogFont) {
  qtEnsureApplication();
  // The usual size: the offscreen platform's 800x600 screen holds every dialog.
  EXPECT_EQ(qtDialogFont().pointSizeF(), 9);
  QFontMetrics metrics(qtDialogFont());
  EXPECT_EQ(qtBaseUnitY(), metrics.height());
  int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  EXPECT_GE(qtBaseUnitX(), (letters / 26 + 1) / 2);
  EXPECT_EQ(qtDialogUnitsToPixelsY(8), qtBaseUnitY());
  EXPECT_EQ(qtDialogUnitsToPixelsX(4), qRound(qtBaseUnitX()));
}

// The first pixel column with text ink at or after `from` in a list row.
int firstInkColumn(const QImage &row, int from) {
  QColor background = row.pixelColor(row.width() - 2, row.height() / 2);
  for (int x = from; x < row.width(); ++x) {
    for (int y = 0; y < row.height(); ++y) {
      QColor c = row.pixelColor(x, y);
      if (std::abs(c.lightness() - background.lightness()) > 80) return x;
    }
  }
  return -1;
}

TEST_F(QtBackend, ListColumnsStartAtTheirTabStops) {
  struct Column {
    int list, row, units;
  };
  std::vector<std::pair<int, int>> found;  // (ink column, expected stop)
  expectDialog("Input Devices",
               {inspect([&](HWND d) {
                  // Action list: stops 96 and 128; mouse list: every 40.
                  for (Column c : {Column{IDC_INPUT_ACTIONS, 0, 96}, Column{IDC_INPUT_ACTIONS, 0, 128},
                                   Column{IDC_INPUT_MOUSE_LIST, 0, 40}}) {
                    auto *list = static_cast<QListWidget *>(qtWidgetFor(GetDlgItem(d, c.list)));
                    QRect rect = list->visualItemRect(list->item(c.row));
                    QImage image = list->viewport()->grab(rect).toImage();
                    QStyleOptionViewItem option;
                    option.initFrom(list);
                    option.rect = QRect(QPoint(0, 0), rect.size());
                    int textLeft = list->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, list).left();
                    int stop = textLeft + qtDialogUnitsToPixelsX(c.units);
                    found.push_back({firstInkColumn(image, stop - 4), stop});
                  }
                }),
                key(VK_ESCAPE)});
  openDialog(IDD_INPUT_DEVICES, inputDevicesDialogProc);
  ASSERT_EQ(found.size(), 3u);
  for (auto [ink, stop] : found) {
    EXPECT_GE(ink, stop);      // nothing drawn just before the stop
    EXPECT_LE(ink, stop + 3);  // the column's first letter right at it
  }
}

// ---- The program --------------------------------------------------------------------------

#ifdef TG_SETUP_PROGRAM
// Runs the program with the display variables replaced by `display`;
// returns its exit status and what it wrote to standard error.
int runWithDisplay(const std::vector<std::string> &display, std::string *errors) {
  char folder[] = "/tmp/tg-nodisplay.XXXXXX";
  if (!mkdtemp(folder)) return -1;
  std::string output = std::string(folder) + "/stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> env = display;
  for (char **e = environ; *e; ++e) {
    std::string entry = *e;
    if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
        entry.rfind("QT_QPA_PLATFORM=", 0) == 0)
      continue;
    env.push_back(entry);
  }
  std::vector<char *> envp;
  for (std::string &entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  char *argv[] = {const_cast<char *>(TG_SETUP_PROGRAM), nullptr};
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, TG_SETUP_PROGRAM, &actions, nullptr, argv, envp.data()) == 0 &&
      waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    status = WEXITSTATUS(status);
  else
    status = -1;
  posix_spawn_file_actions_destroy(&actions);
  QFile file(QString::fromStdString(output));
  if (file.open(QIODevice::ReadOnly)) *errors = QString::fromUtf8(file.readAll()).toStdString();
  std::filesystem::remove_all(folder);
  return status;
}

void expectAdviceOnVariables(const std::string &text) {
  EXPECT_NE(text.find("DISPLAY"), std::string::npos) << text;
  EXPECT_NE(text.find("WAYLAND_DISPLAY"), std::string::npos) << text;
  EXPECT_NE(text.find("QT_QPA_PLATFORM=offscreen"), std::string::npos) << text;
}

TEST(DesktopProgram, WithoutADisplaySaysWhichVariableToSetAndEndsWithOne) {
  std::string text;
  EXPECT_EQ(runWithDisplay({}, &text), 1);
  EXPECT_NE(text.find("no display found"), std::string::npos) << text;
  expectAdviceOnVariables(text);
}

// A DISPLAY left over from a closed session: Qt would abort with a message
// about plugins.
TEST(DesktopProgram, ADisplayThatDoesNotAnswerIsNamedAndEndsWithOne) {
  std::string text;
  EXPECT_EQ(runWithDisplay({"DISPLAY=:7391"}, &text), 1);
  EXPECT_NE(text.find("DISPLAY=:7391 does not answer"), std::string::npos) << text;
  expectAdviceOnVariables(text);

  EXPECT_EQ(runWithDisplay({"WAYLAND_DISPLAY=tg-no-such-wayland-7391"}, &text), 1);
  EXPECT_NE(text.find("WAYLAND_DISPLAY=tg-no-such-wayland-7391 does not answer"), std::string::npos) << text;
  expectAdviceOnVariables(text);
}

// An X server that hangs up on every client once it has read its request:
// on the abstract socket of the first free display number from 90, on a
// thread of its own until it is destroyed.
class RefusingXServer {
 public:
  RefusingXServer() {
    for (int number = 90; number < 200 && listener_ < 0; ++number) {
      std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
      if (std::filesystem::exists(name)) continue;
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::memcpy(address.sun_path + 1, name.data(), name.size());
      int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      if (bind(fd, reinterpret_cast<sockaddr *>(&address), offsetof(sockaddr_un, sun_path) + 1 + name.size()) == 0 &&
          listen(fd, 8) == 0) {
        listener_ = fd;
        display_ = ":" + std::to_string(number);
      } else {
        close(fd);
      }
    }
    if (listener_ >= 0)
      thread_ = std::thread([this] {
        for (int client; (client = accept(listener_, nullptr, nullptr)) >= 0; close(client)) {
          // Read first: a write of the client's must never meet a closed socket.
          char request[64];
          ssize_t got = read(client, request, sizeof request);
          (void)got;
        }
      });
  }
  ~RefusingXServer() {
    if (listener_ < 0) return;
    shutdown(listener_, SHUT_RDWR);  // ends the accept
    thread_.join();
    close(listener_);
  }
  const std::string &display() const { return display_; }

 private:
  int listener_ = -1;
  std::string display_;
  std::thread thread_;
};

// Qt would abort, after a message about reinstalling the application.
TEST(DesktopProgram, AnXServerThatRefusesTheConnectionIsNamedAndEndsWithOne) {
  RefusingXServer server;
  ASSERT_FALSE(server.display().empty()) << "no free display number";
  std::string text;
  EXPECT_EQ(runWithDisplay({"DISPLAY=" + server.display()}, &text), 1);
  EXPECT_NE(text.find("DISPLAY=" + server.display() + " refused the connection"), std::string::npos) << text;
  expectAdviceOnVariables(text);
}
#endif

// A named pipe where the remembered folder is kept means none is remembered:
// reading it would wait for a writer forever, before any window.
TEST(RememberedFolder, ANamedPipeInItsFilesPlaceMeansNone) {
  std::string folder = std::string(getenv("XDG_CONFIG_HOME")) + "/Tarrengard";
  std::filesystem::create_directories(folder);
  ASSERT_EQ(mkfifo((folder + "/Setup.conf").c_str(), 0600), 0);
  pid_t child = fork();
  if (child == 0) {
    alarm(20);
    std::string remembered;
    _exit(!loadRememberedFolder(&remembered) && !storeRememberedFolder("/x") ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  std::filesystem::remove(folder + "/Setup.conf");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

}  // namespace
