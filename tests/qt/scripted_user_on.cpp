// Linked into every Qt test program: dialogs and message boxes take their
// steps from the scripted user instead of waiting for a person.
#include "platform/scripted_user/qt_scripted_user.h"

namespace {
const bool ScriptedUserOn = (qtUseScriptedUser(), true);
}
