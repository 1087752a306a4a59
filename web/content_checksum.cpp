#include "web/content_checksum.h"

#include <cstring>

#include "common/bounded_text.h"
#include "web/transfer_text.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;  // upper case is not the format's
}

// The next line of a text from *offset on, without its line end.
bool NextLine(const char* text, size_t length, size_t* offset, const char** line, size_t* lineLength) {
  if (*offset >= length) return false;
  const char* start = text + *offset;
  const char* end = static_cast<const char*>(memchr(start, '\n', length - *offset));
  size_t n = end == nullptr ? length - *offset : static_cast<size_t>(end - start);
  *line = start;
  *lineLength = n;
  *offset += n + 1;
  return true;
}

const char* WithoutBackslash(const char* path, size_t* length) {
  if (*length > 0 && path[0] == '\\') {
    --*length;
    return path + 1;
  }
  return path;
}

}  // namespace

size_t FormatChecksumListName(char* out, size_t size, int disc) {
  return TextFormat(out, size, "Fajls_%i.sha256", disc);
}

ChecksumLineKind ParseChecksumLine(const char* line, size_t length, ContentChecksum* sum, const char** path,
                                   size_t* pathLength) {
  if (length > 0 && line[length - 1] == '\r') --length;
  size_t i = 0;
  while (i < length && IsBlank(line[i])) ++i;
  if (i == length || line[i] == '#') return ChecksumLineEmpty;
  if (i != 0) return ChecksumLineBad;  // an entry begins its line

  // The digest: exactly 64 hex digits, then a blank.
  if (length < 64) return ChecksumLineBad;
  for (size_t k = 0; k < 32; ++k) {
    int high = HexValue(line[2 * k]), low = HexValue(line[2 * k + 1]);
    if (high < 0 || low < 0) return ChecksumLineBad;
    sum->Digest[k] = static_cast<unsigned char>(high * 16 + low);
  }
  i = 64;
  if (i == length || !IsBlank(line[i])) return ChecksumLineBad;
  while (i < length && IsBlank(line[i])) ++i;

  // The length: decimal digits, no more than a file can hold.
  size_t digits = i;
  int64_t bytes = 0;
  while (i < length && line[i] >= '0' && line[i] <= '9') {
    bytes = bytes * 10 + (line[i] - '0');
    if (bytes > MaxFileBytes) return ChecksumLineBad;
    ++i;
  }
  if (i == digits || i == length || !IsBlank(line[i])) return ChecksumLineBad;
  sum->Length = bytes;
  while (i < length && IsBlank(line[i])) ++i;

  // The source: the rest, blanks after it left out; a source holds none.
  size_t end = length;
  while (end > i && IsBlank(line[end - 1])) --end;
  if (end == i) return ChecksumLineBad;
  for (size_t k = i; k < end; ++k) {
    unsigned char c = static_cast<unsigned char>(line[k]);
    if (IsBlank(line[k]) || c < 0x20 || c == 0x7F) return ChecksumLineBad;
  }
  *path = line + i;
  *pathLength = end - i;
  return ChecksumLineEntry;
}

namespace {

// The next line of a text from *offset on, parsed.
bool NextParsedLine(const char* text, size_t length, size_t* offset, ChecksumLineKind* kind, ContentChecksum* sum,
                    const char** path, size_t* pathLength) {
  const char* line;
  size_t n;
  if (!NextLine(text, length, offset, &line, &n)) return false;
  *kind = ParseChecksumLine(line, n, sum, path, pathLength);
  return true;
}

}  // namespace

bool IsUsableChecksumList(const char* text, size_t length) {
  size_t offset = 0;
  ChecksumLineKind kind;
  ContentChecksum sum;
  const char* path;
  size_t pathLength;
  while (NextParsedLine(text, length, &offset, &kind, &sum, &path, &pathLength)) {
    if (kind == ChecksumLineBad) return false;
  }
  return true;
}

ChecksumLookup FindContentChecksum(const char* text, size_t length, const char* name, ContentChecksum* sum) {
  size_t nameLength = strlen(name);
  name = WithoutBackslash(name, &nameLength);
  ChecksumLookup found = ChecksumNotListed;
  size_t offset = 0;
  ChecksumLineKind kind;
  ContentChecksum entry;
  const char* path;
  size_t pathLength;
  while (NextParsedLine(text, length, &offset, &kind, &entry, &path, &pathLength)) {
    if (kind != ChecksumLineEntry) continue;
    path = WithoutBackslash(path, &pathLength);
    if (pathLength != nameLength || memcmp(path, name, nameLength) != 0) continue;
    if (found == ChecksumNotListed) {
      *sum = entry;
      found = ChecksumListed;
    } else if (entry.Length != sum->Length || memcmp(entry.Digest, sum->Digest, sizeof entry.Digest) != 0) {
      return ChecksumConflicting;
    }
  }
  return found;
}

void FormatDigestHex(char* out, size_t size, const unsigned char digest[32]) {
  static const char digits[] = "0123456789abcdef";
  if (size == 0) return;
  size_t n = 0;
  for (size_t k = 0; k < 32 && n + 2 < size; ++k) {
    out[n++] = digits[digest[k] >> 4];
    out[n++] = digits[digest[k] & 15];
  }
  out[n] = '\0';
}
