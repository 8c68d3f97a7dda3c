/* The Win32 error codes of the layer off Windows (GetLastError), from the
 * errno values of the POSIX calls underneath. */
#pragma once

#include "platform/win32.h"

// The code Windows gives for the same failure: ENOENT is
// ERROR_PATH_NOT_FOUND, ENOTDIR ERROR_DIRECTORY, EACCES and EPERM
// ERROR_ACCESS_DENIED, ... and ERROR_GEN_FAILURE for the rest.
DWORD win32ErrorFromErrno(int error);
