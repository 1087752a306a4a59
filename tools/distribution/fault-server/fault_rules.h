// The fault server's rules without sockets: the fault words, the request
// path, the attempt count, the validators, conditional requests and ranges,
// and the fixed parts of its answers.
#ifndef ZELTA_VENDOR_FAULT_RULES_H
#define ZELTA_VENDOR_FAULT_RULES_H

#include <time.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

enum FaultKind {
  FaultPlain,        // none, or no fault file (removed meanwhile): the file as a good server sends it
  FaultStatus,       // status N
  FaultRedirect,     // redirect URL
  FaultNoLength,     // no-length
  FaultChunked,      // chunked
  FaultZeroLength,   // zero-length
  FaultShort,        // short N
  FaultDrop,         // drop N
  FaultSlow,         // slow MS
  FaultHtml,         // html
  FaultStall,        // stall
  FaultStallAfter,   // stall-after N
  FaultIgnoreRange,  // ignore-range
  FaultOldDrop,      // old-drop N
  FaultDark,         // dark
  FaultDarkAfter,    // dark-after N
  FaultFlip,         // flip N
};

// Faults that end in a dark connection: held open, never read, written or
// closed again until the server stops, whatever the client does.
inline bool GoesDark(FaultKind kind) {
  return kind == FaultDark || kind == FaultDarkAfter;
}

struct FaultPlan {
  FaultKind kind = FaultPlain;
  long number = 0;   // status code, byte count or milliseconds
  std::string url;   // redirect
  std::string text;  // the line, trimmed, for the log
};

// Reads one fault line: a word and its argument, blanks, CR LF and a UTF-8
// byte order mark around them allowed, the word in any case; anything after
// the first line break is not looked at. False with `problem` set for
// anything else.
bool ParseFaultLine(const std::string& line, FaultPlan& out, std::string& problem);

// Fault files are small; a longer one is a mistake.
const size_t MaxFaultFileBytes = 4096;

// Reads a whole fault file: one plan per line that is not blank, in order
// (request N uses plan N, later ones the last). A problem names its line
// when the file has several.
bool ParseFaultFile(const std::string& text, std::vector<FaultPlan>& out, std::string& problem);

// The plan index for the given attempt (1, 2, ...) among `count` plans.
size_t PlanIndex(size_t count, long attempt);

// The words, for messages: "status N, redirect URL, ...".
const char* FaultWords();

// What tells one version of a fault file from the next: a rewrite, or
// removing and making it again, changes at least one of these.
struct FaultFileId {
  unsigned long long device = 0, inode = 0, size = 0;
  long long mtimeNs = 0, ctimeNs = 0;
  bool operator==(const FaultFileId& o) const {
    return device == o.device && inode == o.inode && size == o.size && mtimeNs == o.mtimeNs &&
           ctimeNs == o.ctimeNs;
  }
};

// Counts the requests per fault file (key: host and path). Not locked.
class AttemptCounter {
 public:
  // Beyond this many paths the counts start over (a bound, never reached
  // by a sane test).
  static const size_t MaxKeys = 1024;
  // The attempt number of this request: 1 for the first request after the
  // file (as `id`) appeared or changed, then 2, 3, ...
  long Next(const std::string& key, const FaultFileId& id);
  // What Next would return, without counting.
  long Peek(const std::string& key, const FaultFileId& id) const;
  // The fault file is gone: its next version starts at 1.
  void Forget(const std::string& key);

 private:
  struct Entry {
    FaultFileId id;
    long count = 0;
  };
  std::map<std::string, Entry> entries_;
};

// Turns a request target into the path the fault files are named by: query
// cut off, %XX decoded, backslashes made '/', doubled '/' and "." parts
// dropped. False for a target that does not start with '/', holds a bad
// escape, a NUL byte or a ".." part.
bool DecodeRequestPath(const std::string& target, std::string& path);

// "Not Found" and so on; "Unknown" for codes without a name here.
const char* ReasonPhrase(int status);

// A small HTML page with the given title and text.
std::string HtmlPage(const std::string& title, const std::string& text);

// Piece size and limits of the slow answer: every slow answer ends within
// SlowTotalLimitMs of waiting, whatever the file's size.
const size_t SlowPieceBytes = 4096;
const long SlowMaxPauseMs = 5000;
const long SlowTotalLimitMs = 20000;

// Validators as nginx makes them: "<mtime hex>-<size hex>" in quotes, and
// an IMF-fixdate ("Sun, 06 Nov 1994 08:49:37 GMT").
std::string EntityTag(time_t mtime, unsigned long long size);
std::string HttpDate(time_t t);
// IMF-fixdate only; false for anything else (an unknown date is no date).
bool ParseHttpDate(const std::string& text, time_t& t);

// The older version that old-drop sends: every byte inverted, its own tag,
// a day older.
std::string OldEntityTag(unsigned long long size);
std::string InvertBytes(const std::string& body);
const time_t OldVersionAgeSec = 86400;

// A conditional GET: If-None-Match (exact tags, a list, or *) decides when
// present; else If-Modified-Since at or after the file's time. Empty
// strings stand for absent headers.
bool NotModified(const std::string& ifNoneMatch, const std::string& ifModifiedSince, const std::string& etag,
                 time_t mtime);

// If-Range holds when it is the tag (strong: no W/) or the Last-Modified
// text, exactly.
bool IfRangeHolds(const std::string& ifRange, const std::string& etag, const std::string& lastModified);

enum RangeResult {
  RangeIgnored,        // absent, malformed, several ranges or a suffix: whole file
  RangeSatisfiable,    // first..last, inclusive, last clamped to the size
  RangeUnsatisfiable,  // starts at or past the end
};
// One "bytes=A-" or "bytes=A-B" against a file of `size` bytes.
RangeResult ParseRange(const std::string& header, unsigned long long size, unsigned long long& first,
                       unsigned long long& last);

// The request headers a good server looks at; empty when absent.
struct RequestConditions {
  std::string ifNoneMatch, ifModifiedSince, range, ifRange;
};

// The answer to a request for a whole file: 304, 206 (part), 416 or 200.
struct BodyAnswer {
  int status = 200;
  unsigned long long first = 0;  // part of the file sent (200: all of it; 304, 416: nothing)
  unsigned long long count = 0;
  std::string contentRange;      // 206 and 416
};
BodyAnswer DecideAnswer(const RequestConditions& request, const std::string& etag, time_t mtime,
                        unsigned long long size);

#endif
