// The checksum list of a disc ("Disc_nn/Fajls_n.sha256", format in
// web/content_checksum.h) on the vendor's side: written by `site` and by
// `checksums` for a site made by other means, read back by `verify` and
// `check-server` with the installer's own line parser.
#ifndef ZELTA_VENDOR_DIST_CHECKSUM_LISTS_H
#define ZELTA_VENDOR_DIST_CHECKSUM_LISTS_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/distribution/zelta-dist/distribution.h"

// "Fajls_1.sha256" ...
std::string ChecksumListName(int disc);

// The list's first line, a comment naming the file list it belongs to.
std::string ChecksumListHeader(int disc);

// One entry line (CR LF ended): the SHA-256 (hex) and length of the real
// bytes, then the source as the file list writes it.
std::string ChecksumLine(const std::string& sha256Hex, uint64_t length, const std::string& source);

// The list of a described disc: its files in the order of its file list.
std::string BuildChecksumList(const Distribution& dist, size_t discIndex);

struct ChecksumEntry {
  int line = 0;             // 1-based
  std::string source;       // as written, the leading backslash taken off
  std::string sha256;       // 64 lower-case hex digits
  uint64_t length = 0;
};

struct ChecksumListText {
  std::vector<ChecksumEntry> entries;
  std::vector<int> badLines;  // lines the installer cannot read: the whole list is unusable to it
};

ChecksumListText ReadChecksumList(const std::string& text);

// `zelta-dist checksums SITE`: writes each disc's list into both update
// folders of a site (SITE/web/..., SITE/download/...), for every disc the
// installer reaches there, from the stored files its file list names (of
// the components the catalogue puts on the disc). Replaces lists already
// there. `report` gets one line per list written; on failure (no catalogue,
// a named file missing or unreadable) `error` says why and nothing more is
// written.
bool WriteSiteChecksums(const std::string& site, std::string& report, std::string& error);

#endif
