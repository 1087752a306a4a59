// The choice of the vendor's host: the web host over HTTPS first, the
// download host over plain HTTP second.
#ifndef ZELTA_WEB_VENDOR_CONNECTION_H
#define ZELTA_WEB_VENDOR_CONNECTION_H

#include <windows.h>
#include <wininet.h>

// Opens and probes a session, recording each outcome in the status log.
// Returns true with the session open and SecureMode telling which host is
// used, or false with no session open (no connection or no permission).
bool ConnectToVendor();

// True when the host selected by InstallState.SecureMode serves the probe
// file with both markers.
bool ProbeServer(HINTERNET session);

#endif
