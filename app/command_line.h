// The configurator's command line: an optional game folder, or the options
// that find one. Portable; the entry points hand over their arguments.
#pragma once

#include <string>
#include <vector>

struct StartOptions {
  bool hasFolder = false;     // a GAME_FOLDER was given
  std::string folder;         // ... this one
  bool chooseFolder = false;  // --choose-folder: the remembered folder, or ask
  bool ask = false;           // --ask (with --choose-folder): ask even when one is remembered
  bool version = false;       // --version: print the version and end, before any window
};

// The usage lines, for messages.
extern const char StartUsage[];

// Reads the arguments after the program's name: [GAME_FOLDER], or
// --choose-folder [--ask], or --version alone; "--" ends the options, so a
// folder may begin with "-". False with a message in *error for an unknown
// option, a second folder, a folder given with --choose-folder, or --version
// with anything else.
bool parseStartArguments(const std::vector<std::string> &arguments, StartOptions *options, std::string *error);

// WinMain's command line (without the program's name) cut into arguments as
// the C runtime cuts one: blanks and tabs separate; double quotes group, so
// a folder with blanks may be quoted; 2n backslashes before a quote are n
// backslashes, 2n + 1 are n and a literal quote; other backslashes are
// themselves; "" inside quotes is a literal quote.
std::vector<std::string> splitWindowsCommandLine(const char *line);
