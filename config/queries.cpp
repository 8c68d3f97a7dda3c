// Typed queries: decode an entry's raw value as a string token, a pair of
// tokens, a 32-bit integer or a boolean, into storage the caller provides.
// Missing documents, sections and entries leave that storage untouched.
#include "config/config_internal.h"

#include <cstdint>

namespace {

// Decodes one token starting at `at` into `dest` (at most capacity - 1
// characters and a terminator; nothing at all for capacity 0). Returns where
// decoding stopped: the quote, blank or tab that ended the token, or the
// value's terminating zero.
const char *decodeToken(const char *at, char *dest, size_t capacity) {
  size_t used = 0;
  if (*at == '"') {
    at++;
    while (*at && *at != '"') {
      char c = *at++;
      if (c == '\\') {
        if (!*at) break;  // the value ends right after a backslash
        c = *at++;
        if (c == 'n')
          c = '\n';
        else if (c == 'r')
          c = '\r';
        else if (c == 't')
          c = '\t';
      }
      if (used + 1 < capacity) dest[used++] = c;
    }
  } else {
    while (*at && !configIsBlank(*at)) {
      if (used + 1 < capacity) dest[used++] = *at;
      at++;
    }
  }
  if (capacity > 0) dest[used] = '\0';
  return at;
}

inline int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

inline bool isConversionSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');  // what strtol skips in the C locale
}

// The standard string-to-long conversion with a 32-bit long: optional white
// space and sign, for base 16 an optional "0x", then digits; out-of-range
// results are clamped. `*digits` tells whether any digit was consumed and
// `*stop` where the conversion stopped.
int32_t convertLong32(const char *text, int base, bool *digits, const char **stop) {
  const char *at = text;
  while (isConversionSpace(*at)) at++;
  bool negative = false;
  if (*at == '+' || *at == '-') negative = *at++ == '-';
  if (base == 16 && at[0] == '0' && (at[1] == 'x' || at[1] == 'X') && digitValue(at[2]) < 16) at += 2;
  uint64_t magnitude = 0;
  const uint64_t limit = (uint64_t)INT32_MAX + 1;  // enough to know it overflows
  const char *first = at;
  while (digitValue(*at) < base) {
    magnitude = magnitude * (uint64_t)base + (uint64_t)digitValue(*at);
    if (magnitude > limit) magnitude = limit + 1;
    at++;
  }
  *digits = at != first;
  *stop = *digits ? at : text;
  if (negative) return magnitude >= limit ? INT32_MIN : -(int32_t)magnitude;
  return magnitude > (uint64_t)INT32_MAX ? INT32_MAX : (int32_t)magnitude;
}

// Compares the start of `value` with the lower-case `word`, ignoring case.
bool startsWithWord(const char *value, const char *word) {
  for (; *word; word++, value++) {
    char c = *value;
    if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
    if (c != *word) return false;
  }
  return true;
}

}  // namespace

void configGetString(ConfigHandle handle, const char *section, const char *key, char *dest, size_t capacity) {
  ConfigEntry *entry = configLookupEntry(handle, section, key, nullptr);
  if (!entry || !dest) return;
  decodeToken(entry->value, dest, capacity);
}

void configGetStringPair(ConfigHandle handle, const char *section, const char *key, char *first, size_t firstCapacity,
                         char *second, size_t secondCapacity) {
  ConfigEntry *entry = configLookupEntry(handle, section, key, nullptr);
  if (!entry || !first) return;
  const char *at = decodeToken(entry->value, first, firstCapacity);
  if (!*at) return;
  at++;
  while (configIsBlank(*at)) at++;
  if (!*at || !second) return;
  decodeToken(at, second, secondCapacity);
}

int configGetInteger(ConfigHandle handle, const char *section, const char *key, int32_t *value) {
  bool hasSections = false;
  ConfigEntry *entry = configLookupEntry(handle, section, key, &hasSections);
  if (!hasSections) return 1;
  if (!entry || !value) return 0;
  const char *text = entry->value;
  int base = 10;
  if (text[0] == '0' && text[1] == 'x') {
    text += 2;
    base = 16;
  }
  bool digits = false;
  const char *stop = text;
  *value = convertLong32(text, base, &digits, &stop);
  return digits && (*stop == '\0' || configIsBlank(*stop)) ? 0 : 1;
}

void configGetBoolean(ConfigHandle handle, const char *section, const char *key, int32_t *value) {
  ConfigEntry *entry = configLookupEntry(handle, section, key, nullptr);
  if (!entry || !value) return;
  const char *text = entry->value;
  if (startsWithWord(text, "true"))
    *value = 1;
  else if (startsWithWord(text, "false"))
    *value = 0;
  else if ((text[0] == '1' || text[0] == '0') && (text[1] == '\0' || configIsBlank(text[1])))
    *value = text[0] == '1' ? 1 : 0;
}
