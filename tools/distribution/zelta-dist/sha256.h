// SHA-256 of a byte stream, fed in pieces as they arrive, so that a file
// on two hosts can be compared without keeping either copy.
#ifndef ZELTA_VENDOR_DIST_SHA256_H
#define ZELTA_VENDOR_DIST_SHA256_H

#include <cstddef>
#include <cstdint>
#include <string>

struct Sha256 {
  uint32_t state[8];
  uint64_t total;          // bytes fed so far
  unsigned char block[64]; // the part of a block not yet taken
};

void Sha256Begin(Sha256& hash);
void Sha256Add(Sha256& hash, const void* data, size_t size);

// The digest as 64 lower-case hex digits. `hash` is used up.
std::string Sha256Hex(Sha256& hash);

// The digest of a whole file's bytes; false when it cannot be read.
bool Sha256OfFile(const std::string& path, std::string& hex);

// The digest and length of a stored file's content as the installer's
// download area holds it: of an interleaved ("ex_"/"dl_") file, only the
// bytes at odd offsets. False when it cannot be read.
bool ContentSha256OfFile(const std::string& path, bool interleaved, std::string& hex, uint64_t& length);

#endif
