// Typed queries: token decoding, pairs, integers with the 32-bit conversion
// rules, booleans, untouched storage for missing entries, and capacities
// that are never overrun (exact-size heap buffers for AddressSanitizer).
#include "config_test_support.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class Queries : public ConfigTest {
 protected:
  ConfigHandle h = -1;
  void SetUp() override {
    ConfigTest::SetUp();
    h = configNew("q");
  }
  void set(const char *value) { configPutRaw(h, "S", "k", value); }
  std::string string(const char *value, size_t capacity = 64) {
    set(value);
    std::unique_ptr<char[]> buffer(new char[capacity]);
    memset(buffer.get(), '#', capacity);
    configGetString(h, "S", "k", buffer.get(), capacity);
    return std::string(buffer.get(), strnlen(buffer.get(), capacity));
  }
  std::pair<std::string, std::string> pair(const char *value) {
    set(value);
    char first[64] = "first untouched", second[64] = "second untouched";
    configGetStringPair(h, "s", "K", first, sizeof first, second, sizeof second);
    return {first, second};
  }
  int integer(const char *value, int32_t *result) {
    set(value);
    *result = 12345;
    return configGetInteger(h, "S", "k", result);
  }
  int32_t boolean(const char *value) {
    set(value);
    int32_t result = 42;
    configGetBoolean(h, "S", "k", &result);
    return result;
  }
};

TEST_F(Queries, StringTokens) {
  EXPECT_EQ(string("\"a\\\\b\\\\\\\\c\""), "a\\b\\\\c");
  EXPECT_EQ(string("\"\\q\\n\\r\\t\\\"x\""), "q\n\r\t\"x");
  EXPECT_EQ(string("two words"), "two");
  EXPECT_EQ(string("tab\tseparated"), "tab");
  EXPECT_EQ(string("\"unterminated value"), "unterminated value");
  EXPECT_EQ(string("\"ends in backslash\\"), "ends in backslash");
  EXPECT_EQ(string("\"quoted\" trailing"), "quoted");
  EXPECT_EQ(string("un\"quoted\\n"), "un\"quoted\\n");
  EXPECT_EQ(string(""), "");
  EXPECT_EQ(string("\"\""), "");
}

TEST_F(Queries, StringsAreCutToTheCapacity) {
  // Exact-size buffers: a write past the end is caught by the sanitizer.
  for (size_t capacity = 1; capacity <= 8; capacity++) {
    EXPECT_EQ(string("\"abcdef\"", capacity), std::string("abcdef").substr(0, capacity - 1));
    EXPECT_EQ(string("abcdef", capacity), std::string("abcdef").substr(0, capacity - 1));
    EXPECT_EQ(string("\"a\\nc\\\\ef\"", capacity), std::string("a\nc\\ef").substr(0, capacity - 1));
  }
  set("abc");
  char untouched[4] = "xyz";
  configGetString(h, "S", "k", untouched, 0);
  EXPECT_STREQ(untouched, "xyz");
  // A cut first token still finds the second.
  set("\"longfirst\" second");
  std::unique_ptr<char[]> first(new char[3]), second(new char[4]);
  configGetStringPair(h, "S", "k", first.get(), 3, second.get(), 4);
  EXPECT_STREQ(first.get(), "lo");
  EXPECT_STREQ(second.get(), "sec");
  strcpy(second.get(), "abc");
  configGetStringPair(h, "S", "k", first.get(), 0, second.get(), 0);
  EXPECT_STREQ(first.get(), "lo");
  EXPECT_STREQ(second.get(), "abc");
}

TEST_F(Queries, StringPairs) {
  using P = std::pair<std::string, std::string>;
  EXPECT_EQ(pair("\"Up\" \"Kpad8\""), P("Up", "Kpad8"));
  EXPECT_EQ(pair("\"Up\""), P("Up", "second untouched"));
  EXPECT_EQ(pair("\"Up\" \"\""), P("Up", ""));
  EXPECT_EQ(pair("one two three"), P("one", "two"));
  EXPECT_EQ(pair("one \t  "), P("one", "second untouched"));
  EXPECT_EQ(pair("\"a\"\"b\""), P("a", "b"));
  EXPECT_EQ(pair("\"a\" \t unquoted rest"), P("a", "unquoted"));
  EXPECT_EQ(pair("\"open"), P("open", "second untouched"));
  EXPECT_EQ(pair(""), P("", "second untouched"));
}

TEST_F(Queries, Integers) {
  struct Case {
    const char *text;
    int32_t value;
    int status;
  } cases[] = {
      {"0x1F", 31, 0},
      {"0X1F", 0, 1},
      {"12abc", 12, 1},
      {"12 more words", 12, 0},
      {"12\tx", 12, 0},
      {"-7", -7, 0},
      {"+7", 7, 0},
      {"  \t 9", 9, 0},
      {"0xFFFFFFFF", INT32_MAX, 0},
      {"0x7fffffff", INT32_MAX, 0},
      {"2147483648", INT32_MAX, 0},
      {"-2147483648", INT32_MIN, 0},
      {"-2147483649", INT32_MIN, 0},
      {"99999999999999999999999", INT32_MAX, 0},
      {"none", 0, 1},
      {"", 0, 1},
      {"-", 0, 1},
      {"0x", 0, 1},
      {"0x0x1F", 31, 0},
      {"0x-1f", -31, 0},
      {"0xg", 0, 1},
      {"0x0xg", 0, 1},
      {"-0x5", 0, 1},
      {"1.5", 1, 1},
      {"1e3", 1, 1},
      {"7\n", 7, 1},
  };
  for (const Case &c : cases) {
    int32_t value = 0;
    EXPECT_EQ(integer(c.text, &value), c.status) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST_F(Queries, IntegersAgreeWithTheLibraryConversionClampedTo32Bits) {
  // Random short texts over the characters that matter to the conversion.
  const char alphabet[] = "0123456789abcdefxX+- \tzF";
  uint32_t seed = 12345;
  for (int round = 0; round < 20000; round++) {
    char text[12];
    int length = (int)(seed % 11);
    for (int i = 0; i < length; i++) {
      seed = seed * 1103515245u + 12345u;
      text[i] = alphabet[(seed >> 16) % (sizeof alphabet - 1)];
    }
    text[length] = '\0';
    seed = seed * 1103515245u + 12345u;
    bool hex = text[0] == '0' && text[1] == 'x';
    const char *start = hex ? text + 2 : text;
    char *stop = nullptr;
    long long expected = strtoll(start, &stop, hex ? 16 : 10);
    expected = std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, expected));
    int status = stop != start && (*stop == '\0' || *stop == ' ' || *stop == '\t') ? 0 : 1;
    int32_t value = 0;
    EXPECT_EQ(integer(text, &value), status) << text;
    EXPECT_EQ(value, expected) << text;
  }
}

TEST_F(Queries, BooleansReadOnlyTheirForms) {
  EXPECT_EQ(boolean("TRUE"), 1);
  EXPECT_EQ(boolean("False"), 0);
  EXPECT_EQ(boolean("trueish"), 1);
  EXPECT_EQ(boolean("falsehood"), 0);
  EXPECT_EQ(boolean("1"), 1);
  EXPECT_EQ(boolean("0 "), 0);
  EXPECT_EQ(boolean("1\tx"), 1);
  for (const char *other : {"10", "yes", "", "tru", "fals", " 1", "01", "2"}) EXPECT_EQ(boolean(other), 42) << other;
}

TEST_F(Queries, MissingEntriesLeaveStorageUntouched) {
  char text[8] = "\xFF";
  char second[8] = "keep";
  int32_t value = 99;
  for (ConfigHandle handle : {h, -1, 20}) {  // h has no sections yet
    configGetString(handle, "S", "k", text, sizeof text);
    configGetStringPair(handle, "S", "k", text, sizeof text, second, sizeof second);
    EXPECT_EQ(configGetInteger(handle, "S", "k", &value), 1);
    configGetBoolean(handle, "S", "k", &value);
  }
  set("1");
  configGetString(h, "Other", "k", text, sizeof text);
  configGetString(h, "S", "other", text, sizeof text);
  configGetStringPair(h, "S", nullptr, text, sizeof text, second, sizeof second);
  EXPECT_EQ(configGetInteger(h, "S", "missing", &value), 0);
  EXPECT_EQ(configGetInteger(h, "Other", "k", &value), 0);
  configGetBoolean(h, "S", "missing", &value);
  EXPECT_EQ(text[0], '\xFF');
  EXPECT_STREQ(second, "keep");
  EXPECT_EQ(value, 99);
  configFree(h);
  EXPECT_EQ(configGetInteger(h, "S", "k", &value), 1);  // a freed handle
  EXPECT_EQ(value, 99);
}

}  // namespace
