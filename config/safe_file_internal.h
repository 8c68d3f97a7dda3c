// What the three files of the safe save share: the file record's set-up and
// failure, the temporary name, the digest of a stamp. Internal to config/.
#pragma once
#include "config/config_internal.h"
#include "config/support.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#endif

namespace safefile {

inline const int TempNameAttempts = 64;

inline char *copyText(const char *text, size_t length) {
  char *copy = (char *)memAlloc(length + 1);
  memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

inline bool isSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

// Length of the folder part of `path` including its last separator (0 when
// the path names a file in the current folder).
inline size_t folderLength(const char *path) {
  size_t length = strlen(path);
  while (length > 0 && !isSeparator(path[length - 1])) {
#ifdef _WIN32
    if (length == 2 && path[1] == ':') break;  // "C:name": the drive's current folder
#endif
    length--;
  }
  return length;
}

// The temporary name: the target's folder, then ".tgcfg-" and 16 hex digits.
char *tempNameFor(const char *finalPath);

inline void releasePaths(ConfigSafeFile *file) {
  if (file->tempPath) memFree(file->tempPath);
  if (file->finalPath) memFree(file->finalPath);
  file->tempPath = nullptr;
  file->finalPath = nullptr;
}

inline void startFile(ConfigSafeFile *file) {
  file->fd = -1;
  file->failed = false;
  file->inPlace = false;
  file->error = 0;
  file->written = 0;
  file->tempPath = nullptr;
  file->finalPath = nullptr;
}

// Records the first failure; what follows a failure is only cleaning up.
inline void failWith(ConfigSafeFile *file, int error) {
  if (!file->failed) file->error = error ? error : EIO;
  file->failed = true;
}

// Gives up before anything was written: false with `error` set.
inline bool refuse(ConfigSafeFile *file, int error) {
  releasePaths(file);
  file->error = error ? error : EIO;
  return false;
}

// The folder would not take a new file: its own permissions, or a read-only
// mount. Anything else (a full disk, a missing folder) is not worked around.
inline bool folderRefused(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// FNV-1a over the bytes, carried across chunks: the digest does not depend
// on how the reads cut the file.
inline uint64_t digestBytes(uint64_t digest, const unsigned char *at, size_t length) {
  for (size_t i = 0; i < length; i++) digest = (digest ^ at[i]) * 0x100000001B3u;
  return digest;
}
inline const uint64_t DigestStart = 0xCBF29CE484222325u;
inline const size_t DigestChunk = 1 << 16;

}  // namespace safefile
