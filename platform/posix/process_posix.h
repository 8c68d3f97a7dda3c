/* The parts of the game launch off Windows (CreateProcessA, declared in
 * platform/win32.h) that tests look at on their own: closing inherited
 * descriptors in a child, and telling a Windows program from other files. */
#pragma once

// Ways of closing descriptors, tried in this order; a way this system lacks
// falls through to the next.
enum DescriptorClosing : unsigned {
  CloseByRange = 1,     // one close_range call
  CloseByListing = 2,   // the entries of /proc/self/fd
  CloseByCounting = 4,  // every number below the ceiling
  CloseAllWays = CloseByRange | CloseByListing | CloseByCounting,
};

// Closes every descriptor numbered `first` or above, whatever the current
// limit on open files says. `ceiling` bounds the counting way: the hard limit
// on open files, as no descriptor can be opened at or above it. Returns the
// way that did it, 0 when none of `ways` could. Async-signal-safe, for a
// child between fork and exec.
unsigned closeDescriptorsFrom(int first, int ceiling, unsigned ways);

// Whether the file is a program Wine runs: an "MZ" header whose e_lfanew
// leads, within the file, to the "PE\0\0" signature of a 32-bit x86 or x86-64
// machine. False for anything else and for a file that cannot be read.
bool isWindowsProgram(const char *path);
// The machine type of such a program (0x14c i386, 0x8664 x86-64), 0 for
// anything isWindowsProgram refuses.
unsigned windowsProgramMachine(const char *path);
