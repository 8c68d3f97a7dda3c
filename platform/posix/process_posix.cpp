// CreateProcessA off Windows: starts a program from the current folder as an
// independent process, the way the configurator starts the game.
//
// Only what the launch needs is offered: an application name, no command
// line, no new environment or folder. The program is "./<name>" (a relative
// name is never looked up along PATH), started with no arguments in a new
// session with its standard streams on /dev/null, and not waited for. A file
// that begins with "MZ" and cannot be executed directly is handed to `wine`
// when that is on PATH. Any failure returns 0.
//
// Two forks leave the program a child of init, so no zombie is left behind
// and it outlives us; a close-on-exec pipe tells the caller whether the exec
// worked. Everything the children need is prepared before the first fork, so
// they only make async-signal-safe calls (the caller may have threads).
#ifndef _WIN32
#include "platform/win32.h"

#include <cerrno>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

struct LaunchPlan {
  std::string program;  // "./vexgame.exe" or an absolute name
  std::string wine;     // full name of wine when the program needs it, else empty
  int descriptorLimit;  // descriptors from 3 up to this one are closed
};

bool isExecutableFile(const std::string &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool beginsWithMz(const std::string &path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char head[2] = {0, 0};
  ssize_t got = read(fd, head, 2);
  close(fd);
  return got == 2 && head[0] == 'M' && head[1] == 'Z';
}

// Where `wine` would be found along PATH, or an empty string.
std::string findWine() {
  const char *path = getenv("PATH");
  if (!path) return {};
  std::string folders = path;
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    std::string candidate = (folder.empty() ? std::string(".") : folder) + "/wine";
    if (isExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return {};
}

bool readAll(int fd, void *buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t got = read(fd, (char *)buffer + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += (size_t)got;
  }
  return true;
}

void writeAll(int fd, const void *buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t put = write(fd, (const char *)buffer + done, size - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return;
    done += (size_t)put;
  }
}

// In the grandchild: detach, exec, and on failure report errno and end.
[[noreturn]] void runProgram(const LaunchPlan &plan, int statusFd) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  // Ignored signals stay ignored across exec; the game should not inherit that.
  for (int s = 1; s < NSIG; ++s)
    if (s != SIGKILL && s != SIGSTOP) signal(s, SIG_DFL);

  int null = open("/dev/null", O_RDWR);
  if (null >= 0) {
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (null > 2) close(null);
  }
  // Handles are not inherited: close everything but the status pipe.
  for (int fd = 3; fd < plan.descriptorLimit; ++fd)
    if (fd != statusFd) close(fd);

  char *const argv[] = {(char *)plan.program.c_str(), nullptr};
  execve(plan.program.c_str(), argv, environ);
  int error = errno;
  if (!plan.wine.empty()) {
    char *const wineArgv[] = {(char *)"wine", (char *)plan.program.c_str(), nullptr};
    execve(plan.wine.c_str(), wineArgv, environ);
    error = errno;
  }
  writeAll(statusFd, &error, sizeof error);
  _exit(127);
}

}  // namespace

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                    LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation) {
  // What the layer does not offer is refused rather than silently ignored.
  if (!applicationName || !*applicationName || (commandLine && *commandLine) || inheritHandles || creationFlags != 0 ||
      environment || currentDirectory || !startupInfo || !processInformation)
    return FALSE;

  LaunchPlan plan;
  plan.program = applicationName[0] == '/' ? std::string(applicationName) : std::string("./") + applicationName;
  struct stat info;
  if (stat(plan.program.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return FALSE;
  // A Windows program the system may not run by itself (binfmt_misc could).
  if (beginsWithMz(plan.program)) plan.wine = findWine();
  long limit = sysconf(_SC_OPEN_MAX);
  plan.descriptorLimit = limit < 0 || limit > 65536 ? 65536 : (int)limit;

  int status[2];
  if (pipe2(status, O_CLOEXEC) != 0) return FALSE;

  pid_t child = fork();
  if (child < 0) {
    close(status[0]);
    close(status[1]);
    return FALSE;
  }
  if (child == 0) {
    close(status[0]);
    setsid();
    pid_t game = fork();
    if (game == 0) runProgram(plan, status[1]);
    int32_t id = game;  // -1 when the second fork failed
    writeAll(status[1], &id, sizeof id);
    _exit(0);
  }

  close(status[1]);
  int childStatus = 0;
  while (waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
  }
  int32_t game = -1;
  int execError = 0;
  // The pid comes first (from the middle process); an errno after it means
  // the exec failed; the end of the pipe alone means it worked.
  bool started =
      readAll(status[0], &game, sizeof game) && game > 0 && !readAll(status[0], &execError, sizeof execError);
  close(status[0]);
  if (!started) return FALSE;

  memset(processInformation, 0, sizeof *processInformation);
  processInformation->dwProcessId = (DWORD)game;
  processInformation->dwThreadId = (DWORD)game;  // the main thread's id is the pid
  return TRUE;
}
#endif  // _WIN32
