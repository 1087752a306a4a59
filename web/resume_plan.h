// A file of the download area that is partly or wholly there, and how to
// ask the server for the rest: the record kept beside it (where its bytes
// came from, the length and validators of that answer), the range to ask
// for, and the check of the server's Content-Range. Nothing here touches a
// file.
#ifndef ZELTA_WEB_RESUME_PLAN_H
#define ZELTA_WEB_RESUME_PLAN_H

#include <cstddef>
#include <cstdint>

// What the server said about the file when its transfer began.
struct DownloadRecord {
  char Origin[160];      // scheme and host the bytes came from: "https://www.zeltasoft.example"
  int64_t Length;        // Content-Length of the whole file, > 0
  char ETag[128];        // as sent, quotes included; empty when none
  char LastModified[64]; // as sent; empty when none
};

// The name of the record beside a downloaded file: the file's path + this.
extern const char DownloadRecordSuffix[];

// Bytes the download area holds for the whole file: filtered ("ex_"/"dl_")
// files keep every second byte.
int64_t StoredLength(bool filtered, int64_t length);

// Where the transfer goes on when `stored` bytes are in the download area.
int64_t TransferOffset(bool filtered, int64_t stored);

// True for a header value that may be stored and sent back: printable
// ASCII only (no CR or LF that could start another header), not empty,
// shorter than `size`.
bool IsSafeHeaderValue(const char* value, size_t size);

// The record as text (CR LF lines, the last one the end mark "End") and
// back. Parsing refuses anything but a whole record: one without its end
// mark or with anything after it (cut short, or written by an older
// installer), without an origin or a length above 0, with a line it does
// not know, a line twice or an unsafe value. Such a record is ignored.
// Formatting returns 0 when the record does not fit.
size_t FormatDownloadRecord(char* out, size_t size, const DownloadRecord& record);
bool ParseDownloadRecord(const char* text, size_t length, DownloadRecord* record);

// The validator that guards a range request: a strong ETag; else the
// Last-Modified date, but only when the server gave no entity tag at all
// (a weak one cannot guard a range, and its date may not stand in for it);
// else null (the file cannot be resumed safely).
const char* RangeValidator(const DownloadRecord& record);

// Extra request headers (CR LF ended) asking for the file from `offset` on,
// only if it is still the version `validator` names.
size_t FormatResumeHeaders(char* out, size_t size, int64_t offset, const char* validator);

// Extra request headers asking for the file only if it changed since the
// record was made. Empty when the record has no validator.
size_t FormatRevalidateHeaders(char* out, size_t size, const DownloadRecord& record);

// Reads "bytes FIRST-LAST/TOTAL". False for anything else.
bool ParseContentRange(const char* text, int64_t* first, int64_t* last, int64_t* total);

// True when a 206 answer's Content-Range and Content-Length are exactly the
// rest of the file from `offset`, of the whole `length` recorded.
bool RangeAnswerFits(const char* contentRange, int64_t contentLength, int64_t offset, int64_t length);

#endif
