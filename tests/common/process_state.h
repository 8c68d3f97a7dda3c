/* The state a test program shares between its cases, put back as a program
 * just started has it: the configuration documents (the handle table is
 * process-wide) and the settings record as start-up leaves it before
 * loading, initial values plus the default bindings. A program that links
 * more process-wide records (the dialogs' requests) names them, and they go
 * back to their initial values too. Header-only, for the library tests as
 * well; the scripted user's script is emptied by test_main.cpp.
 */
#pragma once

#include "config/config.h"
#include "settings/settings.h"

template <typename... Records>
inline void resetProcessState(Records &...records) {
  for (ConfigHandle handle = 0; handle < ConfigSlotCount; ++handle) configFree(handle);
  GameSettings = GameSettingsRecord{};
  placeDefaultBindings();
  ((records = Records{}), ...);
}
