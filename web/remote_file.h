// Reading of single files from the vendor's server over the open session.
#ifndef ZELTA_WEB_REMOTE_FILE_H
#define ZELTA_WEB_REMOTE_FILE_H

#include <windows.h>
#include <wininet.h>

#include <cstdint>

// Every request: always from the server, nothing cached, no authentication,
// no cookies (the vendor's server sets none; looking them up costs Wine's
// WinINet several cache-index reads per request).
const DWORD RemoteRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_COOKIES;

// Reads a numeric header (status code, Content-Length) as a decimal number.
// False when the header is missing.
bool QueryHttpNumber(HINTERNET request, DWORD query, int32_t* value);

// False when the answer came over another scheme than the host in use:
// WinINet follows a redirect from HTTPS to plain HTTP by itself, and a file
// of the secure host must not arrive over an unprotected connection.
bool AnswerStaysSecure(HINTERNET request);

// Opens `url` on the session. Succeeds (returns false) only for status 200
// with a Content-Length above 0; then `request` is open (the caller closes
// it) and `length` holds the length. On failure `length` is 0 and nothing is
// left open. A status other than 200 is recorded in the status log.
bool OpenRemoteFile(const char* url, HINTERNET* request, int32_t* length);

// Reads exactly `length` bytes in one read. Returns true on failure,
// including a short body.
bool ReadRemoteFile(HINTERNET request, char* buffer, int32_t length);

#endif
