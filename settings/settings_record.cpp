// The one process-wide settings record and the start-up placement of the
// default bindings into it.
#include "settings/settings.h"

GameSettingsRecord GameSettings;

const char ConfigFileName[] = "gardum.cfg";

// References are copied, never text: the record owns no strings.
void placeDefaultKeyBindings() {
  for (int i = 0; i < GameFunctionCount; ++i) {
    GameSettings.KeyBindings[i][0] = DefaultKeyBindingTable[i].primary;
    GameSettings.KeyBindings[i][1] = DefaultKeyBindingTable[i].secondary;
  }
}

void placeDefaultBindings() {
  placeDefaultKeyBindings();
  // All six double-click slots are filled, though only 0..3 reach the file.
  for (int b = 0; b < MouseButtonCount; ++b) {
    GameSettings.MouseButton[b] = DefaultMouseButtonTable[b];
    GameSettings.MouseButtonClicked[b] = DefaultMouseButtonClickedTable[b];
  }
  for (int axis = 0; axis < MouseAxisCount; ++axis) {
    GameSettings.MouseAnalogAxes[axis] = findAnalogFunction(DefaultMouseAnalogTable[axis]);
  }
  for (int d = 0; d < MouseDirectionCount; ++d) {
    GameSettings.MouseDigitalAxes[d] = DefaultMouseDigitalTable[d];
  }
}
