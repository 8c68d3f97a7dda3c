// The hash behind the name indexes: SipHash over the ASCII-case-folded bytes
// of a name, under a key drawn once per process from the system's random
// source. An unkeyed hash lets a file be written in advance whose names all
// land in one run of index slots, which turns loading it quadratic; without
// the key nobody can compute where a name lands.
#include "config/config_internal.h"

#include <bit>
#include <chrono>
#include <cstring>
#include <random>

uint64_t ConfigIndexProbes = 0;

namespace {

uint64_t HashKey[2];
bool HashKeyTaken = false;

inline uint64_t rotateLeft(uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); }

// Eight bytes as a little-endian number whatever the machine's byte order,
// so that a hash is the same on every platform.
inline uint64_t loadLittleEndian(const unsigned char *bytes) {
  uint64_t word;
  memcpy(&word, bytes, sizeof word);
  if constexpr (std::endian::native == std::endian::big) {
    uint64_t swapped = 0;
    for (int i = 0; i < 8; i++) swapped |= ((word >> (8 * i)) & 0xFF) << (8 * (7 - i));
    word = swapped;
  }
  return word;
}

// Adds 0x20 to each byte of the word that is an ASCII capital, all eight at
// once: a byte is a capital when its low seven bits are at least 'A' and at
// most 'Z' and its top bit is clear. No sum carries into the next byte.
inline uint64_t foldCaseWord(uint64_t word) {
  const uint64_t ones = 0x0101010101010101u;
  const uint64_t tops = 0x8080808080808080u;
  uint64_t low = word & ~tops;
  uint64_t atLeastA = low + ones * (0x80 - 'A');
  uint64_t aboveZ = low + ones * (0x80 - 'Z' - 1);
  uint64_t capitals = (atLeastA ^ aboveZ) & ~word & tops;
  return word | (capitals >> 2);
}

struct SipState {
  uint64_t v0, v1, v2, v3;
};

inline void sipRound(SipState *s) {
  s->v0 += s->v1;
  s->v1 = rotateLeft(s->v1, 13);
  s->v1 ^= s->v0;
  s->v0 = rotateLeft(s->v0, 32);
  s->v2 += s->v3;
  s->v3 = rotateLeft(s->v3, 16);
  s->v3 ^= s->v2;
  s->v0 += s->v3;
  s->v3 = rotateLeft(s->v3, 21);
  s->v3 ^= s->v0;
  s->v2 += s->v1;
  s->v1 = rotateLeft(s->v1, 17);
  s->v1 ^= s->v2;
  s->v2 = rotateLeft(s->v2, 32);
}

template <int CompressionRounds, int FinalRounds>
uint64_t sipHashFolded(const uint64_t key[2], const unsigned char *at, size_t length) {
  SipState s = {key[0] ^ 0x736f6d6570736575u, key[1] ^ 0x646f72616e646f6du, key[0] ^ 0x6c7967656e657261u,
                key[1] ^ 0x7465646279746573u};
  const unsigned char *const end = at + (length & ~(size_t)7);
  for (; at < end; at += 8) {
    uint64_t m = foldCaseWord(loadLittleEndian(at));
    s.v3 ^= m;
    for (int i = 0; i < CompressionRounds; i++) sipRound(&s);
    s.v0 ^= m;
  }
  // The last zero to seven bytes, with the length in the top byte (added
  // after folding: the length may look like a capital).
  uint64_t last = 0;
  switch (length & 7) {
    case 7: last |= (uint64_t)at[6] << 48; [[fallthrough]];
    case 6: last |= (uint64_t)at[5] << 40; [[fallthrough]];
    case 5: last |= (uint64_t)at[4] << 32; [[fallthrough]];
    case 4: last |= (uint64_t)at[3] << 24; [[fallthrough]];
    case 3: last |= (uint64_t)at[2] << 16; [[fallthrough]];
    case 2: last |= (uint64_t)at[1] << 8; [[fallthrough]];
    case 1: last |= (uint64_t)at[0]; [[fallthrough]];
    case 0: break;
  }
  last = foldCaseWord(last) | (uint64_t)length << 56;
  s.v3 ^= last;
  for (int i = 0; i < CompressionRounds; i++) sipRound(&s);
  s.v0 ^= last;
  s.v2 ^= 0xFF;
  for (int i = 0; i < FinalRounds; i++) sipRound(&s);
  return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
}

}  // namespace

uint64_t configSipHash13(const uint64_t key[2], const char *text, size_t length) {
  return sipHashFolded<1, 3>(key, (const unsigned char *)text, length);
}

uint64_t configSipHash24(const uint64_t key[2], const char *text, size_t length) {
  return sipHashFolded<2, 4>(key, (const unsigned char *)text, length);
}

void configRandomHashKey(uint64_t key[2]) {
  key[0] = key[1] = 0;
  try {
    std::random_device device;
    for (int i = 0; i < 2; i++) key[i] = (uint64_t)device() << 32 ^ device();
  } catch (...) {
    // No random source: what follows still differs from run to run.
  }
  // Mixed in always; it costs nothing and is all there is without a source:
  // the clock, and addresses that the loader places anew for every process.
  uint64_t clock = (uint64_t)std::chrono::steady_clock::now().time_since_epoch().count();
  uint64_t place = (uint64_t)(uintptr_t)&clock ^ (uint64_t)(uintptr_t)&HashKey;
  uint64_t mixer[2] = {0x243F6A8885A308D3u, 0x13198A2E03707344u};
  key[0] ^= configSipHash24(mixer, (const char *)&clock, sizeof clock);
  key[1] ^= configSipHash24(mixer, (const char *)&place, sizeof place);
}

bool configSetHashKey(const uint64_t key[2]) {
  // The indexes of documents held now store hashes made under the old key.
  for (ConfigHandle h = 0; h < ConfigSlotCount; h++) {
    if (configDocumentOf(h)) return false;
  }
  HashKey[0] = key[0];
  HashKey[1] = key[1];
  HashKeyTaken = true;
  return true;
}

uint32_t configHashName(const char *text, size_t length) {
  if (!HashKeyTaken) {
    configRandomHashKey(HashKey);
    HashKeyTaken = true;
  }
  return (uint32_t)configSipHash13(HashKey, text, length);
}
