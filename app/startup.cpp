// Start-up of the configurator: places the default bindings, reads
// gardum.cfg, runs the main menu until the user leaves it, releases the
// document and, when asked to, starts the game and ends without waiting.
#include "app/startup.h"

#include <cstdio>
#include <cstring>

#include "config/config.h"
#include "config/support.h"
#include "settings/settings.h"
#include "ui/main_menu.h"
#include "ui/resource.h"

// A windowed program has no console, so a fatal error of the configuration
// library would otherwise end the process without a word to the user.
static void showFatalError(const char *message) {
  // Trailing line feeds belong to the console text, not to the box. A stack
  // copy: after an allocation failure the heap may give nothing more.
  char text[1024];
  size_t length = strlen(message);
  if (length >= sizeof text) length = sizeof text - 1;
  memcpy(text, message, length);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  text[length] = '\0';
  // Task-modal: no open dialog may take input and call back into the library
  // while it is failing.
  MessageBoxA(nullptr, text, "Tarrengard Configuration", MB_ICONERROR | MB_OK | MB_TASKMODAL);
}

// gardum.cfg is there but could not be read: the menu shows the defaults,
// and the user must know that, and why no save will replace the file.
static void warnUnreadableFile(int error) {
  char text[512];
  snprintf(text, sizeof text,
           "%s could not be read (%s). The settings shown are the defaults, and saving will not replace the file.",
           ConfigFileName, fileErrorText(error));
  MessageBoxA(nullptr, text, "Tarrengard Configuration", MB_ICONWARNING | MB_OK);
}

static bool launchGame() {
  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  memset(&process, 0, sizeof process);
  // A relative name: the game is looked for in the current folder only.
  return CreateProcessA("vexgame.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
}

int tarrengardMain(HINSTANCE instance) {
  setFatalErrorHook(showFatalError);
  InitCommonControls();
  GameSettings.appInstance = instance;
  placeDefaultBindings();
  loadSettings();
  if (GameSettings.configReadError != 0) warnUnreadableFile(GameSettings.configReadError);

  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN_MENU), nullptr, mainMenuDialogProc, 0);

  if (GameSettings.configHandle >= 0) configFree(GameSettings.configHandle);

  if (GameSettings.runGameOnExit && !launchGame()) {
    MessageBoxA(nullptr, "Failed starting VEXGAME.EXE.", "Failure starting game", MB_ICONERROR);
    return 1;
  }
  return 0;
}
