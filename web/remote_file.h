// Reading of single files from the vendor's server over the open session.
// Every call that waits for the server is watched (web/network_watch.h):
// a silent server or a cancel ends the wait instead of holding the worker,
// and the session is then replaced for the next request.
#ifndef ZELTA_WEB_REMOTE_FILE_H
#define ZELTA_WEB_REMOTE_FILE_H

#include <windows.h>
#include <wininet.h>

#include <cstdint>

#include "web/transfer_outcome.h"

// Every request: always from the server, nothing cached, no authentication,
// no cookies (the vendor's server sets none; looking them up costs Wine's
// WinINet several cache-index reads per request).
const DWORD RemoteRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_COOKIES;

// Opens `url` on `session` with extra request headers (null for none),
// watched. Null on failure, with *outcome telling why.
HINTERNET OpenUrlWatched(HINTERNET session, const char* url, const char* headers, TransferOutcome* outcome);

// Fills `buffer` until `size` bytes are in it or the body ends, watched:
// nothing may stop arriving for longer than the stall limit. Returns the
// outcome (TransferDone also when the body ended early: *received tells);
// on any other outcome *received still counts the bytes that did arrive,
// and they are in `buffer`. The caller closes the request in every case.
TransferOutcome ReadBodyWatched(HINTERNET request, char* buffer, DWORD size, DWORD* received);

// Records in the status log that a file is not available on the server.
void ReportUnavailable(const char* url);

// Opens `url` on the session. Succeeds (returns false) only for status 200
// with a Content-Length above 0; then `request` is open (the caller closes
// it) and `length` holds the length. On failure `length` is 0, nothing is
// left open and, when asked for, *outcome and *status tell why. A status
// other than 200 is recorded in the status log.
bool OpenRemoteFile(const char* url, HINTERNET* request, int32_t* length, TransferOutcome* outcome = nullptr,
                    int* status = nullptr);

// Reads exactly `length` bytes. Returns true on failure, including a short
// body; *outcome (when asked for) tells why.
bool ReadRemoteFile(HINTERNET request, char* buffer, int32_t length, TransferOutcome* outcome = nullptr);

#endif
