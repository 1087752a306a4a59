#include "web/resume_plan.h"

#include <cstring>

#include "common/bounded_text.h"

const char DownloadRecordSuffix[] = ".dlinfo";

namespace {

const char OriginKey[] = "Origin=";
const char LengthKey[] = "Length=";
const char ETagKey[] = "ETag=";
const char LastModifiedKey[] = "Last-Modified=";
const char EndMark[] = "End";

// Reads decimal digits up to `end`; false for none, another character or
// more than 18 digits.
bool ReadNumber(const char* text, const char* end, int64_t* value) {
  if (text >= end || end - text > 18) return false;
  int64_t n = 0;
  for (const char* p = text; p < end; ++p) {
    if (*p < '0' || *p > '9') return false;
    n = n * 10 + (*p - '0');
  }
  *value = n;
  return true;
}

bool StartsWith(const char* line, size_t length, const char* key) {
  size_t n = strlen(key);
  return length >= n && memcmp(line, key, n) == 0;
}

// Copies a value of a record line when it is safe and fits.
bool TakeValue(char* out, size_t size, const char* value, size_t length) {
  if (length == 0 || length >= size) return false;
  char copy[256];
  if (length >= sizeof copy) return false;
  memcpy(copy, value, length);
  copy[length] = '\0';
  if (!IsSafeHeaderValue(copy, size)) return false;
  TextCopy(out, size, copy);
  return true;
}

}  // namespace

int64_t StoredLength(bool filtered, int64_t length) {
  return filtered ? length / 2 : length;
}

int64_t TransferOffset(bool filtered, int64_t stored) {
  return filtered ? stored * 2 : stored;
}

bool IsSafeHeaderValue(const char* value, size_t size) {
  size_t n = strlen(value);
  if (n == 0 || n >= size) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(value[i]);
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

size_t FormatDownloadRecord(char* out, size_t size, const DownloadRecord& record) {
  size_t n = TextFormat(out, size, "%s%s\r\n%s%lld\r\n%s%s\r\n%s%s\r\n%s\r\n", OriginKey, record.Origin, LengthKey,
                        static_cast<long long>(record.Length), ETagKey, record.ETag, LastModifiedKey,
                        record.LastModified, EndMark);
  // Cut, it would be a record without its end mark: none at all.
  if (n + 1 >= size) {
    if (size > 0) out[0] = '\0';
    return 0;
  }
  return n;
}

bool ParseDownloadRecord(const char* text, size_t length, DownloadRecord* record) {
  *record = DownloadRecord{};
  bool origin = false, size = false, etag = false, date = false;
  size_t start = 0;
  while (start < length) {
    size_t end = start;
    while (end < length && text[end] != '\n') ++end;
    size_t n = end - start;
    if (n > 0 && text[start + n - 1] == '\r') --n;
    const char* line = text + start;
    // The end mark closes the record: a line end after it, and nothing more.
    if (n == strlen(EndMark) && memcmp(line, EndMark, n) == 0) {
      return end + 1 == length && origin && record->Length > 0;
    }
    if (StartsWith(line, n, OriginKey) && !origin) {
      size_t k = strlen(OriginKey);
      origin = TakeValue(record->Origin, sizeof record->Origin, line + k, n - k);
      if (!origin) return false;
    } else if (StartsWith(line, n, LengthKey) && !size) {
      size_t k = strlen(LengthKey);
      if (!ReadNumber(line + k, line + n, &record->Length)) return false;
      size = true;
    } else if (StartsWith(line, n, ETagKey) && !etag) {
      size_t k = strlen(ETagKey);
      if (n > k && !TakeValue(record->ETag, sizeof record->ETag, line + k, n - k)) return false;
      etag = true;
    } else if (StartsWith(line, n, LastModifiedKey) && !date) {
      size_t k = strlen(LastModifiedKey);
      if (n > k && !TakeValue(record->LastModified, sizeof record->LastModified, line + k, n - k)) return false;
      date = true;
    } else {
      return false;
    }
    start = end + 1;
  }
  return false;  // no end mark
}

const char* RangeValidator(const DownloadRecord& record) {
  // A weak ETag (W/"...") may not guard a range: the bytes could differ.
  // Where the server gave one, its date may not guard the range either.
  if (record.ETag[0] == '"') return record.ETag;
  if (record.ETag[0] == '\0' && record.LastModified[0] != '\0') return record.LastModified;
  return nullptr;
}

size_t FormatResumeHeaders(char* out, size_t size, int64_t offset, const char* validator) {
  return TextFormat(out, size, "Range: bytes=%lld-\r\nIf-Range: %s\r\n", static_cast<long long>(offset), validator);
}

size_t FormatRevalidateHeaders(char* out, size_t size, const DownloadRecord& record) {
  if (size > 0) out[0] = '\0';
  size_t n = 0;
  if (record.ETag[0] != '\0') {
    TextAppend(out, size, "If-None-Match: ");
    TextAppend(out, size, record.ETag);
    n = TextAppend(out, size, "\r\n");
  }
  if (record.LastModified[0] != '\0') {
    TextAppend(out, size, "If-Modified-Since: ");
    TextAppend(out, size, record.LastModified);
    n = TextAppend(out, size, "\r\n");
  }
  return n;
}

bool ParseContentRange(const char* text, int64_t* first, int64_t* last, int64_t* total) {
  while (*text == ' ') ++text;
  if (strncmp(text, "bytes", 5) != 0) return false;
  text += 5;
  if (*text != ' ') return false;
  while (*text == ' ') ++text;
  const char* dash = strchr(text, '-');
  const char* slash = dash == nullptr ? nullptr : strchr(dash, '/');
  if (dash == nullptr || slash == nullptr) return false;
  const char* end = slash + 1 + strlen(slash + 1);
  while (end > slash + 1 && end[-1] == ' ') --end;
  return ReadNumber(text, dash, first) && ReadNumber(dash + 1, slash, last) && ReadNumber(slash + 1, end, total) &&
         *first <= *last && *last < *total;
}

bool RangeAnswerFits(const char* contentRange, int64_t contentLength, int64_t offset, int64_t length) {
  int64_t first = 0, last = 0, total = 0;
  if (!ParseContentRange(contentRange, &first, &last, &total)) return false;
  return first == offset && last == length - 1 && total == length && contentLength == length - offset;
}
