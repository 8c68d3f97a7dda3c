/* Photographs every dialog and message box of the configurator as the Qt
 * program shows them: the program runs in a scratch folder with two MIDI
 * devices, and a scripted user walks through all six dialogs, the key-capture
 * box and the message boxes, saving each window (with a title bar drawn by
 * the style, since the offscreen platform has no window manager) as a PNG;
 * the main menu once more with its tooltip showing.
 *
 *   tg_qt_screenshots OUTPUT_FOLDER
 */
#include <QtWidgets>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/startup.h"
#include "settings/settings.h"
#include "tests/harness/scripted_user/test_midi_devices.h"
#include "platform/qt/qt_backend.h"
#include "tests/harness/scripted_user/qt_scripted_user.h"
#include "tests/harness/scripted_user/user_script.h"
#include "tests/common/screenshot_walk.h"
#include "tests/common/process_state.h"
#include "ui/resource.h"

namespace {

using namespace userscript;

QString OutputFolder;
int Failures = 0;
int Saved = 0;

// The window as a desktop would show it: a frame and a title bar with the
// icon, the caption and (only with a system menu) the close box.
QImage framed(QWidget *window) {
  QPixmap client = window->grab();
  QStyle *style = window->style();
  QStyleOptionTitleBar bar;
  bar.initFrom(window);
  bar.text = window->windowTitle();
  bar.icon = window->windowIcon();
  bar.titleBarFlags = window->windowFlags();
  bar.titleBarState = Qt::WindowActive;
  bar.state |= QStyle::State_Active | QStyle::State_Enabled;
  bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarSysMenu;
  if (window->windowFlags() & Qt::WindowCloseButtonHint) bar.subControls |= QStyle::SC_TitleBarCloseButton;
  if (window->windowFlags() & Qt::WindowMinimizeButtonHint) bar.subControls |= QStyle::SC_TitleBarMinButton;
  int border = 1;
  int titleHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, &bar, window);
  // In logical pixels, so a scaled screen (QT_SCALE_FACTOR=2) gives a sharp picture of the same layout.
  qreal scale = client.devicePixelRatio();
  QSize size = client.deviceIndependentSize().toSize() + QSize(2 * border, titleHeight + 2 * border);
  QImage image(size * scale, QImage::Format_ARGB32);
  image.setDevicePixelRatio(scale);
  image.fill(window->palette().color(QPalette::Window).darker(160));
  QPainter painter(&image);
  bar.rect = QRect(border, border, size.width() - 2 * border, titleHeight);
  bar.palette = window->palette();
  style->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, window);
  painter.drawPixmap(border, border + titleHeight, client);
  return image;
}

void saveImage(const QImage &image, const char *name) {
  QString path = OutputFolder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
  if (image.save(path)) {
    ++Saved;
    std::printf("%s\n", path.toLocal8Bit().constData());
  } else {
    std::fprintf(stderr, "could not write %s\n", path.toLocal8Bit().constData());
    ++Failures;
  }
}

void save(QWidget *window, const char *name) { saveImage(framed(window), name); }

Action photograph(const char *name) {
  return inspect([name](HWND dialog) { save(qtWidgetFor(dialog), name); });
}

// The window with its tooltip up, as the mouse resting on it a third of the
// way across shows it: Qt's own tooltip label, drawn where it stands. The
// picture grows where the tip reaches past the window.
void saveWithToolTip(QWidget *window, const char *name) {
  QToolTip::showText(window->mapToGlobal(QPoint(window->width() / 3, window->height() / 2)), window->toolTip(), window);
  QWidget *tip = nullptr;
  for (QWidget *widget : QApplication::topLevelWidgets()) {
    if (widget->inherits("QTipLabel") && widget->isVisible()) tip = widget;
  }
  if (!tip) {
    std::fprintf(stderr, "no tooltip showed for %s\n", name);
    ++Failures;
    return;
  }
  QImage frame = framed(window);
  qreal scale = frame.devicePixelRatio();
  QSize frameSize = frame.deviceIndependentSize().toSize();
  // framed() puts the client area one pixel in from the left and bottom.
  QPoint client(1, frameSize.height() - 1 - window->height());
  QRect tipRect(client + window->mapFromGlobal(tip->mapToGlobal(QPoint(0, 0))), tip->size());
  QRect whole = QRect(QPoint(0, 0), frameSize).united(tipRect);
  QImage image(whole.size() * scale, QImage::Format_ARGB32);
  image.setDevicePixelRatio(scale);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.translate(-whole.topLeft());
  painter.drawImage(QPoint(0, 0), frame);
  painter.drawPixmap(tipRect.topLeft(), tip->grab());
  painter.end();
  QToolTip::hideText();
  saveImage(image, name);
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  OutputFolder = QString::fromLocal8Bit(std::filesystem::absolute(argv[1]).c_str());
  std::filesystem::path scratch = std::filesystem::temp_directory_path() / "tg-screenshots";
  std::filesystem::remove_all(scratch);
  std::filesystem::create_directories(scratch);
  std::filesystem::current_path(scratch);

  setFailureHandler([](const std::string &message) {
    std::fprintf(stderr, "script: %s\n", message.c_str());
    ++Failures;
  });
  const std::vector<std::string> devices = {"Midi Through Port-0", "FluidSynth virtual port"};
  setMidiOutDevicesForTesting(&devices);

  // The message boxes are photographed in the order they come.
  static const char *const boxNames[] = {"message-configuration-saved", "message-default-keys",
                                         "message-console-one-key",     "message-save-changes",
                                         "message-unread-lines",        "message-game-start-failed"};
  static size_t nextBox = 0;
  qtObserveMessageBoxes([](QMessageBox *box) {
    if (nextBox < std::size(boxNames)) save(box, boxNames[nextBox++]);
  });
  qtObserveKeyCaptureBoxes([](QDialog *box) { save(box, "key-capture"); });

  expectDialog(
      "Tarrengard Configuration",
      {photograph("main-menu"),
       inspect([](HWND dialog) { saveWithToolTip(qtWidgetFor(dialog), "main-menu-folder-tip"); }),
       click(IDC_MENU_MUSIC_SOUND_VIDEO), click(IDC_MENU_SAVE), click(IDC_MENU_INPUT_DEVICES), key(VK_ESCAPE)});
  screenshots::expectTheSettingsDialogs(photograph, "advanced-mouse");
  expectMessageBox(IDNO);  // Your configuration has been changed. Save now?

  static char module;
  tarrengardMain(reinterpret_cast<HINSTANCE>(&module));
  // Once more, with lines of gardum.cfg the parser cannot read, for the
  // warning before the menu and the failed game start, which ends the program.
  std::ofstream(ConfigFileName, std::ios::binary) << screenshots::UnreadableLines;
  screenshots::expectTheUnreadLinesAndAFailedStart();
  resetProcessState();  // each run starts as a program just started does
  int code = tarrengardMain(reinterpret_cast<HINSTANCE>(&module));
  finished();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  std::filesystem::remove_all(scratch);
  std::printf("%d pictures; the configurator ended with %d\n", Saved, code);
  return Failures == 0 ? 0 : 1;
}
