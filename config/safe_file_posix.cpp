// The safe save and the file's stamp and lock on POSIX systems: links
// resolved as the kernel would, sticky folders, the in-place write.
#ifndef _WIN32
#include "config/safe_file_internal.h"

using namespace safefile;

namespace {

// The kernel's limit on links followed while resolving one name.
const int MaxLinkFollows = 40;

// Whether a link of `linkOwner` leading to `next` may be written through:
// it is the caller's own or root's, or it leads to a file of its own owner
// (for a file still to be made, into a folder of its owner). So a link that
// another user planted where the caller saves, say to root's /etc/shadow,
// is not followed for writing: the protected_symlinks rule of the kernel,
// for every folder, not only for sticky ones.
bool mayWriteThrough(uid_t linkOwner, const char *next) {
  if (linkOwner == geteuid() || linkOwner == 0) return true;
  struct stat target;
  if (lstat(next, &target) == 0) return target.st_uid == linkOwner;
  size_t folder = folderLength(next);
  char *name = folder ? copyText(next, folder) : copyText(".", 1);
  bool owned = stat(name, &target) == 0 && target.st_uid == linkOwner;
  memFree(name);
  return owned;
}

// Follows symbolic links from `path` to the file they finally name (which
// need not exist yet), so that replacing it keeps the links in place. Null
// with errno ELOOP past MaxLinkFollows links, EACCES for a link that may not
// be written through.
char *resolveLinks(const char *path) {
  char *current = copyText(path, strlen(path));
  for (int follows = 0;; follows++) {
    struct stat info;
    if (lstat(current, &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    if (follows == MaxLinkFollows) break;
    size_t room = (size_t)info.st_size + 1;
    if (room < 256) room = 256;
    char *target = (char *)memAlloc(room);
    ssize_t got = readlink(current, target, room);
    if (got < 0 || (size_t)got >= room) {
      int error = got < 0 ? errno : ENAMETOOLONG;
      memFree(target);
      memFree(current);
      errno = error;
      return nullptr;
    }
    char *next;
    if (got > 0 && target[0] == '/') {
      next = copyText(target, (size_t)got);
    } else {
      size_t folder = folderLength(current);
      next = (char *)memAlloc(folder + (size_t)got + 1);
      memcpy(next, current, folder);
      memcpy(next + folder, target, (size_t)got);
      next[folder + (size_t)got] = '\0';
    }
    memFree(target);
    memFree(current);
    current = next;
    if (!mayWriteThrough(info.st_uid, current)) {
      memFree(current);
      errno = EACCES;
      return nullptr;
    }
  }
  memFree(current);  // a loop of links, or a chain too long
  errno = ELOOP;
  return nullptr;
}

// In a sticky folder (mode 1777, as /tmp or a game folder shared by all)
// only the file's owner, the folder's owner or root may rename over a file,
// even one that all may write: such a file is written in place, as in a
// folder that refuses the temporary file.
bool stickyFolderKeepsIt(const char *finalPath, const struct stat &file) {
  uid_t me = geteuid();
  if (me == 0 || file.st_uid == me) return false;
  size_t length = folderLength(finalPath);
  char *name = length ? copyText(finalPath, length) : copyText(".", 1);
  struct stat folder;
  bool keeps = stat(name, &folder) == 0 && (folder.st_mode & S_ISVTX) && folder.st_uid != me;
  memFree(name);
  return keeps;
}

// The folder will not take the temporary file, but the file itself may be
// written (a player's own gardum.cfg in a game folder they cannot change):
// write it in place, through the descriptor `target`, from its start. The
// room for the new text is secured first, so a file-size limit or a full
// disk is met while the old text is still whole; the file is cut to the new
// length only once all of it is written. This keeps the file's inode, owner,
// permissions and other links; what it gives up is the all-or-nothing
// replacement should the machine stop, or the disk fail, in the middle of
// the overwrite itself.
bool openInPlace(ConfigSafeFile *file, int target, off_t oldSize, unsigned long long size) {
  // The limit binds every write past it, inside the old length too.
  struct rlimit limit;
  bool beyondLimit = getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur;
  int error = beyondLimit || size > (unsigned long long)INT64_MAX ? EFBIG : 0;
  if (error == 0 && (off_t)size > oldSize) {
    error = posix_fallocate(target, 0, (off_t)size);
    if (error != 0) {
      // Whatever part of the room was had goes again; no old byte was touched.
      int ignored = ftruncate(target, oldSize);
      (void)ignored;
    }
  }
  if (error != 0) {
    close(target);
    return refuse(file, error);
  }
  file->inPlace = true;
  file->fd = target;
  return true;
}

}  // namespace

bool configSafeOpen(ConfigSafeFile *file, const char *path, unsigned long long size) {
  startFile(file);
  file->finalPath = resolveLinks(path);
  if (!file->finalPath) return refuse(file, errno);
  // Only a regular file is replaced; keep its permission bits and, where we
  // may, its owner.
  struct stat old;
  bool exists = stat(file->finalPath, &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return refuse(file, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
  // A file that exists must let us write it, by its own permissions, as
  // opening it for writing checks them: a rename asks only the folder, and
  // would replace a read-only file or one of another user all the same. The
  // open truncates nothing and does not wait (should a pipe have taken the
  // file's place meanwhile).
  int target = -1;
  struct stat opened;
  if (exists) {
    target = open(file->finalPath, O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (target < 0) return refuse(file, errno);
    if (fstat(target, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      close(target);
      return refuse(file, EINVAL);
    }
  }
  if (exists && stickyFolderKeepsIt(file->finalPath, old)) return openInPlace(file, target, opened.st_size, size);
  int tempError = 0;
  for (int attempt = 0; attempt < TempNameAttempts; attempt++) {
    file->tempPath = tempNameFor(file->finalPath);
    file->fd = open(file->tempPath, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, exists ? 0600 : 0666);
    if (file->fd >= 0) break;
    tempError = errno;
    memFree(file->tempPath);
    file->tempPath = nullptr;
    if (tempError != EEXIST) break;
  }
  if (file->fd < 0) {
    if (target >= 0 && folderRefused(tempError)) return openInPlace(file, target, opened.st_size, size);
    if (target >= 0) close(target);
    return refuse(file, tempError);
  }
  if (target >= 0) close(target);
  if (exists) {
    if ((old.st_uid != geteuid() || old.st_gid != getegid()) && fchown(file->fd, old.st_uid, old.st_gid) != 0) {
      // Only a privileged user can give the file back to its owner; anyone
      // else keeps the new file as their own, as any editor would.
    }
    if (fchmod(file->fd, old.st_mode & 07777) != 0) failWith(file, errno);
  }
  return true;
}

bool configSafeWrite(ConfigSafeFile *file, const void *data, size_t length) {
  const char *at = (const char *)data;
  while (!file->failed && length > 0) {
    ssize_t wrote = write(file->fd, at, length);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      failWith(file, wrote < 0 ? errno : EIO);
      break;
    }
    at += wrote;
    length -= (size_t)wrote;
    file->written += (unsigned long long)wrote;
  }
  return !file->failed;
}

bool configSafeCommit(ConfigSafeFile *file) {
  // In place, the old text may have been longer.
  if (file->inPlace && !file->failed && ftruncate(file->fd, (off_t)file->written) != 0) failWith(file, errno);
  if (!file->failed && fsync(file->fd) != 0) failWith(file, errno);
  if (close(file->fd) != 0) failWith(file, errno);
  if (file->inPlace) {
    releasePaths(file);
    return !file->failed;
  }
  if (!file->failed && rename(file->tempPath, file->finalPath) != 0) failWith(file, errno);
  if (file->failed) {
    unlink(file->tempPath);
  } else {
    // Make the rename itself durable; a folder that cannot be opened or
    // synced does not undo a replacement that has already happened.
    size_t folder = folderLength(file->finalPath);
    char *name = folder ? copyText(file->finalPath, folder) : copyText(".", 1);
    int dir = open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
    memFree(name);
  }
  releasePaths(file);
  return !file->failed;
}


// ---- The lock around a read-change-write ------------------------------------
//
// The lock is on the file itself, so that it is the file's and not a name's:
// whoever waited for it must find, once it holds it, that the name still
// leads to that file, since a save that held it meanwhile put a new file in
// its place. It then starts again on the new one. While there is no file,
// the folder that will hold it is locked instead: whoever creates the file
// holds that, and whoever finds a file there once it has the folder's lock
// goes to lock the file. Locks are taken without waiting, again and again
// with growing pauses, so that a wait can end after ConfigLockWaitSeconds.

namespace {

// Takes the lock on `fd` (flock: it binds other descriptors of the file too,
// in this process as in others). 0, or EWOULDBLOCK when the deadline passed.
// A file system without locks leaves the file unlocked.
int lockBefore(int fd, std::chrono::steady_clock::time_point deadline) {
  long pause = 1000000;  // nanoseconds
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return 0;
    if (std::chrono::steady_clock::now() >= deadline) return EWOULDBLOCK;
    struct timespec wait = {0, pause};
    nanosleep(&wait, nullptr);
    if (pause < 32000000) pause *= 2;
  }
}

}  // namespace

int configLockFile(const char *path, ConfigFileLock *lock) {
  lock->fd = -1;
  lock->handle = nullptr;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(ConfigLockWaitSeconds);
  for (;;) {
    char *finalPath = resolveLinks(path);
    if (!finalPath) return 0;  // the save will refuse it all the same
    bool fileThere = true;
    int fd = open(finalPath, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
      fileThere = false;
      size_t folder = folderLength(finalPath);
      char *name = folder ? copyText(finalPath, folder) : copyText(".", 1);
      fd = open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      memFree(name);
    }
    struct stat held;
    if (fd < 0 || fstat(fd, &held) != 0 || (fileThere && !S_ISREG(held.st_mode))) {
      if (fd >= 0) close(fd);
      memFree(finalPath);
      return 0;
    }
    int error = lockBefore(fd, deadline);
    // Still the same file, or still none?
    struct stat named;
    bool namedExists = stat(finalPath, &named) == 0;
    bool same = fileThere ? namedExists && named.st_dev == held.st_dev && named.st_ino == held.st_ino : !namedExists;
    memFree(finalPath);
    if (error == 0 && same) {
      lock->fd = fd;
      return 0;
    }
    close(fd);
    if (error != 0) return error;
  }
}

void configUnlockFile(ConfigFileLock *lock) {
  if (lock->fd >= 0) close(lock->fd);  // closing the last descriptor releases the lock
  lock->fd = -1;
}

int configStampFile(const char *path, ConfigFileStamp *stamp, bool digest) {
  memset(stamp, 0, sizeof *stamp);
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    int error = errno;
    stamp->exists = error != ENOENT;
    return error == ENOENT ? 0 : error;
  }
  stamp->exists = true;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return EINVAL;
  }
  stamp->device = (uint64_t)info.st_dev;
  stamp->file = (uint64_t)info.st_ino;
  stamp->size = (uint64_t)info.st_size;
  stamp->modified = (int64_t)info.st_mtim.tv_sec * 1000000000 + info.st_mtim.tv_nsec;
  if (!digest) {
    close(fd);
    return 0;
  }
  unsigned char *chunk = (unsigned char *)memAlloc(DigestChunk);
  uint64_t sum = DigestStart;
  int error = 0;
  for (;;) {
    ssize_t got = read(fd, chunk, DigestChunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    sum = digestBytes(sum, chunk, (size_t)got);
  }
  memFree(chunk);
  close(fd);
  stamp->digest = sum;
  return error;
}
#endif
