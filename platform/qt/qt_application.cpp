/* The Qt application object, the dialog font with its base units, the
 * program's icon, and the start-up probe that bench/startup reads.
 */
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/qt/qt_internal.h"

static void loadIconResources() { Q_INIT_RESOURCE(tarrengard_icons); }

namespace {

QFont *DialogFont = nullptr;
int BaseX = 0, BaseY = 0;

bool isSet(const char *name) {
  const char *value = std::getenv(name);
  return value && *value;
}

// Qt's own message for a missing display is about plugins; say what to set.
void requireDisplay() {
  if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM")) return;
  std::fprintf(stderr,
               "tarrengard-setup: no display found.\n"
               "Set DISPLAY (X11) or WAYLAND_DISPLAY (Wayland) to the display to use,\n"
               "or QT_QPA_PLATFORM=offscreen to run without a screen.\n");
  std::exit(1);
}

// "MS Shell Dlg" 8 pt is the templates' font; the desktop's sans serif at
// 9 pt has the same height (13 pixels at 96 dpi) and keeps every label legible.
void measureDialogFont() {
  DialogFont = new QFont(QApplication::font());
  DialogFont->setPointSize(9);
  QFontMetrics metrics(*DialogFont);
  // Windows' average character width: over the 52 letters, rounded.
  int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  BaseX = (width / 26 + 1) / 2;
  BaseY = metrics.height();
}

// Platform plugins without windows of their own (offscreen) report each
// window call they cannot honour; those reports are not errors.
QtMessageHandler QtDefaultHandler = nullptr;
void quietPluginLimits(QtMsgType type, const QMessageLogContext &context, const QString &message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  if (QtDefaultHandler) QtDefaultHandler(type, context, message);
}

}  // namespace

void qtEnsureApplication() {
  if (QApplication::instance()) return;
  requireDisplay();
  QtDefaultHandler = qInstallMessageHandler(quietPluginLimits);
  static int argc = 1;
  static char name[] = "tarrengard-setup";
  static char *argv[] = {name, nullptr};
  QApplication::setApplicationName(QStringLiteral("tarrengard-setup"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tarrengard Setup"));
  QGuiApplication::setDesktopFileName(QStringLiteral("tarrengard-setup"));
  // Never deleted: dialogs may still be open when the process ends (a fatal
  // error exits from inside a modal loop).
  new QApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  loadIconResources();
  measureDialogFont();
}

const QFont &qtDialogFont() {
  qtEnsureApplication();
  return *DialogFont;
}

int qtBaseUnitX() {
  qtEnsureApplication();
  return BaseX;
}

int qtBaseUnitY() {
  qtEnsureApplication();
  return BaseY;
}

// MulDiv rounding, as MapDialogRect does it.
int qtDialogUnitsToPixelsX(int units) { return (units * qtBaseUnitX() * 2 + (units < 0 ? -4 : 4)) / 8; }
int qtDialogUnitsToPixelsY(int units) { return (units * qtBaseUnitY() * 2 + (units < 0 ? -8 : 8)) / 16; }

const QIcon &qtProgramIcon() {
  static QIcon *icon = nullptr;
  if (!icon) {
    icon = new QIcon;
    for (int size : {16, 24, 32, 48})
      icon->addFile(QStringLiteral(":/icons/tarrengard-%1.png").arg(size), QSize(size, size));
  }
  return *icon;
}

// With TG_STARTUP_PROBE set, the first paint of the first dialog prints the
// wall clock and the peak memory so far, and ends the process: bench/startup
// measures from just before it started the program.
void qtFirstPaint() {
  static bool done = false;
  if (done || !isSet("TG_STARTUP_PROBE")) return;
  done = true;
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  long peakKb = 0;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) peakKb = std::strtol(line.c_str() + 6, nullptr, 10);
  }
  std::fprintf(stderr, "first-paint-ns %lld peak-rss-kb %ld\n",
               static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, peakKb);
  std::fflush(stderr);
  _exit(0);
}
