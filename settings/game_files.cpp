// Finding a file of the game folder in any letter case, in the order Wine
// does: the exact name first, then a scan of the folder.
#include "settings/game_files.h"

#include <filesystem>
#include <system_error>

#ifndef _WIN32
namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII is enough: both of the game's names are ASCII, and no other
// character folds to an ASCII letter they hold.
bool sameIgnoringCase(const std::string &a, const char *b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return i == a.size() && !b[i];
}

}  // namespace
#endif

GameFileName findGameFile(const std::string &folder, const char *wanted) {
  namespace fs = std::filesystem;
  GameFileName found = {wanted, 0};
  fs::path base = folder.empty() ? fs::path(".") : fs::path(folder);
  std::error_code error;
  // Wine takes the exact name when the system opens it (a dangling link is
  // no such file and is then met again in the scan).
  bool exact = fs::exists(base / wanted, error);
#ifdef _WIN32
  found.variants = exact ? 1 : 0;
#else
  // The whole folder is read even after a choice, so that a choice among
  // several can be told; the listing's own order is the one Wine scans in.
  for (fs::directory_iterator entry(base, error), end; !error && entry != end; entry.increment(error)) {
    std::string name = entry->path().filename().string();
    if (!sameIgnoringCase(name, wanted)) continue;
    if (found.variants++ == 0 && !exact) found.name = name;
  }
#endif
  return found;
}
