// File and memory routines under the configuration library. Failures the
// library cannot work around end the process through fatalError.
#pragma once

#include <cstddef>

// Descriptor (>= 0) of the file opened read-only (text mode when textMode is
// non-zero); a failure ends the process with "Failed opening %s for reading.\n".
int fileOpenRead(const char *path, int textMode);
// Closes a descriptor >= 0; ignores a negative one.
void fileClose(int fd);
// 1 when `path` is a regular file that can be opened for reading, else 0.
int fileExists(const char *path);
// Length in bytes (64-bit everywhere, so a huge file is never mistaken for a
// small one where long has 32 bits); 0 for a negative descriptor.
long long fileLength(int fd);
// Reads exactly `count` bytes and returns `count`; a short read closes the file
// and ends the process with "Failed reading %d bytes.\n".
long fileReadExact(int fd, void *buffer, long count);

// Reading a whole file into memory without ever ending the process or
// waiting: only a regular file is read, opened without blocking (a named
// pipe in its place is refused, not waited on), its size checked before
// anything is allocated, and exactly that many bytes read, in binary mode.
enum {
  FileErrorNotRegular = -1,  // a pipe, device or socket in the file's place (a folder: EISDIR)
  FileErrorChanged = -2,     // fewer or more bytes than its size said
};
enum FileReadStage {
  FileStageOpen,      // opening it, or finding it is not a regular file
  FileStageAllocate,  // larger than this process can hold (EFBIG), or no memory (ENOMEM)
  FileStageRead,      // reading its bytes
};
struct FileContents {
  char *text;  // `length` bytes (no terminator); the caller memFrees it; null after a failure
  long length;
  long long size;       // the size the file reported, once it was opened
  FileReadStage stage;  // where a failure happened
};
// 0 on success; otherwise an errno value (> 0) or a FileError code (< 0), and
// nothing to free.
int fileReadWhole(const char *path, FileContents *contents);
// The reason for an error of fileReadWhole, for messages: the system's text
// for an errno value ("Permission denied"), a short phrase for a FileError.
const char *fileErrorText(int error);

// Prints the formatted message and two line feeds to standard output and ends
// the process with status 1; a null format ends it with status 0, silently.
// The hook, if set, is called in between, once. Should it not come back (it
// throws, or off Windows the process crashes or aborts in it, or while it
// ends), the message is written to standard error as well and the status is
// still 1.
[[noreturn]] void fatalError(const char *format, ...);
// Called with the formatted message before the process ends, so a windowed
// program can show it. Null (the default) for none.
void setFatalErrorHook(void (*hook)(const char *message));
// Sets `bytes` of memory aside (replacing an earlier reserve; 0 for none) that
// fatalError releases just before it calls the hook: after an allocation has
// failed, a hook that shows a window still needs memory to make it.
void reserveFatalErrorMemory(size_t bytes);

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed (a
// program started with ">&-"), so that no file opened later becomes standard
// input, output or error by chance and receives what is printed there. For
// the very start of main; does nothing on Windows.
void ensureStandardDescriptors(void);

// A new block (0 bytes gives a valid block); failure ends the process.
void *memAlloc(size_t size);
// Releases a block; a null block ends the process.
void memFree(void *block);
// Resizes *block; a null pointer or null block, or a failure, ends the process.
void memRealloc(void **block, size_t size);
