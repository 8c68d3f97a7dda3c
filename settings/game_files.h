// The game's files found in its folder as the game itself finds them. Off
// Windows the game runs under Wine, which opens a file in any letter case: a
// game copied from a CD in capitals reads its GARDUM.CFG and starts as
// VEXGAME.EXE. Portable; the configurator, its folder check and
// tarrengard-cfg all ask here, so they agree with each other and the game.
#pragma once

#include <string>

struct GameFileName {
  std::string name;  // the name to open in the folder
  int variants = 0;  // entries equal to the wanted name ignoring letter case
};

// How Wine finds `wanted` in `folder`: an entry of exactly that name when
// there is one; otherwise the first entry, in the order the folder lists
// its entries, equal to it ignoring ASCII letter case; otherwise `wanted`
// itself, the name a new file gets. `variants` counts every entry equal to
// `wanted` ignoring case, so above 1 means one was chosen among several. On
// Windows, whose file systems ignore case themselves, always `wanted`, and
// `variants` only says whether it exists.
GameFileName findGameFile(const std::string &folder, const char *wanted);
