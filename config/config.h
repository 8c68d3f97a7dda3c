// The configuration-file library: documents of named sections holding
// key = value entries, held in a fixed table of 20 slots and named by handle.
//
// Conventions that hold for every operation below:
// - A handle outside 0..19, or naming a free slot, has "no document"; every
//   operation then answers as its comment says and changes nothing.
// - Section names and keys compare case-insensitively over ASCII letters; the
//   first match is the only one. Sections and entries keep creation order.
// - Texts handed in are copied. Texts handed out point into the document: a
//   value stays valid until that entry's value is replaced, every other text
//   until the document is released. Adding sections or entries never moves an
//   existing text, section or entry.
// - Queries leave the caller's storage untouched when there is no document,
//   no such section or no such entry, so callers can preload a default.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int ConfigHandle;

enum {
  ConfigSlotCount = 20,  // slots in ConfigHandleTable
  ConfigDocumentNameMax = 127,
};

struct ConfigEntry;
struct ConfigSection;
struct ConfigDocument;

// ---- Document and handle table -------------------------------------------

// A new empty document (a null name counts as empty; cut to 127 characters).
// The lowest free slot, or -1 when all 20 are in use.
ConfigHandle configNew(const char *name);
// Releases the document and frees its slot; nothing with no document.
void configFree(ConfigHandle handle);

// The section named `name`; null with no document, a null name, or no match.
ConfigSection *configFindSection(ConfigHandle handle, const char *name);
// The existing section, or a new empty one appended at the end. Null (nothing
// created) with no document or a null name.
ConfigSection *configAddSection(ConfigHandle handle, const char *name);
// The entry with that key; null when the section or key is null or no match.
ConfigEntry *configFindEntry(ConfigSection *section, const char *key);
// Stores `value` under section and key, appending the section and entry when
// missing; an existing entry keeps its place and its key as first written.
// Nothing with no document or any null text.
void configPutRaw(ConfigHandle handle, const char *section, const char *key, const char *value);

// Number of sections; 0 with no document.
int configSectionCount(ConfigHandle handle);
// Name of section `index`, clamped (<= 0 first, >= count last); "" with no
// document or no sections.
const char *configSectionName(ConfigHandle handle, int index);
// Entries in that section; 0 with no document or no such section.
int configEntryCount(ConfigHandle handle, const char *section);
// Key of entry `index` (clamped as above). Null with no document or no
// sections; "" when the section is missing or empty.
const char *configEntryKey(ConfigHandle handle, const char *section, int index);
// Raw value text. Null with no document or no sections; "" when the section
// or the entry is missing.
const char *configGetRaw(ConfigHandle handle, const char *section, const char *key);
// True when the entry exists.
bool configEntryExists(ConfigHandle handle, const char *section, const char *key);

// ---- Parser and loading -----------------------------------------------------

// Parses exactly `length` bytes of `text` (no terminator needed; the parser
// may write into it) into the document, printing one-line diagnostics to
// standard output. 0: no diagnostic; -1: at least one; 1: null text or
// negative length (nothing read). With no document the text is still read
// and diagnosed, and nothing is stored.
int configParseText(ConfigHandle handle, char *text, long length);
// Receives each diagnostic of configParseText (and so of the loads), as the
// text printed without its line feed ("Illegal character (ASCII 49) on line
// 3.") and the number of the line it is about, with the context given here.
// Null (the default) for none; the diagnostics are printed either way. One
// hook for the process: set it around a load, then set it back.
typedef void (*ConfigDiagnosticHook)(void *context, long line, const char *message);
// Receives, with the same context, the number of the last line when the text
// ends inside a section header or a key (no "]", no "=" yet): the parser
// drops that unfinished line without a diagnostic, and prints nothing.
typedef void (*ConfigUnfinishedLineHook)(void *context, long line);
void configSetDiagnosticHook(ConfigDiagnosticHook hook, void *context, ConfigUnfinishedLineHook unfinished = nullptr);
// Finds line `line` of `text` as the parser numbers lines (from 1; a carriage
// return, a line feed, or the pair, ends a line; a UTF-8 byte-order mark at
// the start is not part of line 1): its first byte's offset in *start and its
// length without the line end in *count. False when the text has no such line.
bool configFindLine(const char *text, long length, long line, long *start, long *count);
// Reads the whole file into a new document named after the path. -1 when the
// table is full. A file that cannot be opened or read ends the process.
ConfigHandle configLoad(const char *path);
// The same without ending the process: -1 with *error set to fileReadWhole's
// error (config/support.h: an errno value, or a FileError code) when the file
// cannot be read; -1 with *error 0 when the table is full.
ConfigHandle configTryLoad(const char *path, int *error);

// ---- Writer and setters -----------------------------------------------------

// Setters create the section and entry when missing and otherwise replace the
// value in place; nothing with no document or a null text.
void configPutString(ConfigHandle handle, const char *section, const char *key, const char *text);
void configPutStringPair(ConfigHandle handle, const char *section, const char *key, const char *first,
                         const char *second);
void configPutInteger(ConfigHandle handle, const char *section, const char *key, int32_t value, int hexadecimal);
void configPutBoolean(ConfigHandle handle, const char *section, const char *key, int flag);
void configPutDouble(ConfigHandle handle, const char *section, const char *key, double value);

// What a file can hold: only names and raw values that the parser reads back
// as the same texts. Anything else would be lost on the next load or, with a
// line end, would add lines of its own to the file. Each answers the reason,
// for a message, or null when the text can be written; no text may be null.
//
// A section name holds no "]" and no line end. The writer gives the
// empty-named section no header, so its entries read back where they were
// only while it is the document's first section: a document already holding
// it behind another section (a file with "[]" after other headers) would
// move its entries into the section before it on the next load, whichever
// entry is set, so no section of it is writable; and "" is writable only in
// a document that holds it already or holds no sections yet. With no
// document only the name's characters count.
const char *configUnwritableSection(ConfigHandle handle, const char *section);
// A key begins with a letter (A-Z, a-z), holds no ';', '=' or line end and
// ends with neither a blank nor a tab.
const char *configUnwritableKey(const char *key);
// A raw value holds no line end and begins and ends with neither a blank nor
// a tab.
const char *configUnwritableRawValue(const char *value);

// Writes the document to `path` (CRLF line ends) through a temporary file in
// the same folder and one rename, so the old file is either kept whole or
// replaced whole. A file that exists and may not be written is never
// replaced. Where the folder refuses the temporary file but the file itself
// may be written, it is written in place instead, once room for the whole
// new text is secured (not all-or-nothing: see docs/reliability.md). SIGXFSZ
// is ignored while it runs, so a file-size limit fails it with EFBIG. True
// when the file was written; false with errno set on a null path, no
// document, or any failure (target untouched, except for a write error in
// the middle of an in-place overwrite).
bool configSave(ConfigHandle handle, const char *path);

// An advisory lock held over a whole read-change-write of a file, so that two
// programs that both change it (tarrengard-cfg, the configurator) never save
// over each other's change. The lock lives on the file the save would write
// (symbolic links followed); while that file does not exist, on its folder.
// On Windows, which will not replace a file another process holds open, it
// is a named mutex of the file's full path. A held lock is released by
// configUnlockFile or by the end of the process.
struct ConfigFileLock {
  int fd;        // POSIX: the locked file or folder; -1 for none
  void *handle;  // Windows: the mutex; null for none
};
// Seconds a lock is waited for before giving up.
enum { ConfigLockWaitSeconds = 5 };
// 0 once the lock is held, also when there is nothing to lock (the file
// cannot be opened, or is no regular file: reading or saving it will report
// that). EWOULDBLOCK when another program held it for the whole wait.
int configLockFile(const char *path, ConfigFileLock *lock);
// Releases a lock of configLockFile; nothing for one that holds nothing.
void configUnlockFile(ConfigFileLock *lock);

// What tells whether a file is still the one that was read: which file it is
// (device and inode; on Windows volume and file index), its size, the time
// of its last change and a digest of its bytes, since a change within the
// clock's granularity leaves the rest alike.
struct ConfigFileStamp {
  bool exists;
  uint64_t device;
  uint64_t file;
  uint64_t size;
  int64_t modified;
  uint64_t digest;
};
// Stamps the file at `path` (links followed) without waiting on a pipe; with
// `digest`, reads all of it (in chunks) for the digest, which is 0 otherwise.
// 0, with `exists` false when there is no such file; otherwise an errno value
// (EINVAL: not a regular file), and the stamp says only whether something is
// there.
int configStampFile(const char *path, ConfigFileStamp *stamp, bool digest);
// True when both stamps describe the same file with the same bytes.
bool configSameStamp(const ConfigFileStamp *a, const ConfigFileStamp *b);

// ---- Typed queries ----------------------------------------------------------

// One decoded string token from the start of the value into `dest`, cut to
// fit `capacity` bytes with its terminator (capacity 0: nothing written).
void configGetString(ConfigHandle handle, const char *section, const char *key, char *dest, size_t capacity);
// The first token into `first`; the second, when the value has one, into
// `second` (otherwise `second` is untouched). Same cutting rule.
void configGetStringPair(ConfigHandle handle, const char *section, const char *key, char *first, size_t firstCapacity,
                         char *second, size_t secondCapacity);
// 0: entry missing (value untouched) or a well-formed number; 1: no document
// or no sections (value untouched), or a malformed number (value still set).
int configGetInteger(ConfigHandle handle, const char *section, const char *key, int32_t *value);
// Stores 1 or 0 when the value reads as a boolean; otherwise untouched.
void configGetBoolean(ConfigHandle handle, const char *section, const char *key, int32_t *value);
