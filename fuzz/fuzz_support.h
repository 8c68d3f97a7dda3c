/* Shared by the fuzz targets: a private scratch folder, whole-file reads and
 * writes, and a plain model of a document (sections of key/value pairs in
 * order) with the one rule by which a written file reads back differently
 * from the document it was written from.
 */
#pragma once

#include "config/config.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <unistd.h>

namespace fuzz {

// Aborts with a message, so that libFuzzer records the input as a crash.
[[noreturn]] inline void fail(const char *what) {
  fprintf(stderr, "fuzz invariant broken: %s\n", what);
  fflush(stderr);
  abort();
}
#define FUZZ_CHECK(condition)                                                                  \
  do {                                                                                         \
    if (!(condition)) ::fuzz::fail(#condition " (" __FILE__ ":" FUZZ_LINE_TEXT(__LINE__) ")"); \
  } while (0)
#define FUZZ_LINE_TEXT(line) FUZZ_LINE_TEXT2(line)
#define FUZZ_LINE_TEXT2(line) #line

// The parser reports on standard output; millions of its lines would drown
// libFuzzer's own report (which goes to standard error).
inline void silenceStandardOutput() {
  if (!freopen("/dev/null", "w", stdout)) fail("cannot redirect standard output");
}

inline std::string &scratchPath() {
  static std::string path;
  return path;
}

// Removes a scratch folder with the files in it (it holds no folders).
inline void removeFolder(const std::string &path) {
  if (DIR *dir = opendir(path.c_str())) {
    while (dirent *item = readdir(dir)) {
      if (strcmp(item->d_name, ".") && strcmp(item->d_name, "..")) unlink((path + "/" + item->d_name).c_str());
    }
    closedir(dir);
  }
  rmdir(path.c_str());
}
inline void removeScratch() {
  if (!scratchPath().empty()) removeFolder(scratchPath());
}

// A finding aborts the process and a run may be killed, so the exit handler
// does not always run: folders are named after their process, and each new
// process removes those of processes that no longer exist.
inline void removeOrphanedScratch(const std::string &parent) {
  DIR *dir = opendir(parent.c_str());
  if (!dir) return;
  while (dirent *item = readdir(dir)) {
    long pid = 0;
    char rest[32];
    if (sscanf(item->d_name, "tgfuzz-%ld-%31s", &pid, rest) == 2 && pid > 0 && kill((pid_t)pid, 0) != 0 &&
        errno == ESRCH)
      removeFolder(parent + "/" + item->d_name);
  }
  closedir(dir);
}

// A fresh folder of this process, in memory where the machine has /dev/shm
// (saves run on every input, and a disk would slow them down).
inline const std::string &makeScratch() {
  std::string parent = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  removeOrphanedScratch(parent);
  std::string pattern = parent + "/tgfuzz-" + std::to_string((long)getpid()) + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!mkdtemp(name.data())) fail("cannot create a scratch folder");
  scratchPath() = name.data();
  atexit(removeScratch);
  return scratchPath();
}

inline void writeBytes(const std::string &path, const void *data, size_t size) {
  FILE *out = fopen(path.c_str(), "wb");
  if (!out || fwrite(data, 1, size, out) != size || fclose(out) != 0) fail("cannot write a scratch file");
}

inline std::string readBytes(const std::string &path) {
  std::string bytes;
  FILE *in = fopen(path.c_str(), "rb");
  if (!in) fail("cannot read a scratch file");
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, got);
  fclose(in);
  return bytes;
}

// Parses `bytes` from an exact-size heap copy (the parser may write into its
// text, and AddressSanitizer sees a read past the end).
inline int parseInto(ConfigHandle handle, const std::string &bytes) {
  char *copy = (char *)malloc(bytes.size() ? bytes.size() : 1);
  memcpy(copy, bytes.data(), bytes.size());
  int result = configParseText(handle, copy, (long)bytes.size());
  free(copy);
  return result;
}

inline void freeAllDocuments() {
  for (ConfigHandle h = 0; h < ConfigSlotCount; h++) configFree(h);
}

inline bool sameName(const std::string &a, const std::string &b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++) {
    unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

struct Section {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;
};
typedef std::vector<Section> Model;

inline bool operator==(const Section &a, const Section &b) { return a.name == b.name && a.entries == b.entries; }

// The document as its enumeration shows it.
inline Model snapshot(ConfigHandle h) {
  Model model;
  int sections = configSectionCount(h);
  for (int i = 0; i < sections; i++) {
    Section section;
    section.name = configSectionName(h, i);
    int entries = configEntryCount(h, section.name.c_str());
    for (int j = 0; j < entries; j++) {
      const char *key = configEntryKey(h, section.name.c_str(), j);
      FUZZ_CHECK(key != nullptr);
      const char *value = configGetRaw(h, section.name.c_str(), key);
      FUZZ_CHECK(value != nullptr);
      FUZZ_CHECK(configEntryExists(h, section.name.c_str(), key));
      section.entries.emplace_back(key, value);
    }
    model.push_back(std::move(section));
  }
  return model;
}

inline int findSection(const Model &model, const std::string &name) {
  for (size_t i = 0; i < model.size(); i++)
    if (sameName(model[i].name, name)) return (int)i;
  return -1;
}
inline int findEntry(const Section &section, const std::string &key) {
  for (size_t i = 0; i < section.entries.size(); i++)
    if (sameName(section.entries[i].first, key)) return (int)i;
  return -1;
}

inline std::string trimmed(const std::string &text, bool leading) {
  size_t start = 0, end = text.size();
  while (leading && start < end && (text[start] == ' ' || text[start] == '\t')) start++;
  while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) end--;
  return text.substr(start, end - start);
}

// What a file written from `written` reads back as. Every header line makes
// its section current (an unfilled one only exists once an entry arrives),
// and a section with the empty name gets no header: unless it comes first,
// its entries land in the section before it, where a key already present
// takes the later value in its old place. A key's trailing blanks and a
// value's outer blanks are layout to the reader (a parsed text only has them
// when a zero byte followed them in the file), so they are not read back.
// `final` (when given) receives, per
// section and entry of `written`, whether the value survives the reading.
inline Model readBack(const Model &written, std::vector<std::vector<bool>> *final = nullptr) {
  Model model;
  std::vector<std::vector<std::pair<int, int>>> origin;  // per model entry: where it came from
  std::string current;
  if (final) {
    final->clear();
    for (const Section &section : written) final->emplace_back(section.entries.size(), true);
  }
  for (size_t i = 0; i < written.size(); i++) {
    if (i == 0 || !written[i].name.empty()) current = written[i].name;
    for (size_t j = 0; j < written[i].entries.size(); j++) {
      std::pair<std::string, std::string> entry(trimmed(written[i].entries[j].first, false),
                                                trimmed(written[i].entries[j].second, true));
      int s = findSection(model, current);
      if (s < 0) {
        model.push_back(Section{current, {}});
        origin.emplace_back();
        s = (int)model.size() - 1;
      }
      int e = findEntry(model[s], entry.first);
      if (e < 0) {
        model[s].entries.push_back(entry);
        origin[s].emplace_back((int)i, (int)j);
      } else {
        model[s].entries[e].second = entry.second;
        auto [oi, oj] = origin[s][e];
        if (final) (*final)[oi][oj] = false;
        origin[s][e] = {(int)i, (int)j};
      }
    }
  }
  return model;
}

}  // namespace fuzz
