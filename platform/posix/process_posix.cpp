/* CreateProcessA off Windows: starts a program from the current folder as an
 * independent process, the way the configurator starts the game.
 *
 * Only what the launch needs is offered: an application name, no command
 * line, no new environment or folder. The program is "./<name>" (a relative
 * name is never looked up along PATH), started with no arguments in a new
 * session with its standard streams on /dev/null and no other descriptor of
 * ours, and not waited for. A file that begins with "MZ" must be a Windows
 * program Wine runs, and is handed to Wine when it cannot be executed
 * directly: to the loader for its machine where the distribution keeps the
 * loaders apart, else to `wine` from an absolute folder on PATH; inside the
 * Wine prefix that holds the game folder, unless the player chose one. Any
 * failure returns 0 with the reason for GetLastError, in the codes Windows
 * uses: ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_FORMAT for a file
 * that is no program, ERROR_BAD_EXE_FORMAT for a Windows program with no Wine
 * to run it, as Windows answers for a program made for another system, and
 * ERROR_EXE_MACHINE_TYPE_MISMATCH for a 32-bit one where only a 64-bit Wine
 * is installed, as Windows answers for a machine it does not run.
 *
 * Two forks leave the program a child of init, so no zombie is left behind
 * and it outlives us; a close-on-exec pipe tells the caller whether the exec
 * worked. Everything the children need is prepared before the first fork, so
 * they only make async-signal-safe calls (the caller may have threads). */
#ifndef _WIN32
#include "platform/posix/process_posix.h"
#include "platform/posix/system_posix.h"
#include "platform/win32.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <dirent.h>
#endif

extern char **environ;

namespace {

// Where the status pipe sits in the game's process until the exec: right
// above the standard streams, so that one range closes everything else.
const int StatusDescriptor = 3;

const unsigned MachineI386 = 0x14c, MachineAmd64 = 0x8664;

struct LaunchPlan {
  std::string program;              // "./vexgame.exe" or an absolute name
  bool windows = false;             // a Windows program
  std::string wine;                 // full name of the Wine to run it with when it needs one, else empty
  std::string prefixVariable;       // "WINEPREFIX=..." to add, else empty
  std::vector<char *> environment;  // the game's, ready before the fork
  int descriptorCeiling;            // no descriptor of ours is numbered this high
};

bool isExecutableFile(const std::string &path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool readAt(int fd, void *buffer, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t got = pread(fd, (char *)buffer + done, size - done, offset + (off_t)done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += (size_t)got;
  }
  return true;
}

bool beginsWithMz(const std::string &path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char head[2] = {0, 0};
  bool mz = readAt(fd, head, sizeof head, 0) && head[0] == 'M' && head[1] == 'Z';
  close(fd);
  return mz;
}

// Where `wine` would be found along PATH, or an empty string. An empty or
// relative element would name the current folder, the game's own: a `wine`
// placed there must not run in the real one's stead.
std::string findWine() {
  const char *path = getenv("PATH");
  if (!path) return {};
  std::string folders = path;
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    if (!folder.empty() && folder[0] == '/' && isExecutableFile(folder + "/wine")) return folder + "/wine";
    start = end + 1;
  }
  return {};
}

// Debian keeps the 32-bit and the 64-bit loader apart, in lib/wine beside
// the bin folder of its `wine`, which runs the 32-bit one when it is
// installed and the 64-bit one otherwise; a 32-bit program then fails only
// after the game was reported started. So the loader is picked here, for
// the program's machine. Where no loader lies there, `wine` knows its own.
// Empty with *missing32 set: only a 64-bit Wine for an i386 program.
std::string wineForMachine(const std::string &wine, unsigned machine, bool *missing32) {
  *missing32 = false;
  std::string loaders = wine.substr(0, wine.rfind('/')) + "/../lib/wine/";
  bool has32 = isExecutableFile(loaders + "wine"), has64 = isExecutableFile(loaders + "wine64");
  if (!has32 && !has64) return wine;
  if (machine == MachineI386) {
    *missing32 = !has32;
    return has32 ? loaders + "wine" : std::string();
  }
  return has64 ? loaders + "wine64" : wine;
}

// The Wine prefix that holds the game folder: the nearest folder above it
// with drive_c and system.reg, as Wine makes them; empty when there is none.
// An installer put the game's registry entries and files there, not in the
// player's default prefix.
std::string prefixAbove(const std::string &program) {
  char *resolved = realpath(program.substr(0, program.rfind('/')).c_str(), nullptr);
  if (!resolved) return {};
  std::string folder = resolved;
  free(resolved);
  while (folder.size() > 1) {
    folder.erase(std::max<size_t>(folder.rfind('/'), 1));
    struct stat drive, registry;
    if (stat((folder + "/drive_c").c_str(), &drive) == 0 && S_ISDIR(drive.st_mode) &&
        stat((folder + "/system.reg").c_str(), &registry) == 0 && S_ISREG(registry.st_mode))
      return folder;
  }
  return {};
}

// Our environment, with WINEPREFIX added when the plan sets it.
void prepareEnvironment(LaunchPlan &plan) {
  for (char **variable = environ; *variable; ++variable)
    if (plan.prefixVariable.empty() || strncmp(*variable, "WINEPREFIX=", 11) != 0)
      plan.environment.push_back(*variable);
  if (!plan.prefixVariable.empty()) plan.environment.push_back(plan.prefixVariable.data());
  plan.environment.push_back(nullptr);
}

// The hard limit on open files. Unbounded is not seen on the systems this
// runs on; counting to INT_MAX would take minutes, so it counts to 2^20.
int descriptorCeiling() {
  const rlim_t unboundedCeiling = 1 << 20;
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return (int)unboundedCeiling;
  if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > (rlim_t)INT_MAX) return (int)unboundedCeiling;
  return (int)limit.rlim_max;
}

bool closeByRange(int first) {
#if defined(__linux__) && defined(SYS_close_range)
  return syscall(SYS_close_range, (unsigned)first, ~0U, 0U) == 0;
#else
  (void)first;
  return false;
#endif
}

// Closing while listing is safe here: /proc lists descriptors by number.
bool closeByListing(int first) {
#ifdef __linux__
  int list = open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (list < 0) return false;
  alignas(struct dirent64) char buffer[2048];
  ssize_t got;
  while ((got = getdents64(list, buffer, sizeof buffer)) > 0) {
    for (ssize_t at = 0; at < got;) {
      const struct dirent64 *entry = (const struct dirent64 *)(buffer + at);
      at += entry->d_reclen;
      const char *name = entry->d_name;
      if (*name < '0' || *name > '9') continue;  // "." and ".."
      long fd = 0;
      for (; *name >= '0' && *name <= '9' && fd <= INT_MAX; ++name) fd = fd * 10 + (*name - '0');
      if (*name == '\0' && fd >= first && fd <= INT_MAX && fd != list) close((int)fd);
    }
  }
  close(list);
  return got == 0;
#else
  (void)first;
  return false;
#endif
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

// What the launch's two children tell the caller through the status pipe.
// The middle process reports the game's pid and the game's process the
// exec's errno; the two race, so each record says what it is. A record is
// far below PIPE_BUF, so it arrives whole.
enum StatusKind : int32_t { StatusGamePid = 1, StatusExecError = 2 };
struct StatusRecord {
  int32_t kind;
  int32_t value;
};

void report(int fd, StatusKind kind, int32_t value) {
  StatusRecord record = {kind, value};
  writeAll(fd, &record, sizeof record);
}

// In the grandchild: detach, exec, and on failure report errno and end.
[[noreturn]] void runProgram(const LaunchPlan &plan, int statusFd) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  // Ignored signals stay ignored across exec; the game should not inherit that.
  for (int s = 1; s < NSIG; ++s)
    if (s != SIGKILL && s != SIGSTOP) signal(s, SIG_DFL);

  // With our standard streams closed the pipe may be one of them, which
  // /dev/null is about to take over: it moves to its own place first.
  if (statusFd != StatusDescriptor) {
    if (dup3(statusFd, StatusDescriptor, O_CLOEXEC) < 0) _exit(127);
    statusFd = StatusDescriptor;
  }
  int null = open("/dev/null", O_RDWR);
  if (null >= 0) {
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (null > 2) close(null);
  }
  // Handles are not inherited, not even those above the soft limit on open
  // files (it may have been lowered after they were opened).
  closeDescriptorsFrom(StatusDescriptor + 1, plan.descriptorCeiling, CloseAllWays);

  char *const argv[] = {(char *)plan.program.c_str(), nullptr};
  char *const *environment = plan.environment.data();
  execve(plan.program.c_str(), argv, environment);
  int error = errno;
  if (!plan.wine.empty()) {
    // Wine takes the name of the loader for its children from argv[0].
    char *const wineArgv[] = {(char *)plan.wine.c_str(), (char *)plan.program.c_str(), nullptr};
    execve(plan.wine.c_str(), wineArgv, environment);
    error = errno;
  }
  report(statusFd, StatusExecError, error);
  _exit(127);
}

BOOL failWith(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

unsigned closeDescriptorsFrom(int first, int ceiling, unsigned ways) {
  if ((ways & CloseByRange) && closeByRange(first)) return CloseByRange;
  if ((ways & CloseByListing) && closeByListing(first)) return CloseByListing;
  if (ways & CloseByCounting) {
    for (int fd = first; fd < ceiling; ++fd) close(fd);
    return CloseByCounting;
  }
  return 0;
}

unsigned windowsProgramMachine(const char *path) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  unsigned char header[0x40];
  unsigned char signature[6];  // "PE\0\0" and the machine type
  unsigned found = 0;
  if (readAt(fd, header, sizeof header, 0) && header[0] == 'M' && header[1] == 'Z') {
    // Little-endian, as every field of the format. A short read means the
    // offset points past the end of the file.
    uint32_t offset = (uint32_t)header[0x3C] | (uint32_t)header[0x3D] << 8 | (uint32_t)header[0x3E] << 16 |
                      (uint32_t)header[0x3F] << 24;
    if (readAt(fd, signature, sizeof signature, (off_t)offset)) {
      unsigned machine = (unsigned)signature[4] | (unsigned)signature[5] << 8;
      if (memcmp(signature, "PE\0\0", 4) == 0 && (machine == MachineI386 || machine == MachineAmd64)) found = machine;
    }
  }
  close(fd);
  return found;
}

bool isWindowsProgram(const char *path) { return windowsProgramMachine(path) != 0; }

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                    LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation) {
  // What the layer does not offer is refused rather than silently ignored.
  if (!applicationName || !*applicationName || (commandLine && *commandLine) || inheritHandles || creationFlags != 0 ||
      environment || currentDirectory || !startupInfo || !processInformation)
    return failWith(ERROR_INVALID_PARAMETER);

  LaunchPlan plan;
  plan.program = applicationName[0] == '/' ? std::string(applicationName) : std::string("./") + applicationName;
  struct stat info;
  if (stat(plan.program.c_str(), &info) != 0)
    return failWith(errno == ENOENT ? ERROR_FILE_NOT_FOUND : win32ErrorFromErrno(errno));
  // Windows answers a folder in the program's place so.
  if (!S_ISREG(info.st_mode)) return failWith(ERROR_ACCESS_DENIED);
  // A Windows program the system may not run by itself (binfmt_misc could).
  // Anything else that starts like one would have Wine fail only after the
  // game had been reported started.
  if (beginsWithMz(plan.program)) {
    unsigned machine = windowsProgramMachine(plan.program.c_str());
    if (machine == 0) return failWith(ERROR_BAD_FORMAT);
    plan.windows = true;
    plan.wine = findWine();
    bool missing32 = false;
    if (!plan.wine.empty()) plan.wine = wineForMachine(plan.wine, machine, &missing32);
    if (missing32) return failWith(ERROR_EXE_MACHINE_TYPE_MISMATCH);
    const char *chosen = getenv("WINEPREFIX");
    std::string prefix = chosen && *chosen ? std::string() : prefixAbove(plan.program);
    if (!prefix.empty()) plan.prefixVariable = "WINEPREFIX=" + prefix;
  }
  prepareEnvironment(plan);
  plan.descriptorCeiling = descriptorCeiling();

  int status[2];
  if (pipe2(status, O_CLOEXEC) != 0) return failWith(win32ErrorFromErrno(errno));

  pid_t child = fork();
  if (child < 0) {
    int error = errno;
    close(status[0]);
    close(status[1]);
    return failWith(win32ErrorFromErrno(error));
  }
  if (child == 0) {
    close(status[0]);
    setsid();
    pid_t game = fork();
    if (game == 0) runProgram(plan, status[1]);
    report(status[1], StatusGamePid, game);  // -1 when the second fork failed
    _exit(0);
  }

  close(status[1]);
  int childStatus = 0;
  while (waitpid(child, &childStatus, 0) < 0 && errno == EINTR) {
  }
  int32_t game = -1;
  int execError = 0;
  bool execFailed = false;
  // The game's pid, and an errno when the exec failed, in either order; the
  // end of the pipe without an errno means the exec worked.
  StatusRecord record;
  while (readAll(status[0], &record, sizeof record)) {
    if (record.kind == StatusGamePid) game = record.value;
    if (record.kind == StatusExecError) {
      execFailed = true;
      execError = record.value;
    }
  }
  bool forked = game > 0;
  close(status[0]);
  if (!forked) return failWith(ERROR_NOT_ENOUGH_MEMORY);  // the second fork failed: no process could be had
  if (execFailed) {
    // Whatever the exec said, a Windows program without Wine fails for that.
    if (plan.windows && plan.wine.empty()) return failWith(ERROR_BAD_EXE_FORMAT);
    return failWith(execError == ENOENT ? ERROR_FILE_NOT_FOUND : win32ErrorFromErrno(execError));
  }

  memset(processInformation, 0, sizeof *processInformation);
  processInformation->dwProcessId = (DWORD)game;
  processInformation->dwThreadId = (DWORD)game;  // the main thread's id is the pid
  return TRUE;
}
#endif  // _WIN32
