// SHA-256 of a byte stream, fed in pieces as they arrive: the installer's
// check of each downloaded file and the vendor tools' checksum lists. Where
// the processor has the SHA instructions they compress the blocks, else
// plain C++ does.
#ifndef ZELTA_COMMON_SHA256_H
#define ZELTA_COMMON_SHA256_H

#include <cstddef>
#include <cstdint>

const size_t Sha256DigestSize = 32;

struct Sha256 {
  uint32_t state[8];
  uint64_t total;           // bytes fed so far
  unsigned char block[64];  // the part of a block not yet taken
};

void Sha256Begin(Sha256& hash);
void Sha256Add(Sha256& hash, const void* data, size_t size);

// The digest, its words big-endian as the checksum lists write them.
// `hash` is used up.
void Sha256End(Sha256& hash, unsigned char digest[Sha256DigestSize]);

// Whether the SHA instructions may be used (they are by default); answers
// whether they are used from now on: false where the processor lacks them.
// The tests compare both ways on one machine.
bool Sha256AllowInstructions(bool allowed);

#endif
