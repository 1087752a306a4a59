// Test support for the web tests: the vendor's site as files on the test
// server (seen through Wine's Z: drive), faults on demand, local folders.
#ifndef ZELTA_TESTS_WIN_TEST_SITE_H
#define ZELTA_TESTS_WIN_TEST_SITE_H

#include <string>
#include <vector>

enum SiteHost { WebSite, DownloadSite };

// The Windows path of the site folder the test server serves (ZELTA_SITE).
std::string SitePath();

// The update folder of a host in the site: ...\web\Download\UpDate-V9.20 or
// ...\download\UpDate-V9.20.
std::string UpdateFolder(SiteHost host);

// Writes a file below the host's update folder ("VarnelDemo/Disc_01/Install.ini").
void WriteSiteFile(SiteHost host, const std::string& relative, const std::string& content);

// A good probe file on the host.
void WriteProbe(SiteHost host);

// Sets (or, with an empty fault, removes) the fault for a path below the
// host's update folder, e.g. "status 404", "short 10", "no-length".
void SetFault(SiteHost host, const std::string& relative, const std::string& fault);

// One request in the test server's access log.
struct LoggedRequest {
  std::string request;  // "GET /path HTTP/1.1"
  int status;
  long long bytes;      // body bytes sent
};

// The test server's access log as it stands (ZELTA_VENDOR_STATE). nginx
// writes a request's line when the request ends: one that went dark
// shows only once the server stops.
std::string ServerAccessLog();

// The fault server's log as it stands: a line per request when its answer
// ends, or when it goes dark.
std::string FaultServerLog();

// Waits until the fault server's log holds `part` after its first `from`
// bytes; false after `ms`.
bool WaitForFaultLog(const std::string& part, size_t from, unsigned ms);

// The requests of an access-log text whose request line contains `part`.
std::vector<LoggedRequest> RequestsFor(const std::string& log, const std::string& part);

// The requests for `part` in the access log after its first `from` bytes,
// once at least `count` are there (or the wait's bound has passed): nginx
// writes the last answer's line a moment after the client has read it.
std::vector<LoggedRequest> LoggedRequestsFor(size_t from, const std::string& part, size_t count);

// Body bytes sent for those requests, together.
long long BytesSentFor(const std::string& log, const std::string& part);

// Empties the whole site: files of both hosts and all faults.
void ClearSite();

// Removes a local folder tree (no error when it is not there).
void RemoveTree(const std::string& path);

// Reads a whole local file; false when it cannot be opened.
bool ReadLocalFile(const std::string& path, std::string* content);

bool PathExists(const std::string& path);

// Deterministic test bytes.
std::string TestBytes(size_t size, unsigned seed);

// Stores bytes as the server keeps filtered files: a filler before each byte.
std::string Interleave(const std::string& real);

#endif
