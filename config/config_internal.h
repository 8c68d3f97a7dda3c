// Private layout of configuration documents, shared by the library's own
// files. Sections, entries and texts live in a per-document arena so that
// nothing handed out ever moves; per-document and per-section hash indexes
// over ASCII-case-folded names keep lookups constant-time on large files
// while the ordered pointer vectors keep creation order.
#pragma once

#include "config/config.h"

#include <cstddef>
#include <cstdint>

// An open-addressing hash index from names to positions in an ordered
// vector. Slot i holds the name's hash at slots[2i] and its position + 1 at
// slots[2i + 1] (0: empty), so a probe reads no name until the hashes agree.
struct ConfigIndex {
  uint32_t *slots;  // null until the first insertion
  uint32_t mask;    // slot count - 1
  uint32_t used;
};

struct ConfigEntry {
  char *key;
  char *value;
  size_t keyLength;
  size_t valueLength;
  size_t valueCapacity;  // bytes available at `value` before its terminator
};

struct ConfigSection {
  char *name;
  size_t nameLength;
  ConfigEntry **entries;  // creation order; the vector may move, entries never do
  int entryCount;
  int entryCapacity;
  ConfigIndex index;
};

struct ConfigArenaChunk;

struct ConfigDocument {
  char name[ConfigDocumentNameMax + 1];
  ConfigSection **sections;
  int sectionCount;
  int sectionCapacity;
  ConfigIndex index;
  ConfigArenaChunk *chunks;  // newest first
  char *arenaNext;
  size_t arenaLeft;
  size_t arenaChunkSize;  // size of the next ordinary chunk; grows with the document
  void **adopted;         // loaded texts that entries point into
  int adoptedCount;
  int adoptedCapacity;
};

// Room for `size` bytes (8-aligned) that stays put until the document is freed.
void *configArenaAlloc(ConfigDocument *doc, size_t size);

// The document in that slot, or null for a free slot or a handle out of range.
ConfigDocument *configDocumentOf(ConfigHandle handle);

// Hash of a name with ASCII letters folded to lower case: SipHash-1-3 under
// the process's hash key, which is drawn from the system's random source on
// first use. Without the key nobody can write a file in advance whose names
// crowd into one run of index slots, which would make loading quadratic.
uint32_t configHashName(const char *text, size_t length);
// SipHash-1-3 and SipHash-2-4 of the bytes with ASCII capitals folded to
// lower case (the standard functions for texts without capitals).
uint64_t configSipHash13(const uint64_t key[2], const char *text, size_t length);
uint64_t configSipHash24(const uint64_t key[2], const char *text, size_t length);
// A fresh key from the system's random source, mixed with the clock and
// addresses that differ between processes (all there is without a source).
void configRandomHashKey(uint64_t key[2]);
// Makes `key` the process's hash key (tests use fixed keys, to reproduce a
// count or to play an attacker who knows the key). Refused, with false, while
// any document is held: its indexes hold hashes made under the old key.
bool configSetHashKey(const uint64_t key[2]);
// Index slots examined so far by lookups, insertions and growing, in every
// document of the process. Tests read it to prove that the work per name
// stays bounded whatever the names are.
extern uint64_t ConfigIndexProbes;
// The characters the format trims around names and values, and those a key
// must begin with: one definition for the parser, the queries and the rules
// of what a file can hold.
inline bool configIsBlank(unsigned char c) { return c == ' ' || c == '\t'; }
inline bool configIsLetter(unsigned char c) { return (unsigned)((c | 0x20) - 'a') < 26u; }

// Case-insensitive (ASCII) equality of two texts of known length.
bool configNamesEqual(const char *a, size_t aLength, const char *b, size_t bLength);

// Lookups and additions on texts of known length (no terminator needed; the
// caller has already cut them at any zero byte).
ConfigSection *configFindSectionText(ConfigDocument *doc, const char *name, size_t length, uint32_t hash);
ConfigSection *configAddSectionText(ConfigDocument *doc, const char *name, size_t length);
ConfigEntry *configFindEntryText(ConfigSection *section, const char *key, size_t length, uint32_t hash);
void configPutRawText(ConfigDocument *doc, ConfigSection *section, const char *key, size_t keyLength, const char *value,
                      size_t valueLength);
// The same with the key's hash already known. With `textsStay` the key and
// value already lie, zero-terminated, in memory the document owns (a loaded
// file it has adopted) and are used where they are instead of copied.
void configPutRawHashed(ConfigDocument *doc, ConfigSection *section, const char *key, size_t keyLength, uint32_t hash,
                        const char *value, size_t valueLength, bool textsStay);
// Hands a memAlloc'd block to the document, which frees it with itself.
void configAdoptBlock(ConfigDocument *doc, void *block);

// The entry under section and key: null with no document, no section or no
// entry. `hasDocumentWithSections` (may be null) serves the queries whose
// answers differ for a missing document or one without sections.
ConfigEntry *configLookupEntry(ConfigHandle handle, const char *section, const char *key,
                               bool *hasDocumentWithSections);

// Writing a file so that the old one is replaced whole or not at all: the
// data goes to a fresh temporary file in the target's folder, which one
// rename puts in place. A target that may not be written is refused; one in
// a folder that refuses the temporary file is written in place. The POSIX
// and Windows calls live behind these three.
struct ConfigSafeFile {
  int fd;
  bool failed;
  bool inPlace;               // writing the target itself, not a temporary file
  int error;                  // errno value of the first failure
  unsigned long long written;  // bytes written so far
  char *tempPath;             // memAlloc'd; null when writing in place
  char *finalPath;            // memAlloc'd: the target, symbolic links resolved
};
// Creates the temporary file (or opens the target to write it in place, with
// room for all `size` bytes of the new text secured before anything of the
// old text is overwritten); false with `error` set, nothing left behind and
// nothing changed, on failure.
bool configSafeOpen(ConfigSafeFile *file, const char *path, unsigned long long size);
// False once any write has failed; later writes are skipped.
bool configSafeWrite(ConfigSafeFile *file, const void *data, size_t length);
// Flushes to disk, closes and renames over the target. On failure removes the
// temporary file and answers false with `error` set. Releases the paths
// either way.
bool configSafeCommit(ConfigSafeFile *file);
