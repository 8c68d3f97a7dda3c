#include "tools/cfg_common.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace cfg {

const char ProgramName[] = "tarrengard-cfg";

void reportError(const char *format, ...) {
  va_list args;
  va_start(args, format);
  fprintf(stderr, "%s: ", ProgramName);
  vfprintf(stderr, format, args);
  fputc('\n', stderr);
  va_end(args);
}

int usageError(const char *format, ...) {
  va_list args;
  va_start(args, format);
  fprintf(stderr, "%s: ", ProgramName);
  vfprintf(stderr, format, args);
  fprintf(stderr, "\nTry '%s --help' for more information.\n", ProgramName);
  va_end(args);
  return ExitFailure;
}

// stdout may be a full disk or a closed pipe.
int finishOutput(int status) {
  if (fflush(stdout) != 0 || ferror(stdout)) {
    reportError("cannot write standard output: %s", strerror(errno));
    return ExitFailure;
  }
  return status;
}

}  // namespace cfg
