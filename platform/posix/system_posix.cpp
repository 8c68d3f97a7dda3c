/* The small system calls of the Win32 subset off Windows: the thread's last
 * error with the texts Windows gives for it, and the current folder. */
#ifndef _WIN32
#include "platform/posix/system_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

thread_local DWORD LastError = ERROR_SUCCESS;

struct ErrorText {
  DWORD code;
  const char *text;
};

// Windows' own texts for the codes this layer sets.
const ErrorText ErrorTexts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_BAD_FORMAT, "An attempt was made to load a program with an incorrect format."},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_BAD_EXE_FORMAT, "%1 is not a valid Win32 application."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_EXE_MACHINE_TYPE_MISMATCH,
     "This version of %1 is not compatible with the version of Windows you're running. Check your computer's "
     "system information and then contact the software publisher."},
    {ERROR_DIRECTORY, "The directory name is invalid."},
    {ERROR_CANT_RESOLVE_FILENAME, "The name of the file cannot be resolved by the system."},
};

}  // namespace

DWORD win32ErrorFromErrno(int error) {
  switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_PATH_NOT_FOUND;
    case ENOTDIR: return ERROR_DIRECTORY;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOEXEC: return ERROR_BAD_FORMAT;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ERANGE: return ERROR_INSUFFICIENT_BUFFER;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    default: return ERROR_GEN_FAILURE;
  }
}

DWORD GetLastError(void) { return LastError; }
void SetLastError(DWORD error) { LastError = error; }

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     void *arguments) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || source || languageId != 0 || arguments || !buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (const ErrorText &entry : ErrorTexts) {
    if (entry.code != messageId) continue;
    std::string text = std::string(entry.text) + "\r\n";
    if (text.size() + 1 > size) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
  }
  SetLastError(ERROR_FILE_NOT_FOUND);  // what Windows answers for a code it has no text for
  return 0;
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  if (!path || !*path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (chdir(path) != 0) {
    SetLastError(win32ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

// As on Windows: the length without the terminator when it fits, else the
// size needed with it.
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  std::string folder;
  for (size_t capacity = 256;; capacity *= 2) {
    folder.resize(capacity);
    if (getcwd(folder.data(), capacity)) break;
    if (errno != ERANGE) {
      SetLastError(win32ErrorFromErrno(errno));
      return 0;
    }
  }
  folder.resize(std::strlen(folder.c_str()));
  if (!buffer || size < folder.size() + 1) return static_cast<DWORD>(folder.size() + 1);
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return static_cast<DWORD>(folder.size());
}

#endif  // _WIN32
