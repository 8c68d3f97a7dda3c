// The Qt key-capture box as Qt alone can get it wrong: which key a key event
// is (by its native scan code, the XKB keycode), and that every key reaches
// the box as a key, before Qt gives Tab, Escape or a shortcut a meaning of
// its own. The events go straight to the box; the scenarios of tests/ui
// drive it through the scripted user.
#include <gtest/gtest.h>

#include <QtWidgets>

#include "platform/key_codes.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_key_capture.h"

namespace {

QKeyEvent keyEvent(QEvent::Type type, int key, quint32 native, bool autoRepeat = false) {
  return QKeyEvent(type, key, Qt::NoModifier, native, 0, 0, QString(), autoRepeat);
}

TEST(QtKeyCapture, AKeyIsKnownByItsNativeScanCode) {
  qtEnsureApplication();
  const struct {
    const char *what;
    int key;
    quint32 native;
    int code;
  } cases[] = {
      {"Escape", Qt::Key_Escape, 9, KeyCodeEscape},
      {"A on a French layout (Qt says Q)", Qt::Key_Q, 38, 0x1E},
      {"right Ctrl", Qt::Key_Control, 105, KeyCodeE0 | 0x1D},
      {"AltGr", Qt::Key_AltGr, 108, KeyCodeE0 | 0x38},
      {"Pause", Qt::Key_Pause, 127, KeyCodePause},
      {"Num Lock", Qt::Key_NumLock, 77, KeyCodeNumLock},
      {"keypad 7, Num Lock off (Qt says Home)", Qt::Key_Home, 79, 0x47},
      {"Home", Qt::Key_Home, 110, KeyCodeE0 | 0x47},
      {"the left Windows key", Qt::Key_Meta, 133, KeyCodeE0 | 0x5B},
      {"a key no PC keyboard has", Qt::Key_VolumeMute, 121, KeyCodeNone},
      {"no scan code, Escape", Qt::Key_Escape, 0, KeyCodeEscape},
      {"no scan code, a letter", Qt::Key_A, 0, KeyCodeNone},
  };
  for (const auto &c : cases) {
    QKeyEvent event = keyEvent(QEvent::KeyPress, c.key, c.native);
    EXPECT_EQ(TgKeyCaptureBox::keyCodeOf(event), c.code) << c.what;
  }
}

// Tab would move the focus and Escape close a dialog; here both are keys
// like any other, and a shortcut never gets one first.
TEST(QtKeyCapture, EveryKeyIsTakenAsAKey) {
  qtEnsureApplication();
  for (auto [key, native, code] :
       {std::tuple{int(Qt::Key_Tab), 23u, 0x0F}, std::tuple{int(Qt::Key_Backtab), 23u, 0x0F},
        std::tuple{int(Qt::Key_Return), 36u, 0x1C}, std::tuple{int(Qt::Key_Escape), 9u, 0x01},
        std::tuple{int(Qt::Key_Alt), 64u, 0x38}}) {
    TgKeyCaptureBox box(nullptr, "Caption", "Prompt");
    QKeyEvent shortcut = keyEvent(QEvent::ShortcutOverride, key, native);
    shortcut.ignore();
    QCoreApplication::sendEvent(&box, &shortcut);
    EXPECT_TRUE(shortcut.isAccepted()) << native;
    QKeyEvent press = keyEvent(QEvent::KeyPress, key, native);
    QCoreApplication::sendEvent(&box, &press);
    EXPECT_EQ(box.keyCode(), code) << native;
    EXPECT_EQ(box.result(), QDialog::Accepted) << native;
  }
}

// A key held since before the box opened (the Enter that pressed the button)
// repeats: it is not the player's choice. The first new press is.
TEST(QtKeyCapture, RepeatsAreSkippedAndOnlyTheFirstPressCounts) {
  qtEnsureApplication();
  TgKeyCaptureBox box(nullptr, "Caption", "Prompt");
  EXPECT_EQ(box.keyCode(), -1);
  QKeyEvent repeat = keyEvent(QEvent::KeyPress, Qt::Key_Return, 36, true);
  QCoreApplication::sendEvent(&box, &repeat);
  EXPECT_EQ(box.keyCode(), -1);
  QKeyEvent first = keyEvent(QEvent::KeyPress, Qt::Key_Up, 111);
  QKeyEvent second = keyEvent(QEvent::KeyPress, Qt::Key_Down, 116);
  QCoreApplication::sendEvent(&box, &first);
  QCoreApplication::sendEvent(&box, &second);
  EXPECT_EQ(box.keyCode(), KeyCodeE0 | 0x48);
  EXPECT_EQ(box.caption(), "Caption");
  EXPECT_EQ(box.prompt(), "Prompt");
  EXPECT_EQ(box.owner(), nullptr);
}

}  // namespace
