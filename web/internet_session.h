// The WinINet session with one of the vendor's hosts.
#ifndef ZELTA_WEB_INTERNET_SESSION_H
#define ZELTA_WEB_INTERNET_SESSION_H

#include <windows.h>
#include <wininet.h>

// The session every remote file is opened on; null while closed.
HINTERNET SessionHandle();

// Forgets both handles without closing them (the worker's fresh start).
void ClearSessionHandles();

// Opens a session and a connection to `host` (HTTPS on 443 when secure is
// 1, HTTP on 80 when 0). Returns true on failure.
bool OpenSession(int secure, const char* host, const char* user, const char* password);

// True when the host selected by InstallState.SecureMode serves the probe
// file with both markers.
bool ProbeServer(HINTERNET session);

// Closes both handles (when open) and forgets them.
void CloseSession();

#endif
