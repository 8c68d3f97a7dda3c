/* Fuzz target: the typed queries on arbitrary values. Each value is decoded
 * into exact-size heap buffers of every capacity from 0 to 80, so that
 * AddressSanitizer sees any write past a buffer, and every answer is checked
 * against a plain reading of the decoding rules. Integers and booleans are
 * checked the same way, and texts stored by the string setters read back
 * exactly, from the document and from a written file.
 */
#include "config/config_internal.h"
#include "fuzz/fuzz_support.h"

#include <climits>
#include <cstdint>

namespace {

std::string scratch;
const size_t MaxCapacity = 80;
const unsigned char Marker = 0xA5;

struct Token {
  std::string text;
  size_t stop;  // the quote, blank or tab that ended it, or the value's length
};

// One token from `at`, as the rules of the typed queries read it.
Token referenceToken(const std::string &value, size_t at) {
  Token token;
  size_t n = value.size();
  if (at < n && value[at] == '"') {
    at++;
    while (at < n && value[at] != '"') {
      char c = value[at++];
      if (c == '\\') {
        if (at == n) break;
        c = value[at++];
        c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
      }
      token.text += c;
    }
  } else {
    while (at < n && !configIsBlank(value[at])) token.text += value[at++];
  }
  token.stop = at;
  return token;
}

// The pair: the second token exists when something other than blanks
// follows the character that ended the first.
bool referenceSecond(const std::string &value, const Token &first, Token *second) {
  if (first.stop >= value.size()) return false;
  size_t at = first.stop + 1;
  while (at < value.size() && configIsBlank(value[at])) at++;
  if (at >= value.size()) return false;
  *second = referenceToken(value, at);
  return true;
}

// A buffer of exactly `capacity` bytes, every byte the marker.
struct Buffer {
  explicit Buffer(size_t capacity) : size(capacity), bytes(new char[capacity]) { memset(bytes, Marker, capacity); }
  ~Buffer() { delete[] bytes; }
  Buffer(const Buffer &) = delete;
  Buffer &operator=(const Buffer &) = delete;
  bool untouched() const {
    for (size_t i = 0; i < size; i++)
      if ((unsigned char)bytes[i] != Marker) return false;
    return true;
  }
  // Holds `text` cut to fit with its terminator, and nothing past that.
  bool holdsCut(const std::string &text) const {
    if (size == 0) return true;
    size_t kept = std::min(text.size(), size - 1);
    if (memcmp(bytes, text.data(), kept) != 0 || bytes[kept] != '\0') return false;
    for (size_t i = kept + 1; i < size; i++)
      if ((unsigned char)bytes[i] != Marker) return false;
    return true;
  }
  size_t size;
  char *bytes;
};

// The standard conversion with a 32-bit long: what the C library gives with
// a 64-bit one, clamped to 32 bits.
int32_t referenceInteger(const std::string &value, int *status) {
  const char *text = value.c_str();
  int base = 10;
  if (value.size() >= 2 && value[0] == '0' && value[1] == 'x') {
    text += 2;
    base = 16;
  }
  char *end = nullptr;
  long long wide = strtoll(text, &end, base);
  bool digits = end != text;
  *status = digits && (*end == '\0' || configIsBlank(*end)) ? 0 : 1;
  if (wide > INT32_MAX) return INT32_MAX;
  if (wide < INT32_MIN) return INT32_MIN;
  return (int32_t)wide;
}

bool startsWithIgnoringCase(const std::string &value, const char *word) {
  size_t n = strlen(word);
  return value.size() >= n && fuzz::sameName(value.substr(0, n), word);
}

// 1, 0, or -1 for "untouched".
int referenceBoolean(const std::string &value) {
  if (startsWithIgnoringCase(value, "true")) return 1;
  if (startsWithIgnoringCase(value, "false")) return 0;
  if (!value.empty() && (value[0] == '1' || value[0] == '0') && (value.size() == 1 || configIsBlank(value[1])))
    return value[0] == '1';
  return -1;
}

void checkString(ConfigHandle h, const char *section, const char *key, const std::string &expect, size_t capacity) {
  Buffer buffer(capacity);
  configGetString(h, section, key, buffer.bytes, capacity);
  FUZZ_CHECK(buffer.holdsCut(expect));
}

void checkPair(ConfigHandle h, const Token &first, bool hasSecond, const Token &second, size_t firstCapacity,
               size_t secondCapacity) {
  Buffer a(firstCapacity), b(secondCapacity);
  configGetStringPair(h, "Section", "Key", a.bytes, firstCapacity, b.bytes, secondCapacity);
  FUZZ_CHECK(a.holdsCut(first.text));
  if (hasSecond)
    FUZZ_CHECK(b.holdsCut(second.text));
  else
    FUZZ_CHECK(b.untouched());
}

// Texts stored by the string setters read back exactly, whatever they hold.
// They get a document of their own: the raw value under test may hold a
// line end, which no file can keep inside a value.
void checkStringSetters(const std::string &text) {
  ConfigHandle h = configNew("strings");
  FUZZ_CHECK(h >= 0);
  size_t half = text.size() / 2;
  std::string a = text.substr(0, half), b = text.substr(half);
  configPutString(h, "Round", "one", text.c_str());
  configPutStringPair(h, "Round", "two", a.c_str(), b.c_str());
  configPutStringPair(h, "Round", "three", text.c_str(), "");

  auto readBack = [&](ConfigHandle doc) {
    checkString(doc, "round", "ONE", text, text.size() + 1);
    Buffer first(a.size() + 1), second(b.size() + 1);
    configGetStringPair(doc, "Round", "two", first.bytes, first.size, second.bytes, second.size);
    FUZZ_CHECK(first.holdsCut(a) && second.holdsCut(b));
    Buffer whole(text.size() + 1), empty(1);
    configGetStringPair(doc, "Round", "three", whole.bytes, whole.size, empty.bytes, 1);
    FUZZ_CHECK(whole.holdsCut(text) && empty.bytes[0] == '\0');
  };
  readBack(h);

  // And through a file: the escaped forms survive writing and reading.
  const std::string path = scratch + "/strings.cfg";
  FUZZ_CHECK(configSave(h, path.c_str()));
  ConfigHandle loaded = configNew("loaded");
  FUZZ_CHECK(loaded >= 0);
  FUZZ_CHECK(fuzz::parseInto(loaded, fuzz::readBytes(path)) == 0);
  readBack(loaded);
  configFree(loaded);
  configFree(h);
}

void checkIntegerSetter(ConfigHandle h, int32_t number) {
  int32_t got = 0;
  configPutInteger(h, "Numbers", "decimal", number, 0);
  FUZZ_CHECK(configGetInteger(h, "Numbers", "decimal", &got) == 0 && got == number);
  configPutInteger(h, "Numbers", "hex", number, 1);
  FUZZ_CHECK(configGetInteger(h, "Numbers", "hex", &got) == 0);
  FUZZ_CHECK(got == (number < 0 ? INT32_MAX : number));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::silenceStandardOutput();
  scratch = fuzz::makeScratch();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::freeAllDocuments();
  // A stored text ends at its first zero byte.
  std::string value((const char *)data, strnlen((const char *)data, size));

  ConfigHandle h = configNew("fuzz");
  configPutRaw(h, "SeCtIoN", "kEy", value.c_str());
  FUZZ_CHECK(value == configGetRaw(h, "section", "KEY"));

  Token first = referenceToken(value, 0);
  Token second;
  bool hasSecond = referenceSecond(value, first, &second);
  for (size_t capacity = 0; capacity <= MaxCapacity; capacity++) {
    checkString(h, "Section", "Key", first.text, capacity);
    checkPair(h, first, hasSecond, second, capacity, MaxCapacity - capacity);
    checkPair(h, first, hasSecond, second, capacity, capacity);
  }
  // A missing entry leaves the buffers as they were.
  {
    Buffer a(8), b(8);
    configGetString(h, "Section", "Other", a.bytes, a.size);
    configGetStringPair(h, "Other", "Key", a.bytes, a.size, b.bytes, b.size);
    FUZZ_CHECK(a.untouched() && b.untouched());
  }

  int expectStatus = 0;
  int32_t expectNumber = referenceInteger(value, &expectStatus);
  int32_t number = 12345;
  FUZZ_CHECK(configGetInteger(h, "section", "key", &number) == expectStatus);
  FUZZ_CHECK(number == expectNumber);
  number = 12345;
  FUZZ_CHECK(configGetInteger(h, "Section", "Other", &number) == 0 && number == 12345);

  int32_t flag = 7;
  configGetBoolean(h, "Section", "Key", &flag);
  int expectFlag = referenceBoolean(value);
  FUZZ_CHECK(flag == (expectFlag < 0 ? 7 : expectFlag));

  checkStringSetters(value);
  int32_t fromBytes = 0;
  memcpy(&fromBytes, data, std::min(size, sizeof fromBytes));
  checkIntegerSetter(h, fromBytes);

  fuzz::freeAllDocuments();
  return 0;
}
