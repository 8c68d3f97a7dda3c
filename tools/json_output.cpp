#include "tools/json_output.h"

#include <cstdio>
#include <cstring>

#include "settings/settings_table.h"

namespace cfg {

void putJsonBytes(const char *text, size_t length) {
  static const char HexDigits[] = "0123456789ABCDEF";
  putchar('"');
  for (size_t i = 0; i < length; i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      putchar('\\');
      putchar(c);
    } else if (c < 0x20 || c >= 0x7F) {
      fputs("\\u00", stdout);
      putchar(HexDigits[c >> 4]);
      putchar(HexDigits[c & 15]);
    } else {
      putchar(c);
    }
  }
  putchar('"');
}

void putJsonString(const char *text) {
  if (!text) {
    fputs("null", stdout);
    return;
  }
  putJsonBytes(text, strlen(text));
}

// A written buffer always holds the terminator, and the marker byte holds no
// zero.
void putDecodedToken(const std::vector<char> &buffer) {
  const void *end = memchr(buffer.data(), '\0', buffer.size());
  if (!end) {
    fputs("null", stdout);
    return;
  }
  putJsonBytes(buffer.data(), static_cast<size_t>(static_cast<const char *>(end) - buffer.data()));
}

void putDocument(ConfigHandle handle) {
  fputs("{\"sections\":[", stdout);
  int sectionCount = configSectionCount(handle);
  for (int s = 0; s < sectionCount; s++) {
    const char *name = configSectionName(handle, s);
    if (s > 0) putchar(',');
    fputs("{\"name\":", stdout);
    putJsonString(name);
    fputs(",\"entries\":[", stdout);
    int entryCount = configEntryCount(handle, name);
    for (int e = 0; e < entryCount; e++) {
      const char *key = configEntryKey(handle, name, e);
      if (e > 0) putchar(',');
      putchar('[');
      putJsonString(key);
      putchar(',');
      putJsonString(configGetRaw(handle, name, key));
      putchar(']');
    }
    fputs("]}", stdout);
  }
  fputs("]}\n", stdout);
}

void putSettingsRecord() {
  putchar('{');
  const SettingField *previous = nullptr;
  forEachRecordField([&](const SettingField &field) {
    if (previous != nullptr) {
      bool newLine = field.section != previous->section || field.kind == FunctionSetting;
      fputs(newLine ? ",\n " : ",", stdout);
    }
    printf("\"%s\":", field.name);
    if (field.isArray) putchar('[');
    for (int i = 0; i < field.count; i++) {
      if (i) putchar(',');
      SettingEntryRef entry = field.entry(GameSettings, i);
      if (entry.keys) {
        putchar('[');
        putJsonString(entry.keys[0]);
        putchar(',');
        putJsonString(entry.keys[1]);
        putchar(']');
      } else if (entry.name) {
        putJsonString(*entry.name);
      } else {
        printf("%d", static_cast<int>(*entry.integer));
      }
    }
    if (field.isArray) putchar(']');
    previous = &field;
  });
  fputs("}\n", stdout);
}

}  // namespace cfg
