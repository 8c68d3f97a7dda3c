// File and memory routines under the configuration library. What the library
// cannot work around (a file that cannot be opened or read whole, memory that
// cannot be had, releasing null) ends the process through fatalError.
#include "config/support.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#define TG_OPEN _open
#define TG_CLOSE _close
#define TG_READ _read
#define TG_WRITE _write
#define TG_BINARY _O_BINARY
#define TG_TEXT _O_TEXT
#define TG_NONBLOCK 0
#define TG_CLOEXEC 0
typedef struct _stati64 TgStat;
#define TG_FSTAT _fstati64
#else
#include <signal.h>
#include <unistd.h>
#define TG_OPEN open
#define TG_CLOSE close
#define TG_READ read
#define TG_WRITE write
#define TG_BINARY 0
#define TG_TEXT 0
#define TG_NONBLOCK O_NONBLOCK
#define TG_CLOEXEC O_CLOEXEC
typedef struct stat TgStat;
#define TG_FSTAT fstat
#endif

namespace {

void (*FatalErrorHook)(const char *message) = nullptr;
bool InFatalError = false;
void *FatalErrorReserve = nullptr;
// The message the hook was given, for the way out when the hook fails.
const char *FatalMessage = "";
size_t FatalMessageLength = 0;

void writeToStandardError(const char *text, size_t length) {
  while (length > 0) {
    long written = (long)TG_WRITE(2, text, (unsigned)length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    text += written;
    length -= (size_t)written;
  }
}

// The hook did not come back: it may have failed before the user saw
// anything, so the message goes to standard error too. Only calls that are
// safe in a signal handler.
[[noreturn]] void endAfterFailedHook() {
  writeToStandardError(FatalMessage, FatalMessageLength);
  writeToStandardError("\n", 1);
  _Exit(1);
}

#ifndef _WIN32
void hookCrashed(int) { endAfterFailedHook(); }

// The handler's own stack: a crash for want of memory may be one for want
// of stack too.
alignas(16) char CrashStack[64 * 1024];

// A toolkit that ran out of memory while making its window may crash or
// abort (Qt does both) instead of throwing; either ends the process here
// with status 1, up to the end of the process.
void guardFailingHook() {
  stack_t stack = {};
  stack.ss_sp = CrashStack;
  stack.ss_size = sizeof CrashStack;
  sigaltstack(&stack, nullptr);
  struct sigaction action = {};
  action.sa_handler = hookCrashed;
  action.sa_flags = SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  static const int Signals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
  for (int signal : Signals) sigaction(signal, &action, nullptr);
}
#endif

// Opens read-only; -1 for a failure or for a directory, which the Windows
// runtime refuses to open and which could not be read as a file anyway.
// The open itself does not wait: a named pipe in the file's place would
// otherwise block it until some writer came, which may be never. Reads are
// blocking again afterwards.
int openReadable(const char *path, int textMode) {
  if (!path) return -1;
  int fd = TG_OPEN(path, O_RDONLY | TG_NONBLOCK | (textMode ? TG_TEXT : TG_BINARY));
  if (fd < 0) return -1;
  TgStat info;
  if (TG_FSTAT(fd, &info) != 0 || (info.st_mode & S_IFMT) == S_IFDIR) {
    TG_CLOSE(fd);
    return -1;
  }
#ifndef _WIN32
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    TG_CLOSE(fd);
    return -1;
  }
#endif
  return fd;
}

// Reads exactly `count` bytes: 0, an errno value, or FileErrorChanged when
// the file ends first. read() may deliver less than asked without being at
// the end, so it loops.
int readFully(int fd, char *at, long long count) {
  long long done = 0;
  while (done < count) {
    long long want = count - done;
    if (want > (1LL << 30)) want = 1LL << 30;
    long got = (long)TG_READ(fd, at + done, (unsigned)want);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno ? errno : EIO;
    if (got == 0) return FileErrorChanged;
    done += got;
  }
  return 0;
}

// After `size` bytes the file must be at its end: one more byte means it grew
// or its size was never true (files of /proc report 0), and what was read is
// not the whole file.
int expectEnd(int fd) {
  for (;;) {
    char extra;
    long got = (long)TG_READ(fd, &extra, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno ? errno : EIO;
    return got == 0 ? 0 : FileErrorChanged;
  }
}

}  // namespace

int fileReadWhole(const char *path, FileContents *contents) {
  contents->text = nullptr;
  contents->length = 0;
  contents->size = 0;
  contents->stage = FileStageOpen;
  if (!path) return EINVAL;
  int fd = TG_OPEN(path, O_RDONLY | TG_NONBLOCK | TG_CLOEXEC | TG_BINARY);
  if (fd < 0) {
    int error = errno;
#ifdef _WIN32
    // Windows refuses to open a folder as a file with "access denied"; say
    // what is really in the file's place, as elsewhere.
    struct _stati64 info;
    if (error == EACCES && _stati64(path, &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR) return EISDIR;
#endif
    return error;
  }
  TgStat info;
  if (TG_FSTAT(fd, &info) != 0) {
    int error = errno;
    TG_CLOSE(fd);
    return error;
  }
  if ((info.st_mode & S_IFMT) != S_IFREG) {
    TG_CLOSE(fd);
    return (info.st_mode & S_IFMT) == S_IFDIR ? EISDIR : FileErrorNotRegular;
  }
#ifndef _WIN32
  int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    int error = errno;
    TG_CLOSE(fd);
    return error;
  }
#endif
  long long size = (long long)info.st_size;
  contents->size = size;
  contents->stage = FileStageAllocate;
  // The text is handed on as one block of `long` length; a size beyond that
  // (or beyond the address space) cannot be held, and cutting it would read
  // only a part of the file.
  if (size < 0 || size > (long long)LONG_MAX || (unsigned long long)size > (unsigned long long)SIZE_MAX) {
    TG_CLOSE(fd);
    return EFBIG;
  }
  // malloc rather than memAlloc, which would end the process; memFree
  // releases either.
  char *text = (char *)malloc(size ? (size_t)size : 1);
  if (!text) {
    TG_CLOSE(fd);
    return ENOMEM;
  }
  contents->stage = FileStageRead;
  int error = readFully(fd, text, size);
  if (error == 0) error = expectEnd(fd);
  TG_CLOSE(fd);
  if (error != 0) {
    free(text);
    return error;
  }
  contents->text = text;
  contents->length = (long)size;
  return 0;
}

const char *fileErrorText(int error) {
  switch (error) {
    case FileErrorNotRegular: return "not a regular file";
    case FileErrorChanged: return "the file changed as it was read";
  }
  return strerror(error);
}

void setFatalErrorHook(void (*hook)(const char *message)) { FatalErrorHook = hook; }

void reserveFatalErrorMemory(size_t bytes) {
  free(FatalErrorReserve);
  FatalErrorReserve = bytes ? malloc(bytes) : nullptr;
}

void ensureStandardDescriptors(void) {
#ifndef _WIN32
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    // The lower ones are open by now, so this takes `fd` itself.
    if (open("/dev/null", O_RDWR) < 0) return;
  }
#endif
}

void fatalError(const char *format, ...) {
  if (!format) {
    fflush(stdout);
    exit(0);
  }
  // The message is formatted into a stack buffer first: after an allocation
  // failure the heap may not give us more.
  char local[512];
  char *message = local;
  va_list args;
  va_start(args, format);
  int length = vsnprintf(local, sizeof local, format, args);
  va_end(args);
  if (length < 0) {
    local[0] = '\0';
  } else if ((size_t)length >= sizeof local) {
    char *big = (char *)malloc((size_t)length + 1);
    if (big) {
      va_start(args, format);
      vsnprintf(big, (size_t)length + 1, format, args);
      va_end(args);
      message = big;
    }
  }
  fputs(message, stdout);
  fputs("\n\n", stdout);
  fflush(stdout);
  // A hook that fails fatally itself must not loop back here.
  if (FatalErrorHook && !InFatalError) {
    InFatalError = true;
    FatalMessage = message;
    FatalMessageLength = strlen(message);
    while (FatalMessageLength > 0 && message[FatalMessageLength - 1] == '\n') --FatalMessageLength;
    free(FatalErrorReserve);
    FatalErrorReserve = nullptr;
#ifndef _WIN32
    guardFailingHook();
#endif
    try {
      FatalErrorHook(message);
    } catch (...) {
      endAfterFailedHook();
    }
  }
  exit(1);
}

int fileOpenRead(const char *path, int textMode) {
  int fd = openReadable(path, textMode);
  if (fd < 0) fatalError("Failed opening %s for reading.\n", path ? path : "(null)");
  return fd;
}

void fileClose(int fd) {
  if (fd >= 0) TG_CLOSE(fd);
}

int fileExists(const char *path) {
  int fd = openReadable(path, 0);
  if (fd < 0) return 0;
  TgStat info;
  bool regular = TG_FSTAT(fd, &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG;
  TG_CLOSE(fd);
  return regular ? 1 : 0;
}

long long fileLength(int fd) {
  if (fd < 0) return 0;
  TgStat info;
  if (TG_FSTAT(fd, &info) != 0) return 0;
  return (long long)info.st_size;
}

long fileReadExact(int fd, void *buffer, long count) {
  if (count < 0 || readFully(fd, (char *)buffer, count) != 0) {
    fileClose(fd);
    fatalError("Failed reading %ld bytes.\n", count);
  }
  return count;
}

void *memAlloc(size_t size) {
  void *block = malloc(size ? size : 1);
  if (!block) fatalError("Couldn't allocate %llu bytes.", (unsigned long long)size);
  return block;
}

void memFree(void *block) {
  if (!block) fatalError("Tried to deallocate NULL pointer.");
  free(block);
}

void memRealloc(void **block, size_t size) {
  if (!block || !*block) fatalError("Tried reallocating a NULL pointer.");
  void *moved = realloc(*block, size ? size : 1);
  if (!moved) fatalError("Couldn't reallocate %llu bytes.", (unsigned long long)size);
  *block = moved;
}
