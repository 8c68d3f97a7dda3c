// The configuration writer and the typed setters. The file layout is fixed
// by the format: headers "[name]", entries "key = value", one empty line
// between sections, CRLF after every line on every platform. The setters
// encode values into the raw texts the typed queries decode.
#include "config/config_internal.h"
#include "config/support.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

// Writes through a fixed buffer so large documents cost few system calls.
struct OutputBuffer {
  ConfigSafeFile *file;
  char data[1 << 16];
  size_t used;
};

void flushOutput(OutputBuffer *out) {
  if (out->used) {
    configSafeWrite(out->file, out->data, out->used);
    out->used = 0;
  }
}

void put(OutputBuffer *out, const char *text, size_t length) {
  if (length > sizeof out->data - out->used) {
    flushOutput(out);
    if (length > sizeof out->data) {
      configSafeWrite(out->file, text, length);
      return;
    }
  }
  memcpy(out->data + out->used, text, length);
  out->used += length;
}

// Quotes `text` into `out`, escaping what would otherwise end the string or
// the line: the reader then gives back exactly the text that was stored.
char *appendQuoted(char *out, const char *text) {
  *out++ = '"';
  for (const char *at = text; *at; at++) {
    switch (*at) {
      case '\\':
        *out++ = '\\';
        *out++ = '\\';
        break;
      case '"':
        *out++ = '\\';
        *out++ = '"';
        break;
      case '\r':
        *out++ = '\\';
        *out++ = 'r';
        break;
      case '\n':
        *out++ = '\\';
        *out++ = 'n';
        break;
      default: *out++ = *at;
    }
  }
  *out++ = '"';
  return out;
}

}  // namespace

void configPutString(ConfigHandle handle, const char *section, const char *key, const char *text) {
  if (!configDocumentOf(handle) || !section || !key || !text) return;
  // Every character may double when escaped; two quotes and the terminator.
  char *value = (char *)memAlloc(strlen(text) * 2 + 3);
  *appendQuoted(value, text) = '\0';
  configPutRaw(handle, section, key, value);
  memFree(value);
}

void configPutStringPair(ConfigHandle handle, const char *section, const char *key, const char *first,
                         const char *second) {
  if (!configDocumentOf(handle) || !section || !key || !first || !second) return;
  char *value = (char *)memAlloc((strlen(first) + strlen(second)) * 2 + 6);
  char *end = appendQuoted(value, first);
  *end++ = ' ';
  *appendQuoted(end, second) = '\0';
  configPutRaw(handle, section, key, value);
  memFree(value);
}

void configPutInteger(ConfigHandle handle, const char *section, const char *key, int32_t value, int hexadecimal) {
  char text[16];
  if (hexadecimal)
    snprintf(text, sizeof text, "0x%X", (unsigned)(uint32_t)value);
  else
    snprintf(text, sizeof text, "%d", (int)value);
  configPutRaw(handle, section, key, text);
}

void configPutBoolean(ConfigHandle handle, const char *section, const char *key, int flag) {
  configPutRaw(handle, section, key, flag ? "1" : "0");
}

void configPutDouble(ConfigHandle handle, const char *section, const char *key, double value) {
  char text[32];
  snprintf(text, sizeof text, "%g", value);
  configPutRaw(handle, section, key, text);
}

const char *configUnwritableSection(ConfigHandle handle, const char *section) {
  if (strpbrk(section, "]\r\n")) return "a section name cannot hold ']' or a line end";
  int count = configSectionCount(handle);
  for (int i = 1; i < count; i++) {
    if (configSectionName(handle, i)[0] == '\0') {
      return "the file has entries under an empty section name '[]' after other sections; saving would move "
             "them into the section above";
    }
  }
  // Created now, it would be first only in an empty document.
  if (section[0] == '\0' && configFindSection(handle, "") == nullptr && count > 0) {
    return "entries without a section (empty section name) can only stand at the top of the file";
  }
  return nullptr;
}

const char *configUnwritableKey(const char *key) {
  if (!configIsLetter(key[0])) return "a key must begin with a letter (A-Z, a-z)";
  if (strpbrk(key, ";=\r\n")) return "a key cannot hold ';', '=' or a line end";
  if (configIsBlank(key[strlen(key) - 1])) return "a key cannot end with a blank or a tab";
  return nullptr;
}

const char *configUnwritableRawValue(const char *value) {
  if (strpbrk(value, "\r\n")) return "a raw value cannot hold a line end";
  size_t length = strlen(value);
  if (length > 0 && (configIsBlank(value[0]) || configIsBlank(value[length - 1]))) {
    return "a raw value cannot begin or end with a blank or a tab";
  }
  return nullptr;
}

namespace {

// The exact length of the text writeDocument produces.
unsigned long long documentSize(const ConfigDocument *doc) {
  unsigned long long size = 0;
  for (int i = 0; i < doc->sectionCount; i++) {
    const ConfigSection *section = doc->sections[i];
    if (i > 0) size += 2;
    if (section->nameLength > 0) size += section->nameLength + 3 + 1;
    for (int j = 0; j < section->entryCount; j++)
      size += section->entries[j]->keyLength + 3 + section->entries[j]->valueLength + 2;
  }
  return size;
}

bool writeDocument(const ConfigDocument *doc, const char *path) {
  ConfigSafeFile file;
  if (!configSafeOpen(&file, path, documentSize(doc))) {
    errno = file.error;
    return false;
  }
  OutputBuffer *out = (OutputBuffer *)memAlloc(sizeof(OutputBuffer));
  out->file = &file;
  out->used = 0;
  for (int i = 0; i < doc->sectionCount && !file.failed; i++) {
    const ConfigSection *section = doc->sections[i];
    if (i > 0) put(out, "\r\n", 2);
    if (section->nameLength > 0) {
      put(out, "[", 1);
      put(out, section->name, section->nameLength);
      put(out, "]\r\n", 3);
    }
    for (int j = 0; j < section->entryCount; j++) {
      const ConfigEntry *entry = section->entries[j];
      put(out, entry->key, entry->keyLength);
      put(out, " = ", 3);
      put(out, entry->value, entry->valueLength);
      put(out, "\r\n", 2);
    }
  }
  flushOutput(out);
  memFree(out);
  if (configSafeCommit(&file)) return true;
  errno = file.error;
  return false;
}

}  // namespace

bool configSave(ConfigHandle handle, const char *path) {
  ConfigDocument *doc = configDocumentOf(handle);
  if (!doc || !path) {
    errno = EINVAL;
    return false;
  }
#ifdef _WIN32
  return writeDocument(doc, path);
#else
  // A write past the file-size limit must fail with EFBIG and be reported
  // like a full disk, not end the process in the middle of the save.
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, &previous);
  bool saved = writeDocument(doc, path);
  int error = errno;
  sigaction(SIGXFSZ, &previous, nullptr);
  errno = error;
  return saved;
#endif
}
