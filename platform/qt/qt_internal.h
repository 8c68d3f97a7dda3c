/* Shared between the Qt backend's files: the widget classes that show the
 * core's dialogs and controls (qt_widgets.cpp, qt_modal.cpp), which widget
 * shows which window (qt_dialog.cpp), the input filter (qt_input_filter.cpp)
 * and the list rows (qt_list_delegate.cpp). Each widget only mirrors the
 * core's state; every user event on it is turned into a
 * platform/core/user_input.h call.
 */
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <string>

#include "platform/qt/qt_backend.h"

// An object the backend made, or an event Qt sent, as the class it is known
// to be: asserted, then cast.
template <typename To, typename From>
To *qtAs(From *from) {
  Q_ASSERT(dynamic_cast<To *>(from));
  return static_cast<To *>(from);
}

// A dialog's window. Escape and the close box never close it: both become
// IDCANCEL through the core, and only EndDialog ends it.
class TgDialog : public QDialog {
 public:
  TgDialog(HWND dialog, QWidget *parent, Qt::WindowFlags flags);
  HWND hwnd() const { return dialog_; }
  // Set while the backend itself hides the window after EndDialog.
  void setClosingByBackend() { closingByBackend_ = true; }
  void reject() override;

 protected:
  void closeEvent(QCloseEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  HWND dialog_;
  bool closingByBackend_ = false;
};

// A group box as Windows draws one: a frame with its title set into the top
// edge. Only a picture: its controls are the dialog's, drawn over it.
class TgGroupBox : public QWidget {
 public:
  TgGroupBox(const QString &title, QWidget *parent) : QWidget(parent), title_(title) {}
  void setTitle(const QString &title);

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QString title_;
};

// A list box. Its rows are as high as lets the template's height hold whole
// rows, and with the focus but no selection it draws a focus rectangle on
// the row the arrow keys go to first, as a Windows list box draws one on its
// caret row: without it nothing would show where the focus is.
class TgListBox : public QListWidget {
 public:
  explicit TgListBox(QWidget *parent);
  int rowHeight() const { return rowHeight_; }
  // Places the list in `area` (the template's rectangle in pixels): rows of
  // at least one text line, as many as fit, grown to fill the height; the
  // few pixels that are left (fewer than one per row) come off the bottom.
  void placeInto(const QRect &area);
  // Where the focus rectangle is drawn (viewport coordinates); empty when
  // none is drawn.
  QRect focusMarkRect() const;

 protected:
  void paintEvent(QPaintEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

 private:
  int rowHeight_;
};

// A drop-down list whose list opens and closes only as the core says. Qt
// closing the list on its own (Escape in the list, a click elsewhere) is
// reported to the core as a cancelled drop-down.
class TgComboBox : public QComboBox {
 public:
  TgComboBox(HWND combo, QWidget *parent);
  void showPopup() override;
  void hidePopup() override;
  // Mirrors the core's `dropped` state.
  void syncPopup(bool dropped);

 private:
  HWND combo_;
  bool syncing_ = false;
};

// A track bar: its geometry in pixels, for turning mouse positions into
// positions and back.
class TgSlider : public QSlider {
 public:
  TgSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent) {}
  QRect handleRect() const;
  // The x coordinate of the handle's centre at `value`, and back.
  int pixelForValue(int value) const;
  int valueForPixel(int x) const;

 private:
  QStyleOptionSlider option() const;
};

// A message box (MessageBoxA): the caller's buttons, text, caption and icon;
// Escape and the close box answer as the core's rule for the type says, or
// do nothing.
class TgMessageBox : public QMessageBox {
 public:
  TgMessageBox(HWND owner, const char *text, const char *caption, UINT type);
  // What MessageBoxA was given.
  HWND owner() const { return owner_; }
  const std::string &messageText() const { return text_; }
  const std::string &caption() const { return caption_; }
  UINT type() const { return type_; }
  // What the closed box answers: its button pressed, else what Escape gives.
  int answer() const;
  // The button that gives `answer` (IDOK, IDYES, ...), or null.
  QAbstractButton *buttonFor(int answer) const;

 protected:
  void keyPressEvent(QKeyEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void changeEvent(QEvent *event) override;

 private:
  HWND owner_;
  std::string text_;
  std::string caption_;
  UINT type_;
};

// ---- Which widget shows which window (qt_dialog.cpp) ------------------------------

// What an object takes input for: the window whose widget it is (or a part of
// that widget, as a list's viewport), or, as part of an open drop-down list,
// that drop-down list. `window` is null for any other object.
struct InputTarget {
  HWND window = nullptr;
  bool popupList = false;
};
InputTarget qtInputTargetOf(const QObject *object);
// (qtWidgetFor, the other way, is in qt_backend.h.)

// ---- Input (qt_input_filter.cpp) ---------------------------------------------------

// Sends every mouse and key event of `object` through the input filter.
void qtFilterInput(QObject *object);
// Drops a mouse press held on `window`: it is going, or its list was opened
// or closed from the core.
void qtForgetPress(HWND window);
// Whether the input being handled is a key (focus moves then show the focus
// frame, as on Windows).
bool qtKeyInput();
// Called once input has been handed to the core (qt_modal.cpp).
inline void qtInputDone() { qtEndFinishedLoops(); }

// ---- List rows (qt_list_delegate.cpp) ----------------------------------------------

// Draws a list box's rows with their tab-separated columns at its tab stops.
QStyledItemDelegate *qtNewTabStopDelegate(HWND list, QObject *parent);

// A window icon with every image of an icon resource.
QIcon qtIcon(const IconResource &resource);

// ---- Windows of the modal stack (qt_modal.cpp) ------------------------------------

// Brings back, after the events being handled, every window of the program
// that a window manager minimised on its own (TgDialog and TgMessageBox call
// it when their window state changes).
void qtKeepWindowsOnScreen();

// ---- Screen readers (qt_widgets.cpp) ---------------------------------------------

// Names every control of the dialog after accessibleNameOf (again whenever a
// text changes).
void qtNameControls(HWND dialog);
// Makes Qt's accessibility ask the backend first for its own widget classes.
void qtInstallAccessibleInterfaces();
