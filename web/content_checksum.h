// The checksums a vendor publishes beside a disc's file list
// ("Disc_NN/Fajls_N.sha256"): one line per file of the list,
//
//   <64 lower-case hex digits> <decimal length> <source as the list writes it>
//
// the SHA-256 and length of the file as the download area holds it (an
// "ex_"/"dl_" file without its filler bytes). Lines end with CR LF or LF;
// blank lines and lines beginning with "#" say nothing. Nothing here
// touches a file.
#ifndef ZELTA_WEB_CONTENT_CHECKSUM_H
#define ZELTA_WEB_CONTENT_CHECKSUM_H

#include <cstddef>
#include <cstdint>

struct ContentChecksum {
  unsigned char Digest[32];
  int64_t Length;
};

// "Fajls_1.sha256" ... "Fajls_15.sha256": the checksums of a disc's files.
size_t FormatChecksumListName(char* out, size_t size, int disc);

enum ChecksumLineKind {
  ChecksumLineEmpty,  // blank, or a comment
  ChecksumLineEntry,
  ChecksumLineBad,
};

// One line without its line end (a CR before it is allowed). For an entry,
// *sum holds digest and length, and *path / *pathLength the source as
// written (not NUL-terminated; it holds no blank).
ChecksumLineKind ParseChecksumLine(const char* line, size_t length, ContentChecksum* sum, const char** path,
                                   size_t* pathLength);

// True when every line of the text is an entry, blank or a comment.
bool IsUsableChecksumList(const char* text, size_t length);

enum ChecksumLookup {
  ChecksumListed,
  ChecksumNotListed,
  ChecksumConflicting,  // listed twice, with different sums
};

// The line of a file of the list; `name` is its source without the leading
// backslash (as the download names it), compared with the line's source
// without one, byte for byte.
ChecksumLookup FindContentChecksum(const char* text, size_t length, const char* name, ContentChecksum* sum);

// The digest as 64 lower-case hex digits (out holds at least 65 bytes).
void FormatDigestHex(char* out, size_t size, const unsigned char digest[32]);

#endif
