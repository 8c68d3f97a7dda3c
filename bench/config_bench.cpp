/*
 * tg-bench: how fast the configuration library loads and saves, measured in
 * one run against inih parsing the same files (with an empty handler, and
 * with one that copies every section, key and value into strings), on four
 * shapes from a player's file to a million entries in one section.
 *
 * Prints a Markdown table of median times and the ratios the library is
 * held to: load no slower than inih with copies, save no slower than load,
 * and 1,000,000 entries at most 12 times the cost of 100,000.
 */
#include <fcntl.h>
#include <ini.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/config_generator.h"
#include "config/config.h"

namespace {

enum BenchOperation { OpOurLoad, OpOurSave, OpInihEmpty, OpInihCopies, OpCount };

struct ShapeResult {
  int shape = 0;
  size_t bytes = 0;
  long entries = 0;
  int repetitions = 0;
  double median[OpCount] = {};  // seconds
};

struct BenchOptions {
  bool smoke = false;
  uint64_t seed = 20260101;
  double minSeconds = 1.0;  // per shape, spread over the repetitions
  std::string folder;       // where the files go; empty: $TMPDIR or /tmp
  std::vector<int> shapes;
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

[[noreturn]] void benchFail(const char *what, const std::string &detail) {
  fprintf(stderr, "tg-bench: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  exit(1);
}

int inihEmptyHandler(void *, const char *, const char *, const char *) { return 1; }

int inihCopyHandler(void *user, const char *section, const char *name, const char *value) {
  auto *copies = static_cast<std::vector<std::string> *>(user);
  copies->emplace_back(section);
  copies->emplace_back(name);
  copies->emplace_back(value);
  return 1;
}

int inihCountHandler(void *user, const char *, const char *, const char *) {
  ++*static_cast<long *>(user);
  return 1;
}

long countEntries(ConfigHandle handle) {
  long total = 0;
  int sections = configSectionCount(handle);
  for (int s = 0; s < sections; s++) total += configEntryCount(handle, configSectionName(handle, s));
  return total;
}

// Parses the file once with diagnostics sent to /dev/null and makes sure
// both parsers see every generated entry: a timing of a parse that went
// wrong, or that floods the terminal with diagnostics, would mean nothing.
void verifyFile(const std::string &path, const std::string &text, long entries) {
  std::string scratch = text;
  ConfigHandle handle = configNew("verify");
  if (handle < 0) benchFail("no free document slot", "");
  fflush(stdout);
  int saved = dup(STDOUT_FILENO);
  int devNull = open("/dev/null", O_WRONLY);
  if (saved < 0 || devNull < 0) benchFail("cannot redirect standard output", "");
  dup2(devNull, STDOUT_FILENO);
  int result = configParseText(handle, scratch.data(), static_cast<long>(scratch.size()));
  fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  close(devNull);
  if (result != 0) benchFail("generated file has diagnostics", path);
  if (countEntries(handle) != entries) benchFail("the library lost entries", path);
  configFree(handle);

  long inihEntries = 0;
  if (ini_parse(path.c_str(), inihCountHandler, &inihEntries) != 0) {
    benchFail("inih reports an error", path);
  }
  if (inihEntries != entries) benchFail("inih saw a different number of entries", path);
}

void writeWholeFile(const std::string &path, const std::string &text) {
  FILE *file = fopen(path.c_str(), "wb");
  if (!file) benchFail("cannot write", path);
  bool ok = fwrite(text.data(), 1, text.size(), file) == text.size();
  if (fclose(file) != 0 || !ok) benchFail("cannot write", path);
}

std::string readAll(const std::string &path) {
  FILE *file = fopen(path.c_str(), "rb");
  if (!file) benchFail("cannot read", path);
  std::string text;
  char chunk[1 << 16];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  fclose(file);
  return text;
}

double timeOurLoad(const std::string &path) {
  Clock::time_point start = Clock::now();
  ConfigHandle handle = configLoad(path.c_str());
  double seconds = secondsSince(start);
  if (handle < 0) benchFail("configLoad found no free slot", path);
  configFree(handle);
  return seconds;
}

double timeOurSave(ConfigHandle handle, const std::string &path) {
  Clock::time_point start = Clock::now();
  bool saved = configSave(handle, path.c_str());
  double seconds = secondsSince(start);
  if (!saved) benchFail("configSave failed", path);
  return seconds;
}

double timeInihEmpty(const std::string &path) {
  Clock::time_point start = Clock::now();
  int result = ini_parse(path.c_str(), inihEmptyHandler, nullptr);
  double seconds = secondsSince(start);
  if (result != 0) benchFail("inih failed", path);
  return seconds;
}

double timeInihCopies(const std::string &path) {
  std::vector<std::string> copies;  // freed after the clock stops, like the document
  Clock::time_point start = Clock::now();
  int result = ini_parse(path.c_str(), inihCopyHandler, &copies);
  double seconds = secondsSince(start);
  if (result != 0) benchFail("inih failed", path);
  return seconds;
}

double median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  size_t n = samples.size();
  return n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

ShapeResult measureShape(int shape, const BenchOptions &options, const std::string &folder) {
  ShapeResult result;
  result.shape = shape;
  std::string text = generateBenchText(shape, options.seed, &result.entries);
  result.bytes = text.size();
  std::string path = folder + "/" + benchShapeName(shape) + ".cfg";
  std::string savePath = folder + "/" + benchShapeName(shape) + ".saved.cfg";
  writeWholeFile(path, text);
  text = std::string();
  verifyFile(path, readAll(path), result.entries);

  ConfigHandle loaded = configLoad(path.c_str());
  if (loaded < 0) benchFail("configLoad found no free slot", path);

  // The first round warms the caches and sizes the run; operations take
  // turns in every round so a slow moment of the machine hits all of them.
  std::vector<double> samples[OpCount];
  double round = 0;
  int rounds = 1;
  for (int r = 0; r < rounds; r++) {
    double load = timeOurLoad(path);
    double save = timeOurSave(loaded, savePath);
    double empty = timeInihEmpty(path);
    double copies = timeInihCopies(path);
    if (r == 0) {
      round = load + save + empty + copies;
      if (!options.smoke) {
        rounds = static_cast<int>(std::ceil(options.minSeconds / std::max(round, 1e-9)));
        rounds = std::clamp(rounds, 3, 2000) + 1;  // + the warm-up round
      }
      if (!options.smoke) continue;
    }
    samples[OpOurLoad].push_back(load);
    samples[OpOurSave].push_back(save);
    samples[OpInihEmpty].push_back(empty);
    samples[OpInihCopies].push_back(copies);
  }
  result.repetitions = static_cast<int>(samples[OpOurLoad].size());
  for (int op = 0; op < OpCount; op++) result.median[op] = median(samples[op]);

  // What was saved must load back whole, or the save timing means nothing.
  configFree(loaded);
  ConfigHandle reloaded = configLoad(savePath.c_str());
  if (reloaded < 0 || countEntries(reloaded) != result.entries) {
    benchFail("the saved file does not hold every entry", savePath);
  }
  configFree(reloaded);
  std::filesystem::remove(path);
  std::filesystem::remove(savePath);
  return result;
}

std::string formatTime(double seconds) {
  char buffer[32];
  double ms = seconds * 1e3;
  if (ms < 1) {
    snprintf(buffer, sizeof buffer, "%.1f µs", ms * 1e3);
  } else if (ms < 100) {
    snprintf(buffer, sizeof buffer, "%.2f ms", ms);
  } else {
    snprintf(buffer, sizeof buffer, "%.0f ms", ms);
  }
  return buffer;
}

std::string formatBytes(size_t bytes) {
  char buffer[32];
  if (bytes < 10 * 1024) {
    snprintf(buffer, sizeof buffer, "%zu B", bytes);
  } else if (bytes < 10 * 1024 * 1024) {
    snprintf(buffer, sizeof buffer, "%.0f KiB", bytes / 1024.0);
  } else {
    snprintf(buffer, sizeof buffer, "%.1f MiB", bytes / (1024.0 * 1024.0));
  }
  return buffer;
}

// A ratio with a mark: "ok" within the target, "MISS" above it.
std::string formatRatio(double ratio, double target) {
  char buffer[48];
  snprintf(buffer, sizeof buffer, "%.2f %s", ratio, ratio <= target ? "ok" : "MISS");
  return buffer;
}

void printTable(const std::vector<ShapeResult> &results, const BenchOptions &options, const std::string &folder) {
  printf("Seed %llu; files in %s; median of each operation over the rounds.\n\n",
         static_cast<unsigned long long>(options.seed), folder.c_str());
  printf(
      "| shape | size | entries | rounds | our load | our save | inih empty | inih copies "
      "| load / inih copies (<= 1) | load / inih empty (stretch <= 1) | save / load (<= 1) |\n");
  printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const ShapeResult &r : results) {
    const double *m = r.median;
    printf("| %s | %s | %ld | %d | %s | %s | %s | %s | %s | %s | %s |\n", benchShapeName(r.shape),
           formatBytes(r.bytes).c_str(), r.entries, r.repetitions, formatTime(m[OpOurLoad]).c_str(),
           formatTime(m[OpOurSave]).c_str(), formatTime(m[OpInihEmpty]).c_str(), formatTime(m[OpInihCopies]).c_str(),
           formatRatio(m[OpOurLoad] / m[OpInihCopies], 1).c_str(),
           formatRatio(m[OpOurLoad] / m[OpInihEmpty], 1).c_str(), formatRatio(m[OpOurSave] / m[OpOurLoad], 1).c_str());
  }
  const ShapeResult *small = nullptr;
  const ShapeResult *large = nullptr;
  for (const ShapeResult &r : results) {
    if (r.shape == BenchShapeEntries100k) small = &r;
    if (r.shape == BenchShapeEntries1M) large = &r;
  }
  if (small && large) {
    printf("\n1,000,000 / 100,000 entries (<= 12): load %s, save %s, inih copies %.2f\n",
           formatRatio(large->median[OpOurLoad] / small->median[OpOurLoad], 12).c_str(),
           formatRatio(large->median[OpOurSave] / small->median[OpOurSave], 12).c_str(),
           large->median[OpInihCopies] / small->median[OpInihCopies]);
  }
}

int usage() {
  fprintf(stderr,
          "usage: tg-bench [--smoke] [--seed N] [--min-time SECONDS] [--dir FOLDER] [SHAPE...]\n"
          "shapes: realistic sections-16m entries-100k entries-1m (default: all)\n"
          "--smoke runs one round on the realistic shape and checks the results.\n");
  return 2;
}

}  // namespace

int main(int argc, char **argv) {
  BenchOptions options;
  for (int i = 1; i < argc; i++) {
    const char *arg = argv[i];
    if (strcmp(arg, "--smoke") == 0) {
      options.smoke = true;
    } else if (strcmp(arg, "--seed") == 0 && i + 1 < argc) {
      options.seed = strtoull(argv[++i], nullptr, 10);
    } else if (strcmp(arg, "--min-time") == 0 && i + 1 < argc) {
      options.minSeconds = atof(argv[++i]);
    } else if (strcmp(arg, "--dir") == 0 && i + 1 < argc) {
      options.folder = argv[++i];
    } else if (findBenchShape(arg) >= 0) {
      options.shapes.push_back(findBenchShape(arg));
    } else {
      return usage();
    }
  }
  if (options.smoke) {
    options.shapes = {BenchShapeRealistic};
  } else if (options.shapes.empty()) {
    for (int shape = 0; shape < BenchShapeCount; shape++) options.shapes.push_back(shape);
  }

  std::string base = options.folder;
  if (base.empty()) {
    const char *tmp = getenv("TMPDIR");
    base = tmp && *tmp ? tmp : "/tmp";
  }
  std::string folder = base + "/tg-bench.XXXXXX";
  if (!mkdtemp(folder.data())) benchFail("cannot create a folder in", base);

  std::vector<ShapeResult> results;
  for (int shape : options.shapes) {
    fprintf(stderr, "tg-bench: %s...\n", benchShapeName(shape));
    results.push_back(measureShape(shape, options, folder));
  }
  printTable(results, options, folder);
  std::filesystem::remove_all(folder);
  return 0;
}
