// The WinINet session with one of the vendor's hosts.
#ifndef ZELTA_WEB_INTERNET_SESSION_H
#define ZELTA_WEB_INTERNET_SESSION_H

#include <windows.h>
#include <wininet.h>

// The session every remote file is opened on; null while closed. After a
// wait on it was given up (RetireSession), a fresh session to the same
// host: the next try does not share anything with the call left waiting.
HINTERNET SessionHandle();

// Forgets both handles without closing them (the worker's fresh start).
void ClearSessionHandles();

// Opens an asynchronous session (web/network_watch.h) and a connection to
// `host` (HTTPS on 443 when secure is 1, HTTP on 80 when 0). Returns true
// on failure.
bool OpenSession(int secure, const char* host, const char* user, const char* password);

// A wait on the session was given up: its handles are closed and replaced
// when the next request asks for the session, after the request given up
// has been closed (or by CloseSession).
void RetireSession();

// Closes both handles (when open) and forgets them.
void CloseSession();

#endif
