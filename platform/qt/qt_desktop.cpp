/* The desktop operations of platform/desktop.h on Qt: the folder chooser is
 * a QFileDialog for folders (the desktop's own dialog where the platform
 * theme has one), and the remembered game folder is a QSettings value in
 * the usual per-user place.
 */
#include <QFile>
#include <QFileDialog>
#include <QSettings>
#include <QStandardPaths>

#include <sys/stat.h>

#include "platform/core/backend.h"
#include "platform/qt/qt_backend.h"

namespace {

// ~/.config/Tarrengard/Setup.conf (the folder $XDG_CONFIG_HOME names, when
// set), the file QSettings(organisation "Tarrengard", application "Setup")
// would use, named so that QSettings reads that file alone.
QString rememberedFile() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Tarrengard/Setup.conf");
}
// QSettings reads its file as it is made, and would wait forever on a named
// pipe there, before any window is shown: anything but a regular file in its
// place means no remembered folder, and nothing is stored over it.
bool rememberedFileUsable() {
  struct stat info;
  return stat(QFile::encodeName(rememberedFile()).constData(), &info) != 0 || S_ISREG(info.st_mode);
}
QSettings rememberedSettings() { return QSettings(rememberedFile(), QSettings::IniFormat); }
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
  folder->clear();
  if (!rememberedFileUsable()) return true;
  *folder = rememberedSettings().value(GameFolderKey).toString().toLocal8Bit().toStdString();
  return true;
}

bool backendStoreRememberedFolder(const std::string &folder) {
  if (!rememberedFileUsable()) return false;
  QSettings settings = rememberedSettings();
  if (folder.empty())
    settings.remove(GameFolderKey);
  else
    settings.setValue(GameFolderKey, QString::fromLocal8Bit(folder.c_str()));
  settings.sync();
  return settings.status() == QSettings::NoError;
}
