// The record beside a downloaded file and the server's Content-Range, on
// any bytes: the parts of the download that read what a disk or a server
// hands back.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "web/resume_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The text is handed over exactly: not terminated, in a buffer of its own
  // size, so any read past its end is seen by AddressSanitizer.
  char* text = new char[size ? size : 1];
  memcpy(text, data, size);
  DownloadRecord record;
  if (ParseDownloadRecord(text, size, &record)) {
    // A record taken is whole and safe to send back, and reads back the same.
    if (record.Length <= 0 || record.Origin[0] == '\0') __builtin_trap();
    if (!IsSafeHeaderValue(record.Origin, sizeof record.Origin)) __builtin_trap();
    if (record.ETag[0] != '\0' && !IsSafeHeaderValue(record.ETag, sizeof record.ETag)) __builtin_trap();
    const char* validator = RangeValidator(record);
    // Never a weak tag, nor a date where the server gave a tag.
    if (validator == record.ETag && record.ETag[0] != '"') __builtin_trap();
    if (validator == record.LastModified && record.ETag[0] != '\0') __builtin_trap();
    char again[1024];
    size_t n = FormatDownloadRecord(again, sizeof again, record);
    DownloadRecord back;
    if (n == 0 || !ParseDownloadRecord(again, n, &back)) __builtin_trap();
    if (back.Length != record.Length || strcmp(back.Origin, record.Origin) != 0 ||
        strcmp(back.ETag, record.ETag) != 0 || strcmp(back.LastModified, record.LastModified) != 0)
      __builtin_trap();
  }

  // The same bytes as a Content-Range header (terminated, as WinINet gives it).
  char* range = new char[size + 1];
  memcpy(range, data, size);
  range[size] = '\0';
  int64_t first = 0, last = 0, total = 0;
  if (ParseContentRange(range, &first, &last, &total) && (first < 0 || first > last || last >= total))
    __builtin_trap();
  // An answer that fits is exactly the rest of the recorded length.
  const int64_t offset = 300000, length = 1300000;
  if (RangeAnswerFits(range, length - offset, offset, length) &&
      !(first == offset && last == length - 1 && total == length))
    __builtin_trap();
  delete[] range;
  delete[] text;
  return 0;
}
