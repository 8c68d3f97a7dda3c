/* Fuzz target: the parser on arbitrary bytes. Whatever it is given, the
 * document it builds keeps the rules of the format (texts a file can hold,
 * unique names, no empty parsed sections), configLoad of the same bytes
 * builds the same document, a save of that document writes a
 * file that loads without a diagnostic into the same document, and saving
 * what was loaded writes the same bytes again.
 */
#include "config/config_internal.h"
#include "fuzz/fuzz_support.h"

#include <cstdint>

namespace {

std::string scratch;

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// What a parsed document can hold at all: the texts the format can say.
void checkParsedDocument(ConfigHandle h, const fuzz::Model &model) {
  for (size_t i = 0; i < model.size(); i++) {
    const fuzz::Section &section = model[i];
    FUZZ_CHECK(!section.entries.empty());  // only entries make sections
    FUZZ_CHECK(section.name.find_first_of("]\r\n") == std::string::npos);
    FUZZ_CHECK(fuzz::findSection(model, section.name) == (int)i);  // unique
    for (size_t j = 0; j < section.entries.size(); j++) {
      const std::string &key = section.entries[j].first;
      const std::string &value = section.entries[j].second;
      // Trailing blanks survive only where a zero byte cut the text after
      // them; the write-and-read check below accounts for that.
      FUZZ_CHECK(!key.empty() && isLetter(key[0]));
      FUZZ_CHECK(key.find_first_of("=;\r\n") == std::string::npos);
      FUZZ_CHECK(fuzz::findEntry(section, key) == (int)j);  // unique
      FUZZ_CHECK(value.find_first_of("\r\n") == std::string::npos);
      FUZZ_CHECK(value.empty() || !configIsBlank(value.front()));
    }
  }
  // Indexes outside the lists are clamped to the first and the last.
  if (!model.empty()) {
    FUZZ_CHECK(model.front().name == configSectionName(h, -1));
    FUZZ_CHECK(model.back().name == configSectionName(h, (int)model.size() + 7));
    const char *name = model.back().name.c_str();
    FUZZ_CHECK(model.back().entries.front().first == configEntryKey(h, name, -3));
    FUZZ_CHECK(model.back().entries.back().first == configEntryKey(h, name, (int)model.back().entries.size()));
  } else {
    FUZZ_CHECK(configSectionName(h, 0)[0] == '\0');
    FUZZ_CHECK(configEntryKey(h, "", 0) == nullptr);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::silenceStandardOutput();
  scratch = fuzz::makeScratch();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::freeAllDocuments();
  std::string text((const char *)data, size);

  ConfigHandle h = configNew("fuzz");
  FUZZ_CHECK(h == 0);
  int result = fuzz::parseInto(h, text);
  FUZZ_CHECK(result == 0 || result == -1);
  // Diagnosing does not depend on storing: without a document the same text
  // gets the same verdict.
  FUZZ_CHECK(fuzz::parseInto(-1, text) == result);

  fuzz::Model parsed = fuzz::snapshot(h);
  checkParsedDocument(h, parsed);

  // configLoad reads the same bytes from a file into the same document (it
  // keeps the file's text and ends texts in place, which must not matter).
  const std::string input = scratch + "/input.cfg";
  fuzz::writeBytes(input, data, size);
  ConfigHandle fromFile = configLoad(input.c_str());
  FUZZ_CHECK(fromFile >= 0);
  FUZZ_CHECK(fuzz::snapshot(fromFile) == parsed);
  configFree(fromFile);

  // Written and loaded again: no diagnostic, and the document the format
  // promises (only a non-first section with the empty name is not kept).
  const std::string first = scratch + "/first.cfg";
  FUZZ_CHECK(configSave(h, first.c_str()));
  std::string firstBytes = fuzz::readBytes(first);
  fuzz::Model expected = fuzz::readBack(parsed);
  ConfigHandle again = configNew("again");
  FUZZ_CHECK(fuzz::parseInto(again, firstBytes) == 0);
  FUZZ_CHECK(fuzz::snapshot(again) == expected);

  // The same through configLoad, and a save of the loaded document.
  ConfigHandle loaded = configLoad(first.c_str());
  FUZZ_CHECK(loaded >= 0);
  fuzz::Model reloaded = fuzz::snapshot(loaded);
  FUZZ_CHECK(reloaded == expected);
  const std::string second = scratch + "/second.cfg";
  FUZZ_CHECK(configSave(loaded, second.c_str()));
  std::string secondBytes = fuzz::readBytes(second);
  if (expected == parsed) FUZZ_CHECK(secondBytes == firstBytes);
  ConfigHandle third = configNew("third");
  FUZZ_CHECK(fuzz::parseInto(third, secondBytes) == 0);
  FUZZ_CHECK(fuzz::snapshot(third) == reloaded);

  fuzz::freeAllDocuments();
  return 0;
}
