// Linked into every Qt test program: dialogs and message boxes take their
// steps from the scripted user instead of waiting for a person, and the
// remembered game folder (QSettings) lives in a folder of the process's own,
// so tests neither see the user's nor disturb each other.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "tests/harness/scripted_user/qt_scripted_user.h"

namespace {

struct PrivateSettings {
  std::string folder;
  pid_t owner = getpid();  // forked children (death tests) end without removing it
  PrivateSettings() {
    char pattern[] = "/tmp/tg-qt-settings.XXXXXX";
    if (mkdtemp(pattern)) {
      folder = pattern;
      setenv("XDG_CONFIG_HOME", pattern, 1);
    }
  }
  ~PrivateSettings() {
    std::error_code ignored;
    if (!folder.empty() && getpid() == owner) std::filesystem::remove_all(folder, ignored);
  }
};

const PrivateSettings Settings;
const bool ScriptedUserOn = (qtUseScriptedUser(), true);

}  // namespace
