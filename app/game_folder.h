// The game folder: finding it when asked to (the folder remembered from the
// last run, or the desktop's folder chooser) and working in it. Portable: the
// chooser, the remembered folder and the folder calls are the platform's
// (platform/desktop.h, platform/win32.h).
#pragma once

#include <string>

#include "platform/win32.h"

// Whether `folder` holds the game's configuration or the game itself as a
// file, under the name the game would open (settings/game_files.h: any
// letter case off Windows).
bool holdsGame(const std::string &folder);

// The folder to work in for --choose-folder: the remembered one when it
// still holds the game and `ask` is false; otherwise the folder chooser's
// answer, opened at the remembered folder, which is remembered from then on.
// A chosen folder without the game is used only when the user answers Yes
// to "This folder holds neither vexgame.exe nor gardum.cfg. Use it anyway?";
// No opens the chooser again, at that folder.
// False when the user cancelled: nothing is remembered then.
bool findOrChooseGameFolder(bool ask, std::string *folder);

// Makes `folder` the current folder, so that the configuration and the game
// are found there. False with a message naming the folder and the reason in
// *error.
bool enterGameFolder(const std::string &folder, std::string *error);

// The system's text for an error code of GetLastError, without its line
// end ("Error 1234." for a code it has no text for).
std::string systemErrorText(DWORD reason);

// The full path of the current folder ("" when it cannot be had).
std::string currentFolder();

// When gardum.cfg (under the name loads use) is a symbolic link to a file
// outside the current folder, a sentence naming that file ("gardum.cfg is a
// link to /x/y.cfg, outside the game folder."), for the start-up warnings,
// which are then about that file; otherwise "".
std::string configLinkNote();
