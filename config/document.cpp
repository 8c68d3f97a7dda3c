// Configuration documents and the handle table: creating and releasing
// documents, finding and adding sections and entries, and the untyped reads.
// Names compare case-insensitively over ASCII letters; the first match is the
// only one because additions never create a second.
#include "config/config_internal.h"
#include "config/support.h"

#include <cstring>

static ConfigDocument *ConfigHandleTable[ConfigSlotCount];

namespace {

const size_t FirstChunkSize = 4096;
const size_t LargestChunkSize = 1 << 20;
const uint32_t FirstBucketCount = 8;

struct alignas(16) ChunkHeader {
  ConfigArenaChunk *next;
};

inline unsigned char foldCase(unsigned char c) {
  return (unsigned)(c - 'A') < 26u ? (unsigned char)(c + 32) : c;
}

// Grows a vector of pointers to at least `needed` slots, doubling.
void growPointerVector(void ***vector, int *capacity, int needed) {
  if (needed <= *capacity)
    return;
  int wanted = *capacity ? *capacity : 4;
  while (wanted < needed)
    wanted *= 2;
  if (*vector)
    memRealloc((void **)vector, (size_t)wanted * sizeof(void *));
  else
    *vector = (void **)memAlloc((size_t)wanted * sizeof(void *));
  *capacity = wanted;
}

template <typename Node> Node **newBuckets(uint32_t count) {
  Node **buckets = (Node **)memAlloc(count * sizeof(Node *));
  memset(buckets, 0, count * sizeof(Node *));
  return buckets;
}

void rehashSections(ConfigDocument *doc) {
  uint32_t count = (doc->bucketMask + 1) * 2;
  ConfigSection **buckets = newBuckets<ConfigSection>(count);
  for (int i = 0; i < doc->sectionCount; i++) {
    ConfigSection *section = doc->sections[i];
    ConfigSection **slot = &buckets[section->hash & (count - 1)];
    section->nextInBucket = *slot;
    *slot = section;
  }
  memFree(doc->buckets);
  doc->buckets = buckets;
  doc->bucketMask = count - 1;
}

void rehashEntries(ConfigSection *section) {
  uint32_t count = (section->bucketMask + 1) * 2;
  ConfigEntry **buckets = newBuckets<ConfigEntry>(count);
  for (int i = 0; i < section->entryCount; i++) {
    ConfigEntry *entry = section->entries[i];
    ConfigEntry **slot = &buckets[entry->hash & (count - 1)];
    entry->nextInBucket = *slot;
    *slot = entry;
  }
  memFree(section->buckets);
  section->buckets = buckets;
  section->bucketMask = count - 1;
}

ConfigSection *lookupSection(ConfigHandle handle, const char *name) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || !name)
    return nullptr;
  size_t length = strlen(name);
  return configFindSectionText(doc, name, length, configHashName(name, length));
}

} // namespace

// ---- Internal building blocks ----------------------------------------------

ConfigDocument *configDocumentOf(ConfigHandle handle) {
  if (handle < 0 || handle >= ConfigSlotCount)
    return nullptr;
  return ConfigHandleTable[handle];
}

uint32_t configHashName(const char *text, size_t length) {
  // FNV-1a over the case-folded bytes.
  uint32_t hash = 2166136261u;
  const unsigned char *at = (const unsigned char *)text;
  for (size_t i = 0; i < length; i++) {
    hash ^= foldCase(at[i]);
    hash *= 16777619u;
  }
  return hash;
}

bool configNamesEqual(const char *a, size_t aLength, const char *b, size_t bLength) {
  if (aLength != bLength)
    return false;
  const unsigned char *x = (const unsigned char *)a;
  const unsigned char *y = (const unsigned char *)b;
  for (size_t i = 0; i < aLength; i++) {
    if (x[i] != y[i] && foldCase(x[i]) != foldCase(y[i]))
      return false;
  }
  return true;
}

void *configArenaAlloc(ConfigDocument *doc, size_t size) {
  size = (size + 7) & ~(size_t)7;
  if (size <= doc->arenaLeft) {
    void *block = doc->arenaNext;
    doc->arenaNext += size;
    doc->arenaLeft -= size;
    return block;
  }
  // A large text gets a chunk of its own so the current chunk keeps serving
  // small ones.
  if (size > doc->arenaChunkSize / 4) {
    ChunkHeader *own = (ChunkHeader *)memAlloc(sizeof(ChunkHeader) + size);
    own->next = doc->chunks;
    doc->chunks = (ConfigArenaChunk *)own;
    return own + 1;
  }
  ChunkHeader *chunk = (ChunkHeader *)memAlloc(sizeof(ChunkHeader) + doc->arenaChunkSize);
  chunk->next = doc->chunks;
  doc->chunks = (ConfigArenaChunk *)chunk;
  doc->arenaNext = (char *)(chunk + 1) + size;
  doc->arenaLeft = doc->arenaChunkSize - size;
  if (doc->arenaChunkSize < LargestChunkSize)
    doc->arenaChunkSize *= 2;
  return chunk + 1;
}

ConfigSection *configFindSectionText(ConfigDocument *doc, const char *name, size_t length,
                                     uint32_t hash) {
  if (!doc->buckets)
    return nullptr;
  for (ConfigSection *s = doc->buckets[hash & doc->bucketMask]; s; s = s->nextInBucket) {
    if (s->hash == hash && configNamesEqual(s->name, s->nameLength, name, length))
      return s;
  }
  return nullptr;
}

ConfigSection *configAddSectionText(ConfigDocument *doc, const char *name, size_t length) {
  uint32_t hash = configHashName(name, length);
  ConfigSection *found = configFindSectionText(doc, name, length, hash);
  if (found)
    return found;
  ConfigSection *section =
      (ConfigSection *)configArenaAlloc(doc, sizeof(ConfigSection) + length + 1);
  memset(section, 0, sizeof *section);
  section->name = (char *)(section + 1);
  memcpy(section->name, name, length);
  section->name[length] = '\0';
  section->nameLength = length;
  section->hash = hash;
  growPointerVector((void ***)&doc->sections, &doc->sectionCapacity, doc->sectionCount + 1);
  doc->sections[doc->sectionCount++] = section;
  if (!doc->buckets) {
    doc->buckets = newBuckets<ConfigSection>(FirstBucketCount);
    doc->bucketMask = FirstBucketCount - 1;
  } else if ((uint32_t)doc->sectionCount > doc->bucketMask + 1) {
    rehashSections(doc); // the new section is linked below
  }
  ConfigSection **slot = &doc->buckets[hash & doc->bucketMask];
  if (*slot != section) {
    section->nextInBucket = *slot;
    *slot = section;
  }
  return section;
}

ConfigEntry *configFindEntryText(ConfigSection *section, const char *key, size_t length,
                                 uint32_t hash) {
  if (!section->buckets)
    return nullptr;
  for (ConfigEntry *e = section->buckets[hash & section->bucketMask]; e; e = e->nextInBucket) {
    if (e->hash == hash && configNamesEqual(e->key, e->keyLength, key, length))
      return e;
  }
  return nullptr;
}

void configPutRawText(ConfigDocument *doc, ConfigSection *section, const char *key,
                      size_t keyLength, const char *value, size_t valueLength) {
  uint32_t hash = configHashName(key, keyLength);
  ConfigEntry *entry = configFindEntryText(section, key, keyLength, hash);
  if (entry) {
    // An existing entry keeps its place and key; its value is replaced in
    // place when it fits (memmove: the new text may be part of the old one).
    if (valueLength > entry->valueCapacity) {
      char *room = (char *)configArenaAlloc(doc, valueLength + 1);
      memcpy(room, value, valueLength);
      entry->value = room;
      entry->valueCapacity = valueLength;
    } else {
      memmove(entry->value, value, valueLength);
    }
    entry->value[valueLength] = '\0';
    entry->valueLength = valueLength;
    return;
  }
  // Entry, key and first value in one block.
  entry = (ConfigEntry *)configArenaAlloc(doc, sizeof(ConfigEntry) + keyLength + valueLength + 2);
  entry->key = (char *)(entry + 1);
  memcpy(entry->key, key, keyLength);
  entry->key[keyLength] = '\0';
  entry->keyLength = keyLength;
  entry->value = entry->key + keyLength + 1;
  memcpy(entry->value, value, valueLength);
  entry->value[valueLength] = '\0';
  entry->valueLength = valueLength;
  entry->valueCapacity = valueLength;
  entry->hash = hash;
  growPointerVector((void ***)&section->entries, &section->entryCapacity, section->entryCount + 1);
  section->entries[section->entryCount++] = entry;
  if (!section->buckets) {
    section->buckets = newBuckets<ConfigEntry>(FirstBucketCount);
    section->bucketMask = FirstBucketCount - 1;
  } else if ((uint32_t)section->entryCount > section->bucketMask + 1) {
    rehashEntries(section);
  }
  ConfigEntry **slot = &section->buckets[hash & section->bucketMask];
  if (*slot != entry) {
    entry->nextInBucket = *slot;
    *slot = entry;
  }
}

ConfigEntry *configLookupEntry(ConfigHandle handle, const char *section, const char *key,
                               bool *hasDocumentWithSections) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (hasDocumentWithSections)
    *hasDocumentWithSections = doc && doc->sectionCount > 0;
  if (!doc || !section || !key)
    return nullptr;
  size_t length = strlen(section);
  ConfigSection *found = configFindSectionText(doc, section, length, configHashName(section, length));
  if (!found)
    return nullptr;
  length = strlen(key);
  return configFindEntryText(found, key, length, configHashName(key, length));
}

// ---- Creation and release ---------------------------------------------------

ConfigHandle configNew(const char *name) {
  for (int slot = 0; slot < ConfigSlotCount; slot++) {
    if (ConfigHandleTable[slot])
      continue;
    ConfigDocument *doc = (ConfigDocument *)memAlloc(sizeof(ConfigDocument));
    memset(doc, 0, sizeof *doc);
    if (name) {
      size_t length = strnlen(name, ConfigDocumentNameMax);
      memcpy(doc->name, name, length);
      doc->name[length] = '\0';
    }
    doc->arenaChunkSize = FirstChunkSize;
    ConfigHandleTable[slot] = doc;
    return slot;
  }
  return -1;
}

void configFree(ConfigHandle handle) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc)
    return;
  for (int i = 0; i < doc->sectionCount; i++) {
    ConfigSection *section = doc->sections[i];
    if (section->entries)
      memFree(section->entries);
    if (section->buckets)
      memFree(section->buckets);
  }
  if (doc->sections)
    memFree(doc->sections);
  if (doc->buckets)
    memFree(doc->buckets);
  ChunkHeader *chunk = (ChunkHeader *)doc->chunks;
  while (chunk) {
    ChunkHeader *next = (ChunkHeader *)chunk->next;
    memFree(chunk);
    chunk = next;
  }
  memFree(doc);
  ConfigHandleTable[handle] = nullptr;
}

// ---- Lookup and addition ------------------------------------------------------

ConfigSection *configFindSection(ConfigHandle handle, const char *name) {
  return lookupSection(handle, name);
}

ConfigSection *configAddSection(ConfigHandle handle, const char *name) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || !name)
    return nullptr;
  return configAddSectionText(doc, name, strlen(name));
}

ConfigEntry *configFindEntry(ConfigSection *section, const char *key) {
  if (!section || !key)
    return nullptr;
  size_t length = strlen(key);
  return configFindEntryText(section, key, length, configHashName(key, length));
}

void configPutRaw(ConfigHandle handle, const char *section, const char *key, const char *value) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || !section || !key || !value)
    return;
  ConfigSection *target = configAddSectionText(doc, section, strlen(section));
  configPutRawText(doc, target, key, strlen(key), value, strlen(value));
}

// ---- Enumeration and raw access -------------------------------------------------

int configSectionCount(ConfigHandle handle) {
  ConfigDocument *doc = configDocumentOf(handle);
  return doc ? doc->sectionCount : 0;
}

const char *configSectionName(ConfigHandle handle, int index) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || doc->sectionCount == 0)
    return "";
  if (index < 0)
    index = 0;
  if (index >= doc->sectionCount)
    index = doc->sectionCount - 1;
  return doc->sections[index]->name;
}

int configEntryCount(ConfigHandle handle, const char *section) {
  ConfigSection *found = lookupSection(handle, section);
  return found ? found->entryCount : 0;
}

const char *configEntryKey(ConfigHandle handle, const char *section, int index) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || doc->sectionCount == 0)
    return nullptr;
  ConfigSection *found = lookupSection(handle, section);
  if (!found || found->entryCount == 0)
    return "";
  if (index < 0)
    index = 0;
  if (index >= found->entryCount)
    index = found->entryCount - 1;
  return found->entries[index]->key;
}

const char *configGetRaw(ConfigHandle handle, const char *section, const char *key) {
  bool hasSections = false;
  ConfigEntry *entry = configLookupEntry(handle, section, key, &hasSections);
  if (!hasSections)
    return nullptr;
  return entry ? entry->value : "";
}

bool configEntryExists(ConfigHandle handle, const char *section, const char *key) {
  return configLookupEntry(handle, section, key, nullptr) != nullptr;
}
