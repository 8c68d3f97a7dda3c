#include "tools/cfg_documents.h"

#include <cerrno>
#include <cstring>

#include "config/support.h"
#include "tools/cfg_common.h"
#include "tools/library_output.h"

namespace cfg {
namespace {

// Parses the file's bytes into a new document named after `path`, as
// configLoad would; the text is released. *parseResult receives
// configParseText's answer.
int parseIntoDocument(const char *path, FileContents *file, bool diagnosticsToStdout, ConfigHandle *handle,
                      int *parseResult) {
  *handle = configNew(path);
  if (*handle < 0) {
    memFree(file->text);
    reportError("%s: no free document slot", path);
    return ExitFailure;
  }
  if (!diagnosticsToStdout) captureLibraryOutput();
  int result = configParseText(*handle, file->text, file->length);
  if (!diagnosticsToStdout) releaseLibraryOutput();
  memFree(file->text);
  if (parseResult) *parseResult = result;
  return ExitSuccess;
}

}  // namespace

int loadDocument(const char *path, bool diagnosticsToStdout, ConfigHandle *handle, int *parseResult) {
  FileContents file;
  if (int error = fileReadWhole(path, &file)) {
    reportError("cannot read %s: %s", path, fileErrorText(error));
    return ExitFailure;
  }
  return parseIntoDocument(path, &file, diagnosticsToStdout, handle, parseResult);
}

int loadOrCreateDocument(const char *path, ConfigHandle *handle) {
  FileContents file;
  int error = fileReadWhole(path, &file);
  if (error == ENOENT) {
    *handle = configNew(path);
    if (*handle < 0) {
      reportError("%s: no free document slot", path);
      return ExitFailure;
    }
    return ExitSuccess;
  }
  if (error) {
    reportError("cannot read %s: %s", path, fileErrorText(error));
    return ExitFailure;
  }
  return parseIntoDocument(path, &file, false, handle, nullptr);
}

int LockedFile::take(const char *path, const std::string &shownName) {
  if (configLockFile(path, &lock_) == 0) return ExitSuccess;
  reportError("cannot write %s: another program kept it locked for %d seconds", shownName.c_str(),
              static_cast<int>(ConfigLockWaitSeconds));
  return ExitFailure;
}

int saveDocument(ConfigHandle handle, const char *path) {
  if (!configSave(handle, path)) {
    reportError("cannot write %s: %s", path, strerror(errno));
    return ExitFailure;
  }
  return ExitSuccess;
}

}  // namespace cfg
