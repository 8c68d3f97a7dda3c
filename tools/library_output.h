// The library prints diagnostics to standard output; every command but
// "check" keeps standard output for its answer. While the library works, its
// standard output is caught in a temporary file and copied to standard error
// afterwards, so that a fatal error in between shows only this tool's own
// message (the tool's fatal-error hook ends the process, dropping the
// capture).
#pragma once

namespace cfg {

// From here on the library's standard output is caught (or, when no
// temporary file can be made, sent straight to standard error).
void captureLibraryOutput();
// Gives standard output back and copies what was caught to standard error.
void releaseLibraryOutput();

}  // namespace cfg
