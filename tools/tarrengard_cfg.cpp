/*
 * tarrengard-cfg: the configuration library and the settings loader and saver
 * from the command line. Players and scripts use it to inspect, check and edit
 * gardum.cfg without the configurator's dialogs; the tests use it to observe
 * the library from outside.
 *
 * Output is ASCII JSON in which every string is a byte string, so any file,
 * whatever bytes it holds, can be shown without loss. Exit status: 0 success,
 * 1 only for "check" with diagnostics, 2 for usage errors, malformed values
 * and files that cannot be read or written.
 */
#include <fcntl.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "config/config.h"
#include "config/support.h"
#include "settings/settings_table.h"
#include "tools/cfg_arguments.h"
#include "tools/cfg_common.h"
#include "tools/cfg_documents.h"
#include "tools/json_output.h"
#include "tools/library_output.h"

using namespace cfg;

namespace {

// The help: HelpIntro, the usage of each command in the table, HelpNotes.
const char HelpIntro[] =
    "usage: tarrengard-cfg COMMAND ARGUMENTS...\n"
    "       tarrengard-cfg --version\n"
    "\n"
    "Reads and edits Tarrengard configuration files (gardum.cfg) with the same\n"
    "library the configurator uses.\n"
    "\n"
    "Commands:\n";

const char HelpNotes[] =
    "\n"
    "Options may stand anywhere after the command; \"--\" ends them, so a\n"
    "value that looks like an option can follow it. -h and --help ask for\n"
    "this text only in the command's place; later, -h is a value and --help\n"
    "an unknown option.\n"
    "\n"
    "JSON strings are byte strings: '\"' and '\\' are escaped with a backslash,\n"
    "and every byte below 0x20, 0x7F and every byte from 0x80 to 0xFF is\n"
    "written as \\u00XX, so the output is pure ASCII.\n"
    "\n"
    "Parser diagnostics go to standard output for \"check\" and to standard\n"
    "error for every other command.\n"
    "\n"
    "settings and save find gardum.cfg in any letter case off Windows, as the\n"
    "game does under Wine: the exact name first, else the first one listed.\n"
    "\n"
    "set, save and normalize (without -o) lock the file from reading it to\n"
    "saving it, so that changes made at the same time are all kept; a lock\n"
    "held elsewhere for 5 seconds ends the command (exit 2).\n"
    "\n"
    "Exit status: 0 success; 1 \"check\" found diagnostics; 2 usage error,\n"
    "malformed VALUE, or a file that cannot be read or written.\n";

// ---- Fatal errors ------------------------------------------------------------

// The library ends the process on exhausted memory (files are read through
// fileReadWhole, which never does). This keeps the tool's own contract even
// then: a message on stderr and status 2.
// What the library printed meanwhile is caught and dropped with the capture
// (see tools/library_output.h).
void onFatalError(const char *message) {
  fflush(stdout);
  if (!message) message = "fatal error";
  size_t length = strlen(message);
  while (length > 0 && message[length - 1] == '\n') length--;
  fprintf(stderr, "%s: %.*s\n", ProgramName, static_cast<int>(length), message);
  fflush(stderr);
  _exit(ExitFailure);
}

// ---- Commands ---------------------------------------------------------------------

int runCheck(int argc, char **argv) {
  CommandLine line;
  if (int status = splitArguments(argc, argv, nullptr, nullptr, &line)) return status;
  if (line.operands.size() != 1) return usageError("check takes one FILE");
  ConfigHandle handle;
  int parseResult = 0;
  if (int status = loadDocument(line.operands[0], true, &handle, &parseResult)) return status;
  configFree(handle);
  return finishOutput(parseResult == 0 ? ExitSuccess : ExitDiagnostics);
}

int runDump(int argc, char **argv) {
  CommandLine line;
  if (int status = splitArguments(argc, argv, nullptr, nullptr, &line)) return status;
  if (line.operands.size() != 1) return usageError("dump takes one FILE");
  ConfigHandle handle;
  if (int status = loadDocument(line.operands[0], false, &handle, nullptr)) return status;
  putDocument(handle);
  configFree(handle);
  return finishOutput(ExitSuccess);
}

// A buffer large enough for any token of the value, filled with a marker so an
// untouched buffer can be told from a written one: a written one always holds
// the terminator, and the marker byte holds no zero.
std::vector<char> markedBuffer(ConfigHandle handle, const char *section, const char *key) {
  const char *raw = configGetRaw(handle, section, key);
  size_t capacity = (raw ? strlen(raw) : 0) + 1;
  return std::vector<char>(capacity, static_cast<char>(0xFF));
}

int runGet(int argc, char **argv) {
  static const char *const Modes[] = {"--raw", "--string", "--pair", "--int", "--bool", nullptr};
  CommandLine line;
  if (int status = splitArguments(argc, argv, Modes, nullptr, &line)) return status;
  if (line.operands.size() != 3) return usageError("get takes FILE SECTION KEY and a mode");
  if (!line.mode) return usageError("get needs one of --raw, --string, --pair, --int, --bool");
  const char *section = line.operands[1];
  const char *key = line.operands[2];
  ConfigHandle handle;
  if (int status = loadDocument(line.operands[0], false, &handle, nullptr)) return status;

  if (strcmp(line.mode, "--raw") == 0) {
    putJsonString(configGetRaw(handle, section, key));
  } else if (strcmp(line.mode, "--string") == 0) {
    std::vector<char> buffer = markedBuffer(handle, section, key);
    configGetString(handle, section, key, buffer.data(), buffer.size());
    putDecodedToken(buffer);
  } else if (strcmp(line.mode, "--pair") == 0) {
    std::vector<char> first = markedBuffer(handle, section, key);
    std::vector<char> second = first;
    configGetStringPair(handle, section, key, first.data(), first.size(), second.data(), second.size());
    putchar('[');
    putDecodedToken(first);
    putchar(',');
    putDecodedToken(second);
    putchar(']');
  } else if (strcmp(line.mode, "--int") == 0) {
    // Any 32-bit value can be an answer, so "untouched" is seen by asking
    // twice with different preloads: only an untouched integer keeps both.
    int32_t value = 0;
    int32_t probe = 1;
    int status = configGetInteger(handle, section, key, &value);
    configGetInteger(handle, section, key, &probe);
    fputs("{\"value\":", stdout);
    if (value == 0 && probe == 1) {
      fputs("null", stdout);
    } else {
      printf("%d", static_cast<int>(value));
    }
    printf(",\"status\":%d}", status);
  } else {
    int32_t flag = 2;  // neither answer the query can give
    configGetBoolean(handle, section, key, &flag);
    if (flag == 2) {
      fputs("null", stdout);
    } else {
      printf("%d", static_cast<int>(flag));
    }
  }
  putchar('\n');
  configFree(handle);
  return finishOutput(ExitSuccess);
}

int runSet(int argc, char **argv) {
  static const char *const Modes[] = {"--raw", "--string", "--int", "--hex", "--bool", "--double", nullptr};
  CommandLine line;
  if (int status = splitArguments(argc, argv, Modes, nullptr, &line)) return status;
  if (line.operands.size() != 4) return usageError("set takes FILE SECTION KEY VALUE and a mode");
  if (!line.mode) {
    return usageError("set needs one of --raw, --string, --int, --hex, --bool, --double");
  }
  const char *path = line.operands[0];
  const char *section = line.operands[1];
  const char *key = line.operands[2];
  const char *value = line.operands[3];

  // The value is checked before the file is touched, so a typo never saves.
  int32_t integer = 0;
  int flag = 0;
  double real = 0;
  const char *mode = line.mode;
  bool integerMode = strcmp(mode, "--int") == 0 || strcmp(mode, "--hex") == 0;
  if (integerMode && !parseInteger32(value, &integer)) {
    return usageError("%s needs a decimal 32-bit integer, not '%s'", mode, value);
  }
  // 0x80000000 and above read back as 2147483647, so no negative number is
  // stored in hexadecimal.
  if (strcmp(mode, "--hex") == 0 && integer < 0) {
    return usageError("--hex needs an integer from 0 to 2147483647, not '%s'", value);
  }
  if (strcmp(mode, "--bool") == 0 && !parseBoolean(value, &flag)) {
    return usageError("--bool needs 1, 0, true or false, not '%s'", value);
  }
  bool tooSmall = false;
  if (strcmp(mode, "--double") == 0 && !parseDecimalDouble(value, &real, &tooSmall)) {
    if (tooSmall) return usageError("--double: '%s' is too small to store; it would read back as 0", value);
    return usageError("--double needs a finite decimal number, not '%s'", value);
  }
  if (strcmp(mode, "--raw") == 0) {
    if (const char *reason = configUnwritableRawValue(value)) return usageError("%s", reason);
  }
  if (const char *reason = configUnwritableKey(key)) return usageError("%s", reason);

  LockedFile locked;
  if (int status = locked.take(path, path)) return status;
  ConfigHandle handle;
  if (int status = loadOrCreateDocument(path, &handle)) return status;
  if (const char *reason = configUnwritableSection(handle, section)) {
    configFree(handle);
    return usageError("%s", reason);
  }
  if (strcmp(mode, "--raw") == 0) {
    configPutRaw(handle, section, key, value);
  } else if (strcmp(mode, "--string") == 0) {
    configPutString(handle, section, key, value);
  } else if (integerMode) {
    configPutInteger(handle, section, key, integer, strcmp(mode, "--hex") == 0);
  } else if (strcmp(mode, "--bool") == 0) {
    configPutBoolean(handle, section, key, flag);
  } else {
    configPutDouble(handle, section, key, real);
  }
  int status = saveDocument(handle, path);
  configFree(handle);
  return status;
}

int runNormalize(int argc, char **argv) {
  CommandLine line;
  if (int status = splitArguments(argc, argv, nullptr, "-o", &line)) return status;
  if (line.operands.size() != 1) return usageError("normalize takes one FILE");
  const char *path = line.operands[0];
  // Written back in place, the file is changed like by "set"; written
  // elsewhere, it is only read.
  LockedFile locked;
  if (!line.optionValue) {
    if (int status = locked.take(path, path)) return status;
  }
  ConfigHandle handle;
  if (int status = loadDocument(path, false, &handle, nullptr)) return status;
  int status = saveDocument(handle, line.optionValue ? line.optionValue : path);
  configFree(handle);
  return status;
}

// gardum.cfg as the user named it: in DIR when -C was given, under the name
// the configurator uses there.
std::string settingsFileName(const char *folder) {
  const std::string &name = GameSettings.configFileName;
  return folder ? std::string(folder) + "/" + name : name;
}

// Enters DIR and loads the settings as the configurator's start-up does,
// first taking gardum.cfg's lock when `locked` is given. A gardum.cfg that is
// there but cannot be read is an error here: the program would show defaults
// and refuse to save, and a tool has no one to tell.
int loadSettingsIn(const char *folder, LockedFile *locked = nullptr) {
  if (folder && chdir(folder) != 0) {
    reportError("cannot enter %s: %s", folder, strerror(errno));
    return ExitFailure;
  }
  // In any letter case, as the configurator and the game find it.
  findConfigFile();
  if (locked) {
    if (int status = locked->take(GameSettings.configFileName.c_str(), settingsFileName(folder))) return status;
  }
  placeDefaultBindings();
  captureLibraryOutput();
  loadSettings();
  releaseLibraryOutput();
  if (GameSettings.configReadError != 0) {
    reportError("cannot read %s: %s", settingsFileName(folder).c_str(), fileErrorText(GameSettings.configReadError));
    return ExitFailure;
  }
  return ExitSuccess;
}

int runSettings(int argc, char **argv) {
  CommandLine line;
  if (int status = splitArguments(argc, argv, nullptr, "-C", &line)) return status;
  if (!line.operands.empty()) return usageError("settings takes no operands (only -C DIR)");
  if (int status = loadSettingsIn(line.optionValue)) return status;
  putSettingsRecord();
  return finishOutput(ExitSuccess);
}

int runSave(int argc, char **argv) {
  CommandLine line;
  if (int status = splitArguments(argc, argv, nullptr, "-C", &line)) return status;
  if (!line.operands.empty()) return usageError("save takes no operands (only -C DIR)");
  LockedFile locked;
  if (int status = loadSettingsIn(line.optionValue, &locked)) return status;
  if (!saveSettings()) {
    reportError("cannot write %s: %s", settingsFileName(line.optionValue).c_str(), strerror(errno));
    return ExitFailure;
  }
  return ExitSuccess;
}

// ---- The command table ------------------------------------------------------------

// Every command, in the order the help lists them: running one and describing
// it both come from here.
struct Command {
  const char *name;
  int (*run)(int argc, char **argv);  // given the arguments after the command
  const char *usage;                  // its lines in the help
};

constexpr Command Commands[] = {
    {"check", runCheck,
     "  check FILE                    print the parser's diagnostics for FILE;\n"
     "                                exit 0 when there are none, 1 otherwise\n"},
    {"dump", runDump,
     "  dump FILE                     print every section and entry as JSON:\n"
     "                                {\"sections\":[{\"name\":S,\"entries\":[[KEY,VALUE],...]},...]}\n"},
    {"get", runGet,
     "  get FILE SECTION KEY MODE     print one value, MODE being one of\n"
     "      --raw                     the raw text, or null with no sections\n"
     "      --string                  the first string token, or null\n"
     "      --pair                    [FIRST,SECOND], each a string or null\n"
     "      --int                     {\"value\":N or null,\"status\":S}\n"
     "      --bool                    1, 0 or null\n"},
    {"set", runSet,
     "  set FILE SECTION KEY VALUE MODE\n"
     "                                store VALUE and save FILE (created when\n"
     "                                absent); MODE is one of\n"
     "      --raw                     VALUE stored as it is\n"
     "      --string                  VALUE quoted (and escaped where needed)\n"
     "      --int                     a decimal 32-bit integer, stored in decimal\n"
     "      --hex                     a decimal integer 0 to 2147483647, stored as 0x...\n"
     "      --bool                    1, 0, true or false, stored as 1 or 0\n"
     "      --double                  a decimal floating-point number\n"},
    {"normalize", runNormalize,
     "  normalize FILE [-o OUT]       load FILE and write it back in the\n"
     "                                program's own layout, to OUT or FILE\n"},
    {"settings", runSettings,
     "  settings [-C DIR]             print the game settings read from\n"
     "                                DIR/gardum.cfg (default: this folder)\n"},
    {"save", runSave,
     "  save [-C DIR]                 read the settings from DIR/gardum.cfg and\n"
     "                                write them back as the configurator does\n"},
};

// A usage begins with its command's name, so the help cannot name a command
// the table runs under another.
constexpr bool usageNamesCommand(const Command &command) {
  const char *usage = command.usage + 2;
  const char *name = command.name;
  while (*name && *usage == *name) usage++, name++;
  return *name == '\0' && (*usage == ' ' || *usage == '\n');
}
static_assert([] {
  for (const Command &command : Commands) {
    if (!usageNamesCommand(command)) return false;
  }
  return true;
}());

const Command *findCommand(const char *name) {
  for (const Command &command : Commands) {
    if (strcmp(command.name, name) == 0) return &command;
  }
  return nullptr;
}

void putHelp() {
  fputs(HelpIntro, stdout);
  for (const Command &command : Commands) fputs(command.usage, stdout);
  fputs(HelpNotes, stdout);
}

// Help is asked for only in the command's place. Anywhere later "-h" is an
// operand (a VALUE may be "-h") and "--help" an unknown option: printing help
// there would exit 0 for a command that was never run.
bool asksForHelp(int argc, char **argv) {
  return argc >= 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0);
}

// The output is the same bytes on every platform: the Windows runtime would
// otherwise turn each line feed of the JSON and the messages into CR LF.
void useBinaryOutput() {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
}

int runCommandLine(int argc, char **argv) {
  if (asksForHelp(argc, argv)) {
    putHelp();
    return finishOutput(ExitSuccess);
  }
  // Like help, only in the command's place.
  if (argc >= 2 && strcmp(argv[1], "--version") == 0) {
    fputs("tarrengard-cfg " TG_VERSION "\n", stdout);
    return finishOutput(ExitSuccess);
  }
  if (argc < 2) return usageError("no command given");
  const char *command = argv[1];
  int restCount = argc - 2;
  char **rest = argv + 2;
  if (const Command *known = findCommand(command)) return known->run(restCount, rest);
  return usageError("unknown command '%s'", command);
}

}  // namespace

// An exception (std::bad_alloc from a container, say) would otherwise end the
// tool through std::terminate, with an abort and no message of its own.
int main(int argc, char **argv) {
  // A closed stdout would otherwise leave the library's diagnostics nowhere
  // to be caught (see captureLibraryOutput).
  ensureStandardDescriptors();
  useBinaryOutput();
  setFatalErrorHook(onFatalError);
  try {
    return runCommandLine(argc, argv);
  } catch (const std::bad_alloc &) {
    reportError("out of memory");
  } catch (const std::exception &error) {
    reportError("%s", error.what());
  } catch (...) {
    reportError("unexpected error");
  }
  return ExitFailure;
}
