#include "tools/library_output.h"

#include <fcntl.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#endif

#include <cstdio>

namespace cfg {
namespace {

struct CapturedOutput {
  int savedStdout = -1;
  FILE *capture = nullptr;  // null: stdout went straight to stderr
};

CapturedOutput LibraryOutput;

}  // namespace

void captureLibraryOutput() {
  fflush(stdout);
  LibraryOutput.savedStdout = dup(STDOUT_FILENO);
  if (LibraryOutput.savedStdout < 0) return;
  LibraryOutput.capture = tmpfile();
  int target = LibraryOutput.capture ? fileno(LibraryOutput.capture) : STDERR_FILENO;
  dup2(target, STDOUT_FILENO);
}

void releaseLibraryOutput() {
  fflush(stdout);
  if (LibraryOutput.savedStdout < 0) return;
  dup2(LibraryOutput.savedStdout, STDOUT_FILENO);
  close(LibraryOutput.savedStdout);
  LibraryOutput.savedStdout = -1;
  if (!LibraryOutput.capture) return;
  rewind(LibraryOutput.capture);
  char chunk[65536];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, LibraryOutput.capture)) > 0) {
    fwrite(chunk, 1, got, stderr);
  }
  fclose(LibraryOutput.capture);
  LibraryOutput.capture = nullptr;
}

}  // namespace cfg
