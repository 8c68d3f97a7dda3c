// tarrengard-cfg's documents: loading a file as the library does but with
// the tool's own messages on failure, saving it, and holding its lock.
#pragma once

#include <string>

#include "config/config.h"

namespace cfg {

// Loads an existing file; diagnostics go to stderr unless asked otherwise.
// The file is read as the library reads it (a regular file only, its bytes
// as they are), but a failure is this tool's message, not the end of it.
// *parseResult (may be null) receives configParseText's answer.
int loadDocument(const char *path, bool diagnosticsToStdout, ConfigHandle *handle, int *parseResult);
// Loads the file, or starts an empty document when there is no such file.
int loadOrCreateDocument(const char *path, ConfigHandle *handle);
// Saves the document to `path`, with a message when it cannot.
int saveDocument(ConfigHandle handle, const char *path);

// The file's lock, held from before a command reads the file until after it
// has saved it, so that what another program saved meanwhile is never
// written over (two scripts setting keys at once keep both).
class LockedFile {
 public:
  LockedFile() = default;
  LockedFile(const LockedFile &) = delete;
  LockedFile &operator=(const LockedFile &) = delete;
  ~LockedFile() { configUnlockFile(&lock_); }
  // `shownName` names the file in the message.
  int take(const char *path, const std::string &shownName);

 private:
  ConfigFileLock lock_ = {-1, nullptr};
};

}  // namespace cfg
