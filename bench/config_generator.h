/*
 * Seeded generators of configuration texts for the benchmark: the same seed
 * always gives the same bytes, so runs on different days compare. Every text
 * parses without a diagnostic and has no repeated key within a section, so
 * the entry count is exactly what was generated.
 */
#pragma once

#include <cstdint>
#include <string>

enum BenchShape {
  BenchShapeRealistic,     // a player's gardum.cfg: 4 sections, ~120 entries
  BenchShapeManySections,  // 16 MiB of many sections of a few dozen entries
  BenchShapeEntries100k,   // one section of 100,000 entries
  BenchShapeEntries1M,     // one section of 1,000,000 entries
  BenchShapeCount,
};

// "realistic", "sections-16m", "entries-100k", "entries-1m".
const char *benchShapeName(int shape);
// The shape with that name, or -1.
int findBenchShape(const char *name);

// The text of `shape` for `seed`, with CRLF line ends as the program writes
// them. *entryCount (when given) receives the number of entries.
std::string generateBenchText(int shape, uint64_t seed, long *entryCount);
