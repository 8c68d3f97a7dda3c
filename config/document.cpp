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

struct alignas(16) ChunkHeader {
  ConfigArenaChunk *next;
};

inline unsigned char foldCase(unsigned char c) { return (unsigned)(c - 'A') < 26u ? (unsigned char)(c + 32) : c; }

// Grows a vector of pointers to at least `needed` slots, doubling.
void growPointerVector(void ***vector, int *capacity, int needed) {
  if (needed <= *capacity) return;
  int wanted = *capacity ? *capacity : 4;
  while (wanted < needed) wanted *= 2;
  if (*vector)
    memRealloc((void **)vector, (size_t)wanted * sizeof(void *));
  else
    *vector = (void **)memAlloc((size_t)wanted * sizeof(void *));
  *capacity = wanted;
}

const uint32_t FirstSlotCount = 16;

// Stores `position` under `hash`, growing the table past three quarters full.
void indexInsert(ConfigIndex *index, uint32_t hash, uint32_t position) {
  if (!index->slots || (index->used + 1) * 4 > (index->mask + 1) * 3) {
    uint32_t count = index->slots ? (index->mask + 1) * 2 : FirstSlotCount;
    uint32_t *slots = (uint32_t *)memAlloc((size_t)count * 2 * sizeof(uint32_t));
    memset(slots, 0, (size_t)count * 2 * sizeof(uint32_t));
    // Walking the old table in order writes the new one in two ascending
    // runs, which keeps growing a large index cache-friendly.
    uint64_t probes = 0;
    for (uint32_t i = 0; index->slots && i <= index->mask; i++) {
      if (!index->slots[2 * i + 1]) continue;
      uint32_t at = index->slots[2 * i] & (count - 1);
      for (probes++; slots[2 * at + 1]; probes++) at = (at + 1) & (count - 1);
      slots[2 * at] = index->slots[2 * i];
      slots[2 * at + 1] = index->slots[2 * i + 1];
    }
    ConfigIndexProbes += probes;
    if (index->slots) memFree(index->slots);
    index->slots = slots;
    index->mask = count - 1;
  }
  uint32_t at = hash & index->mask;
  uint64_t probes = 1;
  for (; index->slots[2 * at + 1]; probes++) at = (at + 1) & index->mask;
  ConfigIndexProbes += probes;
  index->slots[2 * at] = hash;
  index->slots[2 * at + 1] = position + 1;
  index->used++;
}

// Position of the name among `items` (each with `name`/`nameLength`-like
// fields reached through `nameOf`), or -1.
template <typename Item, typename NameOf>
int indexFind(const ConfigIndex *index, Item *const *items, uint32_t hash, const char *name, size_t length,
              NameOf nameOf) {
  if (!index->slots) return -1;
  uint32_t at = hash & index->mask;
  for (uint64_t probes = 1;; probes++) {
    uint32_t position = index->slots[2 * at + 1];
    if (!position) {
      ConfigIndexProbes += probes;
      return -1;
    }
    if (index->slots[2 * at] == hash) {
      size_t itemLength = 0;
      const char *itemName = nameOf(items[position - 1], &itemLength);
      if (configNamesEqual(itemName, itemLength, name, length)) {
        ConfigIndexProbes += probes;
        return (int)position - 1;
      }
    }
    at = (at + 1) & index->mask;
  }
}

ConfigSection *lookupSection(ConfigHandle handle, const char *name) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || !name) return nullptr;
  size_t length = strlen(name);
  return configFindSectionText(doc, name, length, configHashName(name, length));
}

}  // namespace

// ---- Internal building blocks ----------------------------------------------

ConfigDocument *configDocumentOf(ConfigHandle handle) {
  if (handle < 0 || handle >= ConfigSlotCount) return nullptr;
  return ConfigHandleTable[handle];
}

bool configNamesEqual(const char *a, size_t aLength, const char *b, size_t bLength) {
  if (aLength != bLength) return false;
  const unsigned char *x = (const unsigned char *)a;
  const unsigned char *y = (const unsigned char *)b;
  for (size_t i = 0; i < aLength; i++) {
    if (x[i] != y[i] && foldCase(x[i]) != foldCase(y[i])) return false;
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
  if (doc->arenaChunkSize < LargestChunkSize) doc->arenaChunkSize *= 2;
  return chunk + 1;
}

ConfigSection *configFindSectionText(ConfigDocument *doc, const char *name, size_t length, uint32_t hash) {
  int found = indexFind(&doc->index, doc->sections, hash, name, length, [](const ConfigSection *s, size_t *n) {
    *n = s->nameLength;
    return (const char *)s->name;
  });
  return found < 0 ? nullptr : doc->sections[found];
}

ConfigSection *configAddSectionText(ConfigDocument *doc, const char *name, size_t length) {
  uint32_t hash = configHashName(name, length);
  ConfigSection *found = configFindSectionText(doc, name, length, hash);
  if (found) return found;
  ConfigSection *section = (ConfigSection *)configArenaAlloc(doc, sizeof(ConfigSection) + length + 1);
  memset(section, 0, sizeof *section);
  section->name = (char *)(section + 1);
  memcpy(section->name, name, length);
  section->name[length] = '\0';
  section->nameLength = length;
  growPointerVector((void ***)&doc->sections, &doc->sectionCapacity, doc->sectionCount + 1);
  doc->sections[doc->sectionCount] = section;
  indexInsert(&doc->index, hash, (uint32_t)doc->sectionCount);
  doc->sectionCount++;
  return section;
}

ConfigEntry *configFindEntryText(ConfigSection *section, const char *key, size_t length, uint32_t hash) {
  int found = indexFind(&section->index, section->entries, hash, key, length, [](const ConfigEntry *e, size_t *n) {
    *n = e->keyLength;
    return (const char *)e->key;
  });
  return found < 0 ? nullptr : section->entries[found];
}

void configPutRawText(ConfigDocument *doc, ConfigSection *section, const char *key, size_t keyLength, const char *value,
                      size_t valueLength) {
  configPutRawHashed(doc, section, key, keyLength, configHashName(key, keyLength), value, valueLength, false);
}

void configPutRawHashed(ConfigDocument *doc, ConfigSection *section, const char *key, size_t keyLength, uint32_t hash,
                        const char *value, size_t valueLength, bool textsStay) {
  ConfigEntry *entry = configFindEntryText(section, key, keyLength, hash);
  if (entry) {
    // An existing entry keeps its place and key; its value is replaced in
    // place when it fits (memmove: the new text may be part of the old one).
    if (valueLength <= entry->valueCapacity) {
      memmove(entry->value, value, valueLength);
      entry->value[valueLength] = '\0';
    } else if (textsStay) {
      entry->value = (char *)value;
      entry->valueCapacity = valueLength;
    } else {
      char *room = (char *)configArenaAlloc(doc, valueLength + 1);
      memcpy(room, value, valueLength);
      room[valueLength] = '\0';
      entry->value = room;
      entry->valueCapacity = valueLength;
    }
    entry->valueLength = valueLength;
    return;
  }
  if (textsStay) {
    entry = (ConfigEntry *)configArenaAlloc(doc, sizeof(ConfigEntry));
    entry->key = (char *)key;
    entry->value = (char *)value;
  } else {
    // Entry, key and first value in one block.
    entry = (ConfigEntry *)configArenaAlloc(doc, sizeof(ConfigEntry) + keyLength + valueLength + 2);
    entry->key = (char *)(entry + 1);
    memcpy(entry->key, key, keyLength);
    entry->key[keyLength] = '\0';
    entry->value = entry->key + keyLength + 1;
    memcpy(entry->value, value, valueLength);
    entry->value[valueLength] = '\0';
  }
  entry->keyLength = keyLength;
  entry->valueLength = valueLength;
  entry->valueCapacity = valueLength;
  growPointerVector((void ***)&section->entries, &section->entryCapacity, section->entryCount + 1);
  section->entries[section->entryCount] = entry;
  indexInsert(&section->index, hash, (uint32_t)section->entryCount);
  section->entryCount++;
}

void configAdoptBlock(ConfigDocument *doc, void *block) {
  growPointerVector(&doc->adopted, &doc->adoptedCapacity, doc->adoptedCount + 1);
  doc->adopted[doc->adoptedCount++] = block;
}

ConfigEntry *configLookupEntry(ConfigHandle handle, const char *section, const char *key,
                               bool *hasDocumentWithSections) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (hasDocumentWithSections) *hasDocumentWithSections = doc && doc->sectionCount > 0;
  if (!doc || !section || !key) return nullptr;
  size_t length = strlen(section);
  ConfigSection *found = configFindSectionText(doc, section, length, configHashName(section, length));
  if (!found) return nullptr;
  length = strlen(key);
  return configFindEntryText(found, key, length, configHashName(key, length));
}

// ---- Creation and release ---------------------------------------------------

ConfigHandle configNew(const char *name) {
  for (int slot = 0; slot < ConfigSlotCount; slot++) {
    if (ConfigHandleTable[slot]) continue;
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
  if (!doc) return;
  for (int i = 0; i < doc->sectionCount; i++) {
    ConfigSection *section = doc->sections[i];
    if (section->entries) memFree(section->entries);
    if (section->index.slots) memFree(section->index.slots);
  }
  if (doc->sections) memFree(doc->sections);
  if (doc->index.slots) memFree(doc->index.slots);
  for (int i = 0; i < doc->adoptedCount; i++) memFree(doc->adopted[i]);
  if (doc->adopted) memFree(doc->adopted);
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

ConfigSection *configFindSection(ConfigHandle handle, const char *name) { return lookupSection(handle, name); }

ConfigSection *configAddSection(ConfigHandle handle, const char *name) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || !name) return nullptr;
  return configAddSectionText(doc, name, strlen(name));
}

ConfigEntry *configFindEntry(ConfigSection *section, const char *key) {
  if (!section || !key) return nullptr;
  size_t length = strlen(key);
  return configFindEntryText(section, key, length, configHashName(key, length));
}

void configPutRaw(ConfigHandle handle, const char *section, const char *key, const char *value) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || !section || !key || !value) return;
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
  if (!doc || doc->sectionCount == 0) return "";
  if (index < 0) index = 0;
  if (index >= doc->sectionCount) index = doc->sectionCount - 1;
  return doc->sections[index]->name;
}

int configEntryCount(ConfigHandle handle, const char *section) {
  ConfigSection *found = lookupSection(handle, section);
  return found ? found->entryCount : 0;
}

const char *configEntryKey(ConfigHandle handle, const char *section, int index) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || doc->sectionCount == 0) return nullptr;
  ConfigSection *found = lookupSection(handle, section);
  if (!found || found->entryCount == 0) return "";
  if (index < 0) index = 0;
  if (index >= found->entryCount) index = found->entryCount - 1;
  return found->entries[index]->key;
}

const char *configGetRaw(ConfigHandle handle, const char *section, const char *key) {
  bool hasSections = false;
  ConfigEntry *entry = configLookupEntry(handle, section, key, &hasSections);
  if (!hasSections) return nullptr;
  return entry ? entry->value : "";
}

bool configEntryExists(ConfigHandle handle, const char *section, const char *key) {
  return configLookupEntry(handle, section, key, nullptr) != nullptr;
}
