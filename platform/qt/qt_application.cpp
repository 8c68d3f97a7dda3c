/* The Qt application object, the dialog font with its base units, and icons
 * from the program's icon table.
 */
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/callback_guard.h"
#include "platform/core/backend.h"
#include "platform/core/rules.h"
#include "platform/qt/qt_internal.h"
#include "platform/resources.h"

namespace {

QFont *DialogFont = nullptr;
double BaseX = 0;
int BaseY = 0;

bool isSet(const char *name) {
  const char *value = std::getenv(name);
  return value && *value;
}

// Whether a local socket accepts a connection. An abstract name starts with '@'.
bool socketAnswers(const std::string &path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  socklen_t length = sizeof address.sun_family + path.size();
  if (path[0] == '@')
    address.sun_path[0] = '\0';
  else
    length += 1;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;  // cannot tell: leave it to Qt
  bool answers = connect(fd, reinterpret_cast<sockaddr *>(&address), length) == 0;
  close(fd);
  return answers;
}

// False only when DISPLAY names a display on this machine (":N" or
// "unix:N") whose X server does not answer; remote displays are left to Qt.
bool localX11DisplayAnswers(const char *display) {
  std::string name = display;
  if (name.rfind("unix:", 0) == 0) name.erase(0, 4);
  if (name.empty() || name[0] != ':') return true;
  size_t end = name.find('.');
  std::string number = name.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return true;
  std::string socketPath = "/tmp/.X11-unix/X" + number;
  return socketAnswers(socketPath) || socketAnswers("@" + socketPath);
}

// Whether the X server takes us as a client. One that answers may still
// refuse (another user's display after su, XAUTHORITY unset or wrong), and
// Qt then aborts; libxcb prints the server's reason.
bool x11DisplayAccepts(const char *display) {
  xcb_connection_t *connection = xcb_connect(display, nullptr);
  bool accepted = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return accepted;
}

bool waylandDisplayAnswers(const char *display) {
  std::string path = display;
  if (path[0] != '/') {
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return true;  // Qt will say what is missing
    path = std::string(runtime) + "/" + path;
  }
  return socketAnswers(path);
}

[[noreturn]] void noDisplay(const std::string &what, const char *hint = "") {
  std::fprintf(stderr,
               "tarrengard-setup: %s.\n%s"
               "Set DISPLAY (X11) or WAYLAND_DISPLAY (Wayland) to the display to use,\n"
               "or QT_QPA_PLATFORM=offscreen to run without a screen.\n",
               what.c_str(), hint);
  std::exit(1);
}

// Qt's own messages for a missing or dead display are about plugins, and it
// aborts; say plainly what is wrong and what to set instead.
void requireDisplay() {
  // A Wayland session without Xwayland: Qt would try X11 first.
  if (!isSet("QT_QPA_PLATFORM") && !isSet("DISPLAY") && isSet("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "wayland", 1);
  if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY") && !isSet("QT_QPA_PLATFORM")) noDisplay("no display found");
  std::string platform = isSet("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
  if (isSet("DISPLAY") && (platform == "xcb" || (platform.empty() && !isSet("WAYLAND_DISPLAY")))) {
    std::string display = std::getenv("DISPLAY");
    if (!localX11DisplayAnswers(display.c_str())) noDisplay("the X display DISPLAY=" + display + " does not answer");
    if (!x11DisplayAccepts(display.c_str()))
      noDisplay("the X display DISPLAY=" + display + " refused the connection",
                "It may be another user's, or XAUTHORITY may not name its authority file.\n");
  }
  if (platform == "wayland" && isSet("WAYLAND_DISPLAY") && !waylandDisplayAnswers(std::getenv("WAYLAND_DISPLAY")))
    noDisplay(std::string("the Wayland display WAYLAND_DISPLAY=") + std::getenv("WAYLAND_DISPLAY") +
              " does not answer");
}

// A template text's width in pixels plus what its control draws beside it.
int neededWidth(const DialogControlTemplate &control, const QFontMetrics &metrics) {
  std::string shown = control.text ? control.text : "";
  if (!(std::string(control.className ? control.className : "") == "STATIC" && (control.style & SS_NOPREFIX)))
    shown = textWithoutMnemonicMarks(shown);
  QString text = QString::fromLatin1(shown.c_str());
  if (text.isEmpty()) return 0;
  int width = metrics.horizontalAdvance(text);
  QStyle *style = QApplication::style();
  if (std::string(control.className ? control.className : "") != "BUTTON") return width;
  switch (control.style & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
      return width + style->pixelMetric(QStyle::PM_IndicatorWidth) +
             style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    case BS_AUTORADIOBUTTON:
      return width + style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
             style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    case BS_GROUPBOX: return width + 2 * metrics.averageCharWidth();
    default: return width + 2 * style->pixelMetric(QStyle::PM_ButtonMargin);
  }
}

// The templates' font is "MS Shell Dlg" 8 pt; the desktop's sans serif at
// 9 pt is about as tall (13 to 14 pixels at 96 dpi) and keeps every label
// legible. Smaller sizes are only for screens too small for the dialogs.
constexpr double DialogPoints = 9;
constexpr double SmallestDialogPoints = 6;
// Room kept around the largest dialog on the screen's work area, in pixels:
// for the window manager's title bar and borders, and a margin beyond them.
constexpr int RoomAcross = 2 * 16;
constexpr int RoomDown = 32 + 2 * 16;

// Base units are measured as Windows measures them; since this font is wider
// than the templates' in places, the horizontal unit then grows until every
// template text fits its control, so nothing is clipped and the layout keeps
// its proportions.
void measureDialogFont(double points) {
  DialogFont->setPointSizeF(points);
  QFontMetrics metrics(*DialogFont);
  // Windows' average character width: over the 52 letters, rounded.
  int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  BaseX = (width / 26 + 1) / 2;
  BaseY = metrics.height();
  for (int i = 0; i < DialogTemplateCount; ++i) {
    const DialogTemplateData &dialog = DialogTemplateTable[i];
    for (int c = 0; c < dialog.controlCount; ++c) {
      const DialogControlTemplate &control = dialog.controls[c];
      if (control.cx > 0) BaseX = std::max(BaseX, 4.0 * neededWidth(control, metrics) / control.cx);
    }
  }
}

bool everyDialogFits(const QSize &room) {
  for (int i = 0; i < DialogTemplateCount; ++i) {
    const DialogTemplateData &dialog = DialogTemplateTable[i];
    if (qtDialogUnitsToPixelsX(dialog.cx) > room.width() || qtDialogUnitsToPixelsY(dialog.cy) > room.height())
      return false;
  }
  return true;
}

// The dialog font, in half points smaller until the largest dialog fits the
// primary screen's work area with room for its frame (a small screen, or a
// large scale factor). Below the smallest size the dialogs may run off the
// screen; they are still placed title bar first and work from the keyboard.
void chooseDialogFont() {
  DialogFont = new QFont(QApplication::font());
  QScreen *screen = QGuiApplication::primaryScreen();
  QSize room = screen ? screen->availableGeometry().size() - QSize(RoomAcross, RoomDown) : QSize(INT_MAX, INT_MAX);
  double points = DialogPoints;
  measureDialogFont(points);
  while (points > SmallestDialogPoints && !everyDialogFits(room)) {
    points -= 0.5;
    measureDialogFont(points);
  }
}

// Platform plugins without windows of their own (offscreen) report each
// window call they cannot honour; those reports are not errors.
QtMessageHandler QtDefaultHandler = nullptr;
void quietPluginLimits(QtMsgType type, const QMessageLogContext &context, const QString &message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  if (QtDefaultHandler) QtDefaultHandler(type, context, message);
}

// Every event, signal and timer of the toolkit reaches our code through
// notify; an exception must not unwind through Qt's frames.
class GuardedApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject *receiver, QEvent *event) override {
    return guardCallback([&] { return QApplication::notify(receiver, event); });
  }
};

}  // namespace

void backendStart() { qtEnsureApplication(); }

void qtEnsureApplication() {
  if (QApplication::instance()) return;
  requireDisplay();
  QtDefaultHandler = qInstallMessageHandler(quietPluginLimits);
  static int argc = 1;
  static char name[] = "tarrengard-setup";
  static char *argv[] = {name, nullptr};
  // No display name: Qt would append it to every window title, and a
  // title is exactly the dialog's caption.
  QApplication::setApplicationName(QStringLiteral("tarrengard-setup"));
  QGuiApplication::setDesktopFileName(QStringLiteral("tarrengard-setup"));
  // Never deleted: dialogs may still be open when the process ends (a fatal
  // error exits from inside a modal loop).
  new GuardedApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  qtInstallAccessibleInterfaces();
  chooseDialogFont();
}

const QFont &qtDialogFont() {
  qtEnsureApplication();
  return *DialogFont;
}

double qtBaseUnitX() {
  qtEnsureApplication();
  return BaseX;
}

int qtBaseUnitY() {
  qtEnsureApplication();
  return BaseY;
}

// Rounded to the nearest pixel, as MapDialogRect's MulDiv does.
int qtDialogUnitsToPixelsX(int units) { return static_cast<int>(std::lround(units * qtBaseUnitX() / 4.0)); }
int qtDialogUnitsToPixelsY(int units) { return (units * qtBaseUnitY() * 2 + (units < 0 ? -8 : 8)) / 16; }

// The images are among the program's Qt resources, under the names the
// icon table gives them.
QIcon qtIcon(const IconResource &resource) {
  QIcon icon;
  for (int i = 0; i < resource.imageCount; ++i) {
    const IconImage &image = resource.images[i];
    icon.addFile(QStringLiteral(":/") + QString::fromLatin1(image.file), QSize(image.size, image.size));
  }
  return icon;
}
