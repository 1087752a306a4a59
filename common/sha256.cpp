#include "common/sha256.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#define ZELTA_SHA_INSTRUCTIONS 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

const uint32_t RoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

bool InstructionsAllowed = true;

uint32_t Rotate(uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

void CompressPlain(uint32_t* state, const unsigned char* blocks, size_t count) {
  for (; count > 0; --count, blocks += 64) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
      const unsigned char* p = blocks + 4 * i;
      w[i] = static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
             static_cast<uint32_t>(p[2]) << 8 | p[3];
    }
    for (int i = 16; i < 64; ++i) {
      uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
      uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
    for (int i = 0; i < 64; ++i) {
      uint32_t t1 = h + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & f) ^ (~e & g)) + RoundConstants[i] + w[i];
      uint32_t t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      h = g;
      g = f;
      f = e;
      e = d + t1;
      d = c;
      c = b;
      b = a;
      a = t1 + t2;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
    state[5] += f;
    state[6] += g;
    state[7] += h;
  }
}

#ifdef ZELTA_SHA_INSTRUCTIONS

// SHA (leaf 7, EBX bit 29) with SSSE3 and SSE4.1 (leaf 1, ECX bits 9, 19).
bool ProcessorHasSha() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  if ((c & (1u << 9)) == 0 || (c & (1u << 19)) == 0) return false;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b & (1u << 29)) != 0;
}

// A 32-bit Windows thread may enter with its stack aligned to 4 bytes only;
// the vector registers spilled here want 16.
#ifdef __i386__
#define ZELTA_REALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define ZELTA_REALIGN_STACK
#endif

// The state lives in two registers as the instructions take it: A, B, E, F
// (A in the highest lane) and C, D, G, H. SHA256RNDS2 does two rounds with
// the low two lanes of its third operand (message word plus constant) and
// answers the new A, B, E, F; the old A, B, E, F are then the new C, D, G, H.
// SHA256MSG1 and SHA256MSG2 make the next four message words from the
// sixteen before.
__attribute__((target("sha,sse4.1,ssse3"))) ZELTA_REALIGN_STACK void CompressWithInstructions(
    uint32_t* state, const unsigned char* blocks, size_t count) {
  // Each 32-bit word of a block is big-endian.
  const __m128i byteSwap = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
  __m128i abef = _mm_set_epi32(static_cast<int>(state[0]), static_cast<int>(state[1]), static_cast<int>(state[4]),
                               static_cast<int>(state[5]));
  __m128i cdgh = _mm_set_epi32(static_cast<int>(state[2]), static_cast<int>(state[3]), static_cast<int>(state[6]),
                               static_cast<int>(state[7]));
  for (; count > 0; --count, blocks += 64) {
    const __m128i startAbef = abef;
    const __m128i startCdgh = cdgh;
    // w0..w3: the last sixteen message words, four a register, oldest in w0.
    __m128i w0 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks)), byteSwap);
    __m128i w1 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16)), byteSwap);
    __m128i w2 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 32)), byteSwap);
    __m128i w3 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 48)), byteSwap);
    for (int group = 0; group < 16; ++group) {
      __m128i words = w0;
      if (group >= 4) {
        // W[i] = W[i-16] + s0(W[i-15]) + W[i-7] + s1(W[i-2]), four at a time.
        words = _mm_add_epi32(_mm_sha256msg1_epu32(w0, w1), _mm_alignr_epi8(w3, w2, 4));
        words = _mm_sha256msg2_epu32(words, w3);
      }
      __m128i wk =
          _mm_add_epi32(words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(RoundConstants + 4 * group)));
      // After two rounds cdgh holds A, B, E, F and abef (unchanged) is the
      // new C, D, G, H; after two more each holds its own again.
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(wk, 0x0e));
      w0 = w1;
      w1 = w2;
      w2 = w3;
      w3 = words;
    }
    abef = _mm_add_epi32(abef, startAbef);
    cdgh = _mm_add_epi32(cdgh, startCdgh);
  }
  uint32_t lanes[4];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), abef);
  state[0] = lanes[3];
  state[1] = lanes[2];
  state[4] = lanes[1];
  state[5] = lanes[0];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), cdgh);
  state[2] = lanes[3];
  state[3] = lanes[2];
  state[6] = lanes[1];
  state[7] = lanes[0];
}

#else

bool ProcessorHasSha() {
  return false;
}

#endif

bool UseInstructions() {
  static const bool present = ProcessorHasSha();
  return present && InstructionsAllowed;
}

void Compress(uint32_t* state, const unsigned char* blocks, size_t count) {
#ifdef ZELTA_SHA_INSTRUCTIONS
  if (UseInstructions()) {
    CompressWithInstructions(state, blocks, count);
    return;
  }
#endif
  CompressPlain(state, blocks, count);
}

}  // namespace

bool Sha256AllowInstructions(bool allowed) {
  InstructionsAllowed = allowed;
  return UseInstructions();
}

void Sha256Begin(Sha256& hash) {
  static const uint32_t initial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                      0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  memcpy(hash.state, initial, sizeof initial);
  hash.total = 0;
}

void Sha256Add(Sha256& hash, const void* data, size_t size) {
  if (size == 0) return;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  size_t held = static_cast<size_t>(hash.total % 64);
  hash.total += size;
  if (held > 0) {
    size_t take = 64 - held < size ? 64 - held : size;
    memcpy(hash.block + held, p, take);
    p += take;
    size -= take;
    if (held + take < 64) return;
    Compress(hash.state, hash.block, 1);
  }
  if (size >= 64) Compress(hash.state, p, size / 64);
  p += size / 64 * 64;
  size %= 64;
  if (size > 0) memcpy(hash.block, p, size);
}

void Sha256End(Sha256& hash, unsigned char digest[Sha256DigestSize]) {
  uint64_t bits = hash.total * 8;
  unsigned char pad[72] = {0x80};
  size_t held = static_cast<size_t>(hash.total % 64);
  size_t padding = held < 56 ? 56 - held : 120 - held;
  for (int i = 0; i < 8; ++i) pad[padding + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  Sha256Add(hash, pad, padding + 8);
  for (int i = 0; i < 8; ++i) {
    for (int k = 0; k < 4; ++k) digest[4 * i + k] = static_cast<unsigned char>(hash.state[i] >> (24 - 8 * k));
  }
}
