// What every part of tarrengard-cfg shares: its name, its exit statuses and
// its messages.
#pragma once

namespace cfg {

extern const char ProgramName[];

enum {
  ExitSuccess = 0,
  ExitDiagnostics = 1,
  ExitFailure = 2,
};

// "tarrengard-cfg: MESSAGE" on standard error.
void reportError(const char *format, ...) __attribute__((format(printf, 1, 2)));
// The same followed by the pointer to --help; answers ExitFailure.
int usageError(const char *format, ...) __attribute__((format(printf, 1, 2)));
// `status`, or ExitFailure with a message when standard output could not be
// written: an answer that did not arrive must not be reported as success.
int finishOutput(int status);

}  // namespace cfg
