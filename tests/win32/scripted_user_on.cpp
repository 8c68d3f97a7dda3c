// Linked into every Windows program driven by the scripted user: its dialogs
// and message boxes take their steps from the script instead of waiting for
// a person.
#include "tests/harness/scripted_user/win32_scripted_user.h"

namespace {
const bool ScriptedUserOn = (win32UseScriptedUser(), true);
}
