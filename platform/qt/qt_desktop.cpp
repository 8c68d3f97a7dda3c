/* The desktop operations of platform/desktop.h on Qt: the folder chooser is
 * a QFileDialog for folders (the desktop's own dialog where the platform
 * theme has one), and the remembered game folder is a QSettings value in
 * the usual per-user place.
 */
#include <QFileDialog>
#include <QSettings>

#include "platform/core/backend.h"
#include "platform/qt/qt_backend.h"

namespace {

// Organisation and application: on Linux ~/.config/Tarrengard/Setup.conf.
QSettings rememberedSettings() { return QSettings(QStringLiteral("Tarrengard"), QStringLiteral("Setup")); }
const QString GameFolderKey = QStringLiteral("GameFolder");

}  // namespace

bool backendChooseFolder(HWND owner, const char *title, const std::string &start, std::string *chosen) {
  qtEnsureApplication();
  // Built rather than the static getExistingDirectory, which shows the same
  // dialog, so that whoever watches the application's windows sees it.
  QFileDialog dialog(qtWidgetFor(owner), QString::fromLocal8Bit(title), QString::fromLocal8Bit(start.c_str()));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (dialog.exec() != QDialog::Accepted) return false;
  QStringList folders = dialog.selectedFiles();
  if (folders.isEmpty() || folders.first().isEmpty()) return false;
  *chosen = folders.first().toLocal8Bit().toStdString();
  return true;
}

bool backendLoadRememberedFolder(std::string *folder) {
  *folder = rememberedSettings().value(GameFolderKey).toString().toLocal8Bit().toStdString();
  return true;
}

bool backendStoreRememberedFolder(const std::string &folder) {
  QSettings settings = rememberedSettings();
  if (folder.empty())
    settings.remove(GameFolderKey);
  else
    settings.setValue(GameFolderKey, QString::fromLocal8Bit(folder.c_str()));
  settings.sync();
  return settings.status() == QSettings::NoError;
}
