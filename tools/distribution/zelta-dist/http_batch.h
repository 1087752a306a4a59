// A batch of requests to the vendor's hosts, asked in parallel (libcurl's
// multi interface) with the installer's user agent, HTTP/1.1, the system's
// trust store (and a CA of the caller's), no redirects followed and a time
// limit on each.
#ifndef ZELTA_VENDOR_DIST_HTTP_BATCH_H
#define ZELTA_VENDOR_DIST_HTTP_BATCH_H

#include <cstdint>
#include <string>
#include <vector>

#include "tools/distribution/zelta-dist/answer_rules.h"

enum HttpRequestKind {
  HttpHead,       // HEAD
  HttpHeaders,    // GET, stopped once the headers are in unless the body is small
  HttpWhole,      // GET of the whole body, hashed (and kept when asked)
};

struct HttpRequest {
  std::string url;
  HttpRequestKind kind = HttpHead;
  std::vector<std::string> headers;  // extra request headers
  bool keepBody = false;             // HttpWhole: keep the body (small texts)
  bool interleaved = false;          // HttpWhole: an "ex_"/"dl_" file, its content de-interleaved
  int64_t readLimit = 0;             // HttpHeaders: read a body announced up to this long
  long totalSeconds = 60;            // the whole request, connecting included
};

// Concurrent transfers at most.
enum { HttpJobsDefault = 4, HttpJobsMax = 16 };

// What the batches of one run share: connections, the certificate store
// and TLS sessions, resolved names.
struct HttpSession;

// Null when libcurl cannot be set up. `caFile`, when not empty, is a PEM
// file of one more CA to trust beside the system's (a staging server's).
HttpSession* OpenHttpSession(const std::string& caFile = "");
void CloseHttpSession(HttpSession* session);

// Asks every request, `jobs` at a time; answers[i] is the answer to
// requests[i]. On a terminal, one line on stderr shows how far it got.
void RunHttpBatch(HttpSession* session, const std::vector<HttpRequest>& requests, std::vector<HttpAnswer>& answers,
                  int jobs);

#endif
