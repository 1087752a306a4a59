// SHA-256 (common/sha256.h) in the vendor tools' terms: as hex text, and of
// a file as the site or the installer's download area holds it.
#ifndef ZELTA_VENDOR_DIST_FILE_SHA256_H
#define ZELTA_VENDOR_DIST_FILE_SHA256_H

#include <cstdint>
#include <string>

#include "common/sha256.h"

// The digest as 64 lower-case hex digits. `hash` is used up.
std::string Sha256Hex(Sha256& hash);

// The digest of a whole file's bytes; false when it cannot be read.
bool Sha256OfFile(const std::string& path, std::string& hex);

// The digest and length of a stored file's content as the installer's
// download area holds it: of an interleaved ("ex_"/"dl_") file, only the
// bytes at odd offsets. False when it cannot be read.
bool ContentSha256OfFile(const std::string& path, bool interleaved, std::string& hex, uint64_t& length);

#endif
