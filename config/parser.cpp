// The configuration text parser and file loading. One pass over the bytes
// with a small state machine that counts lines; a line it cannot understand
// is reported on standard output and abandoned, and parsing goes on.
//
// The states scan their runs of ordinary characters in tight inner loops; the
// per-line work (trimming, cutting at a zero byte, storing) happens once per
// line. Stored texts end at their first zero byte: a name, key or value is
// delimited and trimmed first, then cut there.
#include "config/config_internal.h"
#include "config/support.h"

#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

ConfigDiagnosticHook DiagnosticHook = nullptr;
ConfigUnfinishedLineHook UnfinishedLineHook = nullptr;
void *DiagnosticContext = nullptr;

// The text ended inside a header or a key: dropped without a diagnostic, as
// ever, but a caller may want to tell the user.
void noteUnfinished(long line) {
  if (UnfinishedLineHook) UnfinishedLineHook(DiagnosticContext, line);
}

// Prints one diagnostic line and hands it to the hook.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void diagnose(long line, const char *format, ...) {
  char message[96];
  va_list arguments;
  va_start(arguments, format);
  vsnprintf(message, sizeof message, format, arguments);
  va_end(arguments);
  printf("%s\n", message);
  if (DiagnosticHook) DiagnosticHook(DiagnosticContext, line, message);
}

inline bool isLineEnd(unsigned char c) { return c == '\r' || c == '\n'; }

inline size_t cutAtZero(const unsigned char *text, size_t length) {
  const void *zero = memchr(text, 0, length);
  return zero ? (size_t)((const unsigned char *)zero - text) : length;
}

// Entries wait in a short queue before they are stored, so that the index
// slot each will probe can be fetched from memory while the following lines
// are parsed; storing in queue order keeps every rule of storing at once.
const int PendingCount = 16;

struct PendingEntry {
  ConfigSection *section;
  const char *key;
  size_t keyLength;
  const char *value;
  size_t valueLength;
  uint32_t hash;
  bool textsStay;
};

struct ParseState {
  ConfigDocument *doc;
  const unsigned char *sectionName;  // the current section's name in the text
  size_t sectionNameLength;
  ConfigSection *section;  // resolved on the first entry after its header
  PendingEntry pending[PendingCount];
  int pendingFirst;
  int pendingCount;
  // A loaded file's text is kept by the document, and entries point into it
  // (ended in place) instead of being copied; `textEnd` bounds the writes.
  bool adopt;
  bool referenced;
  const unsigned char *textEnd;
};

void storePending(ParseState *state) {
  PendingEntry *entry = &state->pending[state->pendingFirst];
  configPutRawHashed(state->doc, entry->section, entry->key, entry->keyLength, entry->hash, entry->value,
                     entry->valueLength, entry->textsStay);
  state->pendingFirst = (state->pendingFirst + 1) % PendingCount;
  state->pendingCount--;
}

void storeAllPending(ParseState *state) {
  while (state->pendingCount > 0) storePending(state);
}

void storeEntry(ParseState *state, const unsigned char *key, size_t keyLength, const unsigned char *value,
                size_t valueLength) {
  if (!state->doc) return;
  // Only entries make sections: the header's section is found or created now.
  if (!state->section)
    state->section = configAddSectionText(state->doc, (const char *)state->sectionName, state->sectionNameLength);
  if (state->pendingCount == PendingCount) storePending(state);
  PendingEntry *entry = &state->pending[(state->pendingFirst + state->pendingCount) % PendingCount];
  state->pendingCount++;
  entry->section = state->section;
  entry->key = (const char *)key;
  entry->keyLength = cutAtZero(key, keyLength);
  entry->value = (const char *)value;
  entry->valueLength = cutAtZero(value, valueLength);
  entry->hash = configHashName(entry->key, entry->keyLength);
  // The key always has a character after it ("=" or a blank); the value has
  // one unless it runs to the end of the text, and is then copied.
  entry->textsStay = state->adopt && value + valueLength < state->textEnd;
  if (entry->textsStay) {
    ((unsigned char *)key)[keyLength] = '\0';
    ((unsigned char *)value)[valueLength] = '\0';
    state->referenced = true;
  }
  const ConfigIndex *index = &state->section->index;
#if defined(__GNUC__)
  if (index->slots) __builtin_prefetch(&index->slots[2 * (entry->hash & index->mask)]);
#else
  (void)index;
#endif
}

// Trims the value [start, end) and stores it with its key.
void finishEntry(ParseState *state, const unsigned char *key, size_t keyLength, const unsigned char *start,
                 const unsigned char *end) {
  while (start < end && configIsBlank(*start)) start++;
  while (end > start && configIsBlank(end[-1])) end--;
  storeEntry(state, key, keyLength, start, (size_t)(end - start));
}

}  // namespace

namespace {

int parseText(ConfigHandle handle, char *text, long length, bool adopt, bool *referenced) {
  ParseState state;
  state.doc = configDocumentOf(handle);
  state.adopt = adopt && state.doc;
  state.referenced = false;
  state.textEnd = (const unsigned char *)text + length;
  state.sectionName = (const unsigned char *)"";
  state.sectionNameLength = 0;
  state.section = nullptr;
  state.pendingFirst = 0;
  state.pendingCount = 0;

  const unsigned char *at = (const unsigned char *)text;
  const unsigned char *const end = at + length;
  // Some Windows editors start a file with a UTF-8 byte order mark; it is no
  // line and no character of the first header. Only that one is skipped:
  // anywhere else the bytes are an illegal first character, as before.
  if (length >= 3 && at[0] == 0xEF && at[1] == 0xBB && at[2] == 0xBF) at += 3;
  long line = 1;
  unsigned char previous = 0;
  int result = 0;

  // Each pass of this loop begins in the line-start state.
  while (at < end) {
    unsigned char c = *at++;
    if (configIsBlank(c)) {
      previous = c;
      continue;
    }
    if (c == '\r') {
      line++;
      previous = c;
      continue;
    }
    if (c == '\n') {
      if (previous != '\r') line++;
      previous = c;
      continue;
    }
    if (c == ';') {
      previous = c;
      while (at < end && !isLineEnd(*at)) at++;
      continue;
    }
    if (c == '[') {
      // Header state: the name runs to the first "]" of the line.
      const unsigned char *name = at;
      while (at < end && *at != ']' && !isLineEnd(*at)) at++;
      if (at == end) {  // an unfinished header at the end is dropped silently
        noteUnfinished(line);
        break;
      }
      c = *at++;
      previous = c;
      if (c == ']') {
        state.sectionName = name;
        state.sectionNameLength = cutAtZero(name, (size_t)(at - 1 - name));
        state.section = nullptr;
        while (at < end && !isLineEnd(*at)) at++;
      } else {
        // A broken header changes nothing: the entries that follow stay in
        // the section that was current before it.
        diagnose(line, "Unexpected newline on line %ld.", line);
        result = -1;
        line++;
      }
      continue;
    }
    if (configIsLetter(c)) {
      // Key state.
      const unsigned char *key = at - 1;
      while (at < end && *at != '=' && *at != ';' && !isLineEnd(*at)) at++;
      if (at == end) {  // an unfinished key at the end is dropped silently
        noteUnfinished(line);
        break;
      }
      c = *at++;
      previous = c;
      if (c == '=') {
        const unsigned char *keyEnd = at - 1;
        while (configIsBlank(keyEnd[-1]))  // stops at the key's first letter
          keyEnd--;
        // Value state: the rest of the line.
        const unsigned char *value = at;
        while (at < end && !isLineEnd(*at)) at++;
        const unsigned char *valueEnd = at;
        if (at < end) {
          previous = *at++;
          line++;
        }
        // A value on the last line without its line end is stored too.
        finishEntry(&state, key, (size_t)(keyEnd - key), value, valueEnd);
        continue;
      }
      if (c == ';') {
        while (at < end && !isLineEnd(*at)) at++;
        diagnose(line, "Unexpected comment on line %ld.", line);
        diagnose(line, "Unexpected newline on line %ld.", line);
        result = -1;
        continue;
      }
      diagnose(line, "Unexpected newline on line %ld.", line);
      result = -1;
      line++;
      continue;
    }
    diagnose(line, "Illegal character (ASCII %d) on line %ld.", (int)c, line);
    result = -1;
    previous = c;
    while (at < end && !isLineEnd(*at)) at++;
  }
  storeAllPending(&state);
  *referenced = state.referenced;
  return result;
}

}  // namespace

void configSetDiagnosticHook(ConfigDiagnosticHook hook, void *context, ConfigUnfinishedLineHook unfinished) {
  DiagnosticHook = hook;
  UnfinishedLineHook = unfinished;
  DiagnosticContext = context;
}

bool configFindLine(const char *text, long length, long line, long *start, long *count) {
  if (!text || length < 0 || line < 1) return false;
  const unsigned char *at = (const unsigned char *)text;
  const unsigned char *const end = at + length;
  if (length >= 3 && at[0] == 0xEF && at[1] == 0xBB && at[2] == 0xBF) at += 3;
  // A carriage return and line feed pair ends one line, as in the parser.
  for (long number = 1; number < line; number++) {
    while (at < end && !isLineEnd(*at)) at++;
    if (at == end) return false;
    if (*at++ == '\r' && at < end && *at == '\n') at++;
  }
  const unsigned char *first = at;
  while (at < end && !isLineEnd(*at)) at++;
  *start = (long)(first - (const unsigned char *)text);
  *count = (long)(at - first);
  return true;
}

int configParseText(ConfigHandle handle, char *text, long length) {
  if (!text || length < 0) return 1;
  bool referenced = false;
  return parseText(handle, text, length, false, &referenced);
}

namespace {

// A new document named after `path` holding the parsed text, which it keeps
// when its entries point into it; -1 (text released) when the table is full.
ConfigHandle documentFromText(const char *path, char *text, long length) {
  ConfigHandle handle = configNew(path);
  if (handle < 0) {
    memFree(text);
    return -1;
  }
  bool referenced = false;
  parseText(handle, text, length, true, &referenced);
  if (referenced)
    configAdoptBlock(configDocumentOf(handle), text);
  else
    memFree(text);
  return handle;
}

}  // namespace

ConfigHandle configLoad(const char *path) {
  FileContents file;
  if (fileReadWhole(path, &file) != 0) {
    if (file.stage == FileStageOpen) fatalError("Failed opening %s for reading.\n", path ? path : "(null)");
    if (file.stage == FileStageAllocate) fatalError("Couldn't allocate %llu bytes.", (unsigned long long)file.size);
    fatalError("Failed reading %ld bytes.\n", (long)file.size);
  }
  return documentFromText(path, file.text, file.length);
}

ConfigHandle configTryLoad(const char *path, int *error) {
  FileContents file;
  int failure = fileReadWhole(path, &file);
  if (error) *error = failure;
  if (failure != 0) return -1;
  return documentFromText(path, file.text, file.length);
}
