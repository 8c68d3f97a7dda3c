// Reading the configurator's command line, and cutting the Windows one into
// arguments first.
#include "app/command_line.h"

const char StartUsage[] =
    "Usage: tarrengard-setup [GAME_FOLDER]\n"
    "       tarrengard-setup --choose-folder [--ask]\n"
    "       tarrengard-setup --version";

bool parseStartArguments(const std::vector<std::string> &arguments, StartOptions *options, std::string *error) {
  *options = StartOptions{};
  bool optionsEnded = false;
  for (const std::string &argument : arguments) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && argument == "--choose-folder") {
      options->chooseFolder = true;
    } else if (!optionsEnded && argument == "--ask") {
      options->ask = true;
    } else if (!optionsEnded && argument == "--version") {
      options->version = true;
    } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      *error = "Unknown option \"" + argument + "\".";
      return false;
    } else if (options->hasFolder) {
      *error = "Only one game folder can be given; \"" + argument + "\" is a second one.";
      return false;
    } else {
      options->hasFolder = true;
      options->folder = argument;
    }
  }
  // A script asking for the version must not start the configurator by mistake.
  if (options->version && (arguments.size() != 1)) {
    *error = "--version takes nothing else.";
    return false;
  }
  if (options->hasFolder && options->chooseFolder) {
    *error = "A game folder and --choose-folder cannot be given together.";
    return false;
  }
  if (options->ask && !options->chooseFolder) {
    *error = "--ask goes with --choose-folder.";
    return false;
  }
  return true;
}

std::vector<std::string> splitWindowsCommandLine(const char *line) {
  std::vector<std::string> arguments;
  if (!line) return arguments;
  const char *at = line;
  for (;;) {
    while (*at == ' ' || *at == '\t') ++at;
    if (!*at) break;
    std::string argument;
    bool quoted = false;
    while (*at && (quoted || (*at != ' ' && *at != '\t'))) {
      if (*at == '\\') {
        size_t backslashes = 0;
        while (*at == '\\') {
          ++backslashes;
          ++at;
        }
        if (*at == '"') {
          argument.append(backslashes / 2, '\\');
          if (backslashes % 2 == 1) {
            argument += '"';
            ++at;
          }
        } else {
          argument.append(backslashes, '\\');
        }
      } else if (*at == '"') {
        ++at;
        if (quoted && *at == '"') {
          argument += '"';
          ++at;
        } else {
          quoted = !quoted;
        }
      } else {
        argument += *at++;
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}
