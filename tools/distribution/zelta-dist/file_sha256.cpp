#include "tools/distribution/zelta-dist/file_sha256.h"

#include <cstdio>

#include "web/content_checksum.h"
#include "web/transfer_text.h"

std::string Sha256Hex(Sha256& hash) {
  unsigned char digest[Sha256DigestSize];
  Sha256End(hash, digest);
  char hex[2 * Sha256DigestSize + 1];
  FormatDigestHex(hex, sizeof hex, digest);
  return hex;
}

bool Sha256OfFile(const std::string& path, std::string& hex) {
  uint64_t length = 0;
  return ContentSha256OfFile(path, false, hex, length);
}

bool ContentSha256OfFile(const std::string& path, bool interleaved, std::string& hex, uint64_t& length) {
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  Sha256 hash;
  Sha256Begin(hash);
  length = 0;
  char buffer[65536];
  int64_t offset = 0;
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) {
    size_t kept = interleaved ? DeinterleaveChunk(buffer, n, offset) : n;
    offset += static_cast<int64_t>(n);
    Sha256Add(hash, buffer, kept);
    length += kept;
  }
  bool ok = !ferror(f);
  fclose(f);
  if (ok) hex = Sha256Hex(hash);
  return ok;
}
