// Replacing a file whole or not at all. The data goes to a temporary file
// created exclusively (never through a planted link) in the target's folder,
// is flushed to disk, and one rename puts it in place; any failure removes
// the temporary file and leaves the target as it was. A target that exists
// is replaced only when it may be written itself. The operating-system calls
// are confined to safe_file_posix.cpp and safe_file_windows.cpp.
#include "config/safe_file_internal.h"

namespace safefile {
namespace {

// Random suffixes so a name cannot be predicted and planted in advance; the
// exclusive create is what actually guarantees a fresh file.
uint64_t nextRandom() {
  static uint64_t state = 0;
  if (state == 0) {
    std::random_device device;
    state =
        ((uint64_t)device() << 32) ^ device() ^ (uint64_t)std::chrono::steady_clock::now().time_since_epoch().count();
  }
  state += 0x9E3779B97F4A7C15ull;
  uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

char *tempNameFor(const char *finalPath) {
  static const char digits[] = "0123456789abcdef";
  size_t folder = folderLength(finalPath);
  char *name = (char *)memAlloc(folder + 32);
  memcpy(name, finalPath, folder);
  char *at = name + folder;
  memcpy(at, ".tgcfg-", 7);
  at += 7;
  uint64_t bits = nextRandom();
  for (int i = 0; i < 16; i++, bits >>= 4) *at++ = digits[bits & 15];
  memcpy(at, ".tmp", 5);
  return name;
}

}  // namespace safefile

bool configSameStamp(const ConfigFileStamp *a, const ConfigFileStamp *b) {
  return a->exists == b->exists && a->device == b->device && a->file == b->file && a->size == b->size &&
         a->modified == b->modified && a->digest == b->digest;
}
