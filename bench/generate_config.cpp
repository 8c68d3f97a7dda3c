/*
 * tg-bench-gen: writes one of the benchmark's generated configuration files,
 * so a slow case can be reproduced outside the benchmark (and fed to the
 * configurator or to tarrengard-cfg).
 */
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/config_generator.h"

int main(int argc, char **argv) {
  if (argc != 4 || findBenchShape(argv[1]) < 0) {
    fprintf(stderr,
            "usage: tg-bench-gen SHAPE SEED OUT\n"
            "shapes: realistic sections-16m entries-100k entries-1m\n");
    return 2;
  }
  long entries = 0;
  std::string text = generateBenchText(findBenchShape(argv[1]), strtoull(argv[2], nullptr, 10), &entries);
  FILE *out = fopen(argv[3], "wb");
  if (!out) {
    perror(argv[3]);
    return 2;
  }
  bool ok = fwrite(text.data(), 1, text.size(), out) == text.size();
  if (fclose(out) != 0 || !ok) {
    perror(argv[3]);
    return 2;
  }
  fprintf(stderr, "%s: %zu bytes, %ld entries\n", argv[3], text.size(), entries);
  return 0;
}
