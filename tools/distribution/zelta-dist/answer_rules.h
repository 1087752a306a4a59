// What a host's answers mean for the installer: the rules that turn the
// status and headers of one answer into problems, without any network.
#ifndef ZELTA_VENDOR_DIST_ANSWER_RULES_H
#define ZELTA_VENDOR_DIST_ANSWER_RULES_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/distribution/zelta-dist/checksum_lists.h"
#include "tools/distribution/zelta-dist/server_files.h"

// One answer of a host, as far as the rules look at it.
struct HttpAnswer {
  bool answered = false;  // a status line came
  std::string error;      // why the transfer failed; empty when it did not
  int status = 0;
  std::vector<std::pair<std::string, std::string>> headers;  // of the final answer, as sent
  int64_t received = 0;   // body bytes
  bool stopped = false;   // not read to its end, on purpose
  std::string sha256;     // of the body, for whole-file requests
  std::string contentSha256;  // of the content as the installer keeps it (de-interleaved when asked)
  std::string body;       // kept for the probe and the catalogue texts
};

// A header's value (names compared without case), or null.
const char* HeaderValue(const HttpAnswer& answer, const char* name);

// The Content-Length, when there is one that reads as a number.
bool AnswerLength(const HttpAnswer& answer, int64_t* length);

struct Finding {
  bool warning = false;  // costs users time, but the installation works
  std::string text;
};
typedef std::vector<Finding> Findings;

// Adds a finding unless the same text is already there.
void AddFinding(Findings& findings, bool warning, const std::string& text);

// What the stored length of a file should be.
struct LengthExpectation {
  int64_t length = -1;  // -1: not known
  std::string from;     // where it comes from: "the site", another host
  bool filtered = false;  // "ex_"/"dl_": stored two bytes per byte
};

// The probe file: 200, a length above 0, both marker lines.
void CheckProbe(const HttpAnswer& probe, bool secureHost, Findings& findings);

// The HEAD answer for a file. True when it says 200, so that a GET is worth asking.
bool CheckFileHead(const HttpAnswer& head, bool secureHost, const LengthExpectation& expect, Findings& findings);

// The range the installer would ask when resuming: from about half the
// file, guarded by the validator it would keep. Not asked without a length
// or a validator it could use.
struct RangeRequest {
  bool asked = false;
  int64_t offset = 0;
  int64_t length = 0;
  std::vector<std::string> headers;  // "Range: bytes=N-", "If-Range: ..."
};
RangeRequest PlanRangeRequest(const HttpAnswer& head);

enum RangeVerdict { RangeNotTried, RangeHonoured, RangeIgnored, RangeWrong };

// The GET that follows a good HEAD: the range answer when one was asked,
// how the body comes, and, when it was read, that all of it came.
RangeVerdict CheckRangeAnswer(const HttpAnswer& get, const RangeRequest& range, bool secureHost, Findings& findings);

// A whole-body GET (for the content comparison): all of it came.
void CheckWholeBody(const HttpAnswer& whole, bool secureHost, Findings& findings);

// A disc's checksum list (read as the installer reads it) against the
// names the installer fetches from the disc: a list it cannot read, a file
// without its line, a line for no file.
void CheckChecksumList(const ChecksumListText& list, const std::vector<std::string>& sources, Findings& findings);

// A file a host serves against its line of the checksum list: the stored
// length the host announces (-1: not known) and the digest of its content
// (empty: not read whole).
void CheckAgainstChecksum(const ChecksumEntry& entry, bool filtered, int64_t storedLength,
                          const std::string& contentSha256, Findings& findings);

// A catalogue text as the walk needs it: found, definitely missing (404 or
// 410), or failed.
TextRead TextFromAnswer(const HttpAnswer& answer);

// Table columns: "etag+date", "etag", "date", "none"; "yes", "ignored", "wrong", "-".
const char* ValidatorsColumn(const HttpAnswer& head);
const char* RangeColumn(RangeVerdict verdict);

#endif
