// The safe save and the file's stamp and lock on Windows.
#ifdef _WIN32
#include "config/safe_file_internal.h"

using namespace safefile;

namespace {

// The C runtime's reason for a failed Win32 call, so that callers see the
// same errno values on every system: a full disk, a locked or read-only file.
int errnoFromWin32(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    default: return EIO;
  }
}

}  // namespace

bool configSafeOpen(ConfigSafeFile *file, const char *path, unsigned long long size) {
  startFile(file);
  file->finalPath = copyText(path, strlen(path));
  struct _stati64 info;
  bool exists = _stati64(file->finalPath, &info) == 0;
  if (exists && (info.st_mode & _S_IFMT) != _S_IFREG)
    return refuse(file, (info.st_mode & _S_IFMT) == _S_IFDIR ? EISDIR : EINVAL);
  // A file that exists must let us write it: MoveFileEx would replace a file
  // the user may not change as long as the folder allows it.
  int target = -1;
  if (exists) {
    DWORD attributes = GetFileAttributesA(file->finalPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return refuse(file, EACCES);
    target = _open(file->finalPath, _O_WRONLY | _O_BINARY);
    if (target < 0) return refuse(file, errno);
  }
  int tempError = 0;
  for (int attempt = 0; attempt < TempNameAttempts; attempt++) {
    file->tempPath = tempNameFor(file->finalPath);
    file->fd = _open(file->tempPath, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (file->fd >= 0) break;
    tempError = errno;
    memFree(file->tempPath);
    file->tempPath = nullptr;
    if (tempError != EEXIST) break;
  }
  if (file->fd >= 0) {
    // Windows will not replace a file that is still open.
    if (target >= 0) _close(target);
    return true;
  }
  if (target >= 0 && folderRefused(tempError)) {
    // Written in place, as in the POSIX version. Extending the file (with
    // zeros past its end) secures the room before the old text is touched.
    long oldSize = _filelength(target);
    int error = oldSize < 0 ? errno : size > (unsigned long long)LONG_MAX ? EFBIG : 0;
    if (error == 0 && size > (unsigned long long)oldSize && _chsize(target, (long)size) != 0) {
      error = errno ? errno : ENOSPC;
      _chsize(target, oldSize);
    }
    if (error != 0) {
      _close(target);
      return refuse(file, error);
    }
    file->inPlace = true;
    file->fd = target;
    return true;
  }
  if (target >= 0) _close(target);
  return refuse(file, tempError);
}

bool configSafeWrite(ConfigSafeFile *file, const void *data, size_t length) {
  const char *at = (const char *)data;
  while (!file->failed && length > 0) {
    unsigned part = length > (1u << 30) ? (1u << 30) : (unsigned)length;
    int wrote = _write(file->fd, at, part);
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
  if (file->inPlace && !file->failed && _chsize(file->fd, (long)file->written) != 0) failWith(file, errno);
  if (!file->failed && _commit(file->fd) != 0) failWith(file, errno);
  if (_close(file->fd) != 0) failWith(file, errno);
  if (!file->inPlace) {
    if (!file->failed &&
        !MoveFileExA(file->tempPath, file->finalPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      failWith(file, errnoFromWin32(GetLastError()));
    if (file->failed) _unlink(file->tempPath);
  }
  releasePaths(file);
  return !file->failed;
}

// Windows will not replace a file that any process holds open, and whoever
// waits for a lock on the file would hold it open: the lock is a mutex of
// the session instead, named after the file's full path (letter case and
// the kind of slash do not count). Waiting for it is fair, and a process
// that ends while holding it releases it.
int configLockFile(const char *path, ConfigFileLock *lock) {
  lock->fd = -1;
  lock->handle = nullptr;
  char full[4 * MAX_PATH];
  DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) return 0;
  for (DWORD i = 0; i < length; i++)
    if (full[i] == '/') full[i] = '\\';
  static const uint64_t key[2] = {0x74617272656E6761u, 0x7264636667666C6Bu};
  char name[64];
  snprintf(name, sizeof name, "Local\\tarrengard-cfg-%016llx",
           (unsigned long long)configSipHash24(key, full, length));
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (!mutex) return 0;
  DWORD waited = WaitForSingleObject(mutex, ConfigLockWaitSeconds * 1000);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return EWOULDBLOCK;
  }
  lock->handle = mutex;
  return 0;
}

void configUnlockFile(ConfigFileLock *lock) {
  if (lock->handle) {
    ReleaseMutex((HANDLE)lock->handle);
    CloseHandle((HANDLE)lock->handle);
  }
  lock->handle = nullptr;
}

int configStampFile(const char *path, ConfigFileStamp *stamp, bool digest) {
  memset(stamp, 0, sizeof *stamp);
  int fd = _open(path, _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    int error = errno;
    stamp->exists = error != ENOENT;
    return error == ENOENT ? 0 : error;
  }
  stamp->exists = true;
  BY_HANDLE_FILE_INFORMATION info;
  HANDLE handle = (HANDLE)_get_osfhandle(fd);
  if (!GetFileInformationByHandle(handle, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    _close(fd);
    return EINVAL;
  }
  stamp->device = info.dwVolumeSerialNumber;
  stamp->file = (uint64_t)info.nFileIndexHigh << 32 | info.nFileIndexLow;
  stamp->size = (uint64_t)info.nFileSizeHigh << 32 | info.nFileSizeLow;
  stamp->modified = (int64_t)((uint64_t)info.ftLastWriteTime.dwHighDateTime << 32 | info.ftLastWriteTime.dwLowDateTime);
  if (!digest) {
    _close(fd);
    return 0;
  }
  unsigned char *chunk = (unsigned char *)memAlloc(DigestChunk);
  uint64_t sum = DigestStart;
  int got, error = 0;
  while ((got = _read(fd, chunk, DigestChunk)) > 0) sum = digestBytes(sum, chunk, (size_t)got);
  if (got < 0) error = errno ? errno : EIO;
  memFree(chunk);
  _close(fd);
  stamp->digest = sum;
  return error;
}
#endif
