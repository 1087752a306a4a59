// The fault server's rules without sockets: the fault words, the request
// path and the fixed parts of its answers.
#ifndef ZELTA_VENDOR_FAULT_RULES_H
#define ZELTA_VENDOR_FAULT_RULES_H

#include <cstddef>
#include <string>

enum FaultKind {
  FaultPlain,       // no fault (file gone meanwhile): the file as nginx would serve it
  FaultStatus,      // status N
  FaultRedirect,    // redirect URL
  FaultNoLength,    // no-length
  FaultChunked,     // chunked
  FaultZeroLength,  // zero-length
  FaultShort,       // short N
  FaultDrop,        // drop N
  FaultSlow,        // slow MS
  FaultHtml,        // html
};

struct FaultPlan {
  FaultKind kind = FaultPlain;
  long number = 0;   // status code, byte count or milliseconds
  std::string url;   // redirect
};

// Reads the first line of a fault file: a word and its argument, blanks,
// CR LF and a UTF-8 byte order mark around them allowed, the word in any
// case. False with `problem` set for anything else.
bool ParseFaultLine(const std::string& line, FaultPlan& out, std::string& problem);

// The words, for messages: "status N, redirect URL, ...".
const char* FaultWords();

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

#endif
