// Start-up of the configurator: enters the game folder the command line
// names or finds, places the default bindings, reads gardum.cfg (telling the
// user about lines it could not read), runs the main menu until the user
// leaves it, releases the document and, when asked to, starts the game and
// ends without waiting.
#include "app/startup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/command_line.h"
#include "app/game_folder.h"
#include "config/config.h"
#include "config/support.h"
#include "platform/desktop.h"
#include "platform/callback_guard.h"
#include "settings/game_files.h"
#include "settings/settings.h"
#include "ui/dialogs.h"
#include "ui/main_menu.h"
#include "ui/resource.h"

const char GameProgramName[] = "vexgame.exe";

namespace {

const char MenuCaption[] = "Tarrengard Configuration";

// At most this many diagnostics are quoted; the rest are counted.
const size_t QuotedDiagnostics = 5;
// A quoted line of the file is cut to this many characters, "..." included.
const size_t QuotedLineLength = 60;

// Address space kept for the box of a fatal error, which may be the first
// window and so start the toolkit: measured on X11 about 28 MB (two threads'
// 8 MB stacks among it), without a display about 2 MB.
const size_t FatalErrorBoxMemory = 32u << 20;

}  // namespace

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
  MessageBoxA(nullptr, text, MenuCaption, MB_ICONERROR | MB_OK | MB_TASKMODAL);
}

// gardum.cfg is there but could not be read: the menu shows the defaults,
// and the user must know that, and why no save will replace the file.
static void warnUnreadableFile(int error) {
  char text[1024];
  std::string link = configLinkNote();
  snprintf(text, sizeof text,
           "%s could not be read (%s). The settings shown are the defaults, and saving will not replace the file.%s%s",
           GameSettings.configFileName.c_str(), fileErrorText(error), link.empty() ? "" : " ", link.c_str());
  MessageBoxA(nullptr, text, MenuCaption, MB_ICONWARNING | MB_OK);
}

namespace {

// What the parser said while gardum.cfg was read.
struct LoadDiagnostics {
  std::vector<std::string> messages;
  std::vector<long> messageLines;  // the line each message is about
  long lines = 0;                  // lines they are about (a line may have two)
  long unfinishedLine = 0;         // the last line, when the file ends inside it; 0 otherwise
};

}  // namespace

static void collectDiagnostic(void *context, long line, const char *message) {
  auto *diagnostics = static_cast<LoadDiagnostics *>(context);
  // The parser goes forward through the file, so a line's diagnostics follow
  // each other.
  if (diagnostics->messageLines.empty() || line != diagnostics->messageLines.back()) diagnostics->lines++;
  diagnostics->messages.push_back(message);
  diagnostics->messageLines.push_back(line);
}

static void collectUnfinishedLine(void *context, long line) {
  static_cast<LoadDiagnostics *>(context)->unfinishedLine = line;
}

// A line of the file as a warning quotes it, so the player can find it in an
// editor: without the blanks the parser skips, cut to QuotedLineLength
// characters, and with every control character (a zero byte, an escape)
// shown as "?" rather than handed to the message box.
static std::string quotedLine(const FileContents &file, long line) {
  long start = 0, count = 0;
  if (!configFindLine(file.text, file.length, line, &start, &count)) return std::string();
  const char *at = file.text + start;
  while (count > 0 && (*at == ' ' || *at == '\t')) at++, count--;
  bool cut = count > (long)QuotedLineLength;
  if (cut) count = (long)QuotedLineLength - 3;
  std::string text = "\"";
  for (long i = 0; i < count; i++) {
    unsigned char c = (unsigned char)at[i];
    text += c == '\t' ? ' ' : c < 0x20 || c == 0x7F ? '?' : (char)c;
  }
  return text + (cut ? "...\"" : "\"");
}

// The parser drops the lines it cannot read, and a save writes the document
// back: the user should know before changing anything, and where those lines
// are. So does an unfinished last line, which the parser drops silently.
static void warnUnreadLines(const LoadDiagnostics &diagnostics) {
  // Read again for the lines' own texts: the loaded text is the document's now.
  FileContents file;
  if (fileReadWhole(GameSettings.configFileName.c_str(), &file) != 0) file.text = nullptr;
  auto lineText = [&file](long line) { return file.text ? quotedLine(file, line) : std::string(); };
  const std::string &name = GameSettings.configFileName;
  std::string text;
  if (!diagnostics.messages.empty()) {
    text = std::to_string(diagnostics.lines) + (diagnostics.lines == 1 ? " line" : " lines") + " of " + name +
           " could not be read:\n\n";
    size_t quoted = std::min(diagnostics.messages.size(), QuotedDiagnostics);
    for (size_t i = 0; i < quoted; ++i) {
      text += diagnostics.messages[i] + "\n";
      // A line's text once, under its last diagnostic.
      long line = diagnostics.messageLines[i];
      std::string own = i + 1 < quoted && diagnostics.messageLines[i + 1] == line ? std::string() : lineText(line);
      if (!own.empty()) text += "    " + own + "\n";
    }
    if (diagnostics.messages.size() > QuotedDiagnostics)
      text += "...and " + std::to_string(diagnostics.messages.size() - QuotedDiagnostics) + " more.\n";
    text += diagnostics.lines == 1 ? "\nThat line will be dropped when the configuration is saved."
                                   : "\nThese lines will be dropped when the configuration is saved.";
  }
  if (diagnostics.unfinishedLine > 0) {
    std::string own = lineText(diagnostics.unfinishedLine);
    if (!text.empty()) text += "\n\n";
    text += (text.empty() ? "The last line of " + name : std::string("The last line")) +
            (own.empty() ? "" : ", " + own + ",") + " is unfinished and will not be kept when saving.";
  }
  if (file.text) memFree(file.text);
  std::string link = configLinkNote();
  if (!link.empty()) text += "\n\n" + link;
  MessageBoxA(nullptr, text.c_str(), MenuCaption, MB_ICONWARNING | MB_OK);
}

// Names that differ only in letter case are different files off Windows,
// and the game, under Wine, opens one of them: the user should know which
// one the settings come from and go to. "" when the name has one file.
static std::string caseVariantNote(const char *wanted, const std::string &used, int variants) {
  if (variants < 2) return std::string();
  return "The game folder holds " + std::to_string(variants) + " files named " + wanted +
         " in different letter case: " + used + " is used, the one the game opens.";
}

// An exception inside a dialog procedure or another callback of the system
// ends the program the way a fatal error of the library does.
[[noreturn]] static void failThroughFatalError(const char *message) { fatalError("%s", message); }

static void commandLineError(const std::string &message) {
  MessageBoxA(nullptr, message.c_str(), MenuCaption, MB_ICONERROR | MB_OK);
}

// The folder in use, shown as the main menu's tooltip.
static std::string FolderInUse;

// The main menu as it is, with the folder in use as its tooltip once its
// controls exist.
static INT_PTR CALLBACK mainMenuWithFolderProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = mainMenuDialogProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) setWindowToolTip(dialog, FolderInUse.c_str());
  return result;
}

// The version, on standard output. A windowed program on Windows has one
// only when it was redirected (or runs under Wine from a terminal); else the
// version is shown in a box.
static void showVersion() {
  const char text[] = "tarrengard-setup " TG_VERSION "\n";
#ifdef _WIN32
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) {
    MessageBoxA(nullptr, text, MenuCaption, MB_ICONINFORMATION | MB_OK);
    return;
  }
#endif
  fputs(text, stdout);
  fflush(stdout);
}

// Reads the command line and enters the game folder it names or finds.
// Returns -1 to go on, otherwise the exit code to end with.
static int enterFolderOfCommandLine(const std::vector<std::string> &arguments) {
  StartOptions options;
  std::string error;
  if (!parseStartArguments(arguments, &options, &error)) {
    commandLineError(error + "\n\n" + StartUsage);
    return 1;
  }
  if (options.version) {
    showVersion();
    return 0;
  }
  std::string folder;
  if (options.hasFolder) {
    folder = options.folder;
  } else if (options.chooseFolder) {
    if (!findOrChooseGameFolder(options.ask, &folder)) return 0;  // cancelled: nothing to do, nothing written
  } else {
    return -1;  // the current folder, as started
  }
  if (!enterGameFolder(folder, &error)) {
    commandLineError(error);
    return 1;
  }
  return -1;
}

// Starts the game; on failure, the reason as GetLastError gives it. The name
// it was started or looked for under goes to *program.
static bool launchGame(std::string *program, DWORD *reason) {
  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  memset(&process, 0, sizeof process);
  // A relative name: the game is looked for in the current folder only, in
  // any letter case as Wine would find it.
  *program = findGameFile(".", GameProgramName).name;
  if (CreateProcessA(program->c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return true;
  *reason = GetLastError();
  return false;
}

// What the player can do about a failed start, as a last line, or null.
// Off Windows the launch gives these codes when the game is a Windows program
// and no Wine can run it: none at all, or only a 64-bit one for a 32-bit
// program. On Windows the same codes mean a broken program, which Wine
// would not mend.
static const char *launchFailureAdvice(DWORD reason) {
#ifndef _WIN32
  switch (reason) {
    case ERROR_BAD_EXE_FORMAT: return "Wine is needed to start a Windows program.";
    case ERROR_EXE_MACHINE_TYPE_MISMATCH: return "32-bit Wine is needed to start this program.";
    default: return nullptr;
  }
#else
  (void)reason;
  return nullptr;
#endif
}

// Why the game did not start, in plain words, naming the file and the
// folder it was looked for in: the player may have started the configurator
// in another folder than they think.
static std::string launchFailureReason(DWORD reason, const std::string &program, const std::string &folder) {
  if (reason == ERROR_FILE_NOT_FOUND || reason == ERROR_PATH_NOT_FOUND)
    return program + " was not found in " + folder + ".";
  std::string where = program + " in " + folder;
  std::error_code error;
  if (std::filesystem::is_directory(program, error)) return where + " is a folder, not a program.";
  std::string why;
  switch (reason) {
    case ERROR_ACCESS_DENIED: why = "permission denied"; break;
    case ERROR_BAD_FORMAT: why = "it is not a program"; break;
    case ERROR_NOT_ENOUGH_MEMORY: why = "there is not enough memory"; break;
#ifndef _WIN32
    case ERROR_BAD_EXE_FORMAT: why = "it is a Windows program"; break;
    case ERROR_EXE_MACHINE_TYPE_MISMATCH: why = "it is a 32-bit Windows program"; break;
#else
    case ERROR_BAD_EXE_FORMAT: why = "it is not a program Windows can run"; break;
    case ERROR_EXE_MACHINE_TYPE_MISMATCH: why = "it is made for another kind of Windows"; break;
#endif
    default:
      why = systemErrorText(reason);
      while (!why.empty() && (why.back() == '.' || why.back() == ' ')) why.pop_back();
      break;
  }
  return where + " could not be started: " + why + ".";
}

static void reportLaunchFailure(DWORD reason, const std::string &program) {
  std::string text = "Failed starting VEXGAME.EXE.\n" + launchFailureReason(reason, program, FolderInUse);
  if (const char *advice = launchFailureAdvice(reason)) text += std::string("\n") + advice;
  MessageBoxA(nullptr, text.c_str(), "Failure starting game", MB_ICONERROR);
}

int tarrengardMain(HINSTANCE instance, const std::vector<std::string> &arguments) {
  setFatalErrorHook(showFatalError);
  setCallbackFailureHandler(failThroughFatalError);
  reserveFatalErrorMemory(FatalErrorBoxMemory);
  // Before anything else: from here on the configurator works in the game
  // folder exactly as if it had been started there.
  int exitCode = enterFolderOfCommandLine(arguments);
  if (exitCode >= 0) return exitCode;
  FolderInUse = currentFolder();

  InitCommonControls();
  GameSettings.appInstance = instance;
  placeDefaultBindings();
  int configVariants = findConfigFile();
  GameFileName game = findGameFile(".", GameProgramName);
  std::string caseNote = caseVariantNote(ConfigFileName, GameSettings.configFileName, configVariants);
  std::string gameNote = caseVariantNote(GameProgramName, game.name, game.variants);
  if (!caseNote.empty() && !gameNote.empty()) caseNote += "\n\n";
  caseNote += gameNote;
  if (!caseNote.empty()) MessageBoxA(nullptr, caseNote.c_str(), MenuCaption, MB_ICONWARNING | MB_OK);
  LoadDiagnostics diagnostics;
  configSetDiagnosticHook(collectDiagnostic, &diagnostics, collectUnfinishedLine);
  loadSettings();
  configSetDiagnosticHook(nullptr, nullptr);
  if (GameSettings.configReadError != 0)
    warnUnreadableFile(GameSettings.configReadError);
  else if (!diagnostics.messages.empty() || diagnostics.unfinishedLine > 0)
    warnUnreadLines(diagnostics);

  openDialogBox<mainMenuWithFolderProc>(nullptr, IDD_MAIN_MENU);

  if (GameSettings.configHandle >= 0) configFree(GameSettings.configHandle);

  DWORD reason = ERROR_SUCCESS;
  std::string program;
  if (GameSettings.runGameOnExit && !launchGame(&program, &reason)) {
    reportLaunchFailure(reason, program);
    return 1;
  }
  return 0;
}
