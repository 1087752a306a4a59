// The checksum list of a disc on any text, looked up with a name taken from
// the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "web/content_checksum.h"
#include "web/transfer_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Input: name NUL text.
  const char* bytes = reinterpret_cast<const char*>(data);
  std::string name;
  size_t i = 0;
  while (i < size && bytes[i] != '\0') name += bytes[i++];
  if (i < size) ++i;
  size_t length = size - i;
  char* text = new char[length ? length : 1];
  memcpy(text, bytes + i, length);

  bool usable = IsUsableChecksumList(text, length);
  ContentChecksum sum;
  ChecksumLookup found = FindContentChecksum(text, length, name.c_str(), &sum);
  if (found != ChecksumNotListed) {
    if (sum.Length < 0 || sum.Length > MaxFileBytes) __builtin_trap();
    // The digest written back is the format's: 64 lower-case hex digits,
    // found in the text as it was given.
    char hex[65];
    FormatDigestHex(hex, sizeof hex, sum.Digest);
    if (strlen(hex) != 64 || memmem(text, length, hex, 64) == nullptr) __builtin_trap();
  }
  // Every line of a usable list reads as an entry or as nothing.
  if (usable) {
    size_t start = 0;
    while (start < length) {
      const char* end = static_cast<const char*>(memchr(text + start, '\n', length - start));
      size_t n = end == nullptr ? length - start : static_cast<size_t>(end - (text + start));
      const char* path = nullptr;
      size_t pathLength = 0;
      ChecksumLineKind kind = ParseChecksumLine(text + start, n, &sum, &path, &pathLength);
      if (kind == ChecksumLineBad) __builtin_trap();
      if (kind == ChecksumLineEntry && (pathLength == 0 || memchr(path, ' ', pathLength) != nullptr))
        __builtin_trap();
      start += n + 1;
    }
  }
  delete[] text;
  return 0;
}
