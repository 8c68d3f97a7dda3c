// Finding the game folder and working in it.
#include "app/game_folder.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "app/startup.h"
#include "platform/desktop.h"
#include "settings/game_files.h"
#include "settings/settings.h"

// The name the game would open, and only a file under it: a folder named
// gardum.cfg holds no configuration.
static bool holdsFile(const std::string &folder, const char *name) {
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(folder) / findGameFile(folder, name).name, error);
}

bool holdsGame(const std::string &folder) {
  return !folder.empty() && (holdsFile(folder, ConfigFileName) || holdsFile(folder, GameProgramName));
}

namespace {

const char ChooserTitle[] = "Choose the Tarrengard game folder";
const char NotAGameFolderQuestion[] = "This folder holds neither vexgame.exe nor gardum.cfg. Use it anyway?";

}  // namespace

bool findOrChooseGameFolder(bool ask, std::string *folder) {
  std::string remembered;
  bool hasRemembered = loadRememberedFolder(&remembered);
  if (hasRemembered && !ask && holdsGame(remembered)) {
    *folder = remembered;
    return true;
  }
  std::string start = hasRemembered ? remembered : std::string();
  std::string chosen;
  // A folder picked by mistake would be remembered and come back on every
  // start: the user confirms one without the game, or chooses again from it.
  for (;;) {
    if (!chooseFolder(nullptr, ChooserTitle, start, &chosen)) return false;
    if (holdsGame(chosen) ||
        MessageBoxA(nullptr, NotAGameFolderQuestion, ChooserTitle, MB_ICONQUESTION | MB_YESNO) == IDYES)
      break;
    start = chosen;
  }
  storeRememberedFolder(chosen);
  *folder = chosen;
  return true;
}

std::string systemErrorText(DWORD reason) {
  char text[512] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, reason, 0, text,
                                sizeof text, nullptr);
  // System texts end with a line end that does not belong in a message box.
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) text[--length] = '\0';
  return length > 0 ? text : "Error " + std::to_string(reason) + ".";
}

bool enterGameFolder(const std::string &folder, std::string *error) {
  if (SetCurrentDirectoryA(folder.c_str())) return true;
  *error = "The game folder \"" + folder + "\" cannot be opened:\n" + systemErrorText(GetLastError());
  return false;
}

std::string currentFolder() {
  DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return std::string();
  std::vector<char> buffer(size);
  DWORD length = GetCurrentDirectoryA(size, buffer.data());
  if (length == 0 || length >= size) return std::string();
  return std::string(buffer.data(), length);
}

std::string configLinkNote() {
  namespace fs = std::filesystem;
  std::error_code error;
  const std::string &name = GameSettings.configFileName;
  if (!fs::is_symlink(name, error)) return std::string();
  fs::path target = fs::weakly_canonical(name, error);
  fs::path folder = error ? fs::path() : fs::canonical(".", error);
  if (error) return std::string();
  fs::path inside = target.lexically_relative(folder);
  if (!inside.empty() && *inside.begin() != "..") return std::string();
  return name + " is a link to " + target.string() + ", outside the game folder.";
}
