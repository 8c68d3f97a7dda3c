/*
 * Configuration texts for the benchmark, generated from a seed. The realistic
 * shape uses the program's own function and key names; the large shapes mix
 * the value forms the setters write (decimal, hexadecimal, quoted strings,
 * key pairs) with plain words, as files from other tools do.
 */
#include "bench/config_generator.h"

#include <cstdio>
#include <cstring>

#include "settings/settings.h"

namespace {

struct BenchRandom {
  uint64_t state;
};

// splitmix64: tiny, fast, and the same everywhere for the same seed.
uint64_t nextRandom(BenchRandom *random) {
  uint64_t z = (random->state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

uint32_t randomBelow(BenchRandom *random, uint32_t bound) { return static_cast<uint32_t>(nextRandom(random) % bound); }

void appendLetters(BenchRandom *random, std::string *text, int length) {
  for (int i = 0; i < length; i++) text->push_back(static_cast<char>('a' + randomBelow(random, 26)));
}

void appendFormatted(std::string *text, const char *format, long long value) {
  char buffer[64];
  snprintf(buffer, sizeof buffer, format, value);
  text->append(buffer);
}

void appendEntry(std::string *text, const std::string &key, const std::string &value) {
  text->append(key);
  text->append(" = ");
  text->append(value);
  text->append("\r\n");
}

// Quoted as the program's setter writes it: the backslash key escaped.
std::string quotedKeyName(BenchRandom *random) {
  const char *name = KeyNameTable[randomBelow(random, KeyNameCount)];
  return strcmp(name, "\\") == 0 ? "\"\\\\\"" : std::string("\"") + name + "\"";
}

// One value in one of the forms found in real files.
std::string randomValue(BenchRandom *random) {
  std::string value;
  switch (randomBelow(random, 5)) {
    case 0: appendFormatted(&value, "%lld", static_cast<long long>(static_cast<int32_t>(nextRandom(random)))); break;
    case 1: appendFormatted(&value, "0x%llX", static_cast<long long>(nextRandom(random) & 0xFFFFFFFFULL)); break;
    case 2: {
      value.push_back('"');
      int words = static_cast<int>(randomBelow(random, 5));
      for (int w = 0; w < words; w++) {
        if (w) value.push_back(' ');
        appendLetters(random, &value, 1 + static_cast<int>(randomBelow(random, 9)));
      }
      value.push_back('"');
      break;
    }
    case 3: value = quotedKeyName(random) + " " + quotedKeyName(random); break;
    default:
      appendLetters(random, &value, 2 + static_cast<int>(randomBelow(random, 8)));
      value.push_back(' ');
      appendLetters(random, &value, 2 + static_cast<int>(randomBelow(random, 8)));
      break;
  }
  return value;
}

std::string decimal(long long value) {
  std::string text;
  appendFormatted(&text, "%lld", value);
  return text;
}

std::string quotedFunction(BenchRandom *random) {
  // One in three mouse bindings is left empty, as players leave them.
  if (randomBelow(random, 3) == 0) return "\"\"";
  return std::string("\"") + GameFunctionTable[randomBelow(random, GameFunctionCount)] + "\"";
}

std::string realisticText(BenchRandom *random, long *entryCount) {
  static const int Widths[] = {320, 640, 800, 1024, 1280};
  static const int Heights[] = {200, 480, 600, 768, 1024};
  std::string text = "; Tarrengard configuration\r\n\r\n[Screen Setup]\r\n";
  long count = 0;
  auto put = [&](const std::string &key, const std::string &value) {
    appendEntry(&text, key, value);
    count++;
  };
  int mode = static_cast<int>(randomBelow(random, 5));
  for (const char *key : {"Shadows", "Detail", "Tilt", "Messages", "ScreenMode"}) {
    put(key, decimal(randomBelow(random, 2)));
  }
  put("ScreenWidth", decimal(Widths[mode]));
  put("ScreenHeight", decimal(Heights[mode]));
  put("ScreenBPP", decimal(randomBelow(random, 2) ? 16 : 8));
  for (const char *key : {"Gamma", "Brightness", "ViewSize", "Crosshair"}) {
    put(key, decimal(randomBelow(random, 16)));
  }

  text += "\r\n[Sound Setup]\r\n";
  put("FXVolume", decimal(randomBelow(random, 256)));
  put("MusicVolume", decimal(randomBelow(random, 256)));
  for (const char *key : {"SoundToggle", "VoiceToggle", "AmbienceToggle", "MusicToggle"}) {
    put(key, decimal(randomBelow(random, 2)));
  }
  put("FXDevice", decimal(static_cast<int>(randomBelow(random, 3)) - 1));
  put("NumVoices", decimal(4 << randomBelow(random, 3)));
  put("NumBits", decimal(randomBelow(random, 2) ? 16 : 8));
  put("NumChannels", decimal(1 + randomBelow(random, 2)));
  put("MixRate", decimal(randomBelow(random, 2) ? 22050 : 44100));
  put("MusicDevice", decimal(static_cast<int>(randomBelow(random, 4)) - 1));
  put("CDVolume", decimal(randomBelow(random, 256)));
  put("ReverseStereo", decimal(randomBelow(random, 2)));
  put("SoundPort", "0x220");
  put("SoundIrq", decimal(5 + 2 * randomBelow(random, 2)));

  text += "\r\n[Controls]\r\n";
  put("MouseSensitivity", decimal(32768 + randomBelow(random, 32768)));
  put("ControllerType", decimal(randomBelow(random, 3)));
  put("MouseAiming", decimal(randomBelow(random, 2)));
  char key[64];
  for (int b = 0; b < MouseButtonCount; b++) {
    snprintf(key, sizeof key, "MouseButton%d", b);
    put(key, quotedFunction(random));
    if (b < MouseDoubleClickCount) {
      snprintf(key, sizeof key, "MouseButtonClicked%d", b);
      put(key, quotedFunction(random));
    }
  }
  for (int axis = 0; axis < MouseAxisCount; axis++) {
    snprintf(key, sizeof key, "MouseAnalogAxes%d", axis);
    put(key, std::string("\"") + AnalogFunctionTable[randomBelow(random, AnalogFunctionCount)] + "\"");
  }
  for (int axis = 0; axis < MouseAxisCount; axis++) {
    snprintf(key, sizeof key, "MouseAnalogScale%d", axis);
    put(key, decimal(static_cast<int>(randomBelow(random, 524289)) - 262144));
  }
  for (int d = 0; d < MouseDirectionCount; d++) {
    snprintf(key, sizeof key, "MouseDigitalAxes%d_%d", d / 2, d % 2);
    put(key, quotedFunction(random));
  }
  for (int j = 0; j < 4; j++) {
    snprintf(key, sizeof key, "JoystickAnalogAxes%d", j);
    put(key, std::string("\"") + AnalogFunctionTable[randomBelow(random, AnalogFunctionCount)] + "\"");
    snprintf(key, sizeof key, "JoystickAnalogScale%d", j);
    put(key, decimal(65536));
    snprintf(key, sizeof key, "JoystickButton%d", j);
    put(key, quotedFunction(random));
  }

  text += "\r\n[KeyDefinitions]\r\n";
  for (int f = 0; f < GameFunctionCount; f++) {
    if (f == ConsoleFunction) {
      put(GameFunctionTable[f], quotedKeyName(random));
    } else {
      put(GameFunctionTable[f], quotedKeyName(random) + " " + quotedKeyName(random));
    }
  }
  for (int m = 1; m <= 7; m++) {
    snprintf(key, sizeof key, "Macro_%d", m);
    put(key, quotedKeyName(random) + " \"\"");
  }
  *entryCount = count;
  return text;
}

std::string manySectionsText(BenchRandom *random, size_t targetBytes, long *entryCount) {
  std::string text;
  text.reserve(targetBytes + 4096);
  long count = 0;
  for (long section = 0; text.size() < targetBytes; section++) {
    if (section) text += "\r\n";
    text += "[Mod ";
    appendFormatted(&text, "%06lld ", section);
    appendLetters(random, &text, 3 + static_cast<int>(randomBelow(random, 10)));
    text += "]\r\n";
    int entries = 1 + static_cast<int>(randomBelow(random, 60));
    for (int e = 0; e < entries; e++) {
      std::string key;
      appendLetters(random, &key, 1);
      key[0] = static_cast<char>(key[0] - 'a' + 'A');
      appendLetters(random, &key, 2 + static_cast<int>(randomBelow(random, 10)));
      appendFormatted(&key, "_%lld", e);  // unique within the section
      appendEntry(&text, key, randomValue(random));
      count++;
    }
  }
  *entryCount = count;
  return text;
}

std::string oneSectionText(BenchRandom *random, long entries, long *entryCount) {
  std::string text = "[Big Section]\r\n";
  text.reserve(static_cast<size_t>(entries) * 32);
  for (long e = 0; e < entries; e++) {
    std::string key = "Entry";
    appendFormatted(&key, "%07lld_", e);
    appendLetters(random, &key, 3);
    appendEntry(&text, key, randomValue(random));
  }
  *entryCount = entries;
  return text;
}

const char *const ShapeNames[BenchShapeCount] = {"realistic", "sections-16m", "entries-100k", "entries-1m"};

}  // namespace

const char *benchShapeName(int shape) { return shape >= 0 && shape < BenchShapeCount ? ShapeNames[shape] : "?"; }

int findBenchShape(const char *name) {
  for (int shape = 0; shape < BenchShapeCount; shape++) {
    if (strcmp(name, ShapeNames[shape]) == 0) return shape;
  }
  return -1;
}

std::string generateBenchText(int shape, uint64_t seed, long *entryCount) {
  // Each shape draws from its own stream so adding a shape changes no other.
  BenchRandom random = {seed * 0x100000001B3ULL + static_cast<uint64_t>(shape)};
  long ignored = 0;
  long *count = entryCount ? entryCount : &ignored;
  switch (shape) {
    case BenchShapeRealistic: return realisticText(&random, count);
    case BenchShapeManySections: return manySectionsText(&random, 16u << 20, count);
    case BenchShapeEntries100k: return oneSectionText(&random, 100000, count);
    case BenchShapeEntries1M: return oneSectionText(&random, 1000000, count);
    default: *count = 0; return std::string();
  }
}
